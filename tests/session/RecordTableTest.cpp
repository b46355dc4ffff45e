#include "session/RecordTable.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

// A small session-like log: one header row (RecordType 2) and data rows of three laps.
class SessionTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table.addColumn("RecordType", ColumnType::Integer);
        table.addColumn("Lap_Number", ColumnType::Integer);
        table.addColumn("ReadingID", ColumnType::Integer);
        table.addColumn("LapID", ColumnType::Integer);
        table.addColumn("Speed", ColumnType::Real);
        table.addColumn("Driver", ColumnType::Text, 50);
        table.open();
        addRow(2, -1, 0, -1, std::nan(""), "Ann");
        int reading = 1;
        for (int lap = 1; lap <= 3; ++lap) {
            for (int id = 0; id < 3; ++id, ++reading)
                addRow(1, lap, reading, id, reading * 10.0, "");
        }
    }

    void addRow(int type, int lap, int reading, int lapId, double speed, const QString &driver)
    {
        table.Append();
        table.field(0).setInteger(type);
        if (lap >= 0)
            table.field(1).setInteger(lap);
        table.field(2).setInteger(reading);
        if (lapId >= 0)
            table.field(3).setInteger(lapId);
        if (!std::isnan(speed))
            table.field(4).setReal(speed);
        table.field(5).setText(driver);
        table.Post();
    }

    std::vector<int> readings()
    {
        std::vector<int> result;
        for (table.First(); !table.eof(); table.Next())
            result.push_back(int(table.fieldByName("ReadingID").asInteger()));
        return result;
    }

    RecordTable table;
};

} // namespace

TEST(RecordTableStructure, ColumnsAreDefinedWhileClosedAndFoundWithoutRegardToCase)
{
    RecordTable table;
    table.addColumn("Lap_Number", ColumnType::Integer);
    table.addColumn("Track Condition", ColumnType::Text, 255);
    table.addColumn("Notes", ColumnType::Memo, 99);
    EXPECT_THROW(table.addColumn("LAP_NUMBER", ColumnType::Real), RecordTableError);
    EXPECT_THROW(table.addColumn("Short", ColumnType::Text, 0), RecordTableError);
    EXPECT_THROW(table.addColumn("  ", ColumnType::Real), RecordTableError);
    EXPECT_EQ(table.columnIndex("track condition"), 1);
    EXPECT_EQ(table.findColumn("missing"), -1);
    EXPECT_THROW(table.columnIndex("missing"), RecordTableError);
    EXPECT_EQ(table.column(2).size, 0); // only text and bytes keep a size
    EXPECT_THROW(table.First(), RecordTableError);

    table.open();
    EXPECT_THROW(table.addColumn("Late", ColumnType::Real), RecordTableError);
    EXPECT_THROW(table.clearColumns(), RecordTableError);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.recNo(), -1);
    table.close();
    table.clearColumns();
    EXPECT_EQ(table.columnCount(), 0);
    EXPECT_THROW(table.open(), RecordTableError);
}

