// The preview window, offscreen: navigation, zoom, search and export without dialogs, and the
// page setup through Qt's own dialog, driven by real mouse input.
#include "lotsfixture.h"
#include "reportengine/reportpreview.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace ofx::reportengine;
using namespace ofx::reportengine::test;

TEST(ReportPreview, NavigatesSearchesAndExports)
{
    TableDataset ds = lotsData({15, 15, 15});  // one lot per page
    Report report = lotsReport(&ds);
    const PageSetup stored = report.reportTemplate().page;
    {
        ReportPreview preview(report.build(), &report);
        preview.resize(1000, 700);
        preview.show();
        EXPECT_EQ(preview.currentPage(), 0);
        EXPECT_DOUBLE_EQ(preview.zoom(), 1.0);

        preview.goToPage(2);
        EXPECT_EQ(preview.currentPage(), 2);
        preview.goToPage(99);
        EXPECT_EQ(preview.currentPage(), 2);
        preview.goToPage(-1);
        EXPECT_EQ(preview.currentPage(), 0);

        preview.goToPage(1);
        QScrollBar* bar = preview.findChild<QScrollArea*>()->verticalScrollBar();
        const int atPage1 = bar->value();
        EXPECT_GT(atPage1, 0);
        preview.setZoom(2.0);
        EXPECT_DOUBLE_EQ(preview.zoom(), 2.0);
        EXPECT_EQ(preview.currentPage(), 1);  // zooming keeps the page in view
        EXPECT_GT(bar->value(), atPage1 * 3 / 2);
        preview.goToPage(0);

        ASSERT_TRUE(preview.findNext("lote: 3"));
        EXPECT_EQ(preview.currentPage(), 2);
        EXPECT_FALSE(preview.findNext("lote: 3"));  // no further hit
        ASSERT_TRUE(preview.findNext("Lote:"));      // a new search starts at the current page
        EXPECT_EQ(preview.currentPage(), 2);

        ofx::test::TempDir dir;
        const auto file = dir.file("previa.pdf");
        ASSERT_TRUE(preview.exportPdfTo(QString::fromStdString(file.string()), false));
        EXPECT_EQ(ofx::test::readFile(file).substr(0, 5), "%PDF-");
        EXPECT_TRUE(preview.exportPdfTo(QString::fromStdString(file.string()), true));  // overwrites
    }
    EXPECT_EQ(report.reportTemplate().page.margins, stored.margins);
}

TEST(ReportPreview, PageSetupRebuildsThePagesAndLeavesTheReportAlone)
{
    TableDataset ds = lotsData({15, 15, 15});
    const Report report = lotsReport(&ds);
    ReportPreview preview(report.build(), &report);
    preview.resize(1000, 700);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    ASSERT_EQ(preview.document().pageCount(), 3);

    auto click = [](QWidget* w) {
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    };
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        // On the button's indicator: the label ends well before the middle of a wide button.
        auto* landscape = dialog->findChild<QRadioButton*>(QStringLiteral("landscape"));
        EXPECT_NE(landscape, nullptr);
        if (landscape)
            QTest::mouseClick(landscape, Qt::LeftButton, {}, QPoint(6, landscape->height() / 2));
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
            click(buttons->button(QDialogButtonBox::Ok));
        if (dialog->isVisible())
            dialog->reject();  // a failure above must not leave the test waiting on the dialog
    });
    QToolButton* setup = nullptr;
    for (QToolButton* b : preview.findChildren<QToolButton*>())
        if (b->defaultAction() && b->defaultAction()->text() == QStringLiteral("Configurar página..."))
            setup = b;
    click(setup);

    ASSERT_TRUE(opened);
    EXPECT_EQ(preview.document().pageSetup().orientation, QPageLayout::Landscape);
    EXPECT_GT(preview.document().pageCount(), 3);  // no lot fits on a landscape page
    EXPECT_EQ(preview.currentPage(), 0);
    // The report keeps its own page setup while the preview shows the other one.
    EXPECT_EQ(report.reportTemplate().page.orientation, QPageLayout::Portrait);
    EXPECT_EQ(report.build().pageCount(), 3);
}
