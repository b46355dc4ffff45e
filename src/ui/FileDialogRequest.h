#pragma once

#include <QString>
#include <QStringList>

namespace zel {

/// What an open or save file dialog is asked to show. Texts are given as the windows write
/// them; the dialog service converts them to the toolkit's forms (see the functions below).
struct FileDialogRequest
{
    QString caption;
    /// Pairs of description and patterns, all separated by "|", patterns by ";":
    /// "ZEL Log File|*.kro|Text File|*.txt;*.csv". Empty: every file.
    QString filter;
    /// Appended to a typed name without extension: "kro", ".TRN" or "*.Map" all mean one.
    QString defaultExtension;
    /// Folder the dialog starts in; empty: the toolkit's default.
    QString initialFolder;
    /// Name proposed in the name field; a pattern such as "*.Trn" proposes nothing.
    QString initialFileName;
    /// Save dialogs only: ask before a chosen existing file is replaced.
    bool confirmOverwrite = false;
};

/// The filter as the toolkit's list of name filters: "Desc|*.a;*.b" gives "Desc (*.a *.b)".
/// A pair without patterns, and a trailing description without its pair, are left out; a
/// pair without description is described by its patterns.
QStringList qtNameFilters(const QString &filter);

/// The default extension without the leading "*." or "."; empty when what is left is itself
/// a pattern ("*.*").
QString qtDefaultSuffix(const QString &defaultExtension);

/// The name to put in the dialog's name field: \a initialFileName, or empty when it holds
/// a wildcard.
QString proposedFileName(const QString &initialFileName);

} // namespace zel
