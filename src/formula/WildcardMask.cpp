#include "formula/WildcardMask.h"

#include "formula/FormulaException.h"

namespace zel {

namespace {

constexpr int kMaxSearchStates = 30;

FormulaException invalidMask(const QString &mask, qsizetype index)
{
    return FormulaException(
        QStringLiteral("'%1' is an invalid mask at (%2)").arg(mask).arg(index + 1),
        FormulaException::Kind::Mask);
}

} // namespace

bool WildcardMask::State::accepts(char16_t c) const
{
    switch (kind) {
    case Kind::Literal:
        return c == literal;
    case Kind::Any:
        return true;
    case Kind::Set:
        return negate != (c < 256 && set.test(c));
    }
    return false;
}

WildcardMask::WildcardMask(const QString &mask)
{
    const qsizetype n = mask.size();
    bool search = false;
    int searchStates = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = mask[i].unicode();
        if (c == u'*') {
            if (!search && ++searchStates > kMaxSearchStates)
                throw invalidMask(mask, i);
            search = true;
            continue;
        }
        if (c == u'?' && search)
            continue; // "*?" reads as "*"
        State st;
        st.search = search;
        search = false;
        if (c == u'?') {
            st.kind = Kind::Any;
        } else if (c == u'[') {
            st.kind = Kind::Set;
            ++i;
            if (i < n && mask[i] == u'!') {
                st.negate = true;
                ++i;
            }
            char16_t last = 0;
            bool haveLast = false;
            bool closed = false;
            for (; i < n; ++i) {
                const char16_t m = mask[i].unicode();
                if (m == u']') {
                    closed = true;
                    break;
                }
                if (m == u'-') {
                    if (!haveLast)
                        throw invalidMask(mask, i);
                    ++i;
                    if (i >= n)
                        break;
                    const char16_t end = mask[i].unicode();
                    for (unsigned v = last; v <= end && v < 256; ++v)
                        st.set.set(v);
                } else {
                    last = m;
                    haveLast = true;
                    if (m < 256)
                        st.set.set(m);
                }
            }
            if (!closed)
                throw invalidMask(mask, n);
            if (st.set.none())
                throw invalidMask(mask, i);
        } else {
            st.literal = c;
        }
        m_states.push_back(st);
    }
    m_trailingSearch = search;
}

bool WildcardMask::matches(QStringView text) const
{
    // Every "*" may resume one character further on; going back to the latest one only is
    // enough for single-character states and keeps the work at text x states.
    const qsizetype n = text.size();
    const size_t m = m_states.size();
    qsizetype p = 0;
    size_t s = 0;
    bool haveStar = false;
    size_t starState = 0;
    qsizetype starPos = 0;
    while (p < n) {
        if (s < m && m_states[s].search) {
            haveStar = true;
            starState = s;
            starPos = p;
        }
        if (s < m && m_states[s].accepts(text[p].unicode())) {
            ++p;
            ++s;
        } else if (s == m && m_trailingSearch) {
            return true;
        } else if (haveStar) {
            s = starState;
            p = ++starPos;
        } else {
            return false;
        }
    }
    return s == m;
}

bool WildcardMask::match(QStringView text, const QString &mask)
{
    return WildcardMask(mask).matches(text);
}

} // namespace zel
