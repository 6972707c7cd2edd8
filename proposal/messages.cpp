#include "proposal/messages.h"

namespace ofx::proposal::detail {

std::string errorText(const char* what) { return text::utf8ToCp1252(what ? what : ""); }

}  // namespace ofx::proposal::detail
