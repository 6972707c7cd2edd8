#include "grid/datagrid.h"

#include "grid/currencyvalidator.h"

#include "text/numbers.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QHelpEvent>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace ofx::grid {

// --- display proxy ----------------------------------------------------------------------

DisplayProxy::DisplayProxy(QObject* parent)
    : QSortFilterProxyModel(parent)
{
}

void DisplayProxy::setColumnFilter(int column, const QString& value)
{
    filters_.insert(column, value);
    invalidateFilter();
}

void DisplayProxy::clearColumnFilter(int column)
{
    if (filters_.remove(column))
        invalidateFilter();
}

bool DisplayProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    for (auto it = filters_.cbegin(); it != filters_.cend(); ++it)
        if (sourceModel()->index(sourceRow, it.key(), sourceParent).data(Qt::DisplayRole).toString() != it.value())
            return false;
    return true;
}

// --- header with a filter drop-down -----------------------------------------------------

namespace {

constexpr int dropDownWidth = 14;  // px at the right edge of each header section

class FilterHeader : public QHeaderView {
public:
    FilterHeader(DataGrid* grid, std::function<void(int, QPoint)> onDropDown)
        : QHeaderView(Qt::Horizontal)
        , grid_(grid)
        , onDropDown_(std::move(onDropDown))
    {
        setSectionsClickable(true);
        setSectionsMovable(false);
        setHighlightSections(false);
        setMouseTracking(true);
    }

    // The section whose drop-down arrow shows: the one under the mouse (-1: none).
    int hoveredSection() const { return hovered_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        // The arrow shows only where it is wanted, so that it never covers a caption: under the
        // mouse, or on a column whose display is filtered.
        const bool active = grid_->proxy()->hasColumnFilter(logicalIndex);
        if (!active && logicalIndex != hovered_)
            return;
        const QRect zone(rect.right() - dropDownWidth + 2, rect.top(), dropDownWidth - 4, rect.height());
        const int cx = zone.center().x();
        const int cy = zone.center().y();
        const QPolygon arrow({QPoint(cx - 3, cy - 1), QPoint(cx + 3, cy - 1), QPoint(cx, cy + 2)});
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(active ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
        painter->drawPolygon(arrow);
        painter->restore();
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        const int section = logicalIndexAt(e->pos());
        hovered_ = section;
        if (e->button() == Qt::LeftButton && section >= 0
            && e->pos().x() > sectionViewportPosition(section) + sectionSize(section) - dropDownWidth) {
            dropDownPress_ = true;
            onDropDown_(section, e->globalPosition().toPoint());
            e->accept();
            return;
        }
        QHeaderView::mousePressEvent(e);
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        const int section = logicalIndexAt(e->pos());
        if (section != hovered_) {
            hovered_ = section;
            viewport()->update();
        }
        QHeaderView::mouseMoveEvent(e);
    }

    void leaveEvent(QEvent* e) override
    {
        hovered_ = -1;
        viewport()->update();
        QHeaderView::leaveEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (dropDownPress_) {
            dropDownPress_ = false;
            e->accept();
            return;
        }
        QHeaderView::mouseReleaseEvent(e);
    }

private:
    DataGrid* grid_;
    std::function<void(int, QPoint)> onDropDown_;
    bool dropDownPress_ = false;
    int hovered_ = -1;
};

}  // namespace

// --- footer -----------------------------------------------------------------------------

class FooterBar : public QWidget {
public:
    FooterBar(DataGrid* grid, QTableView* view)
        : QWidget(grid)
        , grid_(grid)
        , view_(view)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {100, fontMetrics().height() + 8}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(rect().topLeft(), rect().topRight());
        p.setPen(palette().color(QPalette::ButtonText));
        for (int c = 0; c < grid_->columnCount(); ++c) {
            if (view_->isColumnHidden(c) || grid_->column(c).footer == FooterKind::None)
                continue;
            const DataGrid::FooterCell cell = grid_->footerCell(c);
            p.setFont(cell.font);
            if (cell.rect.width() > view_->columnWidth(c))
                p.fillRect(cell.rect, palette().color(QPalette::Button));  // over a neighbour's blank
            p.drawText(cell.rect, int(cell.alignment), cell.text);
        }
        p.setFont(font());
    }

    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ToolTip) {
            const QPoint at = static_cast<QHelpEvent*>(e)->pos();
            for (int c = 0; c < grid_->columnCount(); ++c)
                if (!view_->isColumnHidden(c) && grid_->column(c).footer == FooterKind::Sum
                    && grid_->footerCell(c).rect.contains(at)) {
                    QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), grid_->footerText(c), this);
                    return true;
                }
        }
        return QWidget::event(e);
    }

