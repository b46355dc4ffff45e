#pragma once

#include <QString>
#include <QStringView>

namespace zel {

class FormulaBudget;

/// The wildcard masks of LIKE: "*" any run, "?" any one character, "[a-c]" / "[!0-9]"
/// sets of characters below code 256; everything else matches itself, case included.
/// The mask is read from its text as the match goes, so a mask of any length needs no
/// memory beyond its text; every character read is charged to the work budget.
class WildcardMask
{
public:
    /// Checks the mask; an invalid one raises the mask error
    /// "'<mask>' is an invalid mask at (<position>)".
    WildcardMask(const QString &mask, FormulaBudget &budget);

    /// Whether the whole text matches the mask.
    bool matches(QStringView text) const;

private:
    enum class Kind { Literal, Any, Set, End };
    /// One state of the mask: a character to match, read from the mask's text.
    struct State
    {
        Kind kind = Kind::End; ///< End: no state is left
        bool search = false; ///< a "*" came before it (before the end: the mask ends with "*")
        char16_t literal = 0;
        bool negate = false;
        qsizetype setBegin = 0, setEnd = 0; ///< a set's members: mask[setBegin, setEnd)
        qsizetype next = 0; ///< where the following state starts
    };

    State stateAt(qsizetype at, qint64 &read) const;
    bool accepts(const State &state, char16_t c, qint64 &read) const;
    void raiseInvalid(qsizetype index) const;

    QString m_mask;
    FormulaBudget &m_budget;
};

} // namespace zel
