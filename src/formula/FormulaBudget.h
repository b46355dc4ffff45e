#pragma once

#include <QtGlobal>

namespace zel {

/// The work one evaluation of a formula may do, counted in units: one for every
/// instruction run, and one for every kCharsPerUnit characters that an operation builds,
/// copies, compares or scans. Counting characters as well as instructions bounds the time
/// of formulas whose few instructions handle long texts. Going over the limit raises the
/// limit error "Formula stopped: work limit exceeded".
class FormulaBudget
{
public:
    /// Units of one evaluation: about a second of work, more than any maths channel needs.
    static constexpr qint64 kDefaultLimit = 10'000'000;
    /// Characters per unit: handling a character takes a few nanoseconds, an instruction
    /// some tens.
    static constexpr qint64 kCharsPerUnit = 4;

    /// Units allowed.
    qint64 limit() const { return m_limit; }
    void setLimit(qint64 units) { m_limit = units; }
    /// Units used by the evaluation being run.
    qint64 used() const { return m_used; }
    /// Units the last finished evaluation used, however it ended.
    qint64 spent() const { return m_spent; }
    /// Starts counting an evaluation.
    void start() { m_used = 0; }
    /// Ends the evaluation being counted; work charged until the next start (a host
    /// setting variables between runs) counts from zero again.
    void finish()
    {
        m_spent = m_used;
        m_used = 0;
    }

    /// Counts one instruction.
    void step()
    {
        if (++m_used > m_limit)
            exceeded();
    }
    /// Counts work of the given number of units.
    void charge(qint64 units)
    {
        m_used += units;
        if (m_used > m_limit)
            exceeded();
    }
    /// Counts the work on the given number of characters.
    void chargeChars(qint64 chars) { charge(chars / kCharsPerUnit); }

private:
    [[noreturn]] static void exceeded();

    qint64 m_used = 0;
    qint64 m_spent = 0;
    qint64 m_limit = kDefaultLimit;
};

} // namespace zel
