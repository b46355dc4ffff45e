#include "ui/ScriptedUserDialogs.h"

#include "ui/MessageBoxStyle.h"

#include <QDebug>

namespace zel {

namespace {

QString kindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Information:
        return QStringLiteral("information");
    case DialogKind::Warning:
        return QStringLiteral("warning");
    case DialogKind::Error:
        return QStringLiteral("error");
    case DialogKind::Question:
        return QStringLiteral("question");
    case DialogKind::MessageBox:
        return QStringLiteral("message box");
    case DialogKind::Input:
        return QStringLiteral("input box");
    case DialogKind::OpenFile:
        return QStringLiteral("open dialog");
    case DialogKind::SaveFile:
        return QStringLiteral("save dialog");
    case DialogKind::Folder:
        return QStringLiteral("folder chooser");
    }
    return {};
}

// The next scripted answer of a queue, if any.
template <typename T> std::optional<T> take(std::deque<T> &queue)
{
    std::optional<T> answer;
    if (!queue.empty()) {
        answer.emplace(std::move(queue.front()));
        queue.pop_front();
    }
    return answer;
}

ShownDialog dialogOf(DialogKind kind, const QString &caption, const QString &text = {})
{
    ShownDialog dialog;
    dialog.kind = kind;
    dialog.caption = caption;
    dialog.text = text;
    return dialog;
}

} // namespace

QString ShownDialog::summary() const
{
    return QStringLiteral("%1 \"%2\": %3").arg(kindName(kind), caption, text);
}

QStringList ScriptedUserDialogs::shownTexts(DialogKind kind, qsizetype from) const
{
    QStringList texts;
    for (const ShownDialog &dialog : m_shown.mid(from)) {
        if (dialog.kind == kind)
            texts << dialog.text;
    }
    return texts;
}

QList<ShownDialog> ScriptedUserDialogs::unexpected() const
{
    QList<ShownDialog> found;
    for (const ShownDialog &dialog : m_shown) {
        if (dialog.unexpected)
            found.append(dialog);
    }
    return found;
}

qsizetype ScriptedUserDialogs::pendingAnswers() const
{
    return qsizetype(m_questions.size() + m_messageBoxes.size() + m_inputs.size()
        + m_openFiles.size() + m_saveFiles.size() + m_folders.size());
}

void ScriptedUserDialogs::record(ShownDialog dialog, bool answered)
{
    dialog.unexpected = !answered;
    if (dialog.unexpected)
        qWarning().noquote() << "Unexpected" << dialog.summary();
    m_shown.append(std::move(dialog));
}

void ScriptedUserDialogs::information(const QString &text, const QString &caption)
{
    record(dialogOf(DialogKind::Information, caption, text), true);
}

void ScriptedUserDialogs::warning(const QString &text, const QString &caption)
{
    record(dialogOf(DialogKind::Warning, caption, text), true);
}

void ScriptedUserDialogs::error(const QString &text, const QString &caption)
{
    record(dialogOf(DialogKind::Error, caption, text), true);
}

bool ScriptedUserDialogs::question(const QString &text, const QString &caption)
{
    const std::optional<bool> answer = take(m_questions);
    record(dialogOf(DialogKind::Question, caption, text), answer.has_value());
    return answer.value_or(false);
}

int ScriptedUserDialogs::messageBox(const QString &text, const QString &caption, int flags)
{
    std::optional<int> answer = take(m_messageBoxes);
    bool fits = false;
    for (QMessageBox::StandardButton button : messageBoxStyle(flags).buttons)
        fits = fits || (answer && messageBoxResult(button) == *answer);
    ShownDialog dialog = dialogOf(DialogKind::MessageBox, caption, text);
    dialog.flags = flags;
    record(std::move(dialog), fits);
    return fits ? *answer : safeMessageBoxResult(flags);
}

std::optional<QString> ScriptedUserDialogs::inputText(
    const QString &caption, const QString &prompt, const QString &defaultText)
{
    const auto answer = take(m_inputs);
    ShownDialog dialog = dialogOf(DialogKind::Input, caption, prompt);
    dialog.defaultText = defaultText;
    record(std::move(dialog), answer.has_value());
    return answer.value_or(std::nullopt);
}

std::optional<QString> ScriptedUserDialogs::openFile(const FileDialogRequest &request)
{
    const auto answer = take(m_openFiles);
    ShownDialog dialog = dialogOf(DialogKind::OpenFile, request.caption);
    dialog.file = request;
    record(std::move(dialog), answer.has_value());
    return answer.value_or(std::nullopt);
}

std::optional<QString> ScriptedUserDialogs::saveFile(const FileDialogRequest &request)
{
    const auto answer = take(m_saveFiles);
    ShownDialog dialog = dialogOf(DialogKind::SaveFile, request.caption);
    dialog.file = request;
    record(std::move(dialog), answer.has_value());
    return answer.value_or(std::nullopt);
}

std::optional<QString> ScriptedUserDialogs::chooseFolder(
    const QString &caption, const QString &initialFolder)
{
    const auto answer = take(m_folders);
    ShownDialog dialog = dialogOf(DialogKind::Folder, caption);
    dialog.defaultText = initialFolder;
    record(std::move(dialog), answer.has_value());
    return answer.value_or(std::nullopt);
}

} // namespace zel
