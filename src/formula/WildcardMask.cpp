#include "formula/WildcardMask.h"

#include "formula/FormulaBudget.h"
#include "formula/FormulaException.h"

namespace zel {

namespace {

constexpr int kMaxSearchStates = 30;
// Characters read between two charges to the budget.
constexpr qint64 kChargeEvery = 4096;

} // namespace

WildcardMask::WildcardMask(const QString &mask, FormulaBudget &budget)
    : m_mask(mask)
    , m_budget(budget)
{
    m_budget.chargeChars(mask.size());
    int searchStates = 0;
    qint64 read = 0;
    qsizetype at = 0;
    for (;;) {
        // A run of "*" is one search state; the 31st is invalid at its first "*".
        if (at < mask.size() && mask[at] == u'*' && ++searchStates > kMaxSearchStates)
            raiseInvalid(at);
        const State state = stateAt(at, read);
        if (state.kind == Kind::End)
            break;
        at = state.next;
    }
}

void WildcardMask::raiseInvalid(qsizetype index) const
{
    throw FormulaException(QStringLiteral("'%1' is an invalid mask at (%2)")
                               .arg(FormulaException::excerpt(m_mask), QString::number(index + 1)),
        FormulaException::Kind::Mask);
}

WildcardMask::State WildcardMask::stateAt(qsizetype at, qint64 &read) const
{
    const qsizetype n = m_mask.size();
    const QChar *mask = m_mask.constData();
    State state;
    qsizetype i = at;
    // "*?" reads as "*".
    while (i < n && (mask[i] == u'*' || (mask[i] == u'?' && state.search))) {
        state.search = true;
        ++i;
    }
    if (i >= n) {
        read += i - at;
        state.next = n;
        return state;
    }
    const char16_t c = mask[i].unicode();
    if (c == u'?') {
        state.kind = Kind::Any;
    } else if (c != u'[') {
        state.kind = Kind::Literal;
        state.literal = c;
    } else {
        state.kind = Kind::Set;
        ++i;
        if (i < n && mask[i] == u'!') {
            state.negate = true;
            ++i;
        }
        state.setBegin = i;
        // A range runs from the last single member before it: "[a-c-e]" is a to e.
        char16_t last = 0;
        bool haveLast = false;
        bool closed = false;
        bool any = false; // some member is below 256
        for (; i < n; ++i) {
            const char16_t m = mask[i].unicode();
            if (m == u']') {
                closed = true;
                break;
            }
            if (m == u'-') {
                if (!haveLast)
                    raiseInvalid(i);
                ++i;
                if (i >= n)
                    break;
                any = any || (last <= mask[i].unicode() && last < 256);
            } else {
                last = m;
                haveLast = true;
                any = any || m < 256;
            }
        }
        if (!closed)
            raiseInvalid(n);
        if (!any)
            raiseInvalid(i);
        state.setEnd = i;
    }
    state.next = i + 1;
    read += state.next - at;
    return state;
}

bool WildcardMask::accepts(const State &state, char16_t c, qint64 &read) const
{
    switch (state.kind) {
    case Kind::Literal:
        return c == state.literal;
    case Kind::Any:
        return true;
    case Kind::End:
        return false;
    case Kind::Set:
        break;
    }
    bool member = false;
    if (c < 256) {
        const QChar *mask = m_mask.constData();
        char16_t last = 0;
        qsizetype i = state.setBegin;
        for (; i < state.setEnd && !member; ++i) {
            const char16_t m = mask[i].unicode();
            if (m == u'-') {
                const char16_t end = mask[++i].unicode();
                member = last <= c && c <= end;
            } else {
                last = m;
                member = m == c;
            }
        }
        read += i - state.setBegin;
    }
    return member != state.negate;
}

bool WildcardMask::matches(QStringView text) const
{
    // Every "*" may resume one character further on; going back to the latest one only is
    // enough for single-character states. The work is at most text x mask, and charged.
    const qsizetype n = text.size();
    qint64 read = 0;
    const auto charge = [&] {
        m_budget.chargeChars(read);
        read = 0;
    };
    qsizetype p = 0;
    State state = stateAt(0, read);
    bool haveStar = false;
    State star;
    qsizetype starPos = 0;
    bool result = false;
    for (;;) {
        ++read;
        if (read >= kChargeEvery)
            charge();
        if (p >= n) {
            result = state.kind == Kind::End;
            break;
        }
        if (state.kind != Kind::End && state.search) {
            haveStar = true;
            star = state;
            starPos = p;
        }
        if (accepts(state, text[p].unicode(), read)) {
            ++p;
            state = stateAt(state.next, read);
        } else if (state.kind == Kind::End && state.search) {
            result = true;
            break;
        } else if (haveStar) {
            state = star;
            p = ++starPos;
        } else {
            break;
        }
    }
    charge();
    return result;
}

} // namespace zel
