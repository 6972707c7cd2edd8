#include "proposal/pricing.h"

#include "proposal/exchangefile.h"
#include "proposal/tables.h"
#include "text/numbers.h"

#include <algorithm>
#include <string>

namespace ofx::proposal {

namespace {

std::string withoutPoints(std::string_view written)
{
    std::string text(withoutZerosBeforeSign(written));
    text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
    return text;
}

}  // namespace

void recomputeItemTotal(data::MemTable& items)
{
    if (items.isEmpty())
        return;
    std::string quantity = withoutPoints(items.asText(field::QT_ITEM));
    std::string unitValue = withoutPoints(items.asText(field::VL_UNITARIO));
    items.edit();
    if (unitValue.empty()) {
        items.setText(field::VL_UNITARIO, "0");
        unitValue = "0";
    }
    if (quantity.empty())
        quantity = "0";
    const double product = num::parseDecimal(quantity) * num::parseDecimal(unitValue);
    items.setValue(field::VL_TOTAL, product);
}

void recomputeAllTotals(data::MemTable& items)
{
    if (items.isEmpty())
        return;
    const int current = items.position();
    const int count = items.recordCount();
    for (int p = 0; p < count; ++p) {
        items.moveTo(p);
        recomputeItemTotal(items);
    }
    items.moveTo(current);
    recomputeItemTotal(items);
}

}  // namespace ofx::proposal
