// ofertix-tool pdf: the proposal's report, as "Imprimir proposta" makes it right after the file
// is opened in the entry window, written as a PDF file without any window.
#include "commands.h"
#include "reportjob.h"

#include "reportengine/output.h"

#include <QGuiApplication>

#include <cstdio>

int ofx::tool::pdf(int argc, char** argv, const Args& args)
{
    const std::optional<ReportRequest> request = parseReportRequest(args, "pdf", {});
    if (!request)
        return 2;
    if (request->positional.size() != 2) {
        complain("pdf", "informe o arquivo da proposta e o arquivo PDF de saída.");
        return 2;
    }

    prepareQtWithoutWindow();
    QGuiApplication app(argc, argv);
    const std::unique_ptr<ProposalReport> job = buildProposalReport(*request);
    if (!job)
        return 1;
    const reportengine::OutputResult written = reportengine::writePdf(
        job->document, QString::fromLocal8Bit(request->positional[1].c_str()));
    if (!written.ok) {
        std::fputs((written.error.toStdString() + "\n").c_str(), stderr);
        return 1;
    }
    return 0;
}
