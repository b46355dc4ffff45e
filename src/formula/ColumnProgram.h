#pragma once

#include "formula/FTableItem.h"
#include "formula/FormulaCode.h"

#include <array>
#include <optional>
#include <vector>

namespace zel {

class TTalFormula;

/// A compiled formula of numbers run over many rows at once: each instruction is applied
/// to a block of rows before the next one, so the dispatch and the per-run setup of the
/// component are paid once a block instead of once a row. Only code that runs straight
/// through on numbers qualifies: variables, numbers, the arithmetic and comparison
/// operators and host functions of numbers, no jumps, and a stack that the run loop holds
/// apart from the machine. Every value is computed by the same functions the run loop
/// calls, so a row's result is the one ComputeN gives; a row where one of them raises is
/// only marked, for the caller to run again on the component and learn why.
class ColumnProgram
{
public:
    /// The values of one variable: values[row] when values is set, else constant.
    struct Input
    {
        const double *values = nullptr;
        double constant = 0.0;
    };

    /// The program of \a f's last compiled formula, or nothing when the code does not
    /// qualify or a row's run would not end as the component's would (work or stack limits,
    /// single-stepping).
    static std::optional<ColumnProgram> from(TTalFormula &f);

    /// Indexes of the variables the code reads.
    const std::vector<int> &variables() const { return m_variables; }
    /// Work units each row's run uses, as the component counts them: one an instruction.
    int workPerRow() const { return m_work; }

    /// Runs the code for \a count rows: inputs[i] gives variable i (for every index in
    /// variables()). results[row] gets the result, failed[row] 1 where the component would
    /// raise (results[row] is then 0) and 0 elsewhere.
    void run(
        const std::vector<Input> &inputs, int count, double *results, unsigned char *failed) const;

    /// Applies a two-operand instruction to a block: left[row] op right[row] into left[row],
    /// marking the rows where it raises.
    using BinaryRows
        = void (*)(int count, double *left, const double *right, unsigned char *failed);

private:
    struct Step
    {
        FormulaCode::Fast fast;
        quint16 index; // variable, or argument count of a function
        double number;
        pnumericfunction function;
        BinaryRows binary; // set for the two-operand instructions
    };
    static constexpr int kBlock = 256;
    static constexpr int kMaxDepth = 16;
    using Slot = std::array<double, kBlock>;

    void runBlock(const std::vector<Input> &inputs, int first, int count, double *results,
        unsigned char *failed, std::array<Slot, kMaxDepth> &stack) const;

    std::vector<Step> m_steps;
    std::vector<int> m_variables;
    int m_work = 0; // instructions a row's run counts, its final Return included
};

} // namespace zel
