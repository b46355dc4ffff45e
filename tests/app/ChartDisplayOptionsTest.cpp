#include "app/ChannelChart.h"
#include "app/ProgramStart.h"
#include "app/TfrmSetChart.h"
#include "session/ChartColours.h"
#include "session/LogColours.h"
#include "session/SessionColumns.h"
#include "ui/ColourBox.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <qcustomplot.h>

using namespace zel;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A session log with the channels RPM (1000, 2000, 3000) and Speed (10, 20, 30).
void writeLog(const QString &path)
{
    RecordTable table;
    SessionColumns::defineFixedColumns(table);
    table.addColumn("RPM", ColumnType::Real);
    table.addColumn("Speed", ColumnType::Real);
    table.open();
    for (int reading = 1; reading <= 3; ++reading) {
        table.Append();
        table.fieldByName("RecordType").setInteger(SessionColumns::kDataRow);
        table.fieldByName("ReadingID").setInteger(reading);
        table.fieldByName("LapID").setInteger(reading);
        table.fieldByName("RPM").setReal(1000 * reading);
        table.fieldByName("Speed").setReal(10 * reading);
        table.Post();
    }
    table.saveToFile(path);
}

// What the tests enter in the dialog.
struct Entered
{
    QString minimum = "0";
    QString maximum = "8000";
    double divisions = 8;
    QColor plot = Qt::red;
    QColor axis = Qt::yellow;
    QColor background = QColor(0, 0, 128);
    QColor grid = Qt::green;
    bool horizontalGrid = false;
    bool verticalGrid = true;
};

class ChartDisplayOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QDir(program.path()).mkpath("Data");
        writeLog(file("Data/c.kro"));
    }
    void TearDown() override
    {
        started = {};
        qunsetenv("XDG_DATA_HOME");
    }

    // Starts the program afresh with \a logs logs open.
    void start(int logs)
    {
        started = {};
        started = startProgram(program.path(), dialogs, folderWritable, [](const QString &) {});
        for (int i = 0; i < logs; ++i) {
            dialogs.answerOpenFile(file("Data/c.kro"));
            action("OpenLogFile1")->trigger();
        }
    }

    QString file(const QString &name) const { return QDir(program.path()).filePath(name); }
    QString templateFile() const { return file("DefaultAxis.axt"); }
    TMainForm &window() { return *started.window; }
    ChannelChart &chart() { return window().chart(); }
    QCustomPlot &plot() { return *window().findChild<QCustomPlot *>("LogChart"); }
    QAction *action(const char *name) { return window().findChild<QAction *>(name); }
    int rpm() { return window().StringGrid1().rowOfName("RPM"); }

    void choose(int c, int r)
    {
        auto &grid = *window().findChild<QTableView *>("StringGrid1");
        grid.setCurrentIndex(grid.model()->index(r, c));
    }
    void chartCell(int c, int r)
    {
        choose(c, r);
        action("AddtoChart1")->trigger();
    }

    // Opens "Set Display Options" on cell (c, r); \a answer works the dialog while it shows
    // and must close it.
    void displayOptions(int c, int r, std::function<void(TfrmSetChart &)> answer)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TfrmSetChart *>(QApplication::activeModalWidget());
            if (!form)
                return;
            shown = true;
            answer(*form);
        });
        choose(c, r);
        action("SetChartSpan1")->trigger();
        EXPECT_TRUE(shown);
    }
    void enter(int c, int r, const Entered &values, const char *button)
    {
        displayOptions(c, r, [&](TfrmSetChart &form) {
            form.MinCalc->setText(values.minimum);
            form.MaxCalc->setText(values.maximum);
            form.RxSpinEdit1->setValue(values.divisions);
            form.ColorBox1->setColour(values.plot);
            form.ColorBox2->setColour(values.axis);
            form.ColorBox3->setColour(values.background);
            form.ColorBox4->setColour(values.grid);
            form.CheckBox2->setChecked(values.horizontalGrid);
            form.CheckBox1->setChecked(values.verticalGrid);
            form.findChild<QPushButton *>(button)->click();
        });
    }

    void expectAutomaticWhiteAxis(int c, int r)
    {
        const ChartAxisStyle &style = chart().axisOf(r)->style;
        EXPECT_FALSE(style.fixedRange.has_value());
        EXPECT_EQ(style.step, 0);
        EXPECT_EQ(style.labelColour, QColor(Qt::white));
        EXPECT_EQ(chart().seriesOf(c, r)->colour, QColor::fromRgb(logColour(c)));
    }
    void expectEntered(int c, int r)
    {
        const ChartAxis &axis = *chart().axisOf(r);
        ASSERT_TRUE(axis.style.fixedRange.has_value());
        EXPECT_EQ(axis.style.fixedRange->lower, 0);
        EXPECT_EQ(axis.style.fixedRange->upper, 8000);
        EXPECT_EQ(axis.style.step, 1000);
        EXPECT_TRUE(axis.style.showGrid);
        EXPECT_EQ(axis.style.labelColour, QColor(Qt::yellow));
        EXPECT_EQ(axis.style.gridColour, QColor(Qt::green));
        EXPECT_EQ(chart().seriesOf(c, r)->colour, QColor(Qt::red));
        plot().replot();
        EXPECT_EQ(axis.axis->tickVector(),
            QVector<double>({ 0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000 }));
    }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (const ShownDialog &shown : dialogs.shown())
            texts << shown.text;
        return texts;
    }

    QTemporaryDir program, home;
    ScriptedUserDialogs dialogs;
    Program started;
};

} // namespace