TEST(RecordTableFields, ConversionsAndRanges)
{
    RecordTable table;
    table.addColumn("I", ColumnType::Integer);
    table.addColumn("W", ColumnType::LongWord);
    table.addColumn("R", ColumnType::Real);
    table.addColumn("T", ColumnType::Text, 5);
    table.addColumn("D", ColumnType::DateTime);
    table.addColumn("Day", ColumnType::Date);
    table.addColumn("B", ColumnType::Boolean);
    table.addColumn("Blk", ColumnType::Bytes, 4);
    table.open();
    EXPECT_THROW(table.field(0).setInteger(1), RecordTableError); // not editing
    table.Append();

    Field i = table.field(0);
    EXPECT_TRUE(i.isNull());
    EXPECT_EQ(i.asReal(), 0.0);
    EXPECT_THROW(i.setInteger(2147483648LL), RecordTableError);
    EXPECT_THROW(i.setReal(-2147483649.0), RecordTableError);
    EXPECT_THROW(i.setReal(std::nan("")), RecordTableError);
    i.setInteger(-2147483648LL);
    EXPECT_EQ(i.asInteger(), -2147483648LL);
    i.setReal(2.5); // half to even
    EXPECT_EQ(i.asInteger(), 2);
    i.setText(" 42 ");
    EXPECT_EQ(i.asText(), "42");
    try {
        i.setText("4x2");
        FAIL() << "no error";
    } catch (const RecordTableError &error) {
        EXPECT_TRUE(error.message().contains("'I'"));
        EXPECT_TRUE(error.message().contains("4x2"));
    }

    Field w = table.field(1);
    EXPECT_THROW(w.setInteger(-1), RecordTableError);
    EXPECT_THROW(w.setInteger(4294967296LL), RecordTableError);
    w.setInteger(4294967295LL);
    EXPECT_EQ(w.asInteger(), 4294967295LL);

    Field r = table.field(2);
    r.setReal(0.1);
    EXPECT_EQ(r.asText(), "0.1");
    r.setText("1e-7");
    EXPECT_EQ(r.asReal(), 1e-7);
    r.setText("");
    EXPECT_TRUE(r.isNull());

    Field t = table.field(3);
    t.setText("abcdefgh");
    EXPECT_EQ(t.asText(), "abcde");
    t.setText(QString::fromUtf8("abcd\xF0\x9F\x98\x80")); // a surrogate pair must not be split
    EXPECT_EQ(t.asText(), "abcd");
    t.setText("2.5");
    EXPECT_EQ(t.asReal(), 2.5);
    t.setText("x");
    EXPECT_THROW(t.asReal(), RecordTableError);

    const QDateTime when(QDate(2024, 5, 1), QTime(13, 30, 15, 250));
    table.field(4).setDateTime(when);
    EXPECT_EQ(table.field(4).asDateTime(), when);
    EXPECT_EQ(table.field(4).asText(), "2024-05-01 13:30:15.250");
    table.field(5).setDateTime(when);
    EXPECT_EQ(table.field(5).asDateTime(), QDateTime(QDate(2024, 5, 1), QTime(0, 0)));
    EXPECT_EQ(table.field(5).asText(), "2024-05-01");
    table.field(5).setText("2023-12-24");
    EXPECT_EQ(table.field(5).asDateTime().date(), QDate(2023, 12, 24));

    table.field(6).setText("TRUE");
    EXPECT_TRUE(table.field(6).asBoolean());
    EXPECT_EQ(table.field(6).asText(), "True");
    EXPECT_THROW(table.field(6).setText("maybe"), RecordTableError);

    table.field(7).setBytes("ab");
    EXPECT_EQ(table.field(7).asBytes(), QByteArray("ab\0\0", 4));
    EXPECT_THROW(table.field(7).setReal(1.0), RecordTableError);
    EXPECT_THROW(table.field(2).setBytes("x"), RecordTableError);
    table.Post();
    EXPECT_EQ(table.fieldByName("i").asInteger(), 42);
}

TEST(RecordTableFields, SystemLocaleDecimalSeparatorIsAccepted)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    RecordTable table;
    table.addColumn("R", ColumnType::Real);
    table.open();
    table.Append();
    table.field(0).setText("1,5");
    EXPECT_EQ(table.field(0).asReal(), 1.5);
    table.field(0).setText("2.25");
    EXPECT_EQ(table.field(0).asReal(), 2.25);
    QLocale::setDefault(saved);
}

TEST_F(SessionTable, FilterShowsOneLapAndRemovingItShowsTheHeaderAgain)
{
    table.setFilter("RecordType = 1 and [Lap_Number] = 3");
    EXPECT_EQ(readings().size(), 10u); // not applied yet
    table.setFiltered(true);
    EXPECT_EQ(readings(), (std::vector<int> { 7, 8, 9 }));
    table.setFilter("recordtype=2");
    EXPECT_EQ(readings(), (std::vector<int> { 0 }));
    EXPECT_EQ(table.fieldByName("Driver").asText(), "Ann");
    table.setFiltered(false);
    EXPECT_EQ(readings().size(), 10u);
    EXPECT_EQ(readings().front(), 0);
}

