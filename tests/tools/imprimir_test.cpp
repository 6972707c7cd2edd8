// ofertix-tool imprimir, run as a real process against the private CUPS daemon: what its PDF
// printers write is read back and compared with what the pdf command writes for the same file
// and options.
#include "cupssupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using ofx::test::pdfFacts;
using ofx::test::pdfText;
using ofx::test::readFile;
using ofx::test::sameText;
using ofx::test::TempDir;
using ofx::test::waitForPrintedPdf;
using ofx::test::writeFile;

#define SKIP_WITHOUT_CUPS()                                                   \
    if (const auto why = ofx::test::useTestCupsServer())                      \
        GTEST_SKIP() << "sem o servidor CUPS de teste: " << *why

struct ToolRun {
    int exit = -1;
    std::string err;
};

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

ToolRun tool(const TempDir& dir, const std::string& arguments)
{
    const fs::path err = dir.file("stderr");
    const int status = std::system(("'" OFX_TOOL "' " + arguments + " 2>" + q(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(err)};
}

// A bidding process of three lots of a hundred items each, some descriptions on two lines.
std::string threeHundredItems()
{
    std::string file =
        "C|00000000|Fornecedor de Teste|00000000000000|Rua A|0000000010|Centro|88000-000|Lages|SC|"
        "Menor Pre\xE7o|por Item|Sala 1|15/03/2024|09:00|14/03/2024|17:00|30 dias|Material|"
        "00/00/0000|00/00/0000|Estado de Santa Catarina|Prefeitura de Lages|82892282000143||\r\n";
    char line[256];
    for (int lot = 1; lot <= 3; ++lot) {
        std::snprintf(line, sizeof line, "H|Pregao|2024|00077|%05d|LOTE %d||0|\r\n", lot, lot);
        file += line;
        for (int i = 1; i <= 100; ++i) {
            const int code = (lot - 1) * 100 + i;
            std::snprintf(line, sizeof line,
                          "A|%06d|Item %d%s|%d|000000000001,5000|000000000000,0000|UN|Marca %d|0|0|%d|\r\n",
                          code, code,
                          code % 7 == 0 ? ", descri\xE7\xE3o longa que ocupa mais de uma linha na coluna do relat\xF3rio" : "",
                          code, code, code);
            file += line;
        }
    }
    return file;
}

}  // namespace

// The printed PDF has the pdf command's pages and text, on A4 in landscape (or a landscape page
// laid sideways on a portrait A4 sheet), on the default printer, on a named one, and on a printer
// whose 15 mm hardware margins refuse the report's full page.
TEST(ToolImprimir, PrintsThePdfCommandsReportOnA4Landscape)
{
    SKIP_WITHOUT_CUPS();
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("exemplo.TXT"), readFile(OFX_EXAMPLE)));
    ASSERT_TRUE(writeFile(dir.file("trezentos.TXT"), threeHundredItems()));
    struct Case {
        const char* file;
        const char* printer;  // "" for the default one
        const char* options;
    } cases[] = {
        {"exemplo.TXT", "", ""},
        {"exemplo.TXT", "ofertix-margens", "--timbrado --ordem DS_ITEM --validade 10/04/2024 --obs 'Sem frete'"},
        {"trezentos.TXT", "ofertix-pdf", ""},
        {"trezentos.TXT", "ofertix-margens", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.printer + " " + c.options);
        // Each job under a name of its own, as the printer names its file after the job.
        const std::string title = "impresso-" + std::to_string(++n) + "-" + c.file;
        fs::copy_file(dir.file(c.file), dir.file(title));
        const fs::path reference = dir.file(title + ".pdf");
        ToolRun r = tool(dir, "pdf " + q(dir.file(title)) + " " + q(reference) + " " + c.options);
        ASSERT_EQ(r.exit, 0) << r.err;

        const std::string printer = *c.printer ? c.printer : "ofertix-pdf";
        r = tool(dir, "imprimir " + q(dir.file(title)) + " " + c.options +
                          (*c.printer ? std::string(" --impressora ") + c.printer : std::string()));
        ASSERT_EQ(r.exit, 0) << r.err;
        const fs::path printed = waitForPrintedPdf(printer, title);
        ASSERT_FALSE(printed.empty());

        const auto facts = pdfFacts(printed), expected = pdfFacts(reference);
        EXPECT_GT(expected.pages, c.file == std::string("trezentos.TXT") ? 5 : 1);
        EXPECT_EQ(facts.pages, expected.pages);
        EXPECT_NEAR(std::max(facts.width, facts.height), 842, 1);  // A4
        EXPECT_NEAR(std::min(facts.width, facts.height), 595, 1);
        EXPECT_TRUE(facts.textAlongLongSide);
        EXPECT_TRUE(sameText(pdfText(printed), pdfText(reference)));
    }
}

