#include "widgets/iconbutton.h"

#include <QAction>
#include <QMouseEvent>

namespace ofx::widgets {

IconButton::IconButton(QWidget* parent, bool flat) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // A click takes the focus first, as a command button does: whatever is being typed elsewhere
    // (a field's exit, a grid cell's post) ends before the command runs.
    setFocusPolicy(Qt::StrongFocus);
    setAutoRaise(flat);
    // Office 2003: pale orange under the mouse with a navy frame, darker orange when pressed.
    setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid %1; border-radius: 2px; background: %2; color: black; }"
        "QToolButton:hover { border-color: #000080; background: #FFEEC2; }"
        "QToolButton:pressed { border-color: #000080; background: #FE9E55; }"
        "QToolButton:focus { border-color: #7F9DB9; }")
                      .arg(flat ? QStringLiteral("transparent") : QStringLiteral("#7F9DB9"),
                           flat ? QStringLiteral("transparent") : QStringLiteral("#F4F3EE")));
    connect(this, &QToolButton::clicked, this, [this] {
        if (action_)
            action_->trigger();
    });
}

void IconButton::mousePressEvent(QMouseEvent* event)
{
    // The press has already moved the focus here, running the exit of the control that had it.
    // When that control refused to be left (a wrong document, a cell text that is no number),
    // it kept the focus: the click then presses nothing.
    if (event->button() == Qt::LeftButton && !hasFocus()) {
        event->accept();
        return;
    }
    QToolButton::mousePressEvent(event);
}

void IconButton::setAction(QAction* action)
{
    if (changed_)
        disconnect(changed_);
    action_ = action;
    if (action)
        changed_ = connect(action, &QAction::changed, this, &IconButton::syncFromAction);
    syncFromAction();
}

void IconButton::syncFromAction()
{
    setIcon(action_ ? action_->icon() : QIcon());
    setToolTip(action_ ? action_->toolTip() : QString());
}

}  // namespace ofx::widgets
