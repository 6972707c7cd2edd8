// libFuzzer target over the proposal exchange file: arbitrary bytes are loaded into fresh tables
// and cleared process variables, and whatever loaded is written back into memory. Besides the
// sanitizers' findings, two promises are checked, and broken ones abort with the reason:
//  - a file that the writer wrote always loads again;
//  - loading it and writing it once more gives the same bytes (the writer's output is a fixed
//    point, so a proposal saved twice does not drift).
// Exceptions must not leave the loader or the writer: an uncaught one aborts as well.
#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "text/cp1252.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using namespace ofx::proposal;

class MemorySink : public ByteSink {
public:
    std::string bytes;
    bool write(std::string_view b) override
    {
        bytes.append(b);
        return true;
    }
};

struct Proposal {
    ofx::data::MemTable lots;
    ofx::data::MemTable items;
    ProcessVariables vars;  // cleared: the state at program start
    LoadResult loaded;

    explicit Proposal(std::string_view bytes)
    {
        createLotsTable(lots);
        createItemsTable(items);
        std::istringstream in(std::string(bytes), std::ios::binary);
        loaded = loadProposal(in, lots, items, vars);
        // Saving posts the item in edit; the broken row of a failed load is dropped.
        for (ofx::data::MemTable* table : {&lots, &items}) {
            if (table->state() == ofx::data::TableState::Browse)
                continue;
            if (loaded.ok)
                table->post();
            else
                table->cancel();
        }
    }

    // Written as the window would: its date fields and memo as loading filled them.
    WriteResult writeTo(MemorySink& sink)
    {
        return writeProposal(sink, lots, items, vars,
                             {loaded.validityText, loaded.deadlineText, loaded.observations});
    }
};

// Shown in UTF-8 (the program's texts are CP1252), then abort: libFuzzer saves the input.
[[noreturn]] void broken(const char* promise, const std::string& detail, std::string_view written)
{
    const std::string text = ofx::text::cp1252ToUtf8(written);
    std::fprintf(stderr, "\n*** %s\n%s\n--- written (%zu bytes):\n%s\n---\n", promise,
                 ofx::text::cp1252ToUtf8(detail).c_str(), written.size(), text.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    Proposal first(input);
    MemorySink firstWrite;
    const WriteResult written = first.writeTo(firstWrite);
    if (!first.loaded.ok || !written.ok)
        return 0;

    Proposal second(firstWrite.bytes);
    if (!second.loaded.ok) {
        broken("the writer's output does not load",
               second.loaded.message + " (line " + std::to_string(second.loaded.line) + ")",
               firstWrite.bytes);
    }
    MemorySink secondWrite;
    const WriteResult rewritten = second.writeTo(secondWrite);
    if (!rewritten.ok)
        broken("the writer's output does not write back", rewritten.error, firstWrite.bytes);
    // Once written, a proposal is a fixed point: reading and writing it again changes nothing.
    // (The first round trip may still reorder items: an empty item code, which sorts first, is
    // written as 000000 and reads back as 0, after any negative code.)
    Proposal third(secondWrite.bytes);
    if (!third.loaded.ok)
        broken("the writer's output does not load", third.loaded.message, secondWrite.bytes);
    MemorySink thirdWrite;
    if (!third.writeTo(thirdWrite).ok)
        broken("the writer's output does not write back", "", secondWrite.bytes);
    if (thirdWrite.bytes != secondWrite.bytes) {
        const auto& a = secondWrite.bytes;
        const auto& b = thirdWrite.bytes;
        std::size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            ++at;
        broken("writing the writer's output back changes it",
               "first difference at byte " + std::to_string(at) + "; second write:\n" + b, a);
    }
    return 0;
}
