// Any formula text, however long, deep or malformed, compiles or fails with an error and
// then runs to a value or a FormulaException: never a crash, a hang or a read out of bounds.
// The work budget is lowered so that even formulas that spend all of it run in a few
// milliseconds under the sanitizers.
// The same holds for program texts (SUB, GLOBAL, CONST) and the runs of their sub-formulas,
// with host functions and a module registered so that member paths are reached too.

#include "formula/ApplicationFunctions.h"
#include "formula/FormulaException.h"
#include "formula/TTalFormula.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace zel;

// Every input builds a whole formula component and frees it again. AddressSanitizer holds
// 256 MB of freed memory back by default to catch late uses, which with its bookkeeping
// leaves this target at the edge of the 512 MB a fuzz run allows (-rss_limit_mb=512); a
// smaller quarantine still catches a use after free within one input.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the options; the rest is the formula text.
    const std::uint8_t options = data[0];
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
        qsizetype(size - 1));

    TTalFormula f;
    f.setLocale(QLocale::c());
    f.setWorkLimit(200000);
    f.setUnQuotedString(options & 1);
    f.setNoLeadingZero(options & 2);
    f.setZeroEmptyString(options & 4);
    f.setCaseSensitive(options & 8);
    f.setCaseSensitiveString(options & 16);
    f.setExternGetVar(options & 32);
    if (options & 64) {
        f.setGetVarsCount([](const QString &name, int &count, bool) { count = int(name.size() % 4); });
        f.setGetVarValue([](const QString &name, int n, QString &val, bool) {
            val = n % 2 ? name : QString::number(n);
        });
    }
    FormulaDialogs dialogs;
    dialogs.input = [](const QString &, const QString &, QString &) { return true; };
    dialogs.message = [](const QString &, const QString &, int) { return 1; };
    f.setDialogs(dialogs);
    f.setMaxCallDepth(64);
    registerApplicationFunctions(f);
    const pformulafunction first = [](TFormulaCalc &C, TCalcItem &r) { r = C.Item(0); };
    PTableItem obj = f.AddUserFunction("obj", 0, first, true);
    f.AddModuleFunction(obj, "size", 0, first);
    f.AddModuleFunction(obj, "setsize", 1, first);
    PTableItem inner = f.AddModuleFunction(obj, "inner", -1, first, true);
    f.AddModuleFunction(inner, "pair", 2, first);

    if (options & 128) {
        try {
            f.CompileProgram(text);
        } catch (const FormulaException &) {
            if (f.Error() == ER_Ok)
                __builtin_trap();
        }
        const size_t subs = std::min<size_t>(f.SubFormula().size(), 8);
        for (size_t i = 0; i < subs; ++i) {
            TCalcArray args(size_t(f.SubFormula()[i].paramcount), TCalcItem::number(2));
            try {
                f.RunSub(int(i), &args);
            } catch (const FormulaException &) {
            }
            try {
                f.RunSub(f.SubFormula()[i].name, nullptr);
            } catch (const FormulaException &) {
            }
        }
        return 0;
    }

    const QStringList names{QStringLiteral("rpm"), QStringLiteral("speed"), QStringLiteral("s")};
    TCalcArray vals{TCalcItem::number(6500), TCalcItem::number(-12.5), TCalcItem::text("abc")};
    if (!f.Test(text, 3, names)) {
        if (f.Error() == ER_Ok || f.GetLastErrorStr().isEmpty())
            __builtin_trap();
        return 0;
    }
    try {
        f.Compile(text, 3, names);
        f.ComputeN(3, &vals);
    } catch (const FormulaException &) {
    }
    try {
        f.Compute(3, &vals);
    } catch (const FormulaException &) {
    }
    return 0;
}
