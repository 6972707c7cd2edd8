#pragma once
// A temporary folder for a benchmark run, with generated proposal files kept by item count.
// The folder and all in it are removed when the workspace goes.
#include <filesystem>
#include <map>
#include <string>

namespace ofx::bench {

class Workspace {
public:
    explicit Workspace(const std::string& prefix = "ofx-bench");
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The proposal file of that many items (seed 1, lots as the generator chooses), generated
    // on first use.
    const std::filesystem::path& proposal(long items);
    // A path in the folder for a benchmark's own output.
    std::filesystem::path scratch(const std::string& name) const { return dir_ / name; }

private:
    std::filesystem::path dir_;
    std::map<long, std::filesystem::path> files_;
};

}  // namespace ofx::bench
