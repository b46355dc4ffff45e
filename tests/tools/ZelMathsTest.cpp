#include "ZelRun.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TMathsChannels.h"
#include "session/RecordTable.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class ZelMathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const ZelRun demo = runZelCommand({ "demo", path("card") });
        ASSERT_EQ(demo.status, 0) << demo.err.toStdString();
    }
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ZelRun maths(const QStringList &args) const
    {
        return runZelCommand(QStringList { "maths", path("card") } + args);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZelMathsTest, ChangesAreListedAndBadOnesRefused)
{
    const ZelRun none = maths({});
    EXPECT_EQ(none.status, 0) << none.err.toStdString();
    EXPECT_TRUE(none.out.isEmpty());

    const ZelRun added = maths({ "--add", "Half=ECU_RPM / 2" });
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "Channel Value = 0\n");
    EXPECT_EQ(maths({ "--var", "Mass=650.5" }).status, 0);
    EXPECT_EQ(maths({ "--add", "Power=PowerAtWheels(Mass, GPS_Speed, 1)" }).status, 0);
    EXPECT_EQ(maths({ "--var", "Gone=1" }).status, 0);
    EXPECT_EQ(maths({ "--delete", "Gone" }).status, 0);

    struct Refused { QStringList args; QString message; };
    const Refused refused[] = {
        { { "--add", "Bad=ECU_RPM +" }, "zel maths: " },
        // Other maths channels are unknown during an import, so naming one is refused.
        { { "--add", "Chain=Half + 1" }, "Unknown identifier 'Half'" },
        // An import would spend the whole budget on every row.
        { { "--add", "Spin=WHILE 1 DO 0 WEND" }, "work limit exceeded" },
        { { "--add", "GPSSpeed=1" }, "\"GPSSpeed\" is a column of the session log" },
        { { "--add", "ecu_rpm=1" }, "\"ecu_rpm\" is a column of the session log" },
        { { "--add", "ThisNameIsLongerThan20=1" }, "20" },
        { { "--var", "Mass=heavy" }, "\"heavy\" is not a number" },
        // Every row would fail with such a value.
        { { "--var", "Mass=nan" }, "\"nan\" is not a finite number" },
        { { "--var", "Mass=inf" }, "\"inf\" is not a finite number" },
        { { "--var", "Mass=-inf" }, "\"-inf\" is not a finite number" },
        { { "--var", "Mass=1e999" }, "\"1e999\" is not a finite number" },
        { { "--delete", "Nothing" }, "no maths channel or variable \"Nothing\"" },
        { { "--add" }, "usage" },
    };
    for (const Refused &r : refused) {
        const ZelRun run = maths(r.args);
        EXPECT_EQ(run.status, 1) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(r.message)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
    }

    const ZelRun listed = maths({});
    EXPECT_EQ(listed.out,
        "channel\tHalf\tECU_RPM / 2\n"
        "channel\tPower\tPowerAtWheels(Mass, GPS_Speed, 1)\n"
        "variable\tMass\t650.5\n");
}

TEST_F(ZelMathsTest, ImportComputesTheCardsMathsChannels)
{
    ASSERT_EQ(maths({ "--var", "Factor=3" }).status, 0);
    ASSERT_EQ(maths({ "--add", "Scaled=ECU_RPM * Factor" }).status, 0);
    {
        // A table written elsewhere may hold a formula no import can compute.
        TMathsChannels table;
        table.setMathsFileName(path("card/Data/Maths.prm"));
        table.LoadMathsTables();
        table.AddFormula("Sector", "Sector_Number");
        table.CloseMathsTables();
    }

    const ZelRun run = runZelCommand({ "import", path("card/Logs/Datalog1.Dsh"), "--card",
        path("card"), "-o", path("out.kro") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    RecordTable log;
    log.loadFromFile(path("out.kro"));
    const int rpm = log.columnIndex("ECU_RPM");
    const int scaled = log.columnIndex("Scaled");
    const int sector = log.columnIndex("Sector");
    ASSERT_EQ(scaled, log.columnCount() - 2);
    ASSERT_EQ(sector, log.columnCount() - 1);
    int nonZero = 0;
    for (int row = 1; row < log.rowCount(); ++row) {
        EXPECT_EQ(log.numberAt(scaled, row), log.numberAt(rpm, row) * 3) << row;
        EXPECT_EQ(log.numberAt(sector, row), 0);
        nonZero += log.numberAt(scaled, row) != 0;
    }
    EXPECT_GT(nonZero, 1000);
    EXPECT_TRUE(run.err.contains(QStringLiteral("%1 rows of Sector failed: Unknown identifier "
                                                "'Sector_Number'\n")
                                     .arg(log.rowCount())))
        << run.err.toStdString();
}

TEST_F(ZelMathsTest, NamesAreCheckedAgainstTheColumnsAnImportWouldCreate)
{
    // The card's logs will name their first two channels "RPM" and "rpm": the import makes
    // the columns RPM and rpm_1 of them.
    const QString settingsFile = path("card/Data/Settings.prm");
    QFile settings(settingsFile);
    ASSERT_TRUE(settings.open(QIODevice::ReadWrite));
    QByteArray bytes = settings.readAll();
    const int names = 416 + 675;
    for (const auto &[position, name] : { std::pair { 0, QByteArray("RPM") }, { 1, "rpm" } }) {
        bytes.replace(names + 32 * position, 32, QByteArray(32, '\0'));
        bytes[names + 32 * position] = char(name.size());
        bytes.replace(names + 32 * position + 1, name.size(), name);
    }
    ASSERT_TRUE(settings.seek(0));
    ASSERT_EQ(settings.write(bytes), bytes.size());
    settings.close();

    for (const char *name : { "rpm_1", "RPM_1", "rpm", "KRO_Analogue_3" }) {
        const ZelRun run = maths({ "--add", QStringLiteral("%1=1").arg(name) });
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(run.err.contains("is a column of the session log")) << run.err.toStdString();
    }
    const ZelRun added = maths({ "--add", "Sum=RPM + rpm_1" });
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
}

TEST(ZelEvalMaths, ApplicationFunctionsWork)
{
    const ZelRun run = runZelCommand({ "eval", "RPMToRadians(6000)" });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "628.318530717959\n");
}