// Every word of a page printed on the printer with 15 mm (42.5 pt) hardware margins lies
// inside its printable area.
TEST(ToolImprimir, KeepsTheReportInsideThePrintableArea)
{
    SKIP_WITHOUT_CUPS();
    TempDir dir;
    const fs::path in = dir.file("margens.TXT");
    ASSERT_TRUE(writeFile(in, readFile(OFX_EXAMPLE)));
    ToolRun r = tool(dir, "imprimir " + q(in) + " --impressora ofertix-margens");
    ASSERT_EQ(r.exit, 0) << r.err;
    const fs::path printed = waitForPrintedPdf("ofertix-margens", "margens.TXT");
    ASSERT_FALSE(printed.empty());
    const auto facts = pdfFacts(printed);
    const std::string boxes =
        ofx::test::shellOutput("pdftotext -bbox " + q(printed) + " - | grep '<word'");
    ASSERT_FALSE(boxes.empty());
    double xMin = 1e9, yMin = 1e9, xMax = 0, yMax = 0;
    for (size_t at = 0; (at = boxes.find("<word", at)) != std::string::npos; ++at) {
        double a, b, c, d;
        ASSERT_EQ(std::sscanf(boxes.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"",
                              &a, &b, &c, &d), 4);
        xMin = std::min(xMin, a), yMin = std::min(yMin, b), xMax = std::max(xMax, c), yMax = std::max(yMax, d);
    }
    EXPECT_GE(xMin, 42.5);
    EXPECT_GE(yMin, 42.5);
    EXPECT_LE(xMax, facts.width - 42.5);
    EXPECT_LE(yMax, facts.height - 42.5);
}

TEST(ToolImprimir, TwoCopiesGiveTheReportTwice)
{
    SKIP_WITHOUT_CUPS();
    TempDir dir;
    const fs::path in = dir.file("copias.TXT");
    ASSERT_TRUE(writeFile(in, readFile(OFX_EXAMPLE)));
    ToolRun r = tool(dir, "pdf " + q(in) + " " + q(dir.file("copias.pdf")));
    ASSERT_EQ(r.exit, 0) << r.err;
    r = tool(dir, "imprimir " + q(in) + " --copias 2");
    ASSERT_EQ(r.exit, 0) << r.err;
    const fs::path printed = waitForPrintedPdf("ofertix-pdf", "copias.TXT");
    ASSERT_FALSE(printed.empty());
    const int pages = pdfFacts(dir.file("copias.pdf")).pages;
    ASSERT_EQ(pdfFacts(printed).pages, 2 * pages);
    const std::string one = pdfText(dir.file("copias.pdf"));
    EXPECT_TRUE(sameText(pdfText(printed, 1, pages), one));
    EXPECT_TRUE(sameText(pdfText(printed, pages + 1), one));
}

TEST(ToolImprimir, RefusesMissingPrintersFilesThatDoNotLoadAndBadUsage)
{
    SKIP_WITHOUT_CUPS();
    TempDir dir;
    const fs::path in = dir.file("proposta.TXT");
    ASSERT_TRUE(writeFile(in, readFile(OFX_EXAMPLE)));
    struct Case {
        std::string arguments;
        int exit;
        const char* message;
    } cases[] = {
        {q(in) + " --impressora nenhuma", 1, "ofertix-tool imprimir: a impressora \"nenhuma\" não existe."},
        {q(in) + " --impressora ofertix-recusa", 1, "impressora \"ofertix-recusa\" não aceitou o trabalho"},
        {q(dir.file("falta.TXT")), 1, ""},
        {q(in) + " --copias 0", 2, "o número de cópias deve ser de 1 a 999, não \"0\"."},
        {q(in) + " --copias 2x", 2, "o número de cópias deve ser de 1 a 999"},
        {q(in) + " --impressora", 2, "falta o valor de --impressora."},
        {q(in) + " --ordem NO_LOTE", 2, "a ordem deve ser CD_ITEM, CD_LCTO ou DS_ITEM"},
        {q(in) + " " + q(in), 2, "informe um único arquivo de proposta."},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(dir, "imprimir " + c.arguments);
        EXPECT_EQ(r.exit, c.exit) << c.arguments << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(r.err.empty()) << c.arguments;
    }

    // No printing system at all.
    const std::string none = "CUPS_SERVER=" + dir.file("sem-cups.sock").string() + " ";
    const fs::path err = dir.file("stderr");
    const int status = std::system((none + "'" OFX_TOOL "' imprimir " + q(in) + " 2>" + q(err)).c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(readFile(err), "ofertix-tool imprimir: não há nenhuma impressora instalada.\n");
}
