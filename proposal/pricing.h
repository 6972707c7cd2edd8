#pragma once
// Item total arithmetic: VL_TOTAL = quantity x unit value, on the items table.
#include "data/memtable.h"
#include "proposal/loader.h"

#include <string_view>

namespace ofx::proposal {

// For the items table's current row: puts it into edit state; an empty unit value stores 0 into
// VL_UNITARIO; an empty QT_ITEM counts as 0 (QT_ITEM itself is not changed); every "." is removed
// from both texts (thousands separators) before converting with "," as decimal separator; the
// product is stored unrounded into VL_TOTAL. The row is left in edit state.
// Throws num::ConversionError (naming the value, in the number layer's wording) for a quantity
// that does not convert. Does nothing on an empty view.
void recomputeItemTotal(data::MemTable& items);

// The same for every row of the current view (the lot the filter leaves), first to last, then
// back on the row that was current, which is left in edit state. Moving the cursor posts each
// row and fires the table's afterScroll. An error stops at the failing row; later rows keep
// their totals.
void recomputeAllTotals(data::MemTable& items);

// The questions before saving: finds the first item, in the view's order, whose field (VL_TOTAL
// or PERC_DESC) is empty or zero (an empty value is written as zero, so it counts as one), and
// tells whether that item has an item code (an item line without data has none). The cursor is
// left on that item, or where it was when there is none.
bool firstItemWithoutValueHasCode(data::MemTable& items, std::string_view field);

// "Limpar": true when any item of the view holds something of the supplier's that clearing would
// take: a brand; in price mode a unit value other than zero; in discount mode a discount other
// than zero (the unit values there are the public body's).
bool hasSupplierEntries(const data::MemTable& items, PricingMode mode);

// "Limpar" on every row of the view: brands emptied; in price mode unit values and totals set to
// zero; in discount mode discounts set to zero, the public body's unit values kept and the totals
// recomputed (a quantity that is no number keeps its total). Each row is posted.
void clearSupplierEntries(data::MemTable& items, PricingMode mode);

}  // namespace ofx::proposal
