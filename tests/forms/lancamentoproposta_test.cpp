// The proposal entry window: layout, actions, lot display and navigation, closing and the
// input lock used while saving.
#include "forms/LancamentoProposta.h"
#include "editors/dateedit.h"
#include "editors/maskededit.h"
#include "formtest.h"
#include "proposal/tables.h"
#include "widgets/dbtext.h"
#include "widgets/iconbutton.h"
#include "widgets/inputlock.h"
#include "widgets/progressbar.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ofx;
using forms::TFLancamentoProposta;

namespace {

struct Item {
    int lot;
    int code;
    const char* description;
};

// A window with lots 1..lotCount and the given items, showing the first lot as loading leaves
// it (lots table on its first row, all four navigation buttons enabled).
struct EntryWindow : ::testing::Test {
    void fill(int lotCount, const std::vector<Item>& items)
    {
        auto& lots = w->cdsProposta;
        for (int n = 1; n <= lotCount; ++n) {
            lots.append();
            lots.setText("TP_MODALIDADE", "Pregao");
            lots.setValue("AA_LICITACAO", 2024);
            lots.setValue("NO_LICITACAO", 17);
            lots.setValue("NO_LOTE", n);
            lots.setText("DS_LOTE", "Lote " + std::to_string(n));
            lots.post();
        }
        auto& rows = w->cdsLote;
        for (const Item& item : items) {
            rows.append();
            rows.setValue("NO_LOTE", item.lot);
            rows.setValue("CD_ITEM", item.code);
            rows.setText("DS_ITEM", item.description);
            rows.post();
        }
        lots.first();
        w->cdsPropostaAfterScroll();
    }

    void SetUp() override
    {
        forms::vCarregarArquivo = false;  // the tables are filled by each test, not loaded
        test::showActive(*w);
    }

    int shownLot() const { return w->cdsProposta.asInteger("NO_LOTE"); }
    std::vector<bool> buttons() const
    {
        return {w->btnPrimeiro->isEnabled(), w->btnAnterior->isEnabled(), w->btnProximo->isEnabled(),
                w->btnUltimo->isEnabled()};
    }
    void key(Qt::Key k) { QTest::keyClick(w.data(), k); }
    std::vector<int> shownItemCodes() const
    {
        std::vector<int> codes;
        for (int i = 0; i < w->cdsLote.recordCount(); ++i)
            codes.push_back(std::get<std::int32_t>(w->cdsLote.valueAt(i, w->cdsLote.fieldIndex("CD_ITEM"))));
        return codes;
    }

    QPointer<TFLancamentoProposta> w = new TFLancamentoProposta;
    ~EntryWindow() override { delete w.data(); }
};

const std::vector<bool> allEnabled{true, true, true, true};
const std::vector<bool> backGrey{false, false, true, true};
const std::vector<bool> forwardGrey{true, true, false, false};

}  // namespace

TEST_F(EntryWindow, WindowAndStatusBar)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Bravin - Ofertix"));
    EXPECT_EQ(w->size(), QSize(846, 680));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w->cxImage2->geometry(), QRect(0, 0, 846, 108));
    EXPECT_EQ(w->grbLancamento->geometry(), QRect(0, 108, 846, 550));
    EXPECT_EQ(w->grbLancamento->title(), QStringLiteral("Lançamento das propostas para os itens da licitação"));
    EXPECT_EQ(w->dxStatusBar->geometry(), QRect(0, 658, 846, 22));
    EXPECT_EQ(w->dxStatusBar->panelCount(), 3);
    EXPECT_EQ(w->dxStatusBar->panelRect(1).left(), 440);
    EXPECT_EQ(w->dxStatusBar->panelRect(2).left(), 730);
    EXPECT_EQ(w->dxStatusBar->panelText(0), QStringLiteral("© Ofertix Sistemas — todos os direitos reservados"));
    EXPECT_EQ(w->dxStatusBar->panelText(1), QString());
    EXPECT_EQ(w->dxStatusBar->panelText(2), QStringLiteral("Versão 5.8.0.3"));
    EXPECT_EQ(w->pgbStatus->geometry().topLeft(), QPoint(449, 659));
    EXPECT_EQ(w->pgbStatus->width(), 284);
    EXPECT_EQ(w->pgbStatus->value(), 0);
    // Over the status bar, not under it.
    EXPECT_EQ(w->childAt(460, 668), w->pgbStatus);
}

