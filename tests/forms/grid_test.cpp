// The entry window's item grid: columns, the two pricing modes, totals after every posted change
// and lot display, the footer, the report order set by header clicks, and "Limpar".
#include "entrywindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QStringList>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>

#include <gtest/gtest.h>

using namespace ofx;
using proposal::PricingMode;

namespace {

using ItemGrid = test::EntryFixture;

struct ColumnSpec {
    const char* name;
    const char* caption;
    const char* field;
    bool grey;
};

const ColumnSpec columns[] = {
    {"dbgItensDadosColumn8", "Lote", "NO_LOTE", false},
    {"dbgItensDadosColumn11", "Lançamento", "CD_LCTO", false},
    {"dbgItensDadosColumn1", "Código", "CD_ITEM", true},
    {"dbgItensDadosColumn2", "Item", "DS_ITEM", true},
    {"dbgItensDadosColumn7", "Marca", "DS_MARCA", false},
    {"dbgItensDadosColumn6", "Unidade", "UN_MEDIDA", true},
    {"dbgItensDadosColumn3", "Quantidade", "QT_ITEM", true},
    {"dbgItensDadosColumn4", "Valor unitário", "VL_UNITARIO", false},
    {"dbgItensDadosColumn9", "% Desc.", "PERC_DESC", false},
    {"dbgItensDadosColumn10", "Valor Desc.", "VLR_DESC", false},
    {"dbgItensDadosColumn5", "Valor total", "VL_TOTAL", true},
};

}  // namespace

TEST_F(ItemGrid, ColumnsInOrderInTheGridsPlace)
{
    ASSERT_EQ(grid().columnCount(), int(std::size(columns)));
    for (int c = 0; c < grid().columnCount(); ++c) {
        const auto& col = grid().column(c);
        EXPECT_EQ(col.name, QLatin1String(columns[c].name));
        EXPECT_EQ(col.caption, QString::fromUtf8(columns[c].caption));
        EXPECT_EQ(col.field, columns[c].field);
        EXPECT_EQ(col.grey, columns[c].grey) << columns[c].name;
    }
    EXPECT_EQ(grid().parentWidget(), w->dbgItens);
    EXPECT_FALSE(grid().isColumnVisible(column("dbgItensDadosColumn8")));
    EXPECT_EQ(grid().column(column("dbgItensDadosColumn11")).headerAlignment & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(grid().column(column("dbgItensDadosColumn2")).headerAlignment, Qt::AlignCenter);
    EXPECT_EQ(grid().emptyText(), QStringLiteral("Não há dados para exibir"));
    EXPECT_EQ(footer("dbgItensDadosColumn5"), QString());  // no rows, no sum
}

// Visibility, width and focus of the columns that differ between the modes.
TEST_F(ItemGrid, PricingModes)
{
    struct Mode {
        PricingMode mode;
        int marcaWidth;
        bool unitFocusable, discountShown;
    };
    for (const Mode& m : {Mode{PricingMode::Discount, 130, false, true}, Mode{PricingMode::Price, 187, true, false}}) {
        w->proModoPrecificacao(m.mode);
        EXPECT_EQ(grid().columnWidth(column("dbgItensDadosColumn7")), m.marcaWidth);
        EXPECT_EQ(grid().column(column("dbgItensDadosColumn4")).focusable, m.unitFocusable);
        EXPECT_EQ(grid().column(column("dbgItensDadosColumn4")).editable, m.unitFocusable);
        for (const char* c : {"dbgItensDadosColumn9", "dbgItensDadosColumn10"})
            EXPECT_EQ(grid().isColumnVisible(column(c)), m.discountShown) << c;
        EXPECT_EQ(grid().column(column("dbgItensDadosColumn9")).focusable, m.discountShown);
        EXPECT_FALSE(grid().column(column("dbgItensDadosColumn10")).focusable);
        const std::pair<const char*, int> widths[] = {
            {"dbgItensDadosColumn11", 78}, {"dbgItensDadosColumn1", 50},  {"dbgItensDadosColumn2", 215},
            {"dbgItensDadosColumn6", 60},  {"dbgItensDadosColumn3", 90},  {"dbgItensDadosColumn4", 115},
            {"dbgItensDadosColumn9", 50},  {"dbgItensDadosColumn10", 100}, {"dbgItensDadosColumn5", 120},
        };
        for (const auto& [name, width] : widths)
            EXPECT_EQ(grid().column(column(name)).width, width) << name;
    }
}

// Price mode: 12,5 typed against a quantity of 10,0000 gives R$ 125,0000, the footer follows,
// Enter goes on to the next row's "Lançamento" and the description follows the cursor.
TEST_F(ItemGrid, TypingAPriceUpdatesTotalFooterAndMovesOn)
{
    fill(1, {{1, 1, "Caneta", "10,0000", 1.0}, {1, 2, "Papel", "3,0000", 2.0}});
    EXPECT_EQ(footer("dbgItensDadosColumn5"), QStringLiteral("R$ 16,0000"));
    EXPECT_EQ(footer("dbgItensDadosColumn4"), QStringLiteral("Total da Proposta:"));
    typeIntoCell(0, "dbgItensDadosColumn4", QStringLiteral("12,5"));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn4"), QStringLiteral("R$ 12,5000"));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn5"), QStringLiteral("R$ 125,0000"));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn3"), QStringLiteral("10,0000"));
    EXPECT_EQ(footer("dbgItensDadosColumn5"), QStringLiteral("R$ 131,0000"));
    EXPECT_EQ(grid().currentRow(), 1);
    EXPECT_EQ(grid().currentColumn(), column("dbgItensDadosColumn11"));
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Papel"));
    EXPECT_EQ(w->cdsLote.state(), data::TableState::Edit);

    // Moving back by itself recomputes nothing, but the description follows.
    QTest::keyClick(grid().view(), Qt::Key_Up);
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Caneta"));
    // Enter walks "Lançamento", "Marca", "Valor unitário", then the next row.
    grid().setCurrentCell(0, column("dbgItensDadosColumn11"));
    const char* walk[] = {"dbgItensDadosColumn7", "dbgItensDadosColumn4", "dbgItensDadosColumn11"};
    for (const char* next : walk) {
        QTest::keyClick(grid().view(), Qt::Key_Return);
        EXPECT_EQ(grid().currentColumn(), column(next));
    }
    EXPECT_EQ(grid().currentRow(), 1);
}

