#pragma once
// Realistic proposal exchange files of any size, for benchmarks and tests: a participant line,
// lot lines and item lines in the fixed-width layout that the program's writer produces (and
// that the public bodies' systems produce too), CP1252 bytes, CR LF line ends.
//
// The files are a fixed point of loading and saving: loading one and writing it back with the
// file's own validity and deadline texts gives the same bytes again. Item codes rise through the
// file, every item line carries its lot number in field 10, every lot line the same flag, and
// every number is already in its written form (no thousands separator, 4 decimals, zero-filled).
#include <cstdint>
#include <filesystem>
#include <iosfwd>

namespace ofx::bench {

struct ProposalShape {
    long items = 1000;
    // 0: lots of 50 to 500 items each, sizes drawn at random (the last lot takes what is left);
    // otherwise the items are spread as evenly as possible over this many lots.
    int lots = 0;
    std::uint64_t seed = 1;  // the same shape and seed give the same bytes
};

struct GeneratedProposal {
    long items = 0;
    int lots = 0;
    std::uint64_t bytes = 0;
    bool discountMode = false;  // the lot lines' flag is "1"
};

// Writes the whole file to out (opened in binary mode). Check out's state for write errors.
GeneratedProposal generateProposal(std::ostream& out, const ProposalShape& shape);

// The same into a file, created or truncated. Throws std::runtime_error (UTF-8 Portuguese
// message naming the file) when it cannot be written.
GeneratedProposal generateProposalFile(const std::filesystem::path& path,
                                       const ProposalShape& shape);

}  // namespace ofx::bench
