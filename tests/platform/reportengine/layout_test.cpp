// Layout of built reports, checked on the placed bands and objects (mm), without painting.
#include "lotsfixture.h"
#include "reportengine/expression.h"
#include "reportengine/report.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>

using namespace ofx::reportengine;
using namespace ofx::reportengine::test;

namespace {

std::vector<const PlacedBand*> bandsNamed(const Page& page, const QString& name)
{
    std::vector<const PlacedBand*> out;
    for (const PlacedBand& b : page.bands)
        if (b.band->name == name)
            out.push_back(&b);
    return out;
}

std::vector<const PlacedObject*> objectsNamed(const Page& page, const QString& name)
{
    std::vector<const PlacedObject*> out;
    for (const PlacedObject& o : page.objects)
        if (o.name() == name)
            out.push_back(&o);
    return out;
}

int countBands(const Document& doc, const QString& name)
{
    int n = 0;
    for (int p = 0; p < doc.pageCount(); ++p)
        n += static_cast<int>(bandsNamed(doc.page(p), name).size());
    return n;
}

}  // namespace

TEST(ReportLayout, ArialResolvesToAMetricCompatibleFont)
{
    Report report(lotsTemplate());
    report.build();  // installs the substitution
    const QString family = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    EXPECT_TRUE(family == "Arial" || family == "Liberation Sans") << family.toStdString();
}

TEST(ReportLayout, BandsAndObjectsSitAtTheirMillimetrePositions)
{
    TableDataset ds = lotsData({1});
    const Document doc = lotsReport(&ds).build();
    ASSERT_EQ(doc.pageCount(), 1);
    const Page& page = doc.page(0);
    // Print order: page header, header chain, lot header chain, row and rule, footers, page footer.
    QStringList order;
    for (const PlacedBand& b : page.bands)
        order << b.band->name;
    EXPECT_EQ(order.join(' '), "PH H HC G GC D DR GF F PF");

    struct Case {
        const char* object;
        QRectF rect;
    } cases[] = {
        {"Titulo", {10, 10, 190, 5}},   // page header at the top margin
        {"Sub", {10, 15, 190, 5}},
        {"PHRule", {10, 25, 190, 0}},   // rules have no height
        {"Head", {10, 28, 190, 5}},     // header at 25 (after 15 mm of page header), top 3
        {"Lote", {10, 55, 100, 5}},     // 25 + 20 + 10
        {"Caption", {30, 65, 60, 5}},
        {"Code", {10, 75, 20, 10}},
        {"RowRule", {10, 85.4, 190, 0}},
        {"Total", {110, 85.4, 90, 5}},
        {"Grand", {110, 95.4, 90, 5}},
        {"PageNo", {160, 282, 40, 5}},  // page footer at 297 - 10 - 5
    };
    for (const Case& c : cases) {
        const auto found = objectsNamed(page, c.object);
        ASSERT_EQ(found.size(), 1u) << c.object;
        const QRectF r = found[0]->rect;
        EXPECT_NEAR(r.left(), c.rect.left(), 1e-9) << c.object;
        EXPECT_NEAR(r.top(), c.rect.top(), 1e-9) << c.object;
        EXPECT_NEAR(r.width(), c.rect.width(), 1e-9) << c.object;
        EXPECT_NEAR(r.height(), c.rect.height(), 1e-9) << c.object;
    }
}

TEST(ReportLayout, WrappedDescriptionGrowsItsRowAndTheRuleFollows)
{
    const QString longText = QStringLiteral(
        "Caneta esferográfica azul, corpo sextavado transparente, ponta média de 1,0 mm com "
        "esfera de tungstênio, tinta à base de óleo, tampa e plug na cor da tinta, caixa com "
        "cinquenta unidades, validade mínima de dois anos a contar da entrega");
    TableDataset ds = lotsData({2}, longText);
    const Document doc = lotsReport(&ds).build();
    const Page& page = doc.page(0);
    const auto rows = bandsNamed(page, "D");
    const auto rules = bandsNamed(page, "DR");
    const auto descs = objectsNamed(page, "Desc");
    const auto codes = objectsNamed(page, "Code");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rules.size(), 2u);
    ASSERT_EQ(descs.size(), 2u);

    EXPECT_GT(descs[0]->lines, 3);
    EXPECT_GT(descs[0]->rect.height(), 10.0);
    EXPECT_NEAR(rows[0]->rect.height(), descs[0]->rect.height(), 1e-9);  // the row follows it
    EXPECT_NEAR(rules[0]->rect.top(), rows[0]->rect.bottom(), 1e-9);     // and so does its rule
    EXPECT_NEAR(rows[1]->rect.top(), rules[0]->rect.bottom(), 1e-9);
    EXPECT_NEAR(codes[0]->rect.height(), 10.0, 1e-9);  // a fixed object keeps its height
}

