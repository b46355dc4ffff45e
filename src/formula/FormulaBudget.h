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

    /// The units left, held in a local by a run loop so that counting an instruction is a
    /// decrement and a test. While it holds them, nothing else may charge the budget: the
    /// loop hands them back before it runs anything that does, takes them again after, and
    /// the destructor hands them back however the loop ends.
    class Countdown
    {
    public:
        explicit Countdown(FormulaBudget &budget)
            : m_budget(budget)
        {
            take();
        }
        ~Countdown()
        {
            if (m_held)
                handBack();
        }
        Countdown(const Countdown &) = delete;
        Countdown &operator=(const Countdown &) = delete;

        /// Takes the units left from the budget.
        void take()
        {
            m_taken = m_budget.m_used;
            // A limit already passed (set below the work done) leaves nothing: the next
            // instruction raises.
            m_initial = m_budget.m_limit >= m_taken ? m_budget.m_limit - m_taken : -1;
            m_left = m_initial;
            m_held = true;
        }
        /// Gives the count back to the budget.
        void handBack()
        {
            m_budget.m_used = m_taken + (m_initial - m_left);
            m_held = false;
        }
        /// Counts one instruction, as FormulaBudget::step does.
        void step()
        {
            if (--m_left < 0) {
                handBack();
                exceeded();
            }
        }

    private:
        FormulaBudget &m_budget;
        qint64 m_taken = 0; // units used when taken
        qint64 m_initial = 0; // units left when taken
        qint64 m_left = 0;
        bool m_held = false;
    };

private:
    [[noreturn]] static void exceeded();

    qint64 m_used = 0;
    qint64 m_spent = 0;
    qint64 m_limit = kDefaultLimit;
};

} // namespace zel
