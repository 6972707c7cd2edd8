// Loading exchange files into the tables and the process variables.
#include "proposal/loader.h"

#include "proposalfixture.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ofx::proposal;
using ofx::data::TableState;
using ofx::test::blanks;
using ofx::test::lines;
using ofx::test::Proposal;

const std::string invalidPrefix = "O formato do arquivo informado \xE9 inv\xE1lido. Erro: ";

std::string participant(std::string_view code, std::string_view document, std::string_view validity = "00/00/0000",
                        std::string_view deadline = "")
{
    return "C|" + std::string(code) + "|Nome   |" + std::string(document)
           + "|Rua|10|Bairro|88000-000|Cidade|SC|Crit|por Item|Local|01/01/2025|09:00|02/01/2025|10:00|Pagto|Objeto|"
           + std::string(validity) + "|" + std::string(deadline) + "|Estado|CidadeUG|11222333000181|Observa\xE7\xF5" "es|";
}

TEST(Loader, LoadsLotsItemsAndShowsTheFirstLot)
{
    Proposal p;
    const LoadResult r = p.load(lines({
        participant("00000000", "00000000000000"),
        "H|Preg\xE3o|2025|7|00002|Lote dois|obs|0|",
        "A|3|c|1|||||||",
        "A|1|a|2|||||||",
        "H|Preg\xE3o|2025|7|1|Lote um||0|",
        "A|2|b|3|1,5|4,5|UN|Marca|2,5|0,1|9|",
    }));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(p.lots.recordCount(), 2);
    EXPECT_EQ(p.lots.position(), 0);
    EXPECT_EQ(p.lots.asInteger(field::NO_LOTE), 2);
    // the items of the first lot (lot number "00002" matches 2), by code, the first in edit state
    EXPECT_EQ(p.items.filter(), "NO_LOTE = 2");
    EXPECT_TRUE(p.items.filtered());
    EXPECT_EQ(p.items.recordCount(), 2);
    EXPECT_EQ(p.items.asInteger(field::CD_ITEM), 1);
    EXPECT_EQ(p.items.state(), TableState::Edit);
    EXPECT_EQ(p.allItemCount(), 3);
    // item rows take the lot values of the lot line before them
    EXPECT_EQ(p.items.asText(field::TP_MODALIDADE), "Preg\xE3o");
    EXPECT_EQ(p.items.asInteger(field::AA_LICITACAO), 2025);
    EXPECT_EQ(p.items.asText(field::DS_LOTE), "Lote dois");
    // process variables hold the last lot line
    EXPECT_EQ(p.vars.vNoLote, "1");
    EXPECT_EQ(p.vars.vDsLote, "Lote um");
    EXPECT_EQ(p.vars.vAvaliacao, "por Item");
    EXPECT_EQ(p.vars.vUgCNPJ, "11222333000181");
    // values stored as read: nothing computed, quantity kept as text
    p.items.setFilter(lotFilter("1"));
    EXPECT_EQ(p.items.asText(field::QT_ITEM), "3");
    EXPECT_DOUBLE_EQ(p.items.asDecimal(field::VL_TOTAL), 4.5);
    EXPECT_DOUBLE_EQ(p.items.asDecimal(field::PERC_DESC), 2.5);
    EXPECT_EQ(p.items.asInteger(field::CD_LCTO), 9);
    EXPECT_TRUE(p.lots.isNull(field::CD_FORNECEDOR));
    EXPECT_TRUE(p.lots.isNull(field::DT_ENTREGA));
}

TEST(Loader, ParticipantPanelState)
{
    struct Case {
        const char* name;
        const char* code;
        const char* document;
        bool address, identity;
        const char* type;
        const char* display;
        const char* mask;
    };
    const char* cnpj = "AA.AAA.AAA/AAAA-99;1;_";
    const char* cpf = "999.999.999-99;1;_";
    const Case cases[] = {
        {"unregistered, no document: all editable", "00000000", "00000000000000", true, true, "CNPJ", "", cnpj},
        {"registered with a CNPJ: all locked", "00001234", "12345678000195", false, false, "CNPJ", "12.345.678/0001-95", cnpj},
        {"registered without document", "00001234", "00000000000000", false, true, "CNPJ", "", cnpj},
        {"CPF", "00000000", "cpf12345678909", true, false, "CPF", "123.456.789-09", cpf},
        {"cpf anywhere; digits from position 4", "00001234", "12cpf345678901", false, false, "CPF", "pf3.456.789-01", cpf},
        {"short document gives short pieces", "00001234", "123", false, false, "CNPJ", "12.3./-", cnpj},
        {"code compared exactly", " 0000000", "00000000000000", false, true, "CNPJ", "", cnpj},
    };
    for (const Case& c : cases) {
        Proposal p;
        const LoadResult r = p.load(lines({participant(c.code, c.document), "H|M|2025|1|1|L||0|"}));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.message;
        EXPECT_TRUE(r.participantRead) << c.name;
        EXPECT_EQ(r.addressFieldsEnabled, c.address) << c.name;
        EXPECT_EQ(r.identityFieldsEnabled, c.identity) << c.name;
        EXPECT_EQ(p.vars.vTipoDocumento, c.type) << c.name;
        EXPECT_EQ(p.vars.vCpfCnpjFormatado, c.display) << c.name;
        EXPECT_EQ(r.documentMask, c.mask) << c.name;
        EXPECT_EQ(p.vars.vCpfCnpj, c.document) << c.name;
        EXPECT_EQ(p.vars.vNmFornecedor, "Nome   ") << c.name;  // blanks kept in the variable
    }
}

