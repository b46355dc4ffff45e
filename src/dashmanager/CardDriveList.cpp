#include "dashmanager/CardDriveList.h"

#include <QComboBox>
#include <QDir>
#include <QSignalBlocker>

namespace zel {

const QString CardDriveList::kChooseFolder = QStringLiteral("Choose a folder…");

CardDriveList::CardDriveList(QComboBox &box)
    : m_box(box)
{
    m_box.setPlaceholderText(QStringLiteral("Select SD Card"));
}

void CardDriveList::fill(const QStringList &driveRoots)
{
    const QSignalBlocker blocker(m_box);
    m_driveRoots = driveRoots;
    m_box.clear();
    QStringList roots = driveRoots;
    for (const QString &folder : m_chosenFolders) {
        if (!roots.contains(folder))
            roots << folder;
    }
    for (const QString &root : roots)
        m_box.addItem(QDir::toNativeSeparators(root), root);
    // No root of its own: the entry can never stand for a card.
    m_box.addItem(kChooseFolder);
    m_box.setCurrentIndex(-1);
}

QString CardDriveList::selectedRoot() const
{
    return m_box.currentData().toString();
}

bool CardDriveList::folderEntrySelected() const
{
    const int index = m_box.currentIndex();
    return index >= 0 && index == m_box.count() - 1;
}

void CardDriveList::select(const QString &root)
{
    const QSignalBlocker blocker(m_box);
    m_box.setCurrentIndex(root.isEmpty() ? -1 : m_box.findData(root));
}

void CardDriveList::addChosenFolder(const QString &folder)
{
    if (!m_chosenFolders.contains(folder))
        m_chosenFolders << folder;
    fill(m_driveRoots);
    select(folder);
}

} // namespace zel
