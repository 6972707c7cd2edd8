#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace ofx::num;

std::string conversionMessage(auto&& call) {
    try {
        call();
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ParseInteger, ReadsTheFileForms) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"7", 7},
        {"00007", 7},                // lot number zero-filled to 5
        {"000007", 7},               // item code zero-filled to 6
        {"   42", 42},               // blanks in front
        {"-15", -15},
        {"+8", 8},
        {"-0", 0},
        {"2147483647", 2147483647},  // 32-bit limits
        {"-2147483648", -2147483647 - 1},
        {"0000000000000000000000000123", 123},  // many zeros do not overflow
    };
    for (const auto& c : cases) EXPECT_EQ(parseInteger(c.text), c.value) << c.text;
}

TEST(ParseInteger, RejectsWhatIsNotAnInteger) {
    const char* cases[] = {
        "", "   ", "-", "+-1", "20A5", "1,5", "1.5", "1.000", "7 ",
        "2147483648", "-2147483649", "99999999999999999999999", "0x10", " - 1",
    };
    for (const char* text : cases)
        EXPECT_THROW(parseInteger(text), ConversionError) << '"' << text << '"';
}

TEST(ParseInteger, MessageNamesTheValueInUtf8) {
    EXPECT_EQ(conversionMessage([] { parseInteger("20A5"); }),
              "\"20A5\" não é um número inteiro válido");
    EXPECT_EQ(conversionMessage([] { parseInteger(""); }), "\"\" não é um número inteiro válido");
    // The table's texts are CP1252: "ç" is the byte 0xE7 and must reach the message as UTF-8.
    EXPECT_EQ(conversionMessage([] { parseInteger("\xE7"); }),
              "\"ç\" não é um número inteiro válido");
}

TEST(ParseDecimal, ReadsBrazilianDecimals) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2,5", 2.5},
        {"10", 10},
        {"000000000010,0000", 10},     // value form zero-filled to 17
        {"000000001500,5000", 1500.5},
        {"007,5000", 7.5},             // percentage form zero-filled to 8
        {"  -3,25  ", -3.25},          // blanks around, sign
        {"+1", 1},
        {",5", 0.5},
        {"5,", 5},
        {"1,5E3", 1500},
        {"1,5e-2", 0.015},
        {"2E+2", 200},
        {"1,5E-7", 1.5e-7},            // the field's own exponent form reads back
        {"-0", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(parseDecimal(c.text), c.value) << c.text;
}

TEST(ParseDecimal, GivesExactlyTheNearestDouble) {
    // Short forms take a quicker path than long ones; both must give the correctly rounded value.
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0,1", 0.1},
        {"0,3", 0.3},
        {"2,00005", 2.00005},
        {"1234567,891", 1234567.891},
        {"000000001500,5000", 1500.5},
        {"999999999999999", 999999999999999.0},         // 15 significant digits
        {"123456789012,3456", 123456789012.3456},       // 16
        {"0,000000000000000000001", 1e-21},
        {"9007199254740993", 9007199254740993.0},       // beyond 2^53
        {"-0,7", -0.7},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text), c.value) << c.text;
}

TEST(ParseDecimal, RejectsPointsLettersAndOtherForms) {
    const char* cases[] = {
        "",      "  ",    ",",      "-",      "1.5",   "1.000,50", "1,2,3",  "abc",  "12 5",
        "1,5E",  "E3",    "1,5E+",  "--1",    "+-1",   "inf",      "nan",    "0x10", "1e999",
        "00000000-3,5000",  // zeros before the sign are not a number
    };
    for (const char* text : cases)
        EXPECT_THROW(parseDecimal(text), ConversionError) << '"' << text << '"';
}

TEST(ParseDecimal, MessageNamesTheValue) {
    EXPECT_EQ(conversionMessage([] { parseDecimal("1.5"); }),
              "\"1.5\" não é um número decimal válido");
}

