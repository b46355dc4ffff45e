#include "LoggerTableFixtures.h"
#include "logger/LoggerTableError.h"
#include "logger/TMathsChannels.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace zel;
using namespace fixtures;

namespace {

constexpr int kRecord = 4127;
constexpr int kFile = 256 * kRecord;
constexpr int kName = 2;
constexpr int kValue = 23;
constexpr int kText = 31;
constexpr int kTextBytes = 4096;

/// A file as a fresh table writes it: every record free, variable records of kind 1.
QByteArray emptyFile()
{
    QByteArray file(kFile, '\0');
    for (int i = 128; i < 256; ++i)
        file[i * kRecord + 1] = 1;
    return file;
}

/// Writes text as UTF-16LE units at offset, leaving the bytes after it as they are.
void putUtf16(QByteArray &file, qsizetype offset, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        file[offset + 2 * i] = char(unit & 0xff);
        file[offset + 2 * i + 1] = char(unit >> 8);
    }
}

/// Fills record i of file at its byte offsets: in-use byte, kind, name, value and formula
/// text with its NUL and zero tail.
void putRecord(QByteArray &file, int i, std::uint8_t inUse, const QByteArray &name,
    double value = 0, const QString &formula = {})
{
    const qsizetype r = qsizetype(i) * kRecord;
    file[r] = char(inUse);
    file[r + 1] = char(i < 128 ? 0 : 1);
    putText(file, r + kName, 21, name);
    put<double>(file, r + kValue, value);
    std::memset(file.data() + r + kText, 0, kTextBytes);
    putUtf16(file, r + kText, formula);
}

class MathsChannelsTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        table.setMathsFileName(path("Maths.prm"));
        QObject::connect(&table, &TMathsChannels::OnloadTable, [this] { events += 'L'; });
        QObject::connect(&table, &TMathsChannels::OnAddFormula, [this] { events += 'A'; });
        QObject::connect(&table, &TMathsChannels::OnDeleteFormula, [this] { events += 'D'; });
        QObject::connect(&table, &TMathsChannels::BeforeSaveTable, [this] { events += 'S'; });
    }

    void load(const QByteArray &file)
    {
        writeAll(path("Maths.prm"), file);
        table.LoadMathsTables();
    }

    QByteArray saved() { return readAll(path("Maths.prm")); }

    QStringList formulaNames() const
    {
        QStringList names;
        for (int i = 0; i < table.RecordCount(); ++i)
            names << table.record(i).name() + '=' + table.record(i).formulaText();
        return names;
    }

    QStringList variables() const
    {
        QStringList names;
        for (int i = 0; i < table.VarCount(); ++i) {
            const MathsRecord &r = table.record(128 + i);
            names << r.name() + '=' + QString::number(r.Value);
        }
        return names;
    }

    TMathsChannels table;
    std::string events;
};

TEST_F(MathsChannelsTest, CreateWritesAnEmptyTableWithoutEvents)
{
    writeAll(path("Maths.prm"), noise(kFile + 10, 1));
    table.AddFormula("Power", "RPM * 2");
    table.AddVariable("Mass", 0, 850);
    events.clear();
    table.CreateMathsTables();

    EXPECT_TRUE(table.active());
    EXPECT_EQ(events, "");
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.VarCount(), 0);
    EXPECT_EQ(saved(), emptyFile());
    EXPECT_EQ(std::memcmp(table.MathsTables().data(), emptyFile().constData(), kFile), 0);
}

