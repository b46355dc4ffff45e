#include "session/TKRO_Data.h"

#include "formula/TFormulaError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

// A data module with a real maths table and the formula engine, computing into a small
// session log table of RPM and Speed.
class MathsComputationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        TMathsChannels &maths = data.MathsChannels1();
        maths.setMathsFileName(m_dir.filePath("Maths.prm"));
        maths.CreateMathsTables();
    }

    // Adds the maths channels as columns after RPM and Speed and opens the table.
    void openTable(const QStringList &mathsColumns)
    {
        RecordTable &table = data.LogDataTable();
        table.addColumn("ReadingID", ColumnType::Integer);
        table.addColumn("RPM", ColumnType::Real);
        table.addColumn("Speed", ColumnType::Real);
        for (const QString &name : mathsColumns)
            table.addColumn(name, ColumnType::Real);
        table.open();
        data.setMaths(&data.FormulaMaths());
    }

    void store(double rpm, double speed)
    {
        RecordTable &table = data.LogDataTable();
        table.Append();
        table.field(0).setInteger(table.rowCount());
        table.field(1).setReal(rpm);
        table.field(2).setReal(speed);
        table.Post();
    }

    double cell(const char *column, int row)
    {
        RecordTable &table = data.LogDataTable();
        return table.numberAt(table.columnIndex(column), row);
    }

    QTemporaryDir m_dir;
    TKRO_Data data;
};

} // namespace

TEST_F(MathsComputationTest, ApplicationFunctionsAreRegisteredAtStartUp)
{
    data.DataModuleCreate(m_dir.path());
    const double pi = 3.14159265358979323846;
    struct Case { const char *formula; double expected; };
    const Case cases[] = {
        { "AirPower(1.2, 2, 0.3, 10)", 1.2 * 0.5 * 2 * 0.3 * 1000 },
        { "PowerAtWheels(700, 20, 0.5)", 7000 },
        { "kphtometerspersecond(36)", 36 * 0.277777778 },
        { "MPHToFeetPerSecond(60)", 60 * 1.46667 },
        { "PowerAtEngine(700, 20, 0.5, 0.1)", 7700 },
        { "RPMToRadians(6000)", 6000 * 2 * pi / 60 },
        { "DegreesToRadians(90)", pi / 2 },
        { "PowerToTorque(62831.853, 6000)", 62831.853 / (6000 * 2 * pi / 60) },
    };
    for (const Case &c : cases) {
        TCalcArray none;
        const double got = data.F().ComputeStrN(c.formula, 0, {}, &none);
        EXPECT_NEAR(got, c.expected, 1e-9 * std::abs(c.expected)) << c.formula;
    }
}

TEST_F(MathsComputationTest, ChainedChannelsSeeEarlierResultsOnlyWhenAmongTheVariables)
{
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddVariable("Mass", 0, 3);
    maths.AddFormula("Double", "RPM * 2");
    maths.AddFormula("Plus", "Double + Mass");
    openTable({ "Double", "Plus" });

    // In the configuration window the maths channel names are among the variables.
    data.PrepareComputation({ "RPM", "Speed", "Double" });
    store(10, 1);
    EXPECT_EQ(cell("Double", 0), 20);
    EXPECT_EQ(cell("Plus", 0), 23);

    // During an import they are not: the second channel fails in every row, once reported.
    data.PrepareComputation({ "RPM", "Speed" });
    store(20, 1);
    store(30, 1);
    EXPECT_EQ(cell("Double", 2), 60);
    EXPECT_EQ(cell("Plus", 1), 0);
    EXPECT_EQ(cell("Plus", 2), 0);
    EXPECT_EQ(data.FormulaMaths().failureSummary(),
        QStringList { "2 rows of Plus failed: Unknown identifier 'Double'" });
}

