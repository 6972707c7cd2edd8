#pragma once
// TFPadraoGeral: the common base of the program's two windows.
//
// Creating a window installs the dialog caption hook (ActiveFormChange) as the screen's one
// active-window-change handler; closing a window frees it. The base also carries the shared
// image list imgCadastro and the list actLista of twelve standard record actions, which do
// nothing and take no keys (they are bound to no widget), so the derived windows' own actions
// on the same shortcuts act.
//
// The windows are QDialogs so that they can be shown modally; Escape does not close them.
#include "widgets/imagelist.h"

#include <QDialog>
#include <QList>

#include <functional>

class QAction;
class QCloseEvent;
class QKeyEvent;

namespace ofx::forms {

class TFPadraoGeral : public QDialog {
    Q_OBJECT
public:
    // What becomes of a window when it is closed (the close handlers may change it).
    enum class CloseAction { None, Hide, Free };

    explicit TFPadraoGeral(QWidget* parent = nullptr);
    ~TFPadraoGeral() override;

    // 18 images of 32 x 32 px (see resources::cadastroImage for their meanings).
    widgets::ImageList imgCadastro;

    // actLista, in this order; each action's text is its own name.
    QAction* actPrimeiro = nullptr;   // "Primeiro registro", image 0, Ctrl+F
    QAction* actAnterior = nullptr;   // "Registro anterior", 1, Ctrl+P
    QAction* actProximo = nullptr;    // "Próximo registro", 2, Ctrl+N
    QAction* actUltimo = nullptr;     // "Último registro", 3, Ctrl+L
    QAction* actNovo = nullptr;       // "Novo registro", 4, Ctrl+I
    QAction* actExcluir = nullptr;    // "Excluir", 5, Ctrl+E
    QAction* actAlterar = nullptr;    // "Alterar", 6, Ctrl+A
    QAction* actConfirmar = nullptr;  // "Salvar", 7, Ctrl+S
    QAction* actCancelar = nullptr;   // "Cancelar", 8
    QAction* actConsultar = nullptr;  // no hint, 9
    QAction* actImprimir = nullptr;   // "Imprimir", 13, Ctrl+I
    QAction* actFechar = nullptr;     // "Fechar", 12, Ctrl+F
    QList<QAction*> actLista;

    // Command handlers that the base leaves empty; the file selection window has its own.
    void actBuscarDestinoExecute() {}
    void ActImportarExecute() {}
    void ActSairExecute() {}

protected:
    // The base's creation and closing handling. FormClose sets the close action to Free.
    void FormCreate();
    void FormClose(CloseAction& action);

    // Runs FormClose and carries out its close action; a derived window that has a close
    // handler of its own overrides this and calls applyCloseAction itself.
    void closeEvent(QCloseEvent* event) override;
    void applyCloseAction(CloseAction action, QCloseEvent* event);

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // Client size in px at 96 dpi; the window keeps it and opens centred on the main screen.
    void setClientSize(int width, int height);

    // Runs a command handler; an error that it does not handle itself is shown as the
    // application's default error message (an Error dialog with its text), and the window
    // carries on.
    void run(const std::function<void()>& command);

private:
    bool centred_ = false;
};

// The dialog caption hook: when the screen's active window is the standard message dialog,
// rewrites its button captions, a "Delete record?" label and its title into Portuguese.
// Belongs to no window; safe to run any number of times for the same dialog.
void ActiveFormChange();

// The rewrite itself, on one window: nothing unless the window is exactly the standard message
// dialog (widgets::MessageForm, not a subclass and not any other dialog).
void rewriteMessageDialog(QWidget* form);

}  // namespace ofx::forms
