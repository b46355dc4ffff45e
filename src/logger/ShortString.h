#pragma once

#include "common/AnsiText.h"

#include <QString>

#include <cstdint>
#include <cstring>

namespace zel {

/// A short string of N as the logger stores it: one length byte, then N single-byte
/// characters in the card's code page. A length byte above N (a damaged or hostile file)
/// reads as the whole field; nothing past the field is ever read or written.
template<int N>
struct ShortString
{
    static_assert(N > 0 && N < 256);

    std::uint8_t Length;
    char Chars[N];

    int length() const { return Length > N ? N : Length; }

    QString toString() const { return fromAnsi(QByteArrayView(Chars, length())); }

    /// Stores text cut to N characters; the unused tail is zeroed so files are repeatable.
    void assign(const QString &text)
    {
        const QByteArray bytes = toAnsi(text);
        const int n = bytes.size() < N ? int(bytes.size()) : N;
        Length = std::uint8_t(n);
        std::memset(Chars, 0, N);
        std::memcpy(Chars, bytes.constData(), std::size_t(n));
    }
} __attribute__((packed));

static_assert(sizeof(ShortString<31>) == 32);
static_assert(sizeof(ShortString<47>) == 48);
static_assert(sizeof(ShortString<255>) == 256);

} // namespace zel
