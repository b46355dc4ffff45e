#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QTextStream>

#include <vector>

namespace zel {

/// What `zel info` found in a file: named values in the order they were added, printed
/// either as readable lines or as one JSON object with the same keys.
class InfoReport
{
public:
    /// Adds a value; arrays and objects are printed inline, arrays of objects one per line.
    void add(const QString &key, const QJsonValue &value);
    /// Adds a nested report (a record inside the record), printed indented.
    void addSection(const QString &key, const InfoReport &section);

    /// One "Key: value" line per item; control characters in texts are written as escapes.
    void printText(QTextStream &out, const QString &indent = {}) const;
    /// One JSON object (keys as added) followed by a newline.
    void printJson(QTextStream &out) const;
    /// The items as one JSON object.
    QJsonObject toJsonObject() const;

private:
    struct Item
    {
        QString key;
        QJsonValue value;
        int section = -1; ///< index into m_sections, or -1 for a plain value
    };
    QList<Item> m_items;
    std::vector<InfoReport> m_sections;
};

} // namespace zel
