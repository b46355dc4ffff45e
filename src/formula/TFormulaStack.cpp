#include "formula/TFormulaStack.h"

#include "formula/Opcode.h"

namespace zel {

namespace {
constexpr int kGrowth = 200;

bool isCallMarker(char16_t code)
{
    return code == Opcode::CallSub || code == Opcode::CallMember || code == Opcode::CallBuiltin
        || code == Opcode::CallUserFunction;
}
} // namespace

TFormulaStack::TFormulaStack(int n, TTalFormula *parent)
    : max(n)
    , data(size_t(n))
    , fParent(parent)
{
}

void TFormulaStack::Push(char16_t code)
{
    if (pos == max) {
        max += kGrowth;
        data.resize(size_t(max));
    }
    data[size_t(pos++)] = code;
}

char16_t TFormulaStack::Pop()
{
    return pos > 0 ? data[size_t(--pos)] : char16_t(0);
}

QString TFormulaStack::PopEx()
{
    if (pos == 0)
        return QString();
    const char16_t code = Pop();
    QString out{QChar(code)};
    if (isCallMarker(code)) {
        out += QChar(Pop());
        out += QChar(Pop());
    }
    return out;
}

} // namespace zel
