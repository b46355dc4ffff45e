#include "formula/ColumnProgram.h"

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
std::optional<std::pair<int, int>> stackEffect(Fast fast, int arguments)
{
    switch (fast) {
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
        return std::pair(arguments, 1);
    default:
        return std::nullopt;
    }
}

double binary(Fast fast, double l, double r)
{
    switch (fast) {
    case Fast::Power:
        return TFormulaCalc::power(l, r);
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
        return TFormulaCalc::roundedQuotient(l, r);
}

// Applies op to every row of a block; a row where it raises is marked and gets 0, so that
// the rows after it go on.
template <typename Op> void eachRow(int count, double *target, unsigned char *failed, Op op)
{
    for (int row = 0; row < count; ++row) {
        try {
            target[row] = op(row);
        } catch (const std::exception &) {
            target[row] = 0.0;
            failed[row] = 1;
        }
    }
}

template <Fast fast>
void binaryRows(int count, double *left, const double *right, unsigned char *failed)
{
    if constexpr (fast == Fast::Add || fast == Fast::Subtract || fast == Fast::Multiply
        || fast == Fast::Divide) {
        // Rows where these fail, a divisor of 0 where a car stands still for one, are
        // common enough that raising an exception for each would cost more than the rest.
        for (int row = 0; row < count; ++row) {
            const double value = rounded<fast>(left[row], right[row]);
            const bool fails = !std::isfinite(value);
            left[row] = fails ? 0.0 : value;
            failed[row] |= fails;
        }
    } else {
        eachRow(
            count, left, failed, [&](int row) { return binary(fast, left[row], right[row]); });
    }
}

// The block loop of a two-operand instruction.
ColumnProgram::BinaryRows binaryRowsOf(Fast fast)
{
    switch (fast) {
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

std::optional<ColumnProgram> ColumnProgram::from(TTalFormula &f)
{
    if (f.Step())
        return std::nullopt;
    ColumnProgram program;
    const size_t variableCount = f.Variables().size();
    int depth = 0;
    int work = 0;
    for (const FormulaCode::Instruction &ins : f.Code().instructions()) {
        ++work;
        if (ins.fast == Fast::Return)
            break;
        Step step { ins.fast, ins.index, ins.number, nullptr, binaryRowsOf(ins.fast) };
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
        const auto effect = stackEffect(ins.fast, ins.count);
        if (!effect || depth < effect->first)
            return std::nullopt;
        depth += effect->second - effect->first;
        if (depth > kMaxDepth)
            return std::nullopt;
        program.m_steps.push_back(step);
    }
    // The component ends with the result on top; running out of work must stay its
    // verdict.
    if (depth < 1 || work > f.WorkLimit())
        return std::nullopt;
    program.m_work = work;
    return program;
}

void ColumnProgram::run(
    const std::vector<Input> &inputs, int count, double *results, unsigned char *failed) const
{
    std::fill(failed, failed + count, 0);
    auto stack = std::make_unique<std::array<Slot, kMaxDepth>>();
    for (int first = 0; first < count; first += kBlock)
        runBlock(inputs, first, std::min(kBlock, count - first), results, failed, *stack);
}

void ColumnProgram::runBlock(const std::vector<Input> &inputs, int first, int count,
    double *results, unsigned char *failed, std::array<Slot, kMaxDepth> &stack) const
{
    unsigned char *const marks = failed + first;
    int top = 0;
    for (const Step &step : m_steps) {
        switch (step.fast) {
        case Fast::PushVariable: {
            const Input &input = inputs[step.index];
            double *target = stack[size_t(top++)].data();
            if (input.values)
                std::copy_n(input.values + first, count, target);
            else
                std::fill_n(target, count, input.constant);
            break;
        }
        case Fast::PushNumber:
            std::fill_n(stack[size_t(top++)].data(), count, step.number);
            break;
        case Fast::Negate: {
            double *target = stack[size_t(top - 1)].data();
            for (int row = 0; row < count; ++row)
                target[row] = -target[row];
            break;
        }
        case Fast::CallUserFunction: {
            const int n = step.index;
            top -= n;
            double *target = stack[size_t(top++)].data();
            eachRow(count, target, marks, [&](int row) {
                double args[kMaxNumericArguments];
                for (int k = 0; k < n; ++k)
                    args[k] = stack[size_t(top - 1 + k)][size_t(row)];
                return step.function(args);
            });
            break;
        }
        default: {
            --top;
            double *left = stack[size_t(top - 1)].data();
            const double *right = stack[size_t(top)].data();
            step.binary(count, left, right, marks);
            break;
        }
        }
    }
    const double *result = stack[size_t(top - 1)].data();
    for (int row = 0; row < count; ++row)
        results[first + row] = marks[row] ? 0.0 : result[row];
}

} // namespace zel
