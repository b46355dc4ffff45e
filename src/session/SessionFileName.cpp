#include "session/SessionFileName.h"

#include "session/RecordTable.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace zel {

QString logStem(const QString &rawLogPath)
{
    const QString name = QFileInfo(rawLogPath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString freeFileName(const QString &folder, const QString &stem, const QString &extension)
{
    QSet<QString> taken;
    const QDir dir(folder);
    for (const QString &entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        taken.insert(entry.toCaseFolded());
    QString name = stem + extension;
    for (int n = 2; taken.contains(name.toCaseFolded()); ++n)
        name = QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), extension);
    return dir.filePath(name);
}

QString saveUnderFreeName(
    RecordTable &table, const QString &folder, const QString &stem, const QString &extension)
{
    return table.saveToFreeFile([&] { return freeFileName(folder, stem, extension); });
}

QString existingFileName(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

} // namespace zel

namespace zel {

QString kroSaveName(const QString &chosen)
{
    const QFileInfo info(chosen);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    if (extension.toUpper() == QStringLiteral(".KRO"))
        return chosen;
    // Only the name part is looked at, so a dot in a folder name is never taken for one.
    QString path = chosen;
    if (extension.size() == 4)
        path.chop(4);
    return path + QStringLiteral(".KRO");
}

} // namespace zel
