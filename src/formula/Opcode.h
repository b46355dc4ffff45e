#pragma once

namespace zel {

/// The instruction set of compiled formulas. Compiled code is a string of 16-bit code
/// units: each instruction is one unit, some followed by operands. Operands named "index"
/// and "count" take one unit each, "length" and "target" two (low half first), "double"
/// four (the bytes of an IEEE-754 double). The values are part of the compiled code, so
/// they never change; the operators keep the characters they are written with.
struct Opcode
{
    enum Code : char16_t {
        Not = u'!', ///< 1 when the top is 0, else 0
        Mod = u'%', ///< remainder of the truncated integers
        And = u'&', ///< 1 when both are not 0
        Multiply = u'*',
        Add = u'+', ///< sum, or the texts joined when either is not a number
        Subtract = u'-',
        Divide = u'/',
        Less = u'<',
        Equal = u'=',
        Greater = u'>',
        Concat = u'@', ///< the two texts joined
        IntDivide = u'\\', ///< quotient of the truncated integers
        Power = u'^',
        Or = u'|', ///< 1 when either is not 0
        CallSub = 220, ///< index, count: runs sub-formula index on count arguments
        PushMainVariable = 222, ///< index: pushes a variable of the main formula
        Like = 223, ///< 1 when the text matches the wildcard mask on top
        Return = 224, ///< ends the formula being run
        BitNot = 225,
        BitAnd = 226,
        BitOr = 227,
        BitXor = 228,
        ShiftRight = 229,
        ShiftLeft = 230,
        PushExternal = 231, ///< length, characters: pushes a reference to a host variable
        MemberStep = 232, ///< index: enters member index of the module path being run
        ModulePath = 233, ///< index: starts a module path at user function index
        CallMember = 234, ///< index, count: calls member index of the module path
        Drop = 241, ///< removes the top value
        Jump = 242, ///< target: continues at code unit target
        JumpIfZero = 244, ///< target: removes the top and jumps when it is 0
        CallBuiltin = 245, ///< index, count: calls built-in function index
        PushString = 246, ///< length, characters: pushes a text
        Xor = 247, ///< 1 when exactly one is not 0
        CallUserFunction = 248, ///< index, count: calls host function index
        LessOrEqual = 249,
        GreaterOrEqual = 250,
        Negate = 251,
        NotEqual = 252,
        PushVariable = 253, ///< index: pushes a variable of the formula being run
        PushNumber = 254, ///< double: pushes a number
    };
};

} // namespace zel
