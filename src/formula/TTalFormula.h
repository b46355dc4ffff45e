#pragma once

#include "formula/FTableItem.h"
#include "formula/FormulaBudget.h"
#include "formula/FormulaDialogs.h"
#include "formula/TCalcItem.h"
#include "formula/TFormulaCalc.h"
#include "formula/TFormulaError.h"
#include "formula/TFormulaStack.h"
#include "formula/TTalSubFormula.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <bitset>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace zel {

class FormulaException;

/// One keyword macro or user constant: an identifier and the text that replaces it.
struct TConstItem
{
    QString name; ///< upper-cased
    QString value;
};

/// The formula component: compiles formula text into postfix code and runs it on its
/// stack machine.
///
///     TTalFormula f;
///     f.Compile("a + 2*b", 2, {"a", "b"});
///     TCalcArray vals{TCalcItem::number(1), TCalcItem::number(3)};
///     double r = f.ComputeN(2, &vals); // 7
class TTalFormula
{
public:
    /// Host callback giving value number n (from 0) of an external variable.
    using TTalFormulaGetVarProc
        = std::function<void(const QString &Vname, int n, QString &Val, bool wantnumber)>;
    /// Host callback giving how many values an external variable has.
    using TTalFormulaGetVarsCountProc
        = std::function<void(const QString &Vname, int &count, bool wantnumber)>;
    /// Host notification that LoadLang has set the message texts.
    using TTalFormulaLoadLangProc = std::function<void()>;

    /// Nested sub-formula calls one evaluation may make.
    static constexpr int kDefaultMaxCallDepth = 256;
    /// Characters that the texts an evaluation holds at once (values on the stack,
    /// variables, the parameters of recursive calls set aside, a text being built) may
    /// have in all: room for two of the longest texts and a little more, 66 MB.
    static constexpr qsizetype kMaxLiveTextChars
        = 2 * TFormulaCalc::kMaxTextLength + (qsizetype(1) << 20);

    /// A component in its initial state, with the keyword macros in ConstTable.
    TTalFormula();
    ~TTalFormula();
    TTalFormula(const TTalFormula &) = delete;
    TTalFormula &operator=(const TTalFormula &) = delete;

    // --- compiling -------------------------------------------------------------------
    /// Compiles instr with the first num names of vars as its variables; reports success
    /// and leaves the error state. Never raises for a fault in the text.
    bool Test(const QString &instr, int num, const QStringList &vars);
    /// Test, raising FormulaException (with line and column) on failure; stores and gives
    /// the compiled code.
    QString Compile(const QString &instr, int num, const QStringList &vars);
    /// Message of the last compile error, e.g. "Unknown identifier 'RPMX'".
    QString GetLastErrorStr() const;

    // --- programs ----------------------------------------------------------------------
    /// Compiles a program of SUB, GLOBAL and CONST declarations, replacing the previous
    /// program's sub-formulas and globals; raises FormulaException on the first fault.
    void CompileProgram(const QString &instr);
    /// Runs the sub-formula of that name with vals as its arguments (null: none) and gives
    /// its result as text.
    QString RunSub(const QString &name, TCalcArray *vals);
    /// Runs sub-formula number idx (0-based, in declaration order).
    QString RunSub(int idx, TCalcArray *vals);

    // --- host extensions ---------------------------------------------------------------
    /// Registers a host function (paramcount -1: any number of arguments), or a module
    /// whose members AddModuleFunction adds; the component owns the entry it gives back.
    PTableItem AddUserFunction(const QString &name, int paramcount, pformulafunction fun,
        bool ismodule = false);
    /// Registers a host function of 1 to kMaxNumericArguments numbers; text arguments are
    /// read as numbers before it is called.
    PTableItem AddNumericFunction(const QString &name, int paramcount, pnumericfunction fun);
    /// Registers a member of a module (itself a module when ismodule is set).
    PTableItem AddModuleFunction(PTableItem module, const QString &name, int paramcount,
        pformulafunction fun, bool ismodule = false);
    /// Adds a constant: the name written as an identifier stands for value.
    void AddUserConstant(const QString &name, const QString &value);
    /// The value of name in LocalStrings, or defvalue when it is missing or empty.
    QString GetLocalString(const QString &name, const QString &defvalue) const;
    /// Sets the message texts of every component from the "TalFormula" section of an ini
    /// file (English where a key is missing or empty), then fires OnLoadLang.
    void LoadLang(const QString &lngfile);
    /// The name=value lines LoadLang read.
    const QStringList &LocalStrings() const { return flocalstrings; }
    /// Replaces the name=value lines that GetLocalString reads.
    void setLocalStrings(const QStringList &lines) { flocalstrings = lines; }
    /// Notification at the end of LoadLang.
    const TTalFormulaLoadLangProc &OnLoadLang() const { return floadlang; }
    /// Sets the notification at the end of LoadLang.
    void setOnLoadLang(TTalFormulaLoadLangProc proc) { floadlang = std::move(proc); }

