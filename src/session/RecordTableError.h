#pragma once

#include <QString>
#include <stdexcept>

namespace zel {

/// Error raised by the record table facility; the message names the column, filter or file.
class RecordTableError : public std::runtime_error
{
public:
    /// Creates the error with a user-readable message.
    explicit RecordTableError(const QString &message)
        : std::runtime_error(message.toStdString())
    { }

    /// The message as a QString, for message boxes.
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace zel
