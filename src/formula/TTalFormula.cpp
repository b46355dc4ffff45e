#include "formula/TTalFormula.h"

#include "formula/FormulaException.h"
#include "formula/FormulaFunctions.h"
#include "formula/FormulaMessages.h"
#include "formula/Opcode.h"
#include "formula/TextFootprint.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <chrono>
#include <cstring>
#include <new>
#include <utility>

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

namespace {

// Characters that may be built before the texts held are counted again. Counting visits
// every value, so it is done now and then, and at once for any text this long or longer.
constexpr qsizetype kLiveTextCheckInterval = qsizetype(1) << 20;

// Ends the work count of an evaluation, whichever way it ends.
class CountedEvaluation
{
public:
    explicit CountedEvaluation(FormulaBudget &budget)
        : m_budget(budget)
    {
        m_budget.start();
    }
    ~CountedEvaluation() { m_budget.finish(); }
    CountedEvaluation(const CountedEvaluation &) = delete;
    CountedEvaluation &operator=(const CountedEvaluation &) = delete;

private:
    FormulaBudget &m_budget;
};

FormulaException tooMuchMemory()
{
    return FormulaException::limit(QStringLiteral("texts need too much memory"));
}

} // namespace

// A sub-formula's parameters and variables live in its one record, so a recursive call puts
// the caller's aside and gives them back when it ends, however it ends. They are kept with
// the component, where the count of live texts finds them.
class TTalFormula::SavedDuringCall
{
public:
    SavedDuringCall(TTalFormula &owner, TTalSubFormula &f)
        : m_owner(owner)
        , m_formula(f)
        , m_saving(f.running > 0)
    {
        if (!m_saving)
            return;
        m_owner.fbudget.charge(qint64(f.values.size()) + f.varnames.size());
        m_owner.fsaved.push_back({f.values, f.varnames});
    }
    ~SavedDuringCall()
    {
        if (!m_saving)
            return;
        SavedVariables &saved = m_owner.fsaved.back();
        m_formula.values = std::move(saved.values);
        m_formula.varnames = std::move(saved.names);
        m_owner.fsaved.pop_back();
    }
    SavedDuringCall(const SavedDuringCall &) = delete;
    SavedDuringCall &operator=(const SavedDuringCall &) = delete;

private:
    TTalFormula &m_owner;
    TTalSubFormula &m_formula;
    const bool m_saving;
};

inline void TTalFormula::runCode(TTalSubFormula &f)
{
    if (!fmodulename.isEmpty())
        fmodulename.clear();
    ferror = ER_Ok;
    fstop = false;
    {
        CurrentFormula current(pformula, &f);
        RunningFormula running(f);
        Execute(f.program);
    }
    fstop = false;
}

inline void TTalFormula::Run(TTalSubFormula &f, int num, TCalcArray *vals)
{
    const qsizetype params = std::max(0, f.paramcount);
    if (f.varnames.size() != params)
        f.varnames.resize(params);
    if (qsizetype(f.values.size()) != params)
        f.values.resize(size_t(params));
    const qsizetype copied = vals ? std::min({qsizetype(std::max(num, 0)), params,
                                        qsizetype(vals->size())})
                                  : 0;
    if (copied > 0)
        runWithValues(f, *vals, copied);
    else
        runCode(f);
}

void TTalFormula::runWithValues(TTalSubFormula &f, TCalcArray &vals, qsizetype copied)
{
    fbudget.charge(2 * copied);
    for (qsizetype i = 0; i < copied; ++i)
        TFormulaCalc::assign(f.values[size_t(i)], vals[size_t(i)]);
    runCode(f);
    for (qsizetype i = 0; i < copied; ++i)
        TFormulaCalc::assign(vals[size_t(i)], f.values[size_t(i)]);
}

inline void TTalFormula::evaluate(TTalSubFormula &f, int num, TCalcArray *vals)
{
    C.Clear();
    const CountedEvaluation counted(fbudget);
    fcalldepth = 0;
    fbuiltsincecheck = 0;
    try {
        Run(f, num, vals);
    } catch (const std::bad_alloc &) {
        // The texts a formula holds are bounded well below what a machine has; this is the
        // last line for memory taken elsewhere.
        throw tooMuchMemory();
    }
}

double TTalFormula::ComputeN(int num, TCalcArray *vals)
{
    evaluate(*pformula, num, vals);
    return fstopped ? 0.0 : C.PopN();
}

std::optional<double> TTalFormula::TryComputeN(
    int num, TCalcArray *vals, std::optional<FormulaException> &error)
{
    error.reset();
    fquieterror = &error;
    const auto cleared = qScopeGuard([this] { fquieterror = nullptr; });
    evaluate(*pformula, num, vals);
    if (error)
        return std::nullopt;
    return fstopped ? 0.0 : C.PopN();
}

