#include "session/TKRO_Data.h"

#include "session/MathsEvaluator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace zel;

namespace {

// Definitions as plain functions of the variables, so a test states what each computes.
class FakeMaths : public MathsEvaluator
{
public:
    using Formula = std::function<double(const QStringList &, const std::vector<double> &)>;

    QStringList channelNames() const override { return names; }
    std::optional<double> evaluate(
        int index, int num, const QStringList &vars, std::vector<double> &vals) override
    {
        EXPECT_EQ(num, int(vals.size()));
        try {
            return formulas.at(size_t(index))(vars, vals);
        } catch (const std::runtime_error &) {
            return std::nullopt;
        }
    }

    // The value of a variable, as the engine would read it; unknown names fail.
    static double var(const QStringList &vars, const std::vector<double> &vals, const char *name)
    {
        const qsizetype i = vars.indexOf(QString::fromLatin1(name));
        if (i < 0)
            throw std::runtime_error("Unknown identifier");
        return vals[size_t(i)];
    }

    QStringList names;
    std::vector<Formula> formulas;
};

class TKRO_DataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordTable &table = data.LogDataTable();
        table.addColumn("ReadingID", ColumnType::Integer);
        table.addColumn("Speed", ColumnType::Real);
        table.addColumn("Double", ColumnType::Real);
        table.addColumn("Triple", ColumnType::Real);
        table.open();
    }

    void store(double speed)
    {
        RecordTable &table = data.LogDataTable();
        table.Append();
        table.field(0).setInteger(table.rowCount());
        table.field(1).setReal(speed);
        table.Post();
    }

    double cell(const char *column, int row)
    {
        RecordTable &table = data.LogDataTable();
        return table.numberAt(table.columnIndex(column), row);
    }

    bool empty(const char *column, int row)
    {
        RecordTable &table = data.LogDataTable();
        return table.isNullAt(table.columnIndex(column), row);
    }

    TKRO_Data data;
    FakeMaths maths;
};

} // namespace

TEST_F(TKRO_DataTest, WithNoVariablesNoMathsValueIsStored)
{
    maths.names = { "Double" };
    maths.formulas = { [](auto &, auto &) { return 1.0; } };
    data.setMaths(&maths);
    ASSERT_EQ(data.Num(), 0);
    store(10);
    EXPECT_TRUE(empty("Double", 0));
    EXPECT_EQ(cell("Speed", 0), 10.0);
}

TEST_F(TKRO_DataTest, LaterChannelsSeeEarlierResultsOfTheSameRow)
{
    maths.names = { "Double", "Triple" };
    maths.formulas = {
        [](auto &vars, auto &vals) { return 2 * FakeMaths::var(vars, vals, "Speed"); },
        [](auto &vars, auto &vals) {
            return FakeMaths::var(vars, vals, "Double") + FakeMaths::var(vars, vals, "Speed");
        },
    };
    data.setMaths(&maths);
    data.setVars({ "Double", "Speed" });
    store(10);
    store(20);
    EXPECT_EQ(cell("Double", 1), 40.0);
    EXPECT_EQ(cell("Triple", 1), 60.0); // not 20 + the previous row's 20
}

TEST_F(TKRO_DataTest, AFailingFormulaStoresZeroAndTheOthersStillRun)
{
    maths.names = { "Double", "Triple", "Missing" };
    maths.formulas = {
        [](auto &vars, auto &vals) { return FakeMaths::var(vars, vals, "Sector_Number"); },
        [](auto &vars, auto &vals) { return 3 * FakeMaths::var(vars, vals, "Speed"); },
        [](auto &, auto &) -> double { throw std::logic_error("never computed: no column"); },
    };
    data.setMaths(&maths);
    data.setVars({ "Speed" });
    store(5);
    EXPECT_EQ(cell("Double", 0), 0.0);
    EXPECT_FALSE(empty("Double", 0));
    EXPECT_EQ(cell("Triple", 0), 15.0);
    EXPECT_EQ(data.LogDataTable().rowCount(), 1);
}

