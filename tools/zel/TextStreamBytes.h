#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTextStream>

namespace zel {

/// Writes bytes where a text stream writes, past its encoder: to its device (standard
/// output for the program), or, for a stream on a string (a command run in-process), into
/// the string as UTF-8 text. For output that is bytes already, such as CSV, which would
/// otherwise be decoded into text only to be encoded again.
class TextStreamBytes
{
public:
    /// Flushes \a stream first, so that the bytes follow what was written to it.
    explicit TextStreamBytes(QTextStream &stream);

    /// Writes \a bytes; throws FileError when the device refuses them.
    void write(QByteArrayView bytes);
    /// Puts out what is still buffered; throws FileError when it cannot be written, so that
    /// output lost on a full disk or a closed pipe is never reported as written.
    void finish();

private:
    [[noreturn]] void fail() const;

    QTextStream &m_stream;
    QByteArray m_text; // for a stream on a string: decoded once whole, never split in a character
};

} // namespace zel
