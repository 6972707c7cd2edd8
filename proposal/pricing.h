#pragma once
// Item total arithmetic: VL_TOTAL = quantity x unit value, on the items table.
#include "data/memtable.h"

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

}  // namespace ofx::proposal
