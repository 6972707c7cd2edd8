// Icon buttons stand for an action but keep their own enabled state.
#include "widgets/iconbutton.h"
#include "widgets/imagelist.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

using namespace ofx::widgets;

TEST(IconButton, ShowsTheActionsIconAndHintAndTriggersIt)
{
    QAction action;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    action.setIcon(QIcon(pixmap));
    action.setToolTip(QStringLiteral("Próximo lote"));
    int triggered = 0;
    QObject::connect(&action, &QAction::triggered, [&] { ++triggered; });

    IconButton button;
    button.setAction(&action);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Próximo lote"));
    EXPECT_FALSE(button.icon().isNull());
    EXPECT_TRUE(button.text().isEmpty() || button.toolButtonStyle() == Qt::ToolButtonIconOnly);

    button.click();
    EXPECT_EQ(triggered, 1);

    action.setToolTip(QStringLiteral("Outro"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Outro"));
}

TEST(IconButton, EnabledStateIsIndependentOfTheAction)
{
    QAction action;
    int triggered = 0;
    QObject::connect(&action, &QAction::triggered, [&] { ++triggered; });
    IconButton button;
    button.setAction(&action);

    button.setEnabled(false);  // the button greys, the action keeps working
    EXPECT_TRUE(action.isEnabled());
    action.trigger();
    EXPECT_EQ(triggered, 1);
    button.click();  // a grey button does not click
    EXPECT_EQ(triggered, 1);

    button.setEnabled(true);
    action.setEnabled(false);  // and the other way round
    EXPECT_TRUE(button.isEnabled());
    button.click();
    EXPECT_EQ(triggered, 1);
}

TEST(IconButton, SurvivesItsAction)
{
    IconButton button;
    {
        QAction action;
        button.setAction(&action);
    }
    EXPECT_EQ(button.action(), nullptr);
    button.click();
    SUCCEED();
}

TEST(ImageList, IconsByIndexAndNullOutside)
{
    ImageList list;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::blue);
    EXPECT_EQ(list.add(pixmap), 0);
    EXPECT_EQ(list.add(pixmap), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_FALSE(list.icon(1).isNull());
    EXPECT_TRUE(list.icon(2).isNull());
    EXPECT_TRUE(list.icon(-1).isNull());
}

TEST(PanelStatusBar, FixedWidthPanelsAndTheLastTakesTheRest)
{
    PanelStatusBar bar;
    bar.resize(846, 22);
    bar.addPanel(440, QStringLiteral("a"));
    bar.addPanel(290);
    bar.addPanel(-1, QStringLiteral("c"));
    EXPECT_EQ(bar.panelRect(0).left(), 0);
    EXPECT_EQ(bar.panelRect(1).left(), 440);
    EXPECT_EQ(bar.panelRect(2).left(), 730);
    EXPECT_EQ(bar.panelRect(2).right(), 845);
    EXPECT_EQ(bar.panelText(2), QStringLiteral("c"));
    bar.setPanelText(1, QStringLiteral("b"));
    EXPECT_EQ(bar.panelText(1), QStringLiteral("b"));
}
