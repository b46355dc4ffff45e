#include "tools/zel/InfoReport.h"

#include "tools/zel/TerminalText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zel {

namespace {

QString scalarText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return QLatin1Char('"') + escapeControlCharacters(value.toString()) + QLatin1Char('"');
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::Null:
        return QStringLiteral("null");
    default:
        return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    }
}

QString inlineText(const QJsonValue &value)
{
    if (value.isArray()) {
        QStringList parts;
        for (const QJsonValue &v : value.toArray())
            parts << inlineText(v);
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    if (value.isObject()) {
        // Keys in the order they were inserted are lost in QJsonObject; sorted keys read fine.
        QStringList parts;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            parts << it.key() + QStringLiteral(": ") + inlineText(it.value());
        return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    return scalarText(value);
}

} // namespace

void InfoReport::add(const QString &key, const QJsonValue &value)
{
    m_items.append({key, value});
}

void InfoReport::addSection(const QString &key, const InfoReport &section)
{
    m_sections.push_back(section);
    m_items.append({key, section.toJsonObject(), int(m_sections.size()) - 1});
}

void InfoReport::printText(QTextStream &out, const QString &indent) const
{
    for (const Item &item : m_items) {
        if (item.section >= 0) {
            out << indent << item.key << ":\n";
            m_sections[std::size_t(item.section)].printText(out, indent + QStringLiteral("  "));
            continue;
        }
        const bool rows = item.value.isArray() && !item.value.toArray().isEmpty()
            && item.value.toArray().first().isObject();
        if (!rows) {
            out << indent << item.key << ": " << inlineText(item.value) << '\n';
            continue;
        }
        out << indent << item.key << ":\n";
        for (const QJsonValue &row : item.value.toArray())
            out << indent << "  " << inlineText(row) << '\n';
    }
}

QJsonObject InfoReport::toJsonObject() const
{
    QJsonObject object;
    for (const Item &item : m_items)
        object.insert(item.key, item.value);
    return object;
}

void InfoReport::printJson(QTextStream &out) const
{
    out << QString::fromUtf8(QJsonDocument(toJsonObject()).toJson(QJsonDocument::Indented));
}

} // namespace zel
