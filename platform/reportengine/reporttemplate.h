#pragma once
// A band report template as plain data: the page, the bands in template order with their text
// objects and rules, the variables, the script's running values and the names of its handlers.
// Lengths are millimetres; positions are from the top-left corner of the band that holds the
// object. The template's stored form is JSON (parseTemplate), kept with the program's resources.
#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace ofx::reportengine {

enum class BandKind {
    PageHeader,   // at the top of every page
    PageFooter,   // at the bottom of every page
    Header,       // once, before the first data row (not printed when there are no rows)
    GroupHeader,  // when its condition's value changes; group headers nest in template order
    Detail,       // once per data row
    GroupFooter,  // closes the nearest unpaired group header above it
    Footer,       // once, after the last data row
    Child,        // right after the band that names it as its child
};

enum class HAlign { Left, Center, Right, Justify };  // Justify: block, the last line left
enum class VAlign { Top, Middle, Bottom };
enum class RuleStyle { Solid, Dotted, Double };

struct FontDesc {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
};

// A text object or a horizontal rule.
struct ReportObject {
    enum class Kind { Text, Rule };
    Kind kind = Kind::Text;
    QString name;
    double left = 0, top = 0, width = 0, height = 0;  // mm; a rule is drawn along its top
    bool visible = true;

    // Text: literal text with [expressions] (see expression.h).
    QString text;
    FontDesc font;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool grows = false;    // takes the height its wrapped text needs, never less than height
    bool wordWrap = true;  // false: hard lines only; a growing object's width then follows them
    // Objects whose growth moves this one down although they do not overlap it horizontally
    // (a label that must stay level with the value beside it).
    QStringList shiftWith;
    double paddingX = 0.53, paddingY = 0.26;  // mm between the frame and the text (2 px, 1 px)
    QString afterPrint;  // script handler run right after the object's text is evaluated

    // Rule.
    double thickness = 0.2646;  // mm (1 px at 96 per inch)
    RuleStyle ruleStyle = RuleStyle::Solid;
};

struct Band {
    QString name;
    BandKind kind = BandKind::Detail;
    double height = 0;  // mm as designed
    bool grows = false; // becomes as tall as its lowest object when that is lower
    QString child;      // band printed right after this one; kept on the same page with it
    QString condition;  // GroupHeader: expression whose change of value starts a new group
    // GroupHeader: a group that does not fit in the space left on the page, but fits on an
    // empty one, starts on a new page. A longer group flows on from where it is.
    bool keepTogether = false;
    std::vector<ReportObject> objects;
};

struct Variable {
    QString name;
    QString expression;  // an expression of the engine: usually a quoted text literal
};

struct PageSetup {
    QPageSize size{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};  // mm: left, top, right, bottom

    QSizeF paperSizeMm() const;  // width and height as oriented
    QPageLayout pageLayout() const;
};

struct ReportTemplate {
    QString name;
    PageSetup page;
    QString datasetName;  // the name field expressions use: dataset."FIELD"
    std::vector<Variable> variables;
    QStringList scriptValues;  // the script's real numbers, all 0 at the start of each build
    QString onStart;           // script handler run at the start of each build
    std::vector<Band> bands;   // in template order

    // Looked up without regard to letter case; nullptr when missing.
    ReportObject* findObject(QStringView name);
    const ReportObject* findObject(QStringView name) const;
    const Band* findBand(QStringView name) const;
};

// The structural checks a build relies on: known child bands without cycles, at most one detail
// band, group headers and footers paired, every group header with a condition. Returns the
// first problem as a Portuguese sentence, or nothing.
std::optional<QString> checkTemplate(const ReportTemplate& t);

struct TemplateResult {
    std::optional<ReportTemplate> value;
    QString error;  // Portuguese sentence; set when value is empty
};

// Reads the JSON form, then checkTemplate. Members, all optional unless stated:
//   name, dataset, onStart, scriptValues: [names], variables: [{name, value}],
//   page: {size: "A4", orientation: "portrait"|"landscape", margins: [l, t, r, b]},
//   bands: [{name*, kind*: pageHeader|pageFooter|header|groupHeader|detail|groupFooter|footer|
//            child, height, grows, child, condition, keepTogether, objects: [...]}]
//   objects: {name, type: "text"|"rule", left, top, width, height, visible,
//             text, font: {family, size, bold, italic}, align: left|center|right|justify,
//             valign: top|middle|bottom, grows, wordWrap, shiftWith: [names], afterPrint,
//             paddingX, paddingY, thicknessPx (at 96 per inch), style: solid|dotted|double}
TemplateResult parseTemplate(const QByteArray& json);

}  // namespace ofx::reportengine