TEST_F(SessionTable, FilterValueForms)
{
    struct Case
    {
        const char *filter;
        size_t rows;
    };
    const Case cases[] = {
        { "RecordType = '1'", 9 }, // quoted number against a number column
        { "Speed = 50.0 AND LapID = 1", 1 }, // decimal and upper-case AND
        { "Speed=-5", 0 }, // negative number, no spaces
        { "Lap_Number = 1", 3 }, // the header's empty Lap_Number never equals a number
        { "Driver = 'Ann'", 1 }, // exact text
        { "Driver = 'ann'", 0 }, // case-sensitive
        { "  ", 10 }, // blank: every row
    };
    for (const Case &c : cases) {
        table.setFiltered(false);
        table.setFilter(c.filter);
        table.setFiltered(true);
        EXPECT_EQ(size_t(table.recordCount()), c.rows) << c.filter;
    }
}

TEST_F(SessionTable, MalformedFiltersAndUnknownColumnsRaiseNamingTheFilter)
{
    const char *bad[] = {
        "RecordType 1",
        "RecordType = ",
        "RecordType = 1 or Lap_Number = 2",
        "[Lap_Number = 3",
        "Driver = 'Ann",
        "RecordType = 1 and",
        "= 1",
        "RecordType = 1x",
        "RecordType = nan",
        "Missing = 1",
        "Speed = 'fast'",
    };
    for (const char *filter : bad) {
        table.setFiltered(false);
        table.setFilter(filter);
        try {
            table.setFiltered(true);
            ADD_FAILURE() << "accepted: " << filter;
        } catch (const RecordTableError &error) {
            EXPECT_TRUE(error.message().contains(QString::fromLatin1(filter))) << error.what();
        }
        EXPECT_FALSE(table.filtered());
    }
    // While filtered, a bad expression is refused and the previous one stays in force.
    table.setFilter("RecordType = 2");
    table.setFiltered(true);
    EXPECT_THROW(table.setFilter("Nope = 1"), RecordTableError);
    EXPECT_EQ(table.filter(), "RecordType = 2");
    EXPECT_EQ(table.recordCount(), 1);
}

TEST_F(SessionTable, RowsPostedWhileFilteredJoinOrLeaveTheView)
{
    table.setFilter("RecordType = 1 and [Lap_Number] = 3");
    table.setFiltered(true);
    addRow(1, 3, 10, 3, 100.0, "");
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 10);
    addRow(1, 4, 11, 0, 110.0, ""); // stored, but hidden
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_EQ(table.rowCount(), 12);
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 10);

    table.First();
    table.Edit();
    table.fieldByName("Lap_Number").setInteger(2);
    table.Post();
    EXPECT_EQ(readings(), (std::vector<int> { 8, 9, 10 }));
}

TEST_F(SessionTable, BothIndexSpellingsOrderTheViewStably)
{
    table.addIndex("LapTimes", "Lap_Number; LapID");
    table.addIndex("LapNumbers", "Lap_Number;ReadingID");
    EXPECT_THROW(table.addIndex("Bad", "Lap_Number;Nope"), RecordTableError);
    EXPECT_THROW(table.addIndex("laptimes", "LapID"), RecordTableError);
    ASSERT_EQ(table.indexes().size(), 2u);
    EXPECT_EQ(table.indexes()[0].fields, "Lap_Number; LapID");

    table.setIndexName("LapTimes");
    EXPECT_EQ(readings(), (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 })); // empty lap first
    table.SortOn("LapID; Lap_Number");
    EXPECT_EQ(table.indexName(), "");
    EXPECT_EQ(table.indexFieldNames(), "LapID; Lap_Number");
    EXPECT_EQ(readings(), (std::vector<int> { 0, 1, 4, 7, 2, 5, 8, 3, 6, 9 }));
    table.SortOn("RecordType"); // equal keys keep insertion order
    EXPECT_EQ(readings(), (std::vector<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 0 }));
    EXPECT_THROW(table.setIndexName("Missing"), RecordTableError);
    EXPECT_THROW(table.SortOn("Missing"), RecordTableError);
    table.setIndexName("");
    EXPECT_EQ(readings().front(), 0);
}

