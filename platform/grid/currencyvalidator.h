#pragma once
// Keystroke check of a currency editor. A keystroke is refused only when it breaks one of the
// column's limits (more than `decimals` digits after the comma, or the caller's constraint, such
// as no minus sign); any other text stays in the editor as typed, even while it is no number,
// and is judged when the editor closes (see DataGrid): a "." or "," typed never vanishes.
#include "grid/gridcolumn.h"

#include <QValidator>

namespace ofx::grid {

// Takes a currency text apart as num::readTypedNumber does; value is set only when the whole
// text is a number.
CurrencyInput readCurrencyInput(const QString& text);

class CurrencyValidator : public QValidator {
public:
    CurrencyValidator(int decimals, std::function<bool(const CurrencyInput&)> constraint, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

private:
    int decimals_;
    std::function<bool(const CurrencyInput&)> constraint_;
};

}  // namespace ofx::grid
