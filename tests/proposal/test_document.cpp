#include "proposal/document.h"

#include <gtest/gtest.h>

#include <string>

using namespace ofx::proposal;

namespace {

struct NumberCase {
    const char* why;
    const char* number;
    bool valid;
};

const NumberCase cpfCases[] = {
    {"valid", "11144477735", true},
    {"valid", "52998224725", true},
    {"valid, check digit 0", "98765432100", true},
    {"all zeros pass both steps", "00000000000", true},
    {"first check digit wrong", "11144477745", false},
    {"second check digit wrong", "11144477736", false},
    {"eleven equal digits pass the arithmetic but are listed", "11111111111", false},
    {"nine equal digits, listed too", "99999999999", false},
    {"one digit short", "1114447773", false},
    {"empty", "", false},
    {"characters after the 11th are not looked at", "11144477735XYZ", true},
    {"part of a listed number is contained in the list", "1111", false},
    {"a letter would count 0 in the sum", "abcdefghi00", false},
};

const NumberCase cnpjCases[] = {
    {"valid", "11222333000181", true},
    {"valid", "11444777000161", true},
    {"valid", "12345678000195", true},
    {"all zeros pass both steps", "00000000000000", true},
    {"first check digit wrong", "11222333000191", false},
    {"second check digit wrong", "11222333000182", false},
    {"fourteen equal digits are listed", "11111111111111", false},
    {"fourteen nines are listed", "99999999999999", false},
    {"one character short", "1122233300018", false},
    {"a CPF is too short for a CNPJ", "11144477735", false},
    {"official alphanumeric example", "12ABC34501DE35", true},
    {"alphanumeric, second check digit wrong", "12ABC34501DE36", false},
    {"alphanumeric, all letters", "AAAAAAAAAAAA45", true},
    {"lower case is not a CNPJ character", "12abc34501de35", false},
    {"a letter cannot be a check digit", "12ABC34501DE3A", false},
    {"symbols would count 0 in the sum", "############00", false},
};

}  // namespace

TEST(Document, CpfVerdicts)
{
    for (const auto& c : cpfCases)
        EXPECT_EQ(funValidaCPF(c.number), c.valid) << c.why << ": " << c.number;
}

TEST(Document, CnpjVerdicts)
{
    for (const auto& c : cnpjCases)
        EXPECT_EQ(funValidaCNPJ(c.number), c.valid) << c.why << ": " << c.number;
}

TEST(Document, CheckDigitArithmetic)
{
    // Weights cycle 2..9 from the right: the published CNPJ weights 5,4,3,2,9,8,7,6,5,4,3,2.
    EXPECT_EQ(funCalculaModulo(2, 9, "112223330001"), 8);
    EXPECT_EQ(funCalculaModulo(2, 9, "12ABC34501DE"), 3);
    EXPECT_EQ(funCalculaModulo(2, 9, "12ABC34501DE3"), 5);
    EXPECT_EQ(funCalculaModulo(2, 11, "111444777"), 3);
    // Blanks at the ends are dropped before the weights are laid; an empty text gives 0.
    EXPECT_EQ(funCalculaModulo(2, 11, "  111444777 \t"), 3);
    EXPECT_EQ(funCalculaModulo(2, 11, ""), 0);
    // Remainders 0 and 1 both give 0, any other r gives 11 - r.
    EXPECT_EQ(funCalculaModulo(2, 11, "31"), 0);  // 1*2 + 3*3 = 11, r = 0
    EXPECT_EQ(funCalculaModulo(2, 11, "6"), 0);   // 6*2 = 12, r = 1
    EXPECT_EQ(funCalculaModulo(2, 11, "1"), 9);   // r = 2
    // Weights cycle: with 2..3 the third character from the right gets 2 again.
    EXPECT_EQ(funCalculaModulo(2, 3, "100"), 9);  // 1*2 = 2
}

