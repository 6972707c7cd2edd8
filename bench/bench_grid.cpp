// One cell post in the item grid over a lot of 5,000 items: the value is written and posted, the
// grid re-reads the lot (the refresh handler recomputes every total) and repaints. The budget is
// one frame, 16 ms.
#include "qtbenchmain.h"
#include "data/memtable.h"
#include "grid/datagrid.h"
#include "text/numbers.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace ofx;

std::string withoutPoints(std::string s)
{
    std::erase(s, '.');
    return s;
}

void fillLot(data::MemTable& t, int items)
{
    t.addField("NO_LOTE", data::FieldType::Integer);
    t.addField("CD_LCTO", data::FieldType::Integer);
    t.addField("CD_ITEM", data::FieldType::Integer);
    t.addField("DS_ITEM", data::FieldType::Text, 2000);
    t.addField("DS_MARCA", data::FieldType::Text, 40);
    t.addField("UN_MEDIDA", data::FieldType::Text, 9);
    t.addField("QT_ITEM", data::FieldType::Text, 100);
    t.addField("VL_UNITARIO", data::FieldType::Decimal);
    t.addField("VL_TOTAL", data::FieldType::Decimal);
    t.createDataSet();
    t.addIndex("CD_ITEM", "CD_ITEM");
    t.setIndexName("CD_ITEM");
    for (int i = 1; i <= items; ++i) {
        t.append();
        t.setValue("NO_LOTE", 1);
        t.setValue("CD_LCTO", i);
        t.setValue("CD_ITEM", i);
        t.setText("DS_ITEM", "Item de teste número " + std::to_string(i) + ", com uma descrição de tamanho comum");
        t.setText("UN_MEDIDA", "UN");
        t.setText("QT_ITEM", std::to_string(i % 900 + 1) + ".000,0000");
        t.setValue("VL_UNITARIO", 1.5 + i % 7);
        t.post();
    }
    t.first();
    t.afterScroll = [](data::MemTable& table) {
        if (!table.controlsDisabled())
            return;
        std::string quantity = withoutPoints(table.asText("QT_ITEM"));
        std::string unit = withoutPoints(table.asText("VL_UNITARIO"));
        table.edit();
        if (unit.empty()) {
            table.setText("VL_UNITARIO", "0");
            unit = "0";
        }
        table.setValue("VL_TOTAL", num::parseDecimal(quantity.empty() ? "0" : quantity) * num::parseDecimal(unit));
    };
}

void BM_CellPostInALotOf5000(benchmark::State& state)
{
    data::MemTable items;
    fillLot(items, 5000);
    grid::DataGrid g;
    const QString money = QStringLiteral("R$ ###,###,##0.0000");
    g.addColumn({.caption = "Lançamento", .field = "CD_LCTO", .width = 78, .editable = false});
    g.addColumn({.caption = "Código", .field = "CD_ITEM", .width = 50, .editable = false, .focusable = false, .grey = true});
    g.addColumn({.caption = "Item", .field = "DS_ITEM", .width = 215, .editable = false, .focusable = false, .grey = true});
    g.addColumn({.caption = "Marca", .field = "DS_MARCA", .width = 187});
    g.addColumn({.caption = "Unidade", .field = "UN_MEDIDA", .width = 60, .editable = false, .focusable = false, .grey = true});
    g.addColumn({.caption = "Quantidade", .field = "QT_ITEM", .width = 90, .editable = false, .focusable = false,
                 .grey = true, .displayFormat = "###,###,##0.0000", .editor = grid::EditorKind::Currency});
    const int unit = g.addColumn({.caption = "Valor unitário", .field = "VL_UNITARIO", .width = 115,
                                  .displayFormat = money, .editor = grid::EditorKind::Currency,
                                  .footer = grid::FooterKind::Text, .footerText = "Total da Proposta:"});
    g.addColumn({.caption = "Valor total", .field = "VL_TOTAL", .width = 120, .editable = false, .focusable = false,
                 .grey = true, .displayFormat = money, .editor = grid::EditorKind::Currency,
                 .footer = grid::FooterKind::Sum, .footerFormat = money});
    g.setTable(&items);
    g.resize(839, 274);
    g.show();
    QCoreApplication::processEvents();

    const QModelIndex cell = g.model()->index(0, unit);
    int i = 0;
    for (auto _ : state) {
        g.model()->setData(cell, QString::fromStdString(std::to_string(10 + (i++ % 2)) + ",5"));
        g.repaint();
    }
    state.counters["handler_rows"] = items.recordCount();
}
BENCHMARK(BM_CellPostInALotOf5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return ofx::bench::runQtBenchmarks<QApplication>(argc, argv); }
