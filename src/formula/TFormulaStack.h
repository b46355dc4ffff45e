#pragma once

#include <QString>

#include <vector>

namespace zel {

class TTalFormula;

/// The compiler's operator stack of 16-bit codes. A call marker (an Opcode that calls:
/// CallSub, CallMember, CallBuiltin, CallUserFunction) sits on top of its index and argument
/// count and is taken off with them.
class TFormulaStack
{
public:
    /// An empty stack with room for n codes; it grows by 200 when full.
    TFormulaStack(int n, TTalFormula *parent);

    /// The top code, or 0 when the stack is empty.
    char16_t Top() const { return pos > 0 ? data[size_t(pos - 1)] : char16_t(0); }
    /// Adds a code.
    void Push(char16_t code);
    /// Removes and gives the top code, or 0 when the stack is empty.
    char16_t Pop();
    /// Removes the top entry and gives its code units: three for a call marker (marker,
    /// index, count), else one; empty on an empty stack.
    QString PopEx();
    /// Empties the stack.
    void Clear() { pos = 0; }
    /// Number of codes on the stack.
    int Count() const { return pos; }
    /// The owning formula component.
    TTalFormula *Parent() const { return fParent; }

private:
    int max;
    int pos = 0;
    std::vector<char16_t> data;
    TTalFormula *fParent;
};

} // namespace zel
