#include "grid/currencyvalidator.h"
#include "grid/datagrid.h"

#include "data/memtable.h"
#include "text/numbers.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace ofx;
using grid::DataGrid;
using grid::EditorKind;
using grid::FooterKind;
using grid::GridColumn;

namespace {

std::string withoutPoints(std::string s)
{
    std::erase(s, '.');
    return s;
}

// An items table and a refresh handler in the manner of the proposal window: during a bulk pass
// (notifications suspended) it sets each row's total to quantity x unit value and leaves the row
// in edit state.
struct Items {
    data::MemTable table;
    int handlerRuns = 0;
    int failAtItem = -1;  // CD_ITEM whose refresh throws

    explicit Items(const std::vector<std::tuple<int, const char*, const char*, const char*>>& rows)
    {
        table.addField("CD_LCTO", data::FieldType::Integer);
        table.addField("CD_ITEM", data::FieldType::Integer);
        table.addField("DS_ITEM", data::FieldType::Text, 200);
        table.addField("DS_MARCA", data::FieldType::Text, 40);
        table.addField("QT_ITEM", data::FieldType::Text, 100);
        table.addField("VL_UNITARIO", data::FieldType::Decimal);
        table.addField("VL_TOTAL", data::FieldType::Decimal);
        table.addField("PERC_DESC", data::FieldType::Decimal);
        table.createDataSet();
        table.addIndex("CD_ITEM", "CD_ITEM");
        table.setIndexName("CD_ITEM");
        for (const auto& [code, description, quantity, unit] : rows) {
            table.append();
            table.setValue("CD_LCTO", code);
            table.setValue("CD_ITEM", code);
            table.setText("DS_ITEM", description);
            table.setText("QT_ITEM", quantity);
            table.setText("VL_UNITARIO", unit);
            table.post();
        }
        table.first();
        table.afterScroll = [this](data::MemTable& t) {
            if (!t.controlsDisabled())
                return;
            ++handlerRuns;
            if (t.asInteger("CD_ITEM") == failAtItem)
                throw num::ConversionError("\"abc\" não é um número válido");
            std::string quantity = withoutPoints(t.asText("QT_ITEM"));
            std::string unit = withoutPoints(t.asText("VL_UNITARIO"));
            t.edit();
            if (unit.empty()) {
                t.setText("VL_UNITARIO", "0");
                unit = "0";
            }
            if (quantity.empty())
                quantity = "0";
            t.setValue("VL_TOTAL", num::parseDecimal(quantity) * num::parseDecimal(unit));
        };
    }

    double total(int position) const { return std::get<double>(table.valueAt(position, table.fieldIndex("VL_TOTAL"))); }
};

// The columns the proposal window uses in price mode, less the hidden ones.
struct Columns {
    int lancamento, codigo, item, marca, quantidade, unitario, desconto, total;
};

Columns addItemColumns(DataGrid& g)
{
    const QString money = QStringLiteral("R$ ###,###,##0.0000");
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    Columns c{};
    c.lancamento = g.addColumn({.name = "lancamento", .caption = "Lançamento", .field = "CD_LCTO", .editable = false});
    c.codigo = g.addColumn({.caption = "Código", .field = "CD_ITEM", .editable = false, .focusable = false, .grey = true});
    c.item = g.addColumn({.caption = "Item", .field = "DS_ITEM", .editable = false, .focusable = false, .grey = true});
    c.marca = g.addColumn({.caption = "Marca", .field = "DS_MARCA"});
    c.quantidade = g.addColumn({.caption = "Quantidade", .field = "QT_ITEM", .editable = false, .focusable = false,
                                .alignment = right, .displayFormat = "###,###,##0.0000", .editor = EditorKind::Currency});
    c.unitario = g.addColumn({.caption = "Valor unitário", .field = "VL_UNITARIO", .alignment = right,
                              .displayFormat = money, .editor = EditorKind::Currency,
                              .inputConstraint = [](const grid::CurrencyInput& in) { return !in.negative && in.integerDigits <= 12; },
                              .footer = FooterKind::Text, .footerText = "Total da Proposta:"});
    c.desconto = g.addColumn({.caption = "% Desc.", .field = "PERC_DESC", .visible = false, .alignment = right,
                              .displayFormat = "##0.0000", .editor = EditorKind::Currency, .decimals = 7,
                              .formatWhileEditing = true});
    c.total = g.addColumn({.caption = "Valor total", .field = "VL_TOTAL", .editable = false, .focusable = false,
                           .grey = true, .alignment = right, .displayFormat = money, .editor = EditorKind::Currency,
                           .footer = FooterKind::Sum, .footerFormat = money});
    return c;
}

// The open cell editor; a closed one lingers hidden until the event loop deletes it.
QLineEdit* activeEditor(const DataGrid& g)
{
    for (QLineEdit* e : g.view()->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden())
            return e;
    return nullptr;
}

QLineEdit* openEditor(DataGrid& g)
{
    QTest::keyClick(g.view(), Qt::Key_F2);
    return activeEditor(g);
}

void typeIntoCell(DataGrid& g, const QString& text, Qt::Key end = Qt::Key_Return)
{
    QLineEdit* editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, end);
}

