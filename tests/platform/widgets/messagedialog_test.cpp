// The standard message dialog keeps the platform's English texts, answers Escape sensibly and is
// answered through the modal hook; the system message box is a different class.
#include "widgets/messagedialog.h"
#include "widgets/modal.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace ofx::widgets;

namespace {

QStringList captions(const MessageForm& form)
{
    QStringList out;
    for (auto* b : form.findChildren<QPushButton*>())
        out << b->text();
    return out;
}

}  // namespace

TEST(MessageForm, TitlesAreTheEnglishTextsOfTheirKind)
{
    const std::pair<MsgKind, const char*> cases[] = {
        {MsgKind::Warning, "Warning"},
        {MsgKind::Error, "Error"},
        {MsgKind::Information, "Information"},
        {MsgKind::Confirmation, "Confirm"},
    };
    for (const auto& [kind, title] : cases) {
        MessageForm form(QStringLiteral("x"), kind, MsgButton::OK);
        EXPECT_EQ(form.windowTitle(), QLatin1String(title));
    }
    MessageForm custom(QStringLiteral("x"), MsgKind::Custom, MsgButton::OK, nullptr, QStringLiteral("Meu título"));
    EXPECT_EQ(custom.windowTitle(), QStringLiteral("Meu título"));
}

// English captions, in the platform's display order, whatever translation Qt has loaded.
TEST(MessageForm, ButtonsCarryEnglishCaptionsInDisplayOrder)
{
    const MsgButtons all = MsgButton::Help | MsgButton::Yes | MsgButton::No | MsgButton::OK | MsgButton::Cancel
                           | MsgButton::Abort | MsgButton::Retry | MsgButton::Ignore | MsgButton::All
                           | MsgButton::NoToAll | MsgButton::YesToAll | MsgButton::Close;
    MessageForm form(QStringLiteral("x"), MsgKind::Custom, all);
    EXPECT_EQ(captions(form), (QStringList{"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All",
                                           "N&o to All", "Yes to &All", "&Help", "&Close"}));
    // The rewrite walks the dialog's own children: the buttons must be direct children.
    for (auto* b : form.findChildren<QPushButton*>())
        EXPECT_EQ(b->parent(), &form);
}

TEST(MessageForm, MessageTextIsShownAsGivenWithCrAsLineBreak)
{
    MessageForm form(QStringLiteral("Existe(m) item(s) sem valor(es). \rDeseja continuar?"), MsgKind::Information,
                     MsgButton::Yes | MsgButton::No);
    EXPECT_EQ(form.messageLabel()->text(), QStringLiteral("Existe(m) item(s) sem valor(es). \nDeseja continuar?"));
}

TEST(MessageForm, EscapeAnswersCancelThenNoThenOk)
{
    const std::pair<MsgButtons, MsgButton> cases[] = {
        {MsgButton::OK | MsgButton::Cancel, MsgButton::Cancel},
        {MsgButton::Yes | MsgButton::No, MsgButton::No},
        {MsgButtons(MsgButton::OK), MsgButton::OK},
        {MsgButton::Yes | MsgButton::No | MsgButton::Cancel, MsgButton::Cancel},
    };
    for (const auto& [buttons, expected] : cases) {
        MessageForm form(QStringLiteral("x"), MsgKind::Confirmation, buttons);
        form.reject();
        EXPECT_EQ(form.pressedButton(), expected);
    }
    // Nothing to answer with: the dialog stays.
    MessageForm retry(QStringLiteral("x"), MsgKind::Error, MsgButton::Retry | MsgButton::Abort);
    retry.reject();
    EXPECT_EQ(retry.pressedButton(), MsgButton::None);
}

TEST(MessageDlg, ReturnsTheButtonTheHookPressed)
{
    QString seenText;
    ScopedModalHook hook([&](QWidget& w) {
        auto* form = qobject_cast<MessageForm*>(&w);
        ASSERT_NE(form, nullptr);
        seenText = form->messageLabel()->text();
        form->button(MsgButton::No)->click();
    });
    EXPECT_EQ(messageDlg(QStringLiteral("Deseja continuar?"), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No),
              MsgButton::No);
    EXPECT_EQ(seenText, QStringLiteral("Deseja continuar?"));
}

TEST(MessageDlg, HookRunsOnceTheDialogIsTheActiveWindow)
{
    bool wasActive = false;
    ScopedModalHook hook([&](QWidget& w) {
        wasActive = QApplication::activeWindow() == &w;
        static_cast<MessageForm&>(w).button(MsgButton::OK)->click();
    });
    messageDlg(QStringLiteral("x"), MsgKind::Warning, MsgButton::OK);
    EXPECT_TRUE(wasActive);
}

TEST(SystemMessageBox, IsAQMessageBoxWithTitleInformationIconAndOk)
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool isMessageForm = true;
    ScopedModalHook hook([&](QWidget& w) {
        isMessageForm = qobject_cast<MessageForm*>(&w) != nullptr;
        auto* box = qobject_cast<QMessageBox*>(&w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
        box->button(QMessageBox::Ok)->click();
    });
    systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("Arquivo exportado com sucesso."));
    EXPECT_FALSE(isMessageForm);
    EXPECT_EQ(title, QStringLiteral("Ofertix"));
    EXPECT_EQ(text, QStringLiteral("Arquivo exportado com sucesso."));
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST(ShowException, ShowsWhatAsAnErrorWithOk)
{
    QString title;
    QString text;
    ScopedModalHook hook([&](QWidget& w) {
        auto& form = static_cast<MessageForm&>(w);
        title = form.windowTitle();
        text = form.messageLabel()->text();
        form.button(MsgButton::OK)->click();
    });
    showException(std::runtime_error("Expressão de filtro inválida: \"NO_LOTE = \""));
    EXPECT_EQ(title, QStringLiteral("Error"));
    EXPECT_EQ(text, QStringLiteral("Expressão de filtro inválida: \"NO_LOTE = \""));
}

TEST(ScopedModalHook, PutsThePreviousHookBack)
{
    int outer = 0;
    ScopedModalHook first([&](QWidget& w) {
        ++outer;
        static_cast<MessageForm&>(w).button(MsgButton::OK)->click();
    });
    {
        ScopedModalHook second([](QWidget& w) { static_cast<MessageForm&>(w).button(MsgButton::OK)->click(); });
        messageDlg(QStringLiteral("a"), MsgKind::Information, MsgButton::OK);
    }
    messageDlg(QStringLiteral("b"), MsgKind::Information, MsgButton::OK);
    EXPECT_EQ(outer, 1);
}
