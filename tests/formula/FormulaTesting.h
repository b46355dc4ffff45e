#pragma once

#include "formula/FormulaException.h"
#include "formula/NumberFormat.h"
#include "formula/TTalFormula.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace zel::testing {

/// What a formula gave: its text result, or the error's message and position.
struct Outcome
{
    QString value;
    QString error;
    int line = 0;
    int column = 0;
    FormulaException::Kind kind = FormulaException::Kind::Evaluation;
};

inline std::ostream &operator<<(std::ostream &os, const Outcome &o)
{
    if (o.error.isEmpty())
        return os << "value '" << o.value.toStdString() << "'";
    return os << "error '" << o.error.toStdString() << "' at " << o.line << ":" << o.column;
}

/// Compiles and runs a formula on a fresh component (C locale) with "name=value" variables.
inline Outcome run(const QString &formula, const QStringList &assignments = {},
    const std::function<void(TTalFormula &)> &setup = {})
{
    QStringList names;
    TCalcArray values;
    for (const QString &a : assignments) {
        const qsizetype eq = a.indexOf(u'=');
        names.append(a.left(eq));
        double x = 0;
        const QString text = a.mid(eq + 1);
        values.push_back(NumberFormat::parse(text, u'.', x) ? TCalcItem::number(x)
                                                            : TCalcItem::text(text));
    }
    TTalFormula f;
    f.setLocale(QLocale::c());
    if (setup)
        setup(f);
    Outcome o;
    try {
        o.value = f.ComputeStr(formula, int(names.size()), names, &values);
    } catch (const FormulaException &e) {
        o.error = e.message();
        o.kind = e.kind();
        o.line = e.line();
        o.column = e.column();
    }
    return o;
}

/// One row of a table: a formula, its variables, and the expected text, or "!" followed by
/// the expected error message.
struct Case
{
    const char *formula;
    const char *expected;
    QStringList vars = {};
};

/// Runs every row of a table and reports each mismatch with its formula.
inline void expectAll(const std::vector<Case> &cases,
    const std::function<void(TTalFormula &)> &setup = {})
{
    for (const Case &c : cases) {
        const Outcome o = run(QString::fromUtf8(c.formula), c.vars, setup);
        const QString expected = QString::fromUtf8(c.expected);
        if (expected.startsWith(u'!'))
            EXPECT_EQ(o.error, expected.mid(1)) << c.formula << " gave " << o;
        else
            EXPECT_TRUE(o.error.isEmpty() && o.value == expected)
                << c.formula << " gave " << o << ", expected " << c.expected;
    }
}

} // namespace zel::testing