// Totals after a lot display: thousands points dropped from the quantity, an item without a
// unit value shows 0 for both, totals unrounded.
TEST_F(ItemGrid, TotalsOfTheShownLot)
{
    fill(2, {{1, 1, "a", "1.234,5000", 2.0},
             {1, 2, "b", "1.000.000,0000", 2.0},
             {1, 3, "c", "7,0000"},
             {1, 4, "d", "", 3.0},
             {1, 5, "e", "0,3333", 3.0},
             {2, 6, "f", "2,0000", 50.0}});
    const std::pair<const char*, const char*> expected[] = {
        {"R$ 2,0000", "R$ 2.469,0000"},
        {"R$ 2,0000", "R$ 2.000.000,0000"},
        {"R$ 0,0000", "R$ 0,0000"},
        {"R$ 3,0000", "R$ 0,0000"},
        {"R$ 3,0000", "R$ 0,9999"},
    };
    for (int r = 0; r < int(std::size(expected)); ++r) {
        EXPECT_EQ(cell(r, "dbgItensDadosColumn4"), QLatin1String(expected[r].first)) << r;
        EXPECT_EQ(cell(r, "dbgItensDadosColumn5"), QLatin1String(expected[r].second)) << r;
    }
    EXPECT_EQ(footer("dbgItensDadosColumn5"), QStringLiteral("R$ 2.002.469,9999"));
    w->cdsLote.moveTo(2);
    EXPECT_EQ(w->cdsLote.asText("QT_ITEM"), "7,0000");
    // The footer covers the shown lot only.
    QTest::keyClick(w.data(), Qt::Key_F7);
    EXPECT_EQ(footer("dbgItensDadosColumn5"), QStringLiteral("R$ 100,0000"));
}

// The refresh acts only during a bulk pass (the items table's controls suspended).
TEST_F(ItemGrid, RefreshActsOnlyDuringABulkPass)
{
    fill(1, {{1, 1, "a", "2,0000", 5.0}});
    w->cdsLote.setValue("VL_UNITARIO", 7.0);
    w->cdsLoteAfterScroll();
    EXPECT_EQ(w->cdsLote.asDecimal("VL_TOTAL"), 10.0);
    w->cdsLote.disableControls();
    w->cdsLoteAfterScroll();
    w->cdsLote.enableControls();
    EXPECT_EQ(w->cdsLote.asDecimal("VL_TOTAL"), 14.0);
}

