#pragma once
// An in-memory table with cursors, in the manner of a client dataset: field definitions,
// named indexes, a simple filter, browse/edit/insert states, suspended view notifications and
// clones (second cursors over the same rows). Standard C++ only; nothing in it knows proposals.
//
// Texts are held as bytes (the program uses CP1252). Rows are never deleted.
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
    int fieldIndex(std::string_view name) const;  // -1 when there is no such field

    // --- order ------------------------------------------------------------------------
    // Named index over one or several fields ("NO_LOTE;DS_ITEM"), ascending; equal keys keep
    // insertion order. Nulls sort first. Texts compare bytewise.
    void addIndex(std::string name, std::string fieldNames);
    void setIndexName(std::string_view name);        // "" = insertion order
    void setIndexFieldNames(std::string_view names); // ad-hoc order, "" = insertion order
    std::string indexFieldNames() const;             // fields of the current order, "" if none

    // --- filter -----------------------------------------------------------------------
    // Expression "FIELD = number" (blanks around "=" optional). Compared numerically; a null
    // never matches. A malformed expression throws TableError when filtering is switched on
    // with it (or it is set while filtering is on).
    void setFilter(std::string expression);
    const std::string& filter() const;
    void setFiltered(bool on);
    bool filtered() const;

    // --- open / close -----------------------------------------------------------------
    void open();   // goes to the first row; fires afterScroll
    void close();  // drops a pending edit; rows stay
    bool active() const;

    // --- navigation (over the rows the filter and order leave) ------------------------
    // Moving off a row in edit or insert state posts it first.
    // bof(): set by first() and by prior() that finds no earlier row, cleared by any move that
    // succeeds; eof() likewise with last() and next(). Both are set on an empty view.
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int position);  // 0-based position in the view
    bool bof() const;
    bool eof() const;
    int recordCount() const;   // rows in the view
    int position() const;      // 0-based, -1 when the view is empty
    bool isEmpty() const;

    // --- editing ----------------------------------------------------------------------
    void append();  // new empty row, insert state, current; fires afterScroll
    void insert();  // same as append (the order puts the row in its place when posted)
    void edit();    // no-op when already editing; on an empty view does nothing
    void post();    // no-op in browse state
    void cancel();
    TableState state() const;

    // --- field access: the current row (its edit buffer while editing) -----------------
    const Value& value(std::string_view field) const;
    bool isNull(std::string_view field) const;
    // Text form: text as stored, integer in decimal, decimal shortest form ("2,5"), null "".
    std::string asText(std::string_view field) const;
    std::int32_t asInteger(std::string_view field) const;  // null -> 0
    double asDecimal(std::string_view field) const;        // null -> 0
    // Assignment from text, converted to the field's type ("" makes the field null; a text
    // longer than the field's size is cut). Throws num::ConversionError. Needs edit/insert state.
    void setText(std::string_view field, std::string_view text);
    void setValue(std::string_view field, Value v);
    void setNull(std::string_view field);
    // The same by field index (fieldIndex()), for hot loops that resolve names once.
    const Value& value(int fieldIndex) const;
    std::string asText(int fieldIndex) const;
    void setText(int fieldIndex, std::string_view text);
    void setValue(int fieldIndex, Value v);

    // --- reading the view without moving the cursor (for bound views) -----------------
    const Value& valueAt(int position, int fieldIndex) const;
    std::string textAt(int position, int fieldIndex) const;

    // --- bound controls ---------------------------------------------------------------
    void disableControls();  // nests
    void enableControls();
    bool controlsDisabled() const;

    // Fired after every cursor move that lands on a row, and after append/insert/open,
    // also while controls are disabled. One handler; assign an empty function to detach.
    std::function<void(MemTable&)> afterScroll;

    using Listener = std::function<void(TableChange)>;
    int addListener(Listener listener);  // returns a handle for removeListener
    void removeListener(int handle);

    // --- clones -----------------------------------------------------------------------
    // Makes this table a second cursor over source's rows: same fields and rows (shared, not
    // copied), its own filter, order, position and state; every setting reset (no filter, no
    // index: reading order), closed. Nothing done here moves or refilters the source.
    void cloneCursor(MemTable& source);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace ofx::data
