#include "report/propostareport.h"

#include "qtext/qtext.h"
#include "text/cp1252.h"

#include <QFile>

#include <stdexcept>

// Resources of a static library must be registered by name from the global namespace.
static void registerReportResources()
{
    Q_INIT_RESOURCE(report);
}

namespace ofx::report {

namespace rep = reportengine;

rep::ReportTemplate propostaTemplate()
{
    registerReportResources();
    QFile file(QStringLiteral(":/report/proposta.json"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("O modelo do relatório da proposta não está nos recursos do programa.");
    rep::TemplateResult t = rep::parseTemplate(file.readAll());
    if (!t.value)
        throw std::runtime_error("O modelo do relatório da proposta é inválido: " + t.error.toStdString());
    return std::move(*t.value);
}

int CursorDataset::rowCount() const
{
    return cursor_.active() ? cursor_.recordCount() : 0;
}

int CursorDataset::fieldIndex(QStringView name) const
{
    const std::string key = name.toString().toUpper().toStdString();
    return cursor_.fieldIndex(key);
}

rep::FieldValue CursorDataset::value(int row, int field) const
{
    const data::Value& v = cursor_.valueAt(row, field);
    if (const std::string* s = std::get_if<std::string>(&v))
        return qtext::fromCp1252(*s);
    if (const std::int32_t* i = std::get_if<std::int32_t>(&v))
        return double(*i);
    if (const double* d = std::get_if<double>(&v))
        return *d;
    return {};
}

namespace {

// The report script. The letterhead rule: on paper with a printed letterhead the public body's
// lines are left out (the page header keeps its height and its rule). The running totals:
// each item's total goes into the lot's and the grand total; each is reset once printed.
void installScript(rep::Report& report)
{
    report.setScriptHandler(QStringLiteral("frrPropostaOnStartReport"), [](rep::BuildContext& c) {
        if (c.variable(u"lStrTimbrado") == QLatin1String("S"))
            for (const char16_t* name : {u"gUgEstado", u"gUgCidade", u"gUgCNPJ"})
                c.setObjectVisible(name, false);
    });
    report.setScriptHandler(QStringLiteral("Memo11OnAfterPrint"), [](rep::BuildContext& c) {
        const double total = c.fieldNumber(u"VL_TOTAL");
        c.setScriptValue(u"total_lote", c.scriptValue(u"total_lote") + total);
        c.setScriptValue(u"total_geral", c.scriptValue(u"total_geral") + total);
    });
    report.setScriptHandler(QStringLiteral("Memo13OnAfterPrint"),
                            [](rep::BuildContext& c) { c.setScriptValue(u"total_lote", 0); });
    report.setScriptHandler(QStringLiteral("Memo21OnAfterPrint"),
                            [](rep::BuildContext& c) { c.setScriptValue(u"total_geral", 0); });
}

}  // namespace

PropostaReport::PropostaReport(const data::MemTable& reportCursor)
    : dataset_(reportCursor), report_(propostaTemplate())
{
    report_.setDataset(&dataset_);
    installScript(report_);
}

}  // namespace ofx::report
