#include "formula/FormulaMessages.h"

#include <QMutex>
#include <QMutexLocker>

#include <array>

namespace zel {

namespace {

struct Entry
{
    const char *key;
    const char *text;
};

constexpr Entry kEntries[FormulaMessages::Count] = {
    {"cGetVarValueNotSet", "GetVarValue not set!"},
    {"cGetVarsCountorGetVarValuenotset", "GetVarsCount or GetVarValue not set!"},
    {"cReturnsZeroVars", "returns zero vars!"},
    {"cDoesNotExists", "does not exists"},
    {"cVariable", "Variable"},
    {"cVariableDoesNotExists", "Variable does not exists"},
    {"cVariableAlreadyExists", "Variable already exists"},
    {"cFunctionAlreadyDefined", "Function already defined"},
    {"cTooManyFunctionsDefined", "Too many functions defined"},
    {"cUserFunctionAlreadyDefined", "User Function already defined"},
    {"cTooManyUserFunctionsDefined", "Too many user functions defined"},
    {"cConstantAlreadyDefined", "Constant already defined"},
    {"cWrongbytecode", "Wrong bytecode!"},
    {"cIllegalCharacter", "Illegal character"},
    {"cUnknownIdentifier", "Unknown identifier"},
    {"cExpected", "expected"},
    {"cSyntaxError", "Syntax error"},
    {"cVariableNotUsed", "Variable not used"},
    {"cNotEnoughParameters", "Not enough parameters"},
    {"cIdentifierAlreadyDefined", "Identifier already defined"},
};

// Formula components may live in several threads while one of them loads a translation.
struct Texts
{
    QMutex mutex;
    std::array<QString, FormulaMessages::Count> texts;

    Texts()
    {
        for (int i = 0; i < FormulaMessages::Count; ++i)
            texts[size_t(i)] = QString::fromLatin1(kEntries[i].text);
    }
};

Texts &texts()
{
    static Texts instance;
    return instance;
}

} // namespace

QString FormulaMessages::text(Id id)
{
    Texts &t = texts();
    QMutexLocker lock(&t.mutex);
    return t.texts[size_t(id)];
}

QString FormulaMessages::defaultText(Id id)
{
    return QString::fromLatin1(kEntries[id].text);
}

QString FormulaMessages::key(Id id)
{
    return QString::fromLatin1(kEntries[id].key);
}

void FormulaMessages::setText(Id id, const QString &text)
{
    Texts &t = texts();
    QMutexLocker lock(&t.mutex);
    t.texts[size_t(id)] = text;
}

} // namespace zel
