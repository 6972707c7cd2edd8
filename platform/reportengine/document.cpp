#include "reportengine/document.h"

#include "reportengine/textengine.h"

#include <QPainter>
#include <QPen>

namespace ofx::reportengine {

Document::Document() = default;
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

const PageSetup& Document::pageSetup() const
{
    static const PageSetup none;
    return template_ ? template_->page : none;
}

QSizeF Document::paperSizeMm() const { return pageSetup().paperSizeMm(); }

QPageLayout Document::pageLayout() const { return pageSetup().pageLayout(); }

namespace {

void paintRule(QPainter& painter, const PlacedObject& o)
{
    const ReportObject& source = *o.source;
    QPen pen(Qt::black, source.thickness);
    pen.setCapStyle(Qt::FlatCap);
    const double x1 = o.rect.left(), x2 = o.rect.right(), y = o.rect.top();
    switch (source.ruleStyle) {
    case RuleStyle::Solid:
        painter.setPen(pen);
        painter.drawLine(QPointF(x1, y), QPointF(x2, y));
        break;
    case RuleStyle::Dotted:
        pen.setDashPattern({1.0, 2.0});  // in pen widths: a dot, then a gap of two
        painter.setPen(pen);
        painter.drawLine(QPointF(x1, y), QPointF(x2, y));
        break;
    case RuleStyle::Double: {
        // Two rules of the given thickness with one thickness of paper between them.
        const double t = source.thickness;
        painter.setPen(pen);
        painter.drawLine(QPointF(x1, y - t), QPointF(x2, y - t));
        painter.drawLine(QPointF(x1, y + t), QPointF(x2, y + t));
        break;
    }
    }
}

}  // namespace

void Document::paintPage(int index, QPainter& painter) const
{
    if (index < 0 || index >= pageCount())
        return;
    const Page& p = page(index);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const PlacedObject& o : p.objects)
        if (o.source->kind == ReportObject::Kind::Rule)
            paintRule(painter, o);
    painter.scale(1.0 / detail::kUnitsPerMm, 1.0 / detail::kUnitsPerMm);
    painter.setPen(Qt::black);
    for (const PlacedObject& o : p.objects)
        if (o.source->kind == ReportObject::Kind::Text)
            detail::paintText(painter, fonts_->style(o.source->font), o);
    painter.restore();
}

QString Document::pageText(int index) const
{
    QStringList lines;
    for (const PlacedObject& o : page(index).objects)
        if (!o.text.isEmpty())
            lines << o.text;
    return lines.join(u'\n');
}

Document::Hit Document::find(const QString& text, Hit after) const
{
    if (text.isEmpty())
        return {};
    int object = after.page < 0 ? -1 : after.object;
    for (int p = std::max(after.page, 0); p < pageCount(); ++p, object = -1) {
        const auto& objects = page(p).objects;
        for (int o = object + 1; o < static_cast<int>(objects.size()); ++o)
            if (objects[static_cast<size_t>(o)].text.contains(text, Qt::CaseInsensitive))
                return {p, o};
    }
    return {};
}

}  // namespace ofx::reportengine
