#pragma once
// The screen: the program's active window, the one active-window-change handler slot, and
// whether a window's activation makes it the program's active window anew.
//
// Whoever sets the handler replaces the one that was there. The handler runs on the GUI thread
// each time the application's active window changes (a window shown or closed, a dialog
// opening or ending), after QApplication::activeWindow() has been updated; it reads the new
// active window with activeForm(). It belongs to no window: it may outlive the one that set it.
class QWidget;

namespace ofx::widgets {

using ActiveFormChangeHandler = void (*)();

// Needs a QApplication. nullptr leaves the slot empty.
void setActiveFormChangeHandler(ActiveFormChangeHandler handler);
ActiveFormChangeHandler activeFormChangeHandler();

// A second slot: a handler that runs for every top-level window as it is being shown (before it
// paints or takes the activation), with that window. Needs a QApplication; nullptr empties it.
using WindowShownHandler = void (*)(QWidget* window);
void setWindowShownHandler(WindowShownHandler handler);

// The application's active top-level window, or nullptr.
QWidget* activeForm();

// For a window's WindowActivate handling: true when this activation makes the window the
// program's active window anew (its first activation, or after another window of the program
// such as a dialog was active). False when the whole program comes back to the window it had
// (from another application), and during reactivate(window, silent = true).
bool isProgramActivation(const QWidget* window);

// Makes window the program's active window at once (its activation handling runs before this
// returns) and asks the platform to activate it. silent: the activation does not count as
// a program activation (isProgramActivation is false), as after a system message box.
void reactivate(QWidget* window, bool silent);

}  // namespace ofx::widgets
