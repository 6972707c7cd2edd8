#pragma once
// Reading the exchange file: its lines, each taken apart into its kind and fields. A CP1252 text
// file, one record per line, fields each followed by "|"; the first field is the line's kind: "C"
// participant, "H" lot, anything else an item. A line ends at LF or CR LF, a lone CR is dropped
// and Ctrl-Z ends the data. What each field is goes in recordlayout.h; the loader (loader.h) puts
// the fields into the tables and variables.
#include "proposal/recordlayout.h"

#include <array>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace ofx::proposal {

enum class LineKind { Participant, Lot, Item };

// The number of fields after the kind: 24, 7 or 10 (the record layout's tables).
int fieldCount(LineKind kind);

// One line taken apart. The views point into the line given to splitLine.
struct SplitLine {
    LineKind kind = LineKind::Item;
    std::string_view kindText;  // the text before the first "|"; empty in a line without "|"
    std::array<std::string_view, participantFieldCount> fields{};  // fieldCount(kind) used
};
static_assert(participantFieldCount >= lotFieldCount && participantFieldCount >= itemFieldCount);

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

}  // namespace ofx::proposal
