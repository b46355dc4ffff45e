// The compiling half of TTalFormula: token reader, expression parser and code emitter.
#include "formula/AsciiUpper.h"
#include "formula/FormulaException.h"
#include "formula/FormulaFunctions.h"
#include "formula/FormulaMessages.h"
#include "formula/NumberFormat.h"
#include "formula/Opcode.h"
#include "formula/TTalFormula.h"

#include <QHash>

#include <cstring>

namespace zel {

namespace {

// Nesting of brackets, calls and constructs. A formula that fits a maths record
// (2047 characters) cannot come near it.
constexpr int kMaxDepth = 2500;
// Nested look-aheads of the token reader (a run of "," each looking for a ")").
constexpr int kMaxTokenDepth = 256;

// Tokens. An operator's token is its instruction, and a value's token the instruction that
// pushes it; the words SUB and GLOBAL share the codes of the sub-formula call and the main
// formula's variable, told apart by fkeyword. The other tokens never reach compiled code.
constexpr char16_t kNumber = Opcode::PushNumber;
constexpr char16_t kString = Opcode::PushString;
constexpr char16_t kVariable = Opcode::PushVariable;
constexpr char16_t kMainVariable = Opcode::PushMainVariable;
constexpr char16_t kExternal = Opcode::PushExternal;
constexpr char16_t kBuiltin = Opcode::CallBuiltin;
constexpr char16_t kUserFunction = Opcode::CallUserFunction;
constexpr char16_t kSubFormula = Opcode::CallSub;
constexpr char16_t kReturn = Opcode::Return;
constexpr char16_t kEnd = 255;
constexpr char16_t kConst = 221;
constexpr char16_t kNewIdentifier = 235;
constexpr char16_t kCondition = 244;
constexpr char16_t kLoop = 243;
constexpr char16_t kTill = 239;
constexpr char16_t kSeries = 238;
constexpr char16_t kAssign = 240;
constexpr char16_t kIncrement = 237;
constexpr char16_t kDecrement = 236;

bool isBlank(char16_t c)
{
    return c == 9 || c == 10 || c == 13 || c == 32;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigit(char16_t c)
{
    if (isDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Binding class of an operator on the operator stack: 1 binds tightest.
int operatorClass(char16_t code)
{
    switch (code) {
    case Opcode::CallMember:
    case Opcode::CallBuiltin:
    case Opcode::CallUserFunction:
        return 1;
    case Opcode::Power:
        return 2;
    case Opcode::Not:
    case Opcode::BitNot:
    case Opcode::Negate:
        return 3;
    case Opcode::Multiply:
    case Opcode::Divide:
    case Opcode::IntDivide:
    case Opcode::Mod:
    case Opcode::And:
    case Opcode::BitAnd:
    case Opcode::ShiftRight:
    case Opcode::ShiftLeft:
        return 4;
    case Opcode::Add:
    case Opcode::Subtract:
    case Opcode::Concat:
        return 5;
    case Opcode::Or:
    case Opcode::BitOr:
    case Opcode::BitXor:
    case Opcode::Xor:
        return 6;
    case Opcode::Less:
    case Opcode::Equal:
    case Opcode::Greater:
    case Opcode::LessOrEqual:
    case Opcode::GreaterOrEqual:
    case Opcode::NotEqual:
    case Opcode::Like:
        return 7;
    case u'(':
        return 8;
    default:
        return 100;
    }
}

bool isInfix(char16_t t)
{
    const int cls = operatorClass(t);
    return cls == 2 || (cls >= 4 && cls <= 7);
}

struct Keyword
{
    char16_t token;
    bool keyword; ///< a program word (GLOBAL, CONST, SUB) rather than an operator or construct
};

// The reserved words, looked up by their upper-cased text.
const QHash<QString, Keyword> &keywords()
{
    static const QHash<QString, Keyword> words{
        {QStringLiteral("GLOBAL"), {kMainVariable, true}},
        {QStringLiteral("CONST"), {kConst, true}},
        {QStringLiteral("SUB"), {kSubFormula, true}},
        {QStringLiteral("XOR"), {Opcode::Xor, false}},
        {QStringLiteral("BXOR"), {Opcode::BitXor, false}},
        {QStringLiteral("LIKE"), {Opcode::Like, false}},
        {QStringLiteral("PI"), {kNumber, false}},
        {QStringLiteral("CONDITION"), {kCondition, false}},
        {QStringLiteral("LOOP"), {kLoop, false}},
        {QStringLiteral("TILL"), {kTill, false}},
        {QStringLiteral("SERIES"), {kSeries, false}},
        {QStringLiteral("RETURN"), {kReturn, false}},
    };
    return words;
}

// Counts nested calls of a recursive routine for the lifetime of a scope.
class DepthGuard
{
public:
    explicit DepthGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

// --- compiling ----------------------------------------------------------------------------

bool TTalFormula::Test(const QString &instr, int num, const QStringList &vars)
{
    startInput(instr);
    return compileBody(num, vars);
}

void TTalFormula::startInput(const QString &instr)
{
    input = instr + QChar(0);
    pos = spos = lines = 1;
    soffset = offset = 0;
    fexpansions = 0;
    fexpansionlimit = 10000 + int(std::min<qsizetype>(instr.size(), 1 << 24));
    // Constants that contain their own name would otherwise grow the text without end.
    fmaxinput = 65536 + 8 * input.size();
}

bool TTalFormula::compileBody(int num, const QStringList &vars)
{
    TTalSubFormula &f = *pformula;
    f.setCompiled(QString());
    fcached = false;
    num = std::clamp(num, 0, int(std::min<qsizetype>(vars.size(), 0xFFFF)));
    if (num > 0) {
        usedvars.assign(size_t(num), false);
        f.varnames = vars.mid(0, num);
        f.values.resize(size_t(num));
    } else {
        usedvars.clear();
    }
    f.paramcount = num;
    fvarsbyname = false;
    temp.truncate(0); // keeps its capacity for the next compilation
    S.Clear();
    ftokendepth = 0;

    fexsyntax = false;
    tc = Expression(0);
    fexsyntax = true;

    bool ok = ferror == ER_Ok;
    const bool programWord = fkeyword && (tc == kSubFormula || tc == kMainVariable || tc == kConst);
    if (ok && tc != kEnd && !programWord) {
        fail(ER_SYNTAX);
        ok = false;
    }
    if (!ok)
        return false;
    while (S.Count() > 0)
        temp += S.PopEx();
    if (ftestused) {
        for (bool used : usedvars) {
            if (!used) {
                fail(ER_VARS);
                return false;
            }
        }
    }
    return !temp.isEmpty();
}

QString TTalFormula::Compile(const QString &instr, int num, const QStringList &vars)
{
    S.Clear();
    C.Clear();
    const bool main = pformula == &formula;
    const int names = std::clamp(num, 0, int(std::min<qsizetype>(vars.size(), 0xFFFF)));
    if (main && fcached && fcachedgeneration == fgeneration && instr == fcachedtext
        && names == fcachedvars.size()
        && std::equal(fcachedvars.cbegin(), fcachedvars.cend(), vars.cbegin())) {
        // Everything a compilation leaves behind is still in place but the error state.
        ferror = ER_Ok;
        return formula.fcompiled;
    }
    if (!Test(instr, num, vars))
        throw FormulaException(GetLastErrorStr(), ErrLine(), ErrPos());
    pformula->setCompiled(temp + QChar(kReturn));
    if (main) {
        fcached = true;
        fcachedgeneration = fgeneration;
        fcachedtext = instr;
        fcachedvars = vars.mid(0, names);
    }
    return pformula->fcompiled;
}

QString TTalFormula::GetLastErrorStr() const
{
    using M = FormulaMessages;
    switch (ferror) {
    case ER_Ok:
        return QStringLiteral("Ok");
    case ER_ILLEGAL: {
        const qsizetype at = pos - 1;
        const QString c = at >= 0 && at < input.size() ? QString(input[at]) : QString();
        return M::text(M::IllegalCharacter) + QStringLiteral(" '") + c + u'\'';
    }
    case ER_UNKNOWN:
        return M::text(M::UnknownIdentifier) + QStringLiteral(" '") + FormulaException::excerpt(tmp)
            + u'\'';
    case ER_RIGHT:
        return QStringLiteral("\")\" ") + M::text(M::Expected);
    case ER_LEFT:
        return QStringLiteral("\"(\" ") + M::text(M::Expected);
    case ER_SYNTAX:
        return M::text(M::SyntaxError);
    case ER_VARS:
        return M::text(M::VariableNotUsed);
    case ER_NOTENOUGH:
        return M::text(M::NotEnoughParameters);
    case ER_IDENT:
        return M::text(M::IdentifierAlreadyDefined) + QStringLiteral(" '")
            + FormulaException::excerpt(tmp) + u'\'';
    }
    return QString();
}

void TTalFormula::fail(TFormulaError e)
{
    if (ferror == ER_Ok)
        ferror = e;
}

// --- token reader -------------------------------------------------------------------------

bool TTalFormula::startsIdentifier(char16_t c) const
{
    if (c < 128)
        return fidentascii.test(c);
    return fvarname.contains(QChar(c));
}

char16_t TTalFormula::ch(int ahead) const
{
    const qsizetype at = qsizetype(pos) - 1 + ahead;
    return at >= 0 && at < input.size() ? input[at].unicode() : char16_t(0);
}

bool TTalFormula::atEnd() const
{
    return pos >= input.size();
}

void TTalFormula::advance()
{
    if (ch() == u'\n') {
        ++lines;
        spos = 1;
        soffset = 0;
    } else {
        ++spos;
    }
    ++pos;
}

void TTalFormula::skipGap()
{
    for (;;) {
        while (isBlank(ch()))
            advance();
        if (ch() == u'{') {
            while (ch() != u'}' && !atEnd())
                advance();
            while (ch() == u'}' || isBlank(ch()))
                advance();
        }
        if (ch() == u'/' && ch(1) == u'/') {
            while (ch() != u'\n' && !atEnd())
                advance();
            if (ch() == u'\n')
                advance();
            continue;
        }
        return;
    }
}

char16_t TTalFormula::GetToken(bool peek, bool unknownAsString, bool declaring)
{
    if (!peek)
        return ReadToken(unknownAsString, declaring);
    const int savedPos = pos, savedSpos = spos, savedLines = lines;
    const QString savedTmp = tmp;
    const double savedData = data;
    const bool savedKeyword = fkeyword;
    const char16_t t = ReadToken(unknownAsString, declaring);
    pos = savedPos;
    spos = savedSpos;
    lines = savedLines;
    tmp = savedTmp;
    data = savedData;
    fkeyword = savedKeyword;
    ferror = ER_Ok;
    return t;
}

char16_t TTalFormula::ReadToken(bool unknownAsString, bool declaring)
{
    DepthGuard guard(ftokendepth);
    for (;;) {
        ferror = ER_Ok;
        fkeyword = false;
        if (ftokendepth > kMaxTokenDepth) {
            fail(ER_SYNTAX);
            return 0;
        }
        skipGap();
        const char16_t c = ch();
        if (c == 0)
            return kEnd;
        if (c == u'\'' || c == u'"' || c == u'#')
            return readString();
        if (startsIdentifier(c)) {
            const int start = pos;
            while (startsIdentifier(ch()) || isDigit(ch()))
                advance();
            const QString ident = input.mid(start - 1, pos - start);
            tmp = ident;
            const QString upper = upperAscii(ident);
            const auto word = keywords().constFind(upper);
            if (word != keywords().constEnd()) {
                fkeyword = word->keyword;
                if (word->token == kNumber)
                    data = 3.141592653589793;
                return word->token;
            }
            if (!fexsyntax) {
                const TConstItem *macro = nullptr;
                for (const TConstItem &item : ConstTable) {
                    if (item.name == upper) {
                        macro = &item;
                        break;
                    }
                }
                if (macro) {
                    // The identifier's characters give way to the macro's text, which is
                    // then read as if typed there; the offsets keep error positions on
                    // the text as typed.
                    if (++fexpansions > fexpansionlimit
                        || input.size() - ident.size() + macro->value.size() > fmaxinput) {
                        fail(ER_SYNTAX);
                        return 0;
                    }
                    const int length = int(ident.size());
                    input.replace(start - 1, length, macro->value);
                    pos = start;
                    spos -= length;
                    soffset += length - int(macro->value.size());
                    offset += length - int(macro->value.size());
                    continue;
                }
            }
            if (declaring)
                return kNewIdentifier;
            return classify(ident, upper, unknownAsString);
        }
        if (c == u'$') {
            if (isDigit(ch(1)))
                return readHex();
            advance();
            return u'$';
        }
        if (isDigit(c) || (c == u'.' && fnozero))
            return readNumber();
        switch (c) {
        case u'!':
        case u'%':
        case u'&':
        case u'(':
        case u')':
        case u'*':
        case u'+':
        case u',':
        case u'-':
        case u'.':
        case u'/':
        case u';':
        case u'@':
        case u'[':
        case u'\\':
        case u']':
        case u'^':
        case u'|': {
            advance();
            if (c == u',' || c == u';') {
                // A "," right before ")" is dropped, so that «BEGIN a; b; END» reads.
                // The look-ahead keeps what it read when it is that ")", so a run of
                // commas is read once, not once per comma.
                const int savedPos = pos, savedSpos = spos, savedLines = lines;
                const QString savedTmp = tmp;
                const double savedData = data;
                if (ReadToken(false, false) == u')')
                    return u')';
                pos = savedPos;
                spos = savedSpos;
                lines = savedLines;
                tmp = savedTmp;
                data = savedData;
                ferror = ER_Ok;
                fkeyword = false;
                return u',';
            }
            const char16_t pair = c == u'+' ? kIncrement
                : c == u'-'                 ? kDecrement
                : c == u'|'                 ? char16_t(Opcode::BitOr)
                : c == u'&'                 ? char16_t(Opcode::BitAnd)
                : c == u'!'                 ? char16_t(Opcode::BitNot)
                                            : char16_t(0);
            if (pair != 0) {
                const int savedPos = pos, savedSpos = spos, savedLines = lines,
                          savedSoffset = soffset;
                skipGap();
                if (ch() == c) {
                    advance();
                    return pair;
                }
                pos = savedPos;
                spos = savedSpos;
                lines = savedLines;
                soffset = savedSoffset;
            }
            return c;
        }
        case u':':
            if (ch(1) == u'=') {
                advance();
                advance();
                return kAssign;
            }
            fail(ER_SYNTAX);
            return 0;
        case u'=':
            advance();
            if (ch() == u'=') {
                advance();
                return Opcode::Like;
            }
            return u'=';
        case u'>':
            advance();
            if (ch() == u'=') {
                advance();
                return Opcode::GreaterOrEqual;
            }
            if (ch() == u'>') {
                advance();
                return Opcode::ShiftRight;
            }
            return u'>';
        case u'<':
            advance();
            if (ch() == u'=') {
                advance();
                return Opcode::LessOrEqual;
            }
            if (ch() == u'<') {
                advance();
                return Opcode::ShiftLeft;
            }
            if (ch() == u'>') {
                advance();
                return Opcode::NotEqual;
            }
            return u'<';
        default:
            fail(ER_ILLEGAL);
            return 0;
        }
    }
}

char16_t TTalFormula::readString()
{
    QString text;
    for (;;) {
        const char16_t c = ch();
        if (c == u'\'' || c == u'"') {
            advance();
            int count = 0;
            for (;;) {
                if (atEnd()) {
                    fail(ER_SYNTAX);
                    return 0;
                }
                const char16_t d = ch();
                if (d == c) {
                    if (count > 0 && ch(1) == c) {
                        text += QChar(c);
                        advance();
                        advance();
                        ++count;
                        continue;
                    }
                    advance();
                    break;
                }
                text += QChar(d);
                advance();
                ++count;
            }
        } else if (c == u'#') {
            advance();
            if (!isDigit(ch())) {
                fail(ER_SYNTAX);
                return 0;
            }
            quint32 code = 0;
            while (isDigit(ch())) {
                code = code * 10 + (ch() - u'0');
                if (code > 0xFFFF) {
                    fail(ER_SYNTAX);
                    return 0;
                }
                advance();
            }
            text += QChar(char16_t(code));
        } else {
            break;
        }
    }
    tmp = text;
    return kString;
}

char16_t TTalFormula::readNumber()
{
    QString text;
    while (isDigit(ch())) {
        text += QChar(ch());
        advance();
    }
    if (ch() == u'.') {
        text += u'.';
        advance();
        while (isDigit(ch())) {
            text += QChar(ch());
            advance();
        }
    }
    if (ch() == u'E' || ch() == u'e') {
        text += u'e';
        advance();
        if (ch() == u'+' || ch() == u'-') {
            text += QChar(ch());
            advance();
        }
        while (isDigit(ch())) {
            text += QChar(ch());
            advance();
        }
    }
    double value = 0;
    if (!NumberFormat::parse(text, u'.', value)) {
        fail(ER_SYNTAX);
        return 0;
    }
    data = value;
    return kNumber;
}

char16_t TTalFormula::readHex()
{
    advance(); // "$"
    quint64 value = 0;
    for (int d = hexDigit(ch()); d >= 0; d = hexDigit(ch())) {
        value = value * 16 + quint64(d);
        if (value > 0xFFFFFFFFu) {
            fail(ER_SYNTAX);
            return 0;
        }
        advance();
    }
    data = double(qint32(quint32(value)));
    return kNumber;
}

char16_t TTalFormula::lookup(const QString &ident, const QString &upper, int &index) const
{
    index = FormulaFunctions::indexOf(upper);
    if (index >= 0)
        return kBuiltin;
    for (size_t i = 0; i < userfunc.size(); ++i) {
        if (userfunc[i]->name == upper) {
            index = int(i);
            return kUserFunction;
        }
    }
    const auto findIn = [&](const TTalSubFormula &f) {
        const qsizetype n = std::min<qsizetype>(f.paramcount, f.varnames.size());
        for (qsizetype i = 0; i < n; ++i)
            if (sameName(f.varnames[i], ident))
                return int(i);
        return -1;
    };
    index = findIn(*pformula);
    if (index >= 0)
        return kVariable;
    if (pformula != &formula) {
        index = findIn(formula);
        if (index >= 0)
            return kMainVariable;
    }
    for (size_t k = 0; k < fsubformula.size(); ++k) {
        if (sameName(fsubformula[k].name, ident)) {
            index = int(k);
            return kSubFormula;
        }
    }
    index = -1;
    return 0;
}

std::vector<int> TTalFormula::usedVariables() const
{
    std::vector<int> used;
    for (size_t i = 0; i < usedvars.size(); ++i) {
        if (fvarsbyname || usedvars[i])
            used.push_back(int(i));
    }
    return used;
}

bool TTalFormula::namesSomething(const QString &ident) const
{
    int index;
    return lookup(ident, upperAscii(ident), index) != 0;
}

char16_t TTalFormula::classify(const QString &ident, const QString &upper, bool unknownAsString)
{
    int index;
    const char16_t code = lookup(ident, upper, index);
    if (code != 0) {
        if (code == kVariable && size_t(index) < usedvars.size())
            usedvars[size_t(index)] = true;
        else if (code == kBuiltin && FormulaFunctions::reachesVariablesByName(index))
            fvarsbyname = true;
        data = index;
        return code;
    }
    if (fexgetvar)
        return kExternal;
    if (funquotedstring || unknownAsString)
        return kString;
    fail(ER_UNKNOWN);
    --pos;
    --spos;
    return 0;
}

// --- parser -------------------------------------------------------------------------------

void TTalFormula::PopTo(char16_t barrier)
{
    while (S.Count() > 0 && S.Top() != barrier)
        temp += S.PopEx();
    S.Pop();
}

char16_t TTalFormula::Part(char16_t barrier, int depth)
{
    S.Push(barrier);
    const char16_t r = Expression(depth + 1);
    if (ferror != ER_Ok)
        return 0;
    PopTo(barrier);
    return r;
}

char16_t TTalFormula::Expression(int depth)
{
    if (depth > kMaxDepth) {
        fail(ER_SYNTAX);
        return 0;
    }
    for (;;) {
        char16_t t = GetToken();
        if (ferror != ER_Ok || t == kEnd)
            return 0;
        if (t == u'+') {
            t = GetToken();
            if (ferror != ER_Ok)
                return 0;
        }
        switch (t) {
        case Opcode::Not:
        case Opcode::BitNot:
            S.Push(t);
            continue;
        case u'-':
            S.Push(Opcode::Negate);
            continue;
        case u'(': {
            S.Push(u'(');
            const char16_t r = Expression(depth + 1);
            if (ferror != ER_Ok)
                return 0;
            if (r != u')') {
                fail(ER_RIGHT);
                return 0;
            }
            PopTo(u'(');
            t = GetToken();
            break;
        }
        case kNumber:
            emitNumber(data);
            t = GetToken();
            break;
        case kString:
        case kExternal:
            emitString(t, tmp);
            t = GetToken();
            break;
        case kVariable:
        case kMainVariable:
            if (fkeyword)
                return 0;
            emitCode(t);
            emitCode(char16_t(data));
            t = GetToken();
            break;
        case kBuiltin:
        case kUserFunction:
        case kSubFormula: {
            if (fkeyword)
                return 0;
            const int index = int(data);
            const int n = t == kBuiltin ? FormulaFunctions::builtins()[size_t(index)].paramcount
                : t == kUserFunction    ? userfunc[size_t(index)]->paramcount
                                        : fsubformula[size_t(index)].paramcount;
            t = ArgumentList(t, index, n, depth);
            break;
        }
        case u'$':
            t = DynamicVariable(depth);
            break;
        case kCondition:
        case kLoop:
        case kTill:
        case kSeries:
        case kReturn:
            t = ControlConstruct(t, depth);
            break;
        default:
            return 0;
        }
        if (ferror != ER_Ok)
            return 0;
        if (t == kEnd)
            return kEnd;
        if (!isInfix(t))
            return t;
        const int cls = operatorClass(t);
        while (S.Count() > 0 && operatorClass(S.Top()) <= cls)
            temp += S.PopEx();
        S.Push(t);
    }
}

char16_t TTalFormula::ArgumentList(char16_t code, int index, int n, int depth)
{
    S.Push(char16_t(n));
    S.Push(char16_t(index));
    S.Push(code);
    const char16_t c = GetToken();
    if (ferror != ER_Ok)
        return 0;
    if (c == u'.' && code == kUserFunction && userfunc[size_t(index)]->module) {
        // The module itself is not called; its member is.
        S.Pop();
        S.Pop();
        S.Pop();
        QString path;
        path += QChar(Opcode::ModulePath);
        path += QChar(char16_t(index));
        return MemberAccess(*userfunc[size_t(index)], path, depth + 1);
    }
    return CallArguments(c, n, QString(), depth);
}

char16_t TTalFormula::CallArguments(char16_t c, int n, const QString &path, int depth)
{
    char16_t t = c;
    if (n != 0) {
        if (c != u'(') {
            fail(ER_LEFT);
            return 0;
        }
        S.Push(u'(');
        char16_t r = 0;
        if (n > 0) {
            for (int k = 1; k <= n; ++k) {
                r = Part(u',', depth);
                if (ferror != ER_Ok)
                    return 0;
                if (k < n && r != u',') {
                    fail(ER_NOTENOUGH);
                    return 0;
                }
            }
        } else {
            int k = 0;
            if (GetToken(true) != u')') {
                do {
                    ++k;
                    r = Part(u',', depth);
                    if (ferror != ER_Ok)
                        return 0;
                } while (r == u',');
            }
            emitNumber(k);
            if (k == 0)
                r = GetToken();
        }
        if (ferror != ER_Ok)
            return 0;
        if (r != u')') {
            fail(ER_RIGHT);
            return 0;
        }
        PopTo(u'(');
        temp += path;
        temp += S.PopEx();
        t = GetToken();
    } else {
        if (c == u'(') {
            if (GetToken() != u')') {
                fail(ER_RIGHT);
                return 0;
            }
            t = GetToken();
        }
        temp += path;
        temp += S.PopEx();
    }
    if (ferror != ER_Ok)
        return 0;
    if (t == u'.') {
        // Members are reached from a module's name only, never from a call's result.
        fail(ER_UNKNOWN);
        return 0;
    }
    return t;
}

char16_t TTalFormula::MemberAccess(const FTableItem &module, const QString &path, int depth)
{
    if (depth > kMaxDepth) {
        fail(ER_SYNTAX);
        return 0;
    }
    if (GetToken(false, false, true) != kNewIdentifier) {
        fail(ER_SYNTAX);
        return 0;
    }
    const QString ident = tmp;
    const bool assigning = GetToken(true, false, true) == kAssign;
    const QString name = assigning ? QStringLiteral("SET") + upperAscii(ident) : upperAscii(ident);
    qsizetype index = -1;
    for (size_t i = 0; i < module.funs.size(); ++i) {
        if (module.funs[i]->name == name) {
            index = qsizetype(i);
            break;
        }
    }
    if (index < 0) {
        tmp = ident;
        fail(ER_UNKNOWN);
        return 0;
    }
    const FTableItem &member = *module.funs[size_t(index)];
    S.Push(char16_t(member.paramcount));
    S.Push(char16_t(index));
    S.Push(Opcode::CallMember);
    if (assigning) {
        GetToken();
        if (member.paramcount != 1) {
            fail(ER_SYNTAX);
            return 0;
        }
        const char16_t r = Part(u',', depth);
        if (ferror != ER_Ok)
            return 0;
        temp += path;
        temp += S.PopEx();
        return r;
    }
    const char16_t c = GetToken();
    if (ferror != ER_Ok)
        return 0;
    if (c == u'.' && member.module) {
        S.Pop();
        S.Pop();
        S.Pop();
        QString deeper = path;
        deeper += QChar(Opcode::MemberStep);
        deeper += QChar(char16_t(index));
        return MemberAccess(member, deeper, depth + 1);
    }
    return CallArguments(c, member.paramcount, path, depth);
}

char16_t TTalFormula::DynamicVariable(int depth)
{
    char16_t t = GetToken(false, true);
    if (ferror != ER_Ok)
        return 0;
    char16_t next = 0;
    if ((t == kVariable || t == kMainVariable || t == kExternal || t == kString) && !fkeyword) {
        emitString(kString, tmp);
        next = GetToken();
        if (ferror != ER_Ok)
            return 0;
        if (next == u'[') {
            char16_t r = Part(u',', depth);
            if (ferror != ER_Ok)
                return 0;
            while (r == u',') {
                emitCode(Opcode::Concat);
                emitString(kString, QStringLiteral("_"));
                emitCode(Opcode::Concat);
                r = Part(u',', depth);
                if (ferror != ER_Ok)
                    return 0;
            }
            if (r != u']') {
                fail(ER_SYNTAX);
                return 0;
            }
            emitCode(Opcode::Concat);
            next = GetToken();
        }
    } else if (t == u'(') {
        const char16_t r = Part(u'(', depth);
        if (ferror != ER_Ok)
            return 0;
        if (r != u')') {
            fail(ER_RIGHT);
            return 0;
        }
        next = GetToken();
    } else {
        fail(ER_SYNTAX);
        return 0;
    }
    if (ferror != ER_Ok)
        return 0;
    // $name reads and writes the variable named by a text, through the built-ins that do so.
    switch (next) {
    case kDecrement:
        emitCall(kBuiltin, FormulaFunctions::indexOf(QStringLiteral("DEC")), 1);
        return GetToken();
    case kIncrement:
        emitCall(kBuiltin, FormulaFunctions::indexOf(QStringLiteral("INC")), 1);
        return GetToken();
    case kAssign: {
        const char16_t r = Part(u',', depth);
        if (ferror != ER_Ok)
            return 0;
        emitCall(kBuiltin, FormulaFunctions::indexOf(QStringLiteral("SET")), 2);
        return r;
    }
    default:
        emitCall(kBuiltin, FormulaFunctions::indexOf(QStringLiteral("VAL")), 1);
        return next;
    }
}

char16_t TTalFormula::ControlConstruct(char16_t keyword, int depth)
{
    if (GetToken() != u'(') {
        fail(ER_LEFT);
        return 0;
    }
    S.Push(u'(');
    // Parts before the last end with ","; the last one with ")".
    const auto part = [&](bool last) {
        const char16_t r = Part(u',', depth);
        if (ferror != ER_Ok)
            return false;
        if (!last && r != u',') {
            fail(ER_NOTENOUGH);
            return false;
        }
        if (last && r != u')') {
            fail(ER_RIGHT);
            return false;
        }
        return true;
    };
    const auto here = [&]() { return int(temp.size()); };
    switch (keyword) {
    case kCondition: {
        if (!part(false))
            return 0;
        const int toElse = emitJump(Opcode::JumpIfZero);
        if (!part(false))
            return 0;
        const int toEnd = emitJump(Opcode::Jump);
        patch(toElse, here());
        char16_t r = Part(u',', depth);
        if (ferror != ER_Ok)
            return 0;
        if (r == u',') {
            // IF .. ELSE .. ENDIF ends in ",0)": the filler part is read and left out.
            const int mark = here();
            r = Part(u',', depth);
            if (ferror != ER_Ok)
                return 0;
            temp.truncate(mark);
        }
        if (r != u')') {
            fail(ER_RIGHT);
            return 0;
        }
        patch(toEnd, here());
        break;
    }
    case kLoop: {
        emitNumber(-1);
        const int loop = here();
        emitNumber(1);
        emitCode(Opcode::Add);
        if (!part(false))
            return 0;
        const int toEnd = emitJump(Opcode::JumpIfZero);
        if (!part(true))
            return 0;
        emitCode(Opcode::Drop);
        patch(emitJump(Opcode::Jump), loop);
        patch(toEnd, here());
        break;
    }
    case kTill: {
        emitNumber(0);
        const int loop = here();
        emitNumber(1);
        emitCode(Opcode::Add);
        if (!part(false))
            return 0;
        emitCode(Opcode::Drop);
        if (!part(true))
            return 0;
        patch(emitJump(Opcode::JumpIfZero), loop);
        break;
    }
    case kSeries: {
        if (!part(false))
            return 0;
        emitCode(Opcode::Drop);
        emitNumber(-1);
        const int loop = here();
        emitNumber(1);
        emitCode(Opcode::Add);
        if (!part(false))
            return 0;
        const int toEnd = emitJump(Opcode::JumpIfZero);
        const int toBody = emitJump(Opcode::Jump);
        const int step = here();
        if (!part(false))
            return 0;
        emitCode(Opcode::Drop);
        patch(emitJump(Opcode::Jump), loop);
        patch(toBody, here());
        if (!part(true))
            return 0;
        emitCode(Opcode::Drop);
        patch(emitJump(Opcode::Jump), step);
        patch(toEnd, here());
        break;
    }
    default: // RETURN
        if (!part(true))
            return 0;
        emitCode(kReturn);
        break;
    }
    PopTo(u'(');
    return GetToken();
}

// --- programs -----------------------------------------------------------------------------

void TTalFormula::CompileProgram(const QString &instr)
{
    ++fgeneration;
    fcached = false;
    S.Clear();
    C.Clear();
    startInput(instr);
    ferror = ER_Ok;
    fsubformula.clear();
    pformula = &formula;
    formula.varnames.clear();
    formula.values.clear();
    formula.paramcount = 0;
    fexsyntax = false;

    char16_t t = GetToken();
    while (ferror == ER_Ok && t != kEnd) {
        if (!fkeyword) {
            fail(ER_SYNTAX);
            break;
        }
        switch (t) {
        case kSubFormula:
            t = DeclareSub();
            break;
        case kConst:
            t = DeclareConstants();
            break;
        default: // GLOBAL
            t = DeclareGlobals();
            break;
        }
    }
    fexsyntax = false;
    pformula = &formula;
    if (ferror == ER_Ok)
        return;
    // The sub-formula whose declaration failed has no code; the ones before it stay usable.
    if (!fsubformula.empty() && fsubformula.back().fcompiled.isEmpty())
        fsubformula.pop_back();
    throw FormulaException(GetLastErrorStr(), ErrLine(), ErrPos());
}

char16_t TTalFormula::DeclareSub()
{
    if (GetToken(false, false, true) != kNewIdentifier) {
        fail(ER_SYNTAX);
        return 0;
    }
    if (namesSomething(tmp)) {
        fail(ER_IDENT);
        return 0;
    }
    if (fsubformula.size() >= 0xFFFF) { // code addresses a sub-formula in one unit
        fail(ER_SYNTAX);
        return 0;
    }
    fsubformula.emplace_back();
    TTalSubFormula &sub = fsubformula.back();
    sub.name = tmp;
    pformula = &sub;
    if (GetToken(true, false, true) == u'(') {
        GetToken();
        for (;;) {
            const char16_t t = GetToken(false, false, true);
            if (ferror != ER_Ok)
                return 0;
            if (t == u')')
                break;
            if (t != kNewIdentifier || sub.paramcount >= 0xFFFF) {
                fail(ER_SYNTAX);
                return 0;
            }
            if (namesSomething(tmp)) {
                fail(ER_IDENT);
                return 0;
            }
            sub.varnames.append(tmp);
            ++sub.paramcount;
            if (GetToken(true, false, true) == u',')
                GetToken();
        }
    }
    if (ferror != ER_Ok)
        return 0;
    S.Clear();
    C.Clear();
    fexsyntax = true;
    const QStringList params = sub.varnames;
    if (!compileBody(sub.paramcount, params)) {
        fail(ER_SYNTAX);
        return 0;
    }
    fexsyntax = false;
    sub.setCompiled(temp + QChar(kReturn));
    return tc;
}

char16_t TTalFormula::DeclareConstants()
{
    fexsyntax = true;
    for (;;) {
        const char16_t t = GetToken(false, false, true);
        if (ferror != ER_Ok)
            return 0;
        if (t != kNewIdentifier) {
            fexsyntax = false;
            return t;
        }
        const QString name = tmp;
        if (namesSomething(name)) {
            fail(ER_IDENT);
            return 0;
        }
        if (GetToken() != u'=') {
            fail(ER_SYNTAX);
            return 0;
        }
        // The text runs to the end of its line, blanks included.
        const int start = pos;
        while (!atEnd() && ch() != 0 && ch() != u'\t' && ch() != u'\n' && ch() != u'\r')
            advance();
        if (pos == start) {
            fail(ER_SYNTAX);
            return 0;
        }
        AddUserConstant(name, input.mid(start - 1, pos - start));
    }
}

char16_t TTalFormula::DeclareGlobals()
{
    for (;;) {
        char16_t t = GetToken(false, false, true);
        if (ferror != ER_Ok)
            return 0;
        if (t != kNewIdentifier)
            return t;
        const QString name = tmp;
        if (namesSomething(name)) {
            fail(ER_IDENT);
            return 0;
        }
        TCalcItem value = TCalcItem::number(0);
        t = GetToken(false, false, true);
        if (ferror != ER_Ok)
            return 0;
        if (t == u'=') {
            t = GetToken(false, false, true);
            if (t == kNumber)
                value = TCalcItem::number(data);
            else if (t == kString)
                value = TCalcItem::text(tmp);
            else {
                fail(ER_SYNTAX);
                return 0;
            }
            t = GetToken(false, false, true);
            if (ferror != ER_Ok)
                return 0;
        }
        if (formula.paramcount >= 0xFFFF) {
            fail(ER_SYNTAX);
            return 0;
        }
        formula.varnames.append(name);
        formula.values.push_back(value);
        ++formula.paramcount;
        if (t != u',')
            return t;
    }
}

// --- code emission ------------------------------------------------------------------------

void TTalFormula::emit32(quint32 v)
{
    emitCode(char16_t(v & 0xFFFF));
    emitCode(char16_t(v >> 16));
}

void TTalFormula::emitNumber(double x)
{
    char16_t units[4];
    std::memcpy(units, &x, sizeof x);
    emitCode(kNumber);
    for (char16_t u : units)
        emitCode(u);
}

void TTalFormula::emitString(char16_t code, const QString &s)
{
    emitCode(code);
    emit32(quint32(s.size()));
    temp += s;
}

void TTalFormula::emitCall(char16_t code, int index, int count)
{
    emitCode(code);
    emitCode(char16_t(index));
    emitCode(char16_t(count));
}

int TTalFormula::emitJump(char16_t code)
{
    emitCode(code);
    const int at = int(temp.size());
    emit32(0);
    return at;
}

void TTalFormula::patch(int at, int target)
{
    temp[at] = QChar(char16_t(quint32(target) & 0xFFFF));
    temp[at + 1] = QChar(char16_t(quint32(target) >> 16));
}

} // namespace zel
