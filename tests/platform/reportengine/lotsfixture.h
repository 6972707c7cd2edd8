#pragma once
// A small report of lots and rows for the engine's tests: page header and footer, a header with
// a child, a kept-together group with captions, a growing data row with a rule, group footer
// totals and a report footer.
#include "reportengine/report.h"

#include <gtest/gtest.h>

#include <vector>

namespace ofx::reportengine::test {

// A4 portrait, 10 mm margins: the body runs from 25 mm (after a 15 mm page header) to 282 mm
// (before a 5 mm page footer), 257 mm. Every body band is 10 mm unless it grows; a data row is
// 10 mm plus its 0.4 mm rule band, so a lot of n rows takes 30 + 10.4 n mm.
inline constexpr const char* kLots = R"({
  "name": "lots", "dataset": "ds", "onStart": "start",
  "page": {"size": "A4", "orientation": "portrait", "margins": [10, 10, 10, 10]},
  "variables": [{"name": "gTitulo", "value": "''"}, {"name": "gHide", "value": "''"}],
  "scriptValues": ["total", "grand"],
  "bands": [
    {"name": "PH", "kind": "pageHeader", "height": 15, "objects": [
      {"name": "Titulo", "text": "[gTitulo]", "left": 0, "top": 0, "width": 190, "height": 5},
      {"name": "Sub", "text": "sub", "left": 0, "top": 5, "width": 190, "height": 5},
      {"name": "PHRule", "type": "rule", "left": 0, "top": 15, "width": 190}]},
    {"name": "H", "kind": "header", "height": 20, "child": "HC", "objects": [
      {"name": "Head", "text": "CABEÇALHO", "left": 0, "top": 3, "width": 190, "height": 5}]},
    {"name": "HC", "kind": "child", "height": 10},
    {"name": "G", "kind": "groupHeader", "height": 10, "condition": "ds.\"LOTE\"",
     "keepTogether": true, "child": "GC", "objects": [
      {"name": "Lote", "text": "Lote: [ds.\"LOTE\"]", "left": 0, "top": 0, "width": 100,
       "height": 5}]},
    {"name": "GC", "kind": "child", "height": 10, "objects": [
      {"name": "Caption", "text": "Descrição", "left": 20, "top": 0, "width": 60, "height": 5}]},
    {"name": "D", "kind": "detail", "height": 10, "grows": true, "child": "DR", "objects": [
      {"name": "Code", "text": "[ds.\"CODE\"]", "left": 0, "top": 0, "width": 20, "height": 10},
      {"name": "Desc", "text": "[ds.\"DESC\"]", "left": 20, "top": 0, "width": 60, "height": 10,
       "grows": true, "align": "justify", "font": {"size": 8}},
      {"name": "Value", "text": "[ds.\"VALUE\" #n%2,4n]", "left": 80, "top": 0, "width": 30,
       "height": 10, "align": "right", "afterPrint": "addValue"}]},
    {"name": "DR", "kind": "child", "height": 0.4, "objects": [
      {"name": "RowRule", "type": "rule", "style": "dotted", "left": 0, "top": 0.4, "width": 190}]},
    {"name": "GF", "kind": "groupFooter", "height": 10, "objects": [
      {"name": "Total", "text": "Total: [Total #n%2,4n]", "left": 100, "top": 0, "width": 90,
       "height": 5, "afterPrint": "resetTotal"}]},
    {"name": "F", "kind": "footer", "height": 10, "objects": [
      {"name": "Grand", "text": "Geral: [GRAND #n%2,4n]", "left": 100, "top": 0, "width": 90,
       "height": 5}]},
    {"name": "PF", "kind": "pageFooter", "height": 5, "objects": [
      {"name": "PageNo", "text": "Página: [PAGE#] de [TOTALPAGES#]", "left": 150, "top": 0,
       "width": 40, "height": 5}]}
  ]})";

inline ReportTemplate lotsTemplate()
{
    TemplateResult t = parseTemplate(kLots);
    EXPECT_TRUE(t.value) << t.error.toStdString();
    return *t.value;
}

// lots[i] is the number of rows of lot i + 1.
inline TableDataset lotsData(const std::vector<int>& lots, const QString& description = QStringLiteral("x"))
{
    TableDataset ds({"LOTE", "CODE", "DESC", "VALUE"});
    int code = 0;
    for (size_t lot = 0; lot < lots.size(); ++lot)
        for (int r = 0; r < lots[lot]; ++r)
            ds.addRow({double(lot + 1), double(++code), description, double(code)});
    return ds;
}

inline Report lotsReport(const Dataset* ds)
{
    Report report(lotsTemplate());
    report.setDataset(ds);
    report.setScriptHandler("addValue", [](BuildContext& c) {
        c.setScriptValue(u"total", c.scriptValue(u"total") + c.fieldNumber(u"VALUE"));
        c.setScriptValue(u"grand", c.scriptValue(u"grand") + c.fieldNumber(u"VALUE"));
    });
    report.setScriptHandler("resetTotal", [](BuildContext& c) { c.setScriptValue(u"TOTAL", 0); });
    report.setScriptHandler("start", [](BuildContext& c) {
        if (c.variable(u"ghide") == "S")
            c.setObjectVisible(u"Sub", false);
    });
    return report;
}

}  // namespace ofx::reportengine::test