TEST(ReportLayout, GrowingObjectPushesDownOnlyWhatItOverlaps)
{
    ReportTemplate t;
    t.datasetName = "ds";
    Band band;
    band.name = "D";
    band.kind = BandKind::Detail;
    band.height = 30;  // does not grow: keeps 30 mm whatever its objects need
    auto text = [](const char* name, double left, double top, double width, const char* content) {
        ReportObject o;
        o.name = name;
        o.left = left;
        o.top = top;
        o.width = width;
        o.height = 5;
        o.text = content;
        o.font.pointSize = 8;
        return o;
    };
    ReportObject grown = text("Grown", 50, 5, 40, "[ds.\"T\"]");
    grown.grows = true;
    band.objects = {
        grown,
        text("Below", 60, 12, 20, "abaixo"),        // overlaps Grown horizontally: moves
        text("Aside", 0, 12, 45, "ao lado"),        // to the left of it: stays
        text("Label", 0, 20, 45, "rótulo"),         // names Grown: moves with it
        text("UnderBelow", 70, 20, 10, "fim"),      // below Below: moves as much as Below
        text("Auto", 100, 0, 150, "curto"),         // one line, width fitted to the text
    };
    band.objects[3].shiftWith = QStringList{"grown"};
    band.objects[5].wordWrap = false;
    band.objects[5].grows = true;
    t.bands.push_back(band);

    TableDataset ds({"T"});
    ds.addRow({QString(QStringLiteral("palavra ")).repeated(30)});
    Report report(t);
    report.setDataset(&ds);
    const Document doc = report.build();
    const Page& page = doc.page(0);
    auto top = [&](const char* name) { return objectsNamed(page, name).at(0)->rect.top() - 10; };
    const double growth = objectsNamed(page, "Grown").at(0)->rect.height() - 5;
    ASSERT_GT(growth, 5.0);
    EXPECT_NEAR(top("Below"), 12 + growth, 1e-9);
    EXPECT_NEAR(top("Aside"), 12, 1e-9);
    EXPECT_NEAR(top("Label"), 20 + growth, 1e-9);
    EXPECT_NEAR(top("UnderBelow"), 20 + growth, 1e-9);
    EXPECT_NEAR(page.bands.at(0).rect.height(), 30, 1e-9);
    const double autoWidth = objectsNamed(page, "Auto").at(0)->rect.width();
    EXPECT_GT(autoWidth, 5.0);
    EXPECT_LT(autoWidth, 20.0);
}

TEST(ReportLayout, LotThatDoesNotFitMovesWholeToTheNextPage)
{
    // Lot 1 (15 rows) ends at 55 + 30 + 156 = 241 mm; lot 2 (3 rows, 61.2 mm) does not fit in
    // the 41 mm left, but fits on a page of its own.
    TableDataset ds = lotsData({15, 3});
    const Document doc = lotsReport(&ds).build();
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(bandsNamed(doc.page(0), "G").size(), 1u);
    EXPECT_EQ(bandsNamed(doc.page(0), "D").size(), 15u);
    const auto lot2 = bandsNamed(doc.page(1), "G");
    ASSERT_EQ(lot2.size(), 1u);
    EXPECT_NEAR(lot2[0]->rect.top(), 25, 1e-9);  // at the top of the body
    EXPECT_EQ(bandsNamed(doc.page(1), "GC").size(), 1u);  // with its captions
    EXPECT_EQ(bandsNamed(doc.page(1), "D").size(), 3u);
    EXPECT_EQ(bandsNamed(doc.page(1), "H").size(), 0u);   // the header printed once
}

