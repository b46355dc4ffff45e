#pragma once

#include <QString>

namespace zel {

class RecordTable;

/// A raw log's file name up to its first "." ("run.2.Dsh" gives "run"), folder removed.
QString logStem(const QString &rawLogPath);

/// "<folder>/<stem><extension>" when no file of that name exists in \a folder (compared
/// without regard to case, as the card's files are), otherwise the first free
/// "<folder>/<stem> (n)<extension>" for n = 2, 3, ..., so an existing session log is never
/// replaced.
QString freeFileName(const QString &folder, const QString &stem, const QString &extension);

/// Saves \a table under freeFileName(folder, stem, extension), chosen again should another
/// program take that name first; returns the path saved. Never replaces a file.
QString saveUnderFreeName(
    RecordTable &table, const QString &folder, const QString &stem, const QString &extension);

/// Path of the entry of \a folder named \a name without regard to case (the first match in
/// name order), or "<folder>/<name>" when there is none.
QString existingFileName(const QString &folder, const QString &name);

} // namespace zel

namespace zel {

/// The name a session log is saved under from the save dialog: a name whose extension is
/// ".KRO" in any case is kept; otherwise a three-letter extension is dropped and ".KRO"
/// appended ("run1" and "run1.txt" give "run1.KRO", "run1.kro" stays).
QString kroSaveName(const QString &chosen);

} // namespace zel