TEST_F(EntryWindow, ControlsInTheGroupBox)
{
    const std::pair<QWidget*, QRect> placed[] = {
        {w->grbParticipante, QRect(3, 12, 839, 78)}, {w->dbtModalidade, QRect(79, 93, 104, 21)},
        {w->dbtNumero, QRect(268, 93, 43, 21)},     {w->dbtAno, QRect(343, 93, 34, 21)},
        {w->edtValidade, QRect(522, 93, 94, 21)},   {w->edtProposta, QRect(744, 93, 94, 21)},
        {w->dbtNumLote, QRect(79, 115, 104, 21)},   {w->dbtDescLote, QRect(184, 115, 654, 21)},
        {w->dbgItens, QRect(3, 140, 839, 274)},     {w->mmDescricao, QRect(100, 415, 738, 36)},
        {w->mmObs, QRect(100, 452, 738, 32)},       {w->bbtSalvar, QRect(9, 504, 36, 36)},
        {w->btnPrimeiro, QRect(45, 504, 36, 36)},   {w->btnAnterior, QRect(81, 504, 36, 36)},
        {w->btnProximo, QRect(117, 504, 36, 36)},   {w->btnUltimo, QRect(153, 504, 36, 36)},
        {w->bbtImprimir, QRect(189, 504, 36, 36)},  {w->bbtSair, QRect(802, 504, 36, 36)},
    };
    for (const auto& [widget, rect] : placed) {
        EXPECT_EQ(widget->parentWidget(), w->grbLancamento);
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className() << " at " << rect.x();
    }
    const std::pair<QLabel*, const char*> labels[] = {
        {w->lblModalidade, "Modalidade:"},        {w->lblNumero, "Número:"},
        {w->lblAno, "Ano:"},                      {w->lblValidadeProposta, "Validade da proposta:"},
        {w->lblPrazoEntregaExecucao, "Prazo entrega/execução:"}, {w->lblLote, "Lote:"},
        {w->lblDescricao, "Descrição do Item:"},  {w->lblObservacoes, "Observações:"},
    };
    for (const auto& [l, text] : labels)
        EXPECT_EQ(l->text(), QString::fromUtf8(text));
    EXPECT_EQ(w->chkTimbrado->text(), QStringLiteral("Emissão do relatório em papel timbrado"));
    EXPECT_FALSE(w->chkTimbrado->isChecked());
    EXPECT_TRUE(w->mmDescricao->isReadOnly());
    EXPECT_NE(w->mmDescricao->focusPolicy(), Qt::NoFocus);
}

TEST_F(EntryWindow, ParticipantPanelStartsDisabledWithItsItems)
{
    for (QWidget* f : std::initializer_list<QWidget*>{w->edtCdFornecedor, w->edtNmFornecedor, w->edtTipoDocumento,
                                                      w->edtCpfCnpj, w->edtEndereco, w->edtNumero, w->edtCEP,
                                                      w->edtBairro, w->edtCidade, w->edtUF}) {
        EXPECT_EQ(f->parentWidget(), w->grbParticipante);
        EXPECT_FALSE(f->isEnabled());
    }
    EXPECT_EQ(w->edtTipoDocumento->currentText(), QStringLiteral("CNPJ"));
    EXPECT_EQ(w->edtTipoDocumento->count(), 2);
    EXPECT_EQ(w->edtUF->count(), 27);
    EXPECT_EQ(w->edtUF->itemText(0), QStringLiteral("AC"));
    EXPECT_EQ(w->edtUF->itemText(26), QStringLiteral("TO"));
    EXPECT_EQ(w->edtCEP->text(), QStringLiteral("  .   -   "));
    EXPECT_EQ(w->edtCpfCnpj->geometry(), QRect(717, 9, 118, 21));
    EXPECT_EQ(w->edtUF->geometry(), QRect(790, 53, 45, 21));
}

