#include "card/CardFileCopy.h"

#include "common/AtomicFile.h"
#include "session/SessionFileName.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <utility>

namespace zel {

namespace {

constexpr qint64 kChunkSize = 1 << 16;

CopyResult failed(const QString &name, const QString &reason)
{
    return { name, CopyOutcome::Failed, reason };
}

} // namespace

CopyResult copyCardFile(
    const QString &sourceFolder, const QString &targetFolder, const QString &name)
{
    CopyResult result
        = copyFileTo(existingFileName(sourceFolder, name), existingFileName(targetFolder, name));
    result.name = name;
    return result;
}

CopyResult copyFileTo(const QString &source, const QString &target)
{
    const QString name = QFileInfo(target).fileName();
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists())
        return { name, CopyOutcome::SourceMissing, {} };
    if (!sourceInfo.isFile())
        return failed(name, QStringLiteral("\"%1\" is not a regular file").arg(source));
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return failed(
            name, QStringLiteral("cannot read \"%1\": %2").arg(source, input.errorString()));
    try {
        // Each copy is synced before it replaces the target, so no pause is needed for the
        // card to catch up.
        AtomicFile output(target, AtomicFile::Placement::Replace);
        while (!input.atEnd()) {
            const QByteArray chunk = input.read(kChunkSize);
            if (chunk.isEmpty() && input.error() != QFileDevice::NoError) {
                return failed(name,
                    QStringLiteral("cannot read \"%1\": %2").arg(source, input.errorString()));
            }
            output.write(chunk);
        }
        output.commit();
    } catch (const FileError &error) {
        return failed(name, error.message());
    }
    return { name, CopyOutcome::Copied, {} };
}

void CopyReport::add(CopyResult result)
{
    m_results.push_back(std::move(result));
}

bool CopyReport::complete() const
{
    for (const CopyResult &result : m_results) {
        if (result.outcome != CopyOutcome::Copied)
            return false;
    }
    return true;
}

bool CopyReport::copied(const QString &name) const
{
    for (const CopyResult &result : m_results) {
        if (result.outcome == CopyOutcome::Copied
            && result.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString CopyReport::summary() const
{
    QStringList missing;
    QStringList failures;
    for (const CopyResult &result : m_results) {
        if (result.outcome == CopyOutcome::SourceMissing)
            missing << result.name;
        else if (result.outcome == CopyOutcome::Failed)
            failures << QStringLiteral("%1 (%2)").arg(result.name, result.reason);
    }
    QStringList parts;
    if (!missing.isEmpty()) {
        parts << QStringLiteral("These files were skipped because they do not exist: %1.")
                     .arg(missing.join(QStringLiteral(", ")));
    }
    if (!failures.isEmpty()) {
        parts << QStringLiteral("These files were not copied: %1.")
                     .arg(failures.join(QStringLiteral("; ")));
    }
    return parts.join(u'\n');
}

} // namespace zel
