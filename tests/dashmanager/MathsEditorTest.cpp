#include "dashmanager/MathsEditor.h"

#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/TMathsChannels.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

/// What the card's "Maths.prm" holds on disk: "name=formula" per channel, then
/// "$name=value" per variable.
QStringList mathsOnDisk(const QString &root)
{
    TMathsChannels maths;
    maths.setMathsFileName(CardPaths(root).mathsFile());
    maths.LoadMathsTables();
    QStringList entries;
    for (int i = 0; i < maths.RecordCount(); ++i)
        entries << maths.record(i).name() + u'=' + maths.record(i).formulaText();
    for (int j = 0; j < maths.VarCount(); ++j) {
        const MathsRecord &record = maths.record(TMathsChannels::kVariableBase + j);
        entries << u'$' + record.name() + u'=' + QString::number(record.Value);
    }
    maths.ReleaseMathsTables();
    return entries;
}

/// The repository file's entries as "name=formula".
QStringList repositoryOnDisk(const QString &path)
{
    RecordTable table;
    table.loadFromFile(path);
    QStringList entries;
    for (table.First(); !table.eof(); table.Next()) {
        entries << table.fieldByName("FormulaName").asText() + u'='
                + table.fieldByName("Formula").asText();
    }
    return entries;
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

/// Double-clicks the cell at \a index as a user does: press, release, double click.
void doubleClick(QAbstractItemView *view, const QModelIndex &index)
{
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

void click(QAbstractItemView *view, const QModelIndex &index)
{
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

class MathsEditorTest : public LoggerConfigTest
{
protected:
    void SetUp() override
    {
        LoggerConfigTest::SetUp();
        root = temp.filePath("card");
        DemoCard().write(root);
        drives.rootList << root;
    }

    /// Opens the window and selects the demo card.
    void openWithCard()
    {
        window = std::make_unique<TfrmLoggerConfig>(
            data, dialogs, drives, program, [](const QString &) {});
        window->show();
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        box->setCurrentIndex(box->findData(root));
        ASSERT_TRUE(window->CardSettingsLoaded());
    }

    template <typename T> T *child(const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton *button(const char *name) { return child<QPushButton>(name); }
    QLineEdit *edit(const char *name) { return child<QLineEdit>(name); }
    QPlainTextEdit *source() { return child<QPlainTextEdit>("MathDefinitionSource"); }
    QListWidget *list(const char *name) { return child<QListWidget>(name); }
    QTableWidget *variables() { return child<QTableWidget>("GlobalVariables"); }
    int caret() { return source()->textCursor().position(); }

    void setSource(const QString &text, int caretAt)
    {
        source()->setPlainText(text);
        QTextCursor cursor = source()->textCursor();
        cursor.setPosition(std::min(caretAt, int(text.size())));
        source()->setTextCursor(cursor);
    }
    void saveChannel(const QString &name, const QString &text)
    {
        edit("MathChannelName")->setText(name);
        source()->setPlainText(text);
        button("SaveChannel")->click();
    }
    void saveVariable(const QString &name, const QString &value)
    {
        edit("VariableName")->setText(name);
        edit("InitialValue")->setText(value);
        button("SaveVariable")->click();
    }
    /// Runs "Test Code" and gives the message it showed.
    QString testCode()
    {
        const qsizetype before = dialogs.shown().size();
        button("TestCode")->click();
        for (qsizetype i = before; i < dialogs.shown().size(); ++i) {
            if (dialogs.shown()[i].kind == DialogKind::Information)
                return dialogs.shown()[i].text;
        }
        return {};
    }
    QString lastError() const
    {
        for (qsizetype i = dialogs.shown().size() - 1; i >= 0; --i) {
            if (dialogs.shown()[i].kind == DialogKind::Error)
                return dialogs.shown()[i].text;
        }
        return {};
    }
    QString repositoryFile() const { return QDir(program).filePath("Data/FormulaRep.rep"); }

    QString root;
};

TEST_F(MathsEditorTest, ChannelsAreSavedTestedAndRemovedOnTheCard)
{
    openWithCard();
    saveChannel("Power", "2*3");
    saveChannel("Torque", "Power/2");
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "Power=2*3", "Torque=Power/2" }));
    EXPECT_EQ(itemTexts(list("MathsChannelList")), QStringList({ "Power", "Torque" }));
    // Saved channels become names a formula may use.
    EXPECT_EQ(itemTexts(list("LogChannelList")), QStringList({ "Power", "Torque" }));

    // Replacing goes by name.
    saveChannel("Power", "3*3");
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "Power=3*3", "Torque=Power/2" }));

    button("NewChannel")->click();
    EXPECT_EQ(edit("MathChannelName")->text(), "");
    EXPECT_EQ(source()->toPlainText(), "");
    doubleClick(list("MathsChannelList"), list("MathsChannelList")->model()->index(1, 0));
    EXPECT_EQ(edit("MathChannelName")->text(), "Torque");
    EXPECT_EQ(source()->toPlainText(), "Power/2");

    // The other channel's name is a variable of the test, asked for when it is 0.
    dialogs.answerInput(QStringLiteral("8"));
    EXPECT_EQ(testCode(), "Channel Value = 4");
    EXPECT_EQ(dialogs.shown().at(dialogs.shown().size() - 2).text, "Enter Test value for : Power");

    list("MathsChannelList")->setCurrentRow(0);
    button("RemoveChannel")->click();
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "Torque=Power/2" }));
    EXPECT_EQ(itemTexts(list("MathsChannelList")), QStringList({ "Torque" }));
    EXPECT_EQ(itemTexts(list("LogChannelList")), QStringList({ "Torque" }));

    // Nothing chosen, or no name: nothing happens.
    list("MathsChannelList")->setCurrentRow(-1);
    button("RemoveChannel")->click();
    saveChannel("", "1");
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "Torque=Power/2" }));
}

