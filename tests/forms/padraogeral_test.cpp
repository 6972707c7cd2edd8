// The window base: Portuguese captions for the standard message dialog (and nothing else), the
// inert standard actions, and freeing on close.
#include "forms/uPadraoGeral.h"
#include "formtest.h"
#include "widgets/screen.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

using namespace ofx;
using forms::rewriteMessageDialog;
using widgets::MessageForm;
using widgets::MsgButton;
using widgets::MsgKind;

namespace {

// A standard message dialog with one button whose caption is set to the text under test.
QString rewrittenCaption(const QString& english)
{
    MessageForm form(QStringLiteral("x"), MsgKind::Custom, MsgButton::OK);
    form.button(MsgButton::OK)->setText(english);
    rewriteMessageDialog(&form);
    return form.button(MsgButton::OK)->text();
}

QString rewrittenTitle(const QString& english)
{
    MessageForm form(QStringLiteral("x"), MsgKind::Custom, MsgButton::OK, nullptr, english);
    rewriteMessageDialog(&form);
    return form.windowTitle();
}

}  // namespace

TEST(CaptionRewrite, EveryButtonRowWithAndWithoutItsAccelerator)
{
    const std::pair<const char*, const char*> rows[] = {
        {"&OK", "&Ok"},
        {"OK", "&Ok"},
        {"&Yes", "&Sim"},
        {"&No", "&Não"},
        {"&Cancel", "&Cancelar"},
        {"Cancel", "&Cancelar"},
        {"Abort", "&Abortar"},
        {"&Abort", "&Abortar"},
        {"Ignore", "&Ignorar"},
        {"&Ignore", "&Ignorar"},
        {"All", "&Todos"},
        {"&All", "&Todos"},
        {"Help", "A&juda"},
        {"&Help", "A&juda"},
        {"Retry", "&Repetir"},
        {"&Retry", "&Repetir"},
        {"Yes to All", "Si&m p todos"},
        {"Yes to &All", "Si&m p todos"},
        {"No to All", "Nã&o p todos"},
        {"N&o to All", "Nã&o p todos"},
        // Left alone: the bare words Yes and No, captions of no row, a different letter case,
        // and the Portuguese texts themselves (so a second pass changes nothing).
        {"Yes", "Yes"},
        {"No", "No"},
        {"&Close", "&Close"},
        {"ok", "ok"},
        {"&Sim", "&Sim"},
        {"&Não", "&Não"},
        {"Si&m p todos", "Si&m p todos"},
    };
    for (const auto& [english, portuguese] : rows)
        EXPECT_EQ(rewrittenCaption(QString::fromUtf8(english)), QString::fromUtf8(portuguese)) << english;
}

TEST(CaptionRewrite, TitlesOfTheFourKindsAndOthersKept)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Confirm", "Confirmar"},   {"Warning", "Atenção"},   {"Error", "Erro"},
        {"Information", "Informação"}, {"Ofertix", "Ofertix"}, {"Confirmation", "Confirmation"},
        {"warning", "warning"},     {"Atenção", "Atenção"},
    };
    for (const auto& [english, portuguese] : rows)
        EXPECT_EQ(rewrittenTitle(QString::fromUtf8(english)), QString::fromUtf8(portuguese)) << english;
}

TEST(CaptionRewrite, OnlyTheWholeDeleteRecordLabelChanges)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Delete record?", "Deletar registro?"},
        {"Delete record? ", "Delete record? "},
        {"O arquivo informado não foi encontrado.", "O arquivo informado não foi encontrado."},
        {"OK", "OK"},  // a label is not a button
    };
    for (const auto& [text, expected] : rows) {
        MessageForm form(QString::fromUtf8(text), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No);
        rewriteMessageDialog(&form);
        EXPECT_EQ(form.messageLabel()->text(), QString::fromUtf8(expected));
    }
}

TEST(CaptionRewrite, OnlyTheStandardMessageDialogItself)
{
    class DerivedForm : public MessageForm {
    public:
        using MessageForm::MessageForm;
    };
    DerivedForm derived(QStringLiteral("x"), MsgKind::Warning, MsgButton::OK);
    rewriteMessageDialog(&derived);
    EXPECT_EQ(derived.windowTitle(), QStringLiteral("Warning"));

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QStringLiteral("x"), QMessageBox::NoButton);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    rewriteMessageDialog(&box);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Warning"));
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));

    QDialog plain;
    plain.setWindowTitle(QStringLiteral("Error"));
    rewriteMessageDialog(&plain);
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("Error"));
    rewriteMessageDialog(nullptr);
}

