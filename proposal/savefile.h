#pragma once
// Saving the proposal into its file safely: the proposal is written into a temporary file in the
// folder of the file it replaces, flushed to disk, and only then put in its place by one rename
// (Linux) or one replacing move (Windows). On any failure the target stays byte for byte as it
// was and no temporary file is left.
//
// What the file system decides:
// - A target the user may not write (no write permission, the read-only attribute) is refused,
//   even where the folder would let it be replaced.
// - A target that is a symbolic link is written through: the file it points to is replaced, in
//   its own folder, and the link stays.
// - The new file keeps the permission bits of the file it replaces and, where the process may
//   set them, its owner and group (Linux).
// - A file system that cannot flush a file (EINVAL, ENOTSUP: some network and FUSE mounts) does
//   not fail the save; any other flush error does.
// - A folder in which no file may be created, holding a target the user may read and write:
//   the target is truncated and written in place, with its previous bytes kept in memory and
//   written back if writing fails part-way.
#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/processvariables.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace ofx::proposal {

struct SaveOptions {
    ProgressFn progress;  // after each item line written
    // Tests: wraps the sink of the file being written, the temporary file or the target written in
    // place (to make a write fail part-way). The wrapper may forward to the file sink it is given,
    // which outlives it.
    std::function<std::unique_ptr<ByteSink>(ByteSink& file)> wrapSink;
    // Tests: stands in for flushing the written file to disk and returns what the flush would
    // have (std::errc::invalid_argument for a file system that cannot flush). Empty: the real flush.
    std::function<std::error_code()> flush;
};

struct SaveResult {
    bool ok = false;
    std::string error;  // Portuguese, CP1252: why nothing was saved
    int itemLines = 0;
    bool inPlace = false;  // written into the target itself (its folder takes no new file)
    std::optional<ItemRef> failedItem;  // the item that could not be written, when one was the cause
};

// Writes the proposal (writeProposal) into target. On success vars.vNoLote holds the lot-number
// form of the last item line written (unchanged when no item line was written).
SaveResult saveProposalFile(const std::filesystem::path& target, data::MemTable& lots,
                            data::MemTable& items, ProcessVariables& vars,
                            const ProposalTexts& texts, const SaveOptions& options = {});

}  // namespace ofx::proposal
