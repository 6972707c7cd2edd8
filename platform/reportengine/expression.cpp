#include "reportengine/expression.h"

#include "text/numbers.h"

#include <QRegularExpression>

namespace ofx::reportengine {

std::vector<Segment> splitContent(QStringView content)
{
    std::vector<Segment> out;
    QString literal;
    qsizetype i = 0;
    while (i < content.size()) {
        const qsizetype open = content.indexOf(u'[', i);
        const qsizetype close = open < 0 ? -1 : content.indexOf(u']', open + 1);
        if (open < 0 || close < 0) {
            literal += content.mid(i);
            break;
        }
        literal += content.mid(i, open - i);
        if (!literal.isEmpty()) {
            out.push_back({literal, std::nullopt});
            literal.clear();
        }
        out.push_back({{}, parseExpression(content.mid(open + 1, close - open - 1))});
        i = close + 1;
    }
    if (!literal.isEmpty())
        out.push_back({literal, std::nullopt});
    return out;
}

Expression parseExpression(QStringView inside)
{
    static const QRegularExpression formatted(
        QStringLiteral(R"(^(.*?)\s*#n%(\d+)[,.](\d+)n\s*$)"));
    static const QRegularExpression field(QStringLiteral(R"re(^(\w+)\.\s*(?:"([^"]*)"|(\w+))$)re"));

    Expression e;
    QString base = inside.trimmed().toString();
    if (const auto m = formatted.match(base); m.hasMatch()) {
        e.format = NumberFormat{m.captured(2).toInt(), m.captured(3).toInt()};
        base = m.captured(1).trimmed();
    }
    if (base.compare(QLatin1String("PAGE#"), Qt::CaseInsensitive) == 0) {
        e.kind = Expression::Kind::PageNumber;
    } else if (base.compare(QLatin1String("TOTALPAGES#"), Qt::CaseInsensitive) == 0) {
        e.kind = Expression::Kind::TotalPages;
    } else if (const auto m = field.match(base); m.hasMatch()) {
        e.kind = Expression::Kind::Field;
        e.dataset = m.captured(1);
        e.name = m.capturedLength(2) > 0 ? m.captured(2) : m.captured(3);
    } else {
        e.name = base;
    }
    return e;
}

namespace {

// Reads 'a''b' + 'c' ...; nullopt when expression is not made of text literals only.
std::optional<QString> literals(QStringView expression)
{
    QString out;
    qsizetype i = 0;
    const qsizetype n = expression.size();
    bool expectLiteral = true;
    while (i < n) {
        const QChar c = expression[i];
        if (c.isSpace()) {
            ++i;
        } else if (expectLiteral && c == u'\'') {
            ++i;
            for (;;) {
                if (i >= n)
                    return std::nullopt;  // unterminated
                if (expression[i] == u'\'') {
                    if (i + 1 < n && expression[i + 1] == u'\'') {
                        out += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += expression[i++];
            }
            expectLiteral = false;
        } else if (!expectLiteral && c == u'+') {
            expectLiteral = true;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (expectLiteral)
        return std::nullopt;  // empty, or a dangling +
    return out;
}

QString formatDouble(double value, NumberFormat format)
{
    if (format.width == 2 && format.precision == 4)
        return QString::fromStdString(num::reportNumber(value));
    std::string pattern = "#,##0";
    if (format.precision > 0)
        pattern += "." + std::string(static_cast<size_t>(format.precision), '0');
    const QString text = QString::fromStdString(num::formatPattern(value, pattern));
    return text.rightJustified(format.width, u' ');
}

}  // namespace

QString evaluateConstant(QStringView expression)
{
    const QStringView trimmed = expression.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (auto text = literals(trimmed))
        return *text;
    return trimmed.toString();
}

QString textLiteral(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'\'';
    for (QChar c : text) {
        out += c;
        if (c == u'\'')
            out += u'\'';
    }
    out += u'\'';
    return out;
}

std::optional<double> readNumber(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    QString digits = text.toString();
    digits.remove(u'.');
    try {
        return num::parseDecimal(digits.toStdString());
    } catch (const num::ConversionError&) {
        return std::nullopt;
    }
}

double numberOf(const FieldValue& value)
{
    if (const double* d = std::get_if<double>(&value))
        return *d;
    if (const QString* s = std::get_if<QString>(&value))
        return readNumber(*s).value_or(0.0);
    return 0.0;
}

QString displayText(const FieldValue& value)
{
    if (const QString* s = std::get_if<QString>(&value))
        return *s;
    if (const double* d = std::get_if<double>(&value))
        return QString::fromStdString(num::shortestDecimal(*d));
    return {};
}

QString formatNumber(const FieldValue& value, NumberFormat format)
{
    if (const double* d = std::get_if<double>(&value))
        return formatDouble(*d, format);
    if (const QString* s = std::get_if<QString>(&value)) {
        if (s->isEmpty())
            return formatDouble(0.0, format);
        if (auto n = readNumber(*s))
            return formatDouble(*n, format);
        return *s;
    }
    return formatDouble(0.0, format);
}

}  // namespace ofx::reportengine
