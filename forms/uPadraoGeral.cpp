#include "forms/uPadraoGeral.h"

#include "resources/resources.h"
#include "widgets/messagedialog.h"
#include "widgets/screen.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <array>
#include <exception>
#include <typeinfo>

namespace ofx::forms {

namespace {

struct Caption {
    std::array<const char*, 2> english;  // one or two spellings; nullptr fills an unused one
    const char* portuguese;
};

// Tested in this order; the first row whose English text equals the caption exactly wins.
const Caption buttonCaptions[] = {
    {{"&OK", "OK"}, "&Ok"},
    {{"&Yes", nullptr}, "&Sim"},
    {{"&No", nullptr}, "&Não"},
    {{"&Cancel", "Cancel"}, "&Cancelar"},
    {{"Abort", "&Abort"}, "&Abortar"},
    {{"Ignore", "&Ignore"}, "&Ignorar"},
    {{"All", "&All"}, "&Todos"},
    {{"Help", "&Help"}, "A&juda"},
    {{"Retry", "&Retry"}, "&Repetir"},
    {{"Yes to All", "Yes to &All"}, "Si&m p todos"},
    {{"No to All", "N&o to All"}, "Nã&o p todos"},
};

const Caption titles[] = {
    {{"Confirm", nullptr}, "Confirmar"},
    {{"Warning", nullptr}, "Atenção"},
    {{"Error", nullptr}, "Erro"},
    {{"Information", nullptr}, "Informação"},
};

// The Portuguese text for an English one, or the text itself when no row matches. Portuguese
// texts match no English row, which makes the rewrite idempotent.
template <std::size_t N>
QString translated(const QString& text, const Caption (&table)[N])
{
    for (const Caption& row : table)
        for (const char* english : row.english)
            if (english && text == QLatin1String(english))
                return QString::fromUtf8(row.portuguese);
    return text;
}

QAction* makeAction(TFPadraoGeral* owner, const widgets::ImageList& images, const char* name,
                    const char* hint, int image, QKeySequence shortcut)
{
    auto* action = new QAction(owner);
    action->setObjectName(QLatin1String(name));
    action->setText(QLatin1String(name));
    action->setToolTip(QString::fromUtf8(hint));
    action->setIcon(images.icon(image));
    // Bound to no widget, and matched only where an associated widget has the focus (none):
    // the shortcut never fires and never competes with the windows' own actions.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcut(shortcut);
    return action;
}

}  // namespace

void rewriteMessageDialog(QWidget* form)
{
    // The exact class, as a class-name test would: not a subclass, not another dialog.
    if (!form || typeid(*form) != typeid(widgets::MessageForm))
        return;
    const auto components = form->findChildren<QWidget*>();
    for (QWidget* component : components) {
        if (auto* button = qobject_cast<QPushButton*>(component)) {
            const QString caption = translated(button->text(), buttonCaptions);
            if (caption != button->text())
                button->setText(caption);
        } else if (auto* label = qobject_cast<QLabel*>(component)) {
            if (label->text() == QLatin1String("Delete record?"))
                label->setText(QStringLiteral("Deletar registro?"));
        }
    }
    const QString title = translated(form->windowTitle(), titles);
    if (title != form->windowTitle())
        form->setWindowTitle(title);
}

void ActiveFormChange()
{
    rewriteMessageDialog(widgets::activeForm());
}

TFPadraoGeral::TFPadraoGeral(QWidget* parent) : QDialog(parent)
{
    FormCreate();
}

TFPadraoGeral::~TFPadraoGeral() = default;

void TFPadraoGeral::FormCreate()
{
    widgets::setActiveFormChangeHandler(&ActiveFormChange);
    // Also as a dialog is shown: one that does not take the activation at once (another
    // application in front, no window manager) never shows its English captions either.
    widgets::setWindowShownHandler(&rewriteMessageDialog);

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(resources::programIcon());
    setFont(resources::programFont());

    for (int i = 0; i < resources::cadastroImageCount; ++i)
        imgCadastro.add(resources::cadastroImage(i));

    const QKeySequence none;
    actPrimeiro = makeAction(this, imgCadastro, "actPrimeiro", "Primeiro registro", 0, QKeySequence(Qt::CTRL | Qt::Key_F));
    actAnterior = makeAction(this, imgCadastro, "actAnterior", "Registro anterior", 1, QKeySequence(Qt::CTRL | Qt::Key_P));
    actProximo = makeAction(this, imgCadastro, "actProximo", "Próximo registro", 2, QKeySequence(Qt::CTRL | Qt::Key_N));
    actUltimo = makeAction(this, imgCadastro, "actUltimo", "Último registro", 3, QKeySequence(Qt::CTRL | Qt::Key_L));
    actNovo = makeAction(this, imgCadastro, "actNovo", "Novo registro", 4, QKeySequence(Qt::CTRL | Qt::Key_I));
    actExcluir = makeAction(this, imgCadastro, "actExcluir", "Excluir", 5, QKeySequence(Qt::CTRL | Qt::Key_E));
    actAlterar = makeAction(this, imgCadastro, "actAlterar", "Alterar", 6, QKeySequence(Qt::CTRL | Qt::Key_A));
    actConfirmar = makeAction(this, imgCadastro, "actConfirmar", "Salvar", 7, QKeySequence(Qt::CTRL | Qt::Key_S));
    actCancelar = makeAction(this, imgCadastro, "actCancelar", "Cancelar", 8, none);
    actConsultar = makeAction(this, imgCadastro, "actConsultar", "", 9, none);
    actImprimir = makeAction(this, imgCadastro, "actImprimir", "Imprimir", 13, QKeySequence(Qt::CTRL | Qt::Key_I));
    actFechar = makeAction(this, imgCadastro, "actFechar", "Fechar", 12, QKeySequence(Qt::CTRL | Qt::Key_F));
    actLista = {actPrimeiro, actAnterior, actProximo, actUltimo, actNovo, actExcluir,
                actAlterar, actConfirmar, actCancelar, actConsultar, actImprimir, actFechar};
}

void TFPadraoGeral::FormClose(CloseAction& action)
{
    action = CloseAction::Free;
}

void TFPadraoGeral::closeEvent(QCloseEvent* event)
{
    CloseAction action = CloseAction::Hide;
    FormClose(action);
    applyCloseAction(action, event);
}

void TFPadraoGeral::applyCloseAction(CloseAction action, QCloseEvent* event)
{
    switch (action) {
    case CloseAction::None:
        event->ignore();
        return;
    case CloseAction::Free:
        // Freed once the close completes (deferred, so that a modal loop running in this window
        // unwinds first). A caller that disposes of the window earlier cancels the deferred
        // free: the window is destroyed exactly once either way.
        setAttribute(Qt::WA_DeleteOnClose, true);
        break;
    case CloseAction::Hide:
        break;
    }
    QDialog::closeEvent(event);  // ends a modal loop that runs the window
}

void TFPadraoGeral::keyPressEvent(QKeyEvent* event)
{
    // Not QDialog's: Escape must not close the window and Enter presses no default button.
    QWidget::keyPressEvent(event);
}

void TFPadraoGeral::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    QDialog::showEvent(event);
}

void TFPadraoGeral::setClientSize(int width, int height)
{
    setFixedSize(width, height);
}

void TFPadraoGeral::run(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        widgets::showException(error, this);
    }
}

}  // namespace ofx::forms
