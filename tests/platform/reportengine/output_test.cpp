// Painting and PDF output of built reports.
#include "lotsfixture.h"
#include "reportengine/output.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace ofx::reportengine;
using namespace ofx::reportengine::test;
using ofx::test::readFile;
using ofx::test::TempDir;
using ofx::test::writeFile;

namespace {

QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

int filesIn(const TempDir& dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++n;
    return n;
}

}  // namespace

TEST(ReportOutput, PaintsTextWhereTheLayoutPlacedIt)
{
    TableDataset ds = lotsData({1});
    const Document doc = lotsReport(&ds).build();
    constexpr double pxPerMm = 4;
    QImage image((doc.paperSizeMm() * pxPerMm).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(pxPerMm, pxPerMm);
        doc.paintPage(0, painter);
    }
    auto inkIn = [&](const QRectF& mm) {
        int dark = 0;
        const QRect r = QRectF(mm.topLeft() * pxPerMm, mm.size() * pxPerMm).toRect();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    ++dark;
        return dark;
    };
    for (const PlacedObject& o : doc.page(0).objects) {
        if (o.name() == "Head" || o.name() == "PageNo") {
            EXPECT_GT(inkIn(o.rect), 20) << o.name().toStdString();
        }
    }
    EXPECT_EQ(inkIn(QRectF(20, 150, 100, 100)), 0);  // below the last band: blank paper
}

TEST(ReportOutput, PdfIsWrittenAndReplacesAnExistingFile)
{
    TempDir dir;
    const auto file = dir.file("relatorio.pdf");
    ASSERT_TRUE(writeFile(file, "antigo"));
    TableDataset ds = lotsData({15, 15, 15});
    const Document doc = lotsReport(&ds).build();
    std::vector<int> seen;
    const OutputResult r = writePdf(doc, qpath(file), [&](int done, int total) {
        seen.push_back(done);
        EXPECT_EQ(total, 3);
        return true;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(seen, std::vector<int>({0, 1, 2, 3}));
    const std::string bytes = readFile(file);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
    EXPECT_EQ(filesIn(dir), 1);
}

TEST(ReportOutput, CancelOrFailureLeavesNoHalfWrittenPdf)
{
    TempDir dir;
    const auto file = dir.file("relatorio.pdf");
    ASSERT_TRUE(writeFile(file, "antigo"));
    TableDataset ds = lotsData({15, 15, 15});
    const Document doc = lotsReport(&ds).build();

    const OutputResult cancelled = writePdf(doc, qpath(file), [](int done, int) { return done < 2; });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(readFile(file), "antigo");
    EXPECT_EQ(filesIn(dir), 1);  // no temporary file left behind

    const auto missing = dir.file("nao-existe") / "relatorio.pdf";
    const OutputResult failed = writePdf(doc, qpath(missing));
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.cancelled);
    EXPECT_TRUE(failed.error.startsWith("Não foi possível criar o arquivo")) << failed.error.toStdString();
    EXPECT_FALSE(std::filesystem::exists(missing));
}
