#include "reportjob.h"

#include "proposal/loader.h"
#include "proposal/pricing.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>

namespace ofx::tool {

namespace {

bool validDate(const std::string& text)
{
    return text.empty() ||
           QDate::fromString(QString::fromStdString(text), QStringLiteral("dd/MM/yyyy")).isValid();
}

}  // namespace

void complain(std::string_view command, const std::string& utf8)
{
    std::fputs(("ofertix-tool " + std::string(command) + ": " + utf8 + "\n").c_str(), stderr);
}

std::optional<ReportRequest> parseReportRequest(const Args& args, std::string_view command,
                                                const std::vector<std::string_view>& ownOptions)
{
    ReportRequest r;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool own = std::find(ownOptions.begin(), ownOptions.end(), a) != ownOptions.end();
        if (a == "--timbrado") {
            r.timbrado = true;
        } else if (own || a == "--ordem" || a == "--validade" || a == "--prazo" || a == "--obs") {
            if (i + 1 >= args.size()) {
                complain(command, "falta o valor de " + a + ".");
                return std::nullopt;
            }
            const std::string& v = args[++i];
            if (own) {
                r.own[a] = v;
            } else if (a == "--ordem") {
                if (v != "CD_ITEM" && v != "CD_LCTO" && v != "DS_ITEM") {
                    complain(command, "a ordem deve ser CD_ITEM, CD_LCTO ou DS_ITEM, não \"" + v + "\".");
                    return std::nullopt;
                }
                r.ordem = v;
            } else if (a == "--obs") {
                r.obs = v;
            } else {
                if (!validDate(v)) {
                    complain(command, "data inválida em " + a + ": \"" + v + "\" (use DD/MM/AAAA).");
                    return std::nullopt;
                }
                (a == "--validade" ? r.validade : r.prazo) = v;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            complain(command, "opção desconhecida: " + a + ".");
            return std::nullopt;
        } else {
            r.positional.push_back(a);
        }
    }
    return r;
}

void prepareQtWithoutWindow()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes about the session (no runtime folder, no display...) are not the user's
    // business here; real errors still reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fputs((message.toStdString() + "\n").c_str(), stderr);
    });
}

ProposalReport::ProposalReport() : report(cursor)
{
    // The entry window's tables and the report cursor, as its creation makes them.
    proposal::createLotsTable(lots);
    proposal::createItemsTable(items);
    proposal::declareReportCursorIndexes(cursor);
}

std::unique_ptr<ProposalReport> buildProposalReport(const ReportRequest& request)
{
    auto job = std::make_unique<ProposalReport>();
    proposal::ProcessVariables vars;
    const proposal::LoadResult loaded =
        proposal::loadProposalFile(request.positional.at(0), job->lots, job->items, vars);
    if (!loaded.ok) {
        printLoadFailure(loaded);
        return nullptr;
    }
    // Showing the first lot recomputes its totals (the grid's re-read at the end of loading).
    try {
        proposal::recomputeAllTotals(job->items);
    } catch (const num::ConversionError& e) {
        std::fputs((text::cp1252ToUtf8("O formato do arquivo informado \xE9 inv\xE1lido. Erro: ") +
                    e.what() + "\n")
                       .c_str(),
                   stderr);
        return nullptr;
    }

    auto cp1252 = [](const std::optional<std::string>& utf8, const std::string& fallback) {
        return utf8 ? text::utf8ToCp1252(*utf8) : fallback;
    };
    report::PrintEntries entries;
    entries.validade = cp1252(request.validade, loaded.validityText);
    entries.prazo = cp1252(request.prazo, loaded.deadlineText);
    entries.observacoes = cp1252(request.obs, loaded.observations);
    entries.timbrado = request.timbrado;
    std::string ordem = "NO_LOTE;" + request.ordem;
    job->document = report::preparePrint(job->report, vars, entries, ordem, job->items, job->cursor);
    return job;
}

}  // namespace ofx::tool
