#include "reportengine/textengine.h"

#include "reportengine/document.h"

#include <QPainter>
#include <QPen>
#include <QTextLayout>

#include <functional>
#include <QTextOption>

#include <algorithm>

namespace ofx::reportengine::detail {

namespace {

QFont layoutFont(const FontDesc& desc)
{
    QFont f(desc.family);
    f.setPixelSize(qRound(desc.pointSize * kUnitsPerPoint));
    f.setBold(desc.bold);
    f.setItalic(desc.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

bool hasBreak(const QString& text)
{
    for (QChar c : text)
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator)
            return true;
    return false;
}

// QTextLayout breaks lines only at U+2028.
QString withLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\r', QChar::LineSeparator);
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

QTextOption wrapOption(Wrap wrap, HAlign align)
{
    QTextOption option;
    switch (wrap) {
    case Wrap::None: option.setWrapMode(QTextOption::ManualWrap); break;
    case Wrap::Words: option.setWrapMode(QTextOption::WordWrap); break;
    case Wrap::Anywhere: option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere); break;
    }
    switch (align) {
    case HAlign::Left: option.setAlignment(Qt::AlignLeft); break;
    case HAlign::Center: option.setAlignment(Qt::AlignHCenter); break;
    case HAlign::Right: option.setAlignment(Qt::AlignRight); break;
    case HAlign::Justify: option.setAlignment(Qt::AlignJustify); break;
    }
    return option;
}

}  // namespace

TextStyle::TextStyle(const FontDesc& s)
    : desc(s), font(layoutFont(s)), metrics(font),
      lineHeight(metrics.lineSpacing() / kUnitsPerMm), ascent(metrics.ascent() / kUnitsPerMm),
      narrowest(0.15 * s.pointSize * 25.4 / 72)  // well below the narrowest Latin glyph
{
}

const TextStyle& FontCache::style(const FontDesc& desc)
{
    for (const auto& s : styles_)
        if (s->desc.pointSize == desc.pointSize && s->desc.bold == desc.bold &&
            s->desc.italic == desc.italic && s->desc.family == desc.family)
            return *s;
    styles_.push_back(std::make_unique<TextStyle>(desc));
    return *styles_.back();
}

void installFontSubstitutions()
{
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)done;
}

Wrap wrapOf(const ReportObject& object)
{
    if (!object.wordWrap)
        return Wrap::None;
    return object.grows ? Wrap::Anywhere : Wrap::Words;
}

TextExtent measureText(const TextStyle& style, const QString& text, double width, Wrap wrap)
{
    if (text.isEmpty())
        return {};
    const double available = width * kUnitsPerMm;
    // A text that could not fit even in its narrowest characters skips the one-line attempt.
    if (!hasBreak(text) && (wrap == Wrap::None || text.size() * style.narrowest <= width)) {
        const double advance = style.metrics.horizontalAdvance(text);
        if (wrap == Wrap::None || advance <= available)
            return {1, advance / kUnitsPerMm};
    }
    QTextLayout layout(withLineSeparators(text), style.font);
    layout.setTextOption(wrapOption(wrap, HAlign::Left));
    TextExtent extent;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(available);  // without wrapping, lines end only at hard breaks
        extent.widest = std::max(extent.widest, line.naturalTextWidth() / kUnitsPerMm);
        ++extent.lines;
    }
    layout.endLayout();
    return extent;
}

namespace {

// A run of underscores (a signature or fill-in line) also gets an unbroken rule along it: the
// glyphs alone print as a faint, dashed hairline that can vanish on paper. The text stays.
void ruleUnderscoreRuns(QPainter& painter, const TextStyle& style, const QString& text, int from, int length,
                        const std::function<double(int)>& xAt, double baseline)
{
    constexpr int shortest = 3;
    const double y = baseline + std::max(style.metrics.underlinePos(), 1.0);
    for (int i = from; i < from + length;) {
        if (text[i] != u'_') {
            ++i;
            continue;
        }
        int end = i;
        while (end < from + length && text[end] == u'_')
            ++end;
        if (end - i >= shortest) {
            painter.save();
            QPen pen(painter.pen().color());
            pen.setWidthF(0.3 * kUnitsPerMm);  // 0.3 mm, as a printed rule
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(QPointF(xAt(i), y), QPointF(xAt(end), y));
            painter.restore();
        }
        i = end;
    }
}

}  // namespace

void paintText(QPainter& painter, const TextStyle& style, const PlacedObject& object)
{
    if (object.text.isEmpty() || object.lines == 0)
        return;
    const ReportObject& source = *object.source;
    const QRectF area = object.rect.adjusted(source.paddingX, source.paddingY, -source.paddingX,
                                             -source.paddingY);
    const double block = object.lines * style.lineHeight;
    double top = area.top();
    if (source.vAlign == VAlign::Middle)
        top += (area.height() - block) / 2;
    else if (source.vAlign == VAlign::Bottom)
        top += area.height() - block;
    top = std::max(top, area.top());  // text taller than a fixed frame starts at its top

    if (painter.font() != style.font)
        painter.setFont(style.font);

    if (object.lines == 1 && !hasBreak(object.text)) {
        double x = area.left();
        if (source.hAlign == HAlign::Right)
            x += area.width() - object.textWidth;
        else if (source.hAlign == HAlign::Center)
            x += (area.width() - object.textWidth) / 2;
        const QPointF origin(x * kUnitsPerMm, (top + style.ascent) * kUnitsPerMm);
        painter.drawText(origin, object.text);
        if (object.text.contains(u'_'))
            ruleUnderscoreRuns(painter, style, object.text, 0, int(object.text.size()),
                               [&](int at) { return origin.x() + style.metrics.horizontalAdvance(object.text.left(at)); },
                               origin.y());
        return;
    }

    const double available = area.width() * kUnitsPerMm;
    QTextLayout layout(withLineSeparators(object.text), style.font);
    layout.setTextOption(wrapOption(wrapOf(source), source.hAlign));
    layout.beginLayout();
    // A fixed frame shows the lines that fit in it (at least half of the line), and always the
    // first; a grown frame fits all of them.
    for (int i = 0; i == 0 || top + (i + 0.5) * style.lineHeight <= area.bottom(); ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(available);
        line.setPosition(QPointF(0, i * style.lineHeight * kUnitsPerMm));
    }
    layout.endLayout();
    const QPointF origin(area.left() * kUnitsPerMm, top * kUnitsPerMm);
    layout.draw(&painter, origin);
    if (object.text.contains(u'_')) {
        const QString& laid = layout.text();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            ruleUnderscoreRuns(painter, style, laid, line.textStart(), line.textLength(),
                               [&](int at) { return origin.x() + line.cursorToX(at); },
                               origin.y() + line.y() + line.ascent());
        }
    }
}

}  // namespace ofx::reportengine::detail
