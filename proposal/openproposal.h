#pragma once
// OpenProposal: the proposal a window has open, and what the window does with it, as plain
// operations that return results and touch no widget.
//
// It owns the two tables (lots, items of every lot, the items filtered to the shown lot) and the
// report cursor, knows where the file lives now (after a save renamed it) and whether it failed
// to load. The window binds its controls to the tables, turns the results into dialogs and
// focus, and keeps the handlers of its own (the item refresh runs as the items table's
// afterScroll, which the window sets and this class takes off and puts back while saving).
#include "data/memtable.h"
#include "proposal/filename.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/savefile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ofx::proposal {

// A check before saving: a refusal (a warning; the save stops) or a question (Yes goes on, No
// stops). text is CP1252, exactly as shown; focus names the field that gets the focus.
struct SaveCheck {
    enum class Kind {
        Refusal,       // a warning with OK (the system's "Ofertix" box when systemBox)
        Confirmation,  // a confirmation question, Yes and No
        Information,   // an information question, Yes and No
    };
    enum class Field { None, Name, DocumentType, Document, Validity, Deadline };
    Kind kind = Kind::Refusal;
    std::string text;
    Field focus = Field::None;
    bool systemBox = false;
};

// What the participant panel and the date fields show when the save starts (CP1252), and
// whether a date the user typed is no date (a date read from the file is never judged).
struct SaveFields {
    std::string code, name, documentType, document;  // the four fields' texts
    std::string validity, deadline;                  // the two date fields' texts
    bool validityUnfit = false, deadlineUnfit = false;
};

// What a save did.
struct SaveOutcome {
    bool ok = false;
    std::string error;                  // CP1252: why nothing was saved
    std::optional<ItemRef> failedItem;  // the item that could not be written
    std::filesystem::path path;         // where the proposal is now
    std::string renameWarning;          // UTF-8: saved, but the rename failed
    std::string nameKeptNote;           // UTF-8: saved, the name kept (the document cannot go in it)
};

class OpenProposal {
public:
    OpenProposal();
    OpenProposal(const OpenProposal&) = delete;
    OpenProposal& operator=(const OpenProposal&) = delete;

    data::MemTable lots;    // cdsProposta: one row per lot line, in file order
    data::MemTable items;   // cdsLote: every item; filtered to the shown lot
    data::MemTable report;  // cdsBuscaItens: a clone of items made by saving and printing

    // --- loading: reads path into the tables and vars (the tables' controls stay suspended on
    // a failure, so the window shows none of the rows read).
    LoadResult load(const std::filesystem::path& path, ProcessVariables& vars);
    // After a successful load: the bound controls follow the tables again (lots, then items: the
    // grid re-reads the first lot).
    void resumeDisplay();
    bool invalid() const { return invalid_; }
    const std::filesystem::path& path() const { return path_; }
    PricingMode mode() const { return mode_; }
    void setMode(PricingMode mode) { mode_ = mode; }

    // --- lots: the items table on the current lot, its first row in edit state. Nothing while
    // the lots table's controls are suspended (after a failed load). False when nothing shown.
    bool showLot();
    enum class Move { First, Prior, Next, Last };
    void move(Move move);
    // The current item's description ("" without one), for the description memo.
    std::string currentDescription() const;
    bool hasCurrentItem() const { return items.active() && !items.isEmpty(); }
    // A bulk pass over the items is running (their bound controls suspended: a load, a grid
    // re-read): the only time the item refresh recomputes a total.
    bool inBulkPass() const { return items.controlsDisabled(); }
    bool atFirst() const { return lots.bof(); }
    bool atLast() const { return lots.eof(); }

    // --- "Limpar": whether there is anything of the supplier's in the items to lose, and the
    // clearing of every item of every lot (then the current lot shown again).
    bool hasEntries();
    void clearEntries();

    // --- saving, in two runs of checks around the end of the editing in progress (the window's
    // focus move stores the participant fields and posts an open cell, and the later checks read
    // what it stored). Each list holds, in order, the checks that apply; the window shows them
    // one at a time and stops at a refusal or a No. They set vDtValidade and vDtPrazo.
    std::vector<SaveCheck> checksBeforeEditingEnds(const SaveFields& fields, ProcessVariables& vars) const;
    // The refusal of a typed date that is no date (printing checks it too), if any.
    static std::optional<SaveCheck> dateRefusal(const SaveFields& fields);
    std::vector<SaveCheck> checksAfterEditingEnds(const SaveFields& fields, ProcessVariables& vars);

    // Writes the proposal safely into path(), renames it after the document (asking through
    // confirmReplace, with the other file's name, before replacing another file) and puts the
    // tables back as after a load: the first lot current and shown, its first item current.
    // starting(total) is told the number of item rows before the first line is written; the
    // options' progress then runs after each item line.
    SaveOutcome save(ProcessVariables& vars, const ProposalTexts& texts, const SaveOptions& options,
                     const std::function<void(int total)>& starting,
                     const std::function<bool(const std::string& existingName)>& confirmReplace);

    // Shows the lot of an item a save could not write. The item's position in the shown lot (for
    // the grid to make it current), or nothing when there is no such lot or item.
    std::optional<int> showItem(const ItemRef& item);

private:
    void rename(SaveOutcome& outcome, const ProcessVariables& vars,
                const std::function<bool(const std::string&)>& confirmReplace);

    std::filesystem::path path_;
    std::string documentInName_;  // the document a save put into the file's name
    bool invalid_ = false;
    PricingMode mode_ = PricingMode::Price;
};

}  // namespace ofx::proposal
