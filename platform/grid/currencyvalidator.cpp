#include "grid/currencyvalidator.h"

#include "text/numbers.h"

namespace ofx::grid {

std::optional<CurrencyInput> readCurrencyInput(const QString& text)
{
    CurrencyInput in;
    const QString t = text.trimmed();
    bool afterComma = false;
    // A point separates thousands only: 1 to 3 digits before the first, exactly 3 between two
    // and after the last. "12.50" is no 1250: it stays unfinished, "12.5000" is refused.
    bool grouped = false;
    int run = 0;     // integer digits since the start or the last point
    QString digits;  // the number without points, for the conversion
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('-') && i == 0) {
            in.negative = true;
            digits += c;
        } else if (c.isDigit() && c.unicode() < 128) {
            if (!afterComma) {
                if (grouped && run == 3)
                    return std::nullopt;
                ++run;
            }
            (afterComma ? in.decimals : in.integerDigits) += 1;
            digits += c;
        } else if (c == QLatin1Char(',') && !afterComma) {
            if (grouped && run != 3)
                return std::nullopt;
            afterComma = true;
            digits += c;
        } else if (c == QLatin1Char('.') && !afterComma) {
            if (run == 0 || run > 3 || (grouped && run != 3))
                return std::nullopt;
            grouped = true;
            run = 0;
        } else {
            return std::nullopt;
        }
    }
    in.groupOpen = grouped && !afterComma && run != 3;
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
    if (in->groupOpen)
        return Intermediate;
    return in->value || input.trimmed().isEmpty() ? Acceptable : Intermediate;
}

}  // namespace ofx::grid
