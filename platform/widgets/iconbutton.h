#pragma once
// An icon-only button that stands for an action: it shows the action's icon, shows the action's
// tool tip (its hint) and triggers the action when clicked. Unlike QToolButton's default action,
// the button's enabled state is its own: greying the button leaves the action (and its
// shortcut) working, and disabling the action leaves the button's look alone (a click then does
// nothing, since a disabled action does not trigger).
//
// A click takes the focus before it presses the button, so that the control being left hands
// its value over first; if that control refuses to be left and keeps the focus, the click does
// not press the button.
#include <QPointer>
#include <QToolButton>

class QAction;

namespace ofx::widgets {

class IconButton : public QToolButton {
    Q_OBJECT
public:
    // flat: the raised Office-2003 look that shows a frame only under the mouse.
    explicit IconButton(QWidget* parent = nullptr, bool flat = true);

    void setAction(QAction* action);
    QAction* action() const { return action_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void syncFromAction();

    QPointer<QAction> action_;
    QMetaObject::Connection changed_;
};

}  // namespace ofx::widgets
