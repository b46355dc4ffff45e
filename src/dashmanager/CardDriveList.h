#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace zel {

/// The entries of the card selector: the removable drives' roots, the folders the user chose
/// as cards while the window is open, and a last entry that asks for such a folder. Each
/// card entry carries its root, so the selection is always a listed root or none (the
/// placeholder "Select SD Card"), never the box's text. Changes made here never raise the
/// box's change signals: only the user's choices do.
class CardDriveList
{
public:
    /// The entry that asks for a folder.
    static const QString kChooseFolder;

    /// Manages the entries of \a box.
    explicit CardDriveList(QComboBox &box);

    /// Lists \a driveRoots, then the chosen folders that are not among them, then the
    /// folder entry; nothing is selected afterwards.
    void fill(const QStringList &driveRoots);
    /// The root of the selected entry; empty when none or the folder entry is selected.
    QString selectedRoot() const;
    /// True when the folder entry is selected.
    bool folderEntrySelected() const;
    /// Selects the entry of \a root, or none when it is not listed.
    void select(const QString &root);
    /// Keeps \a folder as a card root until the window closes, lists it and selects it.
    void addChosenFolder(const QString &folder);
    /// True when \a root is a drive root of the last fill (not only a chosen folder).
    bool isDriveRoot(const QString &root) const { return m_driveRoots.contains(root); }

private:
    QComboBox &m_box;
    QStringList m_driveRoots;
    QStringList m_chosenFolders;
};

} // namespace zel
