// ofertix-tool pdf: the proposal's report, as "Imprimir proposta" makes it right after the file
// is opened in the entry window, written as a PDF file without any window.
#include "commands.h"

#include "data/memtable.h"
#include "proposal/loader.h"
#include "proposal/pricing.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "report/propostareport.h"
#include "reportengine/output.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <QDate>
#include <QGuiApplication>

#include <cstdio>
#include <optional>
#include <string>

namespace {

struct Options {
    std::string input;
    std::string output;
    bool timbrado = false;
    std::string ordem = "CD_ITEM";
    std::optional<std::string> validade, prazo, obs;  // UTF-8, as typed
};

void fail(const std::string& utf8)
{
    std::fputs(("ofertix-tool pdf: " + utf8 + "\n").c_str(), stderr);
}

bool validDate(const std::string& text)
{
    return text.empty() ||
           QDate::fromString(QString::fromStdString(text), QStringLiteral("dd/MM/yyyy")).isValid();
}

// nullopt after reporting what is wrong.
std::optional<Options> parse(const ofx::tool::Args& args)
{
    Options o;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                fail("falta o valor de " + a + ".");
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--timbrado") {
            o.timbrado = true;
        } else if (a == "--ordem" || a == "--validade" || a == "--prazo" || a == "--obs") {
            std::optional<std::string> v = value();
            if (!v)
                return std::nullopt;
            if (a == "--ordem") {
                if (*v != "CD_ITEM" && *v != "CD_LCTO" && *v != "DS_ITEM") {
                    fail("a ordem deve ser CD_ITEM, CD_LCTO ou DS_ITEM, não \"" + *v + "\".");
                    return std::nullopt;
                }
                o.ordem = *v;
            } else if (a == "--obs") {
                o.obs = *v;
            } else {
                if (!validDate(*v)) {
                    fail("data inválida em " + a + ": \"" + *v + "\" (use DD/MM/AAAA).");
                    return std::nullopt;
                }
                (a == "--validade" ? o.validade : o.prazo) = *v;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            fail("opção desconhecida: " + a + ".");
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        fail("informe o arquivo da proposta e o arquivo PDF de saída.");
        return std::nullopt;
    }
    o.input = positional[0];
    o.output = positional[1];
    return o;
}

}  // namespace

int ofx::tool::pdf(int argc, char** argv, const Args& args)
{
    const std::optional<Options> options = parse(args);
    if (!options)
        return 2;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes about the session (no runtime folder, no display...) are not the user's
    // business here; real errors still reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fputs((message.toStdString() + "\n").c_str(), stderr);
    });
    QGuiApplication app(argc, argv);

    // The entry window's tables and the report cursor, as its creation makes them.
    data::MemTable lots, items, cursor;
    proposal::createLotsTable(lots);
    proposal::createItemsTable(items);
    proposal::declareReportCursorIndexes(cursor);
    proposal::ProcessVariables vars;

    const proposal::LoadResult loaded = proposal::loadProposalFile(options->input, lots, items, vars);
    if (!loaded.ok) {
        printLoadFailure(loaded);
        return 1;
    }
    // Showing the first lot recomputes its totals (the grid's re-read at the end of loading).
    try {
        proposal::recomputeAllTotals(items);
    } catch (const num::ConversionError& e) {
        std::fputs((text::cp1252ToUtf8("O formato do arquivo informado \xE9 inv\xE1lido. Erro: ") +
                    e.what() + "\n")
                       .c_str(),
                   stderr);
        return 1;
    }

    auto cp1252 = [](const std::optional<std::string>& utf8, const std::string& fallback) {
        return utf8 ? text::utf8ToCp1252(*utf8) : fallback;
    };
    report::PrintEntries entries;
    entries.validade = cp1252(options->validade, loaded.validityText);
    entries.prazo = cp1252(options->prazo, loaded.deadlineText);
    entries.observacoes = cp1252(options->obs, loaded.observations);
    entries.timbrado = options->timbrado;
    std::string ordem = "NO_LOTE;" + options->ordem;

    report::PropostaReport report(cursor);
    const reportengine::Document doc =
        report::preparePrint(report, vars, entries, ordem, items, cursor);
    const reportengine::OutputResult written =
        reportengine::writePdf(doc, QString::fromLocal8Bit(options->output.c_str()));
    if (!written.ok) {
        std::fputs((written.error.toStdString() + "\n").c_str(), stderr);
        return 1;
    }
    return 0;
}
