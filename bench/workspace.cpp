#include "workspace.h"

#include "genproposta.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace ofx::bench {

Workspace::Workspace(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    dir_ = pattern;
}

Workspace::~Workspace()
{
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

const fs::path& Workspace::proposal(long items)
{
    auto it = files_.find(items);
    if (it == files_.end()) {
        const fs::path path = dir_ / ("proposta_" + std::to_string(items) + ".TXT");
        generateProposalFile(path, {.items = items, .lots = 0, .seed = 1});
        it = files_.emplace(items, path).first;
    }
    return it->second;
}

}  // namespace ofx::bench
