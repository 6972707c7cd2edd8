#include "reportengine/reporttemplate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

#include <stdexcept>

namespace ofx::reportengine {

QSizeF PageSetup::paperSizeMm() const
{
    const QSizeF portrait = size.size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

QPageLayout PageSetup::pageLayout() const
{
    return QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
}

ReportObject* ReportTemplate::findObject(QStringView name)
{
    for (Band& band : bands)
        for (ReportObject& object : band.objects)
            if (object.name.compare(name, Qt::CaseInsensitive) == 0)
                return &object;
    return nullptr;
}

const ReportObject* ReportTemplate::findObject(QStringView name) const
{
    return const_cast<ReportTemplate*>(this)->findObject(name);
}

const Band* ReportTemplate::findBand(QStringView name) const
{
    for (const Band& band : bands)
        if (band.name.compare(name, Qt::CaseInsensitive) == 0)
            return &band;
    return nullptr;
}

std::optional<QString> checkTemplate(const ReportTemplate& t)
{
    int details = 0;
    int openGroups = 0;
    bool detailSeen = false;
    for (const Band& band : t.bands) {
        if (band.name.isEmpty())
            return QStringLiteral("Há uma banda sem nome no modelo do relatório.");
        if (!band.child.isEmpty()) {
            // Follow the chain: every child must exist and be of the child kind, without cycles.
            QSet<QString> seen{band.name.toLower()};
            for (const Band* c = &band; !c->child.isEmpty();) {
                const Band* next = t.findBand(c->child);
                if (!next)
                    return QStringLiteral("A banda \"%1\" indica a banda filha \"%2\", que não existe.")
                        .arg(c->name, c->child);
                if (next->kind != BandKind::Child)
                    return QStringLiteral("A banda \"%1\" não é do tipo filha.").arg(next->name);
                if (seen.contains(next->name.toLower()))
                    return QStringLiteral("As bandas filhas a partir de \"%1\" formam um ciclo.")
                        .arg(band.name);
                seen.insert(next->name.toLower());
                c = next;
            }
        }
        switch (band.kind) {
        case BandKind::Detail:
            ++details;
            detailSeen = true;
            break;
        case BandKind::GroupHeader:
            if (detailSeen)
                return QStringLiteral("O cabeçalho de grupo \"%1\" está abaixo da banda de dados.")
                    .arg(band.name);
            if (band.condition.trimmed().isEmpty())
                return QStringLiteral("O cabeçalho de grupo \"%1\" não tem condição.").arg(band.name);
            ++openGroups;
            break;
        case BandKind::GroupFooter:
            if (!detailSeen)
                return QStringLiteral("O rodapé de grupo \"%1\" está acima da banda de dados.")
                    .arg(band.name);
            if (openGroups == 0)
                return QStringLiteral("O rodapé de grupo \"%1\" não tem cabeçalho de grupo.")
                    .arg(band.name);
            --openGroups;
            break;
        default:
            break;
        }
    }
    if (details > 1)
        return QStringLiteral("O modelo do relatório tem mais de uma banda de dados.");
    if (openGroups > 0 && details == 0)
        return QStringLiteral("O modelo do relatório tem grupos sem banda de dados.");
    return std::nullopt;
}

namespace {

// Thrown inside the reader only; turned into TemplateResult::error.
struct BadTemplate : std::runtime_error {
    explicit BadTemplate(const QString& message) : std::runtime_error(message.toStdString()) {}
};

template <typename Enum, size_t N>
Enum choice(const QJsonObject& o, const char* key, const std::pair<const char*, Enum> (&names)[N],
            Enum fallback)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    const QString text = v.toString();
    for (const auto& [name, value] : names)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    throw BadTemplate(QStringLiteral("Valor \"%1\" inválido para \"%2\" no modelo do relatório.")
                          .arg(text, QLatin1String(key)));
}

double number(const QJsonObject& o, const char* key, double fallback)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    if (!v.isDouble())
        throw BadTemplate(QStringLiteral("\"%1\" deve ser um número no modelo do relatório.")
                              .arg(QLatin1String(key)));
    return v.toDouble();
}

QStringList names(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& item : v.toArray())
        out << item.toString();
    return out;
}

