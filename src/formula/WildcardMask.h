#pragma once

#include <QString>
#include <QStringView>

#include <bitset>
#include <vector>

namespace zel {

/// The wildcard masks of LIKE: "*" any run, "?" any one character, "[a-c]" / "[!0-9]"
/// sets of characters below code 256; everything else matches itself, case included.
class WildcardMask
{
public:
    /// Reads the mask; an invalid one raises the mask error
    /// "'<mask>' is an invalid mask at (<position>)".
    explicit WildcardMask(const QString &mask);

    /// Whether the whole text matches the mask.
    bool matches(QStringView text) const;

    /// Reads the mask and matches the text against it.
    static bool match(QStringView text, const QString &mask);

private:
    enum class Kind { Literal, Any, Set };
    struct State
    {
        Kind kind = Kind::Literal;
        bool search = false; ///< a "*" came before it
        char16_t literal = 0;
        bool negate = false;
        std::bitset<256> set;

        bool accepts(char16_t c) const;
    };

    std::vector<State> m_states;
    bool m_trailingSearch = false; ///< the mask ends with "*"
};

} // namespace zel
