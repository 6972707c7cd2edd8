#pragma once
// The proposal exchange file: a CP1252 text file, one record per line, fields each followed by
// "|". The first field is the line's kind: "C" participant (24 fields), "H" lot (7 fields),
// anything else an item (10 fields; the writer writes "A"). Lines are written with CR LF; on
// reading a line ends at LF or CR LF, a lone CR is dropped and Ctrl-Z ends the data.
//
// All texts here are CP1252 bytes, the messages of results and of WriteError included;
// num::ConversionError keeps the number layer's own wording.
#include "data/memtable.h"
#include "proposal/processvariables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ofx::proposal {

// --- text filling ---------------------------------------------------------------------------

// "0" put in front up to width; a text of the width or longer is returned whole (never cut).
std::string StrZeros(std::string_view text, int width);

// Exactly width characters: fill in front when direction, upper-cased, is 'L', otherwise after;
// a text of the width or longer is cut to its first width characters, whatever the direction.
std::string LRPad(std::string_view text, int width, char direction, char fill);

// --- reading --------------------------------------------------------------------------------

enum class LineKind { Participant, Lot, Item };

inline constexpr int participantFieldCount = 24;
inline constexpr int lotFieldCount = 7;
inline constexpr int itemFieldCount = 10;
int fieldCount(LineKind kind);

// One line taken apart. The views point into the line given to splitLine.
struct SplitLine {
    LineKind kind = LineKind::Item;
    std::string_view kindText;  // the text before the first "|"; empty in a line without "|"
    std::array<std::string_view, participantFieldCount> fields{};  // fieldCount(kind) used
};

// Kind and exactly fieldCount(kind) fields. A field is the text up to the next "|"; once no "|"
// is left, it and every later field are empty (a short line or a last field without its bar is
// not an error). Whatever follows the last field is ignored. Values keep their blanks. The kind
// test is exact and case-sensitive: "h", "c" or a kind behind a byte-order mark is an item line.
SplitLine splitLine(std::string_view line);

// Lines of a file, read in blocks. A final line without a line end counts; after the last
// line end there is no further (empty) line. Ctrl-Z (code 26) ends the data.
class LineReader {
public:
    explicit LineReader(std::istream& in);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its line end and with lone CRs removed; false at the end of the
    // data or on a read error (see failed()). The view is valid until the next call.
    bool next(std::string_view& line);
    bool failed() const;    // the stream reported an error other than its end
    long lineNumber() const;  // 1-based number of the line last returned

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// --- writing --------------------------------------------------------------------------------

// A text the file cannot take, found before anything is written. what() is Portuguese (CP1252)
// and names the lot, the item and the field.
// The item whose value has no written form: its lot, its code (none for an item line without
// one) and the field (QT_ITEM, VL_UNITARIO...), so that a window can show it for correcting.
struct ItemRef {
    std::int32_t lot = 0;
    std::optional<std::int32_t> code;
    std::string field;
};

class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& what, std::optional<ItemRef> item = {})
        : std::runtime_error(what), item(std::move(item))
    {
    }
    std::optional<ItemRef> item;
};

// Number forms, before zero-filling.
// Value form: 12 significant digits, 4 decimals, "," ("10,0000"); ConversionError for an integer
// part of more than 12 digits or a value that is not finite.
std::string valueForm(double value);
// Quantity form: every "." removed, converted with "," as decimal separator, then the value form;
// an empty text is zero. ConversionError for a text that does not convert ("1,5 kg").
std::string quantityForm(std::string_view quantityText);

// A number as the writer zero-fills it: the zeros go in front of the sign ("0000000000-2,5000").
// Returns the text from the sign on when it has that shape, else the text unchanged, so that every
// number the writer writes reads back (also the quantity, which is converted when written).
std::string_view withoutZerosBeforeSign(std::string_view text);
// Percentage form "##0.0000": 7.5 -> "7,5000". ConversionError when not finite.
std::string percentageForm(double value);
// Lot-number form "#00000": 3 -> "00003".
std::string lotNumberForm(std::int32_t lotNumber);

// Texts the window holds outside the tables and variables, written into the participant line.
struct ProposalTexts {
    std::string validity;      // edtValidade's text: participant field 19 ("" when empty)
    std::string deadline;      // edtProposta's text: participant field 20
    std::string observations;  // mmObs's text: participant field 24
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
