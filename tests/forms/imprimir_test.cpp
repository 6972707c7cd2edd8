// Printing from the entry window: the refusal for a file that failed to load, ending the edits
// in progress before the report is read, every lot in the report, the window as it was after.
#include "entrywindow.h"

#include "reportengine/reportpreview.h"
#include "widgets/dbtext.h"
#include "widgets/iconbutton.h"

#include <QMessageBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace ofx;

namespace {

// Answers the report preview by reading its pages and closing it, and any message dialog with
// its first button.
struct PreviewReader {
    QStringList pages;
    int previews = 0;
    bool maximized = false;
    bool modal = false;
    test::DialogAnswerer answer{0, [this](QWidget& window) {
                                    auto* preview = qobject_cast<reportengine::ReportPreview*>(&window);
                                    ASSERT_NE(preview, nullptr);
                                    ++previews;
                                    maximized = preview->windowState() & Qt::WindowMaximized;
                                    modal = preview->isModal();
                                    pages.clear();
                                    for (int i = 0; i < preview->document().pageCount(); ++i)
                                        pages << preview->document().pageText(i);
                                    preview->close();
                                }};
    QString text() const { return pages.join(QLatin1Char('\n')); }
};

class Printing : public test::EntryFixture {
protected:
    // Five lots; each lot's items are given in reverse code order, so the report's order comes
    // from its own sorting.
    void fillFiveLots()
    {
        std::vector<test::ItemRow> items;
        for (int lot = 1; lot <= 5; ++lot)
            for (int code = 3; code >= 1; --code)
                items.push_back({lot, lot * 10 + code, descriptions[lot * 10 + code], "2,0000", 1.0});
        fill(5, items);
    }

    std::map<int, const char*> descriptions = {
        {11, "Item onze"},        {12, "Item doze"},    {13, "Item treze"},  {21, "Item vinte e um"},
        {22, "Item vinte e dois"}, {23, "Item vinte e tres"}, {31, "Item trinta e um"},
        {32, "Item trinta e dois"}, {33, "Item trinta e tres"}, {41, "Item quarenta e um"},
        {42, "Item quarenta e dois"}, {43, "Item quarenta e tres"}, {51, "Item cinquenta e um"},
        {52, "Item cinquenta e dois"}, {53, "Item cinquenta e tres"},
    };
};

}  // namespace

TEST_F(Printing, RefusedAfterAFailedLoad)
{
    fill(1, {{1, 1, "a"}});
    w->FArquivoInvalido = true;
    PreviewReader reader;
    QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+I")));
    ASSERT_EQ(reader.answer.dialogs.size(), 1u);
    EXPECT_EQ(reader.answer.dialogs[0].className, QStringLiteral("QMessageBox"));
    EXPECT_EQ(reader.answer.dialogs[0].title, QStringLiteral("Ofertix"));
    EXPECT_EQ(reader.answer.dialogs[0].text, QStringLiteral("O formato do arquivo informado é inválido."));
    EXPECT_EQ(reader.previews, 0);
    EXPECT_FALSE(w->cdsBuscaItens.active());
    EXPECT_TRUE(w->vOrdemItens.empty());
}

// With lot 3 of 5 shown, the report lists every lot in ascending order and each lot's items by
// code; afterwards the window still shows lot 3 on the same item.
TEST_F(Printing, EveryLotInOrderAndTheWindowAsItWas)
{
    fillFiveLots();
    QTest::keyClick(w.data(), Qt::Key_F7);
    QTest::keyClick(w.data(), Qt::Key_F7);
    grid().view()->setFocus();
    grid().setCurrentCell(1, column("dbgItensDadosColumn11"));
    ASSERT_EQ(w->cdsLote.position(), 1);
    const QString description = w->mmDescricao->toPlainText();

    PreviewReader reader;
    w->bbtImprimir->click();
    ASSERT_EQ(reader.previews, 1);
    EXPECT_TRUE(reader.maximized);
    EXPECT_TRUE(reader.modal);
    const QString text = reader.text();
    int last = -1;
    for (int code : {11, 12, 13, 21, 22, 23, 31, 32, 33, 41, 42, 43, 51, 52, 53}) {
        const int at = text.indexOf(QLatin1String(descriptions[code]) + QLatin1Char('\n'));
        EXPECT_GT(at, last) << code;
        last = at;
    }
    EXPECT_EQ(w->vOrdemItens, "NO_LOTE;CD_ITEM");
    EXPECT_EQ(w->cdsBuscaItens.recordCount(), 15);

    QCoreApplication::processEvents();  // a re-read that the print's post left for later
    EXPECT_EQ(w->cdsProposta.asInteger("NO_LOTE"), 3);
    EXPECT_EQ(w->cdsLote.filter(), "NO_LOTE = 3");
    EXPECT_EQ(w->cdsLote.recordCount(), 3);
    EXPECT_EQ(w->cdsLote.position(), 1);
    EXPECT_EQ(grid().currentRow(), 1);
    EXPECT_EQ(w->mmDescricao->toPlainText(), description);
    EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("3"));
}

