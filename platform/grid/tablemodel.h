#pragma once
// A Qt item model over the rows of one MemTable's current view, for DataGrid.
//
// The model keeps its own copy of the values it shows and reads them afresh from the table by a
// re-read: with the table's notifications suspended (disableControls) it walks the cursor from
// the first row to the last and back to the row that was current, so the table's afterScroll
// handler runs for every row, then resumes them (enableControls) and refreshes its copy once.
// A re-read happens
//   - when the table is bound, opened or reset, and when its notifications are resumed;
//   - after every post: at once after a post that the model makes itself (a cell written by its
//     editor, the cursor moved to another row of the grid); when the event loop next turns after
//     a post made by someone else, because such a post may come from inside a cursor move of the
//     table, which must not be re-entered. reread() forces one at once.
// A re-read never starts while another runs (the Reset of its own enableControls is ignored),
// nor while the table's notifications are suspended by someone else: the Reset that ends the
// suspension re-reads. Painting uses the copy only, so the table may be walked, refiltered or
// reopened meanwhile.
//
// Rows are never inserted or removed through the model. Texts are CP1252 in the table.
#include "grid/gridcolumn.h"

#include "data/memtable.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

namespace ofx::grid {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    // The table must outlive the binding: call setTable(nullptr) before it goes. The model never
    // touches an unbound table; its destructor does not touch the table either.
    void setTable(data::MemTable* table);
    data::MemTable* table() const { return table_; }

    int addColumn(const GridColumn& column);
    const GridColumn& column(int c) const { return columns_[static_cast<std::size_t>(c)]; }
    // Changes a column's settings (visibility and width are the view's business).
    void updateColumn(int c, const std::function<void(GridColumn&)>& change);

    void reread();

    // Moves the table's cursor to a row of its view, as selecting a grid row does (posting the
    // row that was being edited, which re-reads).
    void moveCursorTo(int row);

    // Refuses every change through the model (cell writes, cursor moves) while set.
    void setInputBlocked(bool blocked) { inputBlocked_ = blocked; }
    bool inputBlocked() const { return inputBlocked_; }

    // The copied value of a cell.
    const data::Value& cellValue(int row, int c) const;
    // A cell's value as a number: decimals and integers as they are, a text converted as a
    // Brazilian number ("1.234,5"); nothing for a null or a text that is no number.
    std::optional<double> cellNumber(int row, int c) const;
    // The text a cell shows.
    QString cellText(int row, int c) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the editor's text into the table and posts it (nothing happens when the value does
    // not change). Currency text: "." dropped, "," decimal, "" null.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static constexpr int SortRole = Qt::UserRole + 1;

signals:
    // The table's cursor is on another row (or back on its row after a re-read or reset).
    void cursorMoved(int row);
    // Values changed: a re-read, a row refreshed; footers recompute.
    void valuesChanged();
    // A re-read or a cell write failed (for instance a quantity that is no number); the message
    // is the error's own, ready to show.
    void errorOccurred(const QString& message);

private:
    void onTableChange(data::TableChange change);
    template <class F> void ownCall(F&& f);
    void schedulePendingReread();
    void rereadNow(bool announceCursor);
    void walk(std::string& error);
    void copyAll(bool structureChanged);
    void refreshCurrentRow();
    // Copies row r of the table into the kept copy; true when anything differed.
    bool copyRow(int r);
    void resolveFields();

    data::MemTable* table_ = nullptr;
    int listener_ = -1;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldIndex_;                 // per column, -1 when the table has no such field
    std::vector<std::vector<data::Value>> rows_;  // [row][column]

    int ownCalls_ = 0;          // nesting of the model's own table calls
    bool rereading_ = false;
    bool rereadPending_ = false;
    bool resetPending_ = false;  // the next re-read is a structural one
    bool rereadScheduled_ = false;
    bool inputBlocked_ = false;
};

}  // namespace ofx::grid