TEST(ReportLayout, LotLongerThanAPageFlowsOnWithoutRepeatingHeaders)
{
    // 40 rows take 446 mm: the lot starts on page 1 right after the header and flows on.
    TableDataset ds = lotsData({40});
    const Document doc = lotsReport(&ds).build();
    ASSERT_EQ(doc.pageCount(), 2);
    const auto lot = bandsNamed(doc.page(0), "G");
    ASSERT_EQ(lot.size(), 1u);
    EXPECT_NEAR(lot[0]->rect.top(), 55, 1e-9);
    EXPECT_EQ(countBands(doc, "G"), 1);
    EXPECT_EQ(countBands(doc, "GC"), 1);
    EXPECT_EQ(countBands(doc, "H"), 1);
    EXPECT_EQ(countBands(doc, "D"), 40);
    // No band crosses the body's bottom, and the continuation starts at the body's top.
    for (int p = 0; p < doc.pageCount(); ++p)
        for (const PlacedBand& b : doc.page(p).bands) {
            if (b.band->kind != BandKind::PageFooter) {
                EXPECT_LE(b.rect.bottom(), 282 + 1e-9) << b.band->name.toStdString();
            }
        }
    EXPECT_NEAR(bandsNamed(doc.page(1), "D").at(0)->rect.top(), 25, 1e-9);
    // A row never leaves its rule behind on the previous page.
    EXPECT_EQ(bandsNamed(doc.page(0), "D").size(), bandsNamed(doc.page(0), "DR").size());
}

TEST(ReportLayout, LongLotAfterAShortOneStartsWhereItsHeaderAndFirstRowFit)
{
    // Lot 1 ends at 55 + 30 + 52 = 137 mm; lot 2 (40 rows) could never fit on one page, so it
    // starts right after lot 1 instead of leaving the rest of page 1 blank.
    TableDataset ds = lotsData({5, 40});
    const Document doc = lotsReport(&ds).build();
    ASSERT_GE(doc.pageCount(), 2);
    const auto lots = bandsNamed(doc.page(0), "G");
    ASSERT_EQ(lots.size(), 2u);
    EXPECT_NEAR(lots[1]->rect.top(), 137, 1e-9);
}

TEST(ReportLayout, BuildOnAnotherPageSetupLeavesTheReportAsItWas)
{
    TableDataset ds = lotsData({15, 15, 15});  // one lot per portrait page
    const Report report = lotsReport(&ds);
    PageSetup landscape;
    landscape.orientation = QPageLayout::Landscape;
    landscape.margins = QMarginsF(20, 10, 10, 10);

    const Document wide = report.build(landscape);
    EXPECT_EQ(wide.pageSetup().orientation, QPageLayout::Landscape);
    EXPECT_EQ(wide.paperSizeMm(), QSizeF(297, 210));
    // A body of 170 mm: no lot of 186 mm fits on a page, so each one breaks inside.
    EXPECT_GT(wide.pageCount(), 3);
    EXPECT_NEAR(objectsNamed(wide.page(0), "Titulo").at(0)->rect.left(), 20, 1e-9);
    EXPECT_NEAR(objectsNamed(wide.page(0), "PageNo").at(0)->rect.top(), 195, 1e-9);  // 210 - 10 - 5

    EXPECT_EQ(report.reportTemplate().page.orientation, QPageLayout::Portrait);
    const Document again = report.build();
    EXPECT_EQ(again.pageSetup().orientation, QPageLayout::Portrait);
    EXPECT_EQ(again.pageCount(), 3);
}

TEST(ReportLayout, NoRowsGivesOnePageWithOnlyThePageBands)
{
    TableDataset ds({"LOTE", "CODE", "DESC", "VALUE"});
    for (const Dataset* data : {static_cast<const Dataset*>(&ds), static_cast<const Dataset*>(nullptr)}) {
        const Document doc = lotsReport(data).build();
        ASSERT_EQ(doc.pageCount(), 1);
        QStringList order;
        for (const PlacedBand& b : doc.page(0).bands)
            order << b.band->name;
        EXPECT_EQ(order.join(' '), "PH PF");
        EXPECT_EQ(objectsNamed(doc.page(0), "PageNo").at(0)->text, "Página: 1 de 1");
    }
}

TEST(ReportLayout, PagesAreNumberedOutOfTheTotal)
{
    TableDataset ds = lotsData({15, 15, 15});  // one lot per page
    const Document doc = lotsReport(&ds).build();
    ASSERT_EQ(doc.pageCount(), 3);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(objectsNamed(doc.page(p), "PageNo").at(0)->text,
                  QStringLiteral("Página: %1 de 3").arg(p + 1));
}

