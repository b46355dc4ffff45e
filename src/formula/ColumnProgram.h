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
/// component are paid once a block instead of once a row. Only code on numbers qualifies:
/// variables, numbers, the arithmetic, comparison and logical operators and host functions
/// of numbers, a stack that the run loop holds apart from the machine, and jumps forward only
/// (IF .. THEN .. ELSE .. ENDIF), each instruction reached with the same stack depth
/// whichever way. Where a condition sends rows different ways, each instruction runs on the
/// rows that reach it, so a row runs what it would on the component. Every value is
/// computed by the same functions the run loop calls, so a row's result is the one ComputeN
/// gives; a row where one of them raises is only marked, for the caller to run again on the
/// component and learn why.
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
    /// Work units a row's run uses at most, as the component counts them: one an
    /// instruction. Code without jumps uses exactly that many.
    int workPerRow() const { return m_work; }

    /// Runs the code for \a count rows: inputs[i] gives variable i (for every index in
    /// variables()). results[row] gets the result, failed[row] 1 where the component would
    /// raise (results[row] is then 0) and 0 elsewhere.
    void run(
        const std::vector<Input> &inputs, int count, double *results, unsigned char *failed) const;

    /// Applies a two-operand instruction to a block: left[row] op right[row] into left[row],
    /// marking the rows where it raises; only rows where \a active is set when it is given.
    using BinaryRows = void (*)(int count, double *left, const double *right,
        unsigned char *failed, const unsigned char *active);

private:
    struct Step
    {
        FormulaCode::Fast fast;
        char16_t op; // the instruction, which tells the Other ones apart
        quint16 index; // variable, argument count of a function, or values of a BLOCK
        double number;
        pnumericfunction function;
        BinaryRows binary; // set for the two-operand instructions
        int depth; // values on the stack when the step starts
        int target; // the step a jump goes to; the program's length is its end
    };
    static constexpr int kBlock = 256;
    static constexpr int kMaxDepth = 16;
    using Slot = std::array<double, kBlock>;
    using RowMask = std::array<unsigned char, kBlock>;
    struct Scratch;

    void runBlock(const std::vector<Input> &inputs, int first, int count, double *results,
        unsigned char *failed, Scratch &scratch) const;
    void runStep(const Step &step, const std::vector<Input> &inputs, int first, int count,
        unsigned char *marks, const unsigned char *active, Scratch &scratch) const;

    std::vector<Step> m_steps;
    std::vector<int> m_variables;
    int m_work = 0; // instructions up to the Return, which is included
    int m_endDepth = 0; // values on the stack at the Return
    bool m_jumps = false;
};

} // namespace zel