TEST_F(MathsComputationTest, FailingRowsGetZeroAndTheOthersTheirValue)
{
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddFormula("Ratio", "RPM / Speed");
    maths.AddFormula("Sector", "Sector_Number + 1");
    maths.AddFormula("Asked", "INPUT('Value', 'Give', '5') + 1");
    maths.AddFormula("Told", "MSG('hello', 'Note', 0)");
    maths.AddFormula("Broken", "RPM +");
    // Boxes exist only for a test; the per-row computation must never reach them.
    data.setTestDialogs({ [](const QString &, const QString &, QString &) {
                             ADD_FAILURE() << "input box opened during a computation";
                             return true;
                         },
        [](const QString &, const QString &, int) {
            ADD_FAILURE() << "message box opened during a computation";
            return 1;
        } });
    openTable({ "Ratio", "Sector", "Asked", "Told", "Broken" });
    data.PrepareComputation({ "RPM", "Speed" });
    store(100, 0);
    store(100, 4);
    store(90, 0);
    EXPECT_EQ(cell("Ratio", 0), 0);
    EXPECT_EQ(cell("Ratio", 1), 25);
    EXPECT_EQ(cell("Ratio", 2), 0);
    for (const char *column : { "Sector", "Asked", "Told", "Broken" }) {
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(cell(column, row), 0) << column << " row " << row;
    }
    const QStringList summary = data.FormulaMaths().failureSummary();
    ASSERT_EQ(summary.size(), 5);
    EXPECT_EQ(summary[0], "2 rows of Ratio failed: Floating point division by zero");
    EXPECT_EQ(summary[1], "3 rows of Sector failed: Unknown identifier 'Sector_Number'");
    EXPECT_TRUE(summary[4].startsWith("3 rows of Broken failed: ")) << summary[4].toStdString();
}

TEST_F(MathsComputationTest, AChannelThatHitsALimitIsNotRunAgain)
{
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddFormula("Spin", "IF RPM > 50 THEN WHILE 1 DO 0 WEND ELSE RPM ENDIF");
    // Far below the limit in every row, but beyond what an import allows on average.
    maths.AddFormula("Long", "LENGTH(STRINGOFCHAR('x', 200000)) + RPM * 0");
    maths.AddFormula("Text", "STRINGOFCHAR('x', 100) * RPM");
    maths.AddFormula("Half", "RPM / 2");
    openTable({ "Spin", "Long", "Text", "Half" });
    // 100000 units a row; Long uses half of them, so the import's allowance (the row's
    // budget and kWorkPerRow a row) runs out in its third row.
    data.F().setWorkLimit(100000);
    ASSERT_LT(3 * FormulaMathsEvaluator::kWorkPerRow, 50000);
    data.PrepareComputation({ "RPM", "Speed" });
    const double rpm[] = { 10, 100, 20, 30, 40 };
    for (const double value : rpm)
        store(value, 1);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(cell("Spin", row), row == 0 ? 10 : 0) << "row " << row;
        EXPECT_EQ(cell("Long", row), row < 3 ? 200000 : 0) << "row " << row;
        EXPECT_EQ(cell("Half", row), rpm[row] / 2) << "row " << row;
    }
    const QString cut = QString(60, u'x') + "...";
    EXPECT_EQ(data.FormulaMaths().failureSummary(),
        QStringList({ "4 rows of Spin failed: Formula stopped: work limit exceeded; not run "
                      "again after row 2",
            "2 rows of Long failed: Formula stopped: work limit of the import exceeded; not run "
            "again after row 3",
            "5 rows of Text failed: '" + cut + "' is not a valid floating point value" }));
}