TEST_F(EntryWindow, EightActionsWithHintsShortcutsAndButtons)
{
    const std::tuple<QAction*, const char*, const char*, widgets::IconButton*> rows[] = {
        {w->ActPrimeiroProposta, "Primeiro lote", "F5", w->btnPrimeiro},
        {w->ActAnteriorProposta, "Lote anterior", "F6", w->btnAnterior},
        {w->ActProximoProposta, "Próximo lote", "F7", w->btnProximo},
        {w->ActUltimoProposta, "Último lote", "F8", w->btnUltimo},
        {w->ActSalvarProposta, "Salvar proposta", "Ctrl+S", w->bbtSalvar},
        {w->ActLimparProposta, "Limpar", "Ctrl+L", nullptr},
        {w->ActImprimirProposta, "Imprimir proposta", "Ctrl+I", w->bbtImprimir},
        {w->ActSairProposta, "Sair", "Ctrl+F4", w->bbtSair},
    };
    ASSERT_EQ(w->ActListaProposta.size(), 8);
    for (const auto& [action, hint, key, button] : rows) {
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(hint));
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(key)));
        EXPECT_TRUE(action->text().isEmpty());
        EXPECT_EQ(action->icon().isNull(), button == nullptr) << hint;
        if (button) {
            EXPECT_EQ(button->action(), action);
            EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
        }
    }
}

// The base's inert actions on Ctrl+S, Ctrl+L and Ctrl+I do not take those keys.
TEST_F(EntryWindow, OwnShortcutsWinOverTheBaseActions)
{
    int own = 0;
    int base = 0;
    for (QAction* a : {w->ActSalvarProposta, w->ActLimparProposta, w->ActImprimirProposta})
        QObject::connect(a, &QAction::triggered, [&] { ++own; });
    for (QAction* a : w->actLista)
        QObject::connect(a, &QAction::triggered, [&] { ++base; });
    w->FArquivoInvalido = true;  // save and print then only show their refusal, answered here
    test::DialogAnswerer answer;
    for (const char* k : {"Ctrl+S", "Ctrl+L", "Ctrl+I"})
        QTest::keySequence(w.data(), QKeySequence(QLatin1String(k)));
    EXPECT_EQ(own, 3);
    EXPECT_EQ(base, 0);
}

TEST_F(EntryWindow, CreationMakesEmptyOpenTablesAndSetsTheLoadFlag)
{
    TFLancamentoProposta fresh;
    EXPECT_TRUE(forms::vCarregarArquivo);
    EXPECT_TRUE(fresh.cdsProposta.active());
    EXPECT_TRUE(fresh.cdsLote.active());
    EXPECT_EQ(fresh.cdsProposta.recordCount(), 0);
    EXPECT_EQ(fresh.cdsProposta.fields().size(), 11u);
    EXPECT_EQ(fresh.cdsLote.fields().size(), 15u);
    EXPECT_EQ(fresh.cdsLote.indexFieldNames(), "CD_ITEM");
    EXPECT_FALSE(fresh.FArquivoInvalido);
    EXPECT_TRUE(fresh.vOrdemItens.empty());
    EXPECT_EQ(fresh.dbtNumLote->text(), QString());
}

// Showing a lot lists only its items, by item code, with the first one's description, the
// first row in edit state; the lot header follows the lots cursor.
TEST_F(EntryWindow, LotDisplayShowsThatLotsItemsByCode)
{
    fill(2, {{2, 30, "Caneta azul"}, {1, 20, "Papel A4"}, {2, 10, "L\xE1pis"}, {1, 5, "Clipes"}, {2, 20, "Borracha"}});
    EXPECT_EQ(shownItemCodes(), (std::vector<int>{5, 20}));
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Clipes"));
    EXPECT_EQ(w->cdsLote.state(), data::TableState::Edit);
    EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("1"));
    EXPECT_EQ(w->dbtDescLote->text(), QStringLiteral("Lote 1"));
    EXPECT_EQ(w->dbtModalidade->text(), QStringLiteral("Pregao"));
    EXPECT_EQ(w->dbtNumero->text(), QStringLiteral("17"));
    EXPECT_EQ(w->dbtAno->text(), QStringLiteral("2024"));

    key(Qt::Key_F7);
    EXPECT_EQ(shownItemCodes(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Lápis"));
    EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("2"));
    EXPECT_EQ(w->cdsLote.filter(), "NO_LOTE = 2");
}

TEST_F(EntryWindow, ChangingLotDropsAnUnpostedItemEdit)
{
    fill(2, {{1, 1, "Item"}, {2, 2, "Outro"}});
    w->cdsLote.setText("DS_MARCA", "Digitada");  // edit state, never posted
    key(Qt::Key_F7);
    key(Qt::Key_F5);
    EXPECT_EQ(w->cdsLote.asText("DS_MARCA"), "");
}

TEST_F(EntryWindow, OneLot)
{
    fill(1, {{1, 1, "Item"}});
    EXPECT_EQ(buttons(), allEnabled);
    w->mmDescricao->clear();
    key(Qt::Key_F7);  // re-shows the lot
    EXPECT_EQ(shownLot(), 1);
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Item"));
    EXPECT_EQ(buttons(), forwardGrey);
    key(Qt::Key_F5);
    EXPECT_EQ(buttons(), backGrey);
}