TEST_F(SessionTable, AppendsUnderAnIndexStaySorted)
{
    table.SortOn("Speed");
    table.Last();
    addRow(1, 4, 20, 0, 5.0, ""); // goes before the others
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 20);
    addRow(1, 4, 21, 1, 1000.0, ""); // goes at the end
    EXPECT_EQ(readings(), (std::vector<int> { 0, 20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 21 }));
}

TEST_F(SessionTable, FindNearestAndFindKey)
{
    table.setFilter("RecordType = 1");
    table.setFiltered(true);
    table.SortOn("Speed");
    EXPECT_TRUE(table.FindNearest({ 40.0 })); // exact
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 4);
    EXPECT_TRUE(table.FindNearest({ 41.5 })); // between: the next key
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 5);
    EXPECT_TRUE(table.FindNearest({ -3 })); // before the first
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_TRUE(table.FindNearest({ "1e9" })); // past the last: clamped
    EXPECT_EQ(table.recNo(), 8);

    table.SortOn("Lap_Number; LapID");
    EXPECT_TRUE(table.FindKey({ 2, 1 }));
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 5);
    EXPECT_TRUE(table.FindKey({ 3 })); // key prefix
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 7);
    EXPECT_FALSE(table.FindKey({ 2, 7 }));
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 7); // not moved
    EXPECT_FALSE(table.FindKey({ "abc" }));
    EXPECT_THROW(table.FindKey({ 1, 2, 3 }), RecordTableError);

    table.setFilter("RecordType = 5");
    EXPECT_FALSE(table.FindNearest({ 1 }));
    table.SortOn("");
    EXPECT_THROW(table.FindNearest({ 1 }), RecordTableError);
}

TEST_F(SessionTable, LocateFindsTheFirstMatchInViewOrder)
{
    EXPECT_TRUE(table.Locate("lap_number;LapID", { 2, 2 }));
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 6);
    EXPECT_TRUE(table.Locate("Lap_Number", { QVariant() })); // empty cell
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_TRUE(table.Locate("Driver", { "Ann" }));
    EXPECT_FALSE(table.Locate("Lap_Number", { 9 }));
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_THROW(table.Locate("Nope", { 1 }), RecordTableError);
    EXPECT_THROW(table.Locate("Lap_Number;LapID", { 1 }), RecordTableError);
    table.SortOn("ReadingID");
    table.setIndexFieldNames("Speed");
    EXPECT_TRUE(table.Locate("LapID", { 0 }));
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 1);
}

TEST_F(SessionTable, BeforePostCanSetFieldsAndAfterScrollFollowsTheCursor)
{
    table.BeforePost = [this] {
        table.fieldByName("Speed").setReal(table.fieldByName("ReadingID").asReal() * 2);
    };
    int scrolls = 0;
    QObject::connect(&table, &RecordTable::AfterScroll, [&scrolls] { ++scrolls; });
    addRow(1, 4, 50, 0, 1.0, "");
    EXPECT_EQ(table.fieldByName("Speed").asReal(), 100.0);
    EXPECT_EQ(scrolls, 1);

    table.First();
    table.Next();
    table.Last();
    table.Next(); // already at the end: no move
    EXPECT_EQ(scrolls, 4);
    EXPECT_TRUE(table.eof());

    table.DisableControls();
    table.DisableControls();
    table.First();
    table.EnableControls();
    EXPECT_TRUE(table.ControlsDisabled());
    table.Next();
    table.EnableControls();
    table.EnableControls(); // an extra call must not leave the count negative
    EXPECT_FALSE(table.ControlsDisabled());
    table.Next();
    EXPECT_EQ(scrolls, 5);
    table.DisableControls();
    EXPECT_TRUE(table.ControlsDisabled());
}

