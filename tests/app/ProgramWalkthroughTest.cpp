// A user's walk through the whole program on the demo card: every menu entry and button of
// every window, in the order the windows offer them, answered as a user who says yes and
// picks a fitting file. The windows must come through it without a crash, and every message
// they gave is listed for the reader of the test's output.
#include "../dashmanager/LoggerConfigTesting.h"
#include "app/ProgramStart.h"
#include "card/DemoCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "track/DemoTrack.h"
#include "ui/MessageBoxStyle.h"
#include "ui/UserDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <iostream>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// Says yes, keeps what a box proposes, opens the first file under its folders that the
// dialog's filter takes (each in turn, so that repeated opens see different files) and saves
// under a folder of its own. Remembers every dialog with the step that brought it.
class WalkingUser : public UserDialogs
{
public:
    WalkingUser(QStringList fileFolders, QString saveFolder)
        : m_fileFolders(std::move(fileFolders))
        , m_saveFolder(std::move(saveFolder))
    { }

    QString step;
    QStringList said;
    QStringList errors;

    void information(const QString &text, const QString &caption) override
    {
        note("information", caption, text);
    }
    void warning(const QString &text, const QString &caption) override
    {
        note("warning", caption, text);
    }
    void error(const QString &text, const QString &caption) override
    {
        note("error", caption, text);
        errors << step + QStringLiteral(": ") + text;
    }
    bool question(const QString &text, const QString &caption) override
    {
        note("question", caption, text);
        return true;
    }
    int messageBox(const QString &text, const QString &caption, int flags) override
    {
        note("message box", caption, text);
        switch (flags & 0xF) {
        case MbYesNo:
        case MbYesNoCancel:
            return IdYes;
        case MbAbortRetryIgnore:
            return IdIgnore;
        case MbRetryCancel:
            return IdCancel;
        default:
            return IdOk;
        }
    }
    std::optional<QString> inputText(
        const QString &caption, const QString &prompt, const QString &defaultText) override
    {
        note("input", caption, prompt);
        return defaultText.isEmpty() ? QStringLiteral("Walk") : defaultText;
    }
    std::optional<QString> openFile(const FileDialogRequest &request) override
    {
        const QStringList files = matching(request.filter);
        note("open file", request.caption, request.filter);
        if (files.isEmpty())
            return std::nullopt;
        return files.at(m_opened++ % files.size());
    }
    std::optional<QString> saveFile(const FileDialogRequest &request) override
    {
        note("save file", request.caption, request.filter);
        QString name = QFileInfo(proposedFileName(request.initialFileName)).fileName();
        if (name.isEmpty())
            name = QStringLiteral("walk");
        const QString extension = qtDefaultSuffix(request.defaultExtension);
        if (QFileInfo(name).suffix().isEmpty() && !extension.isEmpty())
            name += u'.' + extension;
        return QDir(m_saveFolder).filePath(name);
    }
    std::optional<QString> chooseFolder(const QString &caption, const QString &initial) override
    {
        note("folder", caption, initial);
        return m_saveFolder;
    }

private:
    void note(const char *kind, const QString &caption, const QString &text)
    {
        said << QStringLiteral("%1: %2 [%3] %4")
                    .arg(step, QLatin1String(kind), caption, QString(text).replace(u'\n', u' '));
    }
    QStringList matching(const QString &filter) const
    {
        QList<QRegularExpression> patterns;
        const QStringList parts = filter.split(u'|');
        for (int i = 1; i < parts.size(); i += 2) {
            for (const QString &pattern : parts[i].split(u';'))
                patterns << QRegularExpression(QRegularExpression::wildcardToRegularExpression(
                                                   pattern.trimmed()),
                    QRegularExpression::CaseInsensitiveOption);
        }
        QStringList files;
        for (const QString &folder : m_fileFolders) {
            QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                for (const QRegularExpression &pattern : patterns) {
                    if (pattern.match(QFileInfo(path).fileName()).hasMatch()) {
                        files << path;
                        break;
                    }
                }
            }
        }
        files.sort();
        return files;
    }

    QStringList m_fileFolders;
    QString m_saveFolder;
    int m_opened = 0;
};

// Closes each modal window that opens above the one being walked, as a user cancels a
// window they did not mean to open; `visit` walks it first.
class ModalWindows
{
public:
    explicit ModalWindows(QWidget *walking, std::function<void(QWidget &)> visit = {})
        : m_walking(walking)
        , m_visit(std::move(visit))
    {
        m_timer.callOnTimeout([this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_walking)
                return;
            if (m_visit)
                m_visit(*modal);
            if (modal->isVisible())
                modal->close();
        });
        m_timer.start(5);
    }

private:
    QTimer m_timer;
    QPointer<QWidget> m_walking;
    std::function<void(QWidget &)> m_visit;
};

// Clicks every named, enabled, visible button under `area`, or when it is null, triggers
// every named, enabled action of `window` and clicks its buttons; leaves out `skip`.
void pressEverything(
    QWidget &window, QWidget *area, const QStringList &skip, WalkingUser &user)
{
    QList<QPointer<QAction>> actions;
    if (!area) {
        for (QAction *action : window.findChildren<QAction *>())
            actions << action;
    }
    QList<QPointer<QAbstractButton>> buttons;
    for (QAbstractButton *button : (area ? area : &window)->findChildren<QAbstractButton *>())
        buttons << button;
    const auto named = [&skip](QObject *object) {
        return object && !object->objectName().isEmpty() && !skip.contains(object->objectName());
    };
    for (const QPointer<QAction> &action : actions) {
        if (!window.isVisible())
            return;
        if (!named(action) || !action->isEnabled() || action->isSeparator())
            continue;
        user.step = window.objectName() + u'/' + action->objectName();
        action->trigger();
        QApplication::processEvents();
    }
    for (const QPointer<QAbstractButton> &button : buttons) {
        if (!window.isVisible())
            return;
        if (!named(button) || !button->isEnabled() || !button->isVisibleTo(&window))
            continue;
        user.step = window.objectName() + u'/' + button->objectName();
        button->click();
        QApplication::processEvents();
    }
}

class ProgramWalkthroughTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        qputenv("XDG_DATA_HOME", temp.filePath("home").toUtf8());
        card = temp.filePath("card");
        program = temp.filePath("program");
        DemoCard().write(card);
        QDir().mkpath(program + "/Data");
        QDir().mkpath(temp.filePath("raw"));
        QDir().mkpath(temp.filePath("saved"));
        for (const QFileInfo &log : QDir(card + "/Logs").entryInfoList(QDir::Files))
            QFile::copy(log.filePath(), temp.filePath("raw/") + log.fileName());
        writeDemoTrack(program + "/Data");
        // The user guides and a stand-in emulator that ends at once.
        QDir().mkpath(program + "/Help");
        for (const char *guide : { "KRO-7 Quick Start.Pdf", "KRO Analyser manual.pdf" })
            QFile(program + "/Help/" + guide).open(QIODevice::WriteOnly);
        QFile emulator(program + "/KRO");
        emulator.open(QIODevice::WriteOnly);
        emulator.write("#!/bin/sh\n");
        emulator.setPermissions(emulator.permissions() | QFileDevice::ExeOwner);
        emulator.close();
        user = std::make_unique<WalkingUser>(
            QStringList { program + "/Data", temp.filePath("raw") }, temp.filePath("saved"));
        started = startProgram(
            program, *user, folderWritable, [this](const QString &path) { documents << path; });
        drives.rootList = { card };
        started.window->setCardDrives(&drives);
        started.window->resize(1200, 800);
        started.window->show();
    }
    void TearDown() override
    {
        started = {};
        qunsetenv("XDG_DATA_HOME");
        std::cout << "What the windows said:\n";
        for (const QString &line : user->said)
            std::cout << "  " << line.toStdString() << '\n';
    }

    TMainForm &window() { return *started.window; }

    // Opens the dash manager and hands it to `walk` with the demo card selected.
    void inDashManager(const std::function<void(TfrmLoggerConfig &)> &walk)
    {
        ModalWindows modal(nullptr, [this, &walk](QWidget &shown) {
            auto *config = qobject_cast<TfrmLoggerConfig *>(&shown);
            if (!config)
                return;
            auto *cards = config->findChild<QComboBox *>("SelectionDriveList");
            cards->setCurrentIndex(cards->findData(card));
            walk(*config);
        });
        user->step = "KRO71";
        window().findChild<QAction *>("KRO71")->trigger();
        QApplication::processEvents();
    }

    QTemporaryDir temp;
    QString card, program;
    QStringList documents;
    std::unique_ptr<WalkingUser> user;
    FakeCardDrives drives;
    Program started;
};

TEST_F(ProgramWalkthroughTest, EveryEntryOfEveryWindowOnTheDemoCard)
{
    // Two logs imported from the card the quick way, each opened in the main window.
    for (int log = 0; log < 2; ++log) {
        inDashManager([this](TfrmLoggerConfig &config) {
            user->step = "QuickLogImport";
            config.findChild<QAbstractButton *>("QuickLogImport")->click();
        });
    }
    ASSERT_EQ(window().StringGrid1().colCount(), 3);

    // Every page, button and menu entry of the dash manager, and of the windows it opens
    // (the card-ID chooser, the card initialisation).
    inDashManager([this](TfrmLoggerConfig &config) {
        ModalWindows nested(&config, [this](QWidget &shown) {
            ModalWindows deeper(&shown);
            pressEverything(shown, nullptr, {}, *user);
        });
        auto *tree = config.findChild<QTreeWidget *>("PageTree");
        for (int page = 0; page < tree->topLevelItemCount(); ++page) {
            tree->setCurrentItem(tree->topLevelItem(page));
            pressEverything(config, config.findChild<QStackedWidget *>("Pages")->currentWidget(),
                { "BitBtn1", "QuickLogImport", "QuickImport1" }, *user);
        }
        pressEverything(config, nullptr, { "BitBtn1", "QuickLogImport", "QuickImport1" }, *user);
        config.close();
    });

    // The main window with the logs charted, then its track windows.
    {
        ModalWindows modal(&window());
        auto *grid = window().findChild<QTableView *>("StringGrid1");
        grid->setCurrentIndex(grid->model()->index(window().StringGrid1().rowOfName("ECU_RPM"), 1));
        window().findChild<QAction *>("AddtoChart1")->trigger();
        pressEverything(window(), nullptr, { "KRO71", "Clearalllogs1" }, *user);
        for (QWidget *track : { static_cast<QWidget *>(started.trackMap.get()),
                 static_cast<QWidget *>(started.trackLap.get()) }) {
            ModalWindows trackModal(track);
            track->show();
            pressEverything(*track, nullptr, {}, *user);
        }
        pressEverything(window(), nullptr, { "KRO71" }, *user);
    }
    // The one error a user meets on this walk: "Find Log Record" with nothing typed.
    EXPECT_EQ(user->errors,
        QStringList { "frmLoggerConfig/FindLogRecord: '' is not a valid integer value" });
    EXPECT_EQ(documents.size(), 4) << "both user guides, from both walks of the main window";
    EXPECT_TRUE(window().isVisible());
}

} // namespace
