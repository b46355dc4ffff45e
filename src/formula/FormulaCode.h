#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace zel {

/// Compiled code (code units of the Opcode set) decoded once for running: one entry per
/// instruction with its operands read, jump targets as entry positions and the texts of
/// PushString and PushExternal built once, so that a run neither decodes code units nor
/// builds a text for a literal. Code that cannot be decoded (an unknown instruction, an
/// operand cut short, a jump that does not land on an instruction) becomes an entry that
/// raises "Wrong bytecode!" when it runs, so every jump target is a valid entry position.
class FormulaCode
{
public:
    /// The instructions the run loop does itself when their values are numbers, numbered
    /// densely so that it dispatches through one table; Other for every other instruction.
    enum class Fast : quint8 {
        Other,
        PushVariable,
        PushNumber,
        Add,
        Subtract,
        Multiply,
        Divide,
        Power,
        Less,
        LessOrEqual,
        Greater,
        GreaterOrEqual,
        Equal,
        NotEqual,
        Negate,
        JumpIfZero,
        Jump,
        Return,
        CallUserFunction,
    };

    /// One instruction and its operands.
    struct Instruction
    {
        char16_t op = 0; ///< an Opcode::Code, or kInvalid
        Fast fast = Fast::Other; ///< op as the run loop dispatches it
        quint16 index = 0; ///< variable, function, sub-formula or member index
        quint16 count = 0; ///< argument count of a call
        quint32 operand = 0; ///< jump target (entry position, at most size()) or number of a text
        double number = 0.0; ///< value of PushNumber
    };
    /// The instruction that raises "Wrong bytecode!".
    static constexpr char16_t kInvalid = 0;

    FormulaCode() = default;
    /// Decodes code units.
    explicit FormulaCode(const QString &units);

    /// The instructions in order; a jump to size() ends the run.
    const std::vector<Instruction> &instructions() const { return m_instructions; }
    /// Text operand number i.
    const QString &text(quint32 i) const { return m_texts[i]; }

private:
    std::vector<Instruction> m_instructions;
    std::vector<QString> m_texts;
};

} // namespace zel