TEST(ReportLayout, RunningTotalsPerGroupAndOverall)
{
    TableDataset ds = lotsData({2, 3});  // values 1+2 and 3+4+5
    const Document doc = lotsReport(&ds).build();
    QStringList totals;
    for (int p = 0; p < doc.pageCount(); ++p)
        for (const PlacedObject* o : objectsNamed(doc.page(p), "Total"))
            totals << o->text;
    EXPECT_EQ(totals, QStringList({"Total: 3,0000", "Total: 12,0000"}));
    EXPECT_EQ(objectsNamed(doc.page(0), "Grand").at(0)->text, "Geral: 15,0000");
    EXPECT_EQ(objectsNamed(doc.page(0), "Lote").at(1)->text, "Lote: 2");
}

TEST(ReportLayout, NestedGroupsCloseInnerFirstAndEveryBuildStartsAfresh)
{
    const char* json = R"({
      "dataset": "ds", "scriptValues": ["n"],
      "bands": [
        {"name": "Outer", "kind": "groupHeader", "condition": "ds.A", "height": 5},
        {"name": "Inner", "kind": "groupHeader", "condition": "ds.B", "height": 5},
        {"name": "Row", "kind": "detail", "height": 5, "objects": [
          {"name": "Cell", "text": "[ds.A]/[ds.B]", "left": 0, "top": 0, "width": 50,
           "height": 5, "afterPrint": "count"}]},
        {"name": "InnerEnd", "kind": "groupFooter", "height": 5},
        {"name": "OuterEnd", "kind": "groupFooter", "height": 5, "objects": [
          {"name": "N", "text": "[N]", "left": 0, "top": 0, "width": 50, "height": 5}]}]})";
    TemplateResult t = parseTemplate(json);
    ASSERT_TRUE(t.value) << t.error.toStdString();
    TableDataset ds({"A", "B"});
    for (auto [a, b] : {std::pair{1, 1}, {1, 1}, {1, 2}, {2, 2}})
        ds.addRow({double(a), double(b)});
    Report report(*t.value);
    report.setDataset(&ds);
    report.setScriptHandler("count", [](BuildContext& c) { c.setScriptValue(u"n", c.scriptValue(u"n") + 1); });
    for (int build = 0; build < 2; ++build) {
        const Document doc = report.build();
        QStringList order;
        for (const PlacedBand& b : doc.page(0).bands)
            order << b.band->name;
        EXPECT_EQ(order.join(' '), "Outer Inner Row Row InnerEnd Inner Row InnerEnd OuterEnd "
                                   "Outer Inner Row InnerEnd OuterEnd");
        QStringList counts;
        for (const PlacedObject* o : objectsNamed(doc.page(0), "N"))
            counts << o->text;
        EXPECT_EQ(counts, QStringList({"3", "4"}));  // not reset by this template; 0 at each build
    }
}

TEST(ReportLayout, StartHandlerHidesObjectsForThatBuildOnly)
{
    TableDataset ds = lotsData({1});
    Report report = lotsReport(&ds);
    report.setVariable("GHIDE", "'S'");  // names are matched without regard to letter case
    EXPECT_EQ(report.variables().size(), 2u);
    Document hidden = report.build();
    EXPECT_TRUE(objectsNamed(hidden.page(0), "Sub").empty());
    EXPECT_NEAR(bandsNamed(hidden.page(0), "H").at(0)->rect.top(), 25, 1e-9);  // band keeps its height
    report.setVariable("gHide", "''");
    Document shown = report.build();
    EXPECT_EQ(objectsNamed(shown.page(0), "Sub").size(), 1u);
    EXPECT_TRUE(report.reportTemplate().findObject(u"sub")->visible);
}

TEST(ReportLayout, VariablesPrintTheirLiteralAndUnknownNamesPrintNothing)
{
    TableDataset ds = lotsData({1});
    Report report = lotsReport(&ds);
    report.setVariable("gtitulo", "'Rua D''Ouro' + ', 10'");
    report.setVariable("gNovo", "'added'");  // a name the template lacked is added
    EXPECT_EQ(report.variableExpression(u"GNOVO"), "'added'");
    const Document doc = report.build();
    EXPECT_EQ(objectsNamed(doc.page(0), "Titulo").at(0)->text, "Rua D'Ouro, 10");

    ReportTemplate t = lotsTemplate();
    t.findObject(u"Titulo")->text = "<[semNome]>";
    Report unknown(t);
    EXPECT_EQ(objectsNamed(unknown.build().page(0), "Titulo").at(0)->text, "<>");
}

