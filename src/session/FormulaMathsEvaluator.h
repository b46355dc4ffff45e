#pragma once

#include "formula/TCalcItem.h"
#include "session/MathsEvaluator.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace zel {

class TMathsChannels;
class TTalFormula;

/// Computes the maths channels of a TMathsChannels table with formula components set up
/// like a given one. Each channel has a component of its own, so that its formula is
/// compiled once per variable list (once per import) and every row only runs the compiled
/// code. The components have no dialogs: INPUT and MSG raise, and the row gets 0.
///
/// A channel whose formula hits a limit of the engine (its work budget, memory or call
/// depth) in one row would hit it again in the next, spending the whole budget every time.
/// It is stopped there: its later rows get 0 without running it. So is a channel that,
/// over the import, uses more than kWorkPerRow units a row on average beyond one row's
/// full budget, so that a formula staying just under the limit cannot take hours either.
class FormulaMathsEvaluator : public MathsEvaluator
{
public:
    /// Average work units a row that a channel may use over an import. A formula without
    /// loops (at most 2047 characters) stays well below: it runs each instruction once.
    static constexpr qint64 kWorkPerRow = 4096;

    /// Channels of \a channels, computed by components configured like \a model (options,
    /// locale and limits as they are when a variable list is first seen). Neither is owned.
    FormulaMathsEvaluator(const TTalFormula &model, const TMathsChannels &channels);
    ~FormulaMathsEvaluator() override;
    FormulaMathsEvaluator(const FormulaMathsEvaluator &) = delete;
    FormulaMathsEvaluator &operator=(const FormulaMathsEvaluator &) = delete;

    /// The maths channels' names, in table order.
    QStringList channelNames() const override;
    /// Runs channel \a index's compiled formula; a new variable list (every preparation makes one)
    /// compiles every channel anew and starts the failure counts again. A failure is counted
    /// and gives nothing. A stopped channel gives 0 without running; its rows count as failed.
    std::optional<double> evaluate(
        int index, int num, const QStringList &vars, std::vector<double> &vals) override;
    /// The variables any channel's formula can reach, compiling for \a vars when they are new.
    std::vector<bool> variablesRead(int num, const QStringList &vars) override;
    /// Channels whose code a ColumnProgram runs (numbers only, no loops) qualify,
    /// unless some channel assigns variables; so does a channel whose formula did not
    /// compile.
    bool computesColumns(int index, int num, const QStringList &vars) override;
    /// Runs a qualifying channel's program over the rows. The channel's first failing row
    /// runs again on the compiled formula, which counts it and says why; later ones are
    /// counted here. A formula that did not compile gives 0 in every row, each counted.
    void evaluateColumns(int index, int num, const QStringList &vars,
        const std::vector<const double *> &columns, const std::vector<double> &vals, int count,
        double *results) override;

    /// One line per channel that failed in some rows since the last compilation:
    /// "N rows of <channel> failed: <first message>", or for a stopped channel
    /// "N rows of <channel> failed: <limit message>; not run again after row R".
    QStringList failureSummary() const;
    /// Rows of channel \a index that failed since the last compilation.
    qint64 failures(int index) const;

    /// The maths computation's settings: names in any case, unused variables allowed,
    /// numbers may start with ".", an empty text counts as 0.
    static void setComputationOptions(TTalFormula &f);
    /// Gives \a f the computation settings and the application functions.
    static void configure(TTalFormula &f);

private:
    struct Channel;
    void compile(int num, const QStringList &vars);
    static void stop(Channel &channel, const QString &message);
    void compileIfNew(int num, const QStringList &vars);

    const TTalFormula &m_model;
    const TMathsChannels &m_channels;
    std::vector<Channel> m_compiled;
    QStringList m_vars; // the list compiled for; shares the caller's data while unchanged
    int m_num = -1;
    bool m_assigning = false; // some channel's formula may change variables
};

} // namespace zel
