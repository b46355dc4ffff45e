#include "formula/ColumnProgram.h"

#include "formula/FormulaFunctions.h"
#include "formula/Opcode.h"
#include "formula/TFormulaCalc.h"
#include "formula/TTalFormula.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <utility>

namespace zel {

namespace {

using Fast = FormulaCode::Fast;

// Operands an instruction takes from the stack and values it leaves, or nothing when the
// instruction does not qualify.
std::optional<std::pair<int, int>> stackEffect(const FormulaCode::Instruction &ins)
{
    switch (ins.fast) {
    case Fast::PushVariable:
    case Fast::PushNumber:
        return std::pair(0, 1);
    case Fast::Negate:
        return std::pair(1, 1);
    case Fast::Add:
    case Fast::Subtract:
    case Fast::Multiply:
    case Fast::Divide:
    case Fast::Power:
    case Fast::Less:
    case Fast::LessOrEqual:
    case Fast::Greater:
    case Fast::GreaterOrEqual:
    case Fast::Equal:
    case Fast::NotEqual:
        return std::pair(2, 1);
    case Fast::CallUserFunction:
        return std::pair(int(ins.count), 1);
    default:
        break;
    }
    switch (ins.op) {
    case Opcode::And:
    case Opcode::Or:
    case Opcode::Xor:
        return std::pair(2, 1);
    case Opcode::Not:
        return std::pair(1, 1);
    default:
        return std::nullopt;
    }
}

double binary(Fast fast, double l, double r)
{
    switch (fast) {
    case Fast::Power:
        return TFormulaCalc::powered(l, r).value;
    case Fast::Less:
        return TFormulaCalc::compared(l, r) < 0 ? 1.0 : 0.0;
    case Fast::LessOrEqual:
        return TFormulaCalc::compared(l, r) <= 0 ? 1.0 : 0.0;
    case Fast::Greater:
        return TFormulaCalc::compared(l, r) > 0 ? 1.0 : 0.0;
    case Fast::GreaterOrEqual:
        return TFormulaCalc::compared(l, r) >= 0 ? 1.0 : 0.0;
    case Fast::Equal:
        return TFormulaCalc::compared(l, r) == 0 ? 1.0 : 0.0;
    default:
        return TFormulaCalc::compared(l, r) != 0 ? 1.0 : 0.0;
    }
}

// The arithmetic operators rounded as the run loop stores them, unchecked: NaN or an
// infinity where it raises.
template <Fast fast> double rounded(double l, double r)
{
    if constexpr (fast == Fast::Add)
        return TFormulaCalc::roundedSum(l, r);
    else if constexpr (fast == Fast::Subtract)
        return TFormulaCalc::roundedDifference(l, r);
    else if constexpr (fast == Fast::Multiply)
        return TFormulaCalc::roundedProduct(l, r);
    else
        return TFormulaCalc::divided(l, r).value;
}

// Calls f(row) for the rows of a block that \a active sets, or for every row without it.
template <typename F> void forRows(int count, const unsigned char *active, F f)
{
    if (!active) {
        for (int row = 0; row < count; ++row)
            f(row);
        return;
    }
    for (int row = 0; row < count; ++row) {
        if (active[row])
            f(row);
    }
}

// Applies op to the rows of a block that \a active sets (every row without it); a row where
// it raises or gives no finite result is marked and gets 0, so that the rows after it go on.
template <typename Op>
void eachRow(
    int count, double *target, unsigned char *failed, const unsigned char *active, Op op)
{
    forRows(count, active, [&](int row) {
        try {
            const double value = op(row);
            const bool fails = !std::isfinite(value);
            target[row] = fails ? 0.0 : value;
            failed[row] |= fails;
        } catch (const std::exception &) {
            target[row] = 0.0;
            failed[row] = 1;
        }
    });
}

template <Fast fast>
void binaryRows(int count, double *left, const double *right, unsigned char *failed,
    const unsigned char *active)
{
    if constexpr (fast == Fast::Add || fast == Fast::Subtract || fast == Fast::Multiply
        || fast == Fast::Divide) {
        // Rows where these fail, a divisor of 0 where a car stands still for one, are
        // common enough that raising an exception for each would cost more than the rest.
        forRows(count, active, [&](int row) {
            const double value = rounded<fast>(left[row], right[row]);
            const bool fails = !std::isfinite(value);
            left[row] = fails ? 0.0 : value;
            failed[row] |= fails;
        });
    } else {
        eachRow(count, left, failed, active,
            [&](int row) { return binary(fast, left[row], right[row]); });
    }
}

// AND, OR and XOR of numbers: 1 where both, either or just one of the two is not 0, else 0.
template <char16_t op>
void logicalRows(int count, double *left, const double *right, unsigned char *,
    const unsigned char *active)
{
    forRows(count, active, [&](int row) {
        const bool l = left[row] != 0;
        const bool r = right[row] != 0;
        bool holds;
        if constexpr (op == Opcode::And)
            holds = l && r;
        else if constexpr (op == Opcode::Or)
            holds = l || r;
        else
            holds = l != r;
        left[row] = holds ? 1.0 : 0.0;
    });
}

// The block loop of a two-operand instruction.
ColumnProgram::BinaryRows binaryRowsOf(const FormulaCode::Instruction &ins)
{
    switch (ins.op) {
    case Opcode::And:
        return logicalRows<Opcode::And>;
    case Opcode::Or:
        return logicalRows<Opcode::Or>;
    case Opcode::Xor:
        return logicalRows<Opcode::Xor>;
    default:
        break;
    }
    switch (ins.fast) {
    case Fast::Add:
        return binaryRows<Fast::Add>;
    case Fast::Subtract:
        return binaryRows<Fast::Subtract>;
    case Fast::Multiply:
        return binaryRows<Fast::Multiply>;
    case Fast::Divide:
        return binaryRows<Fast::Divide>;
    case Fast::Power:
        return binaryRows<Fast::Power>;
    case Fast::Less:
        return binaryRows<Fast::Less>;
    case Fast::LessOrEqual:
        return binaryRows<Fast::LessOrEqual>;
    case Fast::Greater:
        return binaryRows<Fast::Greater>;
    case Fast::GreaterOrEqual:
        return binaryRows<Fast::GreaterOrEqual>;
    case Fast::Equal:
        return binaryRows<Fast::Equal>;
    case Fast::NotEqual:
        return binaryRows<Fast::NotEqual>;
    default:
        return nullptr;
    }
}

} // namespace

// What run() needs beside the program: the stack, and for code with jumps the rows that
// reach each step, kept from block to block.
struct ColumnProgram::Scratch
{
    std::array<Slot, kMaxDepth> stack;
    std::vector<RowMask> reaching; // a mask for each step and one for the end
};

std::optional<ColumnProgram> ColumnProgram::from(TTalFormula &f)
{
    if (f.Step())
        return std::nullopt;
    const std::vector<FormulaCode::Instruction> &code = f.Code().instructions();
    // The program is the code before the first Return.
    const auto returnAt = std::find_if(code.begin(), code.end(),
        [](const FormulaCode::Instruction &ins) { return ins.fast == Fast::Return; });
    if (returnAt == code.end())
        return std::nullopt;
    const size_t end = size_t(returnAt - code.begin());
    // The stack depth at each step, the same whichever way the step is reached; jumps go
    // forward, so every step is reached from steps before it.
    std::vector<int> depthAt(end + 1, -1);
    depthAt[0] = 0;
    std::vector<bool> jumpedTo(end + 1, false);
    static const int block = FormulaFunctions::indexOf(QStringLiteral("BLOCK"));
    const auto reach = [&depthAt](size_t p, int depth) {
        if (depthAt[p] < 0)
            depthAt[p] = depth;
        return depthAt[p] == depth;
    };
    ColumnProgram program;
    const size_t variableCount = f.Variables().size();
    for (size_t p = 0; p < end; ++p) {
        const FormulaCode::Instruction &ins = code[p];
        const int depth = depthAt[p];
        if (depth < 0)
            return std::nullopt;
        Step step { ins.fast, ins.op, ins.index, ins.number, nullptr, binaryRowsOf(ins), depth,
            int(p + 1) };
        if (ins.fast == Fast::Jump || ins.fast == Fast::JumpIfZero) {
            const bool conditional = ins.fast == Fast::JumpIfZero;
            const int after = conditional ? depth - 1 : depth;
            if (after < 0 || ins.operand <= p || ins.operand > end || !reach(ins.operand, after)
                || (conditional && !reach(p + 1, after)))
                return std::nullopt;
            step.target = int(ins.operand);
            jumpedTo[ins.operand] = true;
            program.m_jumps = true;
            program.m_steps.push_back(step);
            continue;
        }
        if (ins.op == Opcode::CallBuiltin && int(ins.index) == block && ins.count == 0xFFFF) {
            // Each part of a condition ends in BLOCK, which keeps the last of the n values
            // below the count n pushed just before it.
            const double n = p > 0 ? code[p - 1].number : 0;
            if (p == 0 || jumpedTo[p] || code[p - 1].fast != Fast::PushNumber || !(n >= 1)
                || n > depth - 1 || n != std::trunc(n) || !reach(p + 1, depth - int(n)))
                return std::nullopt;
            step.index = quint16(n);
            program.m_steps.push_back(step);
            continue;
        }
        if (ins.fast == Fast::CallUserFunction) {
            step.function = f.NumericFunction(ins.index, ins.count);
            step.index = ins.count;
            if (!step.function || ins.count < 1)
                return std::nullopt;
        }
        if (ins.fast == Fast::PushVariable) {
            if (ins.index >= variableCount)
                return std::nullopt;
            if (std::find(program.m_variables.begin(), program.m_variables.end(), int(ins.index))
                == program.m_variables.end())
                program.m_variables.push_back(ins.index);
        }
        const auto effect = stackEffect(ins);
        if (!effect || depth < effect->first)
            return std::nullopt;
        const int next = depth + effect->second - effect->first;
        if (next > kMaxDepth || !reach(p + 1, next))
            return std::nullopt;
        program.m_steps.push_back(step);
    }
    // The component ends with the result on top; running out of work must stay its
    // verdict.
    const int work = int(end) + 1;
    if (depthAt[end] < 1 || work > f.WorkLimit())
        return std::nullopt;
    program.m_work = work;
    program.m_endDepth = depthAt[end];
    return program;
}

void ColumnProgram::run(
    const std::vector<Input> &inputs, int count, double *results, unsigned char *failed) const
{
    std::fill(failed, failed + count, 0);
    auto scratch = std::make_unique<Scratch>();
    if (m_jumps)
        scratch->reaching.resize(m_steps.size() + 1);
    for (int first = 0; first < count; first += kBlock)
        runBlock(inputs, first, std::min(kBlock, count - first), results, failed, *scratch);
}

void ColumnProgram::runBlock(const std::vector<Input> &inputs, int first, int count,
    double *results, unsigned char *failed, Scratch &scratch) const
{
    unsigned char *const marks = failed + first;
    if (!m_jumps) {
        for (const Step &step : m_steps)
            runStep(step, inputs, first, count, marks, nullptr, scratch);
    } else {
        // Each step runs on the rows that reach it, which go on to the next step or to
        // the one a jump names.
        std::vector<RowMask> &reaching = scratch.reaching;
        for (RowMask &rows : reaching)
            rows.fill(0);
        std::fill_n(reaching[0].begin(), count, 1);
        for (size_t p = 0; p < m_steps.size(); ++p) {
            const Step &step = m_steps[p];
            const unsigned char *active = reaching[p].data();
            if (std::none_of(active, active + count, [](unsigned char a) { return a != 0; }))
                continue;
            unsigned char *next = reaching[p + 1].data();
            unsigned char *jumped = reaching[size_t(step.target)].data();
            if (step.fast == Fast::Jump) {
                for (int row = 0; row < count; ++row)
                    jumped[row] |= active[row];
            } else if (step.fast == Fast::JumpIfZero) {
                const double *condition = scratch.stack[size_t(step.depth - 1)].data();
                for (int row = 0; row < count; ++row) {
                    if (active[row])
                        (condition[row] == 0 ? jumped : next)[row] = 1;
                }
            } else {
                runStep(step, inputs, first, count, marks, active, scratch);
                for (int row = 0; row < count; ++row)
                    next[row] |= active[row];
            }
        }
    }
    const double *result = scratch.stack[size_t(m_endDepth - 1)].data();
    for (int row = 0; row < count; ++row)
        results[first + row] = marks[row] ? 0.0 : result[row];
}

void ColumnProgram::runStep(const Step &step, const std::vector<Input> &inputs, int first,
    int count, unsigned char *marks, const unsigned char *active, Scratch &scratch) const
{
    std::array<Slot, kMaxDepth> &stack = scratch.stack;
    const size_t top = size_t(step.depth);
    // Sets the rows that run the step.
    const auto each = [&](double *target, auto value) {
        forRows(count, active, [&](int row) { target[row] = value(row); });
    };
    switch (step.fast) {
    case Fast::PushVariable: {
        const Input &input = inputs[step.index];
        double *target = stack[top].data();
        if (input.values)
            each(target, [&](int row) { return input.values[first + row]; });
        else
            each(target, [&](int) { return input.constant; });
        break;
    }
    case Fast::PushNumber:
        each(stack[top].data(), [&](int) { return step.number; });
        break;
    case Fast::Negate: {
        double *target = stack[top - 1].data();
        each(target, [&](int row) { return -target[row]; });
        break;
    }
    case Fast::CallUserFunction: {
        const size_t base = top - step.index;
        eachRow(count, stack[base].data(), marks, active, [&](int row) {
            double args[kMaxNumericArguments];
            for (size_t k = 0; k < step.index; ++k)
                args[k] = stack[base + k][size_t(row)];
            return step.function(args).value;
        });
        break;
    }
    default:
        if (step.binary) {
            step.binary(count, stack[top - 2].data(), stack[top - 1].data(), marks, active);
        } else if (step.op == Opcode::Not) {
            double *target = stack[top - 1].data();
            each(target, [&](int row) { return target[row] == 0 ? 1.0 : 0.0; });
        } else { // BLOCK with its count of values
            const double *last = stack[top - 2].data();
            each(stack[top - 1 - step.index].data(), [&](int row) { return last[row]; });
        }
        break;
    }
}

} // namespace zel
