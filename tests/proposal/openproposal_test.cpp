// The open proposal's rules without a window: the checks before saving in the order a window
// shows them, and the save with the rename after the document.
#include "proposal/openproposal.h"

#include "proposal/document.h"
#include "proposalfiles.h"
#include "testsupport.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace ofx;
using proposal::OpenProposal;
using proposal::SaveCheck;
namespace fs = std::filesystem;

using namespace test::files;

std::string file(const Participant& p, const std::string& body) { return proposalFile(p, body); }

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// The checks a window would show, in order, stopping at a refusal (all questions answered Yes);
// each as its kind's letter and its text.
std::vector<std::string> walk(OpenProposal& open, const proposal::SaveFields& fields, proposal::ProcessVariables& vars)
{
    std::vector<std::string> shown;
    const auto take = [&](const std::vector<SaveCheck>& checks) {
        for (const SaveCheck& c : checks) {
            const char kind = c.kind == SaveCheck::Kind::Refusal ? (c.systemBox ? 'S' : 'R')
                              : c.kind == SaveCheck::Kind::Confirmation ? 'C'
                                                                         : 'I';
            shown.push_back(std::string(1, kind) + " " + text::cp1252ToUtf8(c.text));
            if (c.kind == SaveCheck::Kind::Refusal)
                return false;
        }
        return true;
    };
    if (take(open.checksBeforeEditingEnds(fields, vars)))
        take(open.checksAfterEditingEnds(fields, vars));
    return shown;
}

const std::string noValidity = "C A data de validade da proposta não foi informada. Deseja continuar?";
const std::string noDeadline = "C O prazo de entrega/execução não foi informado. Deseja continuar?";
const std::string noValue =
    "I Existe(m) item(s) sem valor(es). \rO não preenchimento do valor unitário do item ocasionará a "
    "desclassificação do licitante no mesmo.\rDeseja continuar?";
const std::string noDiscount =
    "I Existe(m) item(s) sem percentual de desconto. \rO não preenchimento do percentual de desconto unitário do "
    "item ocasionará a desclassificação do licitante no mesmo.\rDeseja continuar?";

