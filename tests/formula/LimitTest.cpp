#include "FormulaTesting.h"
#include "formula/DateFormat.h"
#include "formula/Opcode.h"

using namespace zel;
using namespace zel::testing;

namespace {

const QString kWorkLimit = QStringLiteral("Formula stopped: work limit exceeded");
const QString kMemoryLimit = QStringLiteral("Formula stopped: texts need too much memory");

Outcome runLimited(const QString &formula, const QStringList &assignments, qint64 workLimit)
{
    return run(formula, assignments, [workLimit](TTalFormula &f) { f.setWorkLimit(workLimit); });
}

} // namespace

// A loop of a thousand steps is far below the instruction budget, but every operation on
// a text of ten thousand characters is charged for them: the loops run out of work.
TEST(FormulaLimits, TextOperationsAreChargedByTheirCharacters)
{
    const QString text(10000, u'x');
    const QStringList vars { "i=0", "t=" + text, "u=" + text, "w=" + QString(10000, u' ') + "x",
        "d=" + QString(10000, u'7'), "p=" + QString(10000, u'#') };
    const QString loop = QStringLiteral("FOR $i := 0, i < %1, $i++ DO %2 NEXT");
    const char *const operations[] = {
        "t + 'y'",
        "t @ 'y'",
        "LEFTSTR(t, 9999)",
        "MIDSTR(t, 2, 9999)",
        "RIGHTSTR(t, 9999)",
        "UPPERCASE(t)",
        "LOWERCASE(t)",
        "TRIM(w)",
        "t = u",
        "t < u",
        "t LIKE '*y'",
        "POS('y', t)",
        "ISNUMBER(d)",
        "CONCAT(t, t)",
        "STRINGOFCHAR('x', 10000)",
        "FORMAT(p, 1)",
        "FORMATF(t, 1)",
        "FORMATDATE(t, 1)",
    };
    for (const char *operation : operations) {
        const Outcome few = runLimited(loop.arg("3", QLatin1String(operation)), vars, 1'000'000);
        EXPECT_EQ(few.value, "3") << operation << " gave " << few;
        const Outcome many
            = runLimited(loop.arg("1000", QLatin1String(operation)), vars, 1'000'000);
        EXPECT_EQ(many.error, kWorkLimit) << operation << " gave " << many;
        EXPECT_EQ(many.kind, FormulaException::Kind::Limit) << operation;
    }
    // The numeric path costs one unit an instruction, as before.
    EXPECT_EQ(runLimited(loop.arg("1000", "0"), vars, 1'000'000).value, "1000");
}

TEST(FormulaLimits, LiteralsAndNameLookupsAreCharged)
{
    const QString literal
        = QStringLiteral("FOR $i := 0, i < 1000, $i++ DO '%1' NEXT").arg(QString(10000, u'y'));
    EXPECT_EQ(runLimited(literal, { "i=0" }, 1'000'000).error, kWorkLimit);
    // Every name lookup compares the name with each variable's.
    QStringList vars { "i=0" };
    for (int k = 0; k < 5000; ++k)
        vars << QStringLiteral("v%1=0").arg(k);
    EXPECT_EQ(runLimited("FOR $i := 0, i < 1000, $i++ DO EXISTS('zz') NEXT", vars, 1'000'000).error,
        kWorkLimit);
}

// The formulas of the report: each ends at once with a limit instead of running for hours
// or taking gigabytes.
TEST(FormulaLimits, RunawayTextFormulasStop)
{
    const std::pair<QString, QString> rows[] = {
        { "WHILE 1 DO STRINGOFCHAR('x', 16777216) WEND", kWorkLimit },
        { "COUNT(STRINGOFCHAR('x', 16777216), STRINGOFCHAR('y', 16777216), "
          "STRINGOFCHAR('z', 2000000))",
            kMemoryLimit },
    };
    for (const auto &[formula, message] : rows) {
        const Outcome o = run(formula);
        EXPECT_EQ(o.error, message) << formula.left(80).toStdString();
        EXPECT_EQ(o.kind, FormulaException::Kind::Limit);
    }
}

TEST(FormulaLimits, SharedTextsCountOnceAndOldValuesDoNotCount)
{
    // A variable pushed many times is one text in memory.
    const QString big(16777215, u'a');
    EXPECT_EQ(run("COUNT(a, a, a, a, a, a, a, a, a, a) + LENGTH(a + 'b')", { "a=" + big }).value,
        "16777226");
    // A text left on the stack by an earlier evaluation does not hold the next one back.
    TTalFormula f;
    TCalcArray none;
    EXPECT_EQ(
        f.ComputeStr("BLOCK(0, 0, 0, 0, 0, STRINGOFCHAR('a', 16777216), 0)", 0, {}, &none), "0");
    EXPECT_EQ(f.ComputeStr(
                  "COUNT(STRINGOFCHAR('x', 16777216), STRINGOFCHAR('y', 16777000))", 0, {}, &none),
        "2");
}

TEST(FormulaLimits, RecursionHoldsItsTextsWithinTheLimit)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    // Every level keeps its own text, set aside while the next one runs.
    f.CompileProgram("SUB f(s, n) IF n > 0 THEN f(s + 'x', n - 1) ELSE LENGTH(s) ENDIF\n"
                     "SUB deep(n) IF n > 0 THEN deep(n - 1) ELSE 1 ENDIF");
    f.setWorkLimit(100'000'000);
    TCalcArray small { TCalcItem::text(QString(1000, u'a')), TCalcItem::number(200) };
    EXPECT_EQ(f.RunSub("f", &small), "1200");
    TCalcArray large { TCalcItem::text(QString(8000000, u'a')), TCalcItem::number(5) };
    try {
        f.RunSub("f", &large);
        ADD_FAILURE() << "five texts of 8M characters were held";
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), kMemoryLimit);
        EXPECT_EQ(e.kind(), FormulaException::Kind::Limit);
    }
    TCalcArray tooDeep { TCalcItem::number(300) };
    try {
        f.RunSub("deep", &tooDeep);
        ADD_FAILURE() << "300 nested calls ran";
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), "Formula stopped: calls nested too deeply");
        EXPECT_EQ(e.kind(), FormulaException::Kind::Limit);
    }
    // The component is usable afterwards, with every saved level given back.
    EXPECT_EQ(f.RunSub("f", &small), "1200");
}