TEST_F(ItemGrid, DiscountModeWalksLancamentoMarcaDiscount)
{
    w->proModoPrecificacao(PricingMode::Discount);
    fill(1, {{1, 1, "a", "4,0000", 10.0}, {1, 2, "b", "1,0000", 1.0}});
    grid().view()->setFocus();
    grid().setCurrentCell(0, column("dbgItensDadosColumn11"));
    for (const char* next : {"dbgItensDadosColumn7", "dbgItensDadosColumn9", "dbgItensDadosColumn11"}) {
        QTest::keyClick(grid().view(), Qt::Key_Return);
        EXPECT_EQ(grid().currentColumn(), column(next));
    }
    EXPECT_EQ(grid().currentRow(), 1);
    typeIntoCell(0, "dbgItensDadosColumn9", QStringLiteral("7,5"));
    EXPECT_EQ(w->cdsLote.asDecimal("PERC_DESC"), 0.0);  // the cursor went on to the next row
    w->cdsLote.moveTo(0);
    EXPECT_EQ(w->cdsLote.asDecimal("PERC_DESC"), 7.5);
    EXPECT_EQ(cell(0, "dbgItensDadosColumn9"), QStringLiteral("7,5000"));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn5"), QStringLiteral("R$ 40,0000"));  // the discount is not applied
    // The arrow keys skip the read-only unit value too.
    grid().setCurrentCell(0, column("dbgItensDadosColumn7"));
    QTest::keyClick(grid().view(), Qt::Key_Right);
    EXPECT_EQ(grid().currentColumn(), column("dbgItensDadosColumn9"));
}

// Neither a unit value nor a discount can be typed negative or with more than 12 integer digits.
TEST_F(ItemGrid, PriceInputRefusesWhatTheFileCannotHold)
{
    fill(1, {{1, 1, "a", "1,0000", 1.0}});
    const char* unit = "dbgItensDadosColumn4";
    const char* discount = "dbgItensDadosColumn9";
    struct Case {
        PricingMode mode;
        const char* column;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {PricingMode::Price, unit, "-5", "5"},
        {PricingMode::Price, unit, "1234567890123", "123456789012"},
        {PricingMode::Price, unit, "123.456.789.012,1234", "123.456.789.012,1234"},
        {PricingMode::Price, unit, "2,123456", "2,1234"},
        {PricingMode::Discount, discount, "-7,5", "7,5"},
        {PricingMode::Discount, discount, "1234567890123", "123456789012"},
        {PricingMode::Discount, discount, "7,12345678", "7,1234567"},
    };
    for (const Case& c : cases) {
        w->proModoPrecificacao(c.mode);
        typeIntoCell(0, c.column, QString::fromUtf8(c.typed), Qt::Key_unknown);
        QLineEdit* editor = activeEditor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), QString::fromUtf8(c.shown)) << c.typed;
        QTest::keyClick(editor, Qt::Key_Escape);
    }
}

