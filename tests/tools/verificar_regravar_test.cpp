// ofertix-tool verificar and regravar, run as real processes on files made here.
#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/loader.h"
#include "proposal/tables.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using ofx::test::readFile;
using ofx::test::TempDir;
using ofx::test::writeFile;

struct ToolRun {
    int exit = -1;
    std::string out, err;
};

ToolRun run(const TempDir& dir, const std::string& arguments)
{
    const fs::path out = dir.file("stdout"), err = dir.file("stderr");
    const std::string command = "'" OFX_TOOL "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    ToolRun r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string crlf(std::initializer_list<std::string_view> ls)
{
    std::string out;
    for (std::string_view l : ls) {
        out += l;
        out += "\r\n";
    }
    return out;
}

const std::string participantLine =
    "C|00000000|Fornecedor Exemplo|00000000000000|Rua das Flores|12|Centro|88000-000|Florian\xF3polis|SC|"
    "Menor pre\xE7o|Global|Sala de licita\xE7\xF5" "es|01/03/2025|09:00|28/02/2025|18:00|30 dias|Aquisi\xE7\xE3o de "
    "material|15/03/2025|20/03/2025|Santa Catarina|Florian\xF3polis|82892282000143|Entregar na sede|";

const std::string typicalFile = crlf({
    participantLine,
    "H|Preg\xE3o|2025|12|1|Material de escrit\xF3rio|Entrega parcelada|0|",
    "A|2|Caneta esferogr\xE1" "fica|1.500,5|2,5|3751,25|UN|Bic|7,5|1|7|",
    "A|1|Papel A4 \"75 g\"|10|||RESMA||||8|",
    "H|Preg\xE3o|2025|12|2|Limpeza||0|",
    "A|3|Detergente|3|1,99|5,97|FR|||0,5|9|",
});

QJsonObject parse(const std::string& json)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << json;
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

std::string str(const QJsonValue& v) { return v.toString().toStdString(); }

TEST(Verificar, Summary)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("p.TXT"), typicalFile));
    const ToolRun r = run(dir, "verificar " + quoted(dir.file("p.TXT")));
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "O arquivo foi carregado.\nLotes: 2\nItens: 3\nParticipante: 00000000 - Fornecedor Exemplo\n"
                     "Documento: não informado\nModo: preço\n");
    EXPECT_EQ(r.err, "");
}

TEST(Verificar, JsonHoldsTablesAndVariables)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("p.TXT"), typicalFile));
    const ToolRun r = run(dir, "verificar --json " + quoted(dir.file("p.TXT")));
    ASSERT_EQ(r.exit, 0) << r.err;
    const QJsonObject o = parse(r.out);
    EXPECT_EQ(str(o["modo"]), "preco");

    const QJsonObject v = o["variaveis"].toObject();
    EXPECT_EQ(v.size(), 32 + 3);
    EXPECT_EQ(str(v["vCidade"]), "Florianópolis");
    EXPECT_EQ(str(v["vCriterio"]), "Menor preço");
    EXPECT_EQ(str(v["vTipoDocumento"]), "CNPJ");
    EXPECT_EQ(str(v["vCpfCnpjFormatado"]), "");
    EXPECT_EQ(str(v["vNoLote"]), "2");
    EXPECT_EQ(str(v["mmObs"]), "Entregar na sede");
    EXPECT_EQ(str(v["edtValidade"]), "15/03/2025");
    EXPECT_EQ(str(v["edtProposta"]), "20/03/2025");

    const QJsonArray lots = o["lotes"].toArray();
    ASSERT_EQ(lots.size(), 2);
    EXPECT_EQ(lots[0].toObject().size(), 11);
    EXPECT_EQ(str(lots[0]["DS_LOTE"]), "Material de escritório");
    EXPECT_EQ(lots[0]["AA_LICITACAO"].toInt(), 2025);
    EXPECT_TRUE(lots[1]["MM_DESCRICAO"].isNull());
    EXPECT_TRUE(lots[1]["DT_ENTREGA"].isNull());

    const QJsonArray items = o["itens"].toArray();  // all lots, by CD_ITEM
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].toObject().size(), 15);
    EXPECT_EQ(items[0]["CD_ITEM"].toInt(), 1);
    EXPECT_EQ(str(items[0]["DS_ITEM"]), "Papel A4 \"75 g\"");
    EXPECT_TRUE(items[0]["VL_UNITARIO"].isNull());
    EXPECT_TRUE(items[0]["DS_MARCA"].isNull());
    EXPECT_EQ(str(items[1]["QT_ITEM"]), "1.500,5");  // held as the file's text
    EXPECT_TRUE(items[1]["VL_TOTAL"].isDouble());
    EXPECT_DOUBLE_EQ(items[1]["VL_TOTAL"].toDouble(), 3751.25);
    EXPECT_DOUBLE_EQ(items[2]["VL_UNITARIO"].toDouble(), 1.99);
    EXPECT_EQ(items[2]["NO_LOTE"].toInt(), 2);
    EXPECT_EQ(items[2]["CD_LCTO"].toInt(), 9);
}

