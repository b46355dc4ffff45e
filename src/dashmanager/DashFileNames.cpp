#include "dashmanager/DashFileNames.h"

#include "dashmanager/DashFileInstaller.h"
#include "logger/TKROSettings.h"
#include "ui/HandlerGuard.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace zel {

DashFileNames::DashFileNames(
    TKROSettings &settings, DashFileInstaller &installer, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto row = [&](int r, const char *title, const char *labelName) {
        grid->addWidget(new QLabel(QString::fromLatin1(title)), r, 0);
        auto *label = new QLabel;
        label->setObjectName(QString::fromLatin1(labelName));
        label->setMinimumWidth(200);
        label->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(label, r, 1);
        return label;
    };
    const auto button = [&](int r, int c, const char *name, const char *caption,
                            void (DashFileInstaller::*action)()) {
        auto *b = new QPushButton(QString::fromLatin1(caption));
        b->setObjectName(QString::fromLatin1(name));
        grid->addWidget(b, r, c);
        connectGuarded(dialogs, b, &QPushButton::clicked, this,
            [&installer, action] { (installer.*action)(); });
    };
    m_practice = row(0, "Practice File Name", "PracticeFileName");
    m_message = row(1, "Message File Name", "MessageFileName");
    button(0, 2, "InstallSectorFile", "Install Sector file to SD card",
        &DashFileInstaller::LoadSectorFile);
    button(0, 3, "BitBtn7", "Remove Sector File", &DashFileInstaller::RemoveSectorFile);
    button(1, 2, "LoadMessageFileButton", "Load Message file to SD card",
        &DashFileInstaller::LoadMessageFile);
    button(1, 3, "BitBtn8", "Remove Message File", &DashFileInstaller::RemoveMessageFile);
    grid->setColumnStretch(4, 1);

    connect(&settings, &TKROSettings::OnloadTable, this, &DashFileNames::refresh);
    connect(&installer, &DashFileInstaller::namesChanged, this, &DashFileNames::refresh);
}

void DashFileNames::refresh()
{
    const bool loaded = m_settings.active();
    m_practice->setText(loaded ? m_settings.settings().Practice.toString() : QString());
    m_message->setText(loaded ? m_settings.settings().TrackMessage.toString() : QString());
}

} // namespace zel