    // --- running ---------------------------------------------------------------------
    /// Runs the current formula with vals as its first num variables and gives the result
    /// as a number (0 when a single-stepped run was stopped). Assignments reach vals.
    double ComputeN(int num, TCalcArray *vals);
    /// As ComputeN, except that a failure of "+", "-", "*", "/" or "^" on two numbers, or
    /// of a numeric host function, in the formula's own code (not in the sub-formulas it
    /// calls) ends the run without raising: the result is then empty and \a error holds
    /// what ComputeN raises. Other errors raise as in ComputeN. For hosts where many runs
    /// fail, as each exception costs some microseconds.
    std::optional<double> TryComputeN(
        int num, TCalcArray *vals, std::optional<FormulaException> &error);
    /// The same as ComputeN, giving the result as text (empty when stopped).
    QString Compute(int num, TCalcArray *vals);
    /// The current formula's own variables (after Compile, one per declared name). A host
    /// that runs one compiled formula per row can set them here and call ComputeN(0,
    /// nullptr), which runs on them in place instead of copying every variable in and out.
    TCalcArray &Variables() { return pformula->values; }
    /// After Compile: the indexes of the declared variables the formula may read or write.
    /// A formula that reaches variables by name at run time (SET, VAL, INC, ...) may touch
    /// any of them; host functions are taken not to reach variables by name.
    std::vector<int> usedVariables() const;
    /// After Compile: the formula reaches variables by name at run time, so running it may
    /// change any of them (without, its variables keep the values they were given).
    bool reachesVariablesByName() const { return fvarsbyname; }
    /// After Compile: the main formula's code, decoded as it runs.
    const FormulaCode &Code() const { return formula.program; }
    /// The numbers-only form of host function \a index when called with \a count
    /// arguments, as the run loop calls it; null when it has none for that count.
    pnumericfunction NumericFunction(int index, int count) const;
    /// Compile then ComputeN.
    double ComputeStrN(const QString &instr, int num, const QStringList &vars, TCalcArray *vals);
    /// Compile then Compute.
    QString ComputeStr(const QString &instr, int num, const QStringList &vars, TCalcArray *vals);

    // --- variables by name -------------------------------------------------------------
    // Looking a name up compares it with every variable's, work that is charged to the
    // budget of the evaluation.
    /// Index of the variable in the current formula (or, from a sub-formula, in the main
    /// formula), or -1.
    int FindVar(const QString &name);
    /// Assigns a copy of value to an existing variable.
    void SetVar(const QString &name, const TCalcItem &value);
    /// The variable's value record.
    TCalcItem *GetVar(const QString &name);
    /// Adds 1 to the variable's number and gives its record.
    TCalcItem *IncVar(const QString &name);
    /// Subtracts 1 from the variable's number and gives its record.
    TCalcItem *DecVar(const QString &name);
    /// Creates a variable in the current formula.
    void AddVar(const QString &name, const TCalcItem &value);

    // --- argument iteration of variadic functions ---------------------------------------
    /// Starts the iteration over n arguments (the count itself is item 0).
    void StartGetVars(int n);
    /// Gives the next argument (from the last to the first; external variables expanded);
    /// true while more remain.
    bool GetNextVar(TCalcItem &x, bool wantnumber);

    // --- properties --------------------------------------------------------------------
    /// Unknown identifiers are string literals (false after creation).
    bool UnQuotedString() const { return funquotedstring; }
    void setUnQuotedString(bool on)
    {
        funquotedstring = on;
        ++fgeneration;
    }
    /// Every declared variable must be used (false after creation).
    bool TestUsedVars() const { return ftestused; }
    void setTestUsedVars(bool on)
    {
        ftestused = on;
        ++fgeneration;
    }
    /// Variable and sub-formula names compare exactly (false: ASCII case folded).
    bool CaseSensitive() const { return fcasesensitive; }
    void setCaseSensitive(bool on)
    {
        fcasesensitive = on;
        ++fgeneration;
    }
    /// Single-step mode: pending events are processed before each instruction and Stop
    /// ends the run.
    bool Step() const { return fstep; }
    void setStep(bool on) { fstep = on; }
    /// Texts compare exactly (true after creation; false: ASCII case folded).
    bool CaseSensitiveString() const { return fcasesensitivestring; }
    void setCaseSensitiveString(bool on) { fcasesensitivestring = on; }
    /// Unknown identifiers are external variables that GetVarValue supplies.
    bool ExternGetVar() const { return fexgetvar; }
    void setExternGetVar(bool on)
    {
        fexgetvar = on;
        ++fgeneration;
    }
    /// Characters that may start an identifier.
    QString VarNameLiterals() const { return fvarname; }
    void setVarNameLiterals(const QString &chars);
    /// Host callback giving an external variable's values.
    const TTalFormulaGetVarProc &GetVarValue() const { return fgetvar; }
    void setGetVarValue(TTalFormulaGetVarProc proc) { fgetvar = std::move(proc); }
    /// Host callback giving how many values an external variable has.
    const TTalFormulaGetVarsCountProc &GetVarsCount() const { return fgetvarscount; }
    void setGetVarsCount(TTalFormulaGetVarsCountProc proc) { fgetvarscount = std::move(proc); }
    /// A number may start with "." (false after creation).
    bool NoLeadingZero() const { return fnozero; }
    void setNoLeadingZero(bool on)
    {
        fnozero = on;
        ++fgeneration;
    }
    /// An empty text counts as 0 where a number is needed (false after creation).
    bool ZeroEmptyString() const { return fzero; }
    void setZeroEmptyString(bool on) { fzero = on; }
    /// The sub-formulas that Opcode::CallSub calls (filled by program compilation).
    const TTalSFArray &SubFormula() const { return fsubformula; }

