#pragma once
// Keystroke check of a currency editor: Brazilian numbers ("12,5", "1.234,5", "-3"), at most
// `decimals` digits after the comma, and an optional constraint of the caller's.
#include "grid/gridcolumn.h"

#include <QValidator>

namespace ofx::grid {

// Takes a currency text apart: sign, integer digits (thousands points skipped), decimals and the
// value. Nothing when the text is not of that shape at all (letters, two commas, a point after
// the comma or out of its thousands place, a sign not in front).
std::optional<CurrencyInput> readCurrencyInput(const QString& text);

class CurrencyValidator : public QValidator {
public:
    CurrencyValidator(int decimals, std::function<bool(const CurrencyInput&)> constraint, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

private:
    int decimals_;
    std::function<bool(const CurrencyInput&)> constraint_;
};

}  // namespace ofx::grid
