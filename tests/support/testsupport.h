#pragma once
// Helpers shared by the test programs.
#include <filesystem>
#include <string>
#include <string_view>

namespace ofx::test {

// A fresh folder under the system's temporary folder, removed with everything in it on
// destruction. Permissions are restored first, so tests may make it read-only.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(std::string_view name) const { return path_ / std::string(name); }

private:
    std::filesystem::path path_;
};

// Whole-file byte I/O; a failure fails the calling test (ADD_FAILURE) and returns empty/false.
std::string readFile(const std::filesystem::path& p);
bool writeFile(const std::filesystem::path& p, std::string_view bytes);

// Path of a file under the source tree's tests/ folder (for fixture files kept in the repo).
std::filesystem::path sourceFile(std::string_view relative);

}  // namespace ofx::test
