#include "proposal/recordlayout.h"

#include "text/numbers.h"

#include <cmath>

namespace ofx::proposal {

// --- text filling -------------------------------------------------------------------------------

void appendStrZeros(std::string& out, std::string_view text, int width)
{
    if (static_cast<int>(text.size()) < width)
        out.append(static_cast<std::size_t>(width) - text.size(), '0');
    out += text;
}

void appendLRPad(std::string& out, std::string_view text, int width, char direction, char fill)
{
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (text.size() >= w) {
        out += text.substr(0, w);
        return;
    }
    const bool left = direction == 'L' || direction == 'l';
    if (left)
        out.append(w - text.size(), fill);
    out += text;
    if (!left)
        out.append(w - text.size(), fill);
}

std::string StrZeros(std::string_view text, int width)
{
    std::string out;
    appendStrZeros(out, text, width);
    return out;
}

std::string LRPad(std::string_view text, int width, char direction, char fill)
{
    std::string out;
    out.reserve(width > 0 ? static_cast<std::size_t>(width) : 0);
    appendLRPad(out, text, width, direction, fill);
    return out;
}

// --- the layout ---------------------------------------------------------------------------------

const FieldLayout* findFieldLayout(std::string_view name)
{
    for (const FieldLayout& f : itemLayout)
        if (f.name == name)
            return &f;
    for (const FieldLayout& f : lotLayout)
        if (f.name == name)
            return &f;
    return nullptr;
}

// --- number forms -------------------------------------------------------------------------------

std::string valueForm(double value) { return num::valueForm(value); }

std::string_view withoutZerosBeforeSign(std::string_view text)
{
    const auto firstNonZero = text.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos && firstNonZero > 0 && text[firstNonZero] == '-')
        return text.substr(firstNonZero);
    return text;
}

std::string quantityForm(std::string_view quantityText)
{
    std::string digits;
    digits.reserve(quantityText.size());
    for (const char c : withoutZerosBeforeSign(quantityText))
        if (c != '.')
            digits += c;
    if (digits.find_first_not_of(' ') == std::string::npos)  // empty, or blanks only
        return valueForm(0.0);
    return valueForm(num::parseDecimal(digits));
}

std::string percentageForm(double value)
{
    if (!std::isfinite(value))
        throw num::ConversionError("O percentual " + num::shortestDecimal(value) + " não pode ser gravado no arquivo");
    return num::formatPattern(value, "##0.0000");
}

std::string lotNumberForm(std::int32_t lotNumber) { return num::formatPattern(lotNumber, "#00000"); }

}  // namespace ofx::proposal
