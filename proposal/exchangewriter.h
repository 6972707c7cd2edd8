#pragma once
// Writing the exchange file: the participant line, then each lot line with the item lines of its
// lot, each field in the written form that the record layout (recordlayout.h) gives it, every
// line ended by CR LF. Results' messages are CP1252 bytes like every text; the errors thrown
// (WriteError, num::ConversionError) carry UTF-8, as every error's text does.
#include "data/memtable.h"
#include "proposal/processvariables.h"
#include "proposal/recordlayout.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ofx::proposal {

// The item whose value has no written form: its lot, its code (none for an item line without
// one) and the field (QT_ITEM, VL_UNITARIO...), so that a window can show it for correcting.
struct ItemRef {
    std::int32_t lot = 0;
    std::optional<std::int32_t> code;
    std::string field;
};

// A text the file cannot take, found before anything is written. what() is Portuguese (UTF-8)
// and names the lot, the item and the field.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& what, std::optional<ItemRef> item = {})
        : std::runtime_error(what), item(std::move(item))
    {
    }
    std::optional<ItemRef> item;
};

// One line in its written form, without the line end. Any "|", CR, LF or Ctrl-Z inside a value is
// written as a blank, so that what is written always reads back line for line.
std::string participantLine(const ProcessVariables& vars, const ProposalTexts& texts);
// The lot row at position (of the table's view); flag is vFlVlrPerc, written on every lot line.
std::string lotLine(const data::MemTable& lots, int position, std::string_view flag);
// The item row at position; lotNumber is the lot row's number in lot-number form (field 10).
// Throws WriteError (naming lot and item) for a quantity or value without a written form.
std::string itemLine(const data::MemTable& items, int position, std::string_view lotNumber);

// Where written bytes go. write() returns false when the bytes could not all be stored.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(std::string_view bytes) = 0;
};

// A sink over a standard stream (false once the stream fails).
class StreamSink : public ByteSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    bool write(std::string_view bytes) override;

private:
    std::ostream& out_;
};

struct WriteResult {
    bool ok = false;
    std::string error;          // Portuguese, CP1252; empty on success
    bool sinkFailed = false;    // the sink refused bytes (the proposal itself was writable)
    int itemLines = 0;          // item lines written
    std::string lastLotNumber;  // lot-number form of the last item line written (for vNoLote)
    std::optional<ItemRef> failedItem;  // the item that could not be written, when one was the cause
};

// Called after each item line written with the count written so far.
using ProgressFn = std::function<void(int itemLinesWritten)>;

// Writes the whole proposal: the participant line, then for each lot row in the lots table's
// order its lot line and the item lines of its lot number by ascending CD_ITEM (equal codes in
// reading order). Reads posted rows only (post a pending edit first) and moves no cursor of the
// two tables: it walks second cursors of its own. Not written: items whose NO_LOTE matches no lot
// row, items with neither a code nor a description (blank lines of the original file), and items
// of a lot number already written under an earlier lot line of the same number.
// Every number is converted before the first byte goes to the sink; a lot without a number, a
// quantity with letters or a value too large for its form fails the whole write, naming the lot
// and the item, with nothing written.
WriteResult writeProposal(ByteSink& sink, data::MemTable& lots, data::MemTable& items,
                          const ProcessVariables& vars, const ProposalTexts& texts,
                          const ProgressFn& progress = {});

}  // namespace ofx::proposal
