// The Qt dialogs are wired as asked: each test answers the modal dialog the service opens.
#include "ui/QtUserDialogs.h"

#include "ui/MessageBoxStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// Runs \a answer on the modal dialog of type T once it shows. A dialog of another type is
// closed so that the test fails instead of waiting.
template <typename T> void whenShown(std::function<void(T &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dialog) {
            answer(*dialog);
            return;
        }
        ADD_FAILURE() << "no modal dialog of the expected type";
        if (auto *other = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            other->done(0);
    });
}

void click(QMessageBox &box, QMessageBox::StandardButton button)
{
    ASSERT_NE(box.button(button), nullptr);
    box.button(button)->click();
}

TEST(QtUserDialogsTest, MessagesShowPlainTextWithLineBreaks)
{
    QWidget parent;
    QtUserDialogs dialogs(&parent);
    whenShown<QMessageBox>([&](QMessageBox &box) {
        EXPECT_EQ(box.parentWidget(), &parent);
        EXPECT_EQ(box.windowTitle(), "Backup");
        EXPECT_EQ(box.text(), "Backing up\n<b>DEMO</b>");
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    dialogs.warning("Backing up\n\r<b>DEMO</b>", "Backup");

    whenShown<QMessageBox>([](QMessageBox &box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        click(box, QMessageBox::Ok);
    });
    dialogs.error("Disk full");
}

TEST(QtUserDialogsTest, QuestionAnswersNoOnEscape)
{
    QtUserDialogs dialogs;
    whenShown<QMessageBox>([](QMessageBox &box) { click(box, QMessageBox::Yes); });
    EXPECT_TRUE(dialogs.question("Overwrite?"));
    whenShown<QMessageBox>([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(dialogs.question("Overwrite?"));
}

TEST(QtUserDialogsTest, MessageBoxGivesTheButtonNumber)
{
    QtUserDialogs dialogs;
    whenShown<QMessageBox>([](QMessageBox &box) {
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.standardButton(box.defaultButton()), QMessageBox::No);
        click(box, QMessageBox::No);
    });
    EXPECT_EQ(
        dialogs.messageBox("Go on?", "Run", MbYesNoCancel | MbIconQuestion | MbDefaultButton2),
        IdNo);

    whenShown<QMessageBox>([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.messageBox("Go on?", "Run", MbYesNoCancel), IdCancel);
    whenShown<QMessageBox>([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.messageBox("Note", "Run", MbOk), IdOk);

    // Without Cancel or a lone OK, Escape and closing the window leave the box open.
    whenShown<QMessageBox>([](QMessageBox &box) {
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        EXPECT_TRUE(box.isVisible());
        click(box, QMessageBox::Retry);
    });
    EXPECT_EQ(dialogs.messageBox("Card busy", "Run", MbAbortRetryIgnore), IdRetry);
}

TEST(QtUserDialogsTest, InputBoxGivesTheTextOrNothing)
{
    QtUserDialogs dialogs;
    whenShown<QInputDialog>([](QInputDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Enter Value");
        EXPECT_EQ(dialog.labelText(), "Enter Test value for : RPM\n<i>");
        for (QLabel *label : dialog.findChildren<QLabel *>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(dialog.textValue(), "0.0");
        dialog.setTextValue("3000");
        static_cast<QDialog &>(dialog).accept();
    });
    EXPECT_EQ(dialogs.inputText("Enter Value", "Enter Test value for : RPM\r\n<i>", "0.0"),
        QString("3000"));

    whenShown<QInputDialog>([](QInputDialog &dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.inputText("Enter Value", "Prompt", "0.0"), std::nullopt);
}

TEST(QtUserDialogsTest, FileDialogsTakeTheRequest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath("Track.Map");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QtUserDialogs dialogs;
    whenShown<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Open Track");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.nameFilters(), QStringList { "ZEL Map Files (*.Map)" });
        EXPECT_EQ(dialog.defaultSuffix(), "Map");
        EXPECT_EQ(dialog.directory().path(), dir.path());
        dialog.selectFile(existing);
        static_cast<QDialog &>(dialog).accept();
    });
    FileDialogRequest open;
    open.caption = "Open Track";
    open.filter = "ZEL Map Files|*.Map";
    open.defaultExtension = "*.Map";
    open.initialFolder = dir.path();
    open.initialFileName = "*.Map";
    EXPECT_EQ(dialogs.openFile(open), QString(existing));

    // A bare name gets the default extension; the overwrite prompt is only on request.
    for (bool confirm : { false, true }) {
        whenShown<QFileDialog>([&](QFileDialog &dialog) {
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), !confirm);
            EXPECT_EQ(dialog.nameFilters(),
                QStringList({ "ZEL Practice Files (*.Prc)", "Text File (*.txt)" }));
            EXPECT_EQ(dialog.selectedFiles(), QStringList { dir.filePath("Sectors.Prc") });
            dialog.selectFile("Laps");
            static_cast<QDialog &>(dialog).accept();
        });
        FileDialogRequest save;
        save.caption = "Save Sectors";
        save.filter = "ZEL Practice Files|*.Prc|Text File|*.txt";
        save.defaultExtension = "Prc";
        save.initialFolder = dir.path();
        save.initialFileName = "Sectors.Prc";
        save.confirmOverwrite = confirm;
        EXPECT_EQ(dialogs.saveFile(save), QString(dir.filePath("Laps.Prc")));
    }

    whenShown<QFileDialog>([](QFileDialog &dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.saveFile({}), std::nullopt);

    whenShown<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(dialog.directory().path(), dir.path());
        static_cast<QDialog &>(dialog).accept();
    });
    EXPECT_EQ(dialogs.chooseFolder("Choose a folder", dir.path()), QString(dir.path()));
}

} // namespace
