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

// Permissions do not stop the superuser. A test of what they stop begins with
//     if (ofx::test::ranAsUnprivileged()) return;
// Run by root, this runs the calling test again, alone, in a new process of the user "nobody",
// fails the test unless that run passes, and returns true. The new process starts from a copy of
// the test program in a temporary folder of its own (the checkout may lie where nobody cannot
// enter, as /root), with that folder as its working, home and temporary folder. Run by anyone
// else, and on Windows, it returns false and the test goes on in this process.
bool ranAsUnprivileged();

}  // namespace ofx::test
