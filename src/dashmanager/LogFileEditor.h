#pragma once

#include "session/RecordTable.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;

namespace zel {

class RecordTableModel;
class UserDialogs;

/// The "Log File Editor" page: a saved session log opened into the window's own session
/// table, its data rows shown in a grid of every column but the first, where cells are
/// edited, rows found by their reading ID and deleted, and the table saved to a file.
/// Lap and sector records are never deleted: the laps and sectors are built on them.
class LogFileEditor : public QWidget
{
    Q_OBJECT
public:
    /// The page asks through \a dialogs, which must outlive it.
    explicit LogFileEditor(UserDialogs &dialogs, QWidget *parent = nullptr);

    /// The folder the open dialog starts in.
    void setOpenFolder(const QString &folder) { m_openFolder = folder; }

    /// The window's own session table ("LogDataTable"), filtered to data rows.
    RecordTable &LogDataTable() { return m_table; }
    /// The session log opened last ("EditorLogFile"); empty when none is open.
    QString EditorLogFile() const { return m_path; }
    bool logOpen() const { return m_table.isOpen(); }

    /// "Open Imported Log": asks for a session log and opens it; a file that cannot be read
    /// leaves the log shown before as it was. False when nothing was opened.
    bool OpenImportedLog();
    /// "Find Log Record": moves to the row whose ReadingID is the number in "Reading ID"; a
    /// text that is no whole number is an error, a number no row has leaves the cursor.
    void FindLogRecord();
    /// Deletes the current row, unless it is a lap or sector record.
    void DeleteLogRecord();
    /// "Save Changes": saves the whole table where the user chooses, starting at the file
    /// opened.
    void SaveChanges();
    /// Closes the session table, dropping the log.
    void CloseLog();

Q_SIGNALS:
    /// A log was opened: the window enables and shows the page.
    void logOpened();

private:
    void showCurrentRow();

    UserDialogs &m_dialogs;
    RecordTable m_table;
    QString m_path;
    QString m_openFolder;
    RecordTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_readingID = nullptr;
};

} // namespace zel
