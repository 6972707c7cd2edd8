#include "qtext/qtext.h"

#include "text/cp1252.h"
#include "text/paths.h"

namespace ofx::qtext {

QString fromCp1252(std::string_view cp1252) { return QString::fromStdString(text::cp1252ToUtf8(cp1252)); }

std::string toCp1252(const QString& text) { return text::utf8ToCp1252(text.toStdString()); }

QString fieldText(std::string_view cp1252) { return fromCp1252(text::trimmed(cp1252)); }

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(text::pathToUtf8(path)); }

std::filesystem::path pathFromText(const QString& text) { return text::pathFromUtf8(text.toStdString()); }

}  // namespace ofx::qtext
