#include "track/widgets/TTrackForm.h"

#include "TrackWindowTesting.h"
#include "track/MapTable.h"
#include "track/widgets/TrackLineList.h"
#include "track/widgets/TrackMapView.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zel;
using namespace zel::testing;

namespace {

const QString kInsideWaiting = QStringLiteral(
    "Inside track map Imported. Now selectec a different lap for the outside track");
const QString kOutsideWaiting = QStringLiteral(
    "Outside track map imported. Now selectec a different lap for the inside track");
const QString kBothEdgesFirst = QStringLiteral(
    "Both the inside and outside track maps must be imported before you can save this file");

TKROTrack::Lines linesOnFile(const QString &path)
{
    TKROTrack track;
    track.setTrackFileName(path);
    track.LoadTrackTable();
    return track.TrackData();
}

bool sameRecord(const TrackLine &a, const TrackLine &b)
{
    return std::memcmp(&a, &b, sizeof(TrackLine)) == 0;
}

class TTrackFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.resize(900, 600);
        form.show();
        QApplication::processEvents();
        plot.replot();
        form.TrackMap().setView({ 0, 1000, 0, 1000 });
        plot.replot();
    }

    template <typename T> T *child(const char *name)
    {
        T *found = form.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void trigger(const char *action) { child<QAction>(action)->trigger(); }
    void press(const char *button) { child<QPushButton>(button)->click(); }
    QListWidget &sectors() { return *child<QListWidget>("CheckListBox2"); }
    QListWidget &messages() { return *child<QListWidget>("CheckListBox1"); }
    void showPage(int page) { child<QTabWidget>("PageControl1")->setCurrentIndex(page); }

    static QStringList texts(const QListWidget &list)
    {
        QStringList found;
        for (int row = 0; row < list.count(); ++row)
            found.append(list.item(row)->text());
        return found;
    }
    static void tick(QListWidget &list, int row, bool on = true)
    {
        list.item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }

    // The pixel of map position \a value, and the whole map units a click there places.
    QPoint pixelOf(QPointF value) { return form.TrackMap().valueToPixel(value).toPoint(); }
    QPointF placedAt(QPoint pixel)
    {
        const QPointF value = form.TrackMap().pixelToValue(pixel);
        return { std::trunc(value.x()), std::trunc(value.y()) };
    }
    QPointF clickMap(QPointF value)
    {
        const QPoint pixel = pixelOf(value);
        QTest::mouseClick(&plot, Qt::LeftButton, {}, pixel);
        return placedAt(pixel);
    }

    QString file(const QString &name) const { return dir.filePath(name); }

    void writeText(const QString &path, const QByteArray &text)
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }

    QTemporaryDir dir;
    ScriptedUserDialogs dialogs;
    TTrackForm form { dialogs, dir.filePath(QStringLiteral("Data")) };
    QCustomPlot &plot = form.TrackMap().plot();
};

} // namespace