TEST(ShortestDecimal, ShowsAFieldsValue) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {2.5, "2,5"},
        {10, "10"},
        {0.1 + 0.2, "0,3"},                // binary noise beyond 15 digits disappears
        {1.0 / 3, "0,333333333333333"},    // 15 significant digits
        {-3.25, "-3,25"},
        {0, "0"},
        {-0.0, "0"},
        {2.00005, "2,00005"},
        {123456789012.34, "123456789012,34"},
        {999999999999999, "999999999999999"},  // 15 integer digits: still fixed
        {1e15, "1E15"},                        // then exponent notation
        {0.00001, "0,00001"},
        {0.0000015, "1,5E-6"},
        {-2.5e20, "-2,5E20"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shortestDecimal(c.value), c.text) << c.value;
        // Reads back within the 15 digits shown.
        EXPECT_NEAR(parseDecimal(shortestDecimal(c.value)), c.value, std::fabs(c.value) * 1e-14)
            << c.text;
    }
}

TEST(ValueForm, FourDecimalsAfterTwelveSignificantDigits) {
    const struct {
        double value;
        const char* text;
        const char* why;
    } cases[] = {
        {10, "10,0000", "ten reais"},
        {-3.5, "-3,5000", "negative"},
        {1500.5, "1500,5000", "no thousands separator"},
        {0, "0,0000", "zero"},
        {-0.0, "0,0000", "negative zero is unsigned"},
        {-0.00004, "0,0000", "a negative value rounding to zero is unsigned"},
        {0.00004, "0,0000", "below half of the last decimal"},
        {0.00005, "0,0001", "half rounds away from zero"},
        {-0.00005, "-0,0001", "negative half rounds away from zero"},
        {2.00005, "2,0001", "half as typed, not its binary neighbour"},
        {1.23445, "1,2345", "half at the fourth decimal"},
        {99999.99995, "100000,0000", "carry through every digit"},
        {0.1 + 0.2, "0,3000", "binary noise"},
        {12345678.123456, "12345678,1235", "12 digits reached at the fourth decimal"},
        {1234567890.12345, "1234567890,1200", "12 significant digits cut the decimals"},
        {123456789012.34, "123456789012,0000", "12 integer digits keep no decimal"},
        {999999999999.4, "999999999999,0000", "largest 12-digit integer part"},
        {-999999999999.0, "-999999999999,0000", "largest negative"},
    };
    for (const auto& c : cases) EXPECT_EQ(valueForm(c.value), c.text) << c.why;
}

TEST(ValueForm, ValuesWithoutAFileFormThrow) {
    const double cases[] = {
        1e12, -1e12, 999999999999.5 /* rounds up to 13 digits */, 1e300,
        std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
    };
    for (double v : cases) EXPECT_THROW(valueForm(v), ConversionError) << v;
    EXPECT_EQ(conversionMessage([] { valueForm(1e12); }),
              "O valor 1000000000000 tem mais de 12 dígitos na parte inteira e não pode ser "
              "gravado no arquivo");
}

