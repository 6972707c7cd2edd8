#include "widgets/modal.h"

#include "widgets/screen.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>

#include <utility>

namespace ofx::widgets {

namespace {

ModalHook& currentHook()
{
    static ModalHook hook;
    return hook;
}

// Calls the hook once for one modal run: queued after the window's activation, so that every
// handler of the activation (the caption rewrite among them) has run first. A platform that
// never activates the window still gets the hook, after a bounded number of event-loop turns.
class HookCaller : public QObject {
public:
    explicit HookCaller(QDialog& dialog) : QObject(&dialog), dialog_(&dialog)
    {
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == dialog_ && !scheduled_) {
            if (event->type() == QEvent::WindowActivate) {
                scheduled_ = true;
                QMetaObject::invokeMethod(this, &HookCaller::call, Qt::QueuedConnection);
            } else if (event->type() == QEvent::Show) {
                QMetaObject::invokeMethod(this, &HookCaller::waitForActivation, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void waitForActivation()
    {
        if (scheduled_ || !dialog_)
            return;
        if (dialog_->isActiveWindow() || ++turns_ > maxTurns) {
            scheduled_ = true;
            call();
            return;
        }
        QMetaObject::invokeMethod(this, &HookCaller::waitForActivation, Qt::QueuedConnection);
    }

    void call()
    {
        if (called_ || !dialog_ || !dialog_->isVisible())
            return;
        called_ = true;
        // A copy: the hook may replace itself while it runs.
        ModalHook hook = currentHook();
        if (hook)
            hook(*dialog_);
    }

    static constexpr int maxTurns = 1000;
    QPointer<QDialog> dialog_;
    bool scheduled_ = false;
    bool called_ = false;
    int turns_ = 0;
};

}  // namespace

ModalHook setModalHook(ModalHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

int execModal(QDialog& dialog, Return returnTo)
{
    QPointer<HookCaller> caller;
    if (currentHook())
        caller = new HookCaller(dialog);
    QPointer<QWidget> previous = QApplication::activeWindow();
    const int result = dialog.exec();
    delete caller.data();  // already gone when exec() freed a delete-on-close dialog

    // The window that was active before becomes active again, before the caller goes on (so
    // its activation handling runs first, and whatever the caller focuses next stays focused).
    // Window managers do this by themselves, later; a bare X server or the offscreen platform
    // does not.
    if (previous && previous->isVisible() && QApplication::activeWindow() != previous)
        reactivate(previous, returnTo == Return::Silent);
    return result;
}

ScopedModalHook::ScopedModalHook(ModalHook hook) : previous_(setModalHook(std::move(hook))) {}

ScopedModalHook::~ScopedModalHook()
{
    setModalHook(std::move(previous_));
}

}  // namespace ofx::widgets