// Real and date-time columns keep a result as it is; other columns convert it, and a later
// channel sees what the column holds.
TEST_F(MathsComputationTest, ResultsAreStoredAndPassedOnAsTheirColumnsHoldThem)
{
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddFormula("Whole", "RPM / 4");
    maths.AddFormula("Exact", "RPM / 4");
    maths.AddFormula("Stamp", "RPM / 4");
    maths.AddFormula("Flag", "RPM - 1");
    maths.AddFormula("Sum", "Whole + Exact + Stamp + Flag + Gear");
    RecordTable &table = data.LogDataTable();
    table.addColumn("RPM", ColumnType::Real);
    table.addColumn("Gear", ColumnType::Integer);
    table.addColumn("Whole", ColumnType::Integer);
    table.addColumn("Exact", ColumnType::Real);
    table.addColumn("Stamp", ColumnType::DateTime);
    table.addColumn("Flag", ColumnType::Boolean);
    table.addColumn("Sum", ColumnType::Real);
    table.open();
    data.setMaths(&data.FormulaMaths());
    data.PrepareComputation({ "RPM", "Gear", "Whole", "Exact", "Stamp", "Flag" });
    struct Row { double rpm; int gear; double whole; double flag; };
    const Row rows[] = { { 10, 3, 2, 1 }, { 1, 0, 0, 0 }, { 14, 5, 4, 1 } };
    for (const Row &r : rows) {
        table.Append();
        table.field(0).setReal(r.rpm);
        table.field(1).setInteger(r.gear);
        table.Post();
    }
    for (int row = 0; row < 3; ++row) {
        const Row &r = rows[row];
        SCOPED_TRACE(row);
        EXPECT_EQ(cell("Whole", row), r.whole); // rounded half to even
        EXPECT_EQ(cell("Exact", row), r.rpm / 4);
        EXPECT_EQ(cell("Stamp", row), r.rpm / 4);
        EXPECT_EQ(cell("Flag", row), r.flag);
        EXPECT_FALSE(table.isNullAt(table.columnIndex("Exact"), row));
        EXPECT_EQ(cell("Sum", row), r.whole + r.rpm / 4 + r.rpm / 4 + r.flag + r.gear);
    }
}

TEST_F(MathsComputationTest, AssignedVariablesPersistIntoLaterRows)
{
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddVariable("Count", 0, 0);
    maths.AddFormula("Counter", "INC('Count')");
    openTable({ "Counter" });
    data.PrepareComputation({ "RPM", "Speed" });
    store(1, 1);
    store(1, 1);
    store(1, 1);
    EXPECT_EQ(cell("Counter", 2), 3);
}

TEST_F(MathsComputationTest, TestFormulaMessages)
{
    QStringList prompts;
    QString answer = "3000";
    bool cancel = false;
    data.setTestDialogs({ [&](const QString &caption, const QString &prompt, QString &text) {
                             prompts << caption + "|" + prompt + "|" + text;
                             text = answer;
                             return !cancel;
                         },
        {} });
    data.PrepareComputation({ "RPM", "Speed" });

    int error = -1;
    EXPECT_EQ(data.TestFormula("RPM / 2", error), "Channel Value = 1500");
    EXPECT_EQ(prompts, QStringList { "Enter Value|Enter Test value for : RPM|0.0" });
    // The entered value stays, so a second test does not ask again.
    EXPECT_EQ(data.TestFormula("RPM / 4", error), "Channel Value = 750");
    EXPECT_EQ(prompts.size(), 1);

    error = -1;
    const QString message = data.TestFormula("RPM + RPMX", error);
    EXPECT_EQ(message, "Unknown identifier 'RPMX'");
    EXPECT_EQ(error, 10); // the caret goes after the unknown name
    EXPECT_NE(data.F().Error(), ER_Ok);

    cancel = true;
    EXPECT_EQ(data.TestFormula("Speed * 2", error), "Operation was Canceled");

    // A run-time error is reported with its text.
    cancel = false;
    answer = "0";
    EXPECT_EQ(data.TestFormula("RPM / (Speed - Speed)", error).contains("division by zero"), true);
}

TEST_F(MathsComputationTest, TestFormulaRefusesAFormulaThatHitsALimit)
{
    data.PrepareComputation({ "RPM", "Speed" });
    struct Case
    {
        const char *formula;
        const char *message;
        bool refused;
    };
    const Case cases[] = {
        { "WHILE RPM >= 0 DO 0 WEND", "Formula stopped: work limit exceeded", true },
        { "COUNT(STRINGOFCHAR('x', 16777216), STRINGOFCHAR('y', 16777216), STRINGOFCHAR('z', "
          "2000000))",
            "Formula stopped: texts need too much memory", true },
        { "RPM +", "Syntax error", true },
        // A run-time error with the test values (all 0) does not refuse a formula.
        { "RPM / Speed", "Invalid floating point operation", false },
        { "RPM + 2", "Channel Value = 2", false },
    };
    for (const Case &c : cases) {
        int error = -1;
        EXPECT_EQ(data.TestFormula(c.formula, error), c.message) << c.formula;
        EXPECT_EQ(data.TestRefused(), c.refused) << c.formula;
    }
}