TEST_F(MathsChannelsTest, FieldsRoundTripByteForByte)
{
    QByteArray file = emptyFile();
    putRecord(file, 0, 1, "Power", 0, QStringLiteral("AirPower(1.2, 2, 0.3, KPH)\r\n+ 5 \u20ac\u00e9"));
    putRecord(file, 1, 1, "Torque\xe9", 0, QStringLiteral("Power / RPM"));
    file[1 * kRecord + 1] = 7; // odd kind and value bytes are carried, not judged
    put<double>(file, 1 * kRecord + kValue, -2.5);
    putRecord(file, 128, 1, "Mass", 850.25);
    putRecord(file, 129, 1, "Gear_Ratio", -3.5e-7);
    load(file);

    EXPECT_EQ(events, "AAAAL");
    EXPECT_FALSE(table.wasShort());
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.VarCount(), 2);
    const MathsRecord &power = table.record(0);
    EXPECT_EQ(power.name(), QLatin1String("Power"));
    EXPECT_EQ(power.formulaText(),
        QStringLiteral("AirPower(1.2, 2, 0.3, KPH)\r\n+ 5 \u20ac\u00e9"));
    EXPECT_EQ(table.record(1).name(), QStringLiteral("Torque\u00e9"));
    EXPECT_EQ(table.record(1).Kind, 7);
    EXPECT_EQ(table.record(128).Value, 850.25);
    EXPECT_EQ(table.record(129).name(), QLatin1String("Gear_Ratio"));
    EXPECT_EQ(table.record(129).Value, -3.5e-7);
    EXPECT_THROW(table.record(256), std::out_of_range);

    table.setMathsFileName(path("Other.prm")); // a close still writes the loaded file
    table.CloseMathsTables();
    EXPECT_EQ(events, "AAAALS");
    EXPECT_FALSE(table.active());
    EXPECT_EQ(saved(), file);
    EXPECT_FALSE(QFileInfo::exists(path("Other.prm")));

    // Inactive: neither save nor close writes again.
    table.AddFormula("Late", "1");
    table.SaveMathsTables();
    table.CloseMathsTables();
    EXPECT_EQ(saved(), file);
}

TEST_F(MathsChannelsTest, LoadPacksEachHalfAndClearsTheFreeRecords)
{
    QByteArray file = noise(kFile, 2); // free records full of noise
    for (int i = 0; i < 256; ++i)
        file[i * kRecord] = char(i % 3 == 0 ? 0 : 2); // in-use bytes other than 1 are free
    putRecord(file, 0, 1, "A", 0, "1");
    putRecord(file, 2, 1, "C", 0, "3");
    putRecord(file, 127, 1, "Last", 0, "127");
    putRecord(file, 129, 1, "X", 1.5);
    putRecord(file, 255, 1, "Y", 2.5);
    load(file);

    EXPECT_EQ(events, "AAAAAL");
    EXPECT_EQ(formulaNames(), QStringList({ "A=1", "C=3", "Last=127" }));
    EXPECT_EQ(variables(), QStringList({ "X=1.5", "Y=2.5" }));
    table.SaveMathsTables();

    QByteArray expected = emptyFile();
    putRecord(expected, 0, 1, "A", 0, "1");
    putRecord(expected, 1, 1, "C", 0, "3");
    putRecord(expected, 2, 1, "Last", 0, "127");
    putRecord(expected, 128, 1, "X", 1.5);
    putRecord(expected, 129, 1, "Y", 2.5);
    EXPECT_EQ(saved(), expected);
}