TEST(Loader, ProposalDates)
{
    struct Case {
        const char* name;
        const char* validity;
        const char* deadline;
        const char* wantValidity;
        const char* wantDeadline;
    };
    const Case cases[] = {
        {"placeholder empties both", "00/00/0000", "10/03/2025", "", ""},
        {"given validity fills both", "15/03/2025", "10/03/2025", "15/03/2025", "10/03/2025"},
        {"only the validity is compared", "15/03/2025", "00/00/0000", "15/03/2025", "00/00/0000"},
        {"empty validity", "", "10/03/2025", "", "10/03/2025"},
    };
    for (const Case& c : cases) {
        Proposal p;
        const LoadResult r = p.load(lines({participant("1", "2", c.validity, c.deadline), "H|M|2025|1|1|L||0|"}));
        ASSERT_TRUE(r.ok) << c.name;
        EXPECT_EQ(r.validityText, c.wantValidity) << c.name;
        EXPECT_EQ(r.deadlineText, c.wantDeadline) << c.name;
        EXPECT_EQ(p.vars.vDtValidade, c.validity) << c.name;
        EXPECT_EQ(r.observations, "Observa\xE7\xF5" "es") << c.name;
    }
}

TEST(Loader, SecondParticipantLineReplacesEverything)
{
    Proposal p;
    const LoadResult r = p.load(lines({participant("00000000", "00000000000000", "15/03/2025", "10/03/2025"),
                                       "H|M|2025|1|1|L||0|", "C|00001234|Outro|cpf12345678909|"}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(p.vars.vNmFornecedor, "Outro");
    EXPECT_EQ(p.vars.vEndereco, "");
    EXPECT_EQ(p.vars.vAvaliacao, "");
    EXPECT_EQ(r.observations, "");
    EXPECT_EQ(r.validityText, "");  // the short line's validity is empty, not the placeholder
    EXPECT_EQ(r.deadlineText, "");
    EXPECT_FALSE(r.addressFieldsEnabled);
    EXPECT_FALSE(r.identityFieldsEnabled);
    EXPECT_EQ(r.documentMask, "999.999.999-99;1;_");
}

TEST(Loader, LinesThatAreItemLines)
{
    Proposal p;
    const LoadResult r = p.load("\xEF\xBB\xBF" "C|00001234|Nome|12345678000195|\r\n"
                                "H|M|2025|1|4|L||0|\r\n"
                                "\r\n"              // empty line
                                "h|1|x|1|||||||\r\n"  // lower-case kinds
                                "c|2|y|1|||||||\n"
                                "A|3|short\r\n"     // short line
                                "A|4|z\rz|1|||||||");  // lone CR, no final line end
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_FALSE(r.participantRead);  // the byte-order mark makes the first line an item
    EXPECT_EQ(p.vars.vNmFornecedor, "");
    EXPECT_EQ(p.allItemCount(), 6);
    EXPECT_EQ(p.items.recordCount(), 5);  // the BOM line came before the lot: no lot number
    ofx::data::MemTable view;
    view.cloneCursor(p.items);
    view.setIndexFieldNames("CD_ITEM");
    view.open();
    const int description = view.fieldIndex(field::DS_ITEM);
    const int lot = view.fieldIndex(field::NO_LOTE);
    // by code, nulls first: the empty line (lot 4), codes 1-4, then the BOM line (no lot)
    EXPECT_EQ(view.textAt(0, lot), "4");
    EXPECT_EQ(view.textAt(0, description), "");
    EXPECT_EQ(view.textAt(1, description), "x");
    EXPECT_EQ(view.textAt(2, description), "y");
    EXPECT_EQ(view.textAt(3, description), "");  // "A|3|short": no bar after the description
    EXPECT_EQ(view.textAt(4, description), "zz");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(view.valueAt(5, lot)));
    EXPECT_EQ(view.textAt(5, description), "Nome");
}

TEST(Loader, ItemsBeforeTheFirstLotTakeTheVariablesLotValues)
{
    Proposal p;
    p.vars.vNoLote = "8";  // left by a file loaded before in this run
    p.vars.vTpModalidade = "Convite";
    ASSERT_TRUE(p.load(lines({"A|1|antes|1|||||||", "H|M|2025|1|8|L||0|", "A|2|depois|1|||||||"})).ok);
    EXPECT_EQ(p.items.recordCount(), 2);
    EXPECT_EQ(p.items.asText(field::TP_MODALIDADE), "Convite");
    EXPECT_EQ(p.items.asText(field::DS_ITEM), "antes");

    Proposal fresh;
    ASSERT_TRUE(fresh.load(lines({"A|1|antes|1|||||||", "H|M|2025|1|8|L||0|", "A|2|depois|1|||||||"})).ok);
    EXPECT_EQ(fresh.items.recordCount(), 1);
    EXPECT_EQ(fresh.allItemCount(), 2);
}

TEST(Loader, PricingModeFollowsTheLastLotLine)
{
    Proposal discount;
    EXPECT_EQ(discount.load(lines({"H|M|2025|1|1|L||0|", "H|M|2025|1|2|L||1|"})).pricingMode, PricingMode::Discount);
    Proposal price;
    EXPECT_EQ(price.load(lines({"H|M|2025|1|1|L||1|", "H|M|2025|1|2|L||0|"})).pricingMode, PricingMode::Price);
    Proposal exact;
    EXPECT_EQ(exact.load(lines({"H|M|2025|1|1|L|| 1|"})).pricingMode, PricingMode::Price);
}

TEST(Loader, TextsAreCutToTheFieldSize)
{
    Proposal p;
    const std::string brand(45, 'M');
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|L||0|", "A|1|x|1|||UNIDADE_LONGA|" + brand + "||||"})).ok);
    EXPECT_EQ(p.items.asText(field::DS_MARCA), std::string(40, 'M'));
    EXPECT_EQ(p.items.asText(field::UN_MEDIDA), "UNIDADE_L");
}

TEST(Loader, InvalidFiles)
{
    struct Case {
        const char* name;
        std::string file;
        std::string error;  // the error's text after the prefix
        long line;
        int lotsKept, itemsKept;
    };
    const Case cases[] = {
        {"empty file", "", "O arquivo n\xE3o tem nenhuma linha de lote (H).", 0, 0, 0},
        {"only item lines", lines({"A|1|a|1|||||||", "A|2|b|1|||||||"}), "O arquivo n\xE3o tem nenhuma linha de lote (H).", 0,
         0, 2},
        {"first lot without number", lines({"H|M|2025|1||L||0|", "H|M|2025|1|2|L||0|"}),
         "O primeiro lote do arquivo n\xE3o tem n\xFAmero.", 0, 2, 0},
        {"year with a letter", lines({"H|M|2025|1|1|L||0|", "A|1|a|1|||||||", "H|M|20A5|1|2|L||0|", "A|2|b|1|||||||"}),
         "\"20A5\" n\xE3o \xE9 um n\xFAmero inteiro v\xE1lido", 3, 1, 1},
        {"decimal point in a value", lines({"H|M|2025|1|1|L||0|", "A|1|a|1|10.5||||||"}),
         "\"10.5\" n\xE3o \xE9 um n\xFAmero decimal v\xE1lido", 2, 1, 0},
        {"item code with letters", lines({"H|M|2025|1|1|L||0|", "A|1A|a|1|||||||"}),
         "\"1A\" n\xE3o \xE9 um n\xFAmero inteiro v\xE1lido", 2, 1, 0},
    };
    for (const Case& c : cases) {
        Proposal p;
        const LoadResult r = p.load(c.file);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_EQ(r.error, c.error) << c.name;
        EXPECT_EQ(r.message, invalidPrefix + c.error) << c.name;
        EXPECT_EQ(r.line, c.line) << c.name;
        EXPECT_EQ(p.lots.recordCount(), c.lotsKept) << c.name;
        EXPECT_EQ(p.allItemCount(), c.itemsKept) << c.name;
        EXPECT_NE(p.lots.state(), TableState::Insert) << c.name;
        EXPECT_NE(p.items.state(), TableState::Insert) << c.name;
    }
}

TEST(Loader, FailureKeepsTheParticipantStateReadSoFar)
{
    Proposal p;
    const LoadResult r = p.load(lines({participant("00000000", "00000000000000", "15/03/2025", "20/03/2025"),
                                       "H|M|20A5|1|1|L||1|"}));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.participantRead);
    EXPECT_TRUE(r.identityFieldsEnabled);
    EXPECT_EQ(r.validityText, "15/03/2025");
    EXPECT_EQ(p.vars.vAnoLicitacao, "20A5");  // variables are set before the row is stored
    EXPECT_EQ(r.pricingMode, PricingMode::Discount);
}