TEST_F(TTrackFormTest, SectorLinesAreAddedPlacedSavedAndListedByRecordWhenOpened)
{
    const TKROTrack::Lines untouched = form.KROTrack1.TrackData();
    clickMap({ 500, 500 }); // no ticked sector: nothing happens
    EXPECT_EQ(std::memcmp(&untouched, &form.KROTrack1.TrackData(), sizeof untouched), 0);

    for (int i = 0; i < 3; ++i)
        press("AddSector");
    press("AddLogStart");
    press("AddLogStop");
    EXPECT_EQ(texts(sectors()),
        QStringList({ "Start/Finish", "Sector 1", "Sector 2", "Log Start", "Log Stop" }));
    const QColor colours[]
        = { { 255, 0, 0 }, { 255, 255, 0 }, { 255, 255, 0 }, { 128, 0, 128 }, { 0, 128, 128 } };
    const auto lines = form.TrackMap().lines(TrackLineList::kSectorTag);
    ASSERT_EQ(lines.size(), 5u);
    const int kinds[] = { 1, 2, 2, 3, 4 };
    for (int k = 0; k < 5; ++k) {
        const TrackLine &line = form.KROTrack1.TrackData()[size_t(k)];
        EXPECT_EQ(line.index, k);
        EXPECT_EQ(line.RecType, kinds[k]);
        EXPECT_EQ(lines[size_t(k)]->pen().color(), colours[k]) << k;
        EXPECT_EQ(lines[size_t(k)]->pen().width(), 2);
    }

    // Ticking one entry unticks the other and shows its time and name.
    tick(sectors(), 2);
    tick(sectors(), 1);
    EXPECT_EQ(sectors().item(2)->checkState(), Qt::Unchecked);
    EXPECT_EQ(child<QLabel>("Label5")->text(), "Sector 1");
    child<QDoubleSpinBox>("RxSpinEdit1")->setValue(42.5);
    EXPECT_EQ(form.KROTrack1.TrackData()[1].TargetTime, 42.5);

    const QPointF first = clickMap({ 100.7, 200.2 });
    EXPECT_EQ(lines[1]->start->coords(), first);
    // The second end follows the mouse until it is placed.
    const QPoint moved = pixelOf({ 300, 250 });
    QTest::mouseMove(&plot, moved);
    EXPECT_EQ(lines[1]->end->coords(), placedAt(moved));
    const QPointF second = clickMap({ 400.9, 260.5 });
    const TrackLine &placed = form.KROTrack1.TrackData()[1];
    EXPECT_EQ(QPointF(placed.X1, placed.Y1), first);
    EXPECT_EQ(QPointF(placed.X2, placed.Y2), second);
    EXPECT_DOUBLE_EQ(placed.Slope, (second.y() - first.y()) / (second.x() - first.x()));
    EXPECT_EQ(placed.PointsSet, 2);
    EXPECT_EQ(lines[1]->end->coords(), second);
    EXPECT_EQ(sectors().item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(child<QLabel>("Label5")->text().isEmpty());

    const QString path = file(QStringLiteral("circuit.Prc"));
    dialogs.answerSaveFile(path);
    press("SaveSectorFile");
    const FileDialogRequest &asked = dialogs.shown().last().file;
    EXPECT_EQ(asked.filter, "ZEL Practice Files|*.Prc");
    EXPECT_EQ(asked.defaultExtension, "Prc");
    EXPECT_EQ(asked.initialFolder, file(QStringLiteral("Data")));
    EXPECT_TRUE(asked.confirmOverwrite);
    const TKROTrack::Lines saved = linesOnFile(path);
    for (size_t k = 0; k < saved.size(); ++k)
        ASSERT_TRUE(sameRecord(saved[k], form.KROTrack1.TrackData()[k])) << k;

    dialogs.answerOpenFile(path);
    press("OpenSectorFile");
    EXPECT_EQ(texts(sectors()),
        QStringList(
            { "Start/Finish (Lap)", "Sector Line 1", "Sector Line 2", "Log Start", "Log Stop" }));
    ASSERT_EQ(form.TrackMap().lines(TrackLineList::kSectorTag).size(), 5u);
    EXPECT_EQ(form.TrackMap().lines(TrackLineList::kSectorTag)[1]->end->coords(), second);

    // The next save proposes the file in use.
    dialogs.answerSaveFile(std::nullopt);
    press("SaveSectorFile");
    EXPECT_EQ(dialogs.shown().last().file.initialFileName, path);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackFormTest, MessageLinesTakeTheirTextAndEndWithTheSecondClick)
{
    showPage(1);
    press("AddMessage");
    press("AddMessage");
    EXPECT_EQ(texts(messages()), QStringList({ "Message 0", "Message 1" }));
    const auto lines = form.TrackMap().lines(TrackLineList::kMessageTag);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(lines[1]->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(form.KROMessage.TrackData()[1].RecType, 2);

    tick(messages(), 1);
    EXPECT_EQ(child<QLabel>("Label2")->text(), "Message 1");
    auto *edit = child<QLineEdit>("Edit1");
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("Turn "));
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(edit, &accent);
    QTest::keyClicks(edit, QStringLiteral(" now 123456")); // the 16th and on are refused
    EXPECT_EQ(edit->text(), QStringLiteral("Turn é now 1234"));
    const TrackLine &message = form.KROMessage.TrackData()[1];
    EXPECT_EQ(message.Description.Length, 15);
    EXPECT_EQ(QByteArray(message.Description.Chars, 15), QByteArray("Turn \xe9 now 1234"));

    // A click on the other page places no message end.
    showPage(0);
    clickMap({ 10, 10 });
    EXPECT_EQ(message.PointsSet, 0);
    showPage(1);

    const QPointF first = clickMap({ 50.5, 60.5 });
    const QPointF second = clickMap({ 70.5, 90.5 });
    EXPECT_EQ(QPointF(message.X1, message.Y1), first);
    EXPECT_EQ(QPointF(message.X2, message.Y2), second);
    EXPECT_EQ(message.Slope, 0.0);
    EXPECT_EQ(messages().item(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(child<QLabel>("Label2")->text().isEmpty());

    const TKROTrack::Lines before = form.KROMessage.TrackData();
    clickMap({ 900, 900 });
    clickMap({ 800, 800 });
    EXPECT_EQ(std::memcmp(&before, &form.KROMessage.TrackData(), sizeof before), 0);
    EXPECT_EQ(lines[1]->end->coords(), second);

    // Ticking again shows the stored text; a drag zooms and places nothing.
    tick(messages(), 1);
    EXPECT_EQ(edit->text(), QStringLiteral("Turn é now 1234"));
    QTest::mousePress(&plot, Qt::LeftButton, {}, pixelOf({ 200, 200 }));
    QTest::mouseMove(&plot, pixelOf({ 400, 400 }));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, pixelOf({ 400, 400 }));
    EXPECT_EQ(std::memcmp(&before, &form.KROMessage.TrackData(), sizeof before), 0);

    const QString path = file(QStringLiteral("talk.msg"));
    dialogs.answerSaveFile(path);
    press("SaveMessageFile");
    EXPECT_EQ(dialogs.shown().last().file.filter, "ZEL Message Files|*.msg");
    EXPECT_EQ(dialogs.shown().last().file.defaultExtension, "msg");
    EXPECT_TRUE(dialogs.shown().last().file.initialFolder.isEmpty());
    dialogs.answerOpenFile(path);
    press("OpenMessageFile");
    EXPECT_EQ(texts(messages()), QStringList({ "Message 0", "Message 1" }));
    EXPECT_TRUE(sameRecord(linesOnFile(path)[1], message));
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackFormTest, EntriesEditTheirOwnRecordsAndDeletedRecordsAreReused)
{
    const QString path = file(QStringLiteral("gaps.Prc"));
    {
        TKROTrack track;
        track.TrackData() = {};
        for (int k : { 0, 1, 7 }) {
            TrackLine &line = track.TrackData()[size_t(k)];
            line.index = std::uint8_t(k);
            line.RecType = k == 0 ? kStartFinishLine : kSectorLine;
            line.TargetTime = k + 0.1234;
            line.X1 = k;
        }
        track.setTrackFileName(path);
        track.SaveTrackTable();
    }
    dialogs.answerOpenFile(path);
    press("OpenSectorFile");
    EXPECT_EQ(
        texts(sectors()), QStringList({ "Start/Finish (Lap)", "Sector Line 1", "Sector Line 7" }));

    auto *time = child<QDoubleSpinBox>("RxSpinEdit1");
    tick(sectors(), 2);
    EXPECT_DOUBLE_EQ(time->value(), 7.123);
    // Showing the time does not store it back rounded.
    EXPECT_EQ(form.KROTrack1.TrackData()[7].TargetTime, 7.1234);
    time->setValue(30);
    EXPECT_EQ(form.KROTrack1.TrackData()[7].TargetTime, 30.0);
    EXPECT_EQ(form.KROTrack1.TrackData()[2].TargetTime, 0.0);

    tick(sectors(), 1);
    press("DeleteSector");
    EXPECT_EQ(texts(sectors()), QStringList({ "Start/Finish (Lap)", "Sector Line 7" }));
    EXPECT_EQ(form.TrackMap().lines(TrackLineList::kSectorTag).size(), 2u);
    EXPECT_TRUE(sameRecord(form.KROTrack1.TrackData()[1], TrackLine {}));
    press("DeleteSector"); // nothing ticked
    EXPECT_EQ(sectors().count(), 2);

    press("AddSector");
    EXPECT_EQ(texts(sectors()).last(), "Sector 2");
    EXPECT_EQ(form.KROTrack1.TrackData()[1].RecType, kSectorLine);
    EXPECT_EQ(form.KROTrack1.TrackData()[1].index, 1);
    EXPECT_EQ(form.KROTrack1.TrackData()[7].RecType, kSectorLine);

    dialogs.answerSaveFile(path);
    press("SaveSectorFile");
    dialogs.answerOpenFile(path);
    press("OpenSectorFile");
    EXPECT_EQ(
        texts(sectors()), QStringList({ "Start/Finish (Lap)", "Sector Line 1", "Sector Line 7" }));
    EXPECT_EQ(linesOnFile(path)[7].TargetTime, 30.0);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackFormTest, AddingToAFullLineFileIsRefused)
{
    struct Case
    {
        const char *open;
        const char *add;
        const char *list;
        int kind;
    };
    for (const Case &c : { Case { "OpenSectorFile", "AddSector", "CheckListBox2", kSectorLine },
             Case { "OpenMessageFile", "AddMessage", "CheckListBox1", 2 } }) {
        const QString path = file(QLatin1String(c.open));
        writeLineFile(path, std::vector<int>(TKROTrack::kLineCount, c.kind));
        dialogs.answerOpenFile(path);
        press(c.open);
        const qsizetype shown = dialogs.shown().size();
        press(c.add);
        ASSERT_EQ(dialogs.shown().size(), shown + 1) << c.add;
        EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
        EXPECT_EQ(child<QListWidget>(c.list)->count(), TKROTrack::kLineCount);
    }
}

TEST_F(TTrackFormTest, LapImportsAskForTheOtherEdgeAndTidyOnceBothCame)
{
    struct Case
    {
        TrackSide first;
        QString waiting;
    };
    for (const Case &c : { Case { TrackSide::Inside, kInsideWaiting },
             Case { TrackSide::Outside, kOutsideWaiting } }) {
        TTrackForm editor { dialogs, file(QStringLiteral("Data")) };
        const auto import = [&editor](TrackSide side, const RecordTable &lap) {
            if (side == TrackSide::Inside)
                editor.ImportinsidefromSelectedLap(lap);
            else
                editor.ImportOutsidefromSelectedLap(lap);
        };
        const TrackSide other
            = c.first == TrackSide::Inside ? TrackSide::Outside : TrackSide::Inside;
        GridLogs logs;
        import(c.first, logs.add(120).LogData());
        auto *status = editor.findChild<QLabel *>(QStringLiteral("Label6"));
        EXPECT_EQ(status->text(), c.waiting);
        const auto *bar = editor.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        EXPECT_EQ(bar->maximum(), 120);
        EXPECT_EQ(bar->value(), 120);

        // The same edge again replaces it and still waits for the other.
        import(c.first, logs.add(120, 5).LogData());
        EXPECT_EQ(status->text(), c.waiting);
        EXPECT_EQ(editor.MapTable.recordCount(), 120);

        const qsizetype shown = dialogs.shown().size();
        editor.findChild<QAction *>(QStringLiteral("SaveTrackFile1"))->trigger();
        ASSERT_EQ(dialogs.shown().size(), shown + 1);
        EXPECT_EQ(dialogs.shown().last().text, kBothEdgesFirst);

        import(other, logs.add(118, 1000).LogData());
        EXPECT_TRUE(status->text().isEmpty());
        EXPECT_EQ(editor.MapTable.recordCount(), 118);
        EXPECT_EQ(editor.TrackMap().edgePointCount(0), 118);
        dialogs.answerSaveFile(file(QStringLiteral("lap.map")));
        editor.findChild<QAction *>(QStringLiteral("SaveTrackFile1"))->trigger();
        EXPECT_TRUE(QFile::exists(file(QStringLiteral("lap.map"))));
        QFile::remove(file(QStringLiteral("lap.map")));
    }
    // A lap without GPS columns is reported and leaves the map alone.
    RecordTable noGps;
    noGps.addColumn(QStringLiteral("ReadingID"), ColumnType::Integer);
    noGps.open();
    form.ImportinsidefromSelectedLap(noGps);
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
    EXPECT_FALSE(form.MapTable.isOpen());
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackFormTest, PathImportsFillTheViewAndWaitForClearingAfterAMapIsOpened)
{
    dialogs.answerSaveFile(file(QStringLiteral("never.map")));
    trigger("SaveTrackFile1");
    EXPECT_EQ(dialogs.shown().last().text, "There is no track map to save");
    EXPECT_EQ(dialogs.pendingAnswers(), 1);
    dialogs = ScriptedUserDialogs();

    const QString path = file(QStringLiteral("inside.txt"));
    writeText(path,
        "<kml><coordinates>\n151.2093,-33.8688,0 151.2101,-33.8690,0\n151.2110,-33.8700,0"
        "</coordinates></kml>\n");
    dialogs.answerOpenFile(path);
    trigger("ImportInsidefromGooglePathFile1");
    EXPECT_EQ(dialogs.shown().last().file.filter, "Text File|*.txt");
    EXPECT_EQ(dialogs.shown().last().file.defaultExtension, "Txt");
    EXPECT_EQ(form.TrackMap().edgePointCount(0), 4);
    const MapRange view = form.TrackMap().view();
    EXPECT_LE(view.minX, 151209300);
    EXPECT_GE(view.maxX, 151211000);
    EXPECT_LE(view.minY, -33870000);
    EXPECT_GE(view.maxY, -33868800);
    EXPECT_LT(view.maxX - view.minX, 10000); // the box, not the old view widened to it

    const QString saved = file(QStringLiteral("inside.map"));
    dialogs.answerSaveFile(saved);
    trigger("SaveTrackFile1");
    EXPECT_EQ(dialogs.shown().last().file.filter, "ZEL Map Files|*.map");
    RecordTable map;
    defineMapTable(map);
    loadMapFile(map, saved);
    ASSERT_EQ(map.recordCount(), 4);
    for (map.First(); !map.eof(); map.Next()) {
        EXPECT_NE(map.fieldByName(MapColumn::InsideLong).asReal(), 0);
        EXPECT_EQ(map.fieldByName(MapColumn::OutsideLong).asReal(), 0);
        EXPECT_EQ(map.fieldByName(MapColumn::OutsideLat).asReal(), 0);
    }

    trigger("ClearCurrentTrack1");
    EXPECT_EQ(form.TrackMap().edgePointCount(0), 0);
    dialogs.answerOpenFile(saved);
    trigger("OpenTrackFile1");
    EXPECT_EQ(dialogs.shown().last().file.filter, "ZEL Map Files|*.Map");
    EXPECT_EQ(dialogs.shown().last().file.defaultExtension, "*.Map");
    EXPECT_EQ(form.TrackMap().edgePointCount(0), 4);
    for (const char *name :
        { "ImportInsidefromGooglePathFile1", "ImportOutsidefromGooglePathFile1" })
        EXPECT_FALSE(child<QAction>(name)->isEnabled()) << name;
    trigger("ClearCurrentTrack1");
    EXPECT_FALSE(form.MapTable.isOpen());
    for (const char *name :
        { "ImportInsidefromGooglePathFile1", "ImportOutsidefromGooglePathFile1" })
        EXPECT_TRUE(child<QAction>(name)->isEnabled()) << name;
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST_F(TTrackFormTest, BadFilesAreReportedAndChangeNothing)
{
    // A path file without points changes neither the map nor the view, and says so.
    const MapRange shown = form.TrackMap().view();
    const QString empty = file(QStringLiteral("empty.txt"));
    writeText(empty, "<kml><name>Lap 2</name></kml>\n");
    dialogs.answerOpenFile(empty);
    trigger("ImportInsidefromGooglePathFile1");
    EXPECT_EQ(form.TrackMap().view(), shown);
    EXPECT_FALSE(form.MapTable.isOpen());
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].kind, DialogKind::Warning);
    EXPECT_TRUE(dialogs.shown()[1].text.contains(QStringLiteral("holds no points")));

    // A coordinate that is not a number: the points before it stay.
    const QString path = file(QStringLiteral("broken.txt"));
    writeText(path, "<coordinates>\n151.2093,-33.8688,0 151.2101,-33.8690,0 1.2.3,-33.0,0\n");
    dialogs.answerOpenFile(path);
    trigger("ImportOutsidefromGooglePathFile1");
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
    EXPECT_EQ(form.TrackMap().edgePointCount(1), 2);

    // Not a map: the map stays and the path imports stay enabled.
    const QString notMap = file(QStringLiteral("bad.map"));
    writeText(notMap, "not a map");
    dialogs.answerOpenFile(notMap);
    trigger("OpenTrackFile1");
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
    EXPECT_EQ(form.TrackMap().edgePointCount(1), 2);
    EXPECT_TRUE(child<QAction>("ImportInsidefromGooglePathFile1")->isEnabled());

    // A line file that cannot be read keeps the list and the file name in use.
    const QString lines = file(QStringLiteral("lines.Prc"));
    writeLineFile(lines, { 1, 2 });
    dialogs.answerOpenFile(lines);
    press("OpenSectorFile");
    dialogs.answerOpenFile(file(QStringLiteral("gone.Prc")));
    press("OpenSectorFile");
    EXPECT_EQ(dialogs.shown().last().kind, DialogKind::Error);
    EXPECT_EQ(sectors().count(), 2);
    EXPECT_EQ(form.KROTrack1.TrackFileName(), lines);
}

TEST_F(TTrackFormTest, ClosingDiscardsTheMapAndTheLinesWithoutAsking)
{
    GridLogs logs;
    form.ImportinsidefromSelectedLap(logs.add(20).LogData());
    writeLineFile(file(QStringLiteral("lines.Prc")), { 1, 2 });
    dialogs.answerOpenFile(file(QStringLiteral("lines.Prc")));
    press("OpenSectorFile");
    showPage(1);
    press("AddMessage");
    tick(messages(), 0);
    clickMap({ 10, 10 }); // a message line half placed

    QSignalSpy closed(&form, &TTrackForm::closed);
    form.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(sectors().count(), 0);
    EXPECT_EQ(messages().count(), 0);
    EXPECT_EQ(plot.itemCount(), 0);
    EXPECT_FALSE(form.MapTable.isOpen());
    EXPECT_FALSE(form.KROTrack1.active());
    EXPECT_EQ(form.KROTrack1.TrackData()[0].RecType, 0);
    EXPECT_EQ(form.KROMessage.TrackData()[0].RecType, 0);
    EXPECT_TRUE(child<QLabel>("Label6")->text().isEmpty());

    // Shown again, the window starts afresh: a new line takes record 0 and the first
    // click places its first end.
    form.show();
    press("AddMessage");
    EXPECT_EQ(texts(messages()), QStringList({ "Message 0" }));
    tick(messages(), 0);
    clickMap({ 20, 20 });
    EXPECT_EQ(form.KROMessage.TrackData()[0].X2, 0.0);
    EXPECT_EQ(dialogs.shown().size(), 1); // the open dialog only
}
