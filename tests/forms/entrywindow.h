#pragma once
// A shown, active entry window whose tables the test fills itself (no file is loaded), with
// helpers for the item grid.
#include "forms/LancamentoProposta.h"
#include "editors/dateedit.h"
#include "formtest.h"

#include "grid/datagrid.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace ofx::test {

struct ItemRow {
    int lot;
    int code;
    const char* description;
    const char* quantity = "1,0000";
    std::optional<double> unit = {};
    int lcto = 0;
    const char* unitName = "UN";
};

class EntryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        proposal::processVariables().clear();
        forms::vCarregarArquivo = false;  // the tables are filled here, not loaded
        showActive(*w);
    }
    ~EntryFixture() override { delete w.data(); }

    // Lots 1..lotCount ("Lote n") and the items, the first lot shown as loading leaves it.
    void fill(int lotCount, const std::vector<ItemRow>& items)
    {
        auto& lots = w->cdsProposta;
        for (int n = 1; n <= lotCount; ++n) {
            lots.append();
            lots.setText("TP_MODALIDADE", "Pregao");
            lots.setValue("AA_LICITACAO", 2024);
            lots.setValue("NO_LICITACAO", 12);
            lots.setValue("NO_LOTE", n);
            lots.setText("DS_LOTE", "Lote " + std::to_string(n));
            lots.post();
        }
        auto& rows = w->cdsLote;
        for (const ItemRow& item : items) {
            rows.append();
            rows.setValue("NO_LOTE", item.lot);
            rows.setValue("CD_ITEM", item.code);
            rows.setValue("CD_LCTO", item.lcto ? item.lcto : item.code);
            rows.setText("DS_ITEM", item.description);
            rows.setText("QT_ITEM", item.quantity);
            rows.setText("UN_MEDIDA", item.unitName);
            if (item.unit)
                rows.setValue("VL_UNITARIO", *item.unit);
            rows.post();
        }
        lots.first();
        w->cdsPropostaAfterScroll();
    }

    grid::DataGrid& grid() const { return *w->dbgItensDados; }
    int column(const char* name) const { return grid().columnIndex(QLatin1String(name)); }
    QString cell(int row, const char* name) const { return grid().model()->cellText(row, column(name)); }
    QString footer(const char* name) const { return grid().footerText(column(name)); }

    // The open cell editor; a closed one lingers hidden until the event loop deletes it.
    QLineEdit* activeEditor() const
    {
        for (QLineEdit* e : grid().view()->viewport()->findChildren<QLineEdit*>())
            if (!e->isHidden())
                return e;
        return nullptr;
    }

    // Types text into a cell as the user does (the first key opens the editor) and ends with
    // `end`, unless it is Qt::Key_unknown (the editor stays open).
    void typeIntoCell(int row, const char* name, const QString& text, Qt::Key end = Qt::Key_Return)
    {
        grid().view()->setFocus();
        grid().setCurrentCell(row, column(name));
        QTest::keyClick(grid().view(), text.at(0).toLatin1());
        QLineEdit* editor = activeEditor();
        ASSERT_NE(editor, nullptr) << name;
        QTest::keyClicks(editor, text.mid(1));
        if (end != Qt::Key_unknown)
            QTest::keyClick(editor, end);
    }

    QPointer<forms::TFLancamentoProposta> w = new forms::TFLancamentoProposta;
};

}  // namespace ofx::test
