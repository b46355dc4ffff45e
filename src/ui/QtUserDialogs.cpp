#include "ui/QtUserDialogs.h"

#include "ui/MessageBoxStyle.h"

#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>

namespace zel {

namespace {

// Keeps a box open on Escape and on closing its window, for boxes whose buttons all do
// something (Yes/No, Abort/Retry/Ignore); QMessageBox would otherwise press No or Abort.
class EscapeBlocker : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

int runBox(QMessageBox &box, const MessageBoxStyle &style)
{
    box.setTextFormat(Qt::PlainText);
    for (QMessageBox::StandardButton button : style.buttons)
        box.addButton(button);
    box.setDefaultButton(style.defaultButton);
    EscapeBlocker blocker;
    if (style.escapeButton == QMessageBox::NoButton)
        box.installEventFilter(&blocker);
    else
        box.setEscapeButton(style.escapeButton);
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    return messageBoxResult(pressed != QMessageBox::NoButton ? pressed : style.escapeButton);
}

std::optional<QString> runFileDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void prepare(QFileDialog &dialog, const FileDialogRequest &request)
{
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(qtDefaultSuffix(request.defaultExtension));
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    const QString name = proposedFileName(request.initialFileName);
    if (!name.isEmpty())
        dialog.selectFile(name);
}

} // namespace

QtUserDialogs::QtUserDialogs(QWidget *parent)
    : m_parent(parent)
{ }

void QtUserDialogs::showMessage(QMessageBox::Icon icon, const QString &text, const QString &caption)
{
    QMessageBox box(icon, caption, displayText(text), QMessageBox::NoButton, m_parent);
    runBox(box, messageBoxStyle(MbOk));
}

void QtUserDialogs::information(const QString &text, const QString &caption)
{
    showMessage(QMessageBox::Information, text, caption);
}

void QtUserDialogs::warning(const QString &text, const QString &caption)
{
    showMessage(QMessageBox::Warning, text, caption);
}

void QtUserDialogs::error(const QString &text, const QString &caption)
{
    showMessage(QMessageBox::Critical, text, caption);
}

bool QtUserDialogs::question(const QString &text, const QString &caption)
{
    QMessageBox box(
        QMessageBox::Question, caption, displayText(text), QMessageBox::NoButton, m_parent);
    MessageBoxStyle style = messageBoxStyle(MbYesNo);
    style.escapeButton = QMessageBox::No;
    return runBox(box, style) == IdYes;
}

int QtUserDialogs::messageBox(const QString &text, const QString &caption, int flags)
{
    const MessageBoxStyle style = messageBoxStyle(flags);
    QMessageBox box(style.icon, caption, displayText(text), QMessageBox::NoButton, m_parent);
    return runBox(box, style);
}

std::optional<QString> QtUserDialogs::inputText(
    const QString &caption, const QString &prompt, const QString &defaultText)
{
    QInputDialog dialog(m_parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultText);
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtUserDialogs::openFile(const FileDialogRequest &request)
{
    QFileDialog dialog(m_parent, request.caption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    prepare(dialog, request);
    return runFileDialog(dialog);
}

std::optional<QString> QtUserDialogs::saveFile(const FileDialogRequest &request)
{
    QFileDialog dialog(m_parent, request.caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    prepare(dialog, request);
    return runFileDialog(dialog);
}

std::optional<QString> QtUserDialogs::chooseFolder(
    const QString &caption, const QString &initialFolder)
{
    QFileDialog dialog(m_parent, caption, initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return runFileDialog(dialog);
}

} // namespace zel
