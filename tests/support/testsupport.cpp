#include "testsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace ofx::test {

TempDir::TempDir()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = fs::temp_directory_path() / ("ofertix-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    ADD_FAILURE() << "could not create a temporary folder";
}

TempDir::~TempDir()
{
    if (path_.empty())
        return;
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << p;
        return {};
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool writeFile(const fs::path& p, std::string_view bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        ADD_FAILURE() << "cannot write " << p;
        return false;
    }
    return true;
}

fs::path sourceFile(std::string_view relative)
{
    return fs::path(OFX_TESTS_SOURCE_DIR) / std::string(relative);
}

}  // namespace ofx::test
