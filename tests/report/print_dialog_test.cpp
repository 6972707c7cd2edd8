// The preview's "Imprimir" with Qt's own print dialog, driven by real mouse and key input, on the
// private CUPS daemon's PDF printer: the dialog opens on A4 landscape and one copy, and the copies
// and page range picked in it are what the printer receives.
#include "cupssupport.h"
#include "data/memtable.h"
#include "proposal/loader.h"
#include "proposal/pricing.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "report/propostareport.h"
#include "reportengine/output.h"
#include "reportengine/reportpreview.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>

namespace {

namespace fs = std::filesystem;
using namespace ofx;

// Three lots of thirty items: a report of several pages.
std::string proposalFile()
{
    std::string file =
        "C|00000000|Fornecedor de Teste|00000000000000|Rua A|0000000010|Centro|88000-000|Lages|SC|"
        "Menor Pre\xE7o|por Item|Sala 1|15/03/2024|09:00|14/03/2024|17:00|30 dias|Material|"
        "00/00/0000|00/00/0000|Estado de Santa Catarina|Prefeitura de Lages|82892282000143||\r\n";
    char line[200];
    for (int lot = 1; lot <= 3; ++lot) {
        std::snprintf(line, sizeof line, "H|Pregao|2024|00077|%05d|LOTE %d||0|\r\n", lot, lot);
        file += line;
        for (int i = 1; i <= 30; ++i) {
            const int code = (lot - 1) * 30 + i;
            std::snprintf(line, sizeof line,
                          "A|%06d|Item %d|%d|000000000001,5000|000000000000,0000|UN|Marca|0|0|%d|\r\n",
                          code, code, code, code);
            file += line;
        }
    }
    return file;
}

// The entry window's tables and report, as printing right after opening the file leaves them.
struct Printed {
    data::MemTable lots, items, cursor;
    report::PropostaReport report{cursor};
    reportengine::Document document;

    explicit Printed(const fs::path& file)
    {
        proposal::createLotsTable(lots);
        proposal::createItemsTable(items);
        proposal::declareReportCursorIndexes(cursor);
        proposal::ProcessVariables vars;
        const proposal::LoadResult loaded = proposal::loadProposalFile(file.string(), lots, items, vars);
        EXPECT_TRUE(loaded.ok);
        proposal::recomputeAllTotals(items);
        std::string ordem;
        document = report::preparePrint(report, vars, {}, ordem, items, cursor);
    }
};

void click(QWidget* w)
{
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void retype(QSpinBox* spin, int value)
{
    ASSERT_NE(spin, nullptr);
    click(spin);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QString::number(value));
}

QPushButton* buttonStartingWith(QWidget* parent, const QString& text)
{
    for (QPushButton* b : parent->findChildren<QPushButton*>())
        if (b->text().startsWith(text))
            return b;
    return nullptr;
}

struct DialogSeen {
    bool opened = false;
    QPageLayout layout;
    int copies = 0;
};

// Presses the preview's "Imprimir", and inside the print dialog runs pick and presses its OK.
DialogSeen printThroughDialog(reportengine::ReportPreview& preview,
                              const std::function<void(QPrintDialog&)>& pick)
{
    DialogSeen seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.opened = true;
        seen.layout = dialog->printer()->pageLayout();
        click(buttonStartingWith(dialog, QStringLiteral("&Options")));
        auto* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("tabs"));
        const int copiesTab = tabs->indexOf(dialog->findChild<QWidget*>(QStringLiteral("copiesTab")));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(copiesTab).center());
        seen.copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->value();
        pick(*dialog);
        click(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
    });
    QToolButton* imprimir = nullptr;
    for (QToolButton* b : preview.findChildren<QToolButton*>())
        if (b->text() == QStringLiteral("Imprimir"))
            imprimir = b;
    click(imprimir);
    return seen;
}

}  // namespace

TEST(PreviewPrintDialog, OpensOnA4LandscapeAndPrintsTheCopiesAndPagesPicked)
{
    if (const auto why = test::useTestCupsServer())
        GTEST_SKIP() << "sem o servidor CUPS de teste: " << *why;
    test::TempDir dir;
    const fs::path file = dir.file("dialogo.TXT");
    ASSERT_TRUE(test::writeFile(file, proposalFile()));
    Printed printed(file);
    const fs::path whole = dir.file("inteiro.pdf");
    ASSERT_TRUE(reportengine::writePdf(printed.document, QString::fromStdString(whole.string())).ok);
    const int pages = printed.document.pageCount();
    ASSERT_GE(pages, 3);

    struct Case {
        const char* title;
        int copies;
        int from, to;  // 0: all pages
        int expectedPages;
        int firstPage, lastPage;  // of the whole report, that each copy holds
    } cases[] = {
        {"dialogo-copias", 2, 0, 0, 2 * pages, 1, pages},
        {"dialogo-paginas", 1, 2, 3, 2, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Printed shown(file);
        reportengine::ReportPreview preview(std::move(shown.document));
        preview.setSuggestedPdfPath(QString::fromStdString(dir.file(std::string(c.title) + ".pdf").string()));
        preview.resize(900, 600);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));

        const DialogSeen seen = printThroughDialog(preview, [&](QPrintDialog& dialog) {
            if (c.copies != 1)
                retype(dialog.findChild<QSpinBox*>(QStringLiteral("copies")), c.copies);
            if (c.from > 0) {
                click(dialog.findChild<QRadioButton*>(QStringLiteral("printRange")));
                retype(dialog.findChild<QSpinBox*>(QStringLiteral("to")), c.to);
                retype(dialog.findChild<QSpinBox*>(QStringLiteral("from")), c.from);
            }
        });
        ASSERT_TRUE(seen.opened);
        EXPECT_EQ(seen.layout.pageSize().id(), QPageSize::A4);
        EXPECT_EQ(seen.layout.orientation(), QPageLayout::Landscape);
        EXPECT_EQ(seen.copies, 1);

        const fs::path out = test::waitForPrintedPdf("ofertix-pdf", c.title);
        ASSERT_FALSE(out.empty());
        ASSERT_EQ(test::pdfFacts(out).pages, c.expectedPages);
        const std::string expected = test::pdfText(whole, c.firstPage, c.lastPage);
        const int each = c.lastPage - c.firstPage + 1;
        for (int copy = 0; copy < c.copies; ++copy)
            EXPECT_TRUE(test::sameText(test::pdfText(out, copy * each + 1, (copy + 1) * each), expected))
                << "cópia " << copy + 1;
    }
}
