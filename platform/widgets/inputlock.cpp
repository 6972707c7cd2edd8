#include "widgets/inputlock.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>

namespace ofx::widgets {

InputLock::InputLock(QWidget* window) : window_(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputLock::~InputLock()
{
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputLock::insideWindow(const QObject* object) const
{
    if (!window_ || !object || !object->isWidgetType())
        return false;
    auto* w = static_cast<const QWidget*>(object);
    return w == window_ || window_->isAncestorOf(w);
}

bool InputLock::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        if (auto* action = qobject_cast<QAction*>(watched)) {
            if (insideWindow(action->parent()))
                return true;
            const auto owners = action->associatedObjects();
            for (const QObject* o : owners)
                if (insideWindow(o))
                    return true;
            return false;
        }
        return insideWindow(watched);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return insideWindow(watched);
    case QEvent::Close:
        if (watched == window_) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace ofx::widgets
