#pragma once
// The platform's standard message dialog and the system message box.
//
// MessageForm is the standard message dialog: an icon for its kind, the message, and a row of
// buttons. Its title and button captions are the platform's own ENGLISH texts ("Warning",
// "Confirm", "&Yes", "OK", "Cancel"...), never taken from Qt's translations: the program turns
// them into Portuguese when the dialog becomes active (see the window base in forms/), and that
// rewrite recognises this dialog by its exact class.
//
// systemMessageBox() is the operating system's message box (a QMessageBox): a different class,
// which that rewrite never touches.
#include <QDialog>
#include <QFlags>
#include <QString>

#include <exception>
#include <vector>

class QLabel;
class QPushButton;
class QWidget;

namespace ofx::widgets {

enum class MsgKind { Warning, Error, Information, Confirmation, Custom };

// One bit per button; a dialog shows its buttons in this order.
enum class MsgButton : unsigned {
    None = 0,
    Yes = 0x1,
    No = 0x2,
    OK = 0x4,
    Cancel = 0x8,
    Abort = 0x10,
    Retry = 0x20,
    Ignore = 0x40,
    All = 0x80,
    NoToAll = 0x100,
    YesToAll = 0x200,
    Help = 0x400,
    Close = 0x800,
};
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// The English title of a kind ("Warning", "Error", "Information", "Confirm"); empty for Custom.
QString englishTitle(MsgKind kind);
// The English caption of one button ("&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry",
// "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help", "&Close").
QString englishCaption(MsgButton button);

class MessageForm : public QDialog {
    Q_OBJECT
public:
    // customTitle is used by the Custom kind only; when empty it is the application's display
    // name. Every button but Help closes the dialog and becomes pressedButton().
    MessageForm(const QString& text, MsgKind kind, MsgButtons buttons, QWidget* parent = nullptr,
                const QString& customTitle = {});

    MsgKind kind() const { return kind_; }
    MsgButton pressedButton() const { return pressed_; }
    QPushButton* button(MsgButton which) const;  // nullptr when the dialog lacks it
    QLabel* messageLabel() const { return message_; }

    // The button that Enter presses (by default OK or Yes, else the first).
    void setDefaultButton(MsgButton which);

    // Escape and the title bar's close box answer with Cancel, else No, else OK when the
    // dialog has it; otherwise they are ignored.
    void reject() override;

private:
    void press(MsgButton which);

    MsgKind kind_;
    MsgButton pressed_ = MsgButton::None;
    MsgButtons buttons_;
    QLabel* message_ = nullptr;
    std::vector<std::pair<MsgButton, QPushButton*>> buttonList_;
};

// Shows a modal MessageForm (through execModal) and returns the button pressed, or None when
// the dialog ended without one. Parent nullptr: the application's active window.
// defaultButton: the one that Enter presses and that has the focus (None: OK or Yes, as usual);
// No for a question whose Yes loses work.
MsgButton messageDlg(const QString& text, MsgKind kind, MsgButtons buttons, QWidget* parent = nullptr,
                     MsgButton defaultButton = MsgButton::None);

// The system message box: title as given, the information icon and an OK button. When it
// closes, the window it came from is active again without a new activation (the window's
// activation handling does not run; see isProgramActivation).
void systemMessageBox(const QString& title, const QString& text, QWidget* parent = nullptr);

// The application's default error message for an error that no handler caught: an Error
// MessageForm with OK showing what() (read as UTF-8).
void showException(const std::exception& error, QWidget* parent = nullptr);

}  // namespace ofx::widgets
