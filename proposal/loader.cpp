#include "proposal/loader.h"

#include "proposal/document.h"
#include "proposal/exchangereader.h"
#include "proposal/recordlayout.h"
#include "proposal/tables.h"
#include "proposal/messages.h"
#include "text/cp1252.h"
#include "text/numbers.h"
#include "text/paths.h"

#include <fstream>
#include <stdexcept>

namespace ofx::proposal {

using data::MemTable;

namespace {

using detail::cp;
using detail::errorText;

// A file that reads but does not make a proposal (no lot, first lot without number, read error).
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int column(const MemTable& table, std::string_view name)
{
    const int index = table.fieldIndex(name);
    if (index < 0)
        throw data::TableError("A tabela não tem o campo " + std::string(name) + ".");
    return index;
}

// Characters start..start+count-1 (counted from 1); shorter text gives a shorter piece.
std::string_view piece(std::string_view s, std::size_t start, std::size_t count)
{
    if (start - 1 >= s.size())
        return {};
    return s.substr(start - 1, count);
}

void applyParticipantLine(const SplitLine& line, ProcessVariables& v, LoadResult& r)
{
    const auto& f = line.fields;
    // Every field into its variable; the last one (no variable) into the observations memo.
    for (std::size_t i = 0; i < participantLayout.size(); ++i)
        if (const auto variable = participantLayout[i].variable)
            v.*variable = f[i];

    r.participantRead = true;
    r.addressFieldsEnabled = v.vCdFornecedor == "00000000";

    const std::string_view doc = v.vCpfCnpj;
    if (doc == "00000000000000") {
        v.vTipoDocumento = "CNPJ";
        v.vCpfCnpjFormatado.clear();
        r.documentMask = std::string(cnpjMask);
        r.identityFieldsEnabled = true;
    } else if (doc.find("cpf") != std::string_view::npos) {
        v.vTipoDocumento = "CPF";
        v.vCpfCnpjFormatado = std::string(piece(doc, 4, 3)) + "." + std::string(piece(doc, 7, 3)) + "."
                              + std::string(piece(doc, 10, 3)) + "-" + std::string(piece(doc, 13, 2));
        r.documentMask = std::string(cpfMask);
        r.identityFieldsEnabled = false;
    } else {
        v.vTipoDocumento = "CNPJ";
        v.vCpfCnpjFormatado = std::string(piece(doc, 1, 2)) + "." + std::string(piece(doc, 3, 3)) + "."
                              + std::string(piece(doc, 6, 3)) + "/" + std::string(piece(doc, 9, 4)) + "-"
                              + std::string(piece(doc, 13, 2));
        r.documentMask = std::string(cnpjMask);
        r.identityFieldsEnabled = false;
    }

    r.observations = f[participantLayout.size() - 1];
    if (v.vDtValidade != "00/00/0000") {
        r.validityText = v.vDtValidade;
        r.deadlineText = v.vDtPrazo;
    } else {
        r.validityText.clear();
        r.deadlineText.clear();
    }
}

void cancelInsert(MemTable& table)
{
    if (table.active() && table.state() != data::TableState::Browse)
        table.cancel();
}

}  // namespace

LoadResult loadProposal(std::istream& in, MemTable& lots, MemTable& items, ProcessVariables& vars)
{
    LoadResult result;
    LineReader reader(in);
    long failingLine = 0;  // the line being applied, while lines are applied
    bool restoreItemsIndex = false;
    try {
        lots.close();
        lots.open();
        items.close();
        items.open();
        // Rows are read in reading order and ordered once at the end: keeping the CD_ITEM order
        // up to date at every row appended would cost a pass over all rows each time.
        restoreItemsIndex = items.indexFieldNames() == field::CD_ITEM;
        if (restoreItemsIndex)
            items.setIndexName("");

        // The column of each field of a lot line and of an item line, in line order.
        int lotColumns[lotFieldCount];
        for (int i = 0; i < lotFieldCount; ++i)
            lotColumns[i] = column(lots, lotLayout[static_cast<std::size_t>(i)].name);
        int itemColumns[itemFieldCount];
        for (int i = 0; i < itemFieldCount; ++i)
            itemColumns[i] = column(items, itemLayout[static_cast<std::size_t>(i)].name);
        // The lot values every item row takes from the last lot line read.
        int itemLotColumns[lotFieldsOnItems];
        for (std::size_t i = 0; i < lotFieldsOnItems; ++i)
            itemLotColumns[i] = column(items, lotLayout[i].name);
        // Numbers are read with the zeros the writer puts before a minus sign taken off.
        auto asRead = [](const FieldLayout& f, std::string_view text) {
            return f.numeric() ? withoutZerosBeforeSign(text) : text;
        };

        std::string_view line;
        while (reader.next(line)) {
            failingLine = reader.lineNumber();
            const SplitLine s = splitLine(line);
            switch (s.kind) {
            case LineKind::Lot:
                lots.append();
                for (std::size_t i = 0; i < lotLayout.size(); ++i)
                    vars.*lotLayout[i].variable = s.fields[i];
                for (std::size_t i = 0; i < lotLayout.size(); ++i)
                    lots.setText(lotColumns[i], asRead(lotLayout[i], s.fields[i]));
                lots.post();
                break;
            case LineKind::Participant:
                applyParticipantLine(s, vars, result);
                break;
            case LineKind::Item:
                items.append();
                for (std::size_t i = 0; i < lotFieldsOnItems; ++i)
                    items.setText(itemLotColumns[i], asRead(lotLayout[i], vars.*lotLayout[i].variable));
                for (std::size_t i = 0; i < itemLayout.size(); ++i)
                    items.setText(itemColumns[i], asRead(itemLayout[i], s.fields[i]));
                items.post();
                break;
            }
        }
        failingLine = 0;
        if (restoreItemsIndex) {
            items.setIndexName(itemsIndexName);
            restoreItemsIndex = false;
        }
        if (reader.failed())
            throw LoadError("Não foi possível ler o arquivo até o fim.");

        // The first lot, and its items with the first one in edit state.
        lots.close();
        lots.open();
        if (lots.isEmpty())
            throw LoadError("O arquivo não tem nenhuma linha de lote (H).");
        if (lots.isNull(field::NO_LOTE))
            throw LoadError("O primeiro lote do arquivo não tem número.");
        reopenItemsOfLot(items, lots.asText(field::NO_LOTE));
        items.first();
        items.edit();
        result.ok = true;
    } catch (const std::exception& e) {
        // Conversion errors, table errors and the errors above; the row being stored is dropped,
        // the rows stored before it stay.
        result.ok = false;
        result.line = failingLine;
        cancelInsert(lots);
        cancelInsert(items);
        if (restoreItemsIndex)
            items.setIndexName(itemsIndexName);
        result.error = errorText(e.what());
        result.message = cp("O formato do arquivo informado é inválido. Erro: ") + result.error;
    }
    result.pricingMode = vars.vFlVlrPerc == "1" ? PricingMode::Discount : PricingMode::Price;
    return result;
}

LoadResult loadProposalFile(const std::filesystem::path& path, MemTable& lots, MemTable& items,
                            ProcessVariables& vars)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        LoadResult result;
        result.error = cp("Não foi possível abrir o arquivo \"") + text::pathToCp1252(path) + "\".";
        result.message = cp("O formato do arquivo informado é inválido. Erro: ") + result.error;
        result.pricingMode = vars.vFlVlrPerc == "1" ? PricingMode::Discount : PricingMode::Price;
        return result;
    }
    return loadProposal(in, lots, items, vars);
}

}  // namespace ofx::proposal