TEST_F(SessionTable, RealCellsReadAndWriteAsFieldsDo)
{
    const int speed = table.columnIndex("Speed");
    table.setRecNo(0); // the row with an empty speed
    EXPECT_EQ(table.realCell(speed), 0.0);
    table.setRecNo(2);
    EXPECT_EQ(table.realCell(speed), table.field(speed).asReal());
    EXPECT_THROW(table.setRealCell(speed, 1.0), RecordTableError);

    // The row being inserted: empty until written, then no longer empty.
    table.Append();
    EXPECT_EQ(table.realCell(speed), 0.0);
    table.setRealCell(speed, -2.5);
    EXPECT_EQ(table.realCell(speed), -2.5);
    table.Post();
    const int row = table.rowCount() - 1;
    EXPECT_FALSE(table.isNullAt(speed, row));
    EXPECT_EQ(table.numberAt(speed, row), -2.5);
}

// Two views on one table, as a chart cursor and a track map follow a session's cursor.
TEST(RecordTableListeners, EachListenerFollowsTheCursorWhileBothItAndTheTableLive)
{
    auto table = std::make_unique<RecordTable>();
    table->addColumn("ReadingID", ColumnType::Integer);
    table->open();
    for (int reading = 1; reading <= 3; ++reading) {
        table->Append();
        table->field(0).setInteger(reading);
        table->Post();
    }
    const RecordTable *rows = table.get();
    auto chart = std::make_unique<QObject>();
    QObject trackMap;
    std::vector<int> chartRows;
    std::vector<int> mapRows;
    QObject::connect(table.get(), &RecordTable::AfterScroll, chart.get(),
        [&] { chartRows.push_back(rows->recNo()); });
    const QMetaObject::Connection mapLink = QObject::connect(table.get(), &RecordTable::AfterScroll,
        &trackMap, [&] { mapRows.push_back(rows->recNo()); });

    table->First();
    table->Next();
    EXPECT_EQ(chartRows, std::vector<int>({ 0, 1 }));
    EXPECT_EQ(mapRows, chartRows);

    chart.reset(); // closed first: it simply stops receiving
    table->Next();
    EXPECT_EQ(chartRows, std::vector<int>({ 0, 1 }));
    EXPECT_EQ(mapRows, std::vector<int>({ 0, 1, 2 }));

    table.reset(); // the table closed first leaves the track map no link to it
    EXPECT_FALSE(QObject::disconnect(mapLink));
}

TEST_F(SessionTable, FailingBeforePostKeepsTheRowOpenForCancel)
{
    table.BeforePost = [] { throw RecordTableError("refused"); };
    table.Append();
    table.field(0).setInteger(1);
    EXPECT_THROW(table.Post(), RecordTableError);
    EXPECT_EQ(table.state(), RecordTable::State::Insert);
    table.Cancel();
    EXPECT_EQ(table.rowCount(), 10);
    EXPECT_EQ(table.recordCount(), 10);
}

// A block of rows as a bulk import appends it: each column in one go, the hook per row.
TEST_F(SessionTable, AppendNumberColumnsStoresEachRowAsAppendAndPostWould)
{
    table.SortOn("ReadingID");
    table.BeforePost = [this] {
        table.fieldByName("Speed").setReal(table.fieldByName("ReadingID").asReal() * 2);
    };
    int scrolls = 0;
    QObject::connect(&table, &RecordTable::AfterScroll, [&scrolls] { ++scrolls; });
    const double types[] = { 1, 1, 1 };
    const double laps[] = { 4.5, 5.5, -0.5 }; // rounded half to even, as setReal rounds
    const double ids[] = { 12, 10, 11 };
    const double speeds[] = { 0, 0, 0 };
    const double *const columns[] = { types, laps, ids, nullptr, speeds, nullptr };
    table.appendNumberColumns(3, columns);

    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(table.state(), RecordTable::State::Browse);
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 11); // the last row appended
    EXPECT_EQ(readings(), std::vector<int>({ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 }));
    const int first = 10;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table.numberAt(1, first + i), std::nearbyint(laps[i]));
        EXPECT_EQ(table.numberAt(4, first + i), ids[i] * 2);
        EXPECT_TRUE(table.isNullAt(3, first + i));
        EXPECT_TRUE(table.isNullAt(5, first + i));
    }
}

