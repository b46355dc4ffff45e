#include "FormulaTesting.h"

#include "formula/WildcardMask.h"

using namespace zel;
using namespace zel::testing;

namespace {

bool like(const QString &text, const QString &mask)
{
    FormulaBudget budget;
    return WildcardMask(mask, budget).matches(text);
}

} // namespace

TEST(WildcardMask, Matching)
{
    struct Row
    {
        const char *text;
        const char *mask;
        bool matches;
    };
    const Row rows[] = {
        {"abc", "a*", true},
        {"abc", "A*", false},
        {"abc", "?b?", true},
        {"ab", "ab?", false},
        {"a1", "[a-c][!0]", true},
        {"a0", "[a-c][!0]", false},
        {"d1", "[a-c]1", false},
        {"", "*", true},
        {"", "", true},
        {"x", "", false},
        {"abc", "*c", true},
        {"abcbc", "*bc", true},
        {"abcbd", "*bc", false},
        {"ab", "*?b", true},
        {"b", "*?b", true},
        {"aXbXc", "a*b*c", true},
        {"mississippi", "*sip*", true},
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*x*", false},
        {"e", "[a-ce]", true},
        {"\u20AC", "[!a]", true},
        {"\u20AC", "?", true},
        {"x.dsh", "*.dsh", true},
        {"e", "[a-c-e]", true},
        {"d", "[!a-c]", true},
        {"b", "[!a-c]", false},
        {"]", "[a-]]", false},
        {"a", "*??a", true},
        {"a", "a*?", true},
        {"ab", "[ab][ab]*", true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(like(QString::fromUtf8(r.text), QString::fromUtf8(r.mask)), r.matches)
            << r.text << " LIKE " << r.mask;
}

TEST(WildcardMask, InvalidMasksNameThePosition)
{
    const std::pair<const char *, const char *> rows[] = {
        {"[-a]", "'[-a]' is an invalid mask at (2)"},
        {"ab[cd", "'ab[cd' is an invalid mask at (6)"},
        {"[]", "'[]' is an invalid mask at (2)"},
        {"[!]", "'[!]' is an invalid mask at (3)"},
        {"[\u20AC]", "'[\u20AC]' is an invalid mask at (3)"},
    };
    for (const auto &[mask, message] : rows) {
        try {
            FormulaBudget budget;
            WildcardMask m(QString::fromUtf8(mask), budget);
            ADD_FAILURE() << mask << " was accepted";
        } catch (const FormulaException &e) {
            EXPECT_EQ(e.kind(), FormulaException::Kind::Mask);
            EXPECT_EQ(e.message(), QString::fromUtf8(message));
        }
    }
}

TEST(WildcardMask, SearchStatesAreBounded)
{
    QString thirty, thirtyOne;
    for (int i = 0; i < 30; ++i)
        thirty += QStringLiteral("*a");
    thirtyOne = thirty + QStringLiteral("*b");
    EXPECT_TRUE(like(QString(40, u'a'), thirty));
    EXPECT_THROW(like("a", thirtyOne), FormulaException);
    // Backtracking stays linear in practice: a long text against many stars ends at once.
    EXPECT_FALSE(like(QString(200000, u'a'), thirty + u'b'));
    expectAll({{"'x' LIKE '[-a]'", "!'[-a]' is an invalid mask at (2)"}, {"12 LIKE '1?'", "1"}});
}
