#include "session/FormulaMathsEvaluator.h"

#include "formula/ApplicationFunctions.h"
#include "formula/FormulaException.h"
#include "formula/TTalFormula.h"
#include "logger/TMathsChannels.h"

#include <exception>

namespace zel {

struct FormulaMathsEvaluator::Channel
{
    QString name;
    std::unique_ptr<TTalFormula> formula; // null when the text did not compile
    QString compileError;
    qint64 failures = 0;
    QString firstMessage;
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

void FormulaMathsEvaluator::compile(int num, const QStringList &vars)
{
    m_compiled.clear();
    m_vars = vars;
    m_num = num;
    m_calc.assign(size_t(num), TCalcItem::number(0.0));
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
        f->setMaxInstructions(m_model.MaxInstructions());
        f->setMaxCallDepth(m_model.MaxCallDepth());
        registerApplicationFunctions(*f);
        try {
            f->Compile(record.formulaText(), num, vars);
            channel.formula = std::move(f);
        } catch (const std::exception &e) {
            channel.compileError = QString::fromUtf8(e.what()).simplified();
        }
        m_compiled.push_back(std::move(channel));
    }
}

double FormulaMathsEvaluator::evaluate(
    int index, int num, const QStringList &vars, std::vector<double> &vals)
{
    // Sharing the caller's list means nothing changed since the compilation; the copy
    // held here keeps that buffer alive, so its address cannot be reused by another list.
    if (num != m_num || vars.constData() != m_vars.constData() || vars.size() != m_vars.size()
        || int(m_compiled.size()) != m_channels.RecordCount())
        compile(num, vars);
    Channel &channel = m_compiled.at(size_t(index));
    try {
        if (!channel.formula)
            throw FormulaException(channel.compileError);
        const size_t n = std::min(size_t(num), vals.size());
        for (size_t i = 0; i < n; ++i) {
            TCalcItem &item = m_calc[i];
            item.data = vals[i];
            if (item.typ != fdtnumber) {
                item.typ = fdtnumber;
                item.str = QString();
            }
        }
        const double result = channel.formula->ComputeN(num, &m_calc);
        // Assignments (SET, INC, DEC) persist into the following rows.
        for (size_t i = 0; i < n; ++i) {
            if (m_calc[i].typ == fdtnumber)
                vals[i] = m_calc[i].data;
        }
        return result;
    } catch (const std::exception &e) {
        if (channel.failures++ == 0)
            channel.firstMessage = QString::fromUtf8(e.what()).simplified();
        throw;
    }
}

qint64 FormulaMathsEvaluator::failures(int index) const
{
    return index >= 0 && index < int(m_compiled.size()) ? m_compiled[size_t(index)].failures : 0;
}

QStringList FormulaMathsEvaluator::failureSummary() const
{
    QStringList lines;
    for (const Channel &channel : m_compiled) {
        if (channel.failures > 0)
            lines << QStringLiteral("%1 rows of %2 failed: %3")
                         .arg(channel.failures)
                         .arg(channel.name, channel.firstMessage);
    }
    return lines;
}

} // namespace zel
