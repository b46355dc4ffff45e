#pragma once

#include <QString>

#include <stdexcept>

namespace zel {

/// The base of every error the program raises on purpose. Its message is written for the
/// user and names what failed (the file, column, card entry or formula), so a window can
/// show it as it stands and the command line can print it on one line. The subclasses tell
/// which subsystem raised it, for callers that handle one kind and pass the rest on.
class Error : public std::runtime_error
{
public:
    /// An error with a user-readable message.
    explicit Error(const QString &message);

    /// The message as a QString (what() gives it in UTF-8).
    QString message() const { return m_message; }

private:
    QString m_message;
};

/// A file or folder that cannot be created, written, renamed or read by a general file
/// operation; the message names the path.
class FileError : public Error
{
public:
    using Error::Error;
};

} // namespace zel
