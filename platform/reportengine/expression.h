#pragma once
// The small expression language of report texts. A text object's content is literal text with
// expressions in square brackets:
//   [gNome]                  a variable, or else a value of the report script (case ignored)
//   [dataset."FIELD"]        a field of the current row (dataset.FIELD also works)
//   [PAGE#] [TOTALPAGES#]    the page number and the number of pages of the built report
// An expression may end in the number format " #n%W,Pn" (W the minimum width, P the decimals):
//   "#n%2,4n" prints 1234.5 as 1.234,5000 (Brazilian separators, thousands grouped).
// A "[" without its "]" is literal text.
#include "reportengine/dataset.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace ofx::reportengine {

struct NumberFormat {
    int width = 0;
    int precision = 0;
};

struct Expression {
    enum class Kind { Name, Field, PageNumber, TotalPages };
    Kind kind = Kind::Name;
    QString dataset;  // Field only
    QString name;     // the variable, script value or field name
    std::optional<NumberFormat> format;
};

struct Segment {
    QString literal;                       // printed as is (when expression is empty)
    std::optional<Expression> expression;  // replaced by its value
};

// Splits content into literal and expression segments.
std::vector<Segment> splitContent(QStringView content);

// Parses the inside of one pair of brackets.
Expression parseExpression(QStringView inside);

// The value of a variable's expression. Understood: text literals in single quotes, with ''
// for a quote inside ('Rua D''Ouro' is Rua D'Ouro), joined with + if several; a number; or
// nothing (the empty text). Anything else is taken as its own text.
QString evaluateConstant(QStringView expression);

// The text literal for text: enclosed in single quotes, each quote inside doubled.
QString textLiteral(QStringView text);

// A text read as a number under the Brazilian settings: "." thousands separators are dropped,
// "," is the decimal separator. nullopt when it does not read.
std::optional<double> readNumber(QStringView text);

// A value as arithmetic sees it: null, an empty text and an unreadable text count as 0.
double numberOf(const FieldValue& value);

// A value printed without a format: a text as is, a number in its shortest form ("2,5"),
// null as the empty text.
QString displayText(const FieldValue& value);

// A value printed with a number format. A null or an empty text prints as 0; a text is read
// with readNumber and, when it does not read, prints as is.
QString formatNumber(const FieldValue& value, NumberFormat format);

}  // namespace ofx::reportengine