TEST(Loader, MissingFile)
{
    ofx::test::TempDir dir;
    Proposal p;
    const LoadResult r = loadProposalFile(dir.file("nao_existe.TXT"), p.lots, p.items, p.vars);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.rfind(invalidPrefix + "N\xE3o foi poss\xEDvel abrir o arquivo \"", 0), 0u) << r.message;
}

// Reading the writer's output gives the same proposal back, and writing that again gives the
// same bytes: a save never changes a saved file.
TEST(Loader, WriteReadRoundTrip)
{
    Proposal first;
    ASSERT_TRUE(first.load(lines({
        participant("00000000", "00000000000000", "15/03/2025", "20/03/2025"),
        "H|Preg\xE3o Presencial|2025|12|1|Material de escrit\xF3rio|Entrega em 10 dias|0|",
        "A|2|Caneta esferogr\xE1" "fica azul|1.500,5|2,5|3751,25|UN|Bic|0|0|7|",
        "A|1|Papel A4|10|25|250|RESMA|Chamex|7,5|1,25|8|",
        "H|Preg\xE3o Presencial|2025|12|2|Limpeza||0|",
        "A|1|Detergente|3|1,99|5,97|FR|Ype|||9|",
    })).ok);
    const ProposalTexts texts{"15/03/2025", "20/03/2025", "Observa\xE7\xF5" "es"};
    const std::string once = first.write(texts);
    ASSERT_TRUE(first.lastWrite.ok) << first.lastWrite.error;

    Proposal second;
    const LoadResult r = second.load(once);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.validityText, "15/03/2025");
    EXPECT_EQ(r.observations, "Observa\xE7\xF5" "es" + blanks(289));
    EXPECT_EQ(second.vars.vNumero, "0000000010");
    EXPECT_EQ(second.vars.vNmFornecedor, "Nome" + blanks(46));
    EXPECT_EQ(second.lots.recordCount(), 2);
    EXPECT_EQ(second.allItemCount(), 3);
    EXPECT_EQ(second.items.asText(field::QT_ITEM), "000000000010,0000");
    EXPECT_DOUBLE_EQ(second.items.asDecimal(field::PERC_DESC), 7.5);
    EXPECT_EQ(second.items.asInteger(field::CD_LCTO), 1);  // the lot number, not the entry code
    EXPECT_EQ(second.items.asText(field::DS_MARCA), "Chamex" + blanks(34));

    const std::string twice = second.write({r.validityText, r.deadlineText, r.observations});
    EXPECT_EQ(twice, once);
}

}  // namespace

