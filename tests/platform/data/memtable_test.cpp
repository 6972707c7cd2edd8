#include "data/memtable.h"

#include <gtest/gtest.h>

#include "text/numbers.h"

namespace {

using namespace ofx::data;
using ofx::num::ConversionError;

// A small items table: lot, code, a short description, a quantity text, a total, a date.
class ItemsTable : public ::testing::Test {
protected:
    void SetUp() override {
        t.addField("NO_LOTE", FieldType::Integer);
        t.addField("CD_ITEM", FieldType::Integer);
        t.addField("DS_ITEM", FieldType::Text, 10);
        t.addField("QT_ITEM", FieldType::Text, 20);
        t.addField("VL_TOTAL", FieldType::Decimal);
        t.addField("DT_ENTREGA", FieldType::DateTime);
        t.createDataSet();
    }

    // Appends and posts one row; an empty text leaves the field null.
    void add(const char* lot, const char* code, const char* desc, const char* total = "") {
        t.append();
        t.setText("NO_LOTE", lot);
        t.setText("CD_ITEM", code);
        t.setText("DS_ITEM", desc);
        t.setText("VL_TOTAL", total);
        t.post();
    }

    // The view's descriptions, read by position.
    static std::string column(const MemTable& table, const char* field = "DS_ITEM") {
        std::string out;
        const int f = table.fieldIndex(field);
        for (int p = 0; p < table.recordCount(); ++p) out += (p ? "," : "") + table.textAt(p, f);
        return out;
    }

    static std::string errorOf(auto&& call) {
        try {
            call();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no error)";
    }

