// The generated files must have the writer's layout (the benchmarks measure the reader and the
// writer on them) and must be a fixed point of loading and writing back.
#include "genproposta.h"

#include "proposal/exchangefile.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ofx::bench::generateProposal;
using ofx::bench::ProposalShape;

std::string generate(const ProposalShape& shape)
{
    std::ostringstream out(std::ios::binary);
    const auto result = generateProposal(out, shape);
    EXPECT_EQ(result.bytes, out.str().size());
    return out.str();
}

// Lines without their CR LF; fails when a line end is anything but CR LF.
std::vector<std::string_view> lines(std::string_view bytes)
{
    std::vector<std::string_view> result;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        EXPECT_NE(lf, std::string_view::npos) << "last line without CR LF";
        if (lf == std::string_view::npos)
            break;
        EXPECT_TRUE(lf > 0 && bytes[lf - 1] == '\r') << "line end without CR";
        std::string_view line = bytes.substr(0, lf > 0 ? lf - 1 : 0);
        EXPECT_EQ(line.find('\r'), std::string_view::npos) << "CR inside a line";
        result.push_back(line);
        bytes.remove_prefix(lf + 1);
    }
    return result;
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> result;
    for (std::size_t bar; (bar = line.find('|')) != std::string_view::npos;) {
        result.push_back(line.substr(0, bar));
        line.remove_prefix(bar + 1);
    }
    EXPECT_TRUE(line.empty()) << "text after the last bar";
    return result;
}

// The widths of the writer's layout; 0 for the fields written as held.
const std::vector<std::size_t> participantWidths = {8,  50, 0,  50, 10, 50, 10, 50, 0, 20, 20, 70,
                                                    0,  0,  0,  0,  100, 300, 0, 0, 50, 50, 0, 300};
const std::vector<std::size_t> lotWidths = {20, 0, 5, 5, 100, 50, 0};
const std::vector<std::size_t> itemWidths = {6, 2000, 17, 17, 17, 9, 40, 8, 17, 5};

void expectWidths(const std::vector<std::string_view>& f, const std::vector<std::size_t>& widths,
                  std::string_view line)
{
    ASSERT_EQ(f.size(), widths.size() + 1) << line.substr(0, 80);
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (widths[i]) {
            EXPECT_EQ(f[i + 1].size(), widths[i]) << "field " << i + 1 << " of " << line.substr(0, 80);
        }
    }
}

TEST(GenProposta, WritesTheWritersLayoutWithLotsOf50To500Items)
{
    const std::string bytes = generate({.items = 3000, .lots = 0, .seed = 7});
    const auto all = lines(bytes);
    ASSERT_FALSE(all.empty());
    ASSERT_NO_FATAL_FAILURE(expectWidths(fields(all[0]), participantWidths, all[0]));
    EXPECT_TRUE(all[0].starts_with("C|"));

    std::vector<long> lotSizes;
    std::string_view lotNumber;
    long items = 0, lastCode = 0;
    for (std::size_t i = 1; i < all.size(); ++i) {
        const auto f = fields(all[i]);
        if (f[0] == "H") {
            ASSERT_NO_FATAL_FAILURE(expectWidths(f, lotWidths, all[i]));
            lotNumber = f[4];
            lotSizes.push_back(0);
            continue;
        }
        ASSERT_EQ(f[0], "A");
        ASSERT_NO_FATAL_FAILURE(expectWidths(f, itemWidths, all[i]));
        ASSERT_FALSE(lotSizes.empty()) << "item before the first lot";
        ++lotSizes.back();
        ++items;
        EXPECT_EQ(f[10], lotNumber) << "field 10 is the lot number";
        const long code = std::stol(std::string(f[1]));
        EXPECT_GT(code, lastCode) << "item codes rise through the file";
        lastCode = code;
        EXPECT_EQ(f[3].find('.'), std::string_view::npos) << "no thousands separator: " << f[3];
        EXPECT_EQ(f[3][12], ',') << f[3];
    }
    EXPECT_EQ(items, 3000);
    ASSERT_GE(lotSizes.size(), 6u);
    for (std::size_t i = 0; i + 1 < lotSizes.size(); ++i) {
        EXPECT_GE(lotSizes[i], 50);
        EXPECT_LE(lotSizes[i], 500);
    }

    // CP1252, not UTF-8: "ç" is the single byte E7, and no C3 lead byte of "ç"/"ã"/"é" occurs.
    EXPECT_NE(bytes.find('\xE7'), std::string::npos);
    EXPECT_EQ(bytes.find("\xC3\xA7"), std::string::npos);
    EXPECT_EQ(bytes.find("\xC3\xA3"), std::string::npos);
}

TEST(GenProposta, SpreadsItemsEvenlyOverTheLotsAsked)
{
    const std::string bytes = generate({.items = 100, .lots = 7, .seed = 1});
    std::vector<long> sizes;
    for (std::string_view line : lines(bytes)) {
        if (line.starts_with("H|"))
            sizes.push_back(0);
        else if (line.starts_with("A|"))
            ++sizes.back();
    }
    EXPECT_EQ(sizes, (std::vector<long>{15, 15, 14, 14, 14, 14, 14}));

    // No items still makes a file that loads: one lot line.
    const std::string none = generate({.items = 0, .lots = 0, .seed = 1});
    const auto empty = lines(none);
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_TRUE(empty[1].starts_with("H|"));
}

TEST(GenProposta, SameSeedSameBytes)
{
    EXPECT_EQ(generate({.items = 400, .lots = 0, .seed = 3}),
              generate({.items = 400, .lots = 0, .seed = 3}));
    EXPECT_NE(generate({.items = 400, .lots = 0, .seed = 3}),
              generate({.items = 400, .lots = 0, .seed = 4}));
}

// Seed 1 gives a proposal by price, seed 5 one by discount.
class GenPropostaRoundTrip : public testing::TestWithParam<std::uint64_t> {};

TEST_P(GenPropostaRoundTrip, LoadingAndWritingBackGivesTheSameBytes)
{
    using namespace ofx::proposal;
    std::ostringstream out(std::ios::binary);
    const auto generated = generateProposal(out, {.items = 1500, .lots = 0, .seed = GetParam()});
    EXPECT_EQ(generated.discountMode, GetParam() == 5);
    const std::string bytes = out.str();

    ofx::data::MemTable lots, items;
    createLotsTable(lots);
    createItemsTable(items);
    ProcessVariables vars;
    std::istringstream in(bytes, std::ios::binary);
    const LoadResult loaded = loadProposal(in, lots, items, vars);
    ASSERT_TRUE(loaded.ok) << loaded.error << " (line " << loaded.line << ")";
    EXPECT_EQ(loaded.pricingMode,
              generated.discountMode ? PricingMode::Discount : PricingMode::Price);
    if (items.state() != ofx::data::TableState::Browse)
        items.post();

    // The window's date fields show the file's dates as read (placeholder included).
    std::ostringstream written(std::ios::binary);
    StreamSink sink(written);
    const WriteResult result =
        writeProposal(sink, lots, items, vars, {vars.vDtValidade, vars.vDtPrazo, loaded.observations});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.itemLines, 1500);
    const std::string again = written.str();
    ASSERT_EQ(again.size(), bytes.size());
    const auto mismatch = std::mismatch(bytes.begin(), bytes.end(), again.begin());
    EXPECT_TRUE(mismatch.first == bytes.end())
        << "first difference at byte " << (mismatch.first - bytes.begin());
}

INSTANTIATE_TEST_SUITE_P(PriceAndDiscount, GenPropostaRoundTrip, testing::Values(1u, 5u));

}  // namespace