TEST_F(MathsChannelsTest, AddFormulaAppendsOrReplacesByExactName)
{
    table.CreateMathsTables();
    table.AddFormula("Power", QString(300, 'x'));
    table.AddFormula("Torque", "Power / RPM");
    table.AddFormula("Power", "RPM * 2"); // same slot, shorter text
    table.AddFormula("power", "0"); // case matters: a new channel
    table.AddFormula("Wheel speed \u03a9", "1"); // outside the code page: '?'
    EXPECT_EQ(events, "AAAAA");
    EXPECT_EQ(formulaNames(),
        QStringList({ "Power=RPM * 2", "Torque=Power / RPM", "power=0", "Wheel speed ?=1" }));

    // A long name is cut to 20, so adding it again cannot find it and adds a second one.
    const QString longName = QStringLiteral("Rear_Wheel_Slip_Ratio_Left");
    table.AddFormula(longName, "1");
    table.AddFormula(longName, "2");
    ASSERT_EQ(table.RecordCount(), 6);
    EXPECT_EQ(table.record(4).name(), longName.left(20));
    EXPECT_EQ(table.record(5).name(), longName.left(20));
    table.SaveMathsTables();

    QByteArray expected = emptyFile();
    putRecord(expected, 0, 1, "Power", 0, "RPM * 2");
    putRecord(expected, 1, 1, "Torque", 0, "Power / RPM");
    putRecord(expected, 2, 1, "power", 0, "0");
    putRecord(expected, 3, 1, "Wheel speed ?", 0, "1");
    putRecord(expected, 4, 1, longName.left(20).toLatin1(), 0, "1");
    putRecord(expected, 5, 1, longName.left(20).toLatin1(), 0, "2");
    const QByteArray file = saved();
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file[4 * kRecord + kName], 20);
    EXPECT_EQ(file.mid(kText, 16), QByteArray("R\0P\0M\0 \0*\0 \0" "2\0\0\0", 16));
}

TEST_F(MathsChannelsTest, AddVariableAppendsOrReplacesTheValue)
{
    QByteArray file = emptyFile();
    putRecord(file, 128, 1, "A", 1, "junk"); // a variable with text in its formula area
    file[128 * kRecord + 1] = 5;
    load(file);
    events.clear();
    table.AddVariable("A", 9, 10);
    table.AddVariable("B", 0, 2);
    table.AddVariable("B", 0, -4.75);
    EXPECT_EQ(events, "AAA");
    EXPECT_EQ(variables(), QStringList({ "A=10", "B=-4.75" }));
    EXPECT_EQ(table.RecordCount(), 0);
    table.SaveMathsTables();

    QByteArray expected = emptyFile();
    putRecord(expected, 128, 1, "A", 10); // kind 1 and a zero formula area again
    putRecord(expected, 129, 1, "B", -4.75);
    EXPECT_EQ(saved(), expected);
}

TEST_F(MathsChannelsTest, VariablesTakeOnlyFiniteValues)
{
    table.CreateMathsTables();
    table.AddVariable("Mass", 0, 650);
    events.clear();
    for (const double bad : { std::nan(""), HUGE_VAL, -HUGE_VAL }) {
        EXPECT_THROW(table.AddVariable("Mass", 0, bad), LoggerTableError) << bad;
        EXPECT_THROW(table.AddVariable("New", 0, bad), LoggerTableError) << bad;
    }
    EXPECT_EQ(events, "");
    EXPECT_EQ(variables(), QStringList({ "Mass=650" }));
}

