#include "formula/TTalFormula.h"

#include "formula/FormulaException.h"
#include "formula/FormulaFunctions.h"
#include "formula/FormulaMessages.h"

#include <QCoreApplication>

#include <chrono>
#include <cstring>

namespace zel {

namespace {

FormulaException wrongBytecode()
{
    return FormulaException(FormulaMessages::text(FormulaMessages::WrongBytecode));
}

// Makes a formula current for a scope, whichever way the scope is left.
class CurrentFormula
{
public:
    CurrentFormula(TTalSubFormula *&current, TTalSubFormula *next)
        : m_current(current)
        , m_previous(current)
    {
        m_current = next;
    }
    ~CurrentFormula() { m_current = m_previous; }
    CurrentFormula(const CurrentFormula &) = delete;
    CurrentFormula &operator=(const CurrentFormula &) = delete;

private:
    TTalSubFormula *&m_current;
    TTalSubFormula *m_previous;
};

// Counts a run of a formula for a scope, whichever way the scope is left.
class RunningFormula
{
public:
    explicit RunningFormula(TTalSubFormula &f)
        : m_formula(f)
    {
        ++m_formula.running;
    }
    ~RunningFormula() { --m_formula.running; }
    RunningFormula(const RunningFormula &) = delete;
    RunningFormula &operator=(const RunningFormula &) = delete;

private:
    TTalSubFormula &m_formula;
};

char16_t upperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

} // namespace

TTalFormula::TTalFormula()
    : S(200, this)
    , C(200, this)
{
    pformula = &formula;
    setVarNameLiterals(QStringLiteral("_ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    setLocale(QLocale::system());
    static const char *const macros[][2] = {
        {"FALSE", "0"},
        {"TRUE", "1"},
        {"DIV", "\\"},
        {"MOD", "%"},
        {"AND", "&"},
        {"OR", "|"},
        {"NOT", "!"},
        {"BAND", "&&"},
        {"BOR", "||"},
        {"BNOT", "!!"},
        {"SHR", "<<"},
        {"SHL", ">>"},
        {"BEGIN", "BLOCK("},
        {"END", ")"},
        {"ENDD", "))"},
        {"VAR", "DEFINES("},
        {"IF", "CONDITION("},
        {"THEN", ",BLOCK("},
        {"ELSE", "),BLOCK("},
        {"ENDIF", "),0)"},
        {"WHILE", "LOOP("},
        {"DO", ",BLOCK("},
        {"WEND", "))"},
        {"FOR", "SERIES("},
        {"NEXT", "))"},
        {"REPEAT", "TILL(BLOCK("},
        {"UNTIL", "),"},
        {"LN", "LOG"},
        {"PROCEDURE", "SUB"},
        {"FUNCTION", "SUB"},
    };
    for (const auto &m : macros)
        ConstTable.push_back({QString::fromLatin1(m[0]), QString::fromLatin1(m[1])});
}

TTalFormula::~TTalFormula() = default;

void TTalFormula::setVarNameLiterals(const QString &chars)
{
    ++fgeneration;
    fvarname = chars;
    fidentascii.reset();
    for (QChar c : chars)
        if (c.unicode() < 128 && c.unicode() != 0)
            fidentascii.set(c.unicode());
}

void TTalFormula::setLocale(const QLocale &locale)
{
    flocale = locale;
    const QString point = locale.decimalPoint();
    fdecimal = point.isEmpty() ? QChar(u'.') : point.at(0);
}

QString TTalFormula::FunctionName() const
{
    return fcalling ? fcalling->name : QString();
}

int TTalFormula::ParamCount() const
{
    return fcalling ? fcalling->paramcount : 0;
}

double TTalFormula::Random()
{
    return double(frandom() >> 11) * 0x1.0p-53;
}

void TTalFormula::Randomize()
{
    frandom.seed(quint64(std::chrono::system_clock::now().time_since_epoch().count()));
}

QString TTalFormula::ExternalValue(const QString &name)
{
    if (!fgetvar)
        throw FormulaException(FormulaMessages::text(FormulaMessages::GetVarValueNotSet));
    QString value;
    fgetvar(name, 0, value, false);
    return value;
}

// --- running ----------------------------------------------------------------------------

double TTalFormula::ComputeN(int num, TCalcArray *vals)
{
    C.Clear();
    fexecuted = 0;
    fcalldepth = 0;
    Run(*pformula, num, vals);
    if (fstopped)
        return 0.0;
    return C.PopN();
}

QString TTalFormula::Compute(int num, TCalcArray *vals)
{
    C.Clear();
    fexecuted = 0;
    fcalldepth = 0;
    Run(*pformula, num, vals);
    if (fstopped)
        return QString();
    return C.PopS();
}

double TTalFormula::ComputeStrN(const QString &instr, int num, const QStringList &vars,
    TCalcArray *vals)
{
    Compile(instr, num, vars);
    return ComputeN(num, vals);
}

QString TTalFormula::ComputeStr(const QString &instr, int num, const QStringList &vars,
    TCalcArray *vals)
{
    Compile(instr, num, vars);
    return Compute(num, vals);
}

void TTalFormula::Run(TTalSubFormula &f, int num, TCalcArray *vals)
{
    if (!fmodulename.isEmpty())
        fmodulename.clear();
    const qsizetype params = std::max(0, f.paramcount);
    if (f.varnames.size() != params)
        f.varnames.resize(params);
    if (qsizetype(f.values.size()) != params)
        f.values.resize(size_t(params));
    const qsizetype copied = vals ? std::min({qsizetype(std::max(num, 0)), params,
                                        qsizetype(vals->size())})
                                  : 0;
    for (qsizetype i = 0; i < copied; ++i)
        TFormulaCalc::assign(f.values[size_t(i)], (*vals)[size_t(i)]);
    ferror = ER_Ok;
    fstop = false;
    {
        CurrentFormula current(pformula, &f);
        RunningFormula running(f);
        Execute(f.fcompiled);
    }
    for (qsizetype i = 0; i < copied; ++i)
        TFormulaCalc::assign((*vals)[size_t(i)], f.values[size_t(i)]);
    fstop = false;
}

void TTalFormula::Execute(const QString &code)
{
    const char16_t *c = reinterpret_cast<const char16_t *>(code.utf16());
    const qsizetype len = code.size();
    qsizetype p = 0;
    const auto need = [&](qsizetype units) {
        if (len - p < units)
            throw wrongBytecode();
    };
    const auto read32 = [&]() {
        need(2);
        const quint32 v = quint32(c[p]) | (quint32(c[p + 1]) << 16);
        p += 2;
        return v;
    };
    const auto jumpTo = [&](quint32 target) {
        if (target > quint64(len))
            throw wrongBytecode();
        p = qsizetype(target);
    };
    fstopped = false;
    const auto &builtins = FormulaFunctions::builtins();
    while (p < len) {
        if (fstep) {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            if (fstop) {
                fstopped = true;
                return;
            }
        }
        if (++fexecuted > fmaxinstructions)
            throw FormulaException(QStringLiteral("Formula stopped: instruction limit exceeded"));
        const char16_t op = c[p++];
        switch (op) {
        case 253: {
            need(1);
            const size_t i = c[p++];
            if (i >= pformula->values.size())
                throw wrongBytecode();
            C.Push(pformula->values[i]);
            break;
        }
        case 222: {
            need(1);
            const size_t i = c[p++];
            if (i >= formula.values.size())
                throw wrongBytecode();
            C.Push(formula.values[i]);
            break;
        }
        case 254: {
            need(4);
            double x;
            static_assert(sizeof x == 4 * sizeof(char16_t));
            std::memcpy(&x, c + p, sizeof x);
            p += 4;
            C.PushN(x);
            break;
        }
        case 246:
        case 231: {
            const quint32 n = read32();
            need(qsizetype(n));
            TCalcItem item;
            item.typ = op == 246 ? fdtstring : fdtgetvar;
            item.str = QString(reinterpret_cast<const QChar *>(c + p), qsizetype(n));
            p += qsizetype(n);
            C.Push(item);
            break;
        }
        case 245:
        case 248: {
            need(2);
            const size_t i = c[p];
            const int count = c[p + 1];
            p += 2;
            if (!fmodulename.isEmpty())
                fmodulename.clear();
            if (op == 245) {
                if (i >= builtins.size())
                    throw wrongBytecode();
                C.DoFunction(builtins[i], count);
            } else {
                if (i >= userfunc.size())
                    throw wrongBytecode();
                C.DoFunction(*userfunc[i], count);
            }
            break;
        }
        case 233: {
            need(1);
            const size_t i = c[p++];
            if (i >= userfunc.size())
                throw wrongBytecode();
            fmodulename = userfunc[i]->name;
            fmembers = &userfunc[i]->funs;
            break;
        }
        case 232: {
            need(1);
            const size_t i = c[p++];
            if (!fmembers || i >= fmembers->size())
                throw wrongBytecode();
            const FTableItem &member = *(*fmembers)[i];
            fmodulename = fmodulename.isEmpty() ? member.name : fmodulename + u'.' + member.name;
            fmembers = &member.funs;
            break;
        }
        case 234: {
            need(2);
            const size_t i = c[p];
            const int count = c[p + 1];
            p += 2;
            if (!fmembers || i >= fmembers->size())
                throw wrongBytecode();
            C.DoFunction(*(*fmembers)[i], count);
            break;
        }
        case 220: {
            need(2);
            const size_t i = c[p];
            const int count = c[p + 1];
            p += 2;
            if (i >= fsubformula.size() || count > C.Pos())
                throw wrongBytecode();
            if (fcalldepth >= fmaxcalldepth)
                throw FormulaException(QStringLiteral("Formula stopped: calls nested too deeply"));
            TCalcArray args(static_cast<size_t>(count));
            for (int k = 0; k < count; ++k)
                args[size_t(k)] = C.Item(count - 1 - k);
            for (int k = 0; k < count; ++k)
                C.Drop();
            TTalSubFormula &callee = fsubformula[i];
            ++fcalldepth;
            if (callee.running > 0) {
                // A sub-formula calling itself: its parameters and variables live in one
                // record, so the caller's are put aside for the inner run.
                const TCalcArray values = callee.values;
                const QStringList names = callee.varnames;
                Run(callee, count, &args);
                callee.values = values;
                callee.varnames = names;
            } else {
                Run(callee, count, &args);
            }
            --fcalldepth;
            if (fstopped)
                return;
            break;
        }
        case 241:
            C.Drop();
            break;
        case 242:
            jumpTo(read32());
            break;
        case 244: {
            const quint32 target = read32();
            if (C.PopN() == 0)
                jumpTo(target);
            break;
        }
        case 224:
            p = len;
            break;
        case u'!':
            C.cNOT();
            break;
        case u'%':
            C.cMod();
            break;
        case u'&':
            C.cAND();
            break;
        case u'*':
            C.Mult();
            break;
        case u'+':
            C.Plus();
            break;
        case u'-':
            C.Minus();
            break;
        case u'/':
            C.Division();
            break;
        case u'<':
            C.LT();
            break;
        case u'=':
            C.EQ();
            break;
        case u'>':
            C.GT();
            break;
        case u'@':
            C.PlusS();
            break;
        case u'\\':
            C.cDiv();
            break;
        case u'^':
            C.Pow();
            break;
        case u'|':
            C.cOR();
            break;
        case 223:
            C.Like();
            break;
        case 225:
            C.bNOT();
            break;
        case 226:
            C.bAND();
            break;
        case 227:
            C.bOR();
            break;
        case 228:
            C.bXOR();
            break;
        case 229:
            C.bSHR();
            break;
        case 230:
            C.bSHL();
            break;
        case 247:
            C.cXOR();
            break;
        case 249:
            C.LE();
            break;
        case 250:
            C.GE();
            break;
        case 251:
            C.Uminus();
            break;
        case 252:
            C.NE();
            break;
        default:
            throw wrongBytecode();
        }
    }
}

// --- programs ---------------------------------------------------------------------------

QString TTalFormula::RunSub(const QString &name, TCalcArray *vals)
{
    for (size_t i = 0; i < fsubformula.size(); ++i)
        if (sameName(fsubformula[i].name, name))
            return RunSub(int(i), vals);
    raiseRunError(ER_UNKNOWN, name);
}

QString TTalFormula::RunSub(int idx, TCalcArray *vals)
{
    S.Clear();
    C.Clear();
    if (idx < 0 || size_t(idx) >= fsubformula.size())
        raiseRunError(ER_UNKNOWN, QString::number(idx));
    TTalSubFormula &f = fsubformula[size_t(idx)];
    if ((f.paramcount > 0 && !vals) || (vals && qsizetype(vals->size()) != f.paramcount))
        raiseRunError(ER_NOTENOUGH, QString());
    fexecuted = 0;
    fcalldepth = 0;
    Run(f, f.paramcount, vals);
    if (fstopped)
        return QString();
    return C.PopS();
}

void TTalFormula::raiseRunError(TFormulaError e, const QString &name)
{
    ferror = e;
    tmp = name;
    throw FormulaException(GetLastErrorStr());
}

// --- variables by name ------------------------------------------------------------------

bool TTalFormula::sameName(const QString &a, const QString &b) const
{
    if (fcasesensitive)
        return a == b;
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (upperAscii(a[i].unicode()) != upperAscii(b[i].unicode()))
            return false;
    return true;
}

int TTalFormula::FindVar(const QString &name) const
{
    const auto indexIn = [&](const TTalSubFormula &f) {
        const qsizetype n = std::min(f.varnames.size(), qsizetype(f.values.size()));
        for (qsizetype i = 0; i < n; ++i)
            if (sameName(f.varnames[i], name))
                return int(i);
        return -1;
    };
    const int i = indexIn(*pformula);
    if (i >= 0 || pformula == &formula)
        return i;
    return indexIn(formula);
}

TCalcItem *TTalFormula::findVariable(const QString &name) const
{
    const auto find = [&](TTalSubFormula &f) -> TCalcItem * {
        const qsizetype n = std::min(f.varnames.size(), qsizetype(f.values.size()));
        for (qsizetype i = 0; i < n; ++i)
            if (sameName(f.varnames[i], name))
                return &f.values[size_t(i)];
        return nullptr;
    };
    TCalcItem *item = find(*pformula);
    if (!item && pformula != &formula)
        item = find(const_cast<TTalSubFormula &>(formula));
    return item;
}

void TTalFormula::SetVar(const QString &name, const TCalcItem &value)
{
    *GetVar(name) = value;
}

TCalcItem *TTalFormula::GetVar(const QString &name)
{
    TCalcItem *item = findVariable(name);
    if (!item)
        throw FormulaException(FormulaMessages::text(FormulaMessages::Variable) + u' ' + name
            + u' ' + FormulaMessages::text(FormulaMessages::DoesNotExists));
    return item;
}

TCalcItem *TTalFormula::IncVar(const QString &name)
{
    TCalcItem *item = findVariable(name);
    if (!item)
        throw FormulaException(FormulaMessages::text(FormulaMessages::VariableDoesNotExists));
    *item = TCalcItem::number(TFormulaCalc::stored((long double)C.ValueN(*item) + 1));
    return item;
}

TCalcItem *TTalFormula::DecVar(const QString &name)
{
    TCalcItem *item = findVariable(name);
    if (!item)
        throw FormulaException(FormulaMessages::text(FormulaMessages::VariableDoesNotExists));
    *item = TCalcItem::number(TFormulaCalc::stored((long double)C.ValueN(*item) - 1));
    return item;
}

void TTalFormula::AddVar(const QString &name, const TCalcItem &value)
{
    if (findVariable(name))
        throw FormulaException(FormulaMessages::text(FormulaMessages::VariableAlreadyExists));
    if (pformula->varnames.size() != qsizetype(pformula->values.size()))
        throw wrongBytecode();
    pformula->varnames.append(name);
    pformula->values.push_back(value);
}

// --- argument iteration -------------------------------------------------------------------

void TTalFormula::StartGetVars(int n)
{
    npos = 1;
    ncnt = n;
    vals.clear();
    gvpos = 0;
    gvcnt = 0;
}

bool TTalFormula::GetNextVar(TCalcItem &x, bool wantnumber)
{
    if (gvpos < gvcnt) {
        x = TCalcItem::text(vals[gvpos++]);
    } else {
        const TCalcItem &item = C.Item(npos);
        ++npos;
        if (item.typ == fdtgetvar) {
            if (!fgetvar || !fgetvarscount)
                throw FormulaException(
                    FormulaMessages::text(FormulaMessages::GetVarsCountOrGetVarValueNotSet));
            const QString name = item.str;
            int count = 0;
            fgetvarscount(name, count, wantnumber);
            if (count <= 0)
                throw FormulaException(
                    u'"' + name + FormulaMessages::text(FormulaMessages::ReturnsZeroVars));
            vals.clear();
            for (int k = count - 1; k >= 0; --k) {
                QString value;
                fgetvar(name, k, value, wantnumber);
                vals.append(value);
            }
            x = TCalcItem::text(vals[0]);
            gvpos = 1;
            gvcnt = count;
        } else {
            x = item;
        }
    }
    if (gvpos >= gvcnt) {
        gvpos = gvcnt = 0;
        vals.clear();
    }
    return npos <= ncnt || gvpos < gvcnt;
}

} // namespace zel
