#include "proposal/tables.h"

namespace ofx::proposal {

using data::FieldType;

void createLotsTable(data::MemTable& cdsProposta)
{
    cdsProposta.addField(std::string(field::TP_MODALIDADE), FieldType::Text, 20);
    cdsProposta.addField(std::string(field::AA_LICITACAO), FieldType::Integer);
    cdsProposta.addField(std::string(field::NO_LICITACAO), FieldType::Integer);
    cdsProposta.addField(std::string(field::NO_LOTE), FieldType::Integer);
    cdsProposta.addField(std::string(field::DS_LOTE), FieldType::Text, 100);
    cdsProposta.addField(std::string(field::MM_DESCRICAO), FieldType::Text, 50);
    cdsProposta.addField(std::string(field::FL_VLRPERC), FieldType::Text, 1);
    cdsProposta.addField(std::string(field::CD_FORNECEDOR), FieldType::Integer);
    cdsProposta.addField(std::string(field::NM_FORNECEDOR), FieldType::Text, 50);
    cdsProposta.addField(std::string(field::DT_ENTREGA), FieldType::DateTime);
    cdsProposta.addField(std::string(field::TP_AVALIACAO), FieldType::Integer);
    cdsProposta.createDataSet();
}

void createItemsTable(data::MemTable& cdsLote)
{
    cdsLote.addField(std::string(field::TP_MODALIDADE), FieldType::Text, 20);
    cdsLote.addField(std::string(field::AA_LICITACAO), FieldType::Integer);
    cdsLote.addField(std::string(field::NO_LICITACAO), FieldType::Integer);
    cdsLote.addField(std::string(field::NO_LOTE), FieldType::Integer);
    cdsLote.addField(std::string(field::DS_LOTE), FieldType::Text, 100);
    cdsLote.addField(std::string(field::CD_ITEM), FieldType::Integer);
    cdsLote.addField(std::string(field::CD_LCTO), FieldType::Integer);
    cdsLote.addField(std::string(field::DS_ITEM), FieldType::Text, 2000);
    cdsLote.addField(std::string(field::QT_ITEM), FieldType::Text, 100);
    cdsLote.addField(std::string(field::VL_UNITARIO), FieldType::Decimal);
    cdsLote.addField(std::string(field::VL_TOTAL), FieldType::Decimal);
    cdsLote.addField(std::string(field::UN_MEDIDA), FieldType::Text, 9);
    cdsLote.addField(std::string(field::DS_MARCA), FieldType::Text, 40);
    cdsLote.addField(std::string(field::PERC_DESC), FieldType::Decimal);
    cdsLote.addField(std::string(field::VLR_DESC), FieldType::Decimal);
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
