// While an input lock holds, nothing the user does reaches the window; afterwards all works.
#include "widgets/inputlock.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using ofx::widgets::InputLock;

namespace {

struct LockedWindow : ::testing::Test {
    LockedWindow()
    {
        window.resize(300, 200);
        edit = new QLineEdit(&window);
        edit->setGeometry(10, 10, 200, 21);
        button = new QPushButton(QStringLiteral("b"), &window);
        button->setGeometry(10, 50, 80, 25);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        action = new QAction(&window);
        action->setShortcut(QKeySequence(Qt::Key_F7));
        window.addAction(action);
        QObject::connect(action, &QAction::triggered, [this] { ++shortcuts; });
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }

    QWidget window;
    QLineEdit* edit = nullptr;
    QPushButton* button = nullptr;
    QAction* action = nullptr;
    int clicks = 0;
    int shortcuts = 0;
};

}  // namespace

TEST_F(LockedWindow, KeysClicksShortcutsAndClosingAreRefusedUntilReleased)
{
    {
        InputLock lock(&window);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key_F7);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(edit->text(), QString());
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(shortcuts, 0);
        // Programmatic changes and repaints go on.
        edit->setText(QStringLiteral("x"));
        window.repaint();
        EXPECT_EQ(edit->text(), QStringLiteral("x"));
    }
    QTest::keyClicks(edit, QStringLiteral("y"));
    QTest::keyClick(edit, Qt::Key_F7);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(edit->text(), QStringLiteral("xy"));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shortcuts, 1);
    EXPECT_TRUE(window.close());
}

TEST_F(LockedWindow, LocksNestAndLeaveOtherWindowsAlone)
{
    QLineEdit other;
    other.show();
    auto outer = std::make_unique<InputLock>(&window);
    {
        InputLock inner(&window);
    }
    QTest::keyClicks(edit, QStringLiteral("a"));
    EXPECT_EQ(edit->text(), QString());  // the outer lock still holds
    QTest::keyClicks(&other, QStringLiteral("ok"));
    EXPECT_EQ(other.text(), QStringLiteral("ok"));
    outer.reset();
    QTest::keyClicks(edit, QStringLiteral("a"));
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
}