TEST_F(MathsChannelsTest, FormulasAndVariablesAreFoundByTheirExactName)
{
    table.CreateMathsTables();
    table.AddFormula("Power", "1");
    table.AddFormula("Torque", "2");
    table.AddVariable("Mass", 0, 1);
    table.AddVariable("Power", 0, 2); // a variable may share a channel's name
    const struct
    {
        const char *name;
        int formula;
        int variable;
    } cases[] = {
        { "Power", 0, 129 },
        { "Torque", 1, -1 },
        { "Mass", -1, 128 },
        { "power", -1, -1 },
        { "", -1, -1 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(table.FindFormula(c.name), c.formula) << c.name;
        EXPECT_EQ(table.FindVariable(c.name), c.variable) << c.name;
    }
    table.DeleteFormula(table.FindFormula("Power"));
    EXPECT_EQ(table.FindFormula("Torque"), 0);
    EXPECT_EQ(table.FindFormula("Power"), -1);
}

TEST_F(MathsChannelsTest, DeletesMoveTheLaterRecordsDownAndClearTheRest)
{
    table.CreateMathsTables();
    for (const char *name : { "F0", "F1", "F2" })
        table.AddFormula(name, QStringLiteral("%1 + 1").arg(name));
    table.AddVariable("A", 0, 1);
    table.AddVariable("B", 0, 2);
    table.AddVariable("C", 0, 3);
    events.clear();

    // Indexes outside each half are ignored, with no event.
    for (int bad : { -1, 3, 128, 1000 })
        table.DeleteFormula(bad);
    for (int bad : { -1, 0, 2, 127, 131, 256 })
        table.DeleteVariable(bad);
    EXPECT_EQ(events, "");

    table.DeleteFormula(1);
    table.DeleteVariable(128);
    EXPECT_EQ(events, "DD");
    EXPECT_EQ(formulaNames(), QStringList({ "F0=F0 + 1", "F2=F2 + 1" }));
    EXPECT_EQ(variables(), QStringList({ "B=2", "C=3" }));
    table.SaveMathsTables();

    QByteArray expected = emptyFile();
    putRecord(expected, 0, 1, "F0", 0, "F0 + 1");
    putRecord(expected, 1, 1, "F2", 0, "F2 + 1");
    putRecord(expected, 128, 1, "B", 2);
    putRecord(expected, 129, 1, "C", 3);
    EXPECT_EQ(saved(), expected);

    table.DeleteFormula(1);
    table.DeleteFormula(0);
    table.DeleteVariable(129);
    table.DeleteVariable(128);
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.VarCount(), 0);
    table.SaveMathsTables();
    EXPECT_EQ(saved(), emptyFile());
}

TEST_F(MathsChannelsTest, FormulaTextAndTableLimitsAreKept)
{
    table.CreateMathsTables();
    const QString longest(2047, QChar(0x20ac));
    table.AddFormula("Long", longest);
    EXPECT_EQ(table.record(0).formulaText(), longest);
    EXPECT_EQ(table.record(0).Formula[2047], 0);

    events.clear();
    const auto refused = [&](auto add, const char *what) {
        try {
            add();
            ADD_FAILURE() << "accepted";
        } catch (const LoggerTableError &e) {
            EXPECT_TRUE(QString::fromStdString(e.what()).contains(what)) << e.what();
        }
    };
    refused([&] { table.AddFormula("Long", QString(2048, 'y')); }, "2048 characters");
    refused([&] { table.AddFormula("New", QString(5000, 'y')); }, "5000 characters");
    EXPECT_EQ(table.record(0).formulaText(), longest);
    EXPECT_EQ(table.RecordCount(), 1);

    for (int i = 1; i < 128; ++i)
        table.AddFormula(QStringLiteral("F%1").arg(i), "1");
    for (int i = 0; i < 128; ++i)
        table.AddVariable(QStringLiteral("V%1").arg(i), 0, i);
    events.clear();
    refused([&] { table.AddFormula("F128", "1"); }, "128 maths channels");
    refused([&] { table.AddVariable("V128", 0, 1); }, "128 variables");
    EXPECT_EQ(events, "");
    EXPECT_EQ(table.RecordCount(), 128);
    EXPECT_EQ(table.VarCount(), 128);
    EXPECT_EQ(table.record(128).name(), QLatin1String("V0"));

    // A full table still takes new text or values under existing names.
    table.AddFormula("F5", "2");
    table.AddVariable("V5", 0, 50);
    EXPECT_EQ(table.record(5).formulaText(), QLatin1String("2"));
    EXPECT_EQ(table.record(133).Value, 50);
    table.CloseMathsTables();
    table.LoadMathsTables();
    EXPECT_EQ(table.RecordCount(), 128);
    EXPECT_EQ(table.VarCount(), 128);
    EXPECT_EQ(table.record(0).formulaText(), longest);
}

