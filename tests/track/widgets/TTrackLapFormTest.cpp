#include "TrackWindowTesting.h"

#include "track/MapTable.h"
#include "track/widgets/TTrackLapForm.h"
#include "track/widgets/TrackMapView.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QFile>
#include <cmath>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zel;
using namespace zel::testing;

namespace {

class TTrackLapFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.resize(600, 500);
        form.show();
    }

    void trigger(const char *action)
    {
        QAction *found = form.findChild<QAction *>(QLatin1String(action));
        ASSERT_NE(found, nullptr) << action;
        found->trigger();
    }

    QString file(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedUserDialogs dialogs;
    TTrackLapForm form { dialogs, dir.filePath(QStringLiteral("Data")) };
    QCustomPlot &plot = form.TrackMap().plot();
};

} // namespace

TEST_F(TTrackLapFormTest, RaceLinesShowOncePerLapAndGoAgain)
{
    GridLogs logs;
    logs.add(30);
    logs.add(20, 1000);
    logs.add(10, 2000);
    form.AddRaceline(logs.grid, 1, Qt::blue);
    form.AddRaceline(logs.grid, 1, Qt::red); // the same lap again
    form.AddRaceline(logs.grid, 4, Qt::red); // no log in that column
    form.AddRaceline(logs.grid, 0, Qt::red);
    EXPECT_EQ(plot.plottableCount(), 3);
    const auto *first = qobject_cast<QCPCurve *>(plot.plottable(2));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->dataCount(), 30);
    // Each point a disc of 2 by 2 pixels in the lap's colour.
    const QPixmap disc = first->scatterStyle().pixmap();
    EXPECT_EQ(disc.size(), QSize(2, 2));
    EXPECT_EQ(disc.toImage().pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_EQ(first->lineStyle(), QCPCurve::lsNone);

    form.AddRaceline(logs.grid, 2, Qt::green);
    form.AddRaceline(logs.grid, 3, Qt::cyan);
    EXPECT_EQ(plot.plottableCount(), 5);
    form.RemoveRaceline(logs.grid, 2);
    EXPECT_EQ(plot.plottableCount(), 4);
    EXPECT_EQ(form.TrackMap().raceLineCount(), 2);

    // A race line keeps its points when its log goes (the main window frees logs when it
    // clears them), and the freed table's address is not taken for a shown lap later.
    logs.logs[0].reset();
    form.TrackMap().replot();
    form.Removelines();
    EXPECT_EQ(plot.plottableCount(), 2);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(TTrackLapFormTest, OpensAMapAndASectorFileWithTheViewersLineColours)
{
    RecordTable map;
    defineMapTable(map);
    map.open();
    for (int k = 1; k <= 4; ++k) {
        map.Append();
        map.fieldByName(MapColumn::ReadingID).setInteger(k);
        map.fieldByName(MapColumn::InsideLong).setReal(1000 + 10 * k);
        map.fieldByName(MapColumn::InsideLat).setReal(2000 + (k % 2) * 10);
        map.fieldByName(MapColumn::OutsideLong).setReal(1000 + 12 * k);
        map.fieldByName(MapColumn::OutsideLat).setReal(2020 + (k % 2) * 10);
        map.Post();
    }
    saveMapFile(map, file(QStringLiteral("circuit.map")));
    dialogs.answerOpenFile(file(QStringLiteral("circuit.map")));
    trigger("OpenTrackFile1");
    EXPECT_EQ(form.TrackMap().edgePointCount(0), 4);
    EXPECT_EQ(form.TrackMap().edgePointCount(1), 4);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].file.filter, "ZEL Map Files|*.Map");
    EXPECT_EQ(dialogs.shown()[0].file.defaultExtension, "*.Map");
    EXPECT_EQ(dialogs.shown()[0].file.initialFolder, file(QStringLiteral("Data")));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("Data"))).isDir());

    writeLineFile(file(QStringLiteral("lines.Prc")), { 1, 2, 4, 0, 3 });
    dialogs.answerOpenFile(file(QStringLiteral("lines.Prc")));
    trigger("OpenSectorFile1");
    EXPECT_EQ(dialogs.shown().last().file.filter, "ZEL Practice Files|*.Prc");
    const auto lines = form.TrackMap().lines(1);
    ASSERT_EQ(lines.size(), 4u);
    const QColor expected[] = { { 255, 0, 0 }, { 255, 255, 0 }, { 0, 0, 255 }, { 0, 128, 0 } };
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]->pen().color(), expected[i]) << i;
        EXPECT_EQ(lines[i]->pen().width(), 2) << i;
    }
    EXPECT_EQ(lines[1]->start->coords(), QPointF(10, 20));
    EXPECT_EQ(lines[1]->end->coords(), QPointF(15, 25));

    // Another sector file replaces the lines.
    writeLineFile(file(QStringLiteral("other.Prc")), { 1 });
    dialogs.answerOpenFile(file(QStringLiteral("other.Prc")));
    trigger("OpenSectorFile1");
    EXPECT_EQ(form.TrackMap().lines(1).size(), 1u);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackLapFormTest, AFileThatIsNotAMapIsReportedAndTheMapStays)
{
    GridLogs logs;
    logs.add(5);
    form.AddRaceline(logs.grid, 1, Qt::blue);
    QFile bad(file(QStringLiteral("bad.map")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a map");
    bad.close();
    dialogs.answerOpenFile(bad.fileName());
    trigger("OpenTrackFile1");
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].kind, DialogKind::Error);
    EXPECT_EQ(form.TrackMap().raceLineCount(), 1);

    dialogs.answerOpenFile(file(QStringLiteral("missing.Prc")));
    trigger("OpenSectorFile1");
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
    EXPECT_TRUE(form.TrackMap().lines(1).empty());
}

TEST_F(TTrackLapFormTest, TheMapKeepsTheGroundsShapeAndConvertsPixelsBothWays)
{
    GridLogs logs;
    logs.add(100); // ten times as wide as tall in map units
    form.AddRaceline(logs.grid, 1, Qt::blue);
    plot.replot();
    const QRect area = plot.axisRect()->rect();
    // At 33 degrees south a degree of longitude is cos 33 of one of latitude on the ground.
    const double perPixelX = plot.xAxis->range().size() / area.width();
    const double perPixelY = plot.yAxis->range().size() / area.height();
    EXPECT_NEAR(perPixelX * std::cos(33.0 * M_PI / 180.0) / perPixelY, 1.0, 1e-4);
    // Everything stays in view.
    EXPECT_LE(plot.xAxis->range().lower, 151000000);
    EXPECT_GE(plot.xAxis->range().upper, 151000990);

    const QPointF position(151000500, -32999800);
    const QPointF pixel = form.TrackMap().valueToPixel(position);
    EXPECT_TRUE(form.TrackMap().insidePlot(pixel));
    const QPointF back = form.TrackMap().pixelToValue(pixel);
    EXPECT_NEAR(back.x(), position.x(), 1e-6);
    EXPECT_NEAR(back.y(), position.y(), 1e-6);

    // Resizing keeps the scale even.
    form.resize(900, 400);
    QApplication::processEvents();
    plot.replot();
    const QRect resized = plot.axisRect()->rect();
    EXPECT_NEAR(plot.xAxis->range().size() / resized.width() * std::cos(33.0 * M_PI / 180.0)
            / (plot.yAxis->range().size() / resized.height()),
        1.0, 1e-4);
}