// Each case: the file, what the fields show, and the checks in the order they are shown. None
// of them writes anything.
TEST(OpenProposal, ChecksBeforeSavingInOrder)
{
    struct Case {
        const char* what;
        Participant participant;
        std::string body;
        proposal::SaveFields fields;  // dates: as the file gives them unless set
        std::vector<std::string> shown;
    };
    const std::string unpriced = itemLine("1", "", "0,0000") + itemLine("2", "", "0,0000");
    const auto body = [](std::string_view flag, const std::string& lot1, const std::string& lot2 = itemLine("3")) {
        return lotLine("1", flag) + lot1 + lotLine("2", flag) + lot2;
    };
    Participant porItem;
    porItem.avaliacao = "por Item";
    Participant porItemBlanks;
    porItemBlanks.avaliacao = " por Item ";
    Participant unregistered;
    unregistered.code = "00000000";
    unregistered.document = "00000000000000";
    const proposal::SaveFields dated{.code = "00000123", .name = "Fornecedor", .documentType = "CNPJ",
                                     .document = "11.222.333/0001-81", .validity = "30/06/2025",
                                     .deadline = "15/07/2025"};
    auto withFields = [&](auto change) {
        proposal::SaveFields f = dated;
        change(f);
        return f;
    };
    const std::string blankQuantity =
        line({"A", "1", "Item 1", "     ", "2,5000", "", "UN", "Marca", "0,0000", "0,0000", "1"});
    const Case cases[] = {
        {"all priced", {}, body("0", itemLine("1")), dated, {}},
        {"por Item skips the value question", porItem, body("0", unpriced), dated, {}},
        {"value asked once", {}, body("0", unpriced), dated, {noValue}},
        {"discount mode asks both", {}, body("1", unpriced), dated, {noValue, noDiscount}},
        {"discount mode, por Item", porItemBlanks, body("1", unpriced), dated, {noDiscount}},
        {"first unpriced line has no code", {},
         body("1", line({"A", "", "", "", "", "0,0000", "", "", "0,0000"}) + unpriced), dated, {}},
        {"no dates", porItem, body("0", itemLine("1")), withFields([](auto& f) { f.validity = f.deadline = ""; }),
         {noValidity, noDeadline}},
        {"empty total in a lot not shown", {}, body("0", itemLine("1"), itemLine("3", "2,5000", "")), dated, {noValue}},
        {"empty discount", {}, body("1", itemLine("1", "2,5000", "25,0000", "")), dated, {noDiscount}},
        {"quantity of blanks", {}, body("0", blankQuantity), dated, {noValue}},
        {"unregistered without a name", unregistered, body("0", itemLine("1")),
         withFields([](auto& f) { f.code = "00000000"; f.name = "  "; }),
         {"R O nome (social) do fornecedor deve ser informado!"}},
        {"unregistered without a type", unregistered, body("0", itemLine("1")),
         withFields([](auto& f) { f.code = " 00000000 "; f.documentType = ""; }),
         {"R O tipo do documento (CPF ou CNPJ) do fornecedor deve ser informado!"}},
        {"unregistered, document left as zeros", unregistered, body("0", itemLine("1")),
         withFields([](auto& f) { f.code = "00000000"; }),
         {"R O documento (CPF ou CNPJ) do fornecedor deve ser informado!"}},
        {"a file that did not load", {}, lotLine("1", "0", "20A5") + itemLine("1"), dated,
         {"S O formato do arquivo informado é inválido."}},
        {"a typed deadline that is no date", {}, body("0", itemLine("1")),
         withFields([](auto& f) { f.deadlineUnfit = true; }),
         {"R O prazo de entrega/execução não é uma data válida.\nInforme-o como DD/MM/AAAA."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string bytes = file(c.participant, c.body);
        const fs::path path = dir.file("p.TXT");
        test::writeFile(path, bytes);
        OpenProposal open;
        proposal::ProcessVariables vars;
        open.load(path, vars);
        EXPECT_EQ(walk(open, c.fields, vars), c.shown);
        EXPECT_EQ(test::readFile(path), bytes);
    }
}

// Saving writes where the proposal is and gives the file the document's name: the fourteen
// zeros first, then (after a corrected document) the document the first save put there. A
// document that is no stored form keeps the name and says so; a file of the new name is replaced
// only when the caller says so. Afterwards the first lot is shown again.
TEST(OpenProposal, SaveRenamesAfterTheDocument)
{
    struct Case {
        const char* what;
        const char* file;
        const char* document;
        const char* savedAs;
        bool nameKept = false;
    };
    const Case cases[] = {
        {"CNPJ", "proposta_00000000000000.TXT", "11222333000181", "proposta_11222333000181.TXT"},
        {"CPF", "proposta_00000000000000.TXT", "cpf52998224725", "proposta_cpf52998224725.TXT"},
        {"alphanumeric CNPJ", "00000000000000.TXT", "12ABC34501DE35", "12ABC34501DE35.TXT"},
        {"accented name", "licitação_00000000000000.TXT", "11222333000181", "licitação_11222333000181.TXT"},
        {"no placeholder", "proposta.TXT", "11222333000181", "proposta.TXT"},
        {"zeros in the folder only", "00000000000000/proposta.TXT", "11222333000181", "00000000000000/proposta.TXT"},
        {"document with a slash", "proposta_00000000000000.TXT", "11/22333000181", "proposta_00000000000000.TXT", true},
        {"document climbing out", "proposta_00000000000000.TXT", "../../../x1234", "proposta_00000000000000.TXT", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        Participant p;
        p.document = c.document;
        const fs::path path = dir.file(c.file);
        fs::create_directories(path.parent_path());
        test::writeFile(path, file(p, lotLine("1") + itemLine("1") + lotLine("2") + itemLine("3")));
        OpenProposal open;
        proposal::ProcessVariables vars;
        ASSERT_TRUE(open.load(path, vars).ok);
        open.resumeDisplay();
        open.move(OpenProposal::Move::Last);
        open.showLot();
        const proposal::SaveOutcome saved = open.save(vars, {}, {}, {}, {});
        ASSERT_TRUE(saved.ok) << saved.error;
        const fs::path savedAs = dir.file(c.savedAs);
        EXPECT_EQ(saved.path, savedAs);
        EXPECT_EQ(open.path(), savedAs);
        EXPECT_EQ(namesIn(savedAs.parent_path()), std::set<std::string>{savedAs.filename().string()});
        EXPECT_EQ(saved.nameKeptNote.empty(), !c.nameKept);
        EXPECT_EQ(open.lots.asInteger("NO_LOTE"), 1);
        EXPECT_EQ(open.items.filter(), "NO_LOTE = 1");
        EXPECT_TRUE(static_cast<bool>(saved.ok));
    }

    // A corrected document renames again; a file of that name is replaced only when allowed.
    test::TempDir dir;
    Participant p;
    p.document = "11222333000181";
    test::writeFile(dir.file("proposta_00000000000000.TXT"), file(p, lotLine("1") + itemLine("1")));
    test::writeFile(dir.file("proposta_11444777000161.TXT"), "outro");
    OpenProposal open;
    proposal::ProcessVariables vars;
    ASSERT_TRUE(open.load(dir.file("proposta_00000000000000.TXT"), vars).ok);
    open.resumeDisplay();
    ASSERT_TRUE(open.save(vars, {}, {}, {}, {}).ok);
    EXPECT_EQ(open.path().filename(), "proposta_11222333000181.TXT");
    vars.vCpfCnpj = "11444777000161";
    std::string asked;
    const auto refuse = [&](const std::string& name) {
        asked = name;
        return false;
    };
    ASSERT_TRUE(open.save(vars, {}, {}, {}, refuse).ok);
    EXPECT_EQ(asked, "proposta_11444777000161.TXT");
    EXPECT_EQ(open.path().filename(), "proposta_11222333000181.TXT");
    EXPECT_EQ(test::readFile(dir.file("proposta_11444777000161.TXT")), "outro");
    ASSERT_TRUE(open.save(vars, {}, {}, {}, [](const std::string&) { return true; }).ok);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta_11444777000161.TXT"});
}

}  // namespace
