#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

#include "text/cp1252.h"

namespace ofx::num {
namespace {

// A finite double as decimal digits: |value| = 0.D x 10^intLen, D without leading or
// trailing zeros ("" for zero). 1234.5 -> D "12345", intLen 4; 0.05 -> D "5", intLen -1.
struct Decimal {
    bool negative = false;
    std::string digits;
    int intLen = 0;

    bool isZero() const { return digits.empty(); }
    // Digit at index i of D, counting from its first digit; '0' outside it.
    char at(int i) const {
        return i >= 0 && i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)]
                                                             : '0';
    }
};

void trimTrailingZeros(std::string& digits) {
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

// 15 significant digits: as many as a double holds faithfully, so a value typed or read as
// 2.00005 comes out as those digits and not as its binary neighbour 2.0000499999...
Decimal toDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, 14);
    // buf holds "d.dddddddddddddde[+-]xx"
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    d.digits.reserve(15);
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.') d.digits += text[i];
    int exponent = 0;
    std::string_view exp = text.substr(e + 1);
    if (!exp.empty() && exp.front() == '+') exp.remove_prefix(1);
    std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
    d.intLen = exponent + 1;
    trimTrailingZeros(d.digits);
    if (d.digits.empty()) d.intLen = 0;
    return d;
}

// Keeps the first `keep` digits of D, rounding half away from zero on the next one.
void roundToDigits(Decimal& d, int keep) {
    const int len = static_cast<int>(d.digits.size());
    if (keep >= len) return;
    if (keep < 0) {  // the first dropped digit is a leading zero: less than half a unit
        d.digits.clear();
        d.intLen = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.intLen;
        }
    }
    trimTrailingZeros(d.digits);
    if (d.digits.empty()) d.intLen = 0;
}

void roundToDecimals(Decimal& d, int decimals) { roundToDigits(d, d.intLen + decimals); }

// Integer digits without leading zeros ("" when the integer part is zero).
std::string integerDigits(const Decimal& d) {
    std::string out;
    for (int i = 0; i < d.intLen; ++i) out += d.at(i);
    return out;
}

// The first `count` decimals (zero-padded).
std::string fractionDigits(const Decimal& d, int count) {
    std::string out;
    for (int j = 0; j < count; ++j) out += d.at(d.intLen + j);
    return out;
}

std::string nonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string quoted(std::string_view text) { return "\"" + text::cp1252ToUtf8(text) + "\""; }

[[noreturn]] void notInteger(std::string_view text) {
    throw ConversionError(quoted(text) + " não é um número inteiro válido");
}

[[noreturn]] void notDecimal(std::string_view text) {
    throw ConversionError(quoted(text) + " não é um número decimal válido");
}

// One compiled picture pattern.
struct Picture {
    std::string prefix;       // literal text before the first placeholder
    std::string middle;       // literal text between integer placeholders (kept at its place)
    std::vector<int> middleAt;  // for each middle character: integer placeholders before it
    std::string suffix;       // literal text after the last placeholder
    int intPlaces = 0;        // "0" and "#" before the decimal point
    int intForced = 0;        // integer digits always shown (from the first "0" on)
    int fracPlaces = 0;       // "0" and "#" after the decimal point
    int fracForced = 0;       // decimals always shown (up to the last "0")
    bool point = false;
    bool grouping = false;
};

Picture compile(std::string_view pattern) {
    Picture p;
    bool seenPlaceholder = false;
    int firstZero = -1;
    std::string pendingLiteral;  // literal seen after a placeholder, placed once we know where
    auto flushLiteralAsMiddle = [&] {
        for (char c : pendingLiteral) {
            p.middle += c;
            p.middleAt.push_back(p.intPlaces);
        }
        pendingLiteral.clear();
    };
    auto literal = [&](char c) {
        if (!seenPlaceholder)
            p.prefix += c;
        else
            pendingLiteral += c;
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {  // quoted literal text
            std::size_t end = pattern.find(c, i + 1);
            if (end == std::string_view::npos) end = pattern.size();
            for (std::size_t k = i + 1; k < end; ++k) literal(pattern[k]);
            i = end;
        } else if (c == '0' || c == '#') {
            if (!p.point && !pendingLiteral.empty()) flushLiteralAsMiddle();
            // Literal text between decimal placeholders has no place in these layouts: dropped.
            if (p.point && !pendingLiteral.empty()) pendingLiteral.clear();
            seenPlaceholder = true;
            if (p.point) {
                ++p.fracPlaces;
                if (c == '0') p.fracForced = p.fracPlaces;
            } else {
                if (c == '0' && firstZero < 0) firstZero = p.intPlaces;
                ++p.intPlaces;
            }
        } else if (c == '.' && !p.point) {
            if (!pendingLiteral.empty()) flushLiteralAsMiddle();
            p.point = true;
            seenPlaceholder = true;
        } else if (c == ',' && !p.point) {
            p.grouping = true;
        } else if (c != ',') {
            literal(c);
        }
    }
    p.suffix = pendingLiteral;
    p.intForced = firstZero < 0 ? 0 : p.intPlaces - firstZero;
    return p;
}

