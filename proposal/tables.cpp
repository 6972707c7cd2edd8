#include "proposal/tables.h"

#include "proposal/recordlayout.h"

namespace ofx::proposal {

using data::FieldType;

namespace {

// A column whose type and size the exchange file's record layout gives.
void addLayoutField(data::MemTable& table, std::string_view name)
{
    const FieldLayout* f = findFieldLayout(name);
    table.addField(std::string(name), f->type, f->size);
}

}  // namespace

void createLotsTable(data::MemTable& cdsProposta)
{
    for (const FieldLayout& f : lotLayout)  // the lot line's seven fields, in its order
        cdsProposta.addField(std::string(f.name), f.type, f.size);
    // Declared but never filled nor read: the file has no field for them.
    cdsProposta.addField(std::string(field::CD_FORNECEDOR), FieldType::Integer);
    cdsProposta.addField(std::string(field::NM_FORNECEDOR), FieldType::Text, 50);
    cdsProposta.addField(std::string(field::DT_ENTREGA), FieldType::DateTime);
    cdsProposta.addField(std::string(field::TP_AVALIACAO), FieldType::Integer);
    cdsProposta.createDataSet();
}

void createItemsTable(data::MemTable& cdsLote)
{
    // The lot values each item takes from its lot line, then the item line's fields (CD_LCTO,
    // the line's last field, second).
    for (std::string_view name : {field::TP_MODALIDADE, field::AA_LICITACAO, field::NO_LICITACAO, field::NO_LOTE,
                                  field::DS_LOTE, field::CD_ITEM, field::CD_LCTO, field::DS_ITEM, field::QT_ITEM,
                                  field::VL_UNITARIO, field::VL_TOTAL, field::UN_MEDIDA, field::DS_MARCA,
                                  field::PERC_DESC, field::VLR_DESC})
        addLayoutField(cdsLote, name);
    cdsLote.createDataSet();
    cdsLote.addIndex(std::string(itemsIndexName), std::string(field::CD_ITEM));
    cdsLote.setIndexName(itemsIndexName);
}

void declareReportCursorIndexes(data::MemTable& cdsBuscaItens)
{
    for (std::string_view name : {field::NO_LOTE, field::CD_LCTO, field::CD_ITEM, field::PERC_DESC,
                                  field::VLR_DESC})
        cdsBuscaItens.addIndex(std::string(name), std::string(name));
}

std::string lotFilter(std::string_view lotNumberText)
{
    std::string filter = "NO_LOTE = ";
    filter += lotNumberText;
    return filter;
}

void reopenItemsOfLot(data::MemTable& items, std::string_view lotNumberText)
{
    items.close();
    items.setFilter(lotFilter(lotNumberText));
    items.setFiltered(true);
    items.open();
}

void reopenAllItems(data::MemTable& items)
{
    items.close();
    items.setFilter(std::string());
    items.setFiltered(false);
    items.open();
}

}  // namespace ofx::proposal
