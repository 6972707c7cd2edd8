// ofertix-tool imprimir ARQUIVO [--impressora NOME] [--copias N] [opções do pdf]: the report that
// the pdf command writes, printed through Qt's printer support on the named printer or the
// system's default one. Exit 0 once the printing system has accepted the job; 1 when there is no
// such printer (or none at all), the file does not load or the printer refuses; 2 on bad usage.
#include "commands.h"
#include "reportjob.h"

#include "reportengine/output.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <charconv>
#include <cstdio>

namespace {

constexpr int kMaxCopies = 999;

}  // namespace

int ofx::tool::imprimir(int argc, char** argv, const Args& args)
{
    const std::optional<ReportRequest> request =
        parseReportRequest(args, "imprimir", {"--impressora", "--copias"});
    if (!request)
        return 2;
    if (request->positional.size() != 1) {
        complain("imprimir", "informe um único arquivo de proposta.");
        return 2;
    }
    int copies = 1;
    if (const auto it = request->own.find("--copias"); it != request->own.end()) {
        const std::string& text = it->second;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), copies);
        if (error != std::errc() || end != text.data() + text.size() || copies < 1 ||
            copies > kMaxCopies) {
            complain("imprimir", "o número de cópias deve ser de 1 a " + std::to_string(kMaxCopies) +
                                     ", não \"" + text + "\".");
            return 2;
        }
    }

    prepareQtWithoutWindow();
    QGuiApplication app(argc, argv);

    QPrinterInfo target;
    if (const auto it = request->own.find("--impressora"); it != request->own.end()) {
        target = QPrinterInfo::printerInfo(QString::fromLocal8Bit(it->second.c_str()));
        if (target.isNull()) {
            complain("imprimir", "a impressora \"" + it->second + "\" não existe.");
            return 1;
        }
    } else {
        target = QPrinterInfo::defaultPrinter();
        if (target.isNull()) {
            complain("imprimir", QPrinterInfo::availablePrinterNames().isEmpty()
                                     ? "não há nenhuma impressora instalada."
                                     : "não há impressora padrão; escolha uma com --impressora.");
            return 1;
        }
    }

    const std::unique_ptr<ProposalReport> job = buildProposalReport(*request);
    if (!job)
        return 1;

    QPrinter printer(target, QPrinter::HighResolution);
    printer.setDocName(QFileInfo(QString::fromLocal8Bit(request->positional[0].c_str())).fileName());
    printer.setCopyCount(copies);
    printer.setCollateCopies(true);
    const reportengine::OutputResult printed = reportengine::printDocument(job->document, printer);
    if (!printed.ok) {
        complain("imprimir", printed.error.toStdString());
        return 1;
    }
    return 0;
}