// Integer digits laid out on the placeholders, with "." between thousands when grouping.
void appendInteger(std::string& out, const Picture& p, const std::string& digits) {
    std::string shown = digits;
    if (static_cast<int>(shown.size()) < p.intForced)
        shown.insert(0, static_cast<std::size_t>(p.intForced) - shown.size(), '0');
    const int n = static_cast<int>(shown.size());
    std::size_t middle = 0;
    // Digit k from the left stands on placeholder (k - (n - intPlaces)); literals in between
    // the integer placeholders are written when their placeholder is reached.
    for (int k = 0; k < n; ++k) {
        const int placeholder = k - (n - p.intPlaces);
        while (middle < p.middle.size() && p.middleAt[middle] <= placeholder) out += p.middle[middle++];
        out += shown[static_cast<std::size_t>(k)];
        const int fromRight = n - 1 - k;
        if (p.grouping && fromRight > 0 && fromRight % 3 == 0) out += '.';
    }
    while (middle < p.middle.size()) out += p.middle[middle++];
}

}  // namespace

std::int32_t parseInteger(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) notInteger(text);
    for (char c : s)
        if (!isDigit(c)) notInteger(text);
    const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    std::uint64_t magnitude = 0;
    for (char c : s) {
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (magnitude > limit) notInteger(text);
    }
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                    : static_cast<std::int32_t>(magnitude);
}

double parseDecimal(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    // Checked against the accepted form first, so that from_chars (locale-independent, but
    // also reading "inf", "nan" and hexadecimal) sees nothing else.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const std::size_t start = i;
    std::size_t comma = std::string_view::npos;
    std::size_t mantissaDigits = 0;
    // The digits as an integer while it stays exact: significant digits and decimals counted.
    std::uint64_t mantissa = 0;
    int significant = 0;
    int decimals = 0;
    auto digit = [&](char c) {
        ++mantissaDigits;
        if (comma != std::string_view::npos) ++decimals;
        if (significant > 0 || c != '0') ++significant;
        if (significant <= 15) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
    };
    while (i < s.size() && isDigit(s[i])) digit(s[i++]);
    if (i < s.size() && s[i] == ',') {
        comma = i++;
        while (i < s.size() && isDigit(s[i])) digit(s[i++]);
    }
    if (mantissaDigits == 0) notDecimal(text);
    bool exponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) notDecimal(text);
    }
    if (i != s.size()) notDecimal(text);

    // Up to 15 significant digits and 22 decimals, mantissa and power of ten are exact doubles
    // and one division gives the correctly rounded value, the same that from_chars gives. That
    // covers every value form of the file, read by the thousand at loading.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (!exponent && significant <= 15 && decimals <= 22) {
        const double value = static_cast<double>(mantissa) / kPowers[decimals];
        return negative ? -value : value;
    }

    // from_chars reads "." as the decimal point: the digits are copied to swap the comma.
    std::string_view number = s.substr(start);
    char local[64];
    std::string heap;
    char* buf = local;
    if (number.size() > sizeof local) {
        heap.assign(number);
        buf = heap.data();
    } else {
        number.copy(local, number.size());
    }
    if (comma != std::string_view::npos) buf[comma - start] = '.';
    double value = 0;
    const auto res = std::from_chars(buf, buf + number.size(), value);
    if (res.ec != std::errc() || res.ptr != buf + number.size()) notDecimal(text);
    return negative ? -value : value;
}

