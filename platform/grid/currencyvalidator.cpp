#include "grid/currencyvalidator.h"

#include "text/numbers.h"

namespace ofx::grid {

std::optional<CurrencyInput> readCurrencyInput(const QString& text)
{
    CurrencyInput in;
    const QString t = text.trimmed();
    bool afterComma = false;
    QString digits;  // the number without points, for the conversion
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('-') && i == 0) {
            in.negative = true;
            digits += c;
        } else if (c.isDigit() && c.unicode() < 128) {
            (afterComma ? in.decimals : in.integerDigits) += 1;
            digits += c;
        } else if (c == QLatin1Char(',') && !afterComma) {
            afterComma = true;
            digits += c;
        } else if (c == QLatin1Char('.') && !afterComma) {
            // thousands point: dropped
        } else {
            return std::nullopt;
        }
    }
    if (in.integerDigits + in.decimals > 0) {
        try {
            in.value = num::parseDecimal((digits.endsWith(QLatin1Char(',')) ? digits.chopped(1) : digits).toStdString());
        } catch (const num::ConversionError&) {
            in.value.reset();
        }
    }
    return in;
}

CurrencyValidator::CurrencyValidator(int decimals, std::function<bool(const CurrencyInput&)> constraint, QObject* parent)
    : QValidator(parent)
    , decimals_(decimals)
    , constraint_(std::move(constraint))
{
}

QValidator::State CurrencyValidator::validate(QString& input, int&) const
{
    const auto in = readCurrencyInput(input);
    if (!in || in->decimals > decimals_)
        return Invalid;
    if (constraint_ && !constraint_(*in))
        return Invalid;
    return in->value || input.trimmed().isEmpty() ? Acceptable : Intermediate;
}

}  // namespace ofx::grid
