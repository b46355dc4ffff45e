#pragma once

#include <QString>
#include <vector>

namespace zel {

/// How one file copy ended.
enum class CopyOutcome { Copied, SourceMissing, Failed };

/// One file copy: the file's name, how it ended and, for a failure, why.
struct CopyResult
{
    QString name;
    CopyOutcome outcome;
    QString reason;
};

/// Copies the file \a name of \a sourceFolder into \a targetFolder. Both are looked up
/// without regard to case: the target keeps the name it has there, a new one gets
/// \a name. The target is replaced in one step once the new content is on the device, so
/// a card pulled during the copy holds either the old file or the whole new one.
CopyResult copyCardFile(
    const QString &sourceFolder, const QString &targetFolder, const QString &name);

/// Copies the file \a source to \a target as copyCardFile does, with the names as given;
/// the result is named after the target.
CopyResult copyFileTo(const QString &source, const QString &target);

/// The results of a run of copies, and what the user is told about them.
class CopyReport
{
public:
    void add(CopyResult result);
    const std::vector<CopyResult> &results() const { return m_results; }

    /// True when every file was copied.
    bool complete() const;
    /// True when the file \a name (in any case) was copied.
    bool copied(const QString &name) const;
    /// One message naming the files skipped because they did not exist and those that
    /// failed with their reasons; empty when the report is complete.
    QString summary() const;

private:
    std::vector<CopyResult> m_results;
};

} // namespace zel