std::string shortestDecimal(double value) {
    if (!std::isfinite(value)) return nonFinite(value);
    const Decimal d = toDecimal(value);
    if (d.isZero()) return "0";
    std::string out = d.negative ? "-" : "";
    const int exponent = d.intLen - 1;
    if (exponent >= 15 || exponent < -5) {  // general format's switch to exponent notation
        out += d.digits[0];
        if (d.digits.size() > 1) out += ',' + d.digits.substr(1);
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    const std::string integer = integerDigits(d);
    out += integer.empty() ? "0" : integer;
    const int decimals = static_cast<int>(d.digits.size()) - d.intLen;
    if (decimals > 0) out += ',' + fractionDigits(d, decimals);
    return out;
}

std::string valueForm(double value) {
    if (!std::isfinite(value))
        throw ConversionError("O valor " + nonFinite(value) + " não pode ser gravado no arquivo");
    Decimal d = toDecimal(value);
    // One rounding, at the 12th significant digit or the 4th decimal, whichever comes first.
    roundToDigits(d, std::min(12, d.intLen + 4));
    if (d.intLen > 12)
        throw ConversionError("O valor " + shortestDecimal(value) +
                              " tem mais de 12 dígitos na parte inteira e não pode ser gravado"
                              " no arquivo");
    std::string out = d.negative && !d.isZero() ? "-" : "";
    const std::string integer = integerDigits(d);
    out += integer.empty() ? "0" : integer;
    out += ',' + fractionDigits(d, 4);
    return out;
}

std::string formatPattern(double value, std::string_view pattern) {
    if (pattern.empty()) return shortestDecimal(value);
    if (!std::isfinite(value)) return nonFinite(value);
    const Picture p = compile(pattern);
    Decimal d = toDecimal(value);
    roundToDecimals(d, p.fracPlaces);
    std::string fraction = fractionDigits(d, p.fracPlaces);
    while (static_cast<int>(fraction.size()) > p.fracForced && fraction.back() == '0')
        fraction.pop_back();

    std::string out;
    const bool hasPlaceholders = p.intPlaces > 0 || p.point;
    // The sign goes in front of everything, literal prefix included: "-R$ 1,0000".
    if (d.negative && !d.isZero() && hasPlaceholders) out += '-';
    out += p.prefix;
    if (hasPlaceholders) {
        appendInteger(out, p, integerDigits(d));
        if (!fraction.empty()) out += ',' + fraction;
    }
    out += p.suffix;
    return out;
}

std::string reportNumber(double value) {
    std::string out = formatPattern(value, "#,##0.0000");
    if (out.size() < 2) out.insert(0, 2 - out.size(), ' ');
    return out;
}

namespace {

std::string_view trimTypedBlanks(std::string_view s)
{
    constexpr std::string_view nbsp = "\xC2\xA0";
    for (bool again = true; again;) {
        again = false;
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) { s.remove_prefix(1); again = true; }
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) { s.remove_suffix(1); again = true; }
        if (s.substr(0, nbsp.size()) == nbsp) { s.remove_prefix(nbsp.size()); again = true; }
        if (s.size() >= nbsp.size() && s.substr(s.size() - nbsp.size()) == nbsp) { s.remove_suffix(nbsp.size()); again = true; }
    }
    return s;
}

}  // namespace

TypedNumber readTypedNumber(std::string_view text)
{
    TypedNumber n;
    std::string_view s = trimTypedBlanks(text);
    const auto takeSign = [&] {
        if (!s.empty() && s.front() == '-') {
            n.negative = true;
            s = trimTypedBlanks(s.substr(1));
        }
    };
    takeSign();
    if (s.substr(0, 2) == "R$")
        s = trimTypedBlanks(s.substr(2));
    if (!n.negative)
        takeSign();

    bool shape = true;
    bool afterComma = false;
    bool grouped = false;
    int run = 0;  // integer digits since the start or the last point
    std::string digits;
    for (const char c : s) {
        if (c >= '0' && c <= '9') {
            if (!afterComma) {
                if (grouped && run == 3)
                    shape = false;
                ++run;
                ++n.integerDigits;
            } else {
                ++n.decimals;
            }
            digits += c;
        } else if (c == ',' && !afterComma) {
            if (grouped && run != 3)
                shape = false;
            afterComma = true;
            digits += ',';
        } else if (c == '.' && !afterComma) {
            if (run == 0 || run > 3 || (grouped && run != 3))
                shape = false;
            grouped = true;
            run = 0;
        } else {
            shape = false;
        }
    }
    if (grouped && !afterComma && run != 3)
        shape = false;  // "12.5": an unfinished thousands group
    if (!shape || n.integerDigits + n.decimals == 0)
        return n;
    if (digits.back() == ',')
        digits.pop_back();
    if (digits.front() == ',')
        digits.insert(digits.begin(), '0');
    n.plain = (n.negative ? "-" : "") + digits;
    try {
        n.value = parseDecimal(n.plain);
        n.number = true;
    } catch (const ConversionError&) {
        n.plain.clear();
    }
    return n;
}

std::string typedNumberHint(std::string_view text)
{
    return "\"" + std::string(trimTypedBlanks(text))
        + "\" não é um valor válido. Use a vírgula para os centavos e o ponto só para os milhares, "
          "por exemplo: 1.234,56";
}

}  // namespace ofx::num
