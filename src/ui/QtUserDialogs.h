#pragma once

#include "ui/UserDialogs.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace zel {

/// The user-dialog service of the running program: QMessageBox, QInputDialog and QFileDialog,
/// modal to the parent window given at construction (none: modal to the whole program).
/// Texts are shown as plain text, never as markup.
class QtUserDialogs final : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent = nullptr);

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
    void showMessage(QMessageBox::Icon icon, const QString &text, const QString &caption);

    // A parent window closed while the program runs on must not leave a dangling pointer.
    QPointer<QWidget> m_parent;
};

} // namespace zel
