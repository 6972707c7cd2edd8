#include "proposal/pricing.h"

#include "proposal/exchangefile.h"
#include "proposal/tables.h"
#include "text/numbers.h"

#include <algorithm>
#include <cstdint>
#include <variant>
#include <string>

namespace ofx::proposal {

namespace {

// A text of blanks only is an empty quantity or value.
std::string withoutPoints(std::string_view written)
{
    std::string text(withoutZerosBeforeSign(written));
    text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
    if (text.find_first_not_of(' ') == std::string::npos)
        text.clear();
    return text;
}

bool isZeroOrEmpty(const data::Value& v)
{
    if (std::holds_alternative<std::monostate>(v))
        return true;
    if (const auto* d = std::get_if<double>(&v))
        return *d == 0;
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return *i == 0;
    return std::get<std::string>(v).find_first_not_of(' ') == std::string::npos;
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

bool firstItemWithoutValueHasCode(data::MemTable& items, std::string_view fieldName)
{
    const int f = items.fieldIndex(fieldName);
    const int code = items.fieldIndex(field::CD_ITEM);
    for (int p = 0; p < items.recordCount(); ++p) {
        if (!isZeroOrEmpty(items.valueAt(p, f)))
            continue;
        items.moveTo(p);
        return !isZeroOrEmpty(items.valueAt(p, code));
    }
    return false;
}

bool hasSupplierEntries(const data::MemTable& items, PricingMode mode)
{
    const int brand = items.fieldIndex(field::DS_MARCA);
    const int own = items.fieldIndex(mode == PricingMode::Discount ? field::PERC_DESC : field::VL_UNITARIO);
    for (int p = 0; p < items.recordCount(); ++p) {
        if (items.textAt(p, brand).find_first_not_of(' ') != std::string::npos)
            return true;
        if (!isZeroOrEmpty(items.valueAt(p, own)))
            return true;
    }
    return false;
}

void clearSupplierEntries(data::MemTable& items, PricingMode mode)
{
    for (int p = 0; p < items.recordCount(); ++p) {
        items.moveTo(p);
        items.edit();
        items.setText(field::DS_MARCA, "");
        if (mode == PricingMode::Discount) {
            items.setValue(field::PERC_DESC, 0.0);
            try {
                recomputeItemTotal(items);
            } catch (const num::ConversionError&) {
                // a quantity that is no number: its total stays as it was
            }
        } else {
            items.setValue(field::VL_UNITARIO, 0.0);
            items.setValue(field::VL_TOTAL, 0.0);
        }
        items.post();
    }
}

}  // namespace ofx::proposal
