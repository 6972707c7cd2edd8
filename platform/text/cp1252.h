#pragma once
// Windows-1252 <-> UTF-8. The program holds every text as CP1252 bytes (the exchange file's
// own encoding); windows and the JSON output convert at their edge with these two functions.
#include <string>
#include <string_view>

namespace ofx::text {

// Every one of the 256 byte values maps to a character (the five bytes that CP1252 leaves
// undefined, 0x81 0x8D 0x8F 0x90 0x9D, map to the C1 control of the same number, as Windows does).
std::string cp1252ToUtf8(std::string_view cp1252);

// A character that CP1252 cannot hold becomes "?"; so does each byte of malformed UTF-8.
std::string utf8ToCp1252(std::string_view utf8);

// The text without the blanks and control characters (bytes up to 0x20) at both ends, as a
// field shows a value read with its fill blanks. Works on CP1252 and UTF-8 alike.
std::string_view trimmed(std::string_view text);

}  // namespace ofx::text