TEST_F(MathsEditorTest, TestCodeShowsTheResultOrMovesTheCaretToTheError)
{
    openWithCard();
    struct Case
    {
        const char *source;
        const char *message;
        int caret; // -1: the caret stays where it was
    };
    // Without variables or log channels a formula is still compiled and run.
    const Case cases[] = {
        { "2*3", "Channel Value = 6", -1 },
        { "1 + RPMX", "Unknown identifier 'RPMX'", 8 },
        { "1/0", "Floating point division by zero", 3 },
        { "", "Syntax error", 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        setSource(QString::fromLatin1(c.source), 1);
        const int before = caret();
        EXPECT_EQ(testCode(), c.message);
        EXPECT_EQ(caret(), c.caret < 0 ? before : c.caret);
        EXPECT_EQ(source()->toPlainText(), c.source);
    }
}

TEST_F(MathsEditorTest, VariablesAreSavedShownAndDeleted)
{
    openWithCard();
    saveVariable("Mass", "12.5");
    saveVariable("Area", "0.25");
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "$Mass=12.5", "$Area=0.25" }));
    QTableWidget *grid = variables();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 1)->text(), QLocale().toString(12.5, 'f', 4));

    click(grid, grid->model()->index(1, 0));
    EXPECT_EQ(edit("VariableName")->text(), "Area");
    EXPECT_EQ(edit("InitialValue")->text(), grid->item(1, 1)->text());

    // Initial values take part in a test and are not asked for.
    setSource("Mass*4", 0);
    EXPECT_EQ(testCode(), "Channel Value = 50");

    saveVariable("Mass", "not a number");
    EXPECT_EQ(lastError(), "'not a number' is not a valid floating point value");
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "$Mass=12.5", "$Area=0.25" }));

    grid->setCurrentCell(0, 0);
    button("DeleteVariable")->click();
    EXPECT_EQ(mathsOnDisk(root), QStringList({ "$Area=0.25" }));
    EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(MathsEditorTest, RefusedNamesStoreNothing)
{
    openWithCard();
    const char *const names[] = {
        "ABCDEFGHIJKLMNOPQRSTU", // 21 characters
        "Power\xce\xa9", // outside the card's code page
        "GPSSpeed", // a fixed column of every session log
        "ecu_rpm", // a logged channel of this card, in any case
        "Lap_Time",
    };
    for (const char *name : names) {
        SCOPED_TRACE(name);
        const qsizetype before = dialogs.shown().size();
        saveChannel(QString::fromUtf8(name), "1");
        saveVariable(QString::fromUtf8(name), "1");
        EXPECT_EQ(dialogs.shown().size(), before + 2);
        EXPECT_FALSE(lastError().isEmpty());
    }
    EXPECT_EQ(mathsOnDisk(root), QStringList());
    EXPECT_EQ(list("MathsChannelList")->count(), 0);
}

