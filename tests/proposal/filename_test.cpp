#include "proposal/filename.h"

#include <gtest/gtest.h>

namespace {

using ofx::proposal::DocumentFileName;
using ofx::proposal::fileNameForDocument;
using Outcome = DocumentFileName::Outcome;

TEST(FileNameForDocument, ReplacesThePlaceholderThenTheDocumentItPut)
{
    struct Case {
        const char* what;
        const char* name;
        const char* placed;
        const char* document;
        Outcome outcome;
        const char* result;
    };
    const Case cases[] = {
        {"first save, CNPJ", "proposta_00000000000000.TXT", "", "11222333000181", Outcome::Renamed,
         "proposta_11222333000181.TXT"},
        {"first save, CPF", "p_00000000000000.txt", "", "cpf52998224725", Outcome::Renamed, "p_cpf52998224725.txt"},
        {"only the first placeholder", "00000000000000_00000000000000", "", "11222333000181", Outcome::Renamed,
         "11222333000181_00000000000000"},
        {"no placeholder", "proposta.TXT", "", "11222333000181", Outcome::Kept, "proposta.TXT"},
        {"no document yet", "proposta_00000000000000.TXT", "", "00000000000000", Outcome::Kept,
         "proposta_00000000000000.TXT"},
        {"corrected document", "proposta_11222333000181.TXT", "11222333000181", "11444777000161", Outcome::Renamed,
         "proposta_11444777000161.TXT"},
        {"same document again", "proposta_11222333000181.TXT", "11222333000181", "11222333000181", Outcome::Kept,
         "proposta_11222333000181.TXT"},
        {"earlier document no longer in the name", "renamed.TXT", "11222333000181", "11444777000161", Outcome::Kept,
         "renamed.TXT"},
        {"document with a slash", "proposta_00000000000000.TXT", "", "11/22333000181", Outcome::DocumentUnfit,
         "proposta_00000000000000.TXT"},
        {"document climbing out", "proposta_00000000000000.TXT", "", "../../../x1234", Outcome::DocumentUnfit,
         "proposta_00000000000000.TXT"},
    };
    for (const Case& c : cases) {
        const DocumentFileName r = fileNameForDocument(c.name, c.placed, c.document);
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(r.fileName, c.result) << c.what;
    }
}

}  // namespace