ReportObject readObject(const QJsonObject& o)
{
    static const std::pair<const char*, ReportObject::Kind> kinds[] = {
        {"text", ReportObject::Kind::Text}, {"rule", ReportObject::Kind::Rule}};
    static const std::pair<const char*, HAlign> hAligns[] = {
        {"left", HAlign::Left}, {"center", HAlign::Center}, {"right", HAlign::Right},
        {"justify", HAlign::Justify}};
    static const std::pair<const char*, VAlign> vAligns[] = {
        {"top", VAlign::Top}, {"middle", VAlign::Middle}, {"bottom", VAlign::Bottom}};
    static const std::pair<const char*, RuleStyle> styles[] = {
        {"solid", RuleStyle::Solid}, {"dotted", RuleStyle::Dotted}, {"double", RuleStyle::Double}};

    ReportObject r;
    r.kind = choice(o, "type", kinds, ReportObject::Kind::Text);
    r.name = o.value(QLatin1String("name")).toString();
    r.left = number(o, "left", 0);
    r.top = number(o, "top", 0);
    r.width = number(o, "width", 0);
    r.height = number(o, "height", 0);
    r.visible = o.value(QLatin1String("visible")).toBool(true);
    r.text = o.value(QLatin1String("text")).toString();
    const QJsonObject font = o.value(QLatin1String("font")).toObject();
    r.font.family = font.value(QLatin1String("family")).toString(r.font.family);
    r.font.pointSize = number(font, "size", r.font.pointSize);
    r.font.bold = font.value(QLatin1String("bold")).toBool(false);
    r.font.italic = font.value(QLatin1String("italic")).toBool(false);
    r.hAlign = choice(o, "align", hAligns, HAlign::Left);
    r.vAlign = choice(o, "valign", vAligns, VAlign::Top);
    r.grows = o.value(QLatin1String("grows")).toBool(false);
    r.wordWrap = o.value(QLatin1String("wordWrap")).toBool(true);
    r.shiftWith = names(o.value(QLatin1String("shiftWith")));
    r.paddingX = number(o, "paddingX", r.paddingX);
    r.paddingY = number(o, "paddingY", r.paddingY);
    r.afterPrint = o.value(QLatin1String("afterPrint")).toString();
    r.thickness = number(o, "thicknessPx", 1.0) * 25.4 / 96.0;
    r.ruleStyle = choice(o, "style", styles, RuleStyle::Solid);
    return r;
}

Band readBand(const QJsonObject& o)
{
    static const std::pair<const char*, BandKind> kinds[] = {
        {"pageHeader", BandKind::PageHeader}, {"pageFooter", BandKind::PageFooter},
        {"header", BandKind::Header},         {"groupHeader", BandKind::GroupHeader},
        {"detail", BandKind::Detail},         {"groupFooter", BandKind::GroupFooter},
        {"footer", BandKind::Footer},         {"child", BandKind::Child}};
    Band b;
    b.name = o.value(QLatin1String("name")).toString();
    if (!o.contains(QLatin1String("kind")))
        throw BadTemplate(QStringLiteral("A banda \"%1\" não tem tipo.").arg(b.name));
    b.kind = choice(o, "kind", kinds, BandKind::Detail);
    b.height = number(o, "height", 0);
    b.grows = o.value(QLatin1String("grows")).toBool(false);
    b.child = o.value(QLatin1String("child")).toString();
    b.condition = o.value(QLatin1String("condition")).toString();
    b.keepTogether = o.value(QLatin1String("keepTogether")).toBool(false);
    for (const QJsonValue& v : o.value(QLatin1String("objects")).toArray())
        b.objects.push_back(readObject(v.toObject()));
    return b;
}

}  // namespace

TemplateResult parseTemplate(const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return {std::nullopt,
                QStringLiteral("O modelo do relatório não é um JSON válido (posição %1: %2).")
                    .arg(parseError.offset)
                    .arg(parseError.errorString())};
    const QJsonObject root = doc.object();
    try {
        ReportTemplate t;
        t.name = root.value(QLatin1String("name")).toString();
        t.datasetName = root.value(QLatin1String("dataset")).toString();
        t.onStart = root.value(QLatin1String("onStart")).toString();
        t.scriptValues = names(root.value(QLatin1String("scriptValues")));
        for (const QJsonValue& v : root.value(QLatin1String("variables")).toArray()) {
            const QJsonObject var = v.toObject();
            t.variables.push_back({var.value(QLatin1String("name")).toString(),
                                   var.value(QLatin1String("value")).toString()});
        }
        const QJsonObject page = root.value(QLatin1String("page")).toObject();
        static const std::pair<const char*, QPageSize::PageSizeId> sizes[] = {
            {"A4", QPageSize::A4}, {"A3", QPageSize::A3}, {"A5", QPageSize::A5},
            {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};
        t.page.size = QPageSize(choice(page, "size", sizes, QPageSize::A4));
        static const std::pair<const char*, QPageLayout::Orientation> orientations[] = {
            {"portrait", QPageLayout::Portrait}, {"landscape", QPageLayout::Landscape}};
        t.page.orientation = choice(page, "orientation", orientations, QPageLayout::Portrait);
        const QJsonArray margins = page.value(QLatin1String("margins")).toArray();
        if (!margins.isEmpty()) {
            if (margins.size() != 4)
                throw BadTemplate(QStringLiteral(
                    "As margens da página devem ser quatro números: esquerda, topo, direita, base."));
            t.page.margins = QMarginsF(margins[0].toDouble(), margins[1].toDouble(),
                                       margins[2].toDouble(), margins[3].toDouble());
        }
        for (const QJsonValue& v : root.value(QLatin1String("bands")).toArray())
            t.bands.push_back(readBand(v.toObject()));
        if (auto problem = checkTemplate(t))
            return {std::nullopt, *problem};
        return {std::move(t), {}};
    } catch (const BadTemplate& e) {
        return {std::nullopt, QString::fromStdString(e.what())};
    }
}

}  // namespace ofx::reportengine
