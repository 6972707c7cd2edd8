#pragma once
// What the pdf and imprimir commands share: the report options, and the proposal's report made
// as "Imprimir proposta" makes it right after the file is opened in the entry window.
#include "commands.h"

#include "data/memtable.h"
#include "report/propostareport.h"
#include "reportengine/document.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ofx::tool {

struct ReportRequest {
    std::vector<std::string> positional;
    bool timbrado = false;
    std::string ordem = "CD_ITEM";
    std::optional<std::string> validade, prazo, obs;  // UTF-8, as typed
    std::map<std::string, std::string> own;            // the command's own options with a value
};

// The report options (--timbrado, --ordem, --validade, --prazo, --obs), the command's own
// options that take a value (ownOptions, such as "--impressora") and the positional arguments.
// nullopt after telling on stderr what is wrong ("ofertix-tool COMMAND: ...").
std::optional<ReportRequest> parseReportRequest(const Args& args, std::string_view command,
                                                const std::vector<std::string_view>& ownOptions);

// "ofertix-tool COMMAND: message" on stderr.
void complain(std::string_view command, const std::string& utf8);

// Qt for a command without a window: the offscreen platform unless one is chosen, and only
// Qt's real errors on stderr. Call before creating the application object.
void prepareQtWithoutWindow();

// The loaded proposal and its built report (the pages point into the report's template, so they
// live together).
class ProposalReport {
public:
    ProposalReport();
    data::MemTable lots, items, cursor;
    report::PropostaReport report;
    reportengine::Document document;
};

// Loads request.positional[0] and builds its report; nullptr after telling on stderr why the
// file did not load.
std::unique_ptr<ProposalReport> buildProposalReport(const ReportRequest& request);

}  // namespace ofx::tool
