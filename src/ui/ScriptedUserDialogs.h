#pragma once

#include "ui/UserDialogs.h"

#include <QList>
#include <deque>

namespace zel {

/// The kinds of dialog the service shows.
enum class DialogKind {
    Information,
    Warning,
    Error,
    Question,
    MessageBox,
    Input,
    OpenFile,
    SaveFile,
    Folder
};

/// One dialog a ScriptedUserDialogs was asked to show.
struct ShownDialog
{
    DialogKind kind = DialogKind::Information;
    QString caption;
    /// The message, question or input prompt as the caller gave it; empty for file dialogs.
    QString text;
    /// The input box's default text, or the folder chooser's start folder.
    QString defaultText;
    /// The message box's style flags.
    int flags = 0;
    /// What an open or save dialog was asked to show.
    FileDialogRequest file;
    /// No scripted answer was left (or the scripted one was no button of the box), so the
    /// safe answer was given.
    bool unexpected = false;

    /// One line for test failure messages: kind, caption and text.
    QString summary() const;
};

/// The user-dialog service of tests: answers come from queues the test fills beforehand,
/// one queue per kind of dialog, and every dialog shown is recorded in order. Messages need
/// no answer. A dialog without an answer left is recorded as unexpected, reported with
/// qWarning and answered safely (no, cancel, none), so a test asserts `unexpected()` is
/// empty to show that nothing else was asked.
class ScriptedUserDialogs final : public UserDialogs
{
public:
    void answerQuestion(bool yes) { m_questions.push_back(yes); }
    /// A button number (MessageBoxResult); one the box does not have counts as unexpected.
    void answerMessageBox(int result) { m_messageBoxes.push_back(result); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void answerOpenFile(std::optional<QString> path) { m_openFiles.push_back(std::move(path)); }
    void answerSaveFile(std::optional<QString> path) { m_saveFiles.push_back(std::move(path)); }
    void answerFolder(std::optional<QString> path) { m_folders.push_back(std::move(path)); }

    /// Every dialog shown, in order.
    const QList<ShownDialog> &shown() const { return m_shown; }
    /// The texts of the dialogs of \a kind shown from the \a from-th dialog on, in order.
    QStringList shownTexts(DialogKind kind, qsizetype from = 0) const;
    /// The dialogs that found no fitting answer.
    QList<ShownDialog> unexpected() const;
    /// Scripted answers not used yet.
    qsizetype pendingAnswers() const;

    void information(const QString &text, const QString &caption = {}) override;
    void warning(const QString &text, const QString &caption = {}) override;
    void error(const QString &text, const QString &caption = {}) override;
    bool question(const QString &text, const QString &caption = {}) override;
    int messageBox(const QString &text, const QString &caption, int flags) override;
    std::optional<QString> inputText(
        const QString &caption, const QString &prompt, const QString &defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest &request) override;
    std::optional<QString> saveFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseFolder(
        const QString &caption, const QString &initialFolder) override;

private:
    void record(ShownDialog dialog, bool answered);

    std::deque<bool> m_questions;
    std::deque<int> m_messageBoxes;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_openFiles;
    std::deque<std::optional<QString>> m_saveFiles;
    std::deque<std::optional<QString>> m_folders;
    QList<ShownDialog> m_shown;
};

} // namespace zel
