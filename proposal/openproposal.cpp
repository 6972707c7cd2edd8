#include "proposal/openproposal.h"

#include "proposal/pricing.h"
#include "proposal/tables.h"
#include "text/cp1252.h"
#include "text/paths.h"

#include <cstdint>
#include <system_error>
#include <variant>

namespace ofx::proposal {

namespace fs = std::filesystem;

namespace {

std::string cp(std::string_view utf8) { return text::utf8ToCp1252(utf8); }

using text::trimmed;

SaveCheck refusal(std::string_view utf8, SaveCheck::Field focus)
{
    return {SaveCheck::Kind::Refusal, cp(utf8), focus};
}

SaveCheck question(SaveCheck::Kind kind, std::string_view utf8)
{
    return {kind, cp(utf8), SaveCheck::Field::None};
}

}  // namespace

OpenProposal::OpenProposal()
{
    createLotsTable(lots);
    createItemsTable(items);
    declareReportCursorIndexes(report);
}

LoadResult OpenProposal::load(const fs::path& path, ProcessVariables& vars)
{
    // Bound controls do not follow the tables while the file is read; the item refresh runs at
    // every row inserted. On success the caller resumes them (the grid then re-reads the lot).
    lots.disableControls();
    items.disableControls();
    path_ = path;
    LoadResult loaded = loadProposalFile(path, lots, items, vars);
    invalid_ = !loaded.ok;
    if (loaded.ok)
        mode_ = loaded.pricingMode;
    return loaded;
}

void OpenProposal::resumeDisplay()
{
    lots.enableControls();
    items.enableControls();
}

bool OpenProposal::showLot()
{
    if (lots.controlsDisabled())
        return false;
    reopenItemsOfLot(items, lots.asText(field::NO_LOTE));
    items.edit();
    return true;
}

std::string OpenProposal::currentDescription() const
{
    return hasCurrentItem() ? items.asText(field::DS_ITEM) : std::string();
}

void OpenProposal::move(Move m)
{
    switch (m) {
    case Move::First: lots.first(); break;
    case Move::Prior: lots.prior(); break;
    case Move::Next: lots.next(); break;
    case Move::Last: lots.last(); break;
    }
}

bool OpenProposal::hasEntries()
{
    // Every item of every lot, without moving the items table.
    report.cloneCursor(items);
    report.open();
    return hasSupplierEntries(report, mode_);
}

void OpenProposal::clearEntries()
{
    reopenAllItems(items);
    clearSupplierEntries(items, mode_);
    showLot();
}

std::vector<SaveCheck> OpenProposal::checksBeforeEditingEnds(const SaveFields& f, ProcessVariables& vars) const
{
    using Field = SaveCheck::Field;
    std::vector<SaveCheck> checks;
    // A participant that the public body has not registered types its own identification.
    if (trimmed(f.code) == "00000000") {
        if (trimmed(f.name).empty())
            return {refusal("O nome (social) do fornecedor deve ser informado!", Field::Name)};
        if (trimmed(f.documentType).empty())
            return {refusal("O tipo do documento (CPF ou CNPJ) do fornecedor deve ser informado!", Field::DocumentType)};
        if (trimmed(f.document).empty() || vars.vCpfCnpj == "cpf00000000000" || vars.vCpfCnpj == documentPlaceholder)
            return {refusal("O documento (CPF ou CNPJ) do fornecedor deve ser informado!", Field::Document)};
    }
    if (invalid_) {
        SaveCheck c = refusal("O formato do arquivo informado é inválido.", Field::None);
        c.systemBox = true;
        return {c};
    }
    // A date the user typed that is no date is not written.
    if (const auto date = dateRefusal(f))
        return {*date};
    vars.vDtValidade = f.validity;
    if (vars.vDtValidade.empty())
        checks.push_back(question(SaveCheck::Kind::Confirmation,
                                  "A data de validade da proposta não foi informada. Deseja continuar?"));
    return checks;
}

std::optional<SaveCheck> OpenProposal::dateRefusal(const SaveFields& f)
{
    if (f.validityUnfit)
        return refusal("A data de validade da proposta não é uma data válida.\nInforme-a como DD/MM/AAAA.",
                       SaveCheck::Field::Validity);
    if (f.deadlineUnfit)
        return refusal("O prazo de entrega/execução não é uma data válida.\nInforme-o como DD/MM/AAAA.",
                       SaveCheck::Field::Deadline);
    return std::nullopt;
}

std::optional<int> OpenProposal::showItem(const ItemRef& item)
{
    lots.first();
    while (lots.asInteger(field::NO_LOTE) != item.lot && !lots.eof())
        lots.next();
    if (lots.isEmpty() || lots.asInteger(field::NO_LOTE) != item.lot || !showLot())
        return std::nullopt;
    const int code = items.fieldIndex(field::CD_ITEM);
    for (int row = 0; row < items.recordCount(); ++row) {
        const auto* c = std::get_if<std::int32_t>(&items.valueAt(row, code));
        if (item.code ? (c && *c == *item.code) : c == nullptr)
            return row;
    }
    return std::nullopt;
}

std::vector<SaveCheck> OpenProposal::checksAfterEditingEnds(const SaveFields& f, ProcessVariables& vars)
{
    std::vector<SaveCheck> checks;
    // All items of all lots, in reading order, without moving the items table.
    report.cloneCursor(items);
    report.open();
    vars.vDtPrazo = f.deadline;
    if (vars.vDtPrazo.empty())
        checks.push_back(
            question(SaveCheck::Kind::Confirmation, "O prazo de entrega/execução não foi informado. Deseja continuar?"));
    // The first item (in reading order) without a value or discount decides, an empty one
    // included; an item line without a code does not count.
    if (firstItemWithoutValueHasCode(report, field::VL_TOTAL) && trimmed(vars.vAvaliacao) != "por Item")
        checks.push_back(question(SaveCheck::Kind::Information,
                                  "Existe(m) item(s) sem valor(es). \r"
                                  "O não preenchimento do valor unitário do item ocasionará a desclassificação do "
                                  "licitante no mesmo.\r"
                                  "Deseja continuar?"));
    if (vars.vFlVlrPerc == "1" && firstItemWithoutValueHasCode(report, field::PERC_DESC))
        checks.push_back(question(SaveCheck::Kind::Information,
                                  "Existe(m) item(s) sem percentual de desconto. \r"
                                  "O não preenchimento do percentual de desconto unitário do item ocasionará a "
                                  "desclassificação do licitante no mesmo.\r"
                                  "Deseja continuar?"));
    return checks;
}

SaveOutcome OpenProposal::save(ProcessVariables& vars, const ProposalTexts& texts, const SaveOptions& options,
                               const std::function<void(int)>& starting,
                               const std::function<bool(const std::string&)>& confirmReplace)
{
    SaveOutcome outcome;
    // The item refresh must not run while the items are walked; the grid does not follow.
    auto refresh = std::move(items.afterScroll);
    items.afterScroll = {};
    lots.disableControls();
    items.disableControls();
    try {
        // The file gets what the table holds, an edit not yet posted included.
        if (items.state() != data::TableState::Browse)
            items.post();
        reopenAllItems(items);
        if (starting)
            starting(items.recordCount());
        lots.first();
        // Written into a temporary file beside the proposal and put in its place only once
        // complete: on any failure the file on disk stays as it was.
        const SaveResult saved = saveProposalFile(path_, lots, items, vars, texts, options);
        if (saved.ok) {
            outcome.ok = true;
            rename(outcome, vars, confirmReplace);
        } else {
            outcome.error = saved.error;
            outcome.failedItem = saved.failedItem;
        }
    } catch (const std::exception& error) {
        outcome.error = cp(error.what());
    }
    // Back as after a load: the first lot current and shown, the item refresh attached again.
    lots.first();
    lots.enableControls();
    items.enableControls();
    items.afterScroll = std::move(refresh);
    showLot();
    items.first();
    outcome.path = path_;
    return outcome;
}

void OpenProposal::rename(SaveOutcome& outcome, const ProcessVariables& vars,
                          const std::function<bool(const std::string&)>& confirmReplace)
{
    const std::string& document = vars.vCpfCnpj;
    const DocumentFileName named = fileNameForDocument(text::pathToCp1252(path_.filename()), documentInName_, document);
    using Outcome = DocumentFileName::Outcome;
    if (named.outcome == Outcome::DocumentUnfit) {
        outcome.nameKeptNote = "O nome do arquivo foi mantido: o documento do fornecedor (\"" +
                               text::cp1252ToUtf8(trimmed(document)) +
                               "\") não tem a forma de um CNPJ ou CPF e não pode entrar no nome.";
        return;
    }
    if (named.outcome != Outcome::Renamed)
        return;
    const fs::path target = path_.parent_path() / text::pathFromCp1252(named.fileName);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec)) && !(confirmReplace && confirmReplace(named.fileName)))
        return;
    // The proposal is complete on disk under its current name; one rename gives it the new one.
    fs::rename(path_, target, ec);
    if (ec) {
        outcome.renameWarning = "A proposta foi salva em \"" + text::pathToUtf8(path_) +
                                "\", mas não foi possível renomeá-la para \"" + text::pathToUtf8(target.filename()) +
                                "\": " + ec.message();
        return;
    }
    path_ = target;
    documentInName_ = document;
}

}  // namespace ofx::proposal
