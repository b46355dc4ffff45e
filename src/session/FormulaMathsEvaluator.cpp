#include "session/FormulaMathsEvaluator.h"

#include "formula/ApplicationFunctions.h"
#include "formula/ColumnProgram.h"
#include "formula/FormulaException.h"
#include "formula/TTalFormula.h"
#include "logger/TMathsChannels.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace zel {

struct FormulaMathsEvaluator::Channel
{
    QString name;
    std::unique_ptr<TTalFormula> formula; // null when the text did not compile
    QString compileError;
    qint64 failures = 0;
    QString firstMessage;
    std::vector<int> usedVariables; // indexes the formula can reach, below num
    bool assigns = false; // the formula may change variables (it reaches them by name)
    qint64 rows = 0; // rows evaluated
    qint64 work = 0; // work units of all of them
    qint64 stoppedAt = 0; // the row that stopped the channel, from 1; 0 while it runs
    QString stopMessage;
    std::optional<ColumnProgram> columns; // set when the formula can run a block at a time
};

FormulaMathsEvaluator::FormulaMathsEvaluator(
    const TTalFormula &model, const TMathsChannels &channels)
    : m_model(model)
    , m_channels(channels)
{ }

FormulaMathsEvaluator::~FormulaMathsEvaluator() = default;

QStringList FormulaMathsEvaluator::channelNames() const
{
    QStringList names;
    for (int i = 0; i < m_channels.RecordCount(); ++i)
        names << m_channels.record(i).name();
    return names;
}

void FormulaMathsEvaluator::setComputationOptions(TTalFormula &f)
{
    f.setCaseSensitive(false);
    f.setTestUsedVars(false);
    f.setNoLeadingZero(true);
    f.setZeroEmptyString(true);
}

void FormulaMathsEvaluator::configure(TTalFormula &f)
{
    setComputationOptions(f);
    registerApplicationFunctions(f);
}

namespace {

// A channel that can never be stopped runs a block at a time: its rows' work stays within
// both bounds. Its program may read only variables the rows hand over.
std::optional<ColumnProgram> columnProgram(TTalFormula &f, const std::vector<int> &handedOver)
{
    std::optional<ColumnProgram> program = ColumnProgram::from(f);
    if (!program || program->workPerRow() > FormulaMathsEvaluator::kWorkPerRow)
        return std::nullopt;
    for (const int i : program->variables()) {
        if (std::find(handedOver.begin(), handedOver.end(), i) == handedOver.end())
            return std::nullopt;
    }
    return program;
}

} // namespace

void FormulaMathsEvaluator::compile(int num, const QStringList &vars)
{
    m_compiled.clear();
    m_assigning = false;
    m_vars = vars;
    m_num = num;
    for (int i = 0; i < m_channels.RecordCount(); ++i) {
        const MathsRecord &record = m_channels.record(i);
        Channel channel;
        channel.name = record.name();
        auto f = std::make_unique<TTalFormula>();
        f->setUnQuotedString(m_model.UnQuotedString());
        f->setTestUsedVars(m_model.TestUsedVars());
        f->setCaseSensitive(m_model.CaseSensitive());
        f->setCaseSensitiveString(m_model.CaseSensitiveString());
        f->setExternGetVar(m_model.ExternGetVar());
        f->setVarNameLiterals(m_model.VarNameLiterals());
        f->setNoLeadingZero(m_model.NoLeadingZero());
        f->setZeroEmptyString(m_model.ZeroEmptyString());
        f->setLocale(m_model.Locale());
        f->setWorkLimit(m_model.WorkLimit());
        f->setMaxCallDepth(m_model.MaxCallDepth());
        registerApplicationFunctions(*f);
        try {
            f->Compile(record.formulaText(), num, vars);
            // Only the variables the formula can reach are handed over per row.
            const size_t available = std::min(size_t(num), f->Variables().size());
            for (const int i : f->usedVariables()) {
                if (size_t(i) < available)
                    channel.usedVariables.push_back(i);
            }
            channel.assigns = f->reachesVariablesByName();
            m_assigning = m_assigning || channel.assigns;
            channel.columns = columnProgram(*f, channel.usedVariables);
            channel.formula = std::move(f);
        } catch (const std::exception &e) {
            channel.compileError = QString::fromUtf8(e.what()).simplified();
        }
        m_compiled.push_back(std::move(channel));
    }
}

inline void FormulaMathsEvaluator::compileIfNew(int num, const QStringList &vars)
{
    // Sharing the caller's list means nothing changed since the compilation; the copy
    // held here keeps that buffer alive, so its address cannot be reused by another list.
    if (num != m_num || vars.constData() != m_vars.constData() || vars.size() != m_vars.size()
        || int(m_compiled.size()) != m_channels.RecordCount())
        compile(num, vars);
}

std::vector<bool> FormulaMathsEvaluator::variablesRead(int num, const QStringList &vars)
{
    compileIfNew(num, vars);
    std::vector<bool> read(size_t(std::max(num, 0)), false);
    for (const Channel &channel : m_compiled) {
        for (const int i : channel.usedVariables)
            read[size_t(i)] = true;
    }
    return read;
}

