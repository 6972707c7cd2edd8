#include "grid/tablemodel.h"

#include "grid/currencyvalidator.h"
#include "qtext/qtext.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <QColor>
#include <QMetaObject>

#include <exception>
#include <string>

namespace ofx::grid {

using data::MemTable;
using data::TableChange;
using data::Value;

namespace {

const Value nullValue;

using qtext::fromCp1252;

// Every error's text is UTF-8, whichever layer throws it.
QString errorText(const char* what) { return QString::fromUtf8(what); }

std::optional<double> numberOf(const Value& v)
{
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return *i;
    if (const auto* s = std::get_if<std::string>(&v)) {
        std::string digits;
        for (char c : *s)
            if (c != '.')
                digits += c;
        try {
            return num::parseDecimal(digits);
        } catch (const num::ConversionError&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

QString plainText(const Value& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return fromCp1252(*s);
    if (const auto* i = std::get_if<std::int32_t>(&v))
        return QString::number(*i);
    if (const auto* d = std::get_if<double>(&v))
        return QString::fromStdString(num::shortestDecimal(*d));
    return {};
}

// The editor's currency text as the table takes it: the plain number ("1234,56"), "" for a blank
// text (a null). A text that is no number is passed on as it is, for the table to refuse.
std::string currencyToTableText(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    const num::TypedNumber n = num::readTypedNumber(text.toStdString());
    return n.number ? n.plain : qtext::toCp1252(text);
}

}  // namespace

TableModel::TableModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

TableModel::~TableModel() = default;

void TableModel::setTable(MemTable* table)
{
    if (table == table_)
        return;
    if (table_ && listener_ >= 0)
        table_->removeListener(listener_);
    table_ = table;
    listener_ = -1;
    if (table_) {
        // The listener checks that the model still exists: the table may outlive it.
        QPointer<TableModel> self(this);
        listener_ = table_->addListener([self](TableChange change) {
            if (self)
                self->onTableChange(change);
        });
    }
    resolveFields();
    resetPending_ = true;
    reread();
}

int TableModel::addColumn(const GridColumn& column)
{
    const int c = int(columns_.size());
    beginInsertColumns({}, c, c);
    columns_.push_back(column);
    fieldIndex_.push_back(table_ ? table_->fieldIndex(column.field) : -1);
    for (auto& row : rows_)
        row.emplace_back();  // filled by the next re-read
    resetPending_ = true;
    endInsertColumns();
    return c;
}

void TableModel::updateColumn(int c, const std::function<void(GridColumn&)>& change)
{
    change(columns_[static_cast<std::size_t>(c)]);
    fieldIndex_[static_cast<std::size_t>(c)] = table_ ? table_->fieldIndex(columns_[static_cast<std::size_t>(c)].field) : -1;
    emit headerDataChanged(Qt::Horizontal, c, c);
    if (!rows_.empty())
        emit dataChanged(index(0, c), index(int(rows_.size()) - 1, c));
    emit valuesChanged();
}

void TableModel::resolveFields()
{
    for (std::size_t c = 0; c < columns_.size(); ++c)
        fieldIndex_[c] = table_ ? table_->fieldIndex(columns_[c].field) : -1;
}

// --- following the table ----------------------------------------------------------------

void TableModel::onTableChange(TableChange change)
{
    if (rereading_)
        return;  // our own walk's notifications, the Reset of its enableControls among them
    // Nothing may escape into the table's notification loop.
    try {
        switch (change) {
        case TableChange::Reset:
            resetPending_ = true;
            rereadPending_ = true;
            if (ownCalls_ == 0)
                rereadNow(true);  // open, close, refilter, resumed notifications: never inside a move
            break;
        case TableChange::RowPosted:
            // Possibly posted by a cursor move still under way in the table: re-read once the
            // move is over (our own calls), or when the event loop turns (anyone else's).
            rereadPending_ = true;
            if (ownCalls_ == 0)
                schedulePendingReread();
            break;
        case TableChange::Scrolled:
            if (ownCalls_ == 0)
                emit cursorMoved(table_->position());
            break;
        case TableChange::State:
            if (ownCalls_ == 0)
                refreshCurrentRow();
            break;
        }
    } catch (const std::exception& e) {
        emit errorOccurred(errorText(e.what()));
    }
}

template <class F> void TableModel::ownCall(F&& f)
{
    QString error;
    ++ownCalls_;
    try {
        f();
    } catch (const std::exception& e) {
        error = errorText(e.what());
    }
    --ownCalls_;
    if (ownCalls_ == 0 && rereadPending_)
        rereadNow(false);  // the grid already stands where it asked the cursor to go
    if (!error.isEmpty())
        emit errorOccurred(error);
}

void TableModel::schedulePendingReread()
{
    if (rereadScheduled_)
        return;
    rereadScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            rereadScheduled_ = false;
            if (rereadPending_ && ownCalls_ == 0)
                rereadNow(true);
        },
        Qt::QueuedConnection);
}

void TableModel::reread() { rereadNow(true); }

void TableModel::rereadNow(bool announceCursor)
{
    if (rereading_)
        return;
    if (table_ && table_->active() && table_->controlsDisabled()) {
        // Someone else is walking the table; the Reset that resumes notifications re-reads.
        rereadPending_ = false;
        return;
    }
    rereadPending_ = false;
    std::string error;
    if (table_ && table_->active() && table_->recordCount() > 0) {
        rereading_ = true;
        walk(error);
        rereading_ = false;
    }
    const bool structural = resetPending_;
    resetPending_ = false;
    copyAll(structural);
    if (announceCursor)
        emit cursorMoved(table_ ? table_->position() : -1);
    if (!error.empty())
        emit errorOccurred(errorText(error.c_str()));
}

void TableModel::walk(std::string& error)
{
    MemTable& t = *table_;
    const int current = t.position();
    t.disableControls();
    try {
        t.first();
        for (int i = 1; i < t.recordCount(); ++i)
            t.next();
    } catch (const std::exception& e) {
        error = e.what();  // the walk stops at the failing row; later rows keep their values
    }
    try {
        if (current >= 0 && current < t.recordCount())
            t.moveTo(current);
    } catch (const std::exception& e) {
        if (error.empty())
            error = e.what();
    }
    t.enableControls();
}

void TableModel::copyAll(bool structureChanged)
{
    const int count = table_ && table_->active() ? table_->recordCount() : 0;
    const std::size_t columnCount = columns_.size();
    if (structureChanged || count != int(rows_.size())) {
        beginResetModel();
        rows_.assign(static_cast<std::size_t>(count), std::vector<Value>(columnCount));
        for (int r = 0; r < count; ++r)
            copyRow(r);
        endResetModel();
        emit valuesChanged();
        return;
    }
    // Same rows: copy what differs and tell the view about that band only.
    int firstChanged = -1;
    int lastChanged = -1;
    for (int r = 0; r < count; ++r) {
        if (copyRow(r)) {
            if (firstChanged < 0)
                firstChanged = r;
            lastChanged = r;
        }
    }
    if (firstChanged >= 0) {
        emit dataChanged(index(firstChanged, 0), index(lastChanged, int(columnCount) - 1));
        emit valuesChanged();
    }
}

bool TableModel::copyRow(int r)
{
    auto& row = rows_[static_cast<std::size_t>(r)];
    bool changed = false;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (fieldIndex_[c] < 0)
            continue;
        const Value& v = table_->valueAt(r, fieldIndex_[c]);
        if (row[c] != v) {
            row[c] = v;
            changed = true;
        }
    }
    return changed;
}

void TableModel::refreshCurrentRow()
{
    if (!table_ || !table_->active())
        return;
    const int r = table_->position();
    if (r < 0 || r >= int(rows_.size()) || r >= table_->recordCount())
        return;
    if (copyRow(r)) {
        emit dataChanged(index(r, 0), index(r, int(columns_.size()) - 1));
        emit valuesChanged();
    }
}

void TableModel::moveCursorTo(int row)
{
    if (!table_ || inputBlocked_ || !table_->active() || row < 0 || row >= table_->recordCount()
        || row == table_->position())
        return;
    ownCall([&] { table_->moveTo(row); });
}

// --- model ------------------------------------------------------------------------------

const Value& TableModel::cellValue(int row, int c) const
{
    if (row < 0 || row >= int(rows_.size()) || c < 0 || c >= int(columns_.size()))
        return nullValue;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
}

std::optional<double> TableModel::cellNumber(int row, int c) const { return numberOf(cellValue(row, c)); }

QString TableModel::cellText(int row, int c) const
{
    const Value& v = cellValue(row, c);
    const GridColumn& col = column(c);
    if (!col.displayFormat.isEmpty() && !std::holds_alternative<std::monostate>(v)) {
        if (const auto d = numberOf(v)) {
            try {
                return QString::fromStdString(num::formatPattern(*d, col.displayFormat.toStdString()));
            } catch (const num::ConversionError&) {
                // a value too large for the picture shows in its plain form
            }
        }
    }
    return plainText(v);
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row();
    const int c = index.column();
    const GridColumn& col = column(c);
    switch (role) {
    case Qt::DisplayRole:
        return cellText(r, c);
    case Qt::EditRole: {
        const Value& v = cellValue(r, c);
        if (col.editor == EditorKind::Currency) {
            const auto d = numberOf(v);
            if (!d)
                return QString();
            if (col.formatWhileEditing && !col.displayFormat.isEmpty())
                return cellText(r, c);
            return QString::fromStdString(num::shortestDecimal(*d));
        }
        return plainText(v);
    }
    case SortRole: {
        const Value& v = cellValue(r, c);
        if (std::holds_alternative<std::monostate>(v))
            return {};  // nulls sort after everything
        if (!col.displayFormat.isEmpty())
            if (const auto d = cellNumber(r, c))
                return *d;
        if (std::holds_alternative<std::int32_t>(v) || std::holds_alternative<double>(v))
            return *numberOf(v);
        return plainText(v);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(col.alignment);
    case Qt::BackgroundRole:
        if (col.grey)
            return QColor(0xB9, 0xB9, 0xB9);
        return {};
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return column(section).caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column(section).headerAlignment);
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const GridColumn& col = column(index.column());
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (col.focusable) {
        f |= Qt::ItemIsSelectable;
        if (col.editable && !inputBlocked_ && fieldIndex_[static_cast<std::size_t>(index.column())] >= 0)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable) || !table_
        || !table_->active())
        return false;
    const int r = index.row();
    const int c = index.column();
    if (r >= table_->recordCount())
        return false;
    const GridColumn& col = column(c);
    const int f = fieldIndex_[static_cast<std::size_t>(c)];
    const std::string text = col.editor == EditorKind::Currency ? currencyToTableText(value.toString())
                                                                : qtext::toCp1252(value.toString());
    bool written = false;
    ownCall([&] {
        if (table_->position() != r)
            table_->moveTo(r);
        const Value before = table_->value(f);
        table_->edit();
        try {
            table_->setText(f, text);
        } catch (...) {
            table_->cancel();
            throw;
        }
        if (table_->value(f) == before)
            return;  // unchanged: nothing to post
        table_->post();
        written = true;
    });
    return written;
}

}  // namespace ofx::grid