TEST_F(TKRO_DataTest, SkippedChannelsNeverOverwriteLoggedData)
{
    maths.names = { "Speed" };
    maths.formulas = { [](auto &, auto &) { return -1.0; } };
    data.setMaths(&maths);
    data.setVars({ "Speed" });
    data.setSkippedMathsChannels({ "speed" });
    store(7);
    EXPECT_EQ(cell("Speed", 0), 7.0);
}

TEST_F(TKRO_DataTest, AResultNamedOutsideTheCountedVariablesUpdatesNoValue)
{
    maths.names = { "Double", "Triple" };
    maths.formulas = {
        [](auto &, auto &) { return 4.0; },
        [](auto &vars, auto &vals) { return FakeMaths::var(vars, vals, "Speed"); },
    };
    data.setMaths(&maths);
    data.setVars({ "Speed" }); // "Double" is not among them
    store(9);
    EXPECT_EQ(data.vals(), std::vector<double>({ 9.0 }));
    EXPECT_EQ(cell("Triple", 0), 9.0);
}

TEST(TKRO_DataStartTest, CreatesTheDataFolderAndAnEmptyCardRegisterThenLoadsIt)
{
    QTemporaryDir program;
    {
        TKRO_Data data;
        data.DataModuleCreate(program.path());
        EXPECT_EQ(data.ProgramDataFolder(), QDir(program.path()).filePath("Data"));
        EXPECT_EQ(data.CardIDFile(), QDir(program.path()).filePath("Data/CardID.dta"));
        ASSERT_TRUE(QFileInfo::exists(data.CardIDFile()));
        EXPECT_TRUE(data.CardID().isOpen());
        EXPECT_EQ(data.CardID().rowCount(), 0);
        EXPECT_FALSE(data.Telemetry_on());
        EXPECT_EQ(data.TemplateData().rowCount(), 0);

        data.CardID().Append();
        data.CardID().fieldByName("CardID").setText("Car 7");
        data.CardID().Post();
        data.CardID().saveToFile(data.CardIDFile());
    }
    TKRO_Data again;
    again.DataModuleCreate(program.path());
    ASSERT_EQ(again.CardID().rowCount(), 1);
    again.CardID().First();
    EXPECT_EQ(again.CardID().fieldByName("CardID").asText(), "Car 7");
}

TEST(TKRO_DataStartTest, TemplateBlocksAreCopiedOnlyAsFarAsTheyGo)
{
    const struct
    {
        int dataSize;
        int expectedBytes;
    } cases[] = { { 4, 4 }, { -5, 0 }, { 1000000, TKRO_Data::kLayoutStoreSize } };
    for (const auto &c : cases) {
        QTemporaryDir program;
        {
            TKRO_Data writer;
            RecordTable &t = writer.TemplateData();
            t.open();
            t.Append();
            t.fieldByName("RecordType").setText("ECUCONFIG");
            t.fieldByName("RecID").setInteger(1);
            t.fieldByName("DataSize").setInteger(c.dataSize);
            t.fieldByName("Data").setBytes(QByteArray(TKRO_Data::kLayoutStoreSize, 'x'));
            t.fieldByName("Datasize1").setInteger(2);
            t.fieldByName("Data1").setBytes(QByteArray("yz"));
            t.Post();
            t.saveToFile(QDir(program.path()).filePath("DEFAULTS.SRN"));
        }
        TKRO_Data data;
        data.DataModuleCreate(program.path());
        QByteArray expected(TKRO_Data::kLayoutStoreSize, '\0');
        expected.replace(0, c.expectedBytes, QByteArray(c.expectedBytes, 'x'));
        EXPECT_EQ(data.layoutStore(), expected) << c.dataSize;
        EXPECT_EQ(data.layoutStore1().left(3), QByteArray("yz\0", 3));
    }
}
