#include "proposal/filename.h"

#include "proposal/document.h"

namespace ofx::proposal {

DocumentFileName fileNameForDocument(std::string_view fileName, std::string_view placed, std::string_view document)
{
    DocumentFileName result;
    result.fileName = std::string(fileName);
    const std::string_view slot = placed.empty() ? documentPlaceholder : placed;
    const auto at = fileName.find(slot);
    if (at == std::string_view::npos || document == slot)
        return result;
    // A text read from the file could hold "/" or "..": only a document of a valid shape goes
    // into a name.
    if (!isStoredDocumentForm(document)) {
        result.outcome = DocumentFileName::Outcome::DocumentUnfit;
        return result;
    }
    result.fileName.replace(at, slot.size(), document);
    result.outcome = DocumentFileName::Outcome::Renamed;
    return result;
}

}  // namespace ofx::proposal
