#pragma once
// Locks a window against the user while a long operation runs in it and lets the event loop
// turn (to repaint a progress bar): for the guard's lifetime no key, mouse, wheel, touch,
// context-menu, drag or input-method event reaches the window or any control inside it, none of
// its actions' shortcuts fires, and the window refuses to close. Paint, resize and timer
// events go on as usual. Other top-level windows (a message dialog parented to the window
// among them) are not affected. Guards nest.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace ofx::widgets {

class InputLock : public QObject {
    Q_OBJECT
public:
    explicit InputLock(QWidget* window);
    ~InputLock() override;

    InputLock(const InputLock&) = delete;
    InputLock& operator=(const InputLock&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool insideWindow(const QObject* object) const;

    QPointer<QWidget> window_;
};

}  // namespace ofx::widgets
