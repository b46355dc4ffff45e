// The host side of TTalFormula: registered functions, modules and constants, and the
// translation of its messages.
#include "common/AnsiText.h"
#include "formula/AsciiUpper.h"
#include "formula/FormulaException.h"
#include "formula/FormulaFunctions.h"
#include "formula/FormulaMessages.h"
#include "formula/TTalFormula.h"

#include <QFile>
#include <QStringDecoder>

namespace zel {

namespace {

// Compiled code addresses a function or member by a 16-bit index.
constexpr size_t kMaxEntries = 0xFFFF;

FormulaException message(FormulaMessages::Id id)
{
    return FormulaException(FormulaMessages::text(id));
}

// The "name=value" lines of one section of an ini file, the way the original platform's
// ini files are read: section names compare without case, names and values are trimmed,
// lines starting with ";" are comments, and values are taken as written (no quoting or list
// rules). UTF-8 text is read as such, anything else as the Windows code page.
QStringList iniSection(const QString &fileName, const QString &section)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = fromAnsi(bytes);

    QStringList lines;
    bool inside = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            inside = close > 0
                && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inside)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            lines.append(line.toString());
        else
            lines.append(line.left(eq).trimmed().toString() + u'='
                + line.mid(eq + 1).trimmed().toString());
    }
    return lines;
}

} // namespace

PTableItem TTalFormula::AddUserFunction(const QString &name, int paramcount,
    pformulafunction fun, bool ismodule)
{
    const QString upper = upperAscii(name);
    if (FormulaFunctions::indexOf(upper) >= 0)
        throw message(FormulaMessages::FunctionAlreadyDefined);
    for (const auto &item : userfunc)
        if (item->name == upper)
            throw message(FormulaMessages::UserFunctionAlreadyDefined);
    if (userfunc.size() >= kMaxEntries)
        throw message(FormulaMessages::TooManyUserFunctionsDefined);
    auto item = std::make_unique<FTableItem>();
    item->name = upper;
    item->paramcount = paramcount;
    item->fun = std::move(fun);
    item->module = ismodule;
    userfunc.push_back(std::move(item));
    ++fgeneration; // a name that was a variable may now be this function
    return userfunc.back().get();
}

PTableItem TTalFormula::AddNumericFunction(
    const QString &name, int paramcount, pnumericfunction fun)
{
    if (paramcount < 1 || paramcount > kMaxNumericArguments || !fun)
        throw FormulaException(
            QStringLiteral("'%1' cannot be a function of %2 numbers").arg(name).arg(paramcount));
    PTableItem item = AddUserFunction(name, paramcount,
        [paramcount, fun](TFormulaCalc &calc, TCalcItem &result) {
            double args[kMaxNumericArguments];
            for (int k = 0; k < paramcount; ++k)
                args[k] = calc.ItemN(paramcount - 1 - k);
            result = TCalcItem::number(TFormulaCalc::checked(fun(args)));
        });
    item->numeric = fun;
    return item;
}

PTableItem TTalFormula::AddModuleFunction(PTableItem module, const QString &name,
    int paramcount, pformulafunction fun, bool ismodule)
{
    if (!module)
        throw FormulaException(QStringLiteral("No module to add '%1' to").arg(name));
    const QString upper = upperAscii(name);
    for (const auto &item : module->funs)
        if (item->name == upper)
            throw message(FormulaMessages::FunctionAlreadyDefined);
    if (module->funs.size() >= kMaxEntries)
        throw message(FormulaMessages::TooManyFunctionsDefined);
    auto item = std::make_unique<FTableItem>();
    item->name = upper;
    item->paramcount = paramcount;
    item->fun = std::move(fun);
    item->module = ismodule;
    module->funs.push_back(std::move(item));
    ++fgeneration;
    return module->funs.back().get();
}

void TTalFormula::AddUserConstant(const QString &name, const QString &value)
{
    const QString upper = upperAscii(name);
    for (TConstItem &item : ConstTable) {
        if (item.name == upper) {
            if (!fexsyntax)
                throw message(FormulaMessages::ConstantAlreadyDefined);
            item.value = value;
            ++fgeneration;
            return;
        }
    }
    ConstTable.push_back({upper, value});
    ++fgeneration;
}

QString TTalFormula::GetLocalString(const QString &name, const QString &defvalue) const
{
    for (const QString &line : flocalstrings) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            const QString value = line.mid(eq + 1);
            return value.isEmpty() ? defvalue : value;
        }
    }
    return defvalue;
}

void TTalFormula::LoadLang(const QString &lngfile)
{
    flocalstrings = iniSection(lngfile, QStringLiteral("TalFormula"));
    for (int i = 0; i < FormulaMessages::Count; ++i) {
        const auto id = FormulaMessages::Id(i);
        FormulaMessages::setText(id,
            GetLocalString(FormulaMessages::key(id), FormulaMessages::defaultText(id)));
    }
    if (floadlang)
        floadlang();
}

} // namespace zel
