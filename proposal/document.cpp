#include "proposal/document.h"

#include "text/cp1252.h"

#include <algorithm>

namespace ofx::proposal {

namespace {

using text::trimmed;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isCnpjBaseChar(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z'); }

// The check-digit value of one character: its ASCII code minus 48 for digits and upper-case
// letters, 0 for anything else.
int characterValue(char c) { return isCnpjBaseChar(c) ? c - '0' : 0; }

char digitChar(std::uint8_t d) { return static_cast<char>('0' + d); }

// Refusal lists: a number found anywhere inside is refused (eleven or fourteen equal non-zero
// digits pass the arithmetic but are not real documents).
constexpr std::string_view repeatedCpfs =
    "11111111111#22222222222#33333333333#44444444444#55555555555#66666666666#77777777777#"
    "88888888888#99999999999#";
constexpr std::string_view repeatedCnpjs =
    "11111111111111#22222222222222#33333333333333#44444444444444#55555555555555#"
    "66666666666666#77777777777777#88888888888888#99999999999999#";

// Shared rule: base of baseLength characters, d1 over the base, d2 over base + d1, both checked
// against the two characters after the base.
bool checkDigitsMatch(std::string_view number, std::size_t baseLength, std::uint8_t lastWeight)
{
    if (number.size() < baseLength + 2)
        return false;
    std::string base(number.substr(0, baseLength));
    const std::uint8_t d1 = funCalculaModulo(2, lastWeight, base);
    base += digitChar(d1);
    const std::uint8_t d2 = funCalculaModulo(2, lastWeight, base);
    return number[baseLength] == digitChar(d1) && number[baseLength + 1] == digitChar(d2);
}

}  // namespace

std::uint8_t funCalculaModulo(std::uint8_t firstWeight, std::uint8_t lastWeight, std::string_view text)
{
    text = trimmed(text);
    long sum = 0;
    int weight = firstWeight;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        sum += static_cast<long>(weight) * characterValue(*it);
        if (++weight > lastWeight)
            weight = firstWeight;
    }
    const long r = sum % 11;
    return static_cast<std::uint8_t>(r < 2 ? 0 : 11 - r);
}

bool funValidaCPF(std::string_view number)
{
    if (!number.empty() && repeatedCpfs.find(number) != std::string_view::npos)
        return false;
    // Each non-digit would count 0 in the arithmetic ("abcdefghi00" would pass): refuse it.
    if (number.size() < 11 || !std::all_of(number.begin(), number.begin() + 11, isDigit))
        return false;
    return checkDigitsMatch(number, 9, 11);
}

bool funValidaCNPJ(std::string_view number)
{
    if (!number.empty() && repeatedCnpjs.find(number) != std::string_view::npos)
        return false;
    // Same reason: lower-case letters or symbols would count 0 and could pass.
    if (number.size() < 14 || !std::all_of(number.begin(), number.begin() + 12, isCnpjBaseChar))
        return false;
    return checkDigitsMatch(number, 12, 9);
}

bool isCpfType(std::string_view typeText) { return trimmed(typeText) == "CPF"; }

DocumentCheck checkDocument(std::string_view fieldText, std::string_view typeText)
{
    DocumentCheck result;
    result.fieldText = std::string(fieldText);
    std::replace(result.fieldText.begin(), result.fieldText.end(), ' ', '0');

    std::string number;
    for (char c : result.fieldText)
        if (c != '.' && c != '/' && c != '-')
            number += c;

    const bool cpf = isCpfType(typeText);
    const std::string_view digits = trimmed(number);
    result.accepted = cpf ? digits.size() == 11 && funValidaCPF(number)
                          : digits.size() == 14 && funValidaCNPJ(number);
    if (!result.accepted) {
        result.message = std::string(cpf ? invalidCpfMessage : invalidCnpjMessage);
        return result;
    }
    result.stored = cpf ? "cpf" + std::string(digits) : std::string(digits);
    result.type = std::string(typeText);
    result.display = result.fieldText;
    return result;
}

std::string maskForType(std::string_view typeText)
{
    if (trimmed(typeText).empty())
        return {};
    return std::string(typeText == "CPF" ? cpfMask : cnpjMask);
}

bool isStoredDocumentForm(std::string_view stored)
{
    if (stored.size() != 14)
        return false;
    if (stored.substr(0, 3) == "cpf")
        return std::all_of(stored.begin() + 3, stored.end(), isDigit);
    return std::all_of(stored.begin(), stored.begin() + 12, isCnpjBaseChar) && isDigit(stored[12])
        && isDigit(stored[13]);
}

}  // namespace ofx::proposal