    /// The last compile error.
    TFormulaError Error() const { return ferror; }
    /// Column of the error in its line, as typed.
    int ErrPos() const { return spos + soffset; }
    /// Line of the error, from 1.
    int ErrLine() const { return lines; }
    /// 1-based character index of the error in the text as typed.
    int ErrStrPos() const { return pos + offset; }
    /// Request to end a single-stepped run.
    bool Stop() const { return fstop; }
    void setStop(bool on) { fstop = on; }
    /// The main formula's compiled code.
    QString Compiled() const { return formula.fcompiled; }
    /// Name of the function being (or last) called.
    QString FunctionName() const;
    /// Dotted module path of the module function being called.
    QString ModuleName() const { return fmodulename; }
    /// Declared parameter count of the function being called.
    int ParamCount() const;

    /// The boxes of INPUT and MSG.
    const FormulaDialogs &Dialogs() const { return fdialogs; }
    /// Sets the boxes of INPUT and MSG (unset callbacks make those functions raise).
    void setDialogs(FormulaDialogs dialogs) { fdialogs = std::move(dialogs); }
    /// The locale of text <-> number and date conversions (the system's after creation).
    const QLocale &Locale() const { return flocale; }
    /// Sets the locale and with it the decimal separator of conversions.
    void setLocale(const QLocale &locale);
    /// Decimal separator used when numbers and texts convert.
    QChar DecimalSeparator() const { return fdecimal; }
    /// Work units one evaluation may use (see FormulaBudget).
    qint64 WorkLimit() const { return fbudget.limit(); }
    /// Sets the work units of one evaluation.
    void setWorkLimit(qint64 units) { fbudget.setLimit(units); }
    /// Work units the last evaluation used, however it ended.
    qint64 WorkUsed() const { return fbudget.spent(); }
    /// The work budget of the evaluation being run, which functions charge.
    FormulaBudget &Budget() { return fbudget; }
    /// Charges building a text of that many characters, and raises the limit error when
    /// the texts held with it would pass kMaxLiveTextChars. Called before the text is built.
    void reserveText(qsizetype chars);
    /// Limit of nested sub-formula calls.
    int MaxCallDepth() const { return fmaxcalldepth; }
    /// Sets the limit of nested sub-formula calls.
    void setMaxCallDepth(int n) { fmaxcalldepth = n; }

    /// The evaluation machine.
    TFormulaCalc &Calc() { return C; }
    /// A pseudo-random number in [0, 1).
    double Random();
    /// Seeds the random generator from the clock.
    void Randomize();
    /// Text of an external variable's first value; raises "GetVarValue not set!" without
    /// the callback.
    QString ExternalValue(const QString &name);

private:
    friend class TFormulaCalc;

    // run time
    struct SavedVariables
    {
        TCalcArray values;
        QStringList names;
    };
    class SavedDuringCall;
    void evaluate(TTalSubFormula &f, int num, TCalcArray *vals);
    void Run(TTalSubFormula &f, int num, TCalcArray *vals);
    void runCode(TTalSubFormula &f);
    void callSub(TTalSubFormula &callee, int count);
    void Execute(const FormulaCode &code);
    size_t runInstruction(const FormulaCode &code, const FormulaCode::Instruction &ins, size_t p);
    bool callsNumeric(const FormulaCode::Instruction &ins) const;
    void runWithValues(TTalSubFormula &f, TCalcArray &vals, qsizetype copied);
    qsizetype liveTextChars();
    TCalcItem *findVariable(const QString &name);
    int indexIn(const TTalSubFormula &f, const QString &name);
    bool sameName(const QString &a, const QString &b) const;

