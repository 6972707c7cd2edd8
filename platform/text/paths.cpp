#include "text/paths.h"

#include "text/cp1252.h"

namespace ofx::text {

namespace fs = std::filesystem;

// A char8_t text is UTF-8 by definition: libstdc++ and MSVC both convert it to the native form
// (unchanged on Linux, UTF-16 on Windows), where a plain char text would go through the
// Windows ANSI code page.
fs::path pathFromUtf8(std::string_view utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const fs::path& path)
{
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path pathFromCp1252(std::string_view cp1252) { return pathFromUtf8(cp1252ToUtf8(cp1252)); }

std::string pathToCp1252(const fs::path& path) { return utf8ToCp1252(pathToUtf8(path)); }

}  // namespace ofx::text