TEST_F(MathsChannelsTest, FormulaTextSplitsLines)
{
    const std::pair<QString, QStringList> cases[] = {
        { "a := 1;\r\nb", { "a := 1;", "b" } },
        { "one\n", { "one", "" } },
        { "", { "" } },
        { "\n\r\n", { "", "", "" } },
        { QStringLiteral("x\u20ac\ry"), { QStringLiteral("x\u20acy") } },
    };
    table.CreateMathsTables();
    for (const auto &[text, lines] : cases) {
        table.AddFormula("F", text);
        EXPECT_EQ(table.FormulaText(0), lines) << text.toStdString();
    }
    // A NUL inside the text ends it; nothing after it reaches the record.
    table.AddFormula("F", QStringView(u"1\0" "2", 3).toString());
    EXPECT_EQ(table.FormulaText(0), QStringList({ "1" }));
    EXPECT_EQ(table.record(0).Formula[2], 0);

    EXPECT_TRUE(table.FormulaText(-1).isEmpty());
    EXPECT_TRUE(table.FormulaText(1).isEmpty());
}

TEST_F(MathsChannelsTest, DamagedRecordsAreReadInsideTheirFields)
{
    QByteArray file = emptyFile();
    putRecord(file, 0, 1, "N");
    file[kName] = char(255); // length byte over 20
    std::memcpy(file.data() + kName + 1, "ABCDEFGHIJKLMNOPQRST", 20);
    for (int u = 0; u < 2048; ++u) // no NUL in the formula area, lines of 1000 units
        put<char16_t>(file, kText + 2 * u, u % 1000 == 999 ? u'\n' : u'z');
    putRecord(file, 1, 1, "Next", 0, "1");
    file.append(noise(5000, 3)); // oversized
    load(file);

    EXPECT_FALSE(table.wasShort());
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.record(0).name(), QLatin1String("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_EQ(table.record(0).formulaText().size(), 2048);
    const QStringList lines = table.FormulaText(0);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 999);
    EXPECT_EQ(lines[2].size(), 48);
    EXPECT_EQ(table.record(1).formulaText(), QLatin1String("1"));

    // Existing records load as they are and are saved unchanged.
    table.SaveMathsTables();
    EXPECT_EQ(saved().left(kFile), file.left(kFile));
}

TEST_F(MathsChannelsTest, ShortFileDropsTheRecordItCutsAndNothingOfTheLastCardSurvives)
{
    QByteArray card = emptyFile();
    for (int i = 0; i < 5; ++i)
        putRecord(card, i, 1, QByteArray("Old") + char('0' + i), 0, "1");
    putRecord(card, 128, 1, "OldVar", 1);
    load(card);
    table.CloseMathsTables();

    struct Case
    {
        qsizetype size;
        int formulas;
        int variables;
    };
    const Case cases[] = {
        { 0, 0, 0 },
        { kRecord - 1, 0, 0 },
        { kRecord, 1, 0 },
        { 2 * kRecord - 1, 1, 0 },
        { 129 * kRecord + 31, 2, 1 },
        { kFile - 1, 2, 2 },
    };
    QByteArray whole = emptyFile();
    putRecord(whole, 0, 1, "New0", 0, "2");
    putRecord(whole, 1, 1, "New1", 0, "3");
    putRecord(whole, 128, 1, "NewVar", 7);
    putRecord(whole, 129, 1, "Cut", 8);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        table.setMathsFileName(path("Short%2.prm"));
        writeAll(path("Short%2.prm"), whole.left(c.size));
        table.LoadMathsTables();
        EXPECT_TRUE(table.wasShort());
        EXPECT_TRUE(table.loadWarning().contains(path("Short%2.prm")));
        EXPECT_EQ(table.RecordCount(), c.formulas);
        EXPECT_EQ(table.VarCount(), c.variables);
        table.CloseMathsTables();

        QByteArray expected = emptyFile();
        for (int i = 0; i < c.formulas; ++i)
            std::memcpy(expected.data() + i * kRecord, whole.constData() + i * kRecord, kRecord);
        for (int i = 128; i < 128 + c.variables; ++i)
            std::memcpy(expected.data() + i * kRecord, whole.constData() + i * kRecord, kRecord);
        EXPECT_EQ(readAll(path("Short%2.prm")), expected);
    }
}

