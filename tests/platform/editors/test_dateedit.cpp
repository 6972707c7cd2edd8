#include "editors/dateedit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using ofx::editors::DateEdit;

TEST(DateEdit, ShortFormsAreWrittenInFullAndNonDatesAreKept)
{
    struct Case {
        const char* typed;
        const char* full;  // nullptr: no date
    };
    const Case cases[] = {
        {"31/12/2026", "31/12/2026"}, {"31122026", "31/12/2026"}, {"311226", "31/12/2026"},
        {"31/12/26", "31/12/2026"},   {"1/2/2026", "01/02/2026"}, {"29/02/2028", "29/02/2028"},
        {"", ""},                     {"  ", ""},                 {"00/00/0000", "00/00/0000"},
        {"29/02/2027", nullptr},      {"31/04/2026", nullptr},    {"12/2026", nullptr},
        {"3112202", nullptr},         {"31/12/202", nullptr},     {"13/13/2026", nullptr},
        {"//", nullptr},
    };
    for (const Case& c : cases) {
        const auto full = DateEdit::normalized(QString::fromLatin1(c.typed));
        if (c.full) {
            ASSERT_TRUE(full.has_value()) << c.typed;
            EXPECT_EQ(*full, QString::fromLatin1(c.full)) << c.typed;
        } else {
            EXPECT_FALSE(full.has_value()) << c.typed;
        }
    }
}

TEST(DateEdit, LeavingCompletesTheDateAndTypingTakesDigitsAndSlashesOnly)
{
    QWidget window;
    auto* date = new DateEdit(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);

    date->setFocus();
    QTest::keyClicks(date, "31a12x2026");
    EXPECT_EQ(date->text(), "31122026");
    other->setFocus();
    EXPECT_EQ(date->text(), "31/12/2026");
    EXPECT_EQ(date->date(), QDate(2026, 12, 31));

    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, "31/02/2026");
    other->setFocus();
    EXPECT_EQ(date->text(), "31/02/2026");  // kept for the user to correct
    EXPECT_FALSE(date->holdsDateOrNothing());
    EXPECT_FALSE(date->date().isValid());
}

TEST(DateEdit, CalendarWritesTheChosenDay)
{
    QWidget window;
    auto* date = new DateEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    date->setText("15/01/2027");
    date->setFocus();
    QTest::keyClick(date, Qt::Key_F4);
    QCalendarWidget* calendar = date->calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate(2027, 1, 15));
    emit calendar->activated(QDate(2027, 2, 3));
    EXPECT_EQ(date->text(), "03/02/2027");
    EXPECT_TRUE(date->isModified());
    QApplication::processEvents();
    EXPECT_EQ(date->calendar(), nullptr);
}

namespace {

// The drop-down button at the field's right opens the calendar for the mouse; a date loaded
// from a file is shown whole and left as it came until the user types.
TEST(DateEdit, TheButtonOpensTheCalendarAndLoadedTextStaysAsItCame)
{
    QWidget window;
    auto* date = new DateEdit(&window);
    date->resize(94, 21);
    window.show();
    QApplication::setActiveWindow(&window);
    QToolButton* button = nullptr;
    for (QToolButton* b : date->findChildren<QToolButton*>())
        if (b->defaultAction() == date->calendarButton())
            button = b;
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(date->calendar(), nullptr);
    date->calendar()->close();
    QApplication::processEvents();

    date->setLoadedText(" 30/06/2025");
    EXPECT_EQ(date->text(), " 30/06/2025");  // not cut to ten characters
    EXPECT_FALSE(date->typed());
    date->complete();
    EXPECT_EQ(date->text(), " 30/06/2025");
}

}  // namespace