// The beginning flag is set only by a step back that finds no earlier lot.
TEST_F(EntryWindow, ThreeLotsSteppingBack)
{
    fill(3, {{1, 1, "a"}, {2, 2, "b"}, {3, 3, "c"}});
    key(Qt::Key_F8);
    EXPECT_EQ(shownLot(), 3);
    EXPECT_EQ(buttons(), forwardGrey);
    const std::pair<int, std::vector<bool>> steps[] = {{2, allEnabled}, {1, allEnabled}, {1, backGrey}};
    for (const auto& [lot, state] : steps) {
        key(Qt::Key_F6);
        EXPECT_EQ(shownLot(), lot);
        EXPECT_EQ(w->dbtNumLote->text(), QString::number(lot));
        EXPECT_EQ(buttons(), state);
    }
}

TEST_F(EntryWindow, GreyButtonsKeepTheirKeysWorking)
{
    fill(3, {{1, 1, "a"}, {2, 2, "b"}, {3, 3, "c"}});
    key(Qt::Key_F8);
    ASSERT_FALSE(w->btnProximo->isEnabled());
    EXPECT_TRUE(w->ActProximoProposta->isEnabled());
    w->mmDescricao->clear();
    key(Qt::Key_F7);
    EXPECT_EQ(shownLot(), 3);
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("c"));
    EXPECT_EQ(buttons(), forwardGrey);
    // Clicks on the buttons go through the same operations.
    w->btnPrimeiro->click();
    EXPECT_EQ(shownLot(), 1);
    EXPECT_EQ(buttons(), backGrey);
    w->btnProximo->click();
    EXPECT_EQ(shownLot(), 2);
    EXPECT_EQ(buttons(), allEnabled);
}

TEST_F(EntryWindow, UnknownPositionChangesNothing)
{
    fill(2, {});
    w->btnPrimeiro->setEnabled(false);
    w->proNavegacao(QStringLiteral("nbRefresh"));
    w->proNavegacao(QStringLiteral("nbfirst"));
    EXPECT_EQ(buttons(), (std::vector<bool>{false, true, true, true}));
}

// A lot row without a number has no lot filter: the error is shown as the application's
// default error message and the window goes on.
TEST_F(EntryWindow, ErrorInACommandIsShownAndTheWindowGoesOn)
{
    fill(1, {{1, 1, "a"}});
    w->cdsProposta.append();  // a second lot without NO_LOTE
    w->cdsProposta.post();
    test::DialogAnswerer answer;
    key(Qt::Key_F8);
    ASSERT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(answer.dialogs[0].title, QStringLiteral("Erro"));
    EXPECT_FALSE(answer.dialogs[0].text.isEmpty());
    EXPECT_TRUE(w->isVisible());
    key(Qt::Key_F5);
    EXPECT_EQ(shownLot(), 1);
    EXPECT_EQ(answer.dialogs.size(), 1u);
}

TEST_F(EntryWindow, LotWithoutItemsShowsEmpty)
{
    fill(2, {{1, 1, "a"}});
    key(Qt::Key_F7);
    EXPECT_EQ(w->cdsLote.recordCount(), 0);
    EXPECT_EQ(w->mmDescricao->toPlainText(), QString());
}

// After a failed load the tables' controls stay disabled: navigation moves the cursor and sets
// the buttons, but nothing on the window shows anything new.
TEST_F(EntryWindow, AfterAFailedLoadOnlyTheButtonsChange)
{
    fill(2, {{1, 1, "a"}, {2, 2, "b"}});
    w->cdsProposta.disableControls();
    w->cdsLote.disableControls();
    key(Qt::Key_F8);
    EXPECT_EQ(buttons(), forwardGrey);
    EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("1"));
    EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(w->cdsLote.filter(), "NO_LOTE = 1");
}