namespace {

// A negative value comes back from the writer with its zeros in front of the minus; the file
// must still open, with the same numbers.
TEST(Loader, NegativeValuesWrittenByTheWriterReadBack)
{
    Proposal first;
    ASSERT_TRUE(first.load(lines({"H|M|2025|1|-5|L||0|", "A|-1|Ajuste|-3|-2,5|-2,5|UN||-7,5|-1|1|"})).ok);
    const std::string written = first.write();
    ASSERT_TRUE(first.lastWrite.ok) << first.lastWrite.error;
    ASSERT_NE(written.find("|0000000000-2,5000|"), std::string::npos);

    Proposal second;
    const LoadResult r = second.load(written);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_DOUBLE_EQ(second.items.asDecimal(field::VL_UNITARIO), -2.5);
    EXPECT_DOUBLE_EQ(second.items.asDecimal(field::VL_TOTAL), -2.5);
    EXPECT_DOUBLE_EQ(second.items.asDecimal(field::PERC_DESC), -7.5);
    EXPECT_DOUBLE_EQ(second.items.asDecimal(field::VLR_DESC), -1);
    EXPECT_EQ(second.items.asInteger(field::CD_ITEM), -1);
    EXPECT_EQ(second.lots.asInteger(field::NO_LOTE), -5);
    EXPECT_EQ(second.write(), written);  // the quantity "0000000000-3,0000" converts again
    EXPECT_TRUE(second.lastWrite.ok) << second.lastWrite.error;
}

}  // namespace
