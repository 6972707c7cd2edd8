#pragma once
// The proposal's in-memory tables: the lots table (cdsProposta, one row per lot line of the
// exchange file), the items table (cdsLote, one row per item line) and the indexes of the report
// cursor (cdsBuscaItens). This is the one place where their fields are defined.
#include "data/memtable.h"

#include <string>
#include <string_view>

namespace ofx::proposal {

// Field names. Lots table fields 1-11 in this order: TP_MODALIDADE, AA_LICITACAO, NO_LICITACAO,
// NO_LOTE, DS_LOTE, MM_DESCRICAO, FL_VLRPERC, CD_FORNECEDOR, NM_FORNECEDOR, DT_ENTREGA,
// TP_AVALIACAO. Items table fields 1-15: TP_MODALIDADE, AA_LICITACAO, NO_LICITACAO, NO_LOTE,
// DS_LOTE, CD_ITEM, CD_LCTO, DS_ITEM, QT_ITEM, VL_UNITARIO, VL_TOTAL, UN_MEDIDA, DS_MARCA,
// PERC_DESC, VLR_DESC. The type and size of every column that the exchange file carries is in
// its record layout (recordlayout.h); the table definitions take them from there.
namespace field {
inline constexpr std::string_view TP_MODALIDADE = "TP_MODALIDADE";
inline constexpr std::string_view AA_LICITACAO = "AA_LICITACAO";
inline constexpr std::string_view NO_LICITACAO = "NO_LICITACAO";
inline constexpr std::string_view NO_LOTE = "NO_LOTE";  // links items to their lot
inline constexpr std::string_view DS_LOTE = "DS_LOTE";
inline constexpr std::string_view MM_DESCRICAO = "MM_DESCRICAO";
inline constexpr std::string_view FL_VLRPERC = "FL_VLRPERC";
inline constexpr std::string_view CD_FORNECEDOR = "CD_FORNECEDOR";  // integer, never filled
inline constexpr std::string_view NM_FORNECEDOR = "NM_FORNECEDOR";  // text 50, never filled
inline constexpr std::string_view DT_ENTREGA = "DT_ENTREGA";        // date-time, never filled
inline constexpr std::string_view TP_AVALIACAO = "TP_AVALIACAO";    // integer, never filled
inline constexpr std::string_view CD_ITEM = "CD_ITEM";
inline constexpr std::string_view CD_LCTO = "CD_LCTO";  // "Lançamento"
inline constexpr std::string_view DS_ITEM = "DS_ITEM";
inline constexpr std::string_view QT_ITEM = "QT_ITEM";  // the file's text, not a number
inline constexpr std::string_view VL_UNITARIO = "VL_UNITARIO";
inline constexpr std::string_view VL_TOTAL = "VL_TOTAL";
inline constexpr std::string_view UN_MEDIDA = "UN_MEDIDA";
inline constexpr std::string_view DS_MARCA = "DS_MARCA";
inline constexpr std::string_view PERC_DESC = "PERC_DESC";
inline constexpr std::string_view VLR_DESC = "VLR_DESC";
}  // namespace field

// Name of the items table's index on CD_ITEM (ascending; equal codes keep reading order).
inline constexpr std::string_view itemsIndexName = "CD_ITEM";

// Defines the lots table's eleven fields and creates it empty and open. No index: rows stay in
// the order of the lot lines read.
void createLotsTable(data::MemTable& cdsProposta);

// Defines the items table's fifteen fields, creates it empty and open, and makes the index
// "CD_ITEM" current.
void createItemsTable(data::MemTable& cdsLote);

// Declares on the report cursor the five indexes "NO_LOTE", "CD_LCTO", "CD_ITEM", "PERC_DESC",
// "VLR_DESC", each on the field of its name, ascending. Call before the cursor is first cloned.
void declareReportCursorIndexes(data::MemTable& cdsBuscaItens);

// The items table's filter for one lot: "NO_LOTE = " followed by the lot number's text
// ("NO_LOTE = 3"). An empty text gives an expression the table refuses.
std::string lotFilter(std::string_view lotNumberText);

// Reopens the items table on one lot ("NO_LOTE = " and the number's text, filtering on; a lot
// without a number gives a filter the table refuses), or on every item of every lot (filter
// emptied, filtering off). Closing drops an edit of the current row that was not posted;
// opening goes to the first row.
void reopenItemsOfLot(data::MemTable& items, std::string_view lotNumberText);
void reopenAllItems(data::MemTable& items);

}  // namespace ofx::proposal