QString cell(const DataGrid& g, int row, int column) { return g.model()->cellText(row, column); }

}  // namespace

TEST(DataGrid, TypingAPriceRecomputesTheLotAndMovesOn)
{
    Items items({{1, "Caneta", "10,0000", ""}, {2, "Papel", "1.234,5000", "2"}, {3, "Lápis", "", ""}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();

    // Binding re-read the lot: every total is quantity x unit value, a missing unit value is 0.
    EXPECT_EQ(cell(g, 0, c.unitario), "R$ 0,0000");
    EXPECT_EQ(cell(g, 1, c.total), "R$ 2.469,0000");
    EXPECT_EQ(cell(g, 2, c.total), "R$ 0,0000");
    EXPECT_EQ(cell(g, 1, c.quantidade), "1.234,5000");
    EXPECT_EQ(g.footerText(c.total), "R$ 2.469,0000");
    EXPECT_EQ(g.footerText(c.unitario), "Total da Proposta:");

    g.setCurrentCell(0, c.unitario);
    typeIntoCell(g, "12,5");

    EXPECT_EQ(cell(g, 0, c.total), "R$ 125,0000");
    EXPECT_EQ(cell(g, 0, c.unitario), "R$ 12,5000");
    EXPECT_EQ(g.footerText(c.total), "R$ 2.594,0000");
    EXPECT_DOUBLE_EQ(items.total(0), 125.0);
    // Enter went past the row's last focusable cell to the next row's first one.
    EXPECT_EQ(g.currentRow(), 1);
    EXPECT_EQ(g.currentColumn(), c.lancamento);
    EXPECT_EQ(items.table.position(), 1);
    EXPECT_EQ(items.table.state(), data::TableState::Edit);  // the refresh leaves it so

    // Typing on a cell opens its editor and replaces the value; thousands points are accepted
    // and dropped; the window's constraint refuses the sign.
    g.setCurrentCell(2, c.unitario);
    QTest::keyClick(g.view(), '-');
    QLineEdit* editor = activeEditor(g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "1.000,5");
    EXPECT_EQ(editor->text(), "1.000,5");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(g, 2, c.unitario), "R$ 1.000,5000");
    EXPECT_EQ(cell(g, 2, c.total), "R$ 0,0000");  // empty quantity counts 0
}

TEST(DataGrid, EnterWalksTheFocusableCellsRowByRow)
{
    Items items({{1, "A", "1", "1"}, {2, "B", "1", "1"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    // Discount mode: the unit value can no longer be focused, the discount is shown.
    g.setColumnFocusable(c.unitario, false);
    g.setColumnEditable(c.unitario, false);
    g.setColumnVisible(c.desconto, true);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();

    g.setCurrentCell(0, c.lancamento);
    const std::pair<int, int> expected[] = {
        {0, c.marca}, {0, c.desconto}, {1, c.lancamento}, {1, c.marca}, {1, c.desconto}, {1, c.desconto}};
    for (const auto& [row, column] : expected) {
        QTest::keyClick(g.view(), Qt::Key_Return);
        EXPECT_EQ(g.currentRow(), row);
        EXPECT_EQ(g.currentColumn(), column);
    }
    EXPECT_EQ(items.table.position(), 1);

    // Arrows and Home skip what cannot be focused; a click there chooses the row only.
    QTest::keyClick(g.view(), Qt::Key_Left);
    EXPECT_EQ(g.currentColumn(), c.marca);
    QTest::keyClick(g.view(), Qt::Key_Home);
    EXPECT_EQ(g.currentColumn(), c.lancamento);
    const QRect greyCell = g.view()->visualRect(g.proxy()->mapFromSource(g.model()->index(0, c.item)));
    QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {}, greyCell.center());
    EXPECT_EQ(g.currentRow(), 0);
    EXPECT_EQ(g.currentColumn(), c.lancamento);
    EXPECT_EQ(items.table.position(), 0);

    // Typing a discount keeps the total at quantity x unit value; the editor starts with the
    // display form of the discount.
    g.setCurrentCell(0, c.desconto);
    QLineEdit* editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "");
    QTest::keyClicks(editor, "5,1234567");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(g, 0, c.desconto), "5,1235");
    EXPECT_EQ(cell(g, 0, c.total), "R$ 1,0000");
    g.setCurrentCell(0, c.desconto);
    editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "5,1235");
    QTest::keyClick(editor, Qt::Key_Return);  // untouched: the rounding is not written back
    EXPECT_DOUBLE_EQ(std::get<double>(items.table.valueAt(0, items.table.fieldIndex("PERC_DESC"))), 5.1234567);
}

