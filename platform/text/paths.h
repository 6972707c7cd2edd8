#pragma once
// File names between the program's texts and the file system. A std::filesystem::path holds the
// system's own form (bytes on Linux, UTF-16 on Windows); these functions are the only places
// where texts become paths and back, so that a name with accents survives on both systems.
#include <filesystem>
#include <string>
#include <string_view>

namespace ofx::text {

// From UTF-8 (command-line arguments, Qt's file names): on Linux the bytes as they are, on
// Windows converted to wide characters.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// From and to the program's CP1252 texts (a path held in a process variable, a message).
std::filesystem::path pathFromCp1252(std::string_view cp1252);
std::string pathToCp1252(const std::filesystem::path& path);

}  // namespace ofx::text