QString TTalFormula::Compute(int num, TCalcArray *vals)
{
    evaluate(*pformula, num, vals);
    return fstopped ? QString() : C.PopS();
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

void TTalFormula::callSub(TTalSubFormula &callee, int count)
{
    const SavedDuringCall saved(*this, callee);
    const qsizetype params = std::max(0, callee.paramcount);
    if (callee.varnames.size() != params)
        callee.varnames.resize(params);
    if (qsizetype(callee.values.size()) != params)
        callee.values.resize(size_t(params));
    // The arguments move from the stack into the parameters: a copy left behind would hold
    // their texts where the count of live texts does not look.
    fbudget.charge(count);
    const int copied = int(std::min<qsizetype>(count, params));
    for (int k = 0; k < copied; ++k) {
        TCalcItem &argument = C.Item(count - 1 - k);
        TCalcItem &parameter = callee.values[size_t(k)];
        parameter.typ = argument.typ;
        parameter.data = argument.data;
        parameter.str = std::exchange(argument.str, QString());
    }
    for (int k = 0; k < count; ++k)
        C.Drop();
    ++fcalldepth;
    runCode(callee);
    --fcalldepth;
}

void TTalFormula::reserveText(qsizetype chars)
{
    fbuiltsincecheck += chars;
    if (fbuiltsincecheck >= kLiveTextCheckInterval) {
        fbuiltsincecheck = 0;
        // Values above the top of the stack keep their texts until the slots are reused;
        // they are let go before the verdict.
        if (liveTextChars() + chars > kMaxLiveTextChars) {
            C.releaseStale();
            if (liveTextChars() + chars > kMaxLiveTextChars)
                throw tooMuchMemory();
        }
    }
    fbudget.chargeChars(chars);
}

qsizetype TTalFormula::liveTextChars()
{
    TextFootprint texts;
    C.addTexts(texts);
    texts.add(formula.values);
    texts.add(formula.varnames);
    for (const TTalSubFormula &sub : fsubformula) {
        texts.add(sub.values);
        texts.add(sub.varnames);
    }
    for (const SavedVariables &saved : fsaved) {
        texts.add(saved.values);
        texts.add(saved.names);
    }
    fbudget.chargeChars(texts.examined());
    return texts.characters();
}

inline bool TTalFormula::callsNumeric(const FormulaCode::Instruction &ins) const
{
    return NumericFunction(ins.index, ins.count) != nullptr;
}

pnumericfunction TTalFormula::NumericFunction(int index, int count) const
{
    if (index < 0 || size_t(index) >= userfunc.size())
        return nullptr;
    const FTableItem &fun = *userfunc[size_t(index)];
    return fun.numeric && count == fun.paramcount ? fun.numeric : nullptr;
}

void TTalFormula::Execute(const FormulaCode &code)
{
    using Fast = FormulaCode::Fast;
    const FormulaCode::Instruction *const program = code.instructions().data();
    const FormulaCode::Instruction *const end = program + code.instructions().size();
    const FormulaCode::Instruction *next = program;
    fstopped = false;
    // Instructions on numbers run here on what the run holds in locals: the stack, the work
    // left, the current formula's variables and the step setting. Every other instruction,
    // and these on texts, runs in runInstruction, which may call a function or a formula
    // that uses or changes any of them: they are handed back before and taken again after.
    TFormulaCalc::LocalStack stack(C);
    FormulaBudget::Countdown work(fbudget);
    const TCalcItem *variables = nullptr;
    size_t variableCount = 0;
    bool stepping = false;
    const auto take = [&] {
        stack.take();
        work.take();
        variables = pformula->values.data();
        variableCount = pformula->values.size();
        stepping = fstep;
    };
    const auto handBack = [&] {
        stack.handBack();
        work.handBack();
    };
    // The run TryComputeN asked for, not the functions and formulas it calls, ends on an
    // error of "+ - * / ^" or a numeric function's failure instead of raising it.
    std::optional<FormulaException> *const quietError = std::exchange(fquieterror, nullptr);
    const auto fail = [&](FormulaException error) {
        if (!quietError)
            throw error;
        *quietError = std::move(error);
        next = end;
    };
    const auto arithmetic = [&](auto computed) {
        if (!stack.numbers(2))
            return false;
        const double r = stack.pop();
        double &l = stack.top();
        const NumericResult x = computed(l, r);
        if (std::isfinite(x.value)) [[likely]]
            l = x.value;
        else
            fail(TFormulaCalc::numericError(x));
        return true;
    };
    const auto comparison = [&](auto holds) {
        if (!stack.numbers(2))
            return false;
        const double r = stack.pop();
        double &l = stack.top();
        l = holds(TFormulaCalc::compared(l, r)) ? 1.0 : 0.0;
        return true;
    };
    take();
    while (next != end) {
        if (stepping) {
            handBack();
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            take();
            if (fstop) {
                fstopped = true;
                return;
            }
        }
        work.step();
        const FormulaCode::Instruction &ins = *next++;
        switch (ins.fast) {
        case Fast::PushVariable:
            if (ins.index < variableCount && variables[ins.index].typ == fdtnumber
                && stack.push(variables[ins.index].data))
                continue;
            break;
        case Fast::PushNumber:
            if (stack.push(ins.number))
                continue;
            break;
        case Fast::Add:
            if (arithmetic(TFormulaCalc::roundedSum))
                continue;
            break;
        case Fast::Subtract:
            if (arithmetic(TFormulaCalc::roundedDifference))
                continue;
            break;
        case Fast::Multiply:
            if (arithmetic(TFormulaCalc::roundedProduct))
                continue;
            break;
        case Fast::Divide:
            if (arithmetic(TFormulaCalc::divided))
                continue;
            break;
        case Fast::Power:
            if (arithmetic(TFormulaCalc::powered))
                continue;
            break;
        case Fast::Less:
            if (comparison([](int c) { return c < 0; }))
                continue;
            break;
        case Fast::LessOrEqual:
            if (comparison([](int c) { return c <= 0; }))
                continue;
            break;
        case Fast::Greater:
            if (comparison([](int c) { return c > 0; }))
                continue;
            break;
        case Fast::GreaterOrEqual:
            if (comparison([](int c) { return c >= 0; }))
                continue;
            break;
        case Fast::Equal:
            if (comparison([](int c) { return c == 0; }))
                continue;
            break;
        case Fast::NotEqual:
            if (comparison([](int c) { return c != 0; }))
                continue;
            break;
        case Fast::Negate:
            if (stack.numbers(1)) {
                stack.top() = -stack.top();
                continue;
            }
            break;
        case Fast::JumpIfZero:
            if (stack.numbers(1)) {
                if (stack.pop() == 0)
                    next = program + ins.operand;
                continue;
            }
            break;
        case Fast::Jump:
            next = program + ins.operand;
            continue;
        case Fast::CallUserFunction:
            if (callsNumeric(ins) && stack.numbers(ins.count)) {
                // As DoFunction, without handing the stack back and taking it again.
                if (!fmodulename.isEmpty())
                    fmodulename.clear();
                fcalling = userfunc[ins.index].get();
                const NumericResult x = fcalling->numeric(stack.top(ins.count));
                if (std::isfinite(x.value)) [[likely]]
                    stack.replace(ins.count, x.value);
                else
                    fail(TFormulaCalc::numericError(x));
                continue;
            }
            break;
        case Fast::Return:
            return;
        case Fast::Other:
            break;
        }
        handBack();
        next = program + runInstruction(code, ins, size_t(next - program));
        take();
    }
}

size_t TTalFormula::runInstruction(
    const FormulaCode &code, const FormulaCode::Instruction &ins, size_t p)
{
    const size_t end = code.instructions().size();
    switch (ins.op) {
    case Opcode::PushVariable: {
        const size_t i = ins.index;
        if (i >= pformula->values.size())
            throw wrongBytecode();
        C.Push(pformula->values[i]);
        break;
    }
    case Opcode::PushMainVariable: {
        const size_t i = ins.index;
        if (i >= formula.values.size())
            throw wrongBytecode();
        C.Push(formula.values[i]);
        break;
    }
    case Opcode::PushNumber:
        C.PushN(ins.number);
        break;
    case Opcode::PushString:
    case Opcode::PushExternal: {
        const QString &text = code.text(ins.operand);
        reserveText(text.size());
        C.PushText(ins.op == Opcode::PushString ? fdtstring : fdtgetvar, text);
        break;
    }
    case Opcode::CallBuiltin:
    case Opcode::CallUserFunction: {
        const size_t i = ins.index;
        if (!fmodulename.isEmpty())
            fmodulename.clear();
        if (ins.op == Opcode::CallBuiltin) {
            const auto &builtins = FormulaFunctions::builtins();
            if (i >= builtins.size())
                throw wrongBytecode();
            C.DoFunction(builtins[i], ins.count);
        } else {
            if (i >= userfunc.size())
                throw wrongBytecode();
            C.DoFunction(*userfunc[i], ins.count);
        }
        break;
    }
    case Opcode::ModulePath: {
        const size_t i = ins.index;
        if (i >= userfunc.size())
            throw wrongBytecode();
        fmodulename = userfunc[i]->name;
        fmembers = &userfunc[i]->funs;
        break;
    }
    case Opcode::MemberStep: {
        const size_t i = ins.index;
        if (!fmembers || i >= fmembers->size())
            throw wrongBytecode();
        const FTableItem &member = *(*fmembers)[i];
        fmodulename = fmodulename.isEmpty() ? member.name : fmodulename + u'.' + member.name;
        fmembers = &member.funs;
        break;
    }
    case Opcode::CallMember: {
        const size_t i = ins.index;
        if (!fmembers || i >= fmembers->size())
            throw wrongBytecode();
        C.DoFunction(*(*fmembers)[i], ins.count);
        break;
    }
    case Opcode::CallSub: {
        const size_t i = ins.index;
        const int count = ins.count;
        if (i >= fsubformula.size() || count > C.Pos())
            throw wrongBytecode();
        if (fcalldepth >= fmaxcalldepth)
            throw FormulaException::limit(QStringLiteral("calls nested too deeply"));
        callSub(fsubformula[i], count);
        return fstopped ? end : p;
    }
    case Opcode::Drop:
        C.Drop();
        break;
    case Opcode::JumpIfZero:
        if (C.PopN() == 0)
            p = ins.operand;
        break;
    case Opcode::Not:
        C.cNOT();
        break;
    case Opcode::Mod:
        C.cMod();
        break;
    case Opcode::And:
        C.cAND();
        break;
    case Opcode::Multiply:
        C.Mult();
        break;
    case Opcode::Add:
        C.Plus();
        break;
    case Opcode::Subtract:
        C.Minus();
        break;
    case Opcode::Divide:
        C.Division();
        break;
    case Opcode::Less:
        C.LT();
        break;
    case Opcode::Equal:
        C.EQ();
        break;
    case Opcode::Greater:
        C.GT();
        break;
    case Opcode::Concat:
        C.PlusS();
        break;
    case Opcode::IntDivide:
        C.cDiv();
        break;
    case Opcode::Power:
        C.Pow();
        break;
    case Opcode::Or:
        C.cOR();
        break;
    case Opcode::Like:
        C.Like();
        break;
    case Opcode::BitNot:
        C.bNOT();
        break;
    case Opcode::BitAnd:
        C.bAND();
        break;
    case Opcode::BitOr:
        C.bOR();
        break;
    case Opcode::BitXor:
        C.bXOR();
        break;
    case Opcode::ShiftRight:
        C.bSHR();
        break;
    case Opcode::ShiftLeft:
        C.bSHL();
        break;
    case Opcode::Xor:
        C.cXOR();
        break;
    case Opcode::LessOrEqual:
        C.LE();
        break;
    case Opcode::GreaterOrEqual:
        C.GE();
        break;
    case Opcode::Negate:
        C.Uminus();
        break;
    case Opcode::NotEqual:
        C.NE();
        break;
    default:
        throw wrongBytecode();
    }
    return p;
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
    evaluate(f, f.paramcount, vals);
    return fstopped ? QString() : C.PopS();
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

int TTalFormula::indexIn(const TTalSubFormula &f, const QString &name)
{
    const qsizetype n = std::min(f.varnames.size(), qsizetype(f.values.size()));
    qint64 compared = 0;
    int found = -1;
    for (qsizetype i = 0; i < n && found < 0; ++i) {
        const QString &candidate = f.varnames[i];
        compared += 1 + (candidate.size() == name.size() ? name.size() : 0);
        if (sameName(candidate, name))
            found = int(i);
    }
    fbudget.chargeChars(compared);
    return found;
}

int TTalFormula::FindVar(const QString &name)
{
    const int i = indexIn(*pformula, name);
    if (i >= 0 || pformula == &formula)
        return i;
    return indexIn(formula, name);
}

TCalcItem *TTalFormula::findVariable(const QString &name)
{
    const int i = indexIn(*pformula, name);
    if (i >= 0)
        return &pformula->values[size_t(i)];
    if (pformula == &formula)
        return nullptr;
    const int j = indexIn(formula, name);
    return j >= 0 ? &formula.values[size_t(j)] : nullptr;
}

void TTalFormula::SetVar(const QString &name, const TCalcItem &value)
{
    *GetVar(name) = value;
}

TCalcItem *TTalFormula::GetVar(const QString &name)
{
    TCalcItem *item = findVariable(name);
    if (!item)
        throw FormulaException(FormulaMessages::text(FormulaMessages::Variable) + u' '
            + FormulaException::excerpt(name) + u' '
            + FormulaMessages::text(FormulaMessages::DoesNotExists));
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
                throw FormulaException(u'"' + FormulaException::excerpt(name)
                    + FormulaMessages::text(FormulaMessages::ReturnsZeroVars));
            vals.clear();
            for (int k = count - 1; k >= 0; --k) {
                QString value;
                fgetvar(name, k, value, wantnumber);
                fbudget.chargeChars(FormulaBudget::kCharsPerUnit + value.size());
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
