#pragma once
// Helpers for the window tests: showing a window as the active one, and answering the modal
// dialogs that the windows open, recording what they showed.
#include "widgets/messagedialog.h"
#include "widgets/modal.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <ostream>

// Readable QStrings in assertion messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace ofx::test {

inline void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

struct SeenDialog {
    QString className;
    QString title;
    QString text;
    QStringList buttons;  // captions, in the dialog's order
};

// Answers every message dialog (standard or system box) by pressing the button with the given
// index (default the first), and hands any other modal window to `other`, which must end it.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int buttonIndex = 0, std::function<void(QWidget&)> other = {})
        : hook_([this, buttonIndex, other](QWidget& w) {
              SeenDialog seen;
              seen.className = QString::fromLatin1(w.metaObject()->className());
              seen.title = w.windowTitle();
              const auto buttons = w.findChildren<QPushButton*>();
              for (auto* b : buttons)
                  seen.buttons << b->text();
              if (auto* form = qobject_cast<widgets::MessageForm*>(&w)) {
                  seen.text = form->messageLabel()->text();
              } else if (auto* box = qobject_cast<QMessageBox*>(&w)) {
                  seen.text = box->text();
              } else {
                  dialogs.push_back(seen);
                  if (other)
                      other(w);
                  else
                      w.close();
                  return;
              }
              dialogs.push_back(seen);
              if (buttonIndex < buttons.size())
                  buttons[buttonIndex]->click();
              else
                  w.close();
          })
    {
    }

    std::vector<SeenDialog> dialogs;

private:
    widgets::ScopedModalHook hook_;
};

}  // namespace ofx::test
