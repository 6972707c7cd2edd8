#include "data/memtable.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <system_error>

#include "text/cp1252.h"
#include "text/numbers.h"

namespace ofx::data {
namespace {

const Value kNull;

std::string quoted(std::string_view text)
{
    std::string out(1, '"');
    out += text::cp1252ToUtf8(text);
    out += '"';
    return out;
}

[[noreturn]] void fail(const std::string& message) { throw TableError(message); }

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Total order over the values of one field: null first, then by value; texts bytewise
// (char_traits<char> compares as unsigned char); NaN after every number.
int compareValues(const Value& a, const Value& b) {
    if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
    switch (a.index()) {
    case 1: {
        const int c = std::get<std::string>(a).compare(std::get<std::string>(b));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case 2: {
        const auto x = std::get<std::int32_t>(a), y = std::get<std::int32_t>(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 3: {
        const double x = std::get<double>(a), y = std::get<double>(b);
        if (std::isnan(x) || std::isnan(y)) return std::isnan(x) - std::isnan(y);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default:
        return 0;
    }
}

// Date-time as days since 1899-12-30, the fraction being the time of day.
constexpr std::chrono::sys_days kEpoch =
    std::chrono::sys_days(std::chrono::year(1899) / std::chrono::December / 30);

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

std::string dateTimeText(double days) {
    using namespace std::chrono;
    const double whole = std::floor(days);
    const year_month_day ymd(kEpoch + std::chrono::days(static_cast<long>(whole)));
    std::string out = twoDigits(static_cast<int>(static_cast<unsigned>(ymd.day()))) + "/" +
                      twoDigits(static_cast<int>(static_cast<unsigned>(ymd.month()))) + "/" +
                      std::to_string(static_cast<int>(ymd.year()));
    const long seconds = std::lround((days - whole) * 86400.0);
    if (seconds > 0 && seconds < 86400)
        out += " " + twoDigits(static_cast<int>(seconds / 3600)) + ":" +
               twoDigits(static_cast<int>(seconds / 60 % 60)) + ":" +
               twoDigits(static_cast<int>(seconds % 60));
    return out;
}

// "dd/mm/yyyy", optionally followed by " hh:mm" or " hh:mm:ss".
double parseDateTime(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int count = 0;
    const char* p = s.data();
    const char* end = s.data() + s.size();
    const char separators[] = {'/', '/', ' ', ':', ':'};
    while (p < end && count < 6) {
        const auto res = std::from_chars(p, end, parts[count]);
        if (res.ec != std::errc() || res.ptr == p) break;
        p = res.ptr;
        ++count;
        if (p == end) break;
        if (count > 5 || *p != separators[count - 1]) break;
        ++p;
        if (count == 3)
            while (p < end && *p == ' ') ++p;
    }
    using namespace std::chrono;
    const year_month_day ymd{year(parts[2]), month(static_cast<unsigned>(parts[1])),
                             day(static_cast<unsigned>(parts[0]))};
    const bool timeOk = parts[3] < 24 && parts[4] < 60 && parts[5] < 60 && parts[3] >= 0 &&
                        parts[4] >= 0 && parts[5] >= 0;
    if (p != end || (count != 3 && count != 5 && count != 6) || !ymd.ok() || !timeOk)
        throw num::ConversionError(quoted(text) + " não é uma data válida");
    const double wholeDays = static_cast<double>((sys_days(ymd) - kEpoch).count());
    return wholeDays + (parts[3] * 3600 + parts[4] * 60 + parts[5]) / 86400.0;
}

// Rows shared by a table and its clones. Rows are only ever appended, so a row's number is
// stable and a reference to a stored value stays valid for the storage's life.
struct Storage {
    std::vector<FieldDef> fields;
    std::vector<Value*> rows;  // each row's values, carved out of blocks
    std::vector<std::unique_ptr<Value[]>> blocks;
    std::size_t blockRows = 0;  // rows the last block holds
    std::size_t freeRows = 0;   // of which still unused
    // Bumped whenever a stored value of the field changes, so that a cursor's view rebuilds
    // only when a field it filters or orders by was touched.
    std::vector<std::uint64_t> fieldVersion;

    int rowCount() const { return static_cast<int>(rows.size()); }
    const Value& cell(int row, int field) const {
        return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(field)];
    }
    Value& cell(int row, int field) {
        return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(field)];
    }

    // A new row of null values. Blocks grow with the table (16 rows up to 4096), so a small
    // table stays small and a large load allocates rarely.
    Value* appendRow() {
        const std::size_t width = fields.size();
        if (freeRows == 0) {
            blockRows = std::clamp<std::size_t>(rows.size(), 16, 4096);
            blocks.push_back(std::make_unique<Value[]>(blockRows * width));
            freeRows = blockRows;
        }
        Value* row = blocks.back().get() + (blockRows - freeRows) * width;
        --freeRows;
        rows.push_back(row);
        return row;
    }
};

struct FilterSpec {
    int field = -1;
    double number = 0;
};

// The rows a cursor shows, in its order. Without filter and order it is all rows in reading
// order and no list is kept (position == row number).
struct View {
    bool valid = false;
    std::uint64_t settings = 0;      // the cursor's settings generation it was built for
    int seenRows = 0;                // storage rows considered
    std::vector<int> depFields;      // fields the filter and order read
    std::vector<std::uint64_t> depVersions;
    bool identity = true;
    std::vector<int> rows;
};

}  // namespace

struct MemTable::Impl {
    struct IndexDef {
        std::string name;
        std::string fieldNames;
    };

    MemTable& self;
    std::vector<FieldDef> pendingFields;  // definitions before createDataSet
    std::shared_ptr<Storage> store;

    std::vector<IndexDef> indexes;
    std::vector<int> orderFields;  // current order; empty = reading order

    std::string filterText;
    bool filtering = false;
    std::optional<FilterSpec> filter;  // in effect when filtering with a non-empty expression
    std::uint64_t settings = 1;        // bumped when filter or order change

    TableState state = TableState::Inactive;
    mutable int curRow = -1;  // storage row under the cursor, -1 when none
    mutable int pos = -1;     // its position in the view, valid when posValid
    mutable bool posValid = false;
    bool bof = true;
    bool eof = true;

    // Edit buffer: in Edit state only touched fields are held (the others are read from
    // editRow); in Insert state all of them.
    std::vector<Value> buffer;
    std::vector<char> touched;
    int editRow = -1;
    int rowBeforeInsert = -1;

    mutable View view;

    int disableCount = 0;
    std::vector<std::pair<int, Listener>> listeners;
    int nextHandle = 1;

    explicit Impl(MemTable& t) : self(t) {}

    const std::vector<FieldDef>& fields() const { return store ? store->fields : pendingFields; }
    int fieldCount() const { return static_cast<int>(fields().size()); }

    int fieldIndex(std::string_view name) const {
        const auto& fs = fields();
        for (std::size_t i = 0; i < fs.size(); ++i)
            if (sameName(fs[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    int requireField(std::string_view name) const {
        const int f = fieldIndex(name);
        if (f < 0) fail("Campo " + quoted(name) + " não encontrado");
        return f;
    }
    void checkField(int f) const {
        if (f < 0 || f >= fieldCount())
            fail("Campo número " + std::to_string(f) + " não existe na tabela");
    }

    bool active() const { return state != TableState::Inactive; }
    void requireActive() const {
        if (!active()) fail("Operação não permitida: a tabela está fechada");
    }
    bool editing() const { return state == TableState::Edit || state == TableState::Insert; }
    void requireEditing() const {
        if (!editing()) fail("A tabela não está em modo de edição ou inclusão");
    }

    // --- notifications -----------------------------------------------------------------
    void notify(TableChange change) {
        if (disableCount > 0 || listeners.empty()) return;
        // A listener may add or remove listeners (a view destroyed by another's reaction):
        // each one is looked up again before it is called.
        std::vector<int> handles;
        for (const auto& entry : listeners) handles.push_back(entry.first);
        for (int handle : handles) {
            const auto it = std::find_if(listeners.begin(), listeners.end(),
                                         [handle](const auto& entry) { return entry.first == handle; });
            if (it == listeners.end() || !it->second) continue;
            const Listener listener = it->second;
            listener(change);
        }
    }
    void fireAfterScroll() {
        if (!self.afterScroll) return;
        const auto handler = self.afterScroll;  // the handler may reassign afterScroll
        handler(self);
    }

    // --- order and filter --------------------------------------------------------------
    std::vector<int> resolveFieldList(std::string_view names) const {
        std::vector<int> out;
        std::size_t start = 0;
        while (start <= names.size()) {
            std::size_t end = names.find(';', start);
            if (end == std::string_view::npos) end = names.size();
            const std::string_view name = trimBlanks(names.substr(start, end - start));
            if (!name.empty()) out.push_back(requireField(name));
            start = end + 1;
        }
        return out;
    }

    std::optional<FilterSpec> parseFilter(std::string_view expression) const {
        const std::string_view s = trimBlanks(expression);
        if (s.empty()) return std::nullopt;
        const std::string invalid = "Expressão de filtro inválida: " + quoted(expression);
        std::size_t i = 0;
        auto isNameChar = [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   c == '_';
        };
        while (i < s.size() && isNameChar(s[i])) ++i;
        const std::string_view name = s.substr(0, i);
        const std::string_view rest = trimBlanks(s.substr(i));
        if (name.empty() || rest.empty() || rest.front() != '=') fail(invalid);
        std::string number(trimBlanks(rest.substr(1)));
        // Sign, digits, and optionally a decimal part after "." or ",".
        std::size_t k = 0;
        if (k < number.size() && (number[k] == '-' || number[k] == '+')) ++k;
        const std::size_t digitsStart = k;
        while (k < number.size() && number[k] >= '0' && number[k] <= '9') ++k;
        bool ok = k > digitsStart;
        if (ok && k < number.size() && (number[k] == '.' || number[k] == ',')) {
            number[k] = '.';
            const std::size_t fracStart = ++k;
            while (k < number.size() && number[k] >= '0' && number[k] <= '9') ++k;
            ok = k > fracStart;
        }
        if (!ok || k != number.size()) fail(invalid);
        const char* first = number.data() + (number[0] == '+' ? 1 : 0);
        FilterSpec spec;
        if (std::from_chars(first, number.data() + number.size(), spec.number).ec != std::errc())
            fail(invalid);
        spec.field = fieldIndex(name);
        if (spec.field < 0) fail(invalid + " (campo " + quoted(name) + " não encontrado)");
        if (fields()[static_cast<std::size_t>(spec.field)].type == FieldType::Text)
            fail(invalid + " (o campo " + quoted(name) + " não é numérico)");
        return spec;
    }

    bool matches(int row) const {
        const Value& v = store->cell(row, filter->field);
        if (const auto* i = std::get_if<std::int32_t>(&v)) return *i == filter->number;
        if (const auto* d = std::get_if<double>(&v)) return *d == filter->number;
        return false;  // null never matches
    }

    bool less(int a, int b) const {
        for (int f : orderFields) {
            const int c = compareValues(store->cell(a, f), store->cell(b, f));
            if (c != 0) return c < 0;
        }
        return a < b;  // equal keys keep insertion order
    }

    // --- the view ----------------------------------------------------------------------
    int viewCount() const {
        if (!store) return 0;
        return view.identity ? view.seenRows : static_cast<int>(view.rows.size());
    }
    int rowAt(int position) const {
        return view.identity ? position : view.rows[static_cast<std::size_t>(position)];
    }

    void rebuildView() const {
        View v;
        v.valid = true;
        v.settings = settings;
        v.seenRows = store->rowCount();
        v.depFields = orderFields;
        if (filter) v.depFields.push_back(filter->field);
        for (int f : v.depFields) v.depVersions.push_back(store->fieldVersion[static_cast<std::size_t>(f)]);
        v.identity = !filter && orderFields.empty();
        if (!v.identity) {
            for (int r = 0; r < v.seenRows; ++r)
                if (!filter || matches(r)) v.rows.push_back(r);
            if (!orderFields.empty())
                std::sort(v.rows.begin(), v.rows.end(), [this](int a, int b) { return less(a, b); });
        }
        view = std::move(v);
        posValid = false;
    }

    // Rows appended since the view was built are merged in without re-sorting the rest.
    void extendView() const {
        const int total = store->rowCount();
        if (!view.identity) {
            const std::size_t oldSize = view.rows.size();
            for (int r = view.seenRows; r < total; ++r)
                if (!filter || matches(r)) view.rows.push_back(r);
            if (!orderFields.empty() && view.rows.size() > oldSize) {
                auto cmp = [this](int a, int b) { return less(a, b); };
                const auto middle = view.rows.begin() + static_cast<std::ptrdiff_t>(oldSize);
                std::sort(middle, view.rows.end(), cmp);
                // Rows that all sort after the last one (a file read in code order) are
                // already in place and move no position.
                if (oldSize > 0 && cmp(*middle, *(middle - 1))) {
                    std::inplace_merge(view.rows.begin(), middle, view.rows.end(), cmp);
                    posValid = false;
                }
            }
        }
        if (curRow < 0 && total > view.seenRows) posValid = false;  // lands on the first row
        view.seenRows = total;
    }

    void ensureView() const {
        if (!store) return;
        bool full = !view.valid || view.settings != settings;
        for (std::size_t i = 0; !full && i < view.depFields.size(); ++i)
            full = store->fieldVersion[static_cast<std::size_t>(view.depFields[i])] != view.depVersions[i];
        if (full)
            rebuildView();
        else if (store->rowCount() > view.seenRows)
            extendView();
        if (!posValid) resync();
    }

    // Finds the current row in a rebuilt view. A row that left the view (its filter field
    // was changed) gives its place to the row now there.
    void resync() const {
        const int count = viewCount();
        int found = -1;
        if (curRow >= 0) {
            if (view.identity) {
                found = curRow < count ? curRow : -1;
            } else {
                const auto it = std::find(view.rows.begin(), view.rows.end(), curRow);
                if (it != view.rows.end()) found = static_cast<int>(it - view.rows.begin());
            }
        }
        if (found >= 0) {
            pos = found;
        } else if (count == 0) {
            pos = -1;
            curRow = -1;
        } else {
            pos = std::clamp(pos, 0, count - 1);
            curRow = rowAt(pos);
        }
        posValid = true;
    }

    int currentPosition() const {
        ensureView();
        return pos;
    }

    void invalidateSettings() {
        ++settings;
        posValid = false;
    }

    // --- cursor ------------------------------------------------------------------------
    void setCurrent(int position) {
        pos = position;
        curRow = position >= 0 ? rowAt(position) : -1;
        posValid = true;
    }

    // Posts a pending edit before the cursor leaves the row or the view changes.
    void checkBrowse() {
        if (editing()) self.post();
    }

    // After a filter change: the view starts again at its first row.
    void restartView() {
        ensureView();
        const int count = viewCount();
        setCurrent(count > 0 ? 0 : -1);
        bof = true;
        eof = count == 0;
    }

    const Value& current(int f) const {
        if (state == TableState::Insert) return buffer[static_cast<std::size_t>(f)];
        if (state == TableState::Edit)
            return touched[static_cast<std::size_t>(f)] ? buffer[static_cast<std::size_t>(f)]
                                                        : store->cell(editRow, f);
        // The row under the cursor needs no view: reading it after each post of a long load
        // must not re-sort anything.
        if (curRow < 0) ensureView();
        return curRow >= 0 ? store->cell(curRow, f) : kNull;
    }

    // --- values ------------------------------------------------------------------------
    Value fromText(int f, std::string_view text) const {
        if (text.empty()) return Value{};
        const FieldDef& def = fields()[static_cast<std::size_t>(f)];
        switch (def.type) {
        case FieldType::Text:
            if (def.size > 0 && text.size() > static_cast<std::size_t>(def.size))
                text = text.substr(0, static_cast<std::size_t>(def.size));
            return std::string(text);
        case FieldType::Integer:
            return num::parseInteger(text);
        case FieldType::Decimal:
            return num::parseDecimal(text);
        case FieldType::DateTime:
            return parseDateTime(text);
        }
        return Value{};
    }

    Value convert(int f, Value v) const {
        const FieldType type = fields()[static_cast<std::size_t>(f)].type;
        if (std::holds_alternative<std::monostate>(v)) return v;
        if (auto* s = std::get_if<std::string>(&v)) return fromText(f, *s);
        if (const auto* i = std::get_if<std::int32_t>(&v)) {
            if (type == FieldType::Integer) return v;
            if (type == FieldType::Text) return fromText(f, std::to_string(*i));
            return static_cast<double>(*i);
        }
        const double d = std::get<double>(v);
        if (type == FieldType::Decimal || type == FieldType::DateTime) return v;
        if (type == FieldType::Text) return fromText(f, num::shortestDecimal(d));
        if (d != std::trunc(d) || d < -2147483648.0 || d > 2147483647.0)
            throw num::ConversionError(quoted(num::shortestDecimal(d)) +
                                       " não é um número inteiro válido");
        return static_cast<std::int32_t>(d);
    }

    std::string text(int f, const Value& v) const {
        switch (v.index()) {
        case 1:
            return std::get<std::string>(v);
        case 2:
            return std::to_string(std::get<std::int32_t>(v));
        case 3:
            if (fields()[static_cast<std::size_t>(f)].type == FieldType::DateTime)
                return dateTimeText(std::get<double>(v));
            return num::shortestDecimal(std::get<double>(v));
        default:
            return {};
        }
    }

    // Puts an already converted value into the edit buffer.
    void put(int f, Value v) {
        buffer[static_cast<std::size_t>(f)] = std::move(v);
        if (state == TableState::Edit) touched[static_cast<std::size_t>(f)] = 1;
        notify(TableChange::State);
    }
};

MemTable::MemTable() : d(std::make_unique<Impl>(*this)) {}
MemTable::~MemTable() = default;

// --- definition ---------------------------------------------------------------------------

void MemTable::addField(std::string name, FieldType type, int size) {
    if (d->store) fail("Os campos só podem ser definidos antes de criar a tabela");
    if (d->fieldIndex(name) >= 0) fail("Campo " + quoted(name) + " definido duas vezes");
    d->pendingFields.push_back(FieldDef{std::move(name), type, std::max(size, 0)});
}

void MemTable::createDataSet() {
    if (d->pendingFields.empty()) fail("A tabela não tem campos definidos");
    // Order and filter were resolved against the fields in use until now (a clone's may
    // differ): resolve them again against the new ones.
    const std::string orderNames = indexFieldNames();
    auto storage = std::make_shared<Storage>();
    storage->fields = d->pendingFields;
    storage->fieldVersion.assign(storage->fields.size(), 0);
    auto previous = std::move(d->store);
    d->store = std::move(storage);
    std::vector<int> order;
    std::optional<FilterSpec> spec;
    try {
        order = d->resolveFieldList(orderNames);
        if (d->filtering) spec = d->parseFilter(d->filterText);
    } catch (...) {
        d->store = std::move(previous);
        throw;
    }
    d->orderFields = std::move(order);
    d->filter = spec;
    d->state = TableState::Inactive;
    d->view = View{};
    d->invalidateSettings();
    d->curRow = -1;
    open();
}

const std::vector<FieldDef>& MemTable::fields() const { return d->fields(); }

int MemTable::fieldIndex(std::string_view name) const { return d->fieldIndex(name); }

// --- order --------------------------------------------------------------------------------

void MemTable::addIndex(std::string name, std::string fieldNames) {
    for (auto& def : d->indexes)
        if (sameName(def.name, name)) {
            def.fieldNames = std::move(fieldNames);
            return;
        }
    d->indexes.push_back({std::move(name), std::move(fieldNames)});
}

void MemTable::setIndexName(std::string_view name) {
    if (name.empty()) {
        setIndexFieldNames("");
        return;
    }
    for (const auto& def : d->indexes)
        if (sameName(def.name, name)) {
            setIndexFieldNames(def.fieldNames);
            return;
        }
    fail("Índice " + quoted(name) + " não encontrado");
}

void MemTable::setIndexFieldNames(std::string_view names) {
    std::vector<int> order = d->resolveFieldList(names);
    if (order == d->orderFields) return;
    if (d->active()) d->checkBrowse();
    d->orderFields = std::move(order);
    d->invalidateSettings();  // the current row stays current, at its new position
    if (d->active()) d->notify(TableChange::Reset);
}

std::string MemTable::indexFieldNames() const {
    std::string out;
    for (int f : d->orderFields) {
        if (!out.empty()) out += ';';
        out += d->fields()[static_cast<std::size_t>(f)].name;
    }
    return out;
}

// --- filter -------------------------------------------------------------------------------

void MemTable::setFilter(std::string expression) {
    if (d->filtering) {
        auto spec = d->parseFilter(expression);  // throws before anything changes
        d->filterText = std::move(expression);
        if (d->active()) d->checkBrowse();
        d->filter = spec;
        d->invalidateSettings();
        if (d->active()) {
            d->restartView();
            d->notify(TableChange::Reset);
            if (d->curRow >= 0) d->fireAfterScroll();
        }
    } else {
        d->filterText = std::move(expression);
    }
}

const std::string& MemTable::filter() const { return d->filterText; }

void MemTable::setFiltered(bool on) {
    if (on == d->filtering) return;
    std::optional<FilterSpec> spec;
    if (on) spec = d->parseFilter(d->filterText);
    if (d->active()) d->checkBrowse();
    d->filtering = on;
    d->filter = spec;
    d->invalidateSettings();
    if (d->active()) {
        d->restartView();
        d->notify(TableChange::Reset);
        if (d->curRow >= 0) d->fireAfterScroll();
    }
}

bool MemTable::filtered() const { return d->filtering; }

// --- open / close -------------------------------------------------------------------------

void MemTable::open() {
    if (d->active()) return;
    if (!d->store) fail("A tabela não foi criada");
    d->state = TableState::Browse;
    d->restartView();
    d->notify(TableChange::Reset);
    if (d->curRow >= 0) d->fireAfterScroll();
}

void MemTable::close() {
    if (!d->active()) return;
    d->state = TableState::Inactive;  // a pending edit is dropped
    d->curRow = -1;
    d->pos = -1;
    d->posValid = false;
    d->bof = d->eof = true;
    d->notify(TableChange::Reset);
}

bool MemTable::active() const { return d->active(); }

// --- navigation ---------------------------------------------------------------------------

void MemTable::first() {
    d->requireActive();
    d->checkBrowse();
    d->ensureView();
    if (d->viewCount() == 0) {
        d->setCurrent(-1);
        d->bof = d->eof = true;
        return;
    }
    d->setCurrent(0);
    d->bof = true;
    d->eof = false;
    d->notify(TableChange::Scrolled);
    d->fireAfterScroll();
}

void MemTable::last() {
    d->requireActive();
    d->checkBrowse();
    d->ensureView();
    const int count = d->viewCount();
    if (count == 0) {
        d->setCurrent(-1);
        d->bof = d->eof = true;
        return;
    }
    d->setCurrent(count - 1);
    d->bof = false;
    d->eof = true;
    d->notify(TableChange::Scrolled);
    d->fireAfterScroll();
}

void MemTable::next() { step(+1); }

void MemTable::prior() { step(-1); }

// One row on (+1) or back (-1). At the edge the cursor stays and only the flag of that edge is
// set; the other flag is left as it was.
void MemTable::step(int delta) {
    d->requireActive();
    d->checkBrowse();
    const int p = d->currentPosition();
    const int count = d->viewCount();
    if (count == 0) {
        d->bof = d->eof = true;
        return;
    }
    const int to = p + delta;
    if (to >= 0 && to < count) {
        d->setCurrent(to);
        d->bof = d->eof = false;
        d->notify(TableChange::Scrolled);
    } else {
        (delta > 0 ? d->eof : d->bof) = true;
    }
    d->fireAfterScroll();
}

void MemTable::moveTo(int position) {
    d->requireActive();
    d->checkBrowse();
    d->ensureView();
    const int count = d->viewCount();
    if (position < 0 || position >= count)
        fail("Posição de registro inválida: " + std::to_string(position) + " (a tabela mostra " +
             std::to_string(count) + " registros)");
    d->setCurrent(position);
    d->bof = d->eof = false;
    d->notify(TableChange::Scrolled);
    d->fireAfterScroll();
}

bool MemTable::bof() const { return d->bof; }
bool MemTable::eof() const { return d->eof; }

int MemTable::recordCount() const {
    if (!d->active()) return 0;
    d->ensureView();
    return d->viewCount();
}

int MemTable::position() const {
    if (!d->active()) return -1;
    if (d->state == TableState::Insert) return recordCount();
    return d->currentPosition();
}

bool MemTable::isEmpty() const { return recordCount() == 0; }

// --- editing ------------------------------------------------------------------------------

void MemTable::append() {
    d->requireActive();
    d->checkBrowse();
    // No view work here: loading appends thousands of rows and nobody reads positions meanwhile.
    d->rowBeforeInsert = d->curRow;
    d->buffer.assign(static_cast<std::size_t>(d->fieldCount()), Value{});
    d->state = TableState::Insert;
    d->bof = d->eof = false;
    d->notify(TableChange::State);
    d->fireAfterScroll();
}

void MemTable::insert() { append(); }

void MemTable::edit() {
    d->requireActive();
    if (d->editing()) return;
    d->ensureView();
    if (d->curRow < 0) return;
    const auto n = static_cast<std::size_t>(d->fieldCount());
    if (d->buffer.size() != n) d->buffer.resize(n);
    d->touched.assign(n, 0);
    d->editRow = d->curRow;
    d->state = TableState::Edit;
    d->notify(TableChange::State);
}

void MemTable::post() {
    d->requireActive();
    Storage& s = *d->store;
    if (d->state == TableState::Edit) {
        for (int f = 0; f < d->fieldCount(); ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (!d->touched[i]) continue;
            Value& stored = s.cell(d->editRow, f);
            if (d->buffer[i] == stored) continue;
            stored = std::move(d->buffer[i]);
            ++s.fieldVersion[i];
        }
    } else if (d->state == TableState::Insert) {
        Value* row = s.appendRow();
        for (std::size_t f = 0; f < d->buffer.size(); ++f) row[f] = std::move(d->buffer[f]);
        d->curRow = s.rowCount() - 1;
        d->posValid = false;  // found in the view when next asked
    } else {
        return;
    }
    d->state = TableState::Browse;
    d->notify(TableChange::RowPosted);
}

void MemTable::cancel() {
    if (!d->editing()) return;
    if (d->state == TableState::Insert) {
        d->curRow = d->rowBeforeInsert;
        d->posValid = false;
    }
    d->state = TableState::Browse;
    d->notify(TableChange::State);
}

TableState MemTable::state() const { return d->state; }

// --- field access -------------------------------------------------------------------------

const Value& MemTable::value(std::string_view field) const { return value(d->requireField(field)); }

bool MemTable::isNull(std::string_view field) const {
    return std::holds_alternative<std::monostate>(value(field));
}

std::string MemTable::asText(std::string_view field) const { return asText(d->requireField(field)); }

std::int32_t MemTable::asInteger(std::string_view field) const {
    const Value& v = value(field);
    switch (v.index()) {
    case 1:
        return num::parseInteger(std::get<std::string>(v));
    case 2:
        return std::get<std::int32_t>(v);
    case 3: {
        const double r = std::round(std::get<double>(v));
        if (!(r >= -2147483648.0 && r <= 2147483647.0))
            throw num::ConversionError(quoted(num::shortestDecimal(std::get<double>(v))) +
                                       " não é um número inteiro válido");
        return static_cast<std::int32_t>(r);
    }
    default:
        return 0;
    }
}

double MemTable::asDecimal(std::string_view field) const {
    const Value& v = value(field);
    switch (v.index()) {
    case 1:
        return num::parseDecimal(std::get<std::string>(v));
    case 2:
        return std::get<std::int32_t>(v);
    case 3:
        return std::get<double>(v);
    default:
        return 0;
    }
}

void MemTable::setText(std::string_view field, std::string_view text) {
    setText(d->requireField(field), text);
}

void MemTable::setValue(std::string_view field, Value v) {
    setValue(d->requireField(field), std::move(v));
}

void MemTable::setNull(std::string_view field) { setValue(d->requireField(field), Value{}); }

const Value& MemTable::value(int fieldIndex) const {
    d->requireActive();
    d->checkField(fieldIndex);
    return d->current(fieldIndex);
}

std::string MemTable::asText(int fieldIndex) const {
    return d->text(fieldIndex, value(fieldIndex));
}

void MemTable::setText(int fieldIndex, std::string_view text) {
    d->requireEditing();
    d->checkField(fieldIndex);
    d->put(fieldIndex, d->fromText(fieldIndex, text));
}

void MemTable::setValue(int fieldIndex, Value v) {
    d->requireEditing();
    d->checkField(fieldIndex);
    d->put(fieldIndex, d->convert(fieldIndex, std::move(v)));
}

// --- reading the view ---------------------------------------------------------------------

const Value& MemTable::valueAt(int position, int fieldIndex) const {
    d->requireActive();
    d->checkField(fieldIndex);
    d->ensureView();
    const int count = d->viewCount();
    if (position < 0 || position >= count)
        fail("Posição de registro inválida: " + std::to_string(position) + " (a tabela mostra " +
             std::to_string(count) + " registros)");
    const int row = d->rowAt(position);
    // The row being edited shows its edit buffer, as the cursor does.
    if (d->state == TableState::Edit && row == d->editRow &&
        d->touched[static_cast<std::size_t>(fieldIndex)])
        return d->buffer[static_cast<std::size_t>(fieldIndex)];
    return d->store->cell(row, fieldIndex);
}

std::string MemTable::textAt(int position, int fieldIndex) const {
    return d->text(fieldIndex, valueAt(position, fieldIndex));
}

// --- bound controls -----------------------------------------------------------------------

void MemTable::disableControls() { ++d->disableCount; }

void MemTable::enableControls() {
    if (d->disableCount == 0) return;
    if (--d->disableCount == 0) d->notify(TableChange::Reset);
}

bool MemTable::controlsDisabled() const { return d->disableCount > 0; }

int MemTable::addListener(Listener listener) {
    const int handle = d->nextHandle++;
    d->listeners.emplace_back(handle, std::move(listener));
    return handle;
}

void MemTable::removeListener(int handle) {
    std::erase_if(d->listeners, [handle](const auto& entry) { return entry.first == handle; });
}

// --- clones -------------------------------------------------------------------------------

void MemTable::cloneCursor(MemTable& source) {
    std::shared_ptr<Storage> shared = source.d->store;  // held first: source may be this table
    if (!shared) fail("A tabela de origem não foi criada");
    for (const auto& def : source.d->indexes) {
        const bool known = std::any_of(d->indexes.begin(), d->indexes.end(),
                                       [&](const auto& own) { return sameName(own.name, def.name); });
        if (!known) d->indexes.push_back(def);
    }
    d->state = TableState::Inactive;  // a pending edit of this cursor is dropped
    d->store = std::move(shared);
    d->filterText.clear();
    d->filtering = false;
    d->filter.reset();
    d->orderFields.clear();
    d->view = View{};
    d->invalidateSettings();
    d->curRow = -1;
    d->pos = -1;
    d->bof = d->eof = true;
    d->notify(TableChange::Reset);
}

}  // namespace ofx::data
