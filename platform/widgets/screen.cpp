#include "widgets/screen.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace ofx::widgets {

namespace {

ActiveFormChangeHandler g_handler = nullptr;
WindowShownHandler g_shown = nullptr;
QPointer<QCoreApplication> g_connectedTo;

// Sees every window's activation before the window does: application event filters run
// first. Keeps the window the program had active before the one being activated now.
class ActivationTracker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow()) {
            previous = current;
            current = static_cast<QWidget*>(watched);
        } else if (event->type() == QEvent::Show && g_shown && watched->isWidgetType()
                   && static_cast<QWidget*>(watched)->isWindow()) {
            g_shown(static_cast<QWidget*>(watched));
        }
        return false;
    }

    QPointer<QWidget> previous;
    QPointer<QWidget> current;
    bool silent = false;
};

ActivationTracker* tracker()
{
    static QPointer<ActivationTracker> instance;
    if (!instance && qApp) {
        instance = new ActivationTracker;
        instance->setParent(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

void notify()
{
    if (g_handler)
        g_handler();
}

}  // namespace

void setActiveFormChangeHandler(ActiveFormChangeHandler handler)
{
    g_handler = handler;
    // One connection per application object, made on first use.
    if (qApp && g_connectedTo != qApp) {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow*) { notify(); });
        g_connectedTo = qApp;
    }
    tracker();
}

void setWindowShownHandler(WindowShownHandler handler)
{
    g_shown = handler;
    tracker();
}

ActiveFormChangeHandler activeFormChangeHandler()
{
    return g_handler;
}

QWidget* activeForm()
{
    return QApplication::activeWindow();
}

bool isProgramActivation(const QWidget* window)
{
    ActivationTracker* t = tracker();
    if (!t)
        return true;
    if (t->silent)
        return false;
    // The tracker has already recorded this activation: current is the window itself.
    return t->current != window || t->previous != window;
}

void reactivate(QWidget* window, bool silent)
{
    if (!window)
        return;
    QPointer<QWidget> guard(window);
    ActivationTracker* t = tracker();
    if (t)
        t->silent = silent;
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
    if (t)
        t->silent = false;
    if (guard)
        guard->activateWindow();
}

}  // namespace ofx::widgets
