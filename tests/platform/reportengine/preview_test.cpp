// The preview window, offscreen: navigation, zoom, search and export without dialogs.
#include "lotsfixture.h"
#include "reportengine/reportpreview.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QScrollArea>
#include <QScrollBar>

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