// The exchange file's edge cases as the command sees them.
TEST(Verificar, EdgeCasesOfTheFormat)
{
    const std::string lot = "H|M|2025|1|4|Lote||0|";
    struct Case {
        const char* name;
        std::string file;
        std::function<void(const QJsonObject&)> check;
    };
    const Case cases[] = {
        {"line without bars is an item with empty fields",
         crlf({lot, "", "sem barras", "A|1|x|1|||||||"}),
         [](const QJsonObject& o) {
             const QJsonArray items = o["itens"].toArray();
             ASSERT_EQ(items.size(), 3);
             for (int i : {0, 1}) {  // empty codes first, in reading order
                 EXPECT_TRUE(items[i]["CD_ITEM"].isNull());
                 EXPECT_TRUE(items[i]["DS_ITEM"].isNull());
                 EXPECT_EQ(items[i]["NO_LOTE"].toInt(), 4);
             }
         }},
        {"lower-case kinds are items", crlf({lot, "h|1|um|", "c|2|dois|"}),
         [](const QJsonObject& o) {
             EXPECT_EQ(o["lotes"].toArray().size(), 1);
             EXPECT_EQ(str(o["itens"].toArray().at(1)["DS_ITEM"]), "dois");
             EXPECT_EQ(str(o["variaveis"]["vCdFornecedor"]), "");
         }},
        {"byte-order mark makes the first line an item",
         "\xEF\xBB\xBF" + crlf({"C|00000001|Nome|12345678000195|", lot}),
         [](const QJsonObject& o) {
             EXPECT_EQ(str(o["variaveis"]["vNmFornecedor"]), "");
             EXPECT_EQ(o["itens"].toArray().size(), 1);
         }},
        {"items before the first lot belong to no lot", crlf({"A|1|antes|1|||||||", lot}),
         [](const QJsonObject& o) { EXPECT_TRUE(o["itens"].toArray().at(0)["NO_LOTE"].isNull()); }},
        {"second participant line replaces the first",
         crlf({participantLine, lot, "C|00000007|Outro|cpf52998224725|"}),
         [](const QJsonObject& o) {
             const QJsonObject v = o["variaveis"].toObject();
             EXPECT_EQ(str(v["vNmFornecedor"]), "Outro");
             EXPECT_EQ(str(v["vTipoDocumento"]), "CPF");
             EXPECT_EQ(str(v["vCpfCnpjFormatado"]), "529.982.247-25");
             EXPECT_EQ(str(v["vCidade"]), "");
             EXPECT_EQ(str(v["mmObs"]), "");
             EXPECT_EQ(str(v["edtValidade"]), "");
         }},
        {"short lines give empty fields", crlf({"H|M|2025|1|5|", "H|M|2025"}),
         [](const QJsonObject& o) {
             const QJsonArray lots = o["lotes"].toArray();
             ASSERT_EQ(lots.size(), 2);
             EXPECT_EQ(lots[0]["NO_LOTE"].toInt(), 5);
             EXPECT_TRUE(lots[0]["DS_LOTE"].isNull());
             EXPECT_EQ(str(lots[1]["TP_MODALIDADE"]), "M");
             EXPECT_TRUE(lots[1]["AA_LICITACAO"].isNull());  // "2025" lacks its closing bar
         }},
        {"first lot without number is only refused when it is the first", crlf({"H|M|2025|1|4|L||0|", "H|M|2025|1||L||0|"}),
         [](const QJsonObject& o) { EXPECT_TRUE(o["lotes"].toArray().at(1)["NO_LOTE"].isNull()); }},
        {"LF ends, lone CR dropped, Ctrl-Z ends the data", lot + "\nA|1|a\rb|1|||||||\nA|2|c|\x1A" "A|3|d|\r\n",
         [](const QJsonObject& o) {
             const QJsonArray items = o["itens"].toArray();
             ASSERT_EQ(items.size(), 2);
             EXPECT_EQ(str(items[0]["DS_ITEM"]), "ab");
             EXPECT_EQ(str(items[1]["DS_ITEM"]), "c");
         }},
        {"discount mode from the last lot line", crlf({"H|M|2025|1|1|L||0|", "H|M|2025|1|2|L||1|"}),
         [](const QJsonObject& o) { EXPECT_EQ(str(o["modo"]), "desconto"); }},
        {"control characters are escaped", crlf({"H|M|2025|1|1|L\tT\x01||0|"}),
         [](const QJsonObject& o) { EXPECT_EQ(str(o["lotes"].toArray().at(0)["DS_LOTE"]), "L\tT\x01"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(writeFile(dir.file("p.TXT"), c.file));
        const ToolRun r = run(dir, "verificar --json " + quoted(dir.file("p.TXT")));
        ASSERT_EQ(r.exit, 0) << r.err;
        c.check(parse(r.out));
    }
}

TEST(Verificar, InvalidFiles)
{
    const std::string prefix = "O formato do arquivo informado é inválido. Erro: ";
    struct Case {
        const char* name;
        std::string file;
        std::string firstLine;
    };
    const Case cases[] = {
        {"only item lines", crlf({"A|1|a|1|||||||"}), prefix + "O arquivo não tem nenhuma linha de lote (H)."},
        {"first lot without number", crlf({"H|M|2025|1||L||0|"}), prefix + "O primeiro lote do arquivo não tem número."},
        {"year with a letter", crlf({"H|M|20A5|1|1|L||0|"}), prefix + "\"20A5\" não é um número inteiro válido"},
        {"value in the CP1252 text named in UTF-8", crlf({"H|M|2025|1|1|L||0|", "A|1|a|1|1,5\xAA||||||"}),
         prefix + "\"1,5ª\" não é um número decimal válido"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ASSERT_TRUE(writeFile(dir.file("p.TXT"), c.file));
        const ToolRun r = run(dir, "verificar --json " + quoted(dir.file("p.TXT")));
        EXPECT_EQ(r.exit, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine) << c.name;
    }
    TempDir dir;
    const ToolRun missing = run(dir, "verificar " + quoted(dir.file("nao_existe.TXT")));
    EXPECT_EQ(missing.exit, 1);
    EXPECT_EQ(missing.err.rfind(prefix + "Não foi possível abrir o arquivo", 0), 0u) << missing.err;
    EXPECT_EQ(run(dir, "verificar").exit, 2);
    EXPECT_EQ(run(dir, "verificar a b").exit, 2);
}

// What saving writes for the loaded file, made in this process.
std::string savedBytes(const std::string& file)
{
    ofx::data::MemTable lots, items;
    ofx::proposal::createLotsTable(lots);
    ofx::proposal::createItemsTable(items);
    ofx::proposal::ProcessVariables vars;
    std::istringstream in(file);
    const ofx::proposal::LoadResult loaded = ofx::proposal::loadProposal(in, lots, items, vars);
    EXPECT_TRUE(loaded.ok) << loaded.message;
    std::ostringstream out;
    ofx::proposal::StreamSink sink(out);
    const auto written = ofx::proposal::writeProposal(sink, lots, items, vars,
                                                      {loaded.validityText, loaded.deadlineText, loaded.observations});
    EXPECT_TRUE(written.ok) << written.error;
    return out.str();
}

TEST(Regravar, WritesAsSavingWrites)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("p.TXT"), typicalFile));
    const ToolRun r = run(dir, "regravar " + quoted(dir.file("p.TXT")) + " " + quoted(dir.file("saida.TXT")));
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string written = readFile(dir.file("saida.TXT"));
    EXPECT_EQ(written, savedBytes(typicalFile));
    EXPECT_EQ(written.substr(0, 11), "C|00000000|");
    // The rewritten file rewrites to itself.
    const ToolRun again = run(dir, "regravar " + quoted(dir.file("saida.TXT")) + " " + quoted(dir.file("saida2.TXT")));
    ASSERT_EQ(again.exit, 0) << again.err;
    EXPECT_EQ(readFile(dir.file("saida2.TXT")), written);
}

// regravar saves as the window does: an output that is a link gets the file it points to replaced.
TEST(Regravar, WritesThroughALink)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("p.TXT"), typicalFile));
    fs::create_directory(dir.file("real"));
    ASSERT_TRUE(writeFile(dir.file("real/saida.TXT"), "anterior"));
    fs::create_symlink("real/saida.TXT", dir.file("saida.TXT"));
    const ToolRun r = run(dir, "regravar " + quoted(dir.file("p.TXT")) + " " + quoted(dir.file("saida.TXT")));
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("saida.TXT"))));
    EXPECT_EQ(readFile(dir.file("real/saida.TXT")), savedBytes(typicalFile));
}