private:
    DataGrid* grid_;
    QTableView* view_;
};

// --- cell editors -----------------------------------------------------------------------

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DataGrid* grid, std::function<void()> onEnter)
        : QStyledItemDelegate(grid)
        , grid_(grid)
        , onEnter_(std::move(onEnter))
    {
    }

    QWidget* activeEditor() const { return editor_; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const int c = grid_->proxy()->mapToSource(index).column();
        const GridColumn& col = grid_->column(c);
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        edit->setAlignment(col.alignment);
        if (col.editor == EditorKind::Currency) {
            edit->setValidator(new CurrencyValidator(col.decimals, col.inputConstraint, edit));
        } else if (const data::MemTable* t = grid_->table()) {
            const int f = t->fieldIndex(col.field);
            if (f >= 0 && t->fields()[static_cast<std::size_t>(f)].type == data::FieldType::Text
                && t->fields()[static_cast<std::size_t>(f)].size > 0)
                edit->setMaxLength(t->fields()[static_cast<std::size_t>(f)].size);
        }
        editor_ = edit;
        editorIndex_ = index;
        return edit;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* edit = static_cast<QLineEdit*>(editor);
        edit->setText(index.data(Qt::EditRole).toString());
        edit->selectAll();  // a typed key replaces the value, as in a spreadsheet
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        // Only what the user changed is written: an editor that starts with a rounded display
        // form must not write the rounding back.
        auto* edit = static_cast<QLineEdit*>(editor);
        if (!edit->isModified())
            return;
        if (const QString refusal = refusalFor(edit, index); !refusal.isEmpty()) {
            grid_->refuseInput(refusal);
            return;
        }
        const QModelIndex source = grid_->proxy()->mapToSource(index);
        if (model->setData(index, edit->text(), Qt::EditRole))
            emit grid_->cellEdited(source.row(), source.column());
    }

    // Ends the editing the one way that Enter, Tab, a click elsewhere and DataGrid::commitEditing
    // share: a text the column cannot take is refused (the editor closes, the cell keeps its
    // value, the grid keeps the focus and says why through inputRefused); anything else is
    // written and posted. False on a refusal.
    bool finish(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
    {
        auto* edit = static_cast<QLineEdit*>(editor);
        const QModelIndex index = editorIndex_.isValid() ? QModelIndex(editorIndex_) : grid_->view()->currentIndex();
        if (edit->isModified()) {
            if (const QString refusal = refusalFor(edit, index); !refusal.isEmpty()) {
                emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                grid_->refuseInput(refusal);
                return false;
            }
        }
        emit commitData(editor);
        emit closeEditor(editor, hint);
        return true;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* edit = qobject_cast<QLineEdit*>(object);
        if (!edit)
            return QStyledItemDelegate::eventFilter(object, event);
        if (event->type() == QEvent::KeyPress) {
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int key = keyEvent->key();
            // The keypad's decimal key gives the decimal comma in a number editor.
            if (edit->validator() && (keyEvent->modifiers() & Qt::KeypadModifier)
                && (key == Qt::Key_Period || key == Qt::Key_Comma)) {
                edit->insert(QStringLiteral(","));
                return true;
            }
            switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (finish(edit, QAbstractItemDelegate::NoHint))
                    onEnter_();
                return true;
            case Qt::Key_Tab:
                finish(edit, QAbstractItemDelegate::EditNextItem);
                return true;
            case Qt::Key_Backtab:
                finish(edit, QAbstractItemDelegate::EditPreviousItem);
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // The focus went elsewhere in the window (a click on another cell, a button, a
            // field): the editing ends here, through the same commit as Enter. Not when the
            // window merely lost the activation or a popup opened: the editor stays open.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            const QWidget* now = QApplication::focusWidget();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && now != edit
                && !(now && edit->isAncestorOf(now)) && editor_ == edit)
                finish(edit, QAbstractItemDelegate::NoHint);
            return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // Why the editor's text cannot go into its cell ("" when it can): a currency text that is no
    // number in the accepted form.
    QString refusalFor(const QLineEdit* edit, const QModelIndex& index) const
    {
        const int c = grid_->proxy()->mapToSource(index).column();
        if (c < 0 || grid_->column(c).editor != EditorKind::Currency || edit->text().trimmed().isEmpty())
            return {};
        const std::string typed = edit->text().toStdString();
        const num::TypedNumber n = num::readTypedNumber(typed);
        if (!n.number)
            return QString::fromStdString(num::typedNumberHint(typed));
        return grid_->column(c).commitCheck ? grid_->column(c).commitCheck(n.value) : QString();
    }

    DataGrid* grid_;
    std::function<void()> onEnter_;
    mutable QPointer<QWidget> editor_;
    mutable QPersistentModelIndex editorIndex_;
};

// --- view -------------------------------------------------------------------------------

class GridView : public QTableView {
public:
    explicit GridView(DataGrid* grid)
        : QTableView(grid)
        , grid_(grid)
    {
    }

    void setDelegate(GridDelegate* d)
    {
        delegate_ = d;
        setItemDelegate(d);
    }

    // Enter: the next focusable cell, on into the next row.
    void advance()
    {
        const QModelIndex next = moveCursor(MoveNext, Qt::NoModifier);
        if (next.isValid() && next != currentIndex())
            setCurrentIndex(next);
    }

    bool isEditing() const { return state() == EditingState && delegate_ && delegate_->activeEditor(); }

    void finishEditing(bool keepValue)
    {
        if (!isEditing())
            return;
        QWidget* editor = delegate_->activeEditor();
        if (keepValue)
            commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }

    int firstFocusable() const
    {
        for (int c = 0; c < model()->columnCount(); ++c)
            if (focusable(c))
                return c;
        return -1;
    }

protected:
    bool focusable(int c) const { return !isColumnHidden(c) && grid_->isFocusable(c); }

    int lastFocusable() const
    {
        for (int c = model()->columnCount() - 1; c >= 0; --c)
            if (focusable(c))
                return c;
        return -1;
    }

    QModelIndex cell(int row, int c) const
    {
        return row >= 0 && row < model()->rowCount() && c >= 0 ? model()->index(row, c) : QModelIndex();
    }

    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex current = currentIndex();
        const int rows = model()->rowCount();
        const int columns = model()->columnCount();
        if (rows == 0 || firstFocusable() < 0)
            return {};
        if (!current.isValid())
            return cell(0, firstFocusable());
        const int row = current.row();
        const int col = current.column();
        switch (action) {
        case MoveNext:
        case MoveRight:
            for (int c = col + 1; c < columns; ++c)
                if (focusable(c))
                    return cell(row, c);
            if (action == MoveNext && row + 1 < rows)
                return cell(row + 1, firstFocusable());
            return current;
        case MovePrevious:
        case MoveLeft:
            for (int c = col - 1; c >= 0; --c)
                if (focusable(c))
                    return cell(row, c);
            if (action == MovePrevious && row > 0)
                return cell(row - 1, lastFocusable());
            return current;
        case MoveHome:
            return cell(modifiers & Qt::ControlModifier ? 0 : row, firstFocusable());
        case MoveEnd:
            return cell(modifiers & Qt::ControlModifier ? rows - 1 : row, lastFocusable());
        default: {
            const QModelIndex i = QTableView::moveCursor(action, modifiers);
            if (i.isValid() && !focusable(i.column()))
                return cell(i.row(), focusable(col) ? col : firstFocusable());
            return i;
        }
        }
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            advance();
            e->accept();
            return;
        case Qt::Key_Insert:  // no row insertion: a new row would belong to no lot
        case Qt::Key_Delete:  // no row deletion
            e->accept();
            return;
        default:
            QTableView::keyPressEvent(e);
        }
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        const QModelIndex i = indexAt(e->pos());
        if (i.isValid() && !focusable(i.column())) {
            // The row is chosen, the cell is not: the current column stays (or the first one
            // that can take the focus).
            const QModelIndex current = currentIndex();
            const int c = current.isValid() && focusable(current.column()) ? current.column() : firstFocusable();
            if (c >= 0)
                setCurrentIndex(cell(i.row(), c));
            setFocus(Qt::MouseFocusReason);
            e->accept();
            return;
        }
        // A click into the current cell opens its editor at once. Qt's own click trigger waits
        // for a possible double click and swallows every key typed meanwhile.
        const bool onCurrent = i.isValid() && i == currentIndex() && e->button() == Qt::LeftButton;
        QTableView::mousePressEvent(e);
        if (onCurrent && state() != EditingState)
            edit(i);
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() != Qt::NoButton) {
            e->accept();  // no drag selection across cells
            return;
        }
        QTableView::mouseMoveEvent(e);
    }

    void paintEvent(QPaintEvent* e) override
    {
        QTableView::paintEvent(e);
        if (model()->rowCount() == 0 && !grid_->emptyText().isEmpty()) {
            QPainter p(viewport());
            p.setPen(palette().color(QPalette::PlaceholderText));
            p.drawText(viewport()->rect().adjusted(0, 8, 0, 0), int(Qt::AlignHCenter | Qt::AlignTop), grid_->emptyText());
        }
    }