TEST_F(SessionTable, AppendNumberColumnsKeepsTheRowsBeforeOneRefused)
{
    table.setFilter("Lap_Number = 7");
    table.setFiltered(true);
    table.BeforePost = [this] {
        if (table.fieldByName("ReadingID").asInteger() == 12)
            throw RecordTableError("refused");
    };
    const double types[] = { 1, 1, 1, 1 };
    const double laps[] = { 7, 8, 7, 7 };
    const double ids[] = { 10, 11, 12, 13 };
    const double *const columns[] = { types, laps, ids, nullptr, nullptr, nullptr };
    EXPECT_THROW(table.appendNumberColumns(4, columns), RecordTableError);
    EXPECT_EQ(table.state(), RecordTable::State::Browse);
    EXPECT_EQ(table.rowCount(), 12);
    EXPECT_EQ(readings(), std::vector<int>({ 10 })); // 11 is stored but filtered out

    // A value a column cannot hold stores none of the block.
    table.BeforePost = nullptr;
    const double tooLarge[] = { 1, 1e12 };
    const double *const failing[] = { types, tooLarge, ids, nullptr, nullptr, nullptr };
    EXPECT_THROW(table.appendNumberColumns(2, failing), RecordTableError);
    EXPECT_EQ(table.rowCount(), 12);
    EXPECT_EQ(table.numberAt(1, 11), 8.0);
}

TEST_F(SessionTable, CancelEditRestoresAndDeleteMovesToTheNextRow)
{
    table.setRecNo(2);
    table.Edit();
    table.fieldByName("Speed").clear();
    table.fieldByName("Driver").setText("Bob");
    table.Cancel();
    EXPECT_EQ(table.fieldByName("Speed").asReal(), 20.0);
    EXPECT_TRUE(table.fieldByName("Driver").isNull());

    table.Delete();
    EXPECT_EQ(table.rowCount(), 9);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 3);
    table.Last();
    table.Delete();
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 8);
    EXPECT_EQ(readings(), (std::vector<int> { 0, 1, 3, 4, 5, 6, 7, 8 }));

    // Navigation posts a pending edit rather than losing it.
    table.First();
    table.Edit();
    table.fieldByName("Driver").setText("Cy");
    table.Next();
    EXPECT_EQ(table.state(), RecordTable::State::Browse);
    table.First();
    EXPECT_EQ(table.fieldByName("Driver").asText(), "Cy");
    EXPECT_THROW(table.setRecNo(99), RecordTableError);
    table.emptyTable();
    EXPECT_TRUE(table.isEmpty());
    EXPECT_TRUE(table.fieldByName("Driver").isNull()); // no row: empty values
    EXPECT_THROW(table.Edit(), RecordTableError);
}

TEST_F(SessionTable, CopyRowsFromCopiesTheFilteredViewByName)
{
    RecordTable lap;
    lap.addColumn("readingid", ColumnType::Real); // other type: converted
    lap.addColumn("Speed", ColumnType::Real);
    lap.addColumn("Driver", ColumnType::Text, 2); // other size: cut
    lap.addColumn("Extra", ColumnType::Integer); // not in the source: left empty
    lap.open();
    table.setFilter("RecordType = 1 and [Lap_Number] = 2");
    table.setFiltered(true);
    table.SortOn("LapID");
    lap.copyRowsFrom(table);
    ASSERT_EQ(lap.recordCount(), 3);
    EXPECT_EQ(lap.recNo(), 0);
    EXPECT_EQ(lap.field(0).asReal(), 4.0);
    EXPECT_EQ(lap.field(1).asReal(), 40.0);
    EXPECT_TRUE(lap.field(3).isNull());

    table.setFiltered(false);
    lap.copyRowsFrom(table);
    EXPECT_EQ(lap.rowCount(), 13);
    lap.Last();
    EXPECT_EQ(lap.field(0).asReal(), 9.0);

    // Copying a table into itself doubles it.
    table.copyRowsFrom(table);
    EXPECT_EQ(table.rowCount(), 20);
    table.Last();
    EXPECT_EQ(table.fieldByName("ReadingID").asInteger(), 9);
}

