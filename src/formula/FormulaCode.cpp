#include "formula/FormulaCode.h"

#include "formula/Opcode.h"

#include <cstring>

namespace zel {

namespace {

// Entry position of a code unit that starts no instruction.
constexpr quint32 kNoTarget = 0xFFFFFFFF;

// Code units that follow an instruction, or -1 for a code that is no instruction. Texts
// follow their length operand.
int operandUnits(char16_t op)
{
    switch (op) {
    case Opcode::PushVariable:
    case Opcode::PushMainVariable:
    case Opcode::ModulePath:
    case Opcode::MemberStep:
        return 1;
    case Opcode::CallSub:
    case Opcode::CallMember:
    case Opcode::CallBuiltin:
    case Opcode::CallUserFunction:
    case Opcode::PushString:
    case Opcode::PushExternal:
    case Opcode::Jump:
    case Opcode::JumpIfZero:
        return 2;
    case Opcode::PushNumber:
        return 4;
    case Opcode::Not:
    case Opcode::Mod:
    case Opcode::And:
    case Opcode::Multiply:
    case Opcode::Add:
    case Opcode::Subtract:
    case Opcode::Divide:
    case Opcode::Less:
    case Opcode::Equal:
    case Opcode::Greater:
    case Opcode::Concat:
    case Opcode::IntDivide:
    case Opcode::Power:
    case Opcode::Or:
    case Opcode::Like:
    case Opcode::Return:
    case Opcode::BitNot:
    case Opcode::BitAnd:
    case Opcode::BitOr:
    case Opcode::BitXor:
    case Opcode::ShiftRight:
    case Opcode::ShiftLeft:
    case Opcode::Drop:
    case Opcode::Xor:
    case Opcode::LessOrEqual:
    case Opcode::GreaterOrEqual:
    case Opcode::Negate:
    case Opcode::NotEqual:
        return 0;
    default:
        return -1;
    }
}

FormulaCode::Fast fastCode(char16_t op)
{
    using Fast = FormulaCode::Fast;
    switch (op) {
    case Opcode::PushVariable:
        return Fast::PushVariable;
    case Opcode::PushNumber:
        return Fast::PushNumber;
    case Opcode::Add:
        return Fast::Add;
    case Opcode::Subtract:
        return Fast::Subtract;
    case Opcode::Multiply:
        return Fast::Multiply;
    case Opcode::Divide:
        return Fast::Divide;
    case Opcode::Power:
        return Fast::Power;
    case Opcode::Less:
        return Fast::Less;
    case Opcode::LessOrEqual:
        return Fast::LessOrEqual;
    case Opcode::Greater:
        return Fast::Greater;
    case Opcode::GreaterOrEqual:
        return Fast::GreaterOrEqual;
    case Opcode::Equal:
        return Fast::Equal;
    case Opcode::NotEqual:
        return Fast::NotEqual;
    case Opcode::Negate:
        return Fast::Negate;
    case Opcode::JumpIfZero:
        return Fast::JumpIfZero;
    case Opcode::Jump:
        return Fast::Jump;
    case Opcode::Return:
        return Fast::Return;
    case Opcode::CallUserFunction:
        return Fast::CallUserFunction;
    default:
        return Fast::Other;
    }
}

bool isCall(char16_t op)
{
    return op == Opcode::CallSub || op == Opcode::CallMember || op == Opcode::CallBuiltin
        || op == Opcode::CallUserFunction;
}

quint32 read32(const char16_t *c)
{
    return quint32(c[0]) | (quint32(c[1]) << 16);
}

} // namespace

FormulaCode::FormulaCode(const QString &units)
{
    const char16_t *c = reinterpret_cast<const char16_t *>(units.utf16());
    const qsizetype len = units.size();
    // Entry position of the instruction starting at each code unit; jumps are given in units.
    std::vector<quint32> entryAt(size_t(len) + 1, kNoTarget);
    qsizetype p = 0;
    while (p < len) {
        entryAt[size_t(p)] = quint32(m_instructions.size());
        Instruction ins;
        ins.op = c[p++];
        const int operands = operandUnits(ins.op);
        if (operands < 0 || len - p < operands) {
            // Nothing after it can be told apart from operands: the run stops here.
            m_instructions.push_back(Instruction {});
            break;
        }
        switch (operands) {
        case 1:
            ins.index = c[p];
            break;
        case 2:
            if (isCall(ins.op)) {
                ins.index = c[p];
                ins.count = c[p + 1];
            } else {
                ins.operand = read32(c + p); // a jump target or a text length
            }
            break;
        case 4:
            static_assert(sizeof ins.number == 4 * sizeof(char16_t));
            std::memcpy(&ins.number, c + p, sizeof ins.number);
            break;
        default:
            break;
        }
        p += operands;
        if (ins.op == Opcode::PushString || ins.op == Opcode::PushExternal) {
            const quint32 n = ins.operand;
            if (quint64(len - p) < n) {
                m_instructions.push_back(Instruction {});
                break;
            }
            ins.operand = quint32(m_texts.size());
            m_texts.emplace_back(reinterpret_cast<const QChar *>(c + p), qsizetype(n));
            p += qsizetype(n);
        }
        ins.fast = fastCode(ins.op);
        m_instructions.push_back(ins);
    }
    entryAt[size_t(len)] = quint32(m_instructions.size());
    for (Instruction &ins : m_instructions) {
        if (ins.op != Opcode::Jump && ins.op != Opcode::JumpIfZero)
            continue;
        ins.operand = ins.operand <= quint64(len) ? entryAt[ins.operand] : kNoTarget;
        if (ins.operand == kNoTarget)
            ins = Instruction {};
    }
}

} // namespace zel
