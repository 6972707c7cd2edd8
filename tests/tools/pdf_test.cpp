// ofertix-tool pdf, run as a real process on files made here; the PDF is read back with
// poppler's pdftotext.
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using ofx::test::readFile;
using ofx::test::TempDir;
using ofx::test::writeFile;

struct ToolRun {
    int exit = -1;
    std::string err;
};

ToolRun run(const TempDir& dir, const std::string& arguments)
{
    const fs::path err = dir.file("stderr");
    const std::string command = "'" OFX_TOOL "' pdf " + arguments + " 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(err)};
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

std::string text(const TempDir& dir, const fs::path& pdf)
{
    const fs::path out = dir.file("texto.txt");
    const std::string command = "pdftotext -layout " + q(pdf) + " " + q(out);
    EXPECT_EQ(std::system(command.c_str()), 0);
    // One blank between words and none at line ends, so that expectations do not depend on
    // column widths.
    std::string squeezed;
    for (char c : readFile(out)) {
        const bool blank = c == ' ' || c == '\t';
        if (c == '\n' && !squeezed.empty() && squeezed.back() == ' ')
            squeezed.back() = '\n';
        else if (!blank || (!squeezed.empty() && squeezed.back() != ' ' && squeezed.back() != '\n'))
            squeezed += blank ? ' ' : c;
    }
    return squeezed;
}

// CP1252 bytes, CR LF line ends. Validity "00/00/0000": no date given in the file.
const std::string proposalFile =
    "C|00012345|Papelaria D'Ouro|12345678000195|Rua D'Ouro|0000000123|Centro|88000-000|"
    "Florian\xF3polis|SC|Menor Pre\xE7o|por Item|Sala 2|15/03/2024|09:00|14/03/2024|17:00|30 dias|"
    "Material de expediente|00/00/0000|00/00/0000|Estado de Santa Catarina|Prefeitura de "
    "Florian\xF3polis|82892282000143|Do arquivo|\r\n"
    "H|Pregao|2024|00012|00001|ESCRIT\xD3RIO||0|\r\n"
    "A|000002|Caneta azul|10,5|000000000002,0000|000000000000,0000|CX|Bic|0|0|1|\r\n"
    "A|000001|Borracha|2|000000000001,0000|000000000000,0000|UN|Mercur|0|0|2|\r\n"
    "H|Pregao|2024|00012|00002|LIMPEZA||0|\r\n"
    "A|000003|Sab\xE3o|3|000000000005,0000|000000000007,0000|UN|Ype|0|0|3|\r\n";

}  // namespace

TEST(ToolPdf, WritesTheReportAsPrintingRightAfterOpeningMakesIt)
{
    TempDir dir;
    const fs::path in = dir.file("proposta.txt"), out = dir.file("proposta.pdf");
    ASSERT_TRUE(writeFile(in, proposalFile));
    ASSERT_TRUE(writeFile(out, "antigo"));  // overwritten

    const ToolRun r = run(dir, q(in) + " " + q(out));
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string t = text(dir, out);
    // The first lot's totals are recomputed (21 + 2), the second lot's are as read (7).
    EXPECT_NE(t.find("Total por lote: R$ 23,0000"), std::string::npos) << t;
    EXPECT_NE(t.find("Total por lote: R$ 7,0000"), std::string::npos) << t;
    EXPECT_NE(t.find("Total geral: R$ 30,0000"), std::string::npos) << t;
    EXPECT_NE(t.find("Pregão 00012 / 2024"), std::string::npos);
    EXPECT_NE(t.find("Estado de Santa Catarina"), std::string::npos);
    EXPECT_NE(t.find("Observações: Do arquivo"), std::string::npos);
    EXPECT_NE(t.find("Validade:\n"), std::string::npos) << t;  // "00/00/0000": no date
    EXPECT_LT(t.find("Borracha"), t.find("Caneta"));  // by item code
}

TEST(ToolPdf, OptionsSetLetterheadOrderDatesAndObservations)
{
    TempDir dir;
    const fs::path in = dir.file("proposta.txt"), out = dir.file("proposta.pdf");
    ASSERT_TRUE(writeFile(in, proposalFile));
    const ToolRun r = run(dir, q(in) + " " + q(out) +
                                   " --timbrado --ordem DS_ITEM --validade 10/04/2024"
                                   " --prazo 20/04/2024 --obs 'Entrega em até\n10 dias'");
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string t = text(dir, out);
    EXPECT_EQ(t.find("Estado de Santa Catarina"), std::string::npos);
    EXPECT_LT(t.find("Borracha"), t.find("Caneta"));  // by description: B before C
    EXPECT_NE(t.find("Validade: 10/04/2024"), std::string::npos);
    EXPECT_NE(t.find("Prazo de entrega: 20/04/2024"), std::string::npos);
    EXPECT_NE(t.find("Observações: Entrega em até 10 dias"), std::string::npos) << t;
}

TEST(ToolPdf, RefusesFilesThatDoNotLoadAndBadArguments)
{
    TempDir dir;
    const fs::path in = dir.file("proposta.txt"), out = dir.file("proposta.pdf");
    ASSERT_TRUE(writeFile(in, "A|000001|Item sem lote|1|1|1|UN||0|0|1|\r\n"));
    ASSERT_TRUE(writeFile(out, "antigo"));
    ToolRun r = run(dir, q(in) + " " + q(out));
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err.rfind("O formato do arquivo informado é inválido. Erro: ", 0), 0u) << r.err;
    EXPECT_EQ(readFile(out), "antigo");

    ASSERT_TRUE(writeFile(in, proposalFile));
    struct Case {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--ordem NO_LOTE", "a ordem deve ser CD_ITEM, CD_LCTO ou DS_ITEM"},
        {"--validade 31/02/2024", "data inválida em --validade"},
        {"--prazo", "falta o valor de --prazo"},
        {"--cor azul", "opção desconhecida: --cor"},
    };
    for (const Case& c : cases) {
        r = run(dir, q(in) + " " + q(out) + " " + c.arguments);
        EXPECT_EQ(r.exit, 2) << c.arguments;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    r = run(dir, q(in));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("informe o arquivo da proposta e o arquivo PDF"), std::string::npos);
    EXPECT_EQ(readFile(out), "antigo");
}
