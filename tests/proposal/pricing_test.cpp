// Item totals: quantity x unit value.
#include "proposal/pricing.h"

#include "proposalfixture.h"
#include "text/numbers.h"

#include <gtest/gtest.h>

namespace {

using namespace ofx::proposal;
using ofx::test::lines;
using ofx::test::Proposal;

TEST(Pricing, ItemTotal)
{
    struct Case {
        const char* name;
        const char* quantity;
        const char* unitValue;  // as the file gives it; "" leaves it empty
        double total;
        double unitAfter;
    };
    const Case cases[] = {
        {"plain", "10,0000", "12,5", 125, 12.5},
        {"thousands separators removed", "1.234,5000", "2", 2469, 2},
        {"a million", "1.000.000,0000", "2", 2000000, 2},
        {"no unit value stores 0", "3", "", 0, 0},
        {"empty quantity counts as 0", "", "5", 0, 5},
        {"the writer's quantity form", "000000000010,5000", "000000000002,0000", 21, 2},
        {"product is not rounded", "3", "0,3333", 0.9999, 0.3333},
    };
    for (const Case& c : cases) {
        Proposal p;
        ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|L||0|", std::string("A|1|x|") + c.quantity + "|" + c.unitValue + "|7|||||"})).ok);
        p.items.cancel();
        recomputeItemTotal(p.items);
        EXPECT_EQ(p.items.state(), ofx::data::TableState::Edit) << c.name;
        EXPECT_DOUBLE_EQ(p.items.asDecimal(field::VL_TOTAL), c.total) << c.name;
        EXPECT_FALSE(p.items.isNull(field::VL_UNITARIO)) << c.name;
        EXPECT_DOUBLE_EQ(p.items.asDecimal(field::VL_UNITARIO), c.unitAfter) << c.name;
        EXPECT_EQ(p.items.asText(field::QT_ITEM), c.quantity) << c.name;  // never changed
    }
}

TEST(Pricing, QuantityWithLettersIsAConversionError)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|L||0|", "A|1|x|1,5 kg|2|7|||||"})).ok);
    try {
        recomputeItemTotal(p.items);
        FAIL() << "no error";
    } catch (const ofx::num::ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("\"1,5 kg\""), std::string::npos) << e.what();
    }
}

TEST(Pricing, RecomputesTheShownLotOnly)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|L||0|", "A|1|a|2|3|0|||||", "A|2|b|4|5|0|||||", "A|3|c|1|||||||",
                              "H|M|2025|1|2|L||0|", "A|4|d|2|3|99|||||"})).ok);
    p.items.moveTo(1);
    recomputeAllTotals(p.items);
    EXPECT_EQ(p.items.position(), 1);
    EXPECT_EQ(p.items.state(), ofx::data::TableState::Edit);
    p.items.post();
    const double want[] = {6, 20, 0};
    for (int i = 0; i < 3; ++i) {
        p.items.moveTo(i);
        EXPECT_DOUBLE_EQ(p.items.asDecimal(field::VL_TOTAL), want[i]) << i;
    }
    p.items.setFilter(lotFilter("2"));
    EXPECT_DOUBLE_EQ(p.items.asDecimal(field::VL_TOTAL), 99);  // lot never shown keeps the file's total
}

}  // namespace