public:
    // A double click on a header's divider fits the column to its contents, at most to the
    // column's bestFitMax.
    int sizeHintForColumn(int column) const override
    {
        const int fit = QTableView::sizeHintForColumn(column);
        const int cap = grid_->column(column).bestFitMax;
        return cap > 0 ? std::min(fit, cap) : fit;
    }

    // The view follows the current cell up and down, but sideways only to show a cell the user
    // types into: so the totals stay in view, scrolled to, while Enter walks the rows and every
    // post re-reads the lot.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override
    {
        const bool sideways = index.isValid() && (model()->flags(index) & Qt::ItemIsEditable);
        const int h = horizontalScrollBar()->value();
        QTableView::scrollTo(index, hint);
        if (!sideways)
            horizontalScrollBar()->setValue(h);
    }

private:
    DataGrid* grid_;
    GridDelegate* delegate_ = nullptr;
};

// --- grid -------------------------------------------------------------------------------

DataGrid::DataGrid(QWidget* parent)
    : QWidget(parent)
    , model_(new TableModel(this))
    , proxy_(new DisplayProxy(this))
    , emptyText_(QStringLiteral("Não há dados para exibir"))
{
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(TableModel::SortRole);
    proxy_->setDynamicSortFilter(true);

    view_ = new GridView(this);
    auto* header = new FilterHeader(this, [this](int c, QPoint at) { showFilterMenu(c, at); });
    view_->setHorizontalHeader(header);
    view_->setModel(proxy_);
    delegate_ = new GridDelegate(this, [this] { view_->advance(); });
    view_->setDelegate(delegate_);
    view_->verticalHeader()->hide();
    fitRowHeight();
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                           | QAbstractItemView::AnyKeyPressed);
    view_->setTabKeyNavigation(true);
    view_->setWordWrap(false);
    view_->setDragEnabled(false);
    view_->setAcceptDrops(false);
    // No sorting until a header is clicked: the display starts in the table's order.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
    view_->setSortingEnabled(true);

    footer_ = new FooterBar(this, view_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addWidget(footer_);
    setFocusProxy(view_);

    connect(model_, &TableModel::cursorMoved, this, [this] { syncCurrentFromTable(); });
    connect(model_, &TableModel::valuesChanged, this, [this] { invalidateFooter(); });
    connect(model_, &TableModel::errorOccurred, this, &DataGrid::errorOccurred);
    connect(proxy_, &QAbstractItemModel::modelReset, this, [this] {
        invalidateFooter();
        syncCurrentFromTable();
    });
    connect(proxy_, &QAbstractItemModel::layoutChanged, this, [this] { invalidateFooter(); });
    connect(proxy_, &QAbstractItemModel::rowsInserted, this, [this] { invalidateFooter(); });
    connect(proxy_, &QAbstractItemModel::rowsRemoved, this, [this] { invalidateFooter(); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { onCurrentRowChanged(); });
    connect(header, &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
    connect(header, &QHeaderView::sectionResized, footer_, qOverload<>(&QWidget::update));
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, footer_, qOverload<>(&QWidget::update));
}

bool DataGrid::isEditing() const { return view_->isEditing(); }

bool DataGrid::commitEditing()
{
    if (!view_->isEditing())
        return true;
    return delegate_->finish(delegate_->activeEditor(), QAbstractItemDelegate::NoHint);
}

void DataGrid::refuseInput(const QString& message)
{
    view_->setFocus(Qt::OtherFocusReason);
    emit inputRefused(message);
}

void DataGrid::fitRowHeight()
{
    // As a data-entry grid: the font's height and a little air, not the style's roomy default.
    view_->verticalHeader()->setMinimumSectionSize(1);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
}

void DataGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

DataGrid::~DataGrid()
{
    if (inputBlocked_)
        qApp->removeEventFilter(this);
}

void DataGrid::setTable(data::MemTable* table) { model_->setTable(table); }

data::MemTable* DataGrid::table() const { return model_->table(); }

int DataGrid::addColumn(const GridColumn& column)
{
    const int c = model_->addColumn(column);
    view_->setColumnHidden(c, !column.visible);
    view_->setColumnWidth(c, column.width);
    if (model_->table())
        model_->reread();
    footer_->update();
    return c;
}

int DataGrid::columnCount() const { return model_->columnCount(); }

int DataGrid::columnIndex(const QString& name) const
{
    for (int c = 0; c < columnCount(); ++c)
        if (column(c).name == name)
            return c;
    return -1;
}

const GridColumn& DataGrid::column(int c) const { return model_->column(c); }

void DataGrid::setColumnVisible(int c, bool visible)
{
    model_->updateColumn(c, [&](GridColumn& col) { col.visible = visible; });
    view_->setColumnHidden(c, !visible);
    footer_->update();
}

void DataGrid::setColumnWidth(int c, int width)
{
    model_->updateColumn(c, [&](GridColumn& col) { col.width = width; });
    view_->setColumnWidth(c, width);
}

void DataGrid::setColumnEditable(int c, bool editable)
{
    model_->updateColumn(c, [&](GridColumn& col) { col.editable = editable; });
}

void DataGrid::setColumnFocusable(int c, bool focusable)
{
    model_->updateColumn(c, [&](GridColumn& col) { col.focusable = focusable; });
    const QModelIndex current = view_->currentIndex();
    if (!focusable && current.isValid() && current.column() == c) {
        const int first = view_->firstFocusable();
        if (first >= 0) {
            syncing_ = true;
            view_->setCurrentIndex(proxy_->index(current.row(), first));
            syncing_ = false;
        }
    }
}

bool DataGrid::isColumnVisible(int c) const { return !view_->isColumnHidden(c); }

int DataGrid::columnWidth(int c) const { return view_->columnWidth(c); }

bool DataGrid::isFocusable(int c) const { return c >= 0 && c < columnCount() && column(c).focusable; }

void DataGrid::setEmptyText(const QString& text)
{
    emptyText_ = text;
    view_->viewport()->update();
}

QString DataGrid::emptyText() const { return emptyText_; }

void DataGrid::setInputBlocked(bool blocked)
{
    if (blocked == inputBlocked_)
        return;
    if (blocked) {
        const data::MemTable* t = table();
        view_->finishEditing(t && t->active() && !t->controlsDisabled());
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
    }
    inputBlocked_ = blocked;
    model_->setInputBlocked(blocked);
}

bool DataGrid::inputBlocked() const { return inputBlocked_; }

bool DataGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (!inputBlocked_ || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        auto* w = static_cast<QWidget*>(watched);
        return w == this || isAncestorOf(w);
    }
    default:
        return false;
    }
}

