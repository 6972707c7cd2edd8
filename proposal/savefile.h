#pragma once
// Saving the proposal into its file safely: the proposal is written into a temporary file in the
// same folder, flushed to disk, and only then put in place of the target by an atomic rename.
// On any failure the target stays byte for byte as it was and no temporary file is left.
#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/processvariables.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace ofx::proposal {

struct SaveOptions {
    ProgressFn progress;  // after each item line written
    // Tests: wraps the temporary file's sink (to make a write fail part-way). The wrapper may
    // forward to the file sink it is given, which outlives it.
    std::function<std::unique_ptr<ByteSink>(ByteSink& file)> wrapSink;
};

struct SaveResult {
    bool ok = false;
    std::string error;  // Portuguese, CP1252: why nothing was saved
    int itemLines = 0;
};

// Writes the proposal (writeProposal) into target. On success vars.vNoLote holds the lot-number
// form of the last item line written (unchanged when no item line was written).
SaveResult saveProposalFile(const std::filesystem::path& target, data::MemTable& lots,
                            data::MemTable& items, ProcessVariables& vars,
                            const ProposalTexts& texts, const SaveOptions& options = {});

}  // namespace ofx::proposal
