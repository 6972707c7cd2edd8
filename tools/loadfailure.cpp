#include "commands.h"

#include "proposal/loader.h"
#include "text/cp1252.h"

#include <cstdio>

void ofx::tool::printLoadFailure(const proposal::LoadResult& loaded)
{
    std::string message = text::cp1252ToUtf8(loaded.message) + "\n";
    if (loaded.line > 0)
        message += "Linha " + std::to_string(loaded.line) + " do arquivo.\n";
    std::fputs(message.c_str(), stderr);
}