DataGrid::FooterCell DataGrid::footerCell(int c) const
{
    FooterCell cell;
    cell.text = footerText(c);
    cell.font = footer_->font();
    const GridColumn& col = column(c);
    const QHeaderView* header = view_->horizontalHeader();
    const int origin = view_->viewport()->geometry().left() + view_->geometry().left();
    constexpr int pad = 3;  // px each side
    cell.rect = QRect(origin + header->sectionViewportPosition(c) + pad, 0, header->sectionSize(c) - 2 * pad,
                      footer_->height());
    cell.alignment = (col.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
    // A number is never cut: a smaller type first (down to 6 pt), then room taken from the left,
    // where the neighbouring footers are blank or short.
    QFontMetrics metrics(cell.font);
    while (metrics.horizontalAdvance(cell.text) > cell.rect.width() && cell.font.pointSizeF() > 6.0) {
        cell.font.setPointSizeF(std::max(6.0, cell.font.pointSizeF() - 0.5));
        metrics = QFontMetrics(cell.font);
    }
    const int needed = metrics.horizontalAdvance(cell.text);
    if (needed > cell.rect.width()) {
        cell.rect.setLeft(cell.rect.right() - needed);
        cell.alignment = Qt::AlignRight | Qt::AlignVCenter;
    }
    return cell;
}

QString DataGrid::footerText(int c) const
{
    if (c < 0 || c >= columnCount())
        return {};
    const GridColumn& col = column(c);
    switch (col.footer) {
    case FooterKind::Text:
        return col.footerText;
    case FooterKind::Sum: {
        double sum = 0;
        bool any = false;
        const int rows = proxy_->rowCount();
        for (int r = 0; r < rows; ++r)
            if (const auto v = model_->cellNumber(proxy_->mapToSource(proxy_->index(r, c)).row(), c)) {
                sum += *v;
                any = true;
            }
        if (!any)
            return {};
        try {
            return QString::fromStdString(num::formatPattern(sum, col.footerFormat.toStdString()));
        } catch (const num::ConversionError&) {
            return QString::fromStdString(num::shortestDecimal(sum));
        }
    }
    case FooterKind::None:
        break;
    }
    return {};
}

void DataGrid::setColumnFilter(int c, const QString& value)
{
    proxy_->setColumnFilter(c, value);
    view_->horizontalHeader()->viewport()->update();
    invalidateFooter();
}

void DataGrid::clearColumnFilter(int c)
{
    proxy_->clearColumnFilter(c);
    view_->horizontalHeader()->viewport()->update();
    invalidateFooter();
}

QStringList DataGrid::filterValues(int c) const
{
    std::set<QString> distinct;
    for (int r = 0; r < model_->rowCount(); ++r)
        distinct.insert(model_->cellText(r, c));
    QStringList values(distinct.begin(), distinct.end());
    std::sort(values.begin(), values.end(), [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
    return values;
}

void DataGrid::showFilterMenu(int c, const QPoint& globalPos)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("(Todos)"), this, [this, c] { clearColumnFilter(c); });
    menu->addSeparator();
    for (const QString& value : filterValues(c))
        menu->addAction(value.isEmpty() ? QStringLiteral("(Vazios)") : value, this, [this, c, value] { setColumnFilter(c, value); });
    menu->popup(globalPos);
}

void DataGrid::invalidateFooter() { footer_->update(); }

int DataGrid::currentRow() const
{
    const QModelIndex i = view_->currentIndex();
    return i.isValid() ? proxy_->mapToSource(i).row() : -1;
}

int DataGrid::currentColumn() const
{
    const QModelIndex i = view_->currentIndex();
    return i.isValid() ? i.column() : -1;
}

void DataGrid::setCurrentCell(int row, int c)
{
    const QModelIndex i = proxy_->mapFromSource(model_->index(row, c));
    if (i.isValid())
        view_->setCurrentIndex(i);
}

void DataGrid::reread() { model_->reread(); }

QTableView* DataGrid::view() const { return view_; }

void DataGrid::syncCurrentFromTable()
{
    const data::MemTable* t = table();
    if (!t || !t->active())
        return;
    const int row = t->position();
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex current = view_->currentIndex();
    int c = current.isValid() && isFocusable(current.column()) && isColumnVisible(current.column())
                ? current.column()
                : view_->firstFocusable();
    if (c < 0)
        return;
    const QModelIndex target = proxy_->mapFromSource(model_->index(row, c));
    if (!target.isValid() || target == current)
        return;
    syncing_ = true;
    // The table moved by itself: an editor still open belongs to the row left behind.
    view_->finishEditing(false);
    view_->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncing_ = false;
}

void DataGrid::onCurrentRowChanged()
{
    if (syncing_)
        return;
    const QModelIndex current = view_->currentIndex();
    if (current.isValid())
        model_->moveCursorTo(proxy_->mapToSource(current).row());
}

}  // namespace ofx::grid