TEST_F(MathsEditorTest, FullTableRefusesNewNamesWithAMessage)
{
    {
        TMathsChannels maths;
        maths.setMathsFileName(CardPaths(root).mathsFile());
        maths.CreateMathsTables();
        for (int i = 0; i < TMathsChannels::kSlotCount; ++i) {
            maths.AddFormula(QStringLiteral("C%1").arg(i), QStringLiteral("1"));
            maths.AddVariable(QStringLiteral("V%1").arg(i), 0, 1);
        }
        maths.CloseMathsTables();
    }
    const QByteArray full = [&] {
        QFile file(CardPaths(root).mathsFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    openWithCard();
    const qsizetype before = dialogs.shown().size();
    saveChannel("Extra", "2");
    saveVariable("Extra", "2");
    ASSERT_EQ(dialogs.shown().size(), before + 2);
    for (qsizetype i = before; i < before + 2; ++i)
        EXPECT_EQ(dialogs.shown()[i].kind, DialogKind::Error);
    // Existing names still take new values.
    saveChannel("C0", "2");
    window.reset();
    QFile file(CardPaths(root).mathsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_EQ(saved.size(), full.size());
    EXPECT_NE(saved, full);
    EXPECT_EQ(mathsOnDisk(root).first(), "C0=2");
    EXPECT_EQ(mathsOnDisk(root).size(), 2 * TMathsChannels::kSlotCount);
}

TEST_F(MathsEditorTest, InsertionListsFollowTheirRules)
{
    openWithCard();
    saveVariable("Mass", "1");
    window->mathsEditor().setLogChannels({ "GPSLat", "ECU_RPM" });
    struct Case
    {
        const char *text;
        int caret;
        const char *list; // "" for the global variables
        const char *entry;
        const char *expected;
        int expectedCaret;
    };
    const Case cases[] = {
        { "max(#,#)", 8, "MathFunctions", "sqrt(#)", "max(sqrt(#),#)", 11 },
        { "a+", 2, "MathFunctions", "pi", "a+pi", 4 },
        { "sqrt(#)", 0, "LogChannelList", "ECU_RPM", "sqrt(ECU_RPM)", 12 },
        { "1+", 2, "LogChannelList", "GPSLat", "1+GPSLat", 8 },
        { "min(#,#)", 0, "", "Mass", "min($Mass,#)", 9 },
        { "x", 1, "", "Mass", "x$Mass", 6 },
        { "sqrt(#)", 7, "Operators", "mod", "sqrt(#)mod ", 11 },
        { "ab", 1, "Operators", "+", "a+ b", 3 },
        { "", 0, "Operators", "if then endif", "if (condition) then (do these statments;) endif;",
            48 },
        { "x", 0, "Operators", "if then else endd",
            "if (condition) then (do these statments;) else (do these ones;) endd;x", 69 },
        { "", 0, "Operators", "var end", "var type variable names with quotes here end;", 45 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        setSource(QString::fromLatin1(c.text), c.caret);
        if (*c.list == 0) {
            doubleClick(variables(), variables()->model()->index(0, 0));
        } else {
            QListWidget *entries = list(c.list);
            const auto found = entries->findItems(QString::fromLatin1(c.entry), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            doubleClick(entries, entries->indexFromItem(found.first()));
        }
        EXPECT_EQ(source()->toPlainText(), c.expected);
        EXPECT_EQ(caret(), c.expectedCaret);
    }
}

TEST_F(MathsEditorTest, ImportedColumnsAndMathsNamesMakeTheLogChannels)
{
    openWithCard();
    saveChannel("Power", "1");
    dialogs.answerOpenFile(QDir(root).filePath("Logs/Datalog1.Dsh"));
    button("ReadLogFile")->click();
    const QStringList channels = itemTexts(list("LogChannelList"));
    ASSERT_GT(channels.size(), 20);
    EXPECT_EQ(channels.first(), "GPSLat");
    EXPECT_TRUE(channels.contains("ECU_RPM"));
    EXPECT_EQ(channels.last(), "Power");
    EXPECT_EQ(window->mathsEditor().logChannels(), channels);

    // A name of that import is a logged column; removing a maths channel keeps them.
    saveChannel("GPS_Lat_G_Force", "1");
    EXPECT_EQ(lastError(), "\"GPS_Lat_G_Force\" is a column of the session log");
    list("MathsChannelList")->setCurrentRow(0);
    button("RemoveChannel")->click();
    EXPECT_EQ(itemTexts(list("LogChannelList")), channels.first(channels.size() - 1));
}

TEST_F(MathsEditorTest, RepositoryEntriesAreAddedUsedAndDeletedInTheFile)
{
    // Window creation makes an empty repository when there is none.
    openWithCard();
    EXPECT_EQ(repositoryOnDisk(repositoryFile()), QStringList());
    auto *grid = child<QTableWidget>("RepositoryGrid");
    auto *shown = child<QPlainTextEdit>("RepositorySource");
    EXPECT_TRUE(shown->isReadOnly());

    saveChannel("Power", "2*3"); // the editor's code, stored on the card as well
    button("AddToRepository")->click();
    edit("MathChannelName")->setText("Boost");
    source()->setPlainText("max(#,#)");
    button("AddToRepository")->click();
    EXPECT_EQ(repositoryOnDisk(repositoryFile()), QStringList({ "Power=2*3", "Boost=max(#,#)" }));

    source()->setPlainText("min(#,#)");
    button("AddToRepository")->click();
    EXPECT_EQ(repositoryOnDisk(repositoryFile()), QStringList({ "Power=2*3", "Boost=min(#,#)" }));
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(shown->toPlainText(), "min(#,#)");

    // Nothing without a name and a source.
    button("NewChannel")->click();
    button("AddToRepository")->click();
    EXPECT_EQ(grid->rowCount(), 2);

    grid->setCurrentCell(0, 0);
    EXPECT_EQ(shown->toPlainText(), "2*3");
    button("UseSelectedCode")->click();
    EXPECT_EQ(edit("MathChannelName")->text(), "Power");
    EXPECT_EQ(source()->toPlainText(), "2*3");

    doubleClick(grid, grid->model()->index(1, 0));
    EXPECT_EQ(edit("MathChannelName")->text(), "Boost");
    EXPECT_EQ(source()->toPlainText(), "min(#,#)");

    grid->setCurrentCell(0, 0);
    button("DeleteSelectedCode")->click();
    EXPECT_EQ(repositoryOnDisk(repositoryFile()), QStringList({ "Boost=min(#,#)" }));
    EXPECT_EQ(grid->item(0, 0)->text(), "Boost");

    // A new window loads what was saved.
    window.reset();
    openWithCard();
    EXPECT_EQ(child<QTableWidget>("RepositoryGrid")->item(0, 0)->text(), "Boost");
}

TEST_F(MathsEditorTest, UnreadableRepositoryIsReportedAndLeftAlone)
{
    QDir().mkpath(QDir(program).filePath("Data"));
    {
        QFile file(repositoryFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a table");
    }
    openWithCard();
    EXPECT_FALSE(lastError().isEmpty());
    EXPECT_FALSE(child<QWidget>("CodeRepository")->isEnabled());
    QFile file(repositoryFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not a table");
}

} // namespace
