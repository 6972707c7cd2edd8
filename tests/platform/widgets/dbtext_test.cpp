// A data-bound text field follows its table's cursor through a data source, and shows nothing
// new while the table's controls are disabled.
#include "widgets/datasource.h"
#include "widgets/dbtext.h"

#include <gtest/gtest.h>

#include <memory>

using namespace ofx;

namespace {

struct Lots : ::testing::Test {
    Lots()
    {
        table.addField("NO_LOTE", data::FieldType::Integer);
        table.addField("DS_LOTE", data::FieldType::Text, 100);
        table.createDataSet();
        for (auto [n, ds] : {std::pair{1, "Material de escrit\xF3rio"}, {2, "Limpeza"}, {3, "Copa"}}) {
            table.append();
            table.setValue("NO_LOTE", n);
            table.setText("DS_LOTE", ds);
            table.post();
        }
        table.first();
        number.setDataField("NO_LOTE");
        number.setDataSource(&source);
        description.setDataField("DS_LOTE");
        description.setDataSource(&source);
    }

    data::MemTable table;
    widgets::DataSource source{&table};
    widgets::DBText number;
    widgets::DBText description;
};

}  // namespace

TEST_F(Lots, ShowsTheCurrentRowConvertedFromCp1252)
{
    EXPECT_EQ(number.text(), QStringLiteral("1"));
    EXPECT_EQ(description.text(), QStringLiteral("Material de escritório"));
    table.last();
    EXPECT_EQ(number.text(), QStringLiteral("3"));
    EXPECT_EQ(description.text(), QStringLiteral("Copa"));
}

TEST_F(Lots, NothingNewWhileControlsAreDisabledThenCatchesUp)
{
    table.disableControls();
    table.next();
    table.next();
    EXPECT_EQ(number.text(), QStringLiteral("1"));
    number.refresh();  // even an explicit re-read waits for the controls
    EXPECT_EQ(number.text(), QStringLiteral("1"));
    table.enableControls();
    EXPECT_EQ(number.text(), QStringLiteral("3"));
}

TEST_F(Lots, EmptyViewOrClosedTableShowsNothing)
{
    table.setFilter("NO_LOTE = 9");
    table.setFiltered(true);
    EXPECT_EQ(number.text(), QString());
    table.setFiltered(false);
    EXPECT_EQ(number.text(), QStringLiteral("1"));
    table.close();
    EXPECT_EQ(description.text(), QString());
}

TEST(DBText, LooksReadOnlyAndKeepsBlackTextWhenDisabled)
{
    widgets::DBText t;
    t.setEnabled(false);
    EXPECT_TRUE(t.isReadOnly());
    EXPECT_TRUE(t.styleSheet().contains(QStringLiteral("#E2E2E2")));
    EXPECT_TRUE(t.styleSheet().contains(QStringLiteral("#515151")));
    EXPECT_TRUE(t.styleSheet().contains(QStringLiteral("QLineEdit:disabled")));
}

// A source that goes before its table detaches; controls bound to it stay usable.
TEST(DataSource, DestroyedSourceDetachesFromTable)
{
    data::MemTable table;
    table.addField("A", data::FieldType::Integer);
    table.createDataSet();
    widgets::DBText text;
    text.setDataField("A");
    {
        widgets::DataSource source(&table);
        text.setDataSource(&source);
    }
    EXPECT_EQ(text.dataSource(), nullptr);
    table.append();  // would reach a destroyed listener otherwise
    table.setValue("A", 5);
    table.post();
    SUCCEED();
}
