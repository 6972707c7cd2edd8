#pragma once
// Numbers under the Brazilian settings, fixed whatever the machine's locale:
// decimal separator ",", thousands separator ".".
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ofx::num {

// A text that does not convert, or a value that has no text form. what() is a Portuguese
// sentence that names the value, ready to be shown to the user. Unlike the program's texts,
// what() is UTF-8 (the CP1252 value quoted in it is converted), as every exception message is.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer text: optional blanks in front, optional sign, decimal digits (leading zeros allowed).
// Empty, letters, a fraction or a value outside 32 bits throw ConversionError,
// e.g. "\"20A5\" não é um número inteiro válido".
std::int32_t parseInteger(std::string_view text);

// Decimal text with "," as decimal separator (no thousands separator, leading zeros allowed,
// optional sign, optional exponent "1,5E3", blanks around allowed). "." or letters throw.
double parseDecimal(std::string_view text);

// The shortest text of a decimal as a field shows it: up to 15 significant digits, general
// format, "," as separator, no grouping. 2.5 -> "2,5", 10 -> "10", 0.1+0.2 -> "0,3".
// Exponent notation from 1E15 up and below 1E-5 ("1,5E-7"); parseDecimal reads it back.
std::string shortestDecimal(double value);

// The exchange file's value form: rounded to 12 significant digits, fixed notation, exactly
// 4 decimals, no grouping, leading "-" when negative. 10 -> "10,0000". One rounding, half away
// from zero, at the 12th significant digit or the 4th decimal, whichever comes first; a value
// that rounds to zero is "0,0000", never "-0,0000".
// An integer part of more than 12 digits (after rounding), infinity or NaN has no such form:
// throws ConversionError.
std::string valueForm(double value);

// Layout by a picture pattern: "0" a digit always shown, "#" a digit shown when significant,
// "," anywhere in the integer part turns thousands grouping on (printed as "."), "." the decimal
// point (printed as ","), anything else literal (as in "R$ ###,###,##0.0000").
// Rounds half away from zero at the last decimal place shown, on the value's 15-significant-
// digit decimal form (so 2.00005 gives "2,0001", as typed, not its binary neighbour 2.0000499...).
// A negative value that does not round to zero gets "-" in front of everything, literal prefix
// included ("-R$ 1,0000"); one that rounds to zero is shown unsigned. A pattern without "0", "#"
// or "." prints its literal text only (a summary caption such as "Total da Proposta:").
// Patterns the program uses: "##0.0000", "#00000", "###,###,##0.0000", "R$ ###,###,##0.0000".
std::string formatPattern(double value, std::string_view pattern);

// A number as a person types or pastes it: blanks (and no-break spaces) around and an "R$" in
// front allowed, an optional minus sign, "," for the decimals, and "." only as a thousands point
// in its place: 1 to 3 digits before the first, exactly 3 after each ("1.234,56"; "12.500" is
// twelve thousand five hundred). No other text is a number, so "12.50", "1234.56" and "7.5" are
// refused rather than guessed at. Input is UTF-8 (or plain ASCII).
struct TypedNumber {
    bool number = false;    // the whole text is one number of that form
    bool negative = false;  // a minus sign stands in front (also when the rest is no number)
    int integerDigits = 0;  // digits before the first ",", thousands points not counted
    int decimals = 0;       // digits after it
    double value = 0;       // when number
    std::string plain;      // when number: sign, digits and "," only ("-1234,56")
};
TypedNumber readTypedNumber(std::string_view text);

// How to type a number, for the message that refuses one: "\"12.50\" não é um valor válido..."
// (UTF-8; the text quoted as given).
std::string typedNumberHint(std::string_view text);

// The report's " #n%2,4n" form: four decimals, thousands grouped, at least two characters wide.
// 1234.5 -> "1.234,5000".
std::string reportNumber(double value);

}  // namespace ofx::num
