#pragma once
// Internal to the proposal library: message texts. Messages are written in the sources as UTF-8
// and handed out as CP1252, like every other text of the program.
#include "text/cp1252.h"

#include <string>
#include <string_view>

namespace ofx::proposal::detail {

inline std::string cp(std::string_view utf8) { return text::utf8ToCp1252(utf8); }

// The text of a caught error as CP1252. Every error's text is UTF-8, whichever layer throws it.
std::string errorText(const char* what);

}  // namespace ofx::proposal::detail