TEST(RecordTableCopy, AFailedConversionAddsNoRows)
{
    RecordTable source;
    source.addColumn("V", ColumnType::Real);
    source.open();
    for (double v : { 1.0, 5e12 }) {
        source.Append();
        source.field(0).setReal(v);
        source.Post();
    }
    RecordTable target;
    target.addColumn("V", ColumnType::Integer);
    target.open();
    EXPECT_THROW(target.copyRowsFrom(source), RecordTableError);
    EXPECT_EQ(target.rowCount(), 0);
}

// Every change of the rows a bound chart draws emits ViewChanged, and a listener called from
// it already sees the new view; moving the cursor does not.
TEST_F(SessionTable, ViewChangedFollowsEveryChangeOfTheViewButNotTheCursor)
{
    struct Case
    {
        const char *change;
        std::function<void(RecordTable &)> apply;
        int emits;
        int rowsSeen;
    };
    const std::vector<Case> cases {
        { "filter", [](RecordTable &t) { t.setFilter("Lap_Number = 2"), t.setFiltered(true); }, 1,
            3 },
        { "order", [](RecordTable &t) { t.SortOn("Speed"); }, 1, 10 },
        { "index name",
            [](RecordTable &t) { t.addIndex("bySpeed", "Speed"), t.setIndexName("bySpeed"); }, 1,
            10 },
        { "post", [](RecordTable &t) { t.Append(), t.field(2).setInteger(99), t.Post(); }, 1, 11 },
        { "edit", [](RecordTable &t) { t.Last(), t.Edit(), t.field(4).setReal(1), t.Post(); }, 1,
            10 },
        { "delete", [](RecordTable &t) { t.Last(), t.Delete(); }, 1, 9 },
        { "empty", [](RecordTable &t) { t.emptyTable(); }, 1, 0 },
        { "close", [](RecordTable &t) { t.close(); }, 1, -1 },
        { "cursor only", [](RecordTable &t) { t.First(), t.Next(), t.Last(); }, 0, -1 },
        { "cancelled insert", [](RecordTable &t) { t.Append(), t.Cancel(); }, 0, -1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.change);
        table.close();
        table.clearColumns();
        table.setFiltered(false);
        SetUp();
        int emits = 0;
        int rowsSeen = -1;
        const auto link = QObject::connect(&table, &RecordTable::ViewChanged, [&] {
            ++emits;
            rowsSeen = table.isOpen() ? table.recordCount() : -1;
        });
        c.apply(table);
        EXPECT_EQ(emits, c.emits);
        EXPECT_EQ(rowsSeen, c.rowsSeen);
        QObject::disconnect(link);
    }
}

TEST_F(SessionTable, ViewChangedWaitsForTheControlsAndComesOnceForManyChanges)
{
    int emits = 0;
    QObject::connect(&table, &RecordTable::ViewChanged, [&] { ++emits; });
    {
        table.DisableControls();
        table.SortOn("Speed");
        table.setFilter("Lap_Number = 1");
        table.setFiltered(true);
        addRow(1, 1, 40, 3, 5.0, "");
        table.DisableControls(); // nested: still suspended when the inner one ends
        table.EnableControls();
        EXPECT_EQ(emits, 0);
        table.EnableControls();
    }
    EXPECT_EQ(emits, 1);
    table.DisableControls();
    table.First();
    table.EnableControls(); // nothing changed meanwhile
    EXPECT_EQ(emits, 1);
}
