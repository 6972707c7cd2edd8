// The screen's active-window handler slot, and which activations count as the window becoming
// the program's active window.
#include "widgets/messagedialog.h"
#include "widgets/modal.h"
#include "widgets/screen.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace ofx::widgets;

namespace {

// Records, for each of its activations, whether it counted as a program activation.
class Window : public QWidget {
public:
    std::vector<bool> activations;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::WindowActivate)
            activations.push_back(isProgramActivation(this));
        return QWidget::event(e);
    }
};

int g_calls = 0;
QWidget* g_seen = nullptr;
void countingHandler()
{
    ++g_calls;
    g_seen = activeForm();
}

void showActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

void pressFirstButton(QWidget& w)
{
    w.findChildren<QPushButton*>().constFirst()->click();
}

}  // namespace

TEST(Screen, HandlerRunsOnActiveWindowChangesAndIsReplaced)
{
    setActiveFormChangeHandler(&countingHandler);
    EXPECT_EQ(activeFormChangeHandler(), &countingHandler);
    g_calls = 0;
    QWidget w;
    showActive(w);
    QCoreApplication::processEvents();  // deliver the platform's activation
    EXPECT_GT(g_calls, 0);
    EXPECT_EQ(g_seen, &w);

    setActiveFormChangeHandler(nullptr);
    g_calls = 0;
    QWidget other;
    showActive(other);
    QCoreApplication::processEvents();
    EXPECT_EQ(g_calls, 0);
}

TEST(Screen, ProgramActivationsAndReturnsFromOtherApplications)
{
    setActiveFormChangeHandler(nullptr);  // installs the activation tracking
    Window w;
    showActive(w);
    ASSERT_FALSE(w.activations.empty());
    EXPECT_TRUE(w.activations.back());  // first activation

    // The program loses the focus and gets it back on the same window: not a new activation.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&w);
    QT_WARNING_POP
    EXPECT_FALSE(w.activations.back());

    // A message dialog comes and goes: the window is activated anew, before messageDlg returns.
    {
        ScopedModalHook hook(pressFirstButton);
        w.activations.clear();
        messageDlg(QStringLiteral("x"), MsgKind::Information, MsgButton::OK, &w);
        ASSERT_EQ(w.activations.size(), 1u);
        EXPECT_TRUE(w.activations.back());
        EXPECT_EQ(QApplication::activeWindow(), &w);
    }

    // The system message box gives the activation back silently.
    {
        ScopedModalHook hook(pressFirstButton);
        w.activations.clear();
        systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("x"), &w);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &w);
        for (bool counted : w.activations)
            EXPECT_FALSE(counted);
    }
}
