#pragma once
// The proposal file's name after the supplier's document.
//
// A public body hands out the file with fourteen zeros in its name where the supplier's document
// goes ("proposta_00000000000000.TXT"). Saving puts the stored document (14 characters: a CNPJ,
// or "cpf" and a CPF) in their place; a later save in the same window puts a corrected document
// in the place of the one the earlier save wrote. Nothing else in the name changes, and only the
// file's own name is looked at, never its folder.
#include <string>
#include <string_view>

namespace ofx::proposal {

// The fourteen zeros of a file handed out by the public body.
inline constexpr std::string_view documentPlaceholder = "00000000000000";

struct DocumentFileName {
    enum class Outcome {
        Kept,         // nothing to replace, or the name already holds the document
        Renamed,      // fileName is the new name
        DocumentUnfit,  // the name has its place, but the document is no stored form: kept
    };
    Outcome outcome = Outcome::Kept;
    std::string fileName;  // the name to give the file (the given one when kept)
};

// fileName: the file's own name as it is now (CP1252); placed: the document that an earlier
// save of this window put into it ("" before the first); document: the stored document now.
DocumentFileName fileNameForDocument(std::string_view fileName, std::string_view placed, std::string_view document);

}  // namespace ofx::proposal
