// ofertix-tool regravar ARQUIVO SAIDA: loads a proposal file as the proposal entry window does and
// writes it into SAIDA exactly as saving writes it: no checks, no questions, no recompute, no
// rename. SAIDA is replaced only by a complete file.
#include "commands.h"

#include "data/memtable.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/savefile.h"
#include "proposal/tables.h"
#include "text/cp1252.h"
#include "text/paths.h"

#include <cstdio>
#include <string>

int ofx::tool::regravar(const Args& args)
{
    if (args.size() != 2) {
        std::fputs("Uso: ofertix-tool regravar ARQUIVO SAIDA\n", stderr);
        return 2;
    }
    data::MemTable lots;
    data::MemTable items;
    proposal::createLotsTable(lots);
    proposal::createItemsTable(items);
    proposal::ProcessVariables& vars = proposal::processVariables();
    const proposal::LoadResult loaded = proposal::loadProposalFile(text::pathFromUtf8(args[0]), lots, items, vars);
    if (!loaded.ok) {
        printLoadFailure(loaded);
        return 1;
    }
    // The window's date fields and observations hold what loading put into them.
    const proposal::ProposalTexts texts{loaded.validityText, loaded.deadlineText, loaded.observations};
    const proposal::SaveResult saved = proposal::saveProposalFile(text::pathFromUtf8(args[1]), lots, items, vars, texts);
    if (!saved.ok) {
        std::fputs((text::cp1252ToUtf8(saved.error) + "\n").c_str(), stderr);
        return 1;
    }
    return 0;
}