TEST(Document, LeavingTheField)
{
    struct Case {
        const char* why;
        const char* field;
        const char* type;
        bool accepted;
        const char* fieldAfter;
        const char* stored;
    };
    const Case cases[] = {
        {"untouched CNPJ field: all zeros, accepted as no document", "  .   .   /    -  ", "CNPJ", true,
         "00.000.000/0000-00", "00000000000000"},
        {"untouched CPF field", "   .   .   -  ", "CPF", true, "000.000.000-00", "cpf00000000000"},
        {"valid CNPJ", "11.222.333/0001-81", "CNPJ", true, "11.222.333/0001-81", "11222333000181"},
        {"official alphanumeric CNPJ", "12.ABC.345/01DE-35", "CNPJ", true, "12.ABC.345/01DE-35",
         "12ABC34501DE35"},
        {"valid CPF", "111.444.777-35", "CPF", true, "111.444.777-35", "cpf11144477735"},
        {"the type is trimmed", "111.444.777-35", "  CPF ", true, "111.444.777-35", "cpf11144477735"},
        {"partly filled: blanks become zeros and stay visible", "11.222.333/0001-8 ", "CNPJ", false,
         "11.222.333/0001-80", ""},
        {"partly filled CPF that happens to be valid once zero-filled", "987.654.321-  ", "CPF", true,
         "987.654.321-00", "cpf98765432100"},
        {"the type test is case-sensitive: \"cpf\" means CNPJ", "111.444.777-35", "cpf", false,
         "111.444.777-35", ""},
        {"any other type is a CNPJ", "11.222.333/0001-81", "", true, "11.222.333/0001-81",
         "11222333000181"},
        {"repeated digits refused", "111.111.111-11", "CPF", false, "111.111.111-11", ""},
        {"a CPF longer than 11 digits would give a stored form of 17", "11144477735000", "CPF", false,
         "11144477735000", ""},
        {"unmasked short CNPJ", "123", "CNPJ", false, "123", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const DocumentCheck r = checkDocument(c.field, c.type);
        EXPECT_EQ(r.fieldText, c.fieldAfter);
        EXPECT_EQ(r.accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(r.stored, c.stored);
            EXPECT_EQ(r.type, c.type);
            EXPECT_EQ(r.display, c.fieldAfter);
            EXPECT_TRUE(r.message.empty());
        } else {
            EXPECT_EQ(r.message, isCpfType(c.type) ? "O CPF informado \xE9 inv\xE1lido! Verifique."
                                                   : "O CNPJ informado \xE9 inv\xE1lido! Verifique.");
            EXPECT_TRUE(r.stored.empty());
        }
    }
}

TEST(Document, MaskForType)
{
    EXPECT_EQ(maskForType("CPF"), "999.999.999-99;1;_");
    EXPECT_EQ(maskForType("CNPJ"), "AA.AAA.AAA/AAAA-99;1;_");
    EXPECT_EQ(maskForType(""), "");
    EXPECT_EQ(maskForType("   "), "");  // blank: no mask, the caller stops silently
    EXPECT_EQ(maskForType("cpf"), "AA.AAA.AAA/AAAA-99;1;_");
    EXPECT_EQ(maskForType("CPF "), "AA.AAA.AAA/AAAA-99;1;_");  // the mask test is exact
}

TEST(Document, StoredForm)
{
    EXPECT_TRUE(isStoredDocumentForm("11222333000181"));
    EXPECT_TRUE(isStoredDocumentForm("12ABC34501DE35"));
    EXPECT_TRUE(isStoredDocumentForm("cpf11144477735"));
    EXPECT_TRUE(isStoredDocumentForm("00000000000000"));
    EXPECT_FALSE(isStoredDocumentForm("1122233300018"));      // 13
    EXPECT_FALSE(isStoredDocumentForm("cpf1114447773"));      // "cpf" + 10
    EXPECT_FALSE(isStoredDocumentForm("12ABC34501DE3A"));     // letter as check digit
    EXPECT_FALSE(isStoredDocumentForm("12abc34501de35"));     // lower case
    EXPECT_FALSE(isStoredDocumentForm("../../etc/pass"));     // a path piece
    EXPECT_FALSE(isStoredDocumentForm("cpf111444777AB"));     // "cpf" then 11 digits only
    EXPECT_FALSE(isStoredDocumentForm(""));
}
