#pragma once

#include "common/Error.h"

#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <sys/types.h>

namespace zel {

/// Raised when a file was to be created under a name that another file took first.
class FileExistsError : public FileError
{
public:
    using FileError::FileError;
};

/// Writes a whole file under a temporary name beside its target and puts it in place in
/// one step, so that a crash, a full disk or a kill never leaves a half-written target:
///
///     AtomicFile file(path, AtomicFile::Placement::Replace);
///     file.write(bytes);
///     file.commit(); // synced, renamed over path, folder synced
///
/// Temporaries are short hidden names (".zel-XXXXXX") whatever the target's name, and are
/// locked while written; a writer that dies leaves one behind, which the next AtomicFile in
/// that folder removes. The rename never follows a symbolic link at the target: a link is
/// replaced by the new file, never written through. With Placement::NoReplace the name is
/// taken at the moment of the rename, so of two writers racing for one name exactly one
/// wins and the other gets FileExistsError, free to take another name.
class AtomicFile
{
public:
    /// Whether commit() may replace an existing target.
    enum class Placement { Replace, NoReplace };

    /// Creates the temporary file in the target's folder. Throws FileError naming the target.
    AtomicFile(const QString &target, Placement placement);
    /// Removes the temporary file unless committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    /// The file the temporary will become.
    const QString &target() const { return m_target; }
    /// Path of the temporary file, for writers that open it themselves (SQLite).
    const QString &temporaryPath() const { return m_temporary; }

    /// Appends bytes to the temporary file, starting the disk on them every few megabytes;
    /// throws FileError on any failure.
    void write(QByteArrayView bytes);
    /// Counts \a bytes that another writer put in the temporary through a handle of its own
    /// (SQLite), starting the disk on the file every few megabytes as write() does, so that
    /// commit() finds less left to sync.
    void countWrittenElsewhere(qint64 bytes);
    /// Syncs the temporary, gives it the target's permissions (or the usual ones for a new
    /// file), renames it to the target and syncs the folder. Throws FileExistsError when
    /// NoReplace finds the name taken: the written temporary is kept, so the caller may
    /// retarget() and commit again. Throws FileError on any other failure; the target is
    /// then as it was and the temporary is gone.
    void commit();
    /// Makes the temporary become \a target instead, a file of the same folder.
    void retarget(const QString &target);

    /// Replaces (or creates) the file at \a path with the given pieces in one step, as
    /// write() and commit() do.
    static void replace(const QString &path, std::initializer_list<QByteArrayView> pieces);

    /// Removes the temporaries that writers which died left in \a folder. A temporary still
    /// locked by a live writer, or younger than a minute, is left alone.
    static void removeStaleTemporaries(const QString &folder);

private:
    [[noreturn]] void fail(const QString &reason, int error) const;
    void place();
    void discard();
    void startWritebackWhenDue(off_t start);

    QString m_target;
    QString m_shownTarget; // as the caller named it, for messages
    QString m_folder;
    QString m_temporary;
    Placement m_placement;
    int m_fd = -1;
    off_t m_written = 0; // bytes written, by write() or counted as written elsewhere
    off_t m_writebackStart = 0; // where the data not yet handed to the disk starts
    bool m_committed = false;
};

} // namespace zel