TEST_F(MathsComputationTest, TestFormulaCompilesWithoutVariables)
{
    ASSERT_EQ(data.Num(), 0);
    int error = -1;
    EXPECT_EQ(data.TestFormula("1 +", error).isEmpty(), false);
    EXPECT_NE(data.F().Error(), ER_Ok);
    EXPECT_EQ(data.TestFormula("1 + 2", error), "Channel Value = 3");
}

TEST_F(MathsComputationTest, FormulaRepositoryIsCreatedWhenMissingAndFoundInAnyCase)
{
    data.DataModuleCreate(m_dir.path());
    data.LoadFormulas();
    const QString dataFolder = QDir(m_dir.path()).filePath("Data");
    EXPECT_EQ(data.FormulasFile(), QDir(dataFolder).filePath("FormulaRep.rep"));
    ASSERT_TRUE(QFile::exists(data.FormulasFile()));

    RecordTable &formulas = data.Formulas();
    formulas.Append();
    formulas.field(formulas.columnIndex("FormulaName")).setText("Half");
    formulas.field(formulas.columnIndex("Formula")).setText("RPM / 2");
    formulas.Post();
    data.SaveFormulas();
    ASSERT_TRUE(QFile::rename(data.FormulasFile(), QDir(dataFolder).filePath("FORMULAREP.REP")));

    TKRO_Data again;
    again.DataModuleCreate(m_dir.path());
    again.LoadFormulas();
    EXPECT_EQ(again.FormulasFile(), QDir(dataFolder).filePath("FORMULAREP.REP"));
    ASSERT_EQ(again.Formulas().recordCount(), 1);
    EXPECT_EQ(QDir(dataFolder).entryList({ "formularep*" }, QDir::Files).size(), 1);
}

TEST_F(MathsComputationTest, LoadAddAndDeleteRefreshTheListsOfEveryOpenWindow)
{
    int refreshes = 0;
    int otherRefreshes = 0;
    QObject configWindow;
    auto otherWindow = std::make_unique<QObject>();
    QObject::connect(
        &data, &TKRO_Data::OnMathsListsChanged, &configWindow, [&refreshes] { ++refreshes; });
    QObject::connect(&data, &TKRO_Data::OnMathsListsChanged, otherWindow.get(),
        [&otherRefreshes] { ++otherRefreshes; });
    TMathsChannels &maths = data.MathsChannels1();
    maths.AddFormula("Half", "RPM / 2");
    maths.AddVariable("Mass", 0, 750);
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(otherRefreshes, 2);
    otherWindow.reset(); // a closed window hears no more
    maths.DeleteFormula(0);
    EXPECT_EQ(refreshes, 3);
    EXPECT_EQ(otherRefreshes, 2);
    maths.SaveMathsTables();
    maths.LoadMathsTables(); // one refresh per record loaded (the variable), one for the load
    EXPECT_EQ(refreshes, 5);
}

namespace {

// One import's maths computation over a table of RPM and Speed: row by row in the store
// hook, or (inColumns) left to computeMathsColumns in two uneven blocks.
struct ComputedTable
{
    std::vector<std::vector<double>> cells; // per maths channel, per row
    QStringList summary;
    std::vector<bool> inColumns; // per maths channel
    std::vector<double> vals; // the variables afterwards
};

ComputedTable compute(const QString &folder, const QStringList &variables,
    const QStringList &formulas, bool inColumns)
{
    TKRO_Data data;
    TMathsChannels &maths = data.MathsChannels1();
    maths.setMathsFileName(folder + (inColumns ? "/Columns.prm" : "/Rows.prm"));
    maths.CreateMathsTables();
    for (const QString &variable : variables)
        maths.AddVariable(variable, 0, 2);
    for (int i = 0; i < formulas.size(); ++i)
        maths.AddFormula(QString("M%1").arg(i), formulas[i]);
    RecordTable &table = data.LogDataTable();
    table.addColumn("RPM", ColumnType::Real);
    table.addColumn("Speed", ColumnType::Real);
    for (int i = 0; i < formulas.size(); ++i)
        table.addColumn(QString("M%1").arg(i), ColumnType::Real);
    table.open();
    data.setMaths(&data.FormulaMaths());
    data.PrepareComputation({ "RPM", "Speed" });
    data.setMathsInColumns(inColumns ? &table : nullptr);
    // More rows than one block of the column program, with failing rows across blocks.
    const int rows = 700;
    for (int row = 0; row < rows; ++row) {
        table.Append();
        table.field(0).setReal(row % 97 == 0 ? 0 : row * 7.25);
        table.field(1).setReal(row % 50 - 20);
        table.Post();
    }
    ComputedTable result;
    for (int i = 0; i < formulas.size(); ++i)
        result.inColumns.push_back(
            inColumns && data.FormulaMaths().computesColumns(i, data.Num(), data.vars()));
    if (inColumns) {
        data.computeMathsColumns(table, 0, 301);
        data.computeMathsColumns(table, 301, rows - 301);
    }
    for (int i = 0; i < formulas.size(); ++i) {
        result.cells.emplace_back();
        for (int row = 0; row < rows; ++row)
            result.cells.back().push_back(table.numberAt(2 + i, row));
    }
    result.summary = data.FormulaMaths().failureSummary();
    result.vals = data.vals();
    return result;
}

} // namespace