TEST_F(ItemGrid, HeaderClicksSetTheReportOrder)
{
    fill(1, {{1, 1, "a"}});
    QHeaderView* header = grid().view()->horizontalHeader();
    const std::pair<const char*, const char*> clicks[] = {
        {"dbgItensDadosColumn2", "NO_LOTE;DS_ITEM"},  {"dbgItensDadosColumn6", "NO_LOTE;DS_ITEM"},
        {"dbgItensDadosColumn11", "NO_LOTE;CD_LCTO"}, {"dbgItensDadosColumn5", "NO_LOTE;CD_LCTO"},
        {"dbgItensDadosColumn1", "NO_LOTE;CD_ITEM"},
    };
    EXPECT_EQ(w->vOrdemItens, "");
    for (const auto& [name, order] : clicks) {
        const int c = column(name);
        const QPoint at(header->sectionViewportPosition(c) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(w->vOrdemItens, order) << name;
    }
    EXPECT_EQ(w->cdsLote.indexFieldNames(), "CD_ITEM");  // the table's own order stays
}

// A quantity that is no number: the error is shown once the re-read is over; the rows after
// it keep their totals.
TEST_F(ItemGrid, QuantityThatIsNoNumberShowsTheError)
{
    test::DialogAnswerer answer;
    fill(1, {{1, 1, "a", "2,0000", 1.0}, {1, 2, "b", "xyz", 1.0}, {1, 3, "c", "3,0000", 1.0}});
    QCoreApplication::processEvents();
    ASSERT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(answer.dialogs[0].title, QStringLiteral("Erro"));
    EXPECT_TRUE(answer.dialogs[0].text.contains(QStringLiteral("xyz")));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn5"), QStringLiteral("R$ 2,0000"));
    EXPECT_EQ(cell(2, "dbgItensDadosColumn5"), QString());
}

// "Limpar" (Ctrl+L) on the second of three lots asks first when there is anything to lose (No
// is the default and changes nothing); Yes empties every lot's brands and the supplier's own
// values (unit values in price mode; discounts in discount mode, where the public body's unit
// values stay and the totals follow them), the dates and observations, unticks the letterhead
// box and keeps the second lot on screen.
TEST_F(ItemGrid, LimparAsksThenClearsTheSuppliersEntries)
{
    const QString question = QStringLiteral(
        "As marcas e os valores de todos os lotes, as datas e as observações serão apagados. Deseja continuar?");
    struct Case {
        const char* what;
        PricingMode mode;
        int answer;  // button index: 0 Yes, 1 No
    };
    const Case cases[] = {
        {"price mode, Yes", PricingMode::Price, 0},
        {"discount mode, Yes", PricingMode::Discount, 0},
        {"price mode, No", PricingMode::Price, 1},
    };
    const double units[] = {5.0, 6.0, 1.0, 7.0};
    const double quantities[] = {2.0, 3.0, 1.0, 4.0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delete w.data();
        w = new forms::TFLancamentoProposta;
        SetUp();
        w->proModoPrecificacao(c.mode);
        fill(3, {{1, 1, "a", "2,0000", 5.0}, {2, 2, "b", "3,0000", 6.0}, {2, 3, "c", "1,0000", 1.0},
                 {3, 4, "d", "4,0000", 7.0}});
        for (int i = 0; i < 2; ++i) {
            w->cdsLote.moveTo(0);
            w->cdsLote.edit();
            w->cdsLote.setText("DS_MARCA", "Marca");
            w->cdsLote.setValue("PERC_DESC", 5.0);
            w->cdsLote.post();
            QTest::keyClick(w.data(), Qt::Key_F7);
        }
        QTest::keyClick(w.data(), Qt::Key_F6);  // lot 2
        grid().setCurrentCell(1, column("dbgItensDadosColumn11"));
        w->mmObs->setPlainText(QStringLiteral("obs"));
        w->edtValidade->setText(QStringLiteral("01/02/2025"));
        w->edtProposta->setText(QStringLiteral("03/04/2025"));
        w->chkTimbrado->setChecked(true);

        test::DialogAnswerer answer(c.answer);
        QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+L")));
        ASSERT_EQ(answer.dialogs.size(), 1u);
        EXPECT_EQ(answer.dialogs[0].text, question);

        const bool cleared = c.answer == 0;
        EXPECT_EQ(w->cdsProposta.asInteger("NO_LOTE"), 2);
        EXPECT_EQ(w->cdsLote.filter(), "NO_LOTE = 2");
        EXPECT_EQ(w->mmDescricao->toPlainText(), cleared ? QStringLiteral("b") : QStringLiteral("c"));  // No: as it was
        EXPECT_EQ(w->mmObs->toPlainText().isEmpty(), cleared);
        EXPECT_EQ(w->edtValidade->text().isEmpty(), cleared);
        EXPECT_EQ(w->edtProposta->text().isEmpty(), cleared);
        EXPECT_EQ(w->chkTimbrado->isChecked(), !cleared);

        data::MemTable all;
        all.cloneCursor(w->cdsLote);
        all.open();
        ASSERT_EQ(all.recordCount(), 4);
        for (int i = 0; i < 4; ++i, all.next()) {
            const bool typed = i < 2;  // brand and discount set above
            const bool discount = c.mode == PricingMode::Discount;
            EXPECT_EQ(all.asText("DS_MARCA"), typed && !cleared ? "Marca" : "") << i;
            const double unit = cleared && !discount ? 0.0 : units[i];
            EXPECT_EQ(all.asDecimal("VL_UNITARIO"), unit) << i;
            EXPECT_EQ(all.asDecimal("VL_TOTAL"), quantities[i] * unit) << i;
            EXPECT_EQ(all.asDecimal("PERC_DESC"), typed && !(cleared && discount) ? 5.0 : 0.0) << i;
        }
    }
}

// With nothing of the supplier's entered, "Limpar" asks nothing.
TEST_F(ItemGrid, LimparOnAnUntouchedProposalAsksNothing)
{
    w->proModoPrecificacao(PricingMode::Discount);
    fill(1, {{1, 1, "a", "2,0000", 5.0}});
    test::DialogAnswerer answer;
    QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+L")));
    EXPECT_TRUE(answer.dialogs.empty());
    EXPECT_EQ(cell(0, "dbgItensDadosColumn5"), QStringLiteral("R$ 10,0000"));
}

namespace {

// The totals can be kept in view while typing: the horizontal position the user scrolled to
// stays across posts, re-reads and lot changes; rows are as high as their font needs, so that
// at least twelve show.
TEST_F(ItemGrid, TheTotalsStayInViewAndTwelveRowsShow)
{
    std::vector<test::ItemRow> items;
    for (int code = 1; code <= 20; ++code)
        items.push_back({code <= 15 ? 1 : 2, code, "item", "2,0000", 1.0});
    fill(2, items);
    QTableView* view = grid().view();
    EXPECT_GE(view->viewport()->height(), 12 * view->verticalHeader()->sectionSize(0));

    QScrollBar* bar = view->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);  // the columns are wider than the grid
    bar->setValue(bar->maximum());
    const int scrolled = bar->value();
    typeIntoCell(0, "dbgItensDadosColumn4", QStringLiteral("3"));
    EXPECT_EQ(cell(0, "dbgItensDadosColumn5"), QStringLiteral("R$ 6,0000"));
    EXPECT_EQ(bar->value(), scrolled);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // on along the row
    EXPECT_EQ(bar->value(), scrolled);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
    EXPECT_EQ(w->cdsProposta.asInteger("NO_LOTE"), 2);
    EXPECT_EQ(bar->value(), scrolled);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(bar->value(), scrolled);
}

}  // namespace