TEST(FormulaLimits, IsNumberPassesLimitsOn)
{
    EXPECT_EQ(runLimited("ISNUMBER(STRINGOFCHAR('1', 100000))", {}, 70000).error, kWorkLimit);
}

TEST(FormulaLimits, LongLikeMasksNeedNoMemoryOfTheirOwn)
{
    // A mask is read from its text as the match goes: any length is matched, and charged.
    EXPECT_EQ(run("'abc' LIKE STRINGOFCHAR('a', 16777216)").value, "0");
    EXPECT_EQ(
        run("STRINGOFCHAR('a', 1000000) LIKE (STRINGOFCHAR('?', 999999) + '[a-c]')").value, "1");
    EXPECT_EQ(runLimited("'abc' LIKE STRINGOFCHAR('a', 4000000)", {}, 1'500'000).error, kWorkLimit);
}

TEST(FormulaLimits, FormatDateIsLinearInItsPicture)
{
    // Runs of one letter are read only as far as one element goes.
    const double sixThirty = 45000 + 6.5 / 24;
    FormulaBudget budget;
    QString expected;
    for (int k = 0; k < 15000; ++k)
        expected += "06";
    EXPECT_EQ(
        DateFormat::picture(QString(30001, u'h'), sixThirty, QLocale::c(), budget), expected + "6");
    EXPECT_EQ(DateFormat::picture(QString(30000, u'x'), sixThirty, QLocale::c(), budget),
        QString(30000, u'x'));
    EXPECT_EQ(runLimited("FORMATDATE(STRINGOFCHAR('x', 30000), 1)", {}, 100000).error, kWorkLimit);
    // Elements that write more than they read cannot build a text beyond the longest.
    EXPECT_EQ(run("FORMATDATE(STRINGOFCHAR('c', 1000000), 45000.5)").error, "Text too long");
}

TEST(FormulaLimits, MessagesCutLongUserTexts)
{
    const QString cut = QString(60, u'x') + "...";
    const std::pair<const char *, QString> rows[] = {
        { "STRINGOFCHAR('x', 100000) * 2", "'" + cut + "' is not a valid floating point value" },
        { "'a' LIKE (STRINGOFCHAR('x', 100) + '[')", "'" + cut + "' is an invalid mask at (102)" },
        { "'a' LIKE '%1x['", "'%1x[' is an invalid mask at (5)" },
        { "DATE(STRINGOFCHAR('x', 100))", "'" + cut + "' is not a valid date and time" },
        { "HEX(STRINGOFCHAR('x', 100))", "'" + cut + "' is not a valid integer value" },
        { "FORMATF(STRINGOFCHAR('x', 100) + '%s', 1)",
            "Format '" + cut + "' invalid or incompatible with argument" },
        { "VAL(STRINGOFCHAR('x', 100))", "Variable " + cut + " does not exists" },
    };
    for (const auto &[formula, message] : rows)
        EXPECT_EQ(run(formula).error, message) << formula;
    const QString name(100, u'q');
    EXPECT_EQ(run(name + " + 1").error, "Unknown identifier '" + QString(60, u'q') + "...'");
}

TEST(FormulaLimits, CompiledCodeKeepsItsInstructionValues)
{
    TTalFormula f;
    const QString code = f.Compile("-a + 'b' LIKE 'c' XOR SIN(a)", 1, { "a" });
    const auto at = [&](qsizetype i) { return code[i].unicode(); };
    // -a: the variable, then the negation.
    EXPECT_EQ(at(0), 253);
    EXPECT_EQ(at(0), Opcode::PushVariable);
    EXPECT_EQ(at(2), 251);
    EXPECT_EQ(at(2), Opcode::Negate);
    EXPECT_EQ(at(3), 246);
    EXPECT_EQ(at(3), Opcode::PushString);
    const std::pair<Opcode::Code, int> values[] = { { Opcode::CallSub, 220 },
        { Opcode::PushMainVariable, 222 }, { Opcode::Like, 223 }, { Opcode::Return, 224 },
        { Opcode::BitNot, 225 }, { Opcode::ShiftRight, 229 }, { Opcode::ShiftLeft, 230 },
        { Opcode::PushExternal, 231 }, { Opcode::CallMember, 234 }, { Opcode::Drop, 241 },
        { Opcode::Jump, 242 }, { Opcode::JumpIfZero, 244 }, { Opcode::CallBuiltin, 245 },
        { Opcode::Xor, 247 }, { Opcode::CallUserFunction, 248 }, { Opcode::NotEqual, 252 },
        { Opcode::PushNumber, 254 }, { Opcode::Concat, u'@' } };
    for (const auto &[op, value] : values)
        EXPECT_EQ(int(op), value);
    EXPECT_TRUE(code.contains(QChar(Opcode::Like)));
    EXPECT_TRUE(code.contains(QChar(Opcode::Xor)));
    EXPECT_TRUE(code.contains(QChar(Opcode::CallBuiltin)));
    EXPECT_EQ(code.back(), QChar(Opcode::Return));
}