TEST(ReportLayout, FindSearchesThePlacedTexts)
{
    TableDataset ds = lotsData({15, 3});
    const Document doc = lotsReport(&ds).build();
    Document::Hit hit = doc.find("lote: 2", {});
    EXPECT_EQ(hit.page, 1);
    ASSERT_GE(hit.object, 0);
    EXPECT_EQ(doc.page(1).objects[static_cast<size_t>(hit.object)].text, "Lote: 2");
    EXPECT_EQ(doc.find("lote: 2", hit).page, -1);
    EXPECT_TRUE(doc.pageText(0).contains("CABEÇALHO"));
}

TEST(ReportExpressions, ConstantsAndNumberFormat)
{
    struct Case {
        const char* expression;
        const char* value;
    } constants[] = {
        {"'Rua D''Ouro'", "Rua D'Ouro"},
        {"  'a' + 'b'  ", "ab"},
        {"''", ""},
        {"", ""},
        {"12", "12"},
        {"'aberto", "'aberto"},  // not a literal: taken as its own text
    };
    for (const Case& c : constants)
        EXPECT_EQ(evaluateConstant(QString::fromUtf8(c.expression)), QString::fromUtf8(c.value))
            << c.expression;
    EXPECT_EQ(textLiteral(u"D'Ouro"), "'D''Ouro'");
    EXPECT_EQ(evaluateConstant(textLiteral(u"it's 'x'")), "it's 'x'");

    const NumberFormat report{2, 4};
    struct Number {
        FieldValue value;
        const char* printed;
    } numbers[] = {
        {QString("10,5"), "10,5000"},
        {QString("1.500,5"), "1.500,5000"},  // thousands separators allowed in a text
        {QString("caixa"), "caixa"},          // not a number: printed as is
        {QString(""), "0,0000"},              // empty counts as 0
        {FieldValue{}, "0,0000"},
        {1234.5, "1.234,5000"},
        {0.0, "0,0000"},
    };
    for (const Number& n : numbers)
        EXPECT_EQ(formatNumber(n.value, report), QString::fromUtf8(n.printed)) << n.printed;
    EXPECT_EQ(formatNumber(2.5, {8, 2}), "    2,50");
    EXPECT_EQ(displayText(2.5), "2,5");
    EXPECT_EQ(displayText(FieldValue{}), "");
    EXPECT_EQ(numberOf(QString("1.500,5")), 1500.5);
    EXPECT_EQ(numberOf(QString("caixa")), 0.0);

    const Expression e = parseExpression(uR"(fdsProposta."QT_ITEM" #n%2,4n)");
    EXPECT_EQ(e.kind, Expression::Kind::Field);
    EXPECT_EQ(e.dataset, "fdsProposta");
    EXPECT_EQ(e.name, "QT_ITEM");
    ASSERT_TRUE(e.format);
    EXPECT_EQ(e.format->precision, 4);
    EXPECT_EQ(parseExpression(u"page#").kind, Expression::Kind::PageNumber);
    EXPECT_EQ(splitContent(u"a [b] [c").size(), 3u);  // "a ", [b], " [c"
}

TEST(ReportTemplateJson, StructuralErrorsAreReported)
{
    struct Case {
        const char* json;
        const char* message;
    } cases[] = {
        {"{", "não é um JSON válido"},
        {R"({"bands": [{"name": "D", "kind": "detail", "child": "X"}]})", "\"X\", que não existe"},
        {R"({"bands": [{"name": "D", "kind": "detail"}, {"name": "F", "kind": "groupFooter"}]})",
         "não tem cabeçalho de grupo"},
        {R"({"bands": [{"name": "G", "kind": "groupHeader"}, {"name": "D", "kind": "detail"}]})",
         "não tem condição"},
        {R"({"bands": [{"name": "D", "kind": "detalhe"}]})", "Valor \"detalhe\" inválido"},
        {R"({"bands": [{"name": "D", "kind": "detail", "child": "C"},
                       {"name": "C", "kind": "child", "child": "D"}]})", "não é do tipo filha"},
        {R"({"bands": [{"name": "D", "kind": "detail", "height": "5"}]})", "deve ser um número"},
    };
    for (const Case& c : cases) {
        const TemplateResult t = parseTemplate(c.json);
        EXPECT_FALSE(t.value) << c.json;
        EXPECT_TRUE(t.error.contains(QString::fromUtf8(c.message))) << t.error.toStdString();
    }
}
