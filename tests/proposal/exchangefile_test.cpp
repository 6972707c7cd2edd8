// The exchange file's text filling, number forms, line splitting, line reading and writing.
#include "proposal/exchangefile.h"

#include "proposalfixture.h"
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

namespace {

using namespace ofx::proposal;
using ofx::test::blanks;
using ofx::test::lines;
using ofx::test::Proposal;

TEST(FillFunctions, StrZerosAndLRPad)
{
    struct Case {
        const char* name;
        std::string got;
        std::string want;
    };
    const std::string sixty(60, 'N');
    const Case cases[] = {
        {"item code 7 to 6", StrZeros("7", 6), "000007"},
        {"empty text is all zeros", StrZeros("", 5), "00000"},
        {"longer text is never cut", StrZeros("1234567", 5), "1234567"},
        {"zeros go before the minus", StrZeros("-10,0000", 17), "000000000-10,0000"},
        {"R pads with blanks after", LRPad("abc", 5, 'R', ' '), "abc  "},
        {"L fills in front", LRPad("123", 10, 'L', '0'), "0000000123"},
        {"direction is upper-cased", LRPad("123", 5, 'l', '0'), "00123"},
        {"any other direction fills after", LRPad("x", 3, 'X', '*'), "x**"},
        {"longer text is cut, R", LRPad(sixty, 50, 'R', ' '), std::string(50, 'N')},
        {"longer text is cut from its start, L", LRPad("abcdef", 3, 'L', '0'), "abc"},
        {"exact width unchanged", LRPad("abc", 3, 'R', ' '), "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(NumberForms, WrittenForms)
{
    struct Case {
        const char* name;
        std::string got;
        std::string want;
    };
    const Case cases[] = {
        {"ten reais", StrZeros(valueForm(10), 17), "000000000010,0000"},
        {"rounded to 4 decimals", StrZeros(valueForm(2.123456), 17), "000000000002,1235"},
        {"negative: zeros before the minus", StrZeros(valueForm(-2.5), 17), "0000000000-2,5000"},
        {"twelve integer digits fit", StrZeros(valueForm(999999999999.0), 17), "999999999999,0000"},
        {"quantity with thousands", StrZeros(quantityForm("1.500,5"), 17), "000000001500,5000"},
        {"quantity of a million", StrZeros(quantityForm("1.000.000"), 17), "000001000000,0000"},
        {"empty quantity is zero", StrZeros(quantityForm(""), 17), "000000000000,0000"},
        {"quantity as the writer wrote it", StrZeros(quantityForm("000000000010,0000"), 17), "000000000010,0000"},
        {"discount of 7.5 %", StrZeros(percentageForm(7.5), 8), "007,5000"},
        {"no discount", StrZeros(percentageForm(0), 8), "000,0000"},
        {"discount of 100 %", StrZeros(percentageForm(100), 8), "100,0000"},
        {"negative discount", StrZeros(percentageForm(-7.5), 8), "0-7,5000"},
        {"lot 3", lotNumberForm(3), "00003"},
        {"lot of six digits", lotNumberForm(123456), "123456"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(NumberForms, ValuesWithoutAFormAreRefused)
{
    EXPECT_THROW(valueForm(1e12), ofx::num::ConversionError);
    EXPECT_THROW(valueForm(999999999999.99999), ofx::num::ConversionError);  // rounds to 13 digits
    EXPECT_THROW(valueForm(std::numeric_limits<double>::quiet_NaN()), ofx::num::ConversionError);
    EXPECT_THROW(valueForm(std::numeric_limits<double>::infinity()), ofx::num::ConversionError);
    EXPECT_THROW(percentageForm(std::numeric_limits<double>::infinity()), ofx::num::ConversionError);
    EXPECT_THROW(quantityForm("1,5 kg"), ofx::num::ConversionError);
    EXPECT_THROW(quantityForm("dez"), ofx::num::ConversionError);
}

TEST(SplitLine, KindsAndFields)
{
    struct Case {
        const char* name;
        std::string line;
        LineKind kind;
        std::vector<std::string> firstFields;  // the rest must be empty
    };
    const Case cases[] = {
        {"participant", "C|a|b|", LineKind::Participant, {"a", "b"}},
        {"lot takes 7 fields and ignores the rest", "H|1|2|3|4|5|6|7|8|9|", LineKind::Lot,
         {"1", "2", "3", "4", "5", "6", "7"}},
        {"item", "A|1|Caneta|", LineKind::Item, {"1", "Caneta"}},
        {"any other kind is an item", "X|5|", LineKind::Item, {"5"}},
        {"last field without its bar is empty", "A|1|Caneta", LineKind::Item, {"1"}},
        {"line without bar: item, all empty", "C", LineKind::Item, {}},
        {"empty line", "", LineKind::Item, {}},
        {"lower-case h is an item", "h|1|2|", LineKind::Item, {"1", "2"}},
        {"lower-case c is an item", "c|1|", LineKind::Item, {"1"}},
        {"byte-order mark makes an item", "\xEF\xBB\xBF" "C|x|", LineKind::Item, {"x"}},
        {"kind with a blank is not exact", "C |x|", LineKind::Item, {"x"}},
        {"blanks are kept", "A| 7 |Caneta   |", LineKind::Item, {" 7 ", "Caneta   "}},
        {"empty fields in between", "H||2||", LineKind::Lot, {"", "2", ""}},
    };
    for (const Case& c : cases) {
        const SplitLine s = splitLine(c.line);
        EXPECT_EQ(s.kind, c.kind) << c.name;
        for (int i = 0; i < fieldCount(s.kind); ++i) {
            const std::string want = i < static_cast<int>(c.firstFields.size()) ? c.firstFields[static_cast<std::size_t>(i)] : "";
            EXPECT_EQ(s.fields[static_cast<std::size_t>(i)], want) << c.name << ", field " << i + 1;
        }
    }
    EXPECT_EQ(splitLine("\xEF\xBB\xBF" "C|").kindText, "\xEF\xBB\xBF" "C");
}

std::vector<std::string> readLines(const std::string& bytes)
{
    std::istringstream in(bytes);
    ofx::proposal::LineReader reader(in);
    std::vector<std::string> out;
    std::string_view line;
    while (reader.next(line))
        out.emplace_back(line);
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.lineNumber(), static_cast<long>(out.size()));
    return out;
}

TEST(LineReader, LineEnds)
{
    using V = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string bytes;
        V want;
    };
    const std::string block(256 * 1024 - 1, 'x');  // CR at the end of the first block, LF in the next
    const std::string longLine(600 * 1024, 'y');
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", V{"a", "b"}},
        {"LF alone", "a\nb\n", V{"a", "b"}},
        {"no empty line after the last line end", "a\r\n", V{"a"}},
        {"final line without line end counts", "a\r\nb", V{"a", "b"}},
        {"empty lines in between are lines", "a\r\n\r\n\nb\r\n", V{"a", "", "", "b"}},
        {"lone CR is dropped", "a\rb\r\nc\r\r\n", V{"ab", "c"}},
        {"Ctrl-Z ends the data", "a\r\nb\x1A" "c\r\nd\r\n", V{"a", "b"}},
        {"Ctrl-Z right after a line end", "a\r\n\x1A\r\nb\r\n", V{"a"}},
        {"empty file", "", V{}},
        {"only a line end", "\r\n", V{""}},
        {"CR LF split across blocks", block + "\r\nz\r\n", V{block, "z"}},
        {"line longer than a block", "a\r\n" + longLine + "\r\nb", V{"a", longLine, "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readLines(c.bytes), c.want) << c.name;
}

// A small proposal, read from a public body's compact file.
const std::string compactFile = lines({
    "C|00000000|Fornecedor Teste|00000000000000|Rua A|12|Centro|88000-000|Florian\xF3polis|SC|"
    "Menor pre\xE7o|por Item|Sala 1|01/03/2025|09:00|28/02/2025|18:00|30 dias|Compra de material|"
    "00/00/0000|10/03/2025|Santa Catarina|Florian\xF3polis|12345678000195|Obs|",
    "H|Preg\xE3o|2025|7|1|Lote um|Obs lote|0|",
    "A|2|Caneta|1.500,5|2,5|3751,25|UN|Bic|7,5|1|99|",
    "A|1|Papel|10|||CX||||5|",
});

TEST(Writer, WritesTheFixedWidthForms)
{
    Proposal p;
    ASSERT_TRUE(p.load(compactFile).ok);
    const std::string written = p.write({"15/03/2025", "20/03/2025", "Observa\xE7\xE3o"});
    ASSERT_TRUE(p.lastWrite.ok) << p.lastWrite.error;
    const std::string want = lines({
        "C|00000000|Fornecedor Teste" + blanks(34) + "|00000000000000|Rua A" + blanks(45) + "|0000000012|Centro"
            + blanks(44) + "|88000-000 |Florian\xF3polis" + blanks(37) + "|SC|Menor pre\xE7o" + blanks(9)
            + "|por Item" + blanks(12) + "|Sala 1" + blanks(64) + "|01/03/2025|09:00|28/02/2025|18:00|30 dias"
            + blanks(93) + "|Compra de material" + blanks(282) + "|15/03/2025|20/03/2025|Santa Catarina"
            + blanks(36) + "|Florian\xF3polis" + blanks(37) + "|12345678000195|Observa\xE7\xE3o" + blanks(290) + "|",
        "H|Preg\xE3o" + blanks(14) + "|2025|00007|00001|Lote um" + blanks(93) + "|Obs lote" + blanks(42) + "|0|",
        // by CD_ITEM; empty values written as zero; field 10 is the lot number, not CD_LCTO
        "A|000001|Papel" + blanks(1995) + "|000000000010,0000|000000000000,0000|000000000000,0000|CX"
            + blanks(7) + "|" + blanks(40) + "|000,0000|000000000000,0000|00001|",
        "A|000002|Caneta" + blanks(1994) + "|000000001500,5000|000000000002,5000|000000003751,2500|UN"
            + blanks(7) + "|Bic" + blanks(37) + "|007,5000|000000000001,0000|00001|",
    });
    EXPECT_EQ(written, want);
    EXPECT_EQ(p.lastWrite.itemLines, 2);
    EXPECT_EQ(p.lastWrite.lastLotNumber, "00001");
}

TEST(Writer, LotFlagIsTheProcessFlagAndSeparatorsBecomeBlanks)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|Um||0|", "A|1|X|1|||||||", "H|M|2025|1|2|Dois||1|"})).ok);
    p.vars.vNmFornecedor = "Nome|com\r\nquebra";
    p.vars.vCpfCnpj = "123|";
    p.vars.vCdFornecedor = "1|2";  // zero-filled
    p.vars.vNumero = "1\n2";       // zero-filled in front and cut
    const std::string written = p.write({"a|b", "", "linha 1\r\nlinha 2\x1A"});
    ASSERT_TRUE(p.lastWrite.ok) << p.lastWrite.error;

    Proposal back;
    const LoadResult loaded = back.load(written);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(back.vars.vNmFornecedor, "Nome com  quebra" + blanks(34));
    EXPECT_EQ(back.vars.vCpfCnpj, "123 ");
    EXPECT_EQ(back.vars.vCdFornecedor, "000001 2");
    EXPECT_EQ(back.vars.vNumero, "00000001 2");
    EXPECT_EQ(back.vars.vDtValidade, "a b");
    EXPECT_EQ(loaded.observations, "linha 1  linha 2 " + blanks(283));
    EXPECT_EQ(back.allItemCount(), 1);
    // every lot line carries the flag of the last lot line read
    EXPECT_NE(written.find("|Um" + blanks(98) + "|" + blanks(50) + "|1|\r\n"), std::string::npos);
    EXPECT_NE(written.find("|Dois" + blanks(96) + "|" + blanks(50) + "|1|\r\n"), std::string::npos);
}

TEST(Writer, WhichItemsAreWrittenAndInWhatOrder)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({
        "A|9|antes do primeiro lote|1|||||||",  // belongs to no lot
        "H|M|2025|1|2|Dois||0|",
        "A|5|b|1|||||||",
        "A|3|a|1|||||||",
        "",                                   // blank line: no code, no description
        "A|5|c|1|||||||",                     // equal code keeps reading order
        "H|M|2025|1|1|Um||0|",
        "A|1|d|1|||||||",
        "A||sem codigo|1|||||||",             // no code but a description: written
        "H|M|2025|1|2|Dois de novo||0|",       // same number: its items are written once
        "A|4|e|1|||||||",
    })).ok);
    const std::string written = p.write();
    ASSERT_TRUE(p.lastWrite.ok) << p.lastWrite.error;
    std::vector<std::string> kinds;
    std::istringstream in(written);
    LineReader reader(in);
    std::string_view line;
    while (reader.next(line)) {
        const SplitLine s = splitLine(line);
        if (s.kind == LineKind::Participant)
            kinds.push_back("C");
        else if (s.kind == LineKind::Lot)
            kinds.push_back("H:" + std::string(s.fields[3]));
        else
            kinds.push_back("A:" + std::string(s.fields[1].substr(0, s.fields[1].find(' '))));
    }
    const std::vector<std::string> want = {"C", "H:00002", "A:a", "A:e", "A:b", "A:c",
                                           "H:00001", "A:sem", "A:d", "H:00002"};
    EXPECT_EQ(kinds, want);
    EXPECT_EQ(p.lastWrite.itemLines, 6);
}

TEST(Writer, RefusesBeforeWritingAnything)
{
    struct Case {
        const char* name;
        std::string file;
        std::string error;
    };
    const Case cases[] = {
        {"quantity with letters names lot and item",
         lines({"H|M|2025|1|3|L||0|", "A|1|x|1|||||||", "A|12|y|1,5 kg|||||||"}),
         "N\xE3o \xE9 poss\xEDvel gravar a proposta: a quantidade \"1,5 kg\" do item 12 do lote 3 n\xE3o \xE9 um n\xFAmero."},
        {"unit value of 13 digits names the field",
         lines({"H|M|2025|1|3|L||0|", "A|7|y|1|1000000000000|||||"}),
         "N\xE3o \xE9 poss\xEDvel gravar a proposta: o valor unit\xE1rio (VL_UNITARIO) do item 7 do lote 3 n\xE3o cabe no "
         "arquivo: tem mais de 12 d\xEDgitos antes da v\xEDrgula."},
        {"item without code is named by its description",
         lines({"H|M|2025|1|3|L||0|", "A||Caneta azul   |x|||||||"}),
         "N\xE3o \xE9 poss\xEDvel gravar a proposta: a quantidade \"x\" do item sem c\xF3" "digo \"Caneta azul\" do lote 3 "
         "n\xE3o \xE9 um n\xFAmero."},
        {"a lot without number",
         lines({"H|M|2025|1|3|Tr\xEAs||0|", "H|M|2025|1||Sem n\xFAmero  ||0|"}),
         "N\xE3o \xE9 poss\xEDvel gravar a proposta: o lote \"Sem n\xFAmero\" (2\xBA do arquivo) n\xE3o tem n\xFAmero."},
    };
    for (const Case& c : cases) {
        Proposal p;
        ASSERT_TRUE(p.load(c.file).ok) << c.name;
        EXPECT_EQ(p.write(), "") << c.name;
        EXPECT_FALSE(p.lastWrite.ok) << c.name;
        EXPECT_FALSE(p.lastWrite.sinkFailed) << c.name;
        EXPECT_EQ(p.lastWrite.error, c.error) << c.name;
    }
}

TEST(Writer, LeavesTheTablesAsTheyWere)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|Um||0|", "A|1|a|1|||||||", "A|2|b|1|||||||", "H|M|2025|1|2|Dois||0|",
                              "A|3|c|1|||||||"})).ok);
    p.lots.next();
    p.items.next();
    p.items.edit();
    int progressCalls = 0;
    std::ostringstream out;
    StreamSink sink(out);
    const WriteResult r = writeProposal(sink, p.lots, p.items, p.vars, {}, [&](int n) { EXPECT_EQ(n, ++progressCalls); });
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(progressCalls, 3);
    EXPECT_EQ(p.lots.position(), 1);
    EXPECT_EQ(p.items.position(), 1);
    EXPECT_EQ(p.items.state(), ofx::data::TableState::Edit);
    EXPECT_EQ(p.items.filter(), "NO_LOTE = 1");
    EXPECT_TRUE(p.items.filtered());
}

// A sink that takes the first `room` bytes and then refuses.
class FullDisk : public ByteSink {
public:
    explicit FullDisk(std::size_t room) : room_(room) {}
    bool write(std::string_view bytes) override
    {
        if (bytes.size() > room_)
            return false;
        room_ -= bytes.size();
        return true;
    }

private:
    std::size_t room_;
};

TEST(Writer, ReportsAFailingSink)
{
    Proposal p;
    ASSERT_TRUE(p.load(lines({"H|M|2025|1|1|Um||0|", "A|1|a|1|||||||"})).ok);
    FullDisk sink(100);
    const WriteResult r = writeProposal(sink, p.lots, p.items, p.vars, {});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.sinkFailed);
    EXPECT_EQ(r.error, "N\xE3o foi poss\xEDvel gravar o arquivo.");
}

}  // namespace
