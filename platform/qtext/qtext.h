#pragma once
// The one place where the program's texts (CP1252 bytes in std::string) and file paths meet Qt's
// strings. Everything below the windows keeps CP1252; a widget shows and takes QString.
#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace ofx::qtext {

QString fromCp1252(std::string_view cp1252);
// Characters CP1252 cannot hold become "?".
std::string toCp1252(const QString& text);
// A value as a field shows it: blanks and control characters at both ends removed.
QString fieldText(std::string_view cp1252);

// A path as the user reads it, and back (the system's own form, UTF-16 on Windows).
QString pathText(const std::filesystem::path& path);
std::filesystem::path pathFromText(const QString& text);

}  // namespace ofx::qtext