std::optional<double> FormulaMathsEvaluator::evaluate(
    int index, int num, const QStringList &vars, std::vector<double> &vals)
{
    compileIfNew(num, vars);
    Channel &channel = m_compiled.at(size_t(index));
    ++channel.rows;
    if (channel.stoppedAt > 0) {
        ++channel.failures;
        return 0.0;
    }
    const auto failed = [&channel](const QString &message) -> std::optional<double> {
        if (channel.failures++ == 0)
            channel.firstMessage = message;
        return std::nullopt;
    };
    if (!channel.formula)
        return failed(channel.compileError);
    try {
        // The formula runs on its own variables, set here in place: a whole-array copy in
        // and out per formula and row would cost more than most formulas do.
        TCalcArray &variables = channel.formula->Variables();
        if (vals.size() < size_t(num))
            vals.resize(size_t(num), 0.0);
        for (const int i : channel.usedVariables) {
            TCalcItem &item = variables[size_t(i)];
            if (item.typ != fdtnumber) {
                item.typ = fdtnumber;
                item.str = QString();
            }
            item.data = vals[size_t(i)];
        }
        // Arithmetic errors, the usual failure, come back without an exception: a channel
        // that divides by zero in every row must not cost microseconds a row.
        std::optional<FormulaException> error;
        const std::optional<double> result = channel.formula->TryComputeN(0, nullptr, error);
        channel.work += channel.formula->WorkUsed();
        if (!result)
            return failed(error->message().simplified());
        // Assignments (SET, INC, DEC) persist into the following rows; a formula without
        // them leaves its variables as they were set.
        if (channel.assigns) {
            for (const int i : channel.usedVariables) {
                if (variables[size_t(i)].typ == fdtnumber)
                    vals[size_t(i)] = variables[size_t(i)].data;
            }
        }
        if (channel.work > channel.formula->WorkLimit() + kWorkPerRow * channel.rows)
            stop(channel,
                FormulaException::limit(QStringLiteral("work limit of the import exceeded"))
                    .message());
        return result;
    } catch (const std::exception &e) {
        const QString message = QString::fromUtf8(e.what()).simplified();
        const auto *formulaError = dynamic_cast<const FormulaException *>(&e);
        if (formulaError && formulaError->kind() == FormulaException::Kind::Limit)
            stop(channel, message);
        else
            channel.work += channel.formula->WorkUsed();
        return failed(message);
    }
}

bool FormulaMathsEvaluator::computesColumns(int index, int num, const QStringList &vars)
{
    compileIfNew(num, vars);
    const Channel &channel = m_compiled.at(size_t(index));
    // A formula that did not compile fails alike in every row, reading and changing nothing.
    return !channel.formula || (!m_assigning && channel.columns && channel.stoppedAt == 0);
}

void FormulaMathsEvaluator::evaluateColumns(int index, int num, const QStringList &vars,
    const std::vector<const double *> &columns, const std::vector<double> &vals, int count,
    double *results)
{
    if (!computesColumns(index, num, vars)) {
        MathsEvaluator::evaluateColumns(index, num, vars, columns, vals, count, results);
        return;
    }
    Channel &channel = m_compiled[size_t(index)];
    if (!channel.formula) {
        std::fill_n(results, count, 0.0);
        if (channel.failures == 0 && count > 0)
            channel.firstMessage = channel.compileError;
        channel.rows += count;
        channel.failures += count;
        return;
    }
    std::vector<ColumnProgram::Input> inputs(channel.formula->Variables().size());
    for (const int i : channel.columns->variables()) {
        const size_t v = size_t(i);
        inputs[v] = {v < columns.size() ? columns[v] : nullptr, v < vals.size() ? vals[v] : 0.0};
    }
    std::vector<unsigned char> failed(size_t(std::max(count, 0)));
    channel.columns->run(inputs, count, results, failed.data());
    // Rows that ran are counted in bulk, up to each failed row, which is then counted as
    // the compiled formula runs it.
    const qint64 work = channel.columns->workPerRow();
    qint64 ran = 0;
    const auto countRan = [&] {
        channel.rows += ran;
        channel.work += ran * work;
        ran = 0;
    };
    std::vector<double> row;
    for (int r = 0; r < count; ++r) {
        if (!failed[size_t(r)]) {
            ++ran;
            continue;
        }
        countRan();
        // Only the first failure needs the compiled formula, to say why it failed; the
        // program's failures are the formula's, and the work of a row that fails part-way
        // is at most a whole row's.
        if (channel.failures > 0) {
            ++channel.rows;
            ++channel.failures;
            channel.work += work;
            results[r] = 0.0;
            continue;
        }
        row.assign(vals.begin(), vals.end());
        for (const int i : channel.columns->variables()) {
            if (inputs[size_t(i)].values)
                row[size_t(i)] = inputs[size_t(i)].values[r];
        }
        results[r] = evaluate(index, num, vars, row).value_or(0.0);
    }
    countRan();
}

void FormulaMathsEvaluator::stop(Channel &channel, const QString &message)
{
    channel.stoppedAt = channel.rows;
    channel.stopMessage = message;
}

qint64 FormulaMathsEvaluator::failures(int index) const
{
    return index >= 0 && index < int(m_compiled.size()) ? m_compiled[size_t(index)].failures : 0;
}

QStringList FormulaMathsEvaluator::failureSummary() const
{
    QStringList lines;
    for (const Channel &channel : m_compiled) {
        if (channel.failures == 0 && channel.stoppedAt == 0)
            continue;
        const QString message = channel.stoppedAt > 0
            ? QStringLiteral("%1; not run again after row %2")
                  .arg(channel.stopMessage, QString::number(channel.stoppedAt))
            : channel.firstMessage;
        lines << QStringLiteral("%1 rows of %2 failed: %3")
                     .arg(QString::number(channel.failures), channel.name, message);
    }
    return lines;
}

} // namespace zel