    // compiler
    void startInput(const QString &instr);
    bool compileBody(int num, const QStringList &vars);
    char16_t lookup(const QString &ident, const QString &upper, int &index) const;
    bool namesSomething(const QString &ident) const;
    char16_t DeclareSub();
    char16_t DeclareConstants();
    char16_t DeclareGlobals();
    [[noreturn]] void raiseRunError(TFormulaError e, const QString &name);
    char16_t GetToken(bool peek = false, bool unknownAsString = false, bool declaring = false);
    char16_t ReadToken(bool unknownAsString, bool declaring);
    char16_t readString();
    char16_t readNumber();
    char16_t readHex();
    char16_t classify(const QString &ident, const QString &upper, bool unknownAsString);
    void skipGap();
    bool startsIdentifier(char16_t c) const;
    char16_t ch(int ahead = 0) const;
    bool atEnd() const;
    void advance();
    char16_t Expression(int depth);
    char16_t ArgumentList(char16_t code, int index, int n, int depth);
    char16_t CallArguments(char16_t c, int n, const QString &path, int depth);
    char16_t MemberAccess(const FTableItem &module, const QString &path, int depth);
    char16_t DynamicVariable(int depth);
    char16_t ControlConstruct(char16_t keyword, int depth);
    char16_t Part(char16_t barrier, int depth);
    void PopTo(char16_t barrier);
    void fail(TFormulaError e);
    void emitCode(char16_t code) { temp += QChar(code); }
    void emit32(quint32 v);
    void emitNumber(double x);
    void emitString(char16_t code, const QString &s);
    void emitCall(char16_t code, int index, int count);
    int emitJump(char16_t code);
    void patch(int at, int target);

    // compiler state
    // Error positions refer to the text as typed: offset and soffset undo the length
    // changes of macro replacements. Sub-formula bodies are compiled in place in their
    // program's text, so their positions need no further correction.
    int offset = 0, soffset = 0;
    int pos = 1, spos = 1, lines = 1;
    TFormulaError ferror = ER_Ok;
    bool fstop = false;
    bool fstep = false;
    bool fexsyntax = false;
    bool fexgetvar = false;
    TTalFormulaGetVarProc fgetvar;
    TTalFormulaGetVarsCountProc fgetvarscount;
    bool ftestused = false;
    bool fcasesensitive = false;
    bool fcasesensitivestring = true;
    bool funquotedstring = false;
    bool fnozero = false;
    bool fzero = false;
    QString fvarname;
    std::bitset<128> fidentascii; ///< the ASCII characters of fvarname, for the token reader
    const FTableItem *fcalling = nullptr; ///< gives FunctionName and ParamCount
    QString fmodulename;
    TFormulaStack S;
    TFormulaCalc C;
    QString input;
    QString temp;
    QString tmp;
    char16_t tc = 0;
    TTalSubFormula formula;
    TTalSubFormula *pformula = nullptr;
    double data = 0.0;
    int ncnt = 0, gvcnt = 0, gvpos = 0, npos = 0;
    QStringList vals;
    TTalSFArray fsubformula;
    std::vector<bool> usedvars;
    bool fvarsbyname = false; ///< the last compiled formula calls a builtin that names variables
    ATableItem userfunc;
    std::vector<TConstItem> ConstTable;

    bool fkeyword = false;    ///< the last token was a word (GLOBAL, SUB, CONST), not a name
    int ftokendepth = 0;      ///< nested token reads while looking ahead
    int fexpansions = 0;      ///< macro replacements in this compilation
    int fexpansionlimit = 0;
    qsizetype fmaxinput = 0;  ///< length the text may grow to by macro replacements
    QStringList flocalstrings;
    TTalFormulaLoadLangProc floadlang;

    // The last successful compilation of the main formula, so that compiling the same text
    // again (the maths computation does so for every row) reuses its code. Every change
    // that alters what a text compiles to (options, functions, constants, sub-formulas)
    // must advance fgeneration.
    quint64 fgeneration = 0;
    bool fcached = false;
    quint64 fcachedgeneration = 0;
    QString fcachedtext;
    QStringList fcachedvars;

    // run-time guards and services
    FormulaDialogs fdialogs;
    QLocale flocale;
    QChar fdecimal;
    FormulaBudget fbudget;
    int fmaxcalldepth = kDefaultMaxCallDepth;
    int fcalldepth = 0;
    qsizetype fbuiltsincecheck = 0; ///< characters built since live texts were last counted
    std::vector<SavedVariables> fsaved; ///< variables of recursive calls, set aside
    bool fstopped = false;                 ///< the last run ended by a Stop request
    std::optional<FormulaException> *fquieterror = nullptr; ///< set by TryComputeN for its run
    const ATableItem *fmembers = nullptr;  ///< member table of the module path being run
    std::mt19937_64 frandom;
};

} // namespace zel
