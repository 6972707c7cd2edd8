#pragma once
// A proposal's two tables and its variables, as a proposal entry window holds them.
#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"

#include <sstream>
#include <string>
#include <string_view>

namespace ofx::test {

struct Proposal {
    data::MemTable lots;
    data::MemTable items;
    proposal::ProcessVariables vars;

    Proposal()
    {
        proposal::createLotsTable(lots);
        proposal::createItemsTable(items);
    }

    proposal::LoadResult load(std::string_view bytes)
    {
        std::istringstream in{std::string(bytes)};
        return proposal::loadProposal(in, lots, items, vars);
    }

    // The whole file as the writer writes it, with the date fields and memo as loading left them.
    std::string write(const proposal::ProposalTexts& texts = {})
    {
        std::ostringstream out;
        proposal::StreamSink sink(out);
        const proposal::WriteResult r = proposal::writeProposal(sink, lots, items, vars, texts);
        lastWrite = r;
        return out.str();
    }
    proposal::WriteResult lastWrite;

    // Every item row (all lots, CD_ITEM order) on a second cursor; the items table is not moved.
    int allItemCount()
    {
        data::MemTable view;
        view.cloneCursor(items);
        view.open();
        return view.recordCount();
    }
};

// Lines of a file, CR LF ends.
inline std::string lines(std::initializer_list<std::string_view> ls)
{
    std::string out;
    for (std::string_view l : ls) {
        out += l;
        out += "\r\n";
    }
    return out;
}

inline std::string blanks(std::size_t n) { return std::string(n, ' '); }

}  // namespace ofx::test