namespace {

// A footer sum too wide for its cell is never cut: a smaller type, then room to the left.
TEST_F(ItemGrid, AFooterSumIsNeverCut)
{
    fill(1, {{1, 1, "a", "9,0000", 111111111111.0}, {1, 2, "b", "9,0000", 111111111111.0}});
    const int total = column("dbgItensDadosColumn5");
    const grid::DataGrid::FooterCell cell = grid().footerCell(total);
    EXPECT_EQ(cell.text, QStringLiteral("R$ 1.999.999.999.998,0000"));
    EXPECT_LE(QFontMetrics(cell.font).horizontalAdvance(cell.text), cell.rect.width());
    EXPECT_GE(cell.font.pointSizeF(), 6.0);
}

// A discount above 100 % is refused when its cell is left, as a text that is no number is.
TEST_F(ItemGrid, ADiscountAbove100IsRefused)
{
    w->proModoPrecificacao(PricingMode::Discount);
    fill(1, {{1, 1, "a", "2,0000", 5.0}, {1, 2, "b", "2,0000", 5.0}});
    test::DialogAnswerer answer;
    typeIntoCell(0, "dbgItensDadosColumn9", QStringLiteral("150"));
    QCoreApplication::processEvents();
    ASSERT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(answer.dialogs[0].text,
              QStringLiteral("O percentual de desconto 150,0000 passa de 100%. Informe um desconto de 0 a 100."));
    EXPECT_TRUE(w->cdsLote.isNull("PERC_DESC") || w->cdsLote.asDecimal("PERC_DESC") == 0.0);
    typeIntoCell(1, "dbgItensDadosColumn9", QStringLiteral("100"));
    QCoreApplication::processEvents();
    EXPECT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(cell(1, "dbgItensDadosColumn9"), QStringLiteral("100,0000"));
}

// A double click on the "Item" divider fits the column to its text, at most 244 pixels wide.
TEST_F(ItemGrid, TheItemColumnFitsAtMost244Pixels)
{
    fill(1, {{1, 1, "Papel sulfite A4, 75 g/m², branco, pacote com 500 folhas, caixa com dez pacotes, para uso em impressoras"}});
    QHeaderView* header = grid().view()->horizontalHeader();
    const int c = column("dbgItensDadosColumn2");
    const QPoint divider(header->sectionViewportPosition(c) + header->sectionSize(c) - 1, header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, divider);
    EXPECT_EQ(grid().columnWidth(c), 244);
}

}  // namespace
