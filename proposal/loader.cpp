#include "proposal/loader.h"

#include "proposal/document.h"

#include "proposal/exchangefile.h"
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
        throw data::TableError(cp("A tabela não tem o campo ") + std::string(name) + ".");
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
    v.vCdFornecedor = f[0];
    v.vNmFornecedor = f[1];
    v.vCpfCnpj = f[2];

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

    std::string* const rest[] = {
        &v.vEndereco,   &v.vNumero,      &v.vBairro,     &v.vCEP,        &v.vCidade,
        &v.vUF,         &v.vCriterio,    &v.vAvaliacao,  &v.vLocalAbertura, &v.vDtAbertura,
        &v.vHoraAbertura, &v.vDtEntrega, &v.vHoraEntrega, &v.vCondPagto, &v.vObjeto,
        &v.vDtValidade, &v.vDtPrazo,     &v.vUgEstado,   &v.vUgCidade,   &v.vUgCNPJ,
    };
    for (std::size_t i = 0; i < std::size(rest); ++i)
        *rest[i] = f[3 + i];

    r.observations = f[23];
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

namespace {

// Every field but the texts (DS_ITEM, QT_ITEM, UN_MEDIDA, DS_MARCA) of an item line is a number.
bool isNumericItemField(int i)
{
    return i != 1 && i != 2 && i != 5 && i != 6;
}

// Lot line fields 2, 3 and 4 (year, process number, lot number) are integers.
bool isNumericLotField(int i)
{
    return i == 1 || i == 2 || i == 3;
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

        const int lotColumns[lotFieldCount] = {
            column(lots, field::TP_MODALIDADE), column(lots, field::AA_LICITACAO),
            column(lots, field::NO_LICITACAO),  column(lots, field::NO_LOTE),
            column(lots, field::DS_LOTE),       column(lots, field::MM_DESCRICAO),
            column(lots, field::FL_VLRPERC),
        };
        std::string* const lotVariables[lotFieldCount] = {
            &vars.vTpModalidade, &vars.vAnoLicitacao, &vars.vNoLicitacao, &vars.vNoLote,
            &vars.vDsLote,       &vars.vMmDescricao,  &vars.vFlVlrPerc,
        };
        // The lot values every item row takes from the last lot line read.
        const int itemLotColumns[5] = {
            column(items, field::TP_MODALIDADE), column(items, field::AA_LICITACAO),
            column(items, field::NO_LICITACAO),  column(items, field::NO_LOTE),
            column(items, field::DS_LOTE),
        };
        const int itemColumns[itemFieldCount] = {
            column(items, field::CD_ITEM),     column(items, field::DS_ITEM),
            column(items, field::QT_ITEM),     column(items, field::VL_UNITARIO),
            column(items, field::VL_TOTAL),    column(items, field::UN_MEDIDA),
            column(items, field::DS_MARCA),    column(items, field::PERC_DESC),
            column(items, field::VLR_DESC),    column(items, field::CD_LCTO),
        };

        std::string_view line;
        while (reader.next(line)) {
            failingLine = reader.lineNumber();
            const SplitLine s = splitLine(line);
            switch (s.kind) {
            case LineKind::Lot:
                lots.append();
                for (int i = 0; i < lotFieldCount; ++i)
                    *lotVariables[i] = s.fields[static_cast<std::size_t>(i)];
                for (int i = 0; i < lotFieldCount; ++i) {
                    const std::string_view text = s.fields[static_cast<std::size_t>(i)];
                    lots.setText(lotColumns[i], isNumericLotField(i) ? withoutZerosBeforeSign(text) : text);
                }
                lots.post();
                break;
            case LineKind::Participant:
                applyParticipantLine(s, vars, result);
                break;
            case LineKind::Item:
                items.append();
                for (int i = 0; i < 5; ++i)
                    items.setText(itemLotColumns[i],
                                  isNumericLotField(i) ? withoutZerosBeforeSign(*lotVariables[i]) : *lotVariables[i]);
                for (int i = 0; i < itemFieldCount; ++i) {
                    const std::string_view text = s.fields[static_cast<std::size_t>(i)];
                    items.setText(itemColumns[i], isNumericItemField(i) ? withoutZerosBeforeSign(text) : text);
                }
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
            throw LoadError(cp("Não foi possível ler o arquivo até o fim."));

        // The first lot, and its items with the first one in edit state.
        lots.close();
        lots.open();
        if (lots.isEmpty())
            throw LoadError(cp("O arquivo não tem nenhuma linha de lote (H)."));
        if (lots.isNull(field::NO_LOTE))
            throw LoadError(cp("O primeiro lote do arquivo não tem número."));
        items.close();
        items.setFilter(lotFilter(lots.asText(field::NO_LOTE)));
        items.setFiltered(true);
        items.open();
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
        result.error = dynamic_cast<const LoadError*>(&e) ? std::string(e.what()) : errorText(e.what());
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