// Numeric channels computed a block at a time store what the row-by-row hook stores, and
// fail in the same rows with the same messages; channels that loop, assign or read
// another's result keep the row-by-row path.
TEST_F(MathsComputationTest, ColumnsGiveTheCellsAndFailuresOfTheRowByRowComputation)
{
    struct Case
    {
        QStringList variables;
        QStringList formulas;
        std::vector<bool> inColumns;
    };
    const Case cases[] = {
        { { "Mass" },
            { "RPM / Speed", "RPMToRadians(RPM) * Mass - 1", "Speed ^ -1 + (RPM > Speed) + 0",
                "PowerToTorque(RPM, Speed)", "-(RPM * 1E300) * 1E300", "RPM / 3 <> Speed",
                "IF RPM > 100 THEN RPM / Speed ELSE 1 ENDIF", "Oil / 2",
                "PowerToTorque(RPM * 0, Speed)", "PowerAtWheels(RPM, 1E300, 1E10)" },
            { true, true, true, true, true, true, true, true, true, true } },
        // Rows take their own way through conditions: a row fails only in the part it runs.
        { { "Mass" },
            { "IF Speed <> 0 THEN RPM / Speed ELSE -1 ENDIF",
                "(IF RPM > 2000 THEN IF Speed > 0 THEN 1 / Speed ELSE Speed ^ -1 ENDIF ELSE "
                "-RPM ENDIF) * Mass + 1",
                "IF Speed > 5 THEN RPM ENDIF", "CONDITION(RPM < 500, Mass, RPMToRadians(RPM))",
                "IF Speed > 0 AND RPM > 1000 OR NOT Speed THEN RPM / Speed ELSE Speed XOR RPM "
                "ENDIF",
                "LOOP(Mass < 3, Mass)" },
            { true, true, true, true, true, false } },
        // An assignment may change any variable in any row: nothing runs in columns but a
        // formula that did not compile, which fails alike in every row.
        { { "Laps" }, { "RPM / Speed + Laps", "INC('Laps')", "RPM +" }, { false, false, true } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.formulas.join(" ; ").toStdString());
        const ComputedTable rows = compute(m_dir.path(), c.variables, c.formulas, false);
        const ComputedTable columns = compute(m_dir.path(), c.variables, c.formulas, true);
        EXPECT_EQ(columns.inColumns, c.inColumns);
        ASSERT_EQ(columns.cells.size(), rows.cells.size());
        for (size_t i = 0; i < rows.cells.size(); ++i) {
            ASSERT_EQ(columns.cells[i].size(), rows.cells[i].size());
            for (size_t row = 0; row < rows.cells[i].size(); ++row)
                EXPECT_EQ(std::memcmp(&columns.cells[i][row], &rows.cells[i][row], sizeof(double)),
                    0)
                    << "M" << i << " row " << row;
        }
        EXPECT_EQ(columns.summary, rows.summary);
        EXPECT_EQ(columns.vals, rows.vals);
        EXPECT_FALSE(rows.summary.isEmpty());
    }
}
