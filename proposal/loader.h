#pragma once
// Loading a proposal exchange file into the lots table, the items table and the process
// variables, without any window: the result carries what the window applies to its widgets.
#include "data/memtable.h"
#include "proposal/processvariables.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace ofx::proposal {

enum class PricingMode { Price, Discount };

struct LoadResult {
    bool ok = false;
    // On failure: message is "O formato do arquivo informado é inválido. Erro: " followed by
    // error, the error's own text (a conversion error names the value). CP1252. Empty on success.
    std::string message;
    std::string error;
    long line = 0;  // 1-based line at which the load stopped; 0 when not tied to a line

    // Participant panel, as the LAST participant line read left it (also after a failure).
    bool participantRead = false;       // false: the window keeps its fields as they are
    bool addressFieldsEnabled = false;  // street, number, CEP, district, city, UF
    bool identityFieldsEnabled = false; // name, document type, document
    std::string documentMask;           // the document field's mask: cpfMask or cnpjMask (document.h)
    std::string observations;           // mmObs: participant field 24
    std::string validityText;           // edtValidade; "" when the file's date is "00/00/0000"
    std::string deadlineText;           // edtProposta; "" when the validity date is "00/00/0000"

    // From vFlVlrPerc, the flag of the last lot line read: "1" is discount mode.
    PricingMode pricingMode = PricingMode::Price;
};

// Reads the file line by line into the two tables (made by createLotsTable/createItemsTable)
// and vars, stores the file's values as they are (computes nothing), then puts the lots table on
// its first row and the items table filtered to the first lot ("NO_LOTE = n"), on its first row
// in edit state. Any error stops the load: rows stored before the failing line stay. A file
// without a lot line, or whose first lot has no number, is invalid.
// Suspending and resuming the tables' bound controls is the caller's part; the tables'
// afterScroll handlers fire as rows are appended.
LoadResult loadProposal(std::istream& in, data::MemTable& lots, data::MemTable& items,
                        ProcessVariables& vars);
LoadResult loadProposalFile(const std::filesystem::path& path, data::MemTable& lots,
                            data::MemTable& items, ProcessVariables& vars);

}  // namespace ofx::proposal
