#pragma once
// One column of a DataGrid: the table field it shows and how it shows and edits it.
#include <QString>
#include <Qt>

#include <functional>
#include <optional>
#include <string>

namespace ofx::grid {

// What a currency editor's text amounts to, for a column's input constraint. Seen on every
// keystroke, also while the text is no number yet; a constraint that returns false refuses the
// keystroke (or the paste).
struct CurrencyInput {
    bool negative = false;
    int integerDigits = 0;        // digits before the decimal comma, thousands points not counted
    int decimals = 0;             // digits after it
    std::optional<double> value;  // empty while the text is not a number ("", "-", "12.50")
};

enum class EditorKind {
    Text,      // plain text, at most the text field's size
    Currency,  // Brazilian number, read by num::readTypedNumber: "12,5", "1.234,5", "R$ 4,75"
};

enum class FooterKind {
    None,
    Sum,   // the sum of the column over the rows shown, in footerFormat; nothing without rows
    Text,  // footerText, always
};

struct GridColumn {
    QString name{};   // for columnIndex(); the program's component name
    QString caption{};
    std::string field{};  // table field name
    int width = 64;     // px
    int bestFitMax = 0;  // px; the widest a double click on the divider makes it (0: no limit)
    bool visible = true;
    bool editable = true;
    bool focusable = true;  // a cell that cannot be focused cannot be edited either
    bool grey = false;      // read-only look: background #B9B9B9
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment headerAlignment = Qt::AlignCenter;

    // Display: a number picture of num::formatPattern ("R$ ###,###,##0.0000"); a text field is
    // converted as a Brazilian number first (a text that is none shows as it is). Empty: the
    // field's own text form. A null shows nothing.
    QString displayFormat{};

    EditorKind editor = EditorKind::Text;
    int decimals = 4;                 // Currency: decimal places the editor accepts
    bool formatWhileEditing = false;  // Currency: the editor starts with the display format's text
    std::function<bool(const CurrencyInput&)> inputConstraint{};  // Currency; empty: anything
    // Currency: judges the typed number when the editor closes; a non-empty message refuses it
    // (as a text that is no number is refused).
    std::function<QString(double)> commitCheck{};

    FooterKind footer = FooterKind::None;
    QString footerFormat{};  // Sum
    QString footerText{};    // Text
};

}  // namespace ofx::grid