// A click on "Item" orders each lot's items by description in the next report.
TEST_F(Printing, OrderOfTheLastHeaderClicked)
{
    fillFiveLots();
    w->vOrdemItens = "NO_LOTE;DS_ITEM";
    PreviewReader reader;
    w->bbtImprimirClick();
    const QString text = reader.text();
    // Lot 1 by description: "Item doze", "Item onze", "Item treze"; lot 2 after all of them.
    EXPECT_LT(text.indexOf(QStringLiteral("Item doze\n")), text.indexOf(QStringLiteral("Item onze\n")));
    EXPECT_LT(text.indexOf(QStringLiteral("Item onze\n")), text.indexOf(QStringLiteral("Item treze\n")));
    EXPECT_LT(text.indexOf(QStringLiteral("Item treze\n")), text.indexOf(QStringLiteral("Item vinte e dois\n")));
}

// Ctrl+I while a unit value and a participant field are still being typed: both are in the
// report, the value is written into the item row.
TEST_F(Printing, EditsInProgressAreEndedFirst)
{
    fill(1, {{1, 1, "Caneta", "10,0000", 1.0}, {1, 2, "Papel", "1,0000", 1.0}});
    w->edtNmFornecedor->setEnabled(true);
    w->edtNmFornecedor->setFocus();
    w->edtNmFornecedor->setText(QStringLiteral("Fornecedor Digitado"));
    typeIntoCell(0, "dbgItensDadosColumn4", QStringLiteral("98,7654"), Qt::Key_unknown);
    ASSERT_NE(activeEditor(), nullptr);
    EXPECT_EQ(proposal::processVariables().vNmFornecedor, "Fornecedor Digitado");  // left for the grid

    w->mmObs->setPlainText(QStringLiteral("linha um\nlinha dois"));
    w->edtValidade->setText(QStringLiteral("01/05/2025"));
    PreviewReader reader;
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QStringLiteral("Ctrl+I")));
    ASSERT_EQ(reader.previews, 1);
    const QString text = reader.text();
    EXPECT_TRUE(text.contains(QStringLiteral("98,7654"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("987,6540"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("linha um linha dois")));
    EXPECT_EQ(proposal::processVariables().vDtValidade, "01/05/2025");
    w->cdsLote.moveTo(0);
    EXPECT_EQ(w->cdsLote.asDecimal("VL_UNITARIO"), 98.7654);
}

// The name typed and not yet left when the print starts is stored by the field's exit.
TEST_F(Printing, ParticipantFieldLeftForThePrintButton)
{
    fill(1, {{1, 1, "Caneta"}});
    w->edtNmFornecedor->setEnabled(true);
    w->edtNmFornecedor->setFocus();
    w->edtNmFornecedor->setText(QStringLiteral("Comércio D'Ouro"));
    PreviewReader reader;
    QTest::keySequence(w->edtNmFornecedor, QKeySequence(QStringLiteral("Ctrl+I")));
    ASSERT_EQ(reader.previews, 1);
    EXPECT_EQ(proposal::processVariables().vNmFornecedor, "Com\xE9rcio D'Ouro");
    EXPECT_TRUE(reader.text().contains(QStringLiteral("Comércio D'Ouro")));
}
