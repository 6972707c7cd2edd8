#pragma once
// An in-memory table with cursors, in the manner of a client dataset: field definitions,
// named indexes, a simple filter, browse/edit/insert states, suspended view notifications and
// clones (second cursors over the same rows). Standard C++ only; nothing in it knows proposals.
//
// Texts are held as bytes (the program uses CP1252). Rows are never deleted.
//
// Cost: append/post are O(1) amortised; the view a cursor shows (its filtered, ordered list of
// rows) is rebuilt lazily, on the next read of positions, and only when rows were added or a
// field that its filter or order reads was changed. Posting other fields costs no rebuild.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ofx::data {

enum class FieldType { Text, Integer, Decimal, DateTime };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int size = 0;  // Text only: longer text is cut to this many bytes when stored
};

// Null, text, 32-bit integer, or double (Decimal; DateTime as days since 1899-12-30).
using Value = std::variant<std::monostate, std::string, std::int32_t, double>;

// Misuse of the table (unknown field, post outside edit, malformed filter...). what() is
// Portuguese, e.g. a filter that cannot be formed: "Expressão de filtro inválida: \"NO_LOTE = \"".
// Like num::ConversionError, what() is UTF-8 (CP1252 texts quoted in it are converted).
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TableState { Inactive, Browse, Edit, Insert };

// What a bound view is told. Not delivered while controls are disabled; enabling them again
// (outermost enableControls) delivers one Reset.
enum class TableChange {
    Reset,     // rows, order, filter or open state changed: re-read everything
    RowPosted, // the current row's values were posted (the table is in browse state now)
    Scrolled,  // the cursor moved to another row
    State,     // edit/insert began or was cancelled, or a field of the edit buffer changed
};

class MemTable {
public:
    MemTable();
    ~MemTable();
    MemTable(const MemTable&) = delete;
    MemTable& operator=(const MemTable&) = delete;

    // --- definition -------------------------------------------------------------------
    void addField(std::string name, FieldType type, int size = 0);  // before createDataSet
    void createDataSet();  // empty storage with the defined fields, opened
    const std::vector<FieldDef>& fields() const;
    // -1 when there is no such field. Field names, here and everywhere below, ignore ASCII
    // letter case, as in "no_lote".
    int fieldIndex(std::string_view name) const;

    // --- order ------------------------------------------------------------------------
    // Named index over one or several fields ("NO_LOTE;DS_ITEM"), ascending; equal keys keep
    // insertion order. Nulls sort first. Texts compare bytewise. Declaring checks nothing (a
    // table may declare indexes before it has fields); selecting one checks its fields and
    // throws TableError for an unknown one. Changing the order posts a pending edit and keeps
    // the current row current, at its new position.
    void addIndex(std::string name, std::string fieldNames);
    void setIndexName(std::string_view name);        // "" = insertion order
    void setIndexFieldNames(std::string_view names); // ad-hoc order, "" = insertion order
    std::string indexFieldNames() const;             // fields of the current order, "" if none

    // --- filter -----------------------------------------------------------------------
    // Expression "FIELD = number" (blanks around "=" optional; the number may have a "," or
    // "." decimal part). Compared numerically; a null never matches. A malformed expression, an
    // unknown or a text field throws TableError when filtering is switched on with it (or it is
    // set while filtering is on); the filter in force then stays as it was. An empty expression
    // filters nothing. A change that takes effect on an open table posts a pending edit and
    // goes to the first row of the new view (firing afterScroll when there is one).
    void setFilter(std::string expression);
    const std::string& filter() const;
    void setFiltered(bool on);
    bool filtered() const;

    // --- open / close -----------------------------------------------------------------
    void open();   // goes to the first row; fires afterScroll when there is one
    void close();  // drops a pending edit; rows stay
    bool active() const;
    // A closed table shows no rows (recordCount() 0, position() -1); moving, editing and
    // reading fields throw TableError.

    // --- navigation (over the rows the filter and order leave) ------------------------
    // Moving off a row in edit or insert state posts it first.
    // bof(): set by first() and by prior() that finds no earlier row, cleared by any move that
    // succeeds; eof() likewise with last() and next(). Both are set on an empty view.
    // A step that finds no row leaves the cursor where it was and the other flag as it was.
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int position);  // 0-based position in the view; outside it throws TableError
    bool bof() const;
    bool eof() const;
    int recordCount() const;   // rows in the view
    // 0-based, -1 when the view is empty. While a new row is being inserted it is
    // recordCount(): the row is not in the view until posted.
    int position() const;
    bool isEmpty() const;

    // --- editing ----------------------------------------------------------------------
    void append();  // new empty row, insert state, current; fires afterScroll
    void insert();  // same as append (the order puts the row in its place when posted)
    // cancel() of an insert returns to the row that was current before append().
    void edit();    // no-op when already editing; on an empty view does nothing
    void post();    // no-op in browse state
    void cancel();
    TableState state() const;

    // --- field access: the current row (its edit buffer while editing) -----------------
    // A reference to a value stays valid while that value is neither set nor posted again.
    // With no current row (empty view) every field reads as null.
    const Value& value(std::string_view field) const;
    bool isNull(std::string_view field) const;
    // Text form: text as stored, integer in decimal, decimal shortest form ("2,5"), null "".
    std::string asText(std::string_view field) const;
    std::int32_t asInteger(std::string_view field) const;  // null -> 0
    double asDecimal(std::string_view field) const;        // null -> 0
    // Assignment from text, converted to the field's type ("" makes the field null; a text
    // longer than the field's size is cut). Throws num::ConversionError. Needs edit/insert state.
    // Date-time texts are "dd/mm/yyyy", optionally followed by " hh:mm" or " hh:mm:ss".
    void setText(std::string_view field, std::string_view text);
    // A text is converted as by setText; an integer goes into a decimal field; a decimal into
    // an integer field only when it is a whole number in range (else num::ConversionError).
    void setValue(std::string_view field, Value v);
    void setNull(std::string_view field);
    // The same by field index (fieldIndex()), for hot loops that resolve names once.
    const Value& value(int fieldIndex) const;
    std::string asText(int fieldIndex) const;
    void setText(int fieldIndex, std::string_view text);
    void setValue(int fieldIndex, Value v);

    // --- reading the view without moving the cursor (for bound views) -----------------
    // The row being edited shows its edit buffer. A position outside the view throws TableError.
    const Value& valueAt(int position, int fieldIndex) const;
    std::string textAt(int position, int fieldIndex) const;

    // --- bound controls ---------------------------------------------------------------
    void disableControls();  // nests
    void enableControls();
    bool controlsDisabled() const;

    // Fired after every cursor move that lands on a row, and after append/insert/open,
    // also while controls are disabled. One handler; assign an empty function to detach.
    // A first/prior/next/last/moveTo on a non-empty view always lands (a step that finds no
    // row stays on the current one); open and filter changes fire it only when the new view
    // has a row. It is called once the cursor is settled, so it may edit the row.
    std::function<void(MemTable&)> afterScroll;

    using Listener = std::function<void(TableChange)>;
    int addListener(Listener listener);  // returns a handle for removeListener
    void removeListener(int handle);

    // --- clones -----------------------------------------------------------------------
    // Makes this table a second cursor over source's rows: same fields and rows (shared, not
    // copied), its own filter, order, position and state; every setting reset (no filter, no
    // index: reading order), closed. Nothing done here moves or refilters the source.
    // The clone sees stored rows only, not the source's pending edit. Indexes declared on
    // source are declared on this table as well (its own declarations win on equal names).
    void cloneCursor(MemTable& source);

private:
    void step(int delta);
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace ofx::data