TEST(Regravar, FailuresLeaveTheOutputAlone)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("invalido.TXT"), crlf({"A|1|a|1|||||||"})));
    const ToolRun invalid = run(dir, "regravar " + quoted(dir.file("invalido.TXT")) + " " + quoted(dir.file("saida.TXT")));
    EXPECT_EQ(invalid.exit, 1);
    EXPECT_EQ(invalid.err.rfind("O formato do arquivo informado é inválido. Erro: ", 0), 0u) << invalid.err;
    EXPECT_FALSE(fs::exists(dir.file("saida.TXT")));

    ASSERT_TRUE(writeFile(dir.file("letras.TXT"), crlf({"H|M|2025|1|3|L||0|", "A|12|a|doze|||||||"})));
    ASSERT_TRUE(writeFile(dir.file("saida.TXT"), "anterior"));
    const ToolRun letters = run(dir, "regravar " + quoted(dir.file("letras.TXT")) + " " + quoted(dir.file("saida.TXT")));
    EXPECT_EQ(letters.exit, 1);
    EXPECT_EQ(letters.err, "Não é possível gravar a proposta: a quantidade \"doze\" do item 12 do lote 3 não é um número.\n");
    EXPECT_EQ(readFile(dir.file("saida.TXT")), "anterior");

    EXPECT_EQ(run(dir, "regravar " + quoted(dir.file("letras.TXT"))).exit, 2);
}

}  // namespace