// The lot header takes no focus: Tab goes from the deadline field straight to the grid.
TEST_F(EntryWindow, LotHeaderIsSkippedByTheFocus)
{
    for (QWidget* t : std::initializer_list<QWidget*>{w->dbtModalidade, w->dbtNumero, w->dbtAno, w->dbtNumLote,
                                                      w->dbtDescLote}) {
        EXPECT_FALSE(t->isEnabled());
        t->setFocus();
        EXPECT_FALSE(t->hasFocus());
    }
    w->edtProposta->setFocus();
    QTest::keyClick(w->edtProposta, Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    EXPECT_TRUE(focused == w->dbgItens || w->dbgItens->isAncestorOf(focused));  // the grid inside it
    w->edtValidade->setFocus();
    QTest::keyClick(w->edtValidade, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->edtProposta);
    w->mmObs->setFocus();
    QTest::keyClick(w->mmObs, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->chkTimbrado);
}

TEST_F(EntryWindow, FirstActivationClearsTheLoadFlagAndFocusesTheValidityDate)
{
    EXPECT_FALSE(forms::vCarregarArquivo);
    EXPECT_EQ(QApplication::focusWidget(), w->edtValidade);
}

// Every activation ends with the focus on the name field (when enabled) or the validity date:
// after a message dialog, but not after the system message box, nor when the user comes back
// from another application.
TEST_F(EntryWindow, ActivationsThatMoveTheFocus)
{
    struct Case {
        const char* what;
        std::function<void()> happen;
        bool focusMoves;
    };
    const Case cases[] = {
        {"message dialog", [&] { widgets::messageDlg(QStringLiteral("x"), widgets::MsgKind::Warning, widgets::MsgButton::OK, w); }, true},
        {"system box", [&] { widgets::systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("x"), w); }, false},
        {"other application",
         [&] {
             QT_WARNING_PUSH
             QT_WARNING_DISABLE_DEPRECATED
             QApplication::setActiveWindow(nullptr);
             QApplication::setActiveWindow(w.data());
             QT_WARNING_POP
         },
         false},
    };
    for (const Case& c : cases) {
        test::DialogAnswerer answer;
        w->mmObs->setFocus();
        c.happen();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), c.focusMoves ? static_cast<QWidget*>(w->edtValidade) : w->mmObs)
            << c.what;
    }
    w->edtNmFornecedor->setEnabled(true);
    test::DialogAnswerer answer;
    widgets::messageDlg(QStringLiteral("x"), widgets::MsgKind::Warning, widgets::MsgButton::OK, w);
    EXPECT_EQ(QApplication::focusWidget(), w->edtNmFornecedor);
}

// Ctrl+F4, the exit button or the close box: no question, and the window is freed.
TEST_F(EntryWindow, ClosesAtOnceWithoutAQuestion)
{
    const std::function<void(TFLancamentoProposta&)> ways[] = {
        [](TFLancamentoProposta& win) { QTest::keySequence(&win, QKeySequence("Ctrl+F4")); },
        [](TFLancamentoProposta& win) { win.bbtSair->click(); },
        [](TFLancamentoProposta& win) { win.close(); },
    };
    for (const auto& closeIt : ways) {
        QPointer<TFLancamentoProposta> win = new TFLancamentoProposta;
        forms::vCarregarArquivo = false;
        test::showActive(*win);
        win->cdsProposta.append();
        win->cdsProposta.setValue("NO_LOTE", 1);  // unsaved entry
        test::DialogAnswerer answer;
        closeIt(*win);
        EXPECT_TRUE(answer.dialogs.empty());
        ASSERT_FALSE(win.isNull());
        EXPECT_FALSE(win->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(win.isNull());
    }
}

TEST_F(EntryWindow, InputLockStopsCommandsEntriesAndClosing)
{
    fill(2, {{1, 1, "a"}, {2, 2, "b"}});
    w->edtNmFornecedor->setEnabled(true);
    w->edtNmFornecedor->setFocus();
    {
        widgets::InputLock lock(w.data());
        for (Qt::Key k : {Qt::Key_F7, Qt::Key_F8})
            key(k);
        QTest::keySequence(w.data(), QKeySequence("Ctrl+F4"));
        QTest::keyClicks(w->edtNmFornecedor, QStringLiteral("abc"));
        QTest::mouseClick(w->btnProximo, Qt::LeftButton);
        EXPECT_FALSE(w->close());
        EXPECT_EQ(shownLot(), 1);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->edtNmFornecedor->text(), QString());
    }
    key(Qt::Key_F7);
    EXPECT_EQ(shownLot(), 2);
}

TEST_F(EntryWindow, GridPlaceTakesAReplacement)
{
    auto* grid = new QFrame;
    w->replaceItemGrid(grid);
    EXPECT_EQ(grid->parentWidget(), w->dbgItens);
    EXPECT_EQ(w->dbgItens->focusProxy(), grid);
}