TEST_F(ChartDisplayOptionsTest, OkAppliesToTheChartOnlyAndReopeningShowsTheDivisions)
{
    start(1);
    chartCell(1, rpm());
    displayOptions(1, rpm(), [](TfrmSetChart &form) {
        EXPECT_EQ(form.Label3->text(), "RPM");
        EXPECT_EQ(form.MinCalc->text(), "1000");
        EXPECT_EQ(form.MaxCalc->text(), "3000");
        EXPECT_EQ(form.RxSpinEdit1->value(), 0);
        EXPECT_EQ(form.ColorBox1->colour(), QColor::fromRgb(logColour(1)));
        EXPECT_TRUE(form.CheckBox2->isChecked());
        EXPECT_EQ(form.ColorBox3->colour(), QColor(Qt::black));
        EXPECT_TRUE(form.testAttribute(Qt::WA_WState_Visible));
        EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_GE(form.width(), 456);
        EXPECT_GE(form.height(), 232);
        form.BitBtn2->click();
    });
    enter(1, rpm(), Entered {}, "BitBtn1");
    expectEntered(1, rpm());
    EXPECT_FALSE(plot().xAxis->visible());
    EXPECT_EQ(plot().axisRect()->backgroundBrush().color(), QColor(0, 0, 128));
    EXPECT_EQ(plot().xAxis->tickLabelColor(), QColor(Qt::yellow));
    EXPECT_EQ(plot().xAxis->grid()->pen().color(), QColor(Qt::green));

    displayOptions(1, rpm(), [](TfrmSetChart &form) {
        EXPECT_EQ(form.MinCalc->text(), "0");
        EXPECT_EQ(form.MaxCalc->text(), "8000");
        EXPECT_EQ(form.RxSpinEdit1->value(), 8);
        EXPECT_EQ(form.ColorBox1->colour(), QColor(Qt::red));
        EXPECT_EQ(form.ColorBox2->colour(), QColor(Qt::yellow));
        EXPECT_EQ(form.ColorBox3->colour(), QColor(0, 0, 128));
        EXPECT_EQ(form.ColorBox4->colour(), QColor(Qt::green));
        EXPECT_FALSE(form.CheckBox2->isChecked());
        EXPECT_TRUE(form.CheckBox1->isChecked());
        form.BitBtn2->click();
    });
    expectEntered(1, rpm());
    EXPECT_FALSE(QFile::exists(templateFile()));

    start(1);
    chartCell(1, rpm());
    expectAutomaticWhiteAxis(1, rpm());
    EXPECT_EQ(window().chartColours(), ChartColours {});
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(ChartDisplayOptionsTest, SavePerminatlyStoresPresetsForItsLogColumnOnly)
{
    start(2);
    chartCell(1, rpm());
    enter(1, rpm(), Entered {}, "BitBtn3");
    expectEntered(1, rpm());

    RecordTable stored;
    stored.loadFromFile(templateFile());
    ASSERT_EQ(stored.recordCount(), 2);
    ASSERT_TRUE(stored.Locate("ChannelName;LogIndex", { "GLOBAL", 0 }));
    EXPECT_FALSE(stored.fieldByName("BottomGrid").asBoolean());
    // Colours are stored as 0x00BBGGRR.
    EXPECT_EQ(stored.fieldByName("BackColour").asInteger(), 0x800000);
    EXPECT_EQ(stored.fieldByName("AxisColour").asInteger(), 0x00FFFF);
    EXPECT_EQ(stored.fieldByName("GridColour").asInteger(), 0x00FF00);
    EXPECT_EQ(stored.fieldByName("FileVersion").asInteger(), 1);
    EXPECT_EQ(stored.fieldByName("LineWidth").asInteger(), 0);
    ASSERT_TRUE(stored.Locate("ChannelName;LogIndex", { "RPM", 1 }));
    EXPECT_EQ(stored.fieldByName("Minimum").asReal(), 0);
    EXPECT_EQ(stored.fieldByName("Maximum").asReal(), 8000);
    EXPECT_EQ(stored.fieldByName("Increment").asReal(), 8);
    EXPECT_EQ(stored.fieldByName("Colour").asInteger(), 0x0000FF);
    EXPECT_TRUE(stored.fieldByName("LeftGrid").asBoolean());
    EXPECT_EQ(stored.fieldByName("FileVersion").asInteger(), 1);

    // Column 2 is charted first after the restart: its axis and series keep the automatic
    // look; column 1's series then takes its stored colour.
    start(2);
    EXPECT_EQ(window().chartColours(), (ChartColours { false, 0x000080, 0x00FF00 }));
    chartCell(2, rpm());
    expectAutomaticWhiteAxis(2, rpm());
    chartCell(1, rpm());
    EXPECT_EQ(chart().seriesOf(1, rpm())->colour, QColor(Qt::red));

    action("Clearalllogs1")->trigger();
    dialogs.answerOpenFile(file("Data/c.kro"));
    action("OpenLogFile1")->trigger();
    chartCell(1, rpm());
    expectEntered(1, rpm());

    // Storing again rewrites the same two rows.
    Entered changed;
    changed.maximum = "4000";
    enter(1, rpm(), changed, "BitBtn3");
    stored.loadFromFile(templateFile());
    EXPECT_EQ(stored.recordCount(), 2);
    ASSERT_TRUE(stored.Locate("ChannelName;LogIndex", { "RPM", 1 }));
    EXPECT_EQ(stored.fieldByName("Maximum").asReal(), 4000);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(ChartDisplayOptionsTest, RangesThatCannotBeUsedAreRefusedAndNothingChanges)
{
    start(1);
    chartCell(1, rpm());
    const struct
    {
        const char *minimum;
        const char *maximum;
    } cases[] = {
        { "5", "5" }, { "8000", "0" }, { "nan", "1" }, { "0", "inf" }, { "", "1" },
        { "-1e308", "1e308" }, // the span itself is not finite
    };
    for (const auto &refused : cases) {
        SCOPED_TRACE(std::string(refused.minimum) + ".." + refused.maximum);
        Entered values;
        values.minimum = refused.minimum;
        values.maximum = refused.maximum;
        const qsizetype before = dialogs.shown().size();
        enter(1, rpm(), values, "BitBtn3");
        EXPECT_EQ(shownTexts().mid(before), QStringList { "Minimum must be less than Maximum" });
        expectAutomaticWhiteAxis(1, rpm());
        EXPECT_TRUE(plot().xAxis->visible());
    }
    EXPECT_FALSE(QFile::exists(templateFile()));

    // Cancel with a range that could not be used has nothing to refuse.
    const qsizetype before = dialogs.shown().size();
    Entered values;
    values.minimum = "9";
    values.maximum = "1";
    enter(1, rpm(), values, "BitBtn2");
    EXPECT_EQ(dialogs.shown().size(), before);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(ChartDisplayOptionsTest, TemplateRowsThatCannotBeUsedAreIgnoredOrClamped)
{
    const struct
    {
        double minimum;
        double maximum;
        double increment;
        bool used;
        double step;
    } cases[] = {
        { kNaN, 10, 0, false, 0 }, { 10, 5, 0, false, 0 }, { 5, 5, 0, false, 0 },
        { 0, kInf, 0, false, 0 }, { -1e308, 1e308, 0, false, 0 }, { 0, 10, kNaN, false, 0 },
        { 0, 8000, 1e9, true, 8 }, // clamped to 1000 divisions
        { 0, 8000, -4, true, 0 },
        { 1e17, 1e17 + 1024, 1000, true, 0 }, // ticks too far from 0 to count: automatic
    };
    for (const auto &preset : cases) {
        SCOPED_TRACE(QString("%1..%2 / %3")
                         .arg(preset.minimum)
                         .arg(preset.maximum)
                         .arg(preset.increment)
                         .toStdString());
        RecordTable axes;
        defineAxisTemplateColumns(axes);
        axes.open();
        axes.Append();
        axes.fieldByName("ChannelName").setText("RPM");
        axes.fieldByName("LogIndex").setInteger(1);
        axes.fieldByName("Minimum").setReal(preset.minimum);
        axes.fieldByName("Maximum").setReal(preset.maximum);
        axes.fieldByName("Increment").setReal(preset.increment);
        axes.fieldByName("Colour").setInteger(0x0000FF);
        axes.Post();
        axes.saveToFile(templateFile());

        start(1);
        chartCell(1, rpm());
        plot().replot();
        const ChartAxis &axis = *chart().axisOf(rpm());
        EXPECT_EQ(axis.style.fixedRange.has_value(), preset.used);
        EXPECT_EQ(axis.style.step, preset.step);
        EXPECT_LE(axis.axis->tickVector().size(), 1001);
        EXPECT_EQ(chart().seriesOf(1, rpm())->colour,
            preset.used ? QColor(Qt::red) : QColor::fromRgb(logColour(1)));
    }
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}
