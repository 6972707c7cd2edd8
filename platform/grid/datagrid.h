#pragma once
// A data-bound grid over one MemTable: columns bound to fields, cell editors that write and post
// at once, a footer with per-column summaries, display-only sorting and filtering.
//
// - The grid shows the table's current view through TableModel (see there for when it re-reads
//   the table, which runs the table's afterScroll handler over every row).
// - The grid's current row is the table's cursor: selecting another row moves the cursor (which
//   posts the row being edited); moving the cursor moves the grid.
// - A cell's editor closing (Enter, Tab, another cell or row, focus leaving the grid within the
//   window, commitEditing()) writes its value into the table and posts it, all through one
//   commit: a currency text that is no number ("12.50", "7.5", ",") is refused there, whichever
//   way the editor closes: the cell keeps its value, the grid takes the focus back and
//   inputRefused says why. Escape drops the typed value.
// - Enter goes to the next focusable cell, and past the last one of a row to the first focusable
//   cell of the next row; Tab and Shift+Tab likewise. Arrow keys, Home and End skip cells that
//   cannot be focused, and so does the mouse.
// - Rows cannot be inserted or deleted from the grid (Insert, Ctrl+Delete do nothing).
// - A header click emits headerClicked and sorts the display by that column (click again for
//   descending); the drop-down at a header's right edge filters the display on one value of the
//   column. Neither touches the table, its order or its cursor.
// - Texts are CP1252 in the table; captions and formats are Qt strings.
#include "grid/gridcolumn.h"
#include "grid/tablemodel.h"

#include "data/memtable.h"

#include <QFont>
#include <QRect>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QTableView>
#include <QWidget>

namespace ofx::grid {

class FooterBar;
class GridView;
class GridDelegate;

// The display's sorting and per-column value filters over a TableModel.
class DisplayProxy : public QSortFilterProxyModel {
public:
    explicit DisplayProxy(QObject* parent = nullptr);
    void setColumnFilter(int column, const QString& value);  // shows rows whose text is value
    void clearColumnFilter(int column);
    bool hasColumnFilter(int column) const { return filters_.contains(column); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QHash<int, QString> filters_;
};

class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // See TableModel::setTable for the table's lifetime.
    void setTable(data::MemTable* table);
    data::MemTable* table() const;

    // Columns show in the order added. Returns the column's index.
    int addColumn(const GridColumn& column);
    int columnCount() const;
    int columnIndex(const QString& name) const;  // -1 when there is none of that name
    const GridColumn& column(int c) const;
    void setColumnVisible(int c, bool visible);
    void setColumnWidth(int c, int width);
    void setColumnEditable(int c, bool editable);
    void setColumnFocusable(int c, bool focusable);
    bool isColumnVisible(int c) const;
    int columnWidth(int c) const;

    // Shown over an empty grid.
    void setEmptyText(const QString& text);
    QString emptyText() const;

    // While blocked the grid takes no input at all: no key, mouse, wheel or menu reaches it, no
    // cell is edited and its row does not change; an editor open at that moment is closed, its
    // value kept only if the table is not suspended. For a long operation that lets the event
    // loop turn. Call it before the operation touches the table.
    void setInputBlocked(bool blocked);
    bool inputBlocked() const;

    // The footer's text under a column ("" when it has none).
    QString footerText(int c) const;
    // Where and how the footer draws it (footer coordinates): the column's cell less 3 px each
    // side; a text wider than that gets a smaller font and, if it still does not fit, more room
    // to the left. Never cut; a sum also shows whole as a tool tip.
    struct FooterCell {
        QRect rect;
        QFont font;
        Qt::Alignment alignment;
        QString text;
    };
    FooterCell footerCell(int c) const;

    // Display-only filter on one column's shown text; the drop-down offers the same.
    void setColumnFilter(int c, const QString& value);
    void clearColumnFilter(int c);
    QStringList filterValues(int c) const;  // the distinct texts of the column, sorted

    // The current cell as a table row (position in the table's view) and column; -1 if none.
    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int row, int c);

    void reread();

    // An editor is open on a cell.
    bool isEditing() const;
    // Ends the editing in progress as Enter does, without moving on: true when there was none or
    // its value was taken, false when it was refused (inputRefused has been emitted).
    bool commitEditing();

    QTableView* view() const;
    TableModel* model() const { return model_; }
    DisplayProxy* proxy() const { return proxy_; }

signals:
    void headerClicked(int column);
    // A re-read or a cell write failed; connect it to a message (the grid shows none itself).
    void errorOccurred(const QString& message);
    // A typed or pasted text was refused when its editor closed; the message says how to type it.
    // Emitted while the event that closed the editor is still being handled: show it queued.
    void inputRefused(const QString& message);
    // The user changed a cell's value (written and posted); row in the table's view.
    void cellEdited(int row, int column);

protected:
    void changeEvent(QEvent* event) override;

private:
    friend class GridView;
    friend class GridDelegate;
    void refuseInput(const QString& message);
    void fitRowHeight();
    void syncCurrentFromTable();
    void onCurrentRowChanged();
    void showFilterMenu(int column, const QPoint& globalPos);
    void invalidateFooter();
    bool isFocusable(int c) const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    TableModel* model_;
    DisplayProxy* proxy_;
    GridView* view_;
    GridDelegate* delegate_;
    FooterBar* footer_;
    QString emptyText_;
    bool syncing_ = false;
    bool inputBlocked_ = false;
};

}  // namespace ofx::grid
