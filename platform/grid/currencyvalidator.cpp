#include "grid/currencyvalidator.h"

#include "text/numbers.h"

namespace ofx::grid {

CurrencyInput readCurrencyInput(const QString& text)
{
    const num::TypedNumber n = num::readTypedNumber(text.toStdString());
    CurrencyInput in;
    in.negative = n.negative;
    in.integerDigits = n.integerDigits;
    in.decimals = n.decimals;
    if (n.number)
        in.value = n.value;
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
    const CurrencyInput in = readCurrencyInput(input);
    if (in.decimals > decimals_)
        return Invalid;
    if (constraint_ && !constraint_(in))
        return Invalid;
    return in.value || input.trimmed().isEmpty() ? Acceptable : Intermediate;
}

}  // namespace ofx::grid