TEST(DataGrid, HeaderClicksAndDisplaySortingLeaveTheTableAlone)
{
    Items items({{1, "Caneta", "1", "3"}, {2, "Borracha", "1", "1"}, {3, "Apontador", "1", "2"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();
    g.setCurrentCell(1, c.marca);
    QSignalSpy clicks(&g, &DataGrid::headerClicked);

    QHeaderView* header = g.view()->horizontalHeader();
    const QPoint itemHeader(header->sectionViewportPosition(c.item) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, itemHeader);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), c.item);

    // The display is sorted by description; the table keeps its order and its cursor.
    EXPECT_EQ(g.proxy()->index(0, c.item).data().toString(), "Apontador");
    EXPECT_EQ(g.proxy()->index(2, c.item).data().toString(), "Caneta");
    EXPECT_EQ(items.table.textAt(0, items.table.fieldIndex("DS_ITEM")), "Caneta");
    EXPECT_EQ(items.table.indexFieldNames(), "CD_ITEM");
    EXPECT_EQ(items.table.position(), 1);
    EXPECT_EQ(g.currentRow(), 1);

    // The display filter shows one value; the footer sums what is shown.
    g.setColumnFilter(c.item, "Borracha");
    EXPECT_EQ(g.proxy()->rowCount(), 1);
    EXPECT_EQ(g.footerText(c.total), "R$ 1,0000");
    EXPECT_EQ(items.table.recordCount(), 3);
    EXPECT_EQ(g.filterValues(c.item), QStringList({"Apontador", "Borracha", "Caneta"}));
    g.clearColumnFilter(c.item);
    EXPECT_EQ(g.footerText(c.total), "R$ 6,0000");

    // Typing into the sorted display reaches the item shown, and Enter goes on in display order.
    const auto unitOf = [&](int position) {
        return std::get<double>(items.table.valueAt(position, items.table.fieldIndex("VL_UNITARIO")));
    };
    g.view()->setCurrentIndex(g.proxy()->index(0, c.unitario));  // "Apontador", the table's third row
    typeIntoCell(g, "7");
    EXPECT_DOUBLE_EQ(unitOf(2), 7.0);
    EXPECT_DOUBLE_EQ(unitOf(0), 3.0);
    EXPECT_EQ(g.view()->currentIndex().row(), 1);  // display rows
    EXPECT_EQ(items.table.asText("DS_ITEM"), "Borracha");
    g.setColumnFilter(c.item, "Caneta");
    g.view()->setCurrentIndex(g.proxy()->index(0, c.unitario));
    typeIntoCell(g, "4");
    EXPECT_DOUBLE_EQ(unitOf(0), 4.0);
    EXPECT_DOUBLE_EQ(unitOf(1), 1.0);
    EXPECT_EQ(g.footerText(c.total), "R$ 4,0000");
}

TEST(DataGrid, RowsCannotBeInsertedOrDeleted)
{
    Items items({{1, "A", "1", "1"}, {2, "B", "1", "1"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();
    g.setCurrentCell(1, c.marca);
    QTest::keyClick(g.view(), Qt::Key_Insert);
    QTest::keyClick(g.view(), Qt::Key_Delete);
    QTest::keyClick(g.view(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(g.view(), Qt::Key_Down);  // past the last row: no new row either
    EXPECT_EQ(items.table.recordCount(), 2);
    EXPECT_NE(items.table.state(), data::TableState::Insert);
    EXPECT_EQ(g.model()->rowCount(), 2);
    EXPECT_FALSE(g.model()->insertRows(0, 1));
    EXPECT_FALSE(g.model()->removeRows(0, 1));
}

TEST(DataGrid, LeavingTheGridPostsThePendingValue)
{
    Items items({{1, "A", "2", "1"}});
    QWidget window;
    auto* g = new DataGrid(&window);
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, 320);
    const Columns c = addItemColumns(*g);
    g->setTable(&items.table);
    g->resize(900, 300);
    window.show();
    QApplication::setActiveWindow(&window);

    g->setCurrentCell(0, c.unitario);
    QLineEdit* editor = openEditor(*g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "7");
    elsewhere->setFocus(Qt::TabFocusReason);

    EXPECT_EQ(activeEditor(*g), nullptr);
    EXPECT_EQ(cell(*g, 0, c.total), "R$ 14,0000");
    items.table.cancel();  // what was posted survives dropping the edit the refresh left open
    EXPECT_DOUBLE_EQ(items.table.asDecimal("VL_UNITARIO"), 7.0);
    EXPECT_DOUBLE_EQ(items.table.asDecimal("VL_TOTAL"), 14.0);
}

// Keys typed right after a click belong to the clicked cell; none is held back waiting for a
// possible double click. A click into the current cell opens its editor at once.
TEST(DataGrid, TypingRightAfterAClickIsKept)
{
    Items items({{1, "A", "2", "1"}, {2, "B", "3", "1"}});
    QWidget window;
    auto* g = new DataGrid(&window);
    const Columns c = addItemColumns(*g);
    g->setTable(&items.table);
    g->resize(900, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QWidget* viewport = g->view()->viewport();
    const auto centre = [&](int row, int column) {
        return g->view()->visualRect(g->proxy()->mapFromSource(g->model()->index(row, column))).center();
    };

    g->setCurrentCell(0, c.lancamento);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0, c.marca));
    QTest::keyClick(g->view(), 'C');
    QLineEdit* editor = activeEditor(*g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "hamex");
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    ASSERT_EQ(activeEditor(*g), editor);
    EXPECT_EQ(editor->text(), "Chamex");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(*g, 0, c.marca), "Chamex");
    EXPECT_EQ(g->currentColumn(), c.unitario);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(0, c.unitario));
    editor = activeEditor(*g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "12,5");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(*g, 0, c.marca), "Chamex");
    EXPECT_EQ(cell(*g, 0, c.total), "R$ 25,0000");
}

// "12.50" typed for twelve and a half is refused, never taken as 1250; the keypad's decimal key
// types the comma.
// Every way of closing a currency editor goes through one commit: a number is posted, a text
// that is no number ("12.50", "1234.56", ",") is refused with the message, the value stays and
// the grid keeps the focus; the keypad's decimal key types the comma.
TEST(DataGrid, EveryWayOfClosingAnEditorCommitsAlike)
{
    enum class End { Enter, Tab, Down, ClickOtherRow, ClickOtherField, CommitEditing };
    const std::pair<End, const char*> ends[] = {
        {End::Enter, "Enter"}, {End::Tab, "Tab"}, {End::Down, "Down"}, {End::ClickOtherRow, "click on another row"},
        {End::ClickOtherField, "click on another field"}, {End::CommitEditing, "commitEditing"}};
    const std::pair<const char*, std::optional<double>> texts[] = {
        {"7,5", 7.5}, {"R$ 1.234,5", 1234.5}, {"12.50", {}}, {"1234.56", {}}, {",", {}}};
    for (const auto& [end, endName] : ends) {
        for (const auto& [text, stored] : texts) {
            SCOPED_TRACE(std::string(text) + " then " + endName);
            Items items({{1, "A", "2", "3"}, {2, "B", "1", "1"}});
            QWidget host;
            auto* g = new DataGrid(&host);
            auto* other = new QLineEdit(&host);
            g->setGeometry(0, 0, 900, 300);
            other->setGeometry(0, 310, 100, 20);
            const Columns c = addItemColumns(*g);
            g->setTable(&items.table);
            host.show();
            QApplication::setActiveWindow(&host);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
            QSignalSpy refused(g, &DataGrid::inputRefused);
            QSignalSpy edited(g, &DataGrid::cellEdited);

            g->view()->setFocus();
            g->setCurrentCell(0, c.unitario);
            QLineEdit* editor = openEditor(*g);
            ASSERT_NE(editor, nullptr);
            QTest::keyClicks(editor, text);
            ASSERT_EQ(editor->text(), QString::fromUtf8(text));  // nothing typed vanishes
            bool committed = true;
            switch (end) {
            case End::Enter: QTest::keyClick(editor, Qt::Key_Return); break;
            case End::Tab: QTest::keyClick(editor, Qt::Key_Tab); break;
            case End::Down: QTest::keyClick(editor, Qt::Key_Down); break;
            case End::ClickOtherRow: {
                const QRect r = g->view()->visualRect(g->proxy()->mapFromSource(g->model()->index(1, c.marca)));
                QTest::mouseClick(g->view()->viewport(), Qt::LeftButton, {}, r.center());
                break;
            }
            case End::ClickOtherField: QTest::mouseClick(other, Qt::LeftButton); break;
            case End::CommitEditing: committed = g->commitEditing(); break;
            }
            EXPECT_FALSE(g->isEditing());
            EXPECT_EQ(committed, stored.has_value() || end != End::CommitEditing);
            EXPECT_DOUBLE_EQ(std::get<double>(items.table.valueAt(0, items.table.fieldIndex("VL_UNITARIO"))),
                             stored.value_or(3.0));
            EXPECT_DOUBLE_EQ(items.total(0), 2 * stored.value_or(3.0));
            if (stored) {
                EXPECT_EQ(refused.size(), 0);
                EXPECT_EQ(edited.size(), 1);
            } else {
                ASSERT_EQ(refused.size(), 1);
                EXPECT_NE(refused[0][0].toString().indexOf(QString::fromUtf8(text)), -1);
                EXPECT_NE(refused[0][0].toString().indexOf("1.234,56"), -1);
                EXPECT_EQ(edited.size(), 0);
                EXPECT_TRUE(g->view()->hasFocus());
            }
        }
    }
}

TEST(DataGrid, TheKeypadsDecimalKeyTypesTheComma)
{
    Items items({{1, "A", "2", "3"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();
    g.setCurrentCell(0, c.unitario);
    QLineEdit* editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "12");
    QTest::keyClick(editor, Qt::Key_Period, Qt::KeypadModifier);
    QTest::keyClicks(editor, "5");
    EXPECT_EQ(editor->text(), "12,5");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(cell(g, 0, c.total), "R$ 25,0000");
}

TEST(DataGrid, RereadsWalkTheTableOnceAndNeverReenter)
{
    Items items({{1, "A", "2", "1"}, {2, "B", "3", "1"}, {3, "C", "4", "1"}});
    DataGrid g;
    addItemColumns(g);
    g.setTable(&items.table);
    EXPECT_EQ(items.handlerRuns, 4);  // three rows, then back on the current one
    EXPECT_FALSE(items.table.controlsDisabled());
    EXPECT_EQ(items.table.position(), 0);
    EXPECT_EQ(items.table.state(), data::TableState::Edit);

    // Resuming suspended notifications re-reads once; the walk's own resume does not re-read.
    items.handlerRuns = 0;
    items.table.disableControls();
    items.table.moveTo(2);
    EXPECT_EQ(items.handlerRuns, 1);  // a move during a bulk pass runs the handler itself
    items.table.enableControls();
    EXPECT_EQ(items.handlerRuns, 5);
    EXPECT_EQ(items.table.position(), 2);

    // Reopening re-reads.
    items.handlerRuns = 0;
    items.table.close();
    items.table.open();
    EXPECT_EQ(items.handlerRuns, 4);
    EXPECT_EQ(g.model()->rowCount(), 3);

    // A post made outside the grid may come from inside a cursor move: it is re-read when the
    // event loop turns, once however many posts came.
    items.handlerRuns = 0;
    items.table.edit();
    items.table.setText("VL_UNITARIO", "10");
    items.table.next();  // posts row 0 from inside the move
    items.table.edit();
    items.table.setText("VL_UNITARIO", "10");
    items.table.post();
    EXPECT_EQ(items.handlerRuns, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(items.handlerRuns, 4);
    EXPECT_DOUBLE_EQ(items.total(0), 20.0);
    EXPECT_DOUBLE_EQ(items.total(1), 30.0);
    EXPECT_EQ(items.table.position(), 1);

    // Nothing is walked while someone else keeps the notifications suspended.
    items.handlerRuns = 0;
    items.table.disableControls();
    g.reread();
    EXPECT_EQ(items.handlerRuns, 0);
    items.table.enableControls();
    EXPECT_EQ(items.handlerRuns, 4);
}

TEST(DataGrid, AFailingRefreshStopsTheWalkAndIsReported)
{
    Items items({{1, "A", "2", "1"}, {2, "B", "3", "1"}, {3, "C", "4", "1"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    QSignalSpy errors(&g, &DataGrid::errorOccurred);
    items.failAtItem = 2;
    g.setTable(&items.table);

    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.at(0).at(0).toString(), "\"abc\" não é um número válido");
    EXPECT_FALSE(items.table.controlsDisabled());
    EXPECT_EQ(cell(g, 0, c.total), "R$ 2,0000");
    EXPECT_EQ(cell(g, 2, c.total), "");  // after the failing row: never computed
    EXPECT_EQ(items.table.position(), 0);

    items.failAtItem = -1;
    g.reread();
    EXPECT_EQ(cell(g, 2, c.total), "R$ 4,0000");
}

TEST(DataGrid, BlockedInputReachesNothing)
{
    Items items({{1, "A", "2", "1"}, {2, "B", "3", "1"}});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    g.resize(900, 300);
    g.show();
    g.setCurrentCell(0, c.unitario);
    QLineEdit* editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "5");

    g.setInputBlocked(true);  // the open editor's value is kept
    EXPECT_DOUBLE_EQ(items.total(0), 10.0);
    QTest::keyClick(g.view(), Qt::Key_Down);
    QTest::keyClick(g.view(), Qt::Key_F2);
    EXPECT_EQ(g.currentRow(), 0);
    EXPECT_EQ(items.table.position(), 0);
    EXPECT_EQ(activeEditor(g), nullptr);
    EXPECT_FALSE(g.model()->setData(g.model()->index(0, c.unitario), "9"));

    g.setInputBlocked(false);
    QTest::keyClick(g.view(), Qt::Key_Down);
    EXPECT_EQ(items.table.position(), 1);
}

TEST(DataGrid, EmptyTableShowsTheEmptyTextAndNoSum)
{
    Items items({});
    DataGrid g;
    const Columns c = addItemColumns(g);
    g.setTable(&items.table);
    EXPECT_EQ(g.emptyText(), "Não há dados para exibir");
    EXPECT_EQ(g.model()->rowCount(), 0);
    EXPECT_EQ(g.footerText(c.total), "");
    EXPECT_EQ(g.footerText(c.unitario), "Total da Proposta:");
    EXPECT_EQ(g.currentRow(), -1);
}

// A keystroke is refused only for the column's limits; any other text stays as typed (a point
// never vanishes) and is judged when the editor closes.
TEST(CurrencyInput, KeystrokesRefusedOnlyForTheColumnsLimits)
{
    grid::CurrencyValidator v(4, [](const grid::CurrencyInput& in) { return !in.negative && in.integerDigits <= 12; });
    struct Case {
        const char* text;
        QValidator::State state;
    };
    const Case cases[] = {
        {"123.456.789.012,1234", QValidator::Acceptable},
        {"R$ 4,75", QValidator::Acceptable},
        {"", QValidator::Acceptable},                // empties the cell
        {"1234567890123", QValidator::Invalid},      // 13 integer digits
        {"1,12345", QValidator::Invalid},            // a fifth decimal
        {"-", QValidator::Invalid},                  // no negative values
        {"1234.", QValidator::Intermediate},         // the point stays, refused on commit
        {"12.50", QValidator::Intermediate},
        {"abc", QValidator::Intermediate},
    };
    for (const Case& c : cases) {
        QString text = QString::fromUtf8(c.text);
        int pos = 0;
        EXPECT_EQ(v.validate(text, pos), c.state) << c.text;
    }
    const grid::CurrencyInput in = grid::readCurrencyInput(QStringLiteral("1.234,5"));
    ASSERT_TRUE(in.value.has_value());
    EXPECT_DOUBLE_EQ(*in.value, 1234.5);
    EXPECT_EQ(in.integerDigits, 4);
    EXPECT_EQ(in.decimals, 1);
}