// Through the running hook: what a user sees when a dialog becomes active.
TEST(CaptionHook, DialogsArriveInPortuguese)
{
    forms::TFPadraoGeral window;
    EXPECT_EQ(widgets::activeFormChangeHandler(), &forms::ActiveFormChange);
    test::showActive(window);

    struct Case {
        MsgKind kind;
        widgets::MsgButtons buttons;
        const char* title;
        QStringList captions;
    };
    const Case cases[] = {
        {MsgKind::Warning, MsgButton::OK, "Atenção", {"&Ok"}},
        {MsgKind::Error, MsgButton::OK, "Erro", {"&Ok"}},
        {MsgKind::Information, MsgButton::OK | MsgButton::Cancel, "Informação", {"&Ok", "&Cancelar"}},
        {MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, "Confirmar", {"&Sim", "&Não"}},
        // A custom dialog keeps its own title (the application's name).
        {MsgKind::Custom, MsgButton::Yes | MsgButton::NoToAll | MsgButton::Help, nullptr,
         {"&Sim", "Nã&o p todos", "A&juda"}},
    };
    for (const Case& c : cases) {
        test::DialogAnswerer answer;
        widgets::messageDlg(QStringLiteral("Deseja continuar?"), c.kind, c.buttons, &window);
        ASSERT_EQ(answer.dialogs.size(), 1u);
        EXPECT_EQ(answer.dialogs[0].title,
                  c.title ? QString::fromUtf8(c.title) : QGuiApplication::applicationDisplayName());
        EXPECT_EQ(answer.dialogs[0].buttons, c.captions);
        EXPECT_EQ(answer.dialogs[0].text, QStringLiteral("Deseja continuar?"));
    }
}

TEST(CaptionHook, SystemMessageBoxIsNotTouched)
{
    forms::TFPadraoGeral window;
    test::showActive(window);
    QMessageBox reference(QMessageBox::Information, QStringLiteral("Ofertix"), QStringLiteral("x"), QMessageBox::Ok);
    const QString qtOk = reference.button(QMessageBox::Ok)->text();

    test::DialogAnswerer answer;
    widgets::systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("Arquivo exportado com sucesso."), &window);
    ASSERT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(answer.dialogs[0].title, QStringLiteral("Ofertix"));
    EXPECT_EQ(answer.dialogs[0].buttons, QStringList{qtOk});
}

// The hook belongs to no window: it goes on after the window that installed it is gone, and
// running it again over the same dialog changes nothing.
TEST(CaptionHook, OutlivesItsWindowAndIsIdempotent)
{
    { forms::TFPadraoGeral gone; }
    QWidget host;
    test::showActive(host);
    QStringList twice;
    widgets::ScopedModalHook hook([&](QWidget& w) {
        forms::ActiveFormChange();
        forms::ActiveFormChange();
        auto& form = static_cast<MessageForm&>(w);
        twice << form.windowTitle() << form.button(MsgButton::OK)->text();
        form.button(MsgButton::OK)->click();
    });
    widgets::messageDlg(QStringLiteral("x"), MsgKind::Warning, MsgButton::OK, &host);
    EXPECT_EQ(twice, (QStringList{"Atenção", "&Ok"}));
}

TEST(StandardActions, TwelveInertActionsWithTheirHintsAndShortcuts)
{
    forms::TFPadraoGeral window;
    struct Row {
        const char* name;
        const char* hint;
        QKeySequence shortcut;
    };
    const Row rows[] = {
        {"actPrimeiro", "Primeiro registro", QKeySequence("Ctrl+F")},
        {"actAnterior", "Registro anterior", QKeySequence("Ctrl+P")},
        {"actProximo", "Próximo registro", QKeySequence("Ctrl+N")},
        {"actUltimo", "Último registro", QKeySequence("Ctrl+L")},
        {"actNovo", "Novo registro", QKeySequence("Ctrl+I")},
        {"actExcluir", "Excluir", QKeySequence("Ctrl+E")},
        {"actAlterar", "Alterar", QKeySequence("Ctrl+A")},
        {"actConfirmar", "Salvar", QKeySequence("Ctrl+S")},
        {"actCancelar", "Cancelar", QKeySequence()},
        {"actConsultar", "", QKeySequence()},
        {"actImprimir", "Imprimir", QKeySequence("Ctrl+I")},
        {"actFechar", "Fechar", QKeySequence("Ctrl+F")},
    };
    ASSERT_EQ(window.actLista.size(), 12);
    EXPECT_EQ(window.imgCadastro.count(), 18);
    for (int i = 0; i < 12; ++i) {
        QAction* a = window.actLista[i];
        EXPECT_EQ(a->text(), QLatin1String(rows[i].name));
        if (*rows[i].hint) {
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(rows[i].hint));
        }
        EXPECT_EQ(a->shortcut(), rows[i].shortcut) << rows[i].name;
        EXPECT_FALSE(a->icon().isNull());
        EXPECT_TRUE(a->associatedObjects().isEmpty()) << rows[i].name;  // bound to no widget
    }

    // Their keys do nothing and reach the window's own actions.
    int triggered = 0;
    for (QAction* a : window.actLista)
        QObject::connect(a, &QAction::triggered, [&] { ++triggered; });
    auto* own = new QAction(&window);
    own->setShortcut(QKeySequence("Ctrl+I"));
    window.addAction(own);
    int ownTriggered = 0;
    QObject::connect(own, &QAction::triggered, [&] { ++ownTriggered; });
    test::showActive(window);
    for (const char* key : {"Ctrl+F", "Ctrl+P", "Ctrl+N", "Ctrl+L", "Ctrl+E", "Ctrl+A", "Ctrl+S", "Ctrl+I"})
        QTest::keySequence(&window, QKeySequence(QLatin1String(key)));
    EXPECT_EQ(triggered, 0);
    EXPECT_EQ(ownTriggered, 1);
}

TEST(Closing, FreesTheWindow)
{
    QPointer<forms::TFPadraoGeral> window = new forms::TFPadraoGeral;
    test::showActive(*window);
    EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST(Window, EscapeDoesNotClose)
{
    forms::TFPadraoGeral window;
    test::showActive(window);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
}