    MemTable t;
};

TEST_F(ItemsTable, TextIsConvertedToTheFieldsType) {
    const struct {
        const char* field;
        const char* text;
        const char* shown;  // asText afterwards
        bool null;
    } cases[] = {
        {"DS_ITEM", "Caneta azul esferográfica", "Caneta azu", false},  // cut to 10 bytes
        {"DS_ITEM", "exatos 10!", "exatos 10!", false},
        {"DS_ITEM", "", "", true},                 // empty text makes the field null
        {"NO_LOTE", "00007", "7", false},          // leading zeros
        {"NO_LOTE", "", "", true},
        {"VL_TOTAL", "000000000012,5000", "12,5", false},
        {"VL_TOTAL", "0", "0", false},             // zero is a value, not null
        {"DT_ENTREGA", "05/03/2024", "05/03/2024", false},
        {"DT_ENTREGA", "31/12/1899 12:00", "31/12/1899 12:00:00", false},
    };
    for (const auto& c : cases) {
        t.append();
        t.setText(c.field, c.text);
        t.post();
        EXPECT_EQ(t.asText(c.field), c.shown) << c.field << " " << c.text;
        EXPECT_EQ(t.isNull(c.field), c.null) << c.field << " " << c.text;
    }
    t.last();
    EXPECT_DOUBLE_EQ(t.asDecimal("DT_ENTREGA"), 1.5);  // days since 30/12/1899
    EXPECT_EQ(t.asInteger("VL_TOTAL"), 0);             // null reads as 0
}

TEST_F(ItemsTable, ConversionErrorsNameTheValueAndKeepTheBuffer) {
    t.append();
    t.setText("NO_LOTE", "3");
    const struct {
        const char* field;
        const char* text;
        const char* message;
    } cases[] = {
        {"NO_LOTE", "20A5", "\"20A5\" não é um número inteiro válido"},
        {"NO_LOTE", "1,5", "\"1,5\" não é um número inteiro válido"},
        {"VL_TOTAL", "1.5", "\"1.5\" não é um número decimal válido"},
        {"DT_ENTREGA", "31/02/2024", "\"31/02/2024\" não é uma data válida"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf([&] { t.setText(c.field, c.text); }), c.message);
        EXPECT_THROW(t.setText(c.field, c.text), ConversionError);
    }
    EXPECT_EQ(t.asInteger("NO_LOTE"), 3);
    EXPECT_THROW(t.setValue("NO_LOTE", 7.5), ConversionError);
    t.setValue("VL_TOTAL", std::int32_t{4});  // an integer stored in a decimal field
    EXPECT_EQ(t.value("VL_TOTAL"), Value{4.0});
}

TEST_F(ItemsTable, MisuseIsReportedInPortuguese) {
    add("1", "1", "a");
    EXPECT_EQ(errorOf([&] { t.setText("NO_LOTE", "2"); }),
              "A tabela não está em modo de edição ou inclusão");
    EXPECT_EQ(errorOf([&] { (void)t.value("NAO_EXISTE"); }), "Campo \"NAO_EXISTE\" não encontrado");
    EXPECT_EQ(errorOf([&] { t.setIndexName("X"); }), "Índice \"X\" não encontrado");
    EXPECT_EQ(errorOf([&] { t.addField("NOVO", FieldType::Text, 5); }),
              "Os campos só podem ser definidos antes de criar a tabela");
    EXPECT_THROW((void)t.valueAt(1, 0), TableError);
    EXPECT_THROW(t.moveTo(-1), TableError);
    t.close();
    EXPECT_THROW(t.next(), TableError);
    EXPECT_THROW((void)t.value("NO_LOTE"), TableError);
    EXPECT_EQ(t.recordCount(), 0);  // a closed table shows nothing
    EXPECT_EQ(t.fieldIndex("no_lote"), 0);  // field names ignore letter case
}

TEST_F(ItemsTable, LotFilterComparesNumbersAndNullNeverMatches) {
    add("00007", "1", "a", "0");
    add("7", "2", "b", "");
    add("", "3", "c", "0,0");   // no lot
    add("17", "4", "d", "2,5");
    const struct {
        const char* filter;
        const char* rows;
    } cases[] = {
        {"NO_LOTE = 7", "a,b"},      // "00007" was stored as 7
        {"NO_LOTE=7", "a,b"},        // blanks optional
        {"  NO_LOTE =   17 ", "d"},
        {"no_lote = 7", "a,b"},
        {"NO_LOTE = 0", ""},         // a null lot is not lot 0
        {"VL_TOTAL = 0", "a,c"},     // decimal compared numerically; null excluded
        {"VL_TOTAL = 2,5", "d"},
        {"VL_TOTAL = 2.5", "d"},
        {"", "a,b,c,d"},             // empty expression: no filtering
    };
    for (const auto& c : cases) {
        t.setFiltered(false);
        t.setFilter(c.filter);
        t.setFiltered(true);
        EXPECT_EQ(column(t), c.rows) << c.filter;
    }
}

TEST_F(ItemsTable, MalformedFilterThrowsWhenItTakesEffect) {
    add("7", "1", "a");
    add("8", "2", "b");
    const char* malformed[] = {"NO_LOTE = ", "NO_LOTE", "= 7", "NO_LOTE = abc", "NO_LOTE = 7 8",
                               "NAO_EXISTE = 1", "DS_ITEM = 1", "NO_LOTE == 7"};
    for (const char* expression : malformed) {
        t.setFiltered(false);
        t.setFilter(expression);  // not in effect yet: accepted
        EXPECT_THROW(t.setFiltered(true), TableError) << expression;
        EXPECT_FALSE(t.filtered()) << expression;
        EXPECT_EQ(t.recordCount(), 2) << expression;
    }
    EXPECT_EQ(errorOf([&] {
                  t.setFilter("NO_LOTE = ");
                  t.setFiltered(true);
              }),
              "Expressão de filtro inválida: \"NO_LOTE = \"");

    // Set while filtering is on: the old filter stays in force.
    t.setFilter("NO_LOTE = 8");
    t.setFiltered(true);
    EXPECT_THROW(t.setFilter("NO_LOTE = "), TableError);
    EXPECT_EQ(t.filter(), "NO_LOTE = 8");
    EXPECT_EQ(column(t), "b");
}

TEST_F(ItemsTable, IndexesSortStablyWithNullsFirst) {
    add("2", "30", "c");
    add("1", "20", "b1");
    add("2", "10", "a");
    add("1", "20", "b2");  // same code as b1: after it
    add("", "40", "n");     // no lot
    add("1", "5", "a5");
    t.addIndex("CD_ITEM", "CD_ITEM");
    t.addIndex("LOTE_DESC", "NO_LOTE;DS_ITEM");
    const struct {
        const char* index;
        const char* rows;
    } cases[] = {
        {"CD_ITEM", "a5,a,b1,b2,c,n"},
        {"LOTE_DESC", "n,a5,b1,b2,a,c"},
        {"", "c,b1,a,b2,n,a5"},  // reading order
    };
    for (const auto& c : cases) {
        t.setIndexName(c.index);
        EXPECT_EQ(column(t), c.rows) << c.index;
    }
    t.setIndexFieldNames("NO_LOTE;CD_ITEM");
    EXPECT_EQ(t.indexFieldNames(), "NO_LOTE;CD_ITEM");
    EXPECT_EQ(column(t, "CD_ITEM"), "40,5,20,20,10,30");
    EXPECT_EQ(column(t), "n,a5,b1,b2,a,c");
    t.setIndexFieldNames("");
    EXPECT_EQ(t.indexFieldNames(), "");
    EXPECT_THROW(t.setIndexFieldNames("NO_LOTE;NADA"), TableError);
}

TEST_F(ItemsTable, PostedKeyChangeMovesTheRowAndTheCursorFollows) {
    add("1", "10", "a");
    add("1", "20", "b");
    add("1", "30", "c");
    t.addIndex("CD_ITEM", "CD_ITEM");
    t.setIndexName("CD_ITEM");
    t.first();
    t.edit();
    t.setText("CD_ITEM", "25");
    t.post();
    EXPECT_EQ(column(t), "b,a,c");
    EXPECT_EQ(t.position(), 1);
    EXPECT_EQ(t.asText("DS_ITEM"), "a");
    // Rows appended out of order and in order both land in their place.
    add("1", "5", "d");
    add("1", "99", "e");
    EXPECT_EQ(column(t), "d,b,a,c,e");
    EXPECT_EQ(t.asText("DS_ITEM"), "e");
    EXPECT_EQ(t.position(), 4);
}

TEST_F(ItemsTable, BeginningAndEndFlagsStepByStep) {
    add("1", "1", "a");
    add("1", "2", "b");
    add("1", "3", "c");
    t.close();
    t.open();
    const struct {
        const char* step;
        int position;
        bool bof, eof;
    } expected[] = {
        {"open", 0, true, false},
        {"last", 2, false, true},
        {"prior", 1, false, false},
        {"prior", 0, false, false},  // back from the second row: flag still clear
        {"prior", 0, true, false},   // a further step back sets it
        {"next", 1, false, false},
        {"next", 2, false, false},
        {"next", 2, false, true},
        {"first", 0, true, false},
        {"moveTo1", 1, false, false},
    };
    for (const auto& e : expected) {
        const std::string step = e.step;
        if (step == "last") t.last();
        if (step == "prior") t.prior();
        if (step == "next") t.next();
        if (step == "first") t.first();
        if (step == "moveTo1") t.moveTo(1);
        EXPECT_EQ(t.position(), e.position) << step;
        EXPECT_EQ(t.bof(), e.bof) << step;
        EXPECT_EQ(t.eof(), e.eof) << step;
    }
}

TEST_F(ItemsTable, OneRowAndEmptyViews) {
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_EQ(t.position(), -1);
    EXPECT_TRUE(t.isEmpty());
    t.edit();  // nothing to edit
    EXPECT_EQ(t.state(), TableState::Browse);
    EXPECT_TRUE(t.isNull("NO_LOTE"));

    add("1", "1", "a");
    t.first();
    EXPECT_TRUE(t.bof() && !t.eof());
    t.next();  // no later row: end set, beginning left as it was
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_EQ(t.position(), 0);

    t.setFilter("NO_LOTE = 2");
    t.setFiltered(true);
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_EQ(t.position(), -1);
}

TEST_F(ItemsTable, MovingOffAnEditedRowPostsIt) {
    add("1", "1", "a");
    add("1", "2", "b");
    t.first();
    t.edit();
    t.setText("DS_ITEM", "novo");
    EXPECT_EQ(t.textAt(0, t.fieldIndex("DS_ITEM")), "novo");  // the view shows the buffer
    t.next();
    EXPECT_EQ(t.state(), TableState::Browse);
    EXPECT_EQ(column(t), "novo,b");

    t.edit();
    t.setText("DS_ITEM", "outro");
    t.append();  // appending leaves the edited row too
    EXPECT_EQ(column(t), "novo,outro");
    t.cancel();
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_EQ(t.asText("DS_ITEM"), "outro");  // back on the row current before append

    t.edit();
    t.setText("DS_ITEM", "descartado");
    t.cancel();
    EXPECT_EQ(t.asText("DS_ITEM"), "outro");
}

TEST_F(ItemsTable, CloseKeepsRowsAndDropsThePendingEdit) {
    add("1", "1", "a");
    add("1", "2", "b");
    t.last();
    t.edit();
    t.setText("DS_ITEM", "perdido");
    t.close();
    EXPECT_FALSE(t.active());
    t.open();
    EXPECT_EQ(t.state(), TableState::Browse);
    EXPECT_EQ(t.position(), 0);  // open goes to the first row
    EXPECT_EQ(column(t), "a,b");

    t.append();
    t.setText("DS_ITEM", "novo");
    t.close();
    t.open();
    EXPECT_EQ(column(t), "a,b");
}

TEST_F(ItemsTable, AfterScrollFiresOnEveryLandingAlsoWhileDisabled) {
    std::vector<std::string> seen;
    t.afterScroll = [&](MemTable& table) {
        seen.push_back(table.state() == TableState::Insert ? "new" : table.asText("DS_ITEM"));
    };
    t.disableControls();
    add("1", "1", "a");
    add("1", "2", "b");
    t.first();
    t.next();
    t.next();  // stays on the last row
    t.prior();
    t.moveTo(1);
    t.close();
    t.open();
    t.enableControls();
    const std::vector<std::string> expected = {"new", "new", "a", "b", "b", "a", "b", "a"};
    EXPECT_EQ(seen, expected);

    seen.clear();
    t.setFilter("NO_LOTE = 9");
    t.setFiltered(true);  // empty view: lands on no row
    t.first();
    t.close();
    t.open();
    EXPECT_TRUE(seen.empty());
}

TEST_F(ItemsTable, BulkPassEditingFromAfterScroll) {
    // As a bound grid re-reads a lot: controls disabled, the handler edits each row it lands
    // on, and the next move posts it.
    for (int i = 1; i <= 5; ++i) {
        t.append();
        t.setValue("NO_LOTE", std::int32_t{1});
        t.setValue("CD_ITEM", std::int32_t{i});
        t.setText("QT_ITEM", std::to_string(i) + ",5");
        t.post();
    }
    t.addIndex("CD_ITEM", "CD_ITEM");
    t.setIndexName("CD_ITEM");
    t.afterScroll = [](MemTable& table) {
        if (!table.controlsDisabled()) return;
        table.edit();
        table.setValue("VL_TOTAL", ofx::num::parseDecimal(table.asText("QT_ITEM")) * 2);
    };
    t.moveTo(2);
    t.disableControls();
    for (t.first(); !t.eof(); t.next()) {
    }
    t.moveTo(2);
    t.enableControls();
    EXPECT_EQ(t.state(), TableState::Edit);
    t.post();
    EXPECT_EQ(column(t, "VL_TOTAL"), "3,5,7,9,11");
    EXPECT_EQ(t.position(), 2);
}

TEST_F(ItemsTable, NotificationsAreHeldWhileControlsAreDisabled) {
    std::vector<TableChange> got;
    const int handle = t.addListener([&](TableChange c) { got.push_back(c); });
    add("1", "1", "a");
    add("1", "2", "b");
    got.clear();

    t.first();
    t.edit();
    t.setText("DS_ITEM", "x");
    t.post();
    t.setIndexFieldNames("CD_ITEM");
    t.close();
    t.open();
    EXPECT_EQ(got, (std::vector<TableChange>{TableChange::Scrolled, TableChange::State,
                                             TableChange::State, TableChange::RowPosted,
                                             TableChange::Reset, TableChange::Reset,
                                             TableChange::Reset}));

    got.clear();
    t.disableControls();
    t.disableControls();  // nests
    t.next();
    t.edit();
    t.setText("DS_ITEM", "y");
    t.first();
    t.enableControls();
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(t.controlsDisabled());
    t.enableControls();
    EXPECT_FALSE(t.controlsDisabled());
    EXPECT_EQ(got, std::vector<TableChange>{TableChange::Reset});

    t.removeListener(handle);
    t.next();
    EXPECT_EQ(got.size(), 1u);
}

TEST_F(ItemsTable, ListenerRemovedDuringANotificationIsNotCalled) {
    int second = 0;
    int handle2 = 0;
    t.addListener([&](TableChange) { t.removeListener(handle2); });
    handle2 = t.addListener([&](TableChange) { ++second; });
    t.close();
    t.open();
    EXPECT_EQ(second, 0);
}

TEST_F(ItemsTable, RowPostedOutsideTheFilterLeavesTheView) {
    add("1", "1", "a");
    add("1", "2", "b");
    t.setFilter("NO_LOTE = 1");
    t.setFiltered(true);
    t.last();
    t.append();  // as a grid's Insert key would: a row without lot number
    t.setText("DS_ITEM", "sem lote");
    t.post();
    EXPECT_EQ(column(t), "a,b");
    EXPECT_EQ(t.position(), 1);  // back on a row of the view
    t.first();
    t.edit();
    t.setText("NO_LOTE", "2");  // an edited row moved out of the lot
    t.post();
    EXPECT_EQ(column(t), "b");
    EXPECT_EQ(t.asText("DS_ITEM"), "b");
    t.setFiltered(false);
    EXPECT_EQ(column(t), "a,b,sem lote");
}

TEST_F(ItemsTable, CloneHasItsOwnFilterOrderAndPosition) {
    add("1", "3", "c");
    add("2", "1", "x");
    add("1", "1", "a");
    add("1", "2", "b");
    t.addIndex("CD_ITEM", "CD_ITEM");
    t.setIndexName("CD_ITEM");
    t.setFilter("NO_LOTE = 1");
    t.setFiltered(true);
    t.moveTo(1);
    t.edit();
    t.setText("DS_ITEM", "pendente");  // the source's own edit buffer

    MemTable clone;
    clone.addIndex("NO_LOTE", "NO_LOTE");
    clone.cloneCursor(t);
    EXPECT_FALSE(clone.active());
    EXPECT_EQ(clone.filter(), "");
    EXPECT_FALSE(clone.filtered());
    EXPECT_EQ(clone.indexFieldNames(), "");
    clone.setIndexFieldNames("NO_LOTE;DS_ITEM");
    clone.open();
    EXPECT_EQ(column(clone), "a,b,c,x");  // every lot, its own order, the source's stored rows
    clone.last();

    // The source is where it was, with its filter, order and pending edit.
    EXPECT_EQ(t.state(), TableState::Edit);
    EXPECT_EQ(t.position(), 1);
    EXPECT_EQ(t.asText("DS_ITEM"), "pendente");
    t.post();
    EXPECT_EQ(column(t), "a,pendente,c");
    EXPECT_EQ(column(clone), "a,c,pendente,x");  // shared rows, re-sorted in the clone

    // Rows appended through either cursor are seen by both.
    add("1", "0", "z");
    EXPECT_EQ(column(clone), "a,c,pendente,z,x");
    EXPECT_EQ(clone.asText("DS_ITEM"), "x");  // the clone stayed on its row
    clone.append();
    clone.setText("NO_LOTE", "1");
    clone.setText("CD_ITEM", "9");
    clone.setText("DS_ITEM", "w");
    clone.post();
    EXPECT_EQ(column(t), "z,a,pendente,c,w");
    EXPECT_EQ(t.asText("DS_ITEM"), "z");  // source cursor on its own appended row

    // A named index declared on the clone can be selected on it.
    clone.setIndexName("NO_LOTE");
    EXPECT_EQ(column(clone, "NO_LOTE"), "1,1,1,1,1,2");
}

}  // namespace