TEST_F(MathsChannelsTest, FailuresNameTheFileAndLoseNothing)
{
    try {
        table.LoadMathsTables();
        FAIL() << "no error";
    } catch (const LoggerTableError &e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path("Maths.prm")));
    }
    EXPECT_FALSE(table.active());
    table.CloseMathsTables();
    EXPECT_FALSE(QFileInfo::exists(path("Maths.prm")));

    // A load while active drops unsaved memory, never writing it to either file.
    QByteArray card = emptyFile();
    putRecord(card, 0, 1, "Kept", 0, "1");
    load(card);
    table.AddFormula("Unsaved", "2");
    writeAll(path("Second.prm"), emptyFile());
    table.setMathsFileName(path("Second.prm"));
    table.LoadMathsTables();
    EXPECT_EQ(readAll(path("Maths.prm")), card);
    EXPECT_EQ(table.RecordCount(), 0);

    // A failed save keeps the table open and in memory for another try.
    table.AddFormula("F", "1");
    {
        FileSizeLimit full(1000);
        EXPECT_THROW(table.CloseMathsTables(), LoggerTableError);
    }
    EXPECT_TRUE(table.active());
    table.CloseMathsTables();
    QByteArray second = emptyFile();
    putRecord(second, 0, 1, "F", 0, "1");
    EXPECT_EQ(readAll(path("Second.prm")), second);

    // A failed create leaves the card's file whole.
    table.setMathsFileName(path("Maths.prm"));
    {
        FileSizeLimit full(1000);
        EXPECT_THROW(table.CreateMathsTables(), LoggerTableError);
    }
    EXPECT_EQ(readAll(path("Maths.prm")), card);
}

TEST_F(MathsChannelsTest, NameErrorRefusesNamesThatCannotBeFoundAgain)
{
    const std::pair<QString, bool> cases[] = {
        { "Speed", true },
        { "ABCDEFGHIJKLMNOPQRST", true },
        { QStringLiteral("Temp\u00e9rature \u20ac"), true },
        { "ABCDEFGHIJKLMNOPQRSTU", false },
        { "", false },
        { QStringLiteral("Slip \u03a9"), false },
        { QStringLiteral("Smile \U0001F600"), false },
        // Names become column names and lines of tab-separated listings.
        { "Oil\tTemp", false },
        { "Oil\nTemp", false },
        { "Oil\rTemp", false },
        { "Fake\x1b[2KLine", false },
        { "Rubout\x7f", false },
        { QStringLiteral("Next\u0085Line"), false },
        { "Oil, Temp", false },
        { "Oil \"Temp\"", false },
        { "Oil\tTemp that is far too long", false },
    };
    for (const auto &[name, ok] : cases) {
        const QString error = TMathsChannels::NameError(name);
        EXPECT_EQ(error.isEmpty(), ok) << name.toStdString();
        // The message reaches a terminal: it never carries a control character of the name.
        EXPECT_FALSE(std::any_of(error.cbegin(), error.cend(), [](QChar c) {
            return c.category() == QChar::Other_Control;
        })) << error.toStdString();
    }
    const QString percent = QStringLiteral("%2 and %3 make it far too long");
    EXPECT_TRUE(TMathsChannels::NameError(percent).contains(percent));

    // Every accepted name is found again after a save and a load.
    table.CreateMathsTables();
    for (const auto &[name, ok] : cases)
        if (ok)
            table.AddVariable(name, 0, 1);
    table.CloseMathsTables();
    table.LoadMathsTables();
    for (const auto &[name, ok] : cases)
        if (ok)
            table.AddVariable(name, 0, 2);
    EXPECT_EQ(table.VarCount(), 3);
}

} // namespace
