#pragma once
// Modal display of dialogs and windows, with a hook through which a test answers them.
//
// Every modal window of the program (message dialogs, the system message box, the file dialog,
// the proposal entry window) is run through execModal(). When a modal hook is installed it is
// called with the window once the window has been shown and has become the active window, after
// the application's own activation handling (so a dialog's captions have been rewritten by then).
// The hook answers by clicking a button, accepting, rejecting or closing the window; it runs
// inside the window's modal loop.
#include <functional>

class QDialog;
class QWidget;

namespace ofx::widgets {

using ModalHook = std::function<void(QWidget& window)>;

// Replaces the process-wide hook; an empty function removes it. Returns the previous hook.
ModalHook setModalHook(ModalHook hook);

// How the window that was active before a modal dialog gets the activation back.
enum class Return {
    Activated,  // as a program activation: its activation handling acts (message dialogs)
    Silent,     // not counted as one (the system message box; see isProgramActivation)
};

// QDialog::exec() with the hook. When the dialog ends, the window that was active before it
// is made the active window again (its activation handlers run before this returns).
// Returns exec()'s result.
int execModal(QDialog& dialog, Return returnTo = Return::Activated);

// Installs a hook for the lifetime of the object and puts the previous one back afterwards.
class ScopedModalHook {
public:
    explicit ScopedModalHook(ModalHook hook);
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    ModalHook previous_;
};

}  // namespace ofx::widgets
