#pragma once

#include <QWidget>

class QLabel;

namespace zel {

class DashFileInstaller;
class TKROSettings;
class UserDialogs;

/// The sector and message files the card's settings name ("Practice File Name", "Message
/// File Name"), each with its buttons to load a file onto the card and to remove the name.
/// Shows the names after every settings load and every change the installer makes.
class DashFileNames : public QWidget
{
    Q_OBJECT
public:
    /// Shows the names of \a settings; the buttons run \a installer, their errors shown
    /// through \a dialogs. All three must outlive it.
    DashFileNames(TKROSettings &settings, DashFileInstaller &installer, UserDialogs &dialogs,
        QWidget *parent = nullptr);

    /// Shows the names the settings hold now (none when they are not loaded).
    void refresh();

private:
    TKROSettings &m_settings;
    QLabel *m_practice = nullptr;
    QLabel *m_message = nullptr;
};

} // namespace zel