TEST(FormatPattern, PatternsOfTheProgram) {
    const struct {
        const char* pattern;
        double value;
        const char* text;
    } cases[] = {
        // percentage form
        {"##0.0000", 7.5, "7,5000"},
        {"##0.0000", 0, "0,0000"},
        {"##0.0000", 0.5, "0,5000"},
        {"##0.0000", 100, "100,0000"},
        {"##0.0000", 1234.5, "1234,5000"},          // more digits than placeholders, no grouping
        {"##0.0000", 2.00005, "2,0001"},            // half away from zero as typed
        {"##0.0000", 1.00015, "1,0002"},
        {"##0.0000", 2.0000499, "2,0000"},
        {"##0.0000", 99.99995, "100,0000"},
        {"##0.0000", -7.5, "-7,5000"},
        {"##0.0000", -0.00001, "0,0000"},           // rounds to zero: no sign
        // lot-number form
        {"#00000", 3, "00003"},
        {"#00000", 0, "00000"},
        {"#00000", 123456, "123456"},
        {"#00000", 6.5, "00007"},                   // half away from zero
        {"#00000", 2.4, "00002"},
        {"#00000", -3, "-00003"},
        // quantity display, grouping boundaries
        {"###,###,##0.0000", 0, "0,0000"},
        {"###,###,##0.0000", 999, "999,0000"},
        {"###,###,##0.0000", 1000, "1.000,0000"},
        {"###,###,##0.0000", 1234.5, "1.234,5000"},
        {"###,###,##0.0000", 999999, "999.999,0000"},
        {"###,###,##0.0000", 1000000, "1.000.000,0000"},
        {"###,###,##0.0000", 999999.99995, "1.000.000,0000"},  // the carry adds a group
        {"###,###,##0.0000", 12345678901.2345, "12.345.678.901,2345"},
        {"###,###,##0.0000", 1234567890123, "1.234.567.890.123,0000"},  // beyond the picture
        {"###,###,##0.0000", -1234.5, "-1.234,5000"},
        // money
        {"R$ ###,###,##0.0000", 125, "R$ 125,0000"},
        {"R$ ###,###,##0.0000", 0, "R$ 0,0000"},
        {"R$ ###,###,##0.0000", 2469, "R$ 2.469,0000"},
        {"R$ ###,###,##0.0000", 2000000, "R$ 2.000.000,0000"},
        {"R$ ###,###,##0.0000", -1, "-R$ 1,0000"},
        {"R$ ###,###,##0.0000", -0.00001, "R$ 0,0000"},
        // other pictures
        {"Total da Proposta:", 12, "Total da Proposta:"},  // no placeholder: literal only
        {"0.##", 1, "1"},
        {"0.##", 1.5, "1,5"},
        {"0.00 %", 7.5, "7,50 %"},
        {"\"0\"0", 5, "05"},                        // quoted literal
        {"00-00", 1234, "12-34"},                   // literal between integer placeholders
        {"00-00", 5, "00-05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatPattern(c.value, c.pattern), c.text) << c.pattern << " " << c.value;
}

// The one reading of a typed, pasted or imported number: Brazilian forms only, never a guess.
TEST(TypedNumber, BrazilianFormsOnly) {
    struct Case {
        const char* text;
        bool number;
        double value;
        const char* plain;
    };
    const Case cases[] = {
        {"12,5", true, 12.5, "12,5"},
        {"1.234,5", true, 1234.5, "1234,5"},
        {"1.000.000,0000", true, 1e6, "1000000,0000"},
        {"12.500", true, 12500, "12500"},  // a thousands point in its place
        {"12,", true, 12, "12"},
        {",5", true, 0.5, "0,5"},
        {"-3", true, -3, "-3"},
        {"R$ 4,75", true, 4.75, "4,75"},
        {" 4,75 ", true, 4.75, "4,75"},
        {"R$\xC2\xA0" "1.234,56\t", true, 1234.56, "1234,56"},  // no-break space, tab (as pasted)
        {"12.50", false, 0, ""},     // a point where no thousands point can be
        {"1234.56", false, 0, ""},
        {"7.5", false, 0, ""},
        {"12.5000", false, 0, ""},
        {"12.5,0", false, 0, ""},
        {".5", false, 0, ""},
        {"12,5.0", false, 0, ""},
        {"1,2,3", false, 0, ""},
        {"12a", false, 0, ""},
        {"3-", false, 0, ""},
        {",", false, 0, ""},
        {"R$", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        const TypedNumber n = readTypedNumber(c.text);
        EXPECT_EQ(n.number, c.number) << c.text;
        if (!c.number)
            continue;
        EXPECT_DOUBLE_EQ(n.value, c.value) << c.text;
        EXPECT_EQ(n.plain, c.plain) << c.text;
    }
    EXPECT_EQ(typedNumberHint(" 12.50 "), "\"12.50\" não é um valor válido. Use a vírgula para os centavos e o ponto só "
                                           "para os milhares, por exemplo: 1.234,56");
}

TEST(ReportNumber, FourDecimalsGrouped) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1234.5, "1.234,5000"},
        {0, "0,0000"},
        {0.00005, "0,0001"},
        {999.99995, "1.000,0000"},
        {1000000, "1.000.000,0000"},
        {-1234.5, "-1.234,5000"},
        {2469, "2.469,0000"},
    };
    for (const auto& c : cases) EXPECT_EQ(reportNumber(c.value), c.text) << c.value;
}

}  // namespace
