#include "logger/TMathsChannels.h"

#include "common/AnsiText.h"
#include "logger/LoggerTableError.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zel {

namespace {

void clearRecord(MathsRecord &r, std::uint8_t kind)
{
    std::memset(&r, 0, sizeof r);
    r.Kind = kind;
}

// Copies text and its NUL into the formula area, zeroing every unit after it; the caller
// has checked that the text leaves room for the NUL. A NUL inside the text ends it there,
// so the area never holds units after its end.
void setFormula(MathsRecord &r, const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    const qsizetype units = nul < 0 ? text.size() : nul;
    char *area = reinterpret_cast<char *>(&r) + offsetof(MathsRecord, Formula);
    std::memset(area, 0, sizeof r.Formula);
    std::memcpy(area, text.utf16(), std::size_t(units) * sizeof(char16_t));
}

} // namespace

TMathsChannels::TMathsChannels(QObject *parent)
    : QObject(parent)
    , FMathsTables(std::make_unique<Records>())
{
}

TMathsChannels::~TMathsChannels() = default;

void TMathsChannels::LoadMathsTables()
{
    // Read into a scratch table first: the records are then packed into the live one, and a
    // record cut off by the end of the file must not count as in use.
    auto file = std::make_unique<Records>();
    const int whole = int(FMathsTable.load(FMathsFileName, file->data(), kFileSize) / kRecordSize);

    FRecordCount = 0;
    FVarCount = 0;
    for (int i = 0; i < kRecordCount; ++i) {
        const MathsRecord &r = (*file)[std::size_t(i)];
        if (i >= whole || !r.inUse())
            continue;
        int &count = i < kVariableBase ? FRecordCount : FVarCount;
        const int base = i < kVariableBase ? 0 : kVariableBase;
        (*FMathsTables)[std::size_t(base + count)] = r;
        ++count;
        emit OnAddFormula();
    }
    // Nothing of an earlier card may survive behind the records just packed.
    clearFrom(FRecordCount, kVariableBase, MathsRecord::kFormulaKind);
    clearFrom(kVariableBase + FVarCount, kRecordCount, MathsRecord::kVariableKind);
    emit OnloadTable();
}

void TMathsChannels::CreateMathsTables()
{
    FMathsTable.close();
    FRecordCount = 0;
    FVarCount = 0;
    clearFrom(0, kVariableBase, MathsRecord::kFormulaKind);
    clearFrom(kVariableBase, kRecordCount, MathsRecord::kVariableKind);
    FMathsTable.create(FMathsFileName, recordBytes());
}

void TMathsChannels::SaveMathsTables()
{
    if (!active())
        return;
    emit BeforeSaveTable();
    FMathsTable.save(recordBytes());
}

void TMathsChannels::CloseMathsTables()
{
    SaveMathsTables();
    FMathsTable.close();
}

void TMathsChannels::ReleaseMathsTables()
{
    FMathsTable.close();
}

void TMathsChannels::AddFormula(const QString &ChannelName, const QString &Formula, int)
{
    if (Formula.size() > kMaxFormulaLength) {
        refuse(QStringLiteral("maths channel"), ChannelName,
            QStringLiteral("its formula has %1 characters, and a maths channel holds at most %2")
                .arg(Formula.size())
                .arg(kMaxFormulaLength));
    }
    bool found = false;
    for (int i = 0; i < FRecordCount; ++i) {
        MathsRecord &r = (*FMathsTables)[std::size_t(i)];
        if (r.name() == ChannelName) {
            setFormula(r, Formula);
            found = true;
        }
    }
    if (!found) {
        if (FRecordCount >= kSlotCount)
            refuse(QStringLiteral("maths channel"), ChannelName,
                QStringLiteral("the table already holds %1 maths channels").arg(kSlotCount));
        MathsRecord &r = (*FMathsTables)[std::size_t(FRecordCount)];
        clearRecord(r, MathsRecord::kFormulaKind);
        r.InUse = 1;
        r.Name.assign(ChannelName);
        setFormula(r, Formula);
        ++FRecordCount;
    }
    emit OnAddFormula();
}

void TMathsChannels::AddVariable(const QString &VarName, int, double VarValue)
{
    if (!std::isfinite(VarValue)) {
        refuse(QStringLiteral("variable"), VarName,
            QStringLiteral("its value %1 is not a finite number").arg(VarValue));
    }
    bool found = false;
    for (int i = kVariableBase; i < kVariableBase + FVarCount; ++i) {
        MathsRecord &r = (*FMathsTables)[std::size_t(i)];
        if (r.name() == VarName) {
            r.Value = VarValue;
            r.Kind = MathsRecord::kVariableKind;
            setFormula(r, QString());
            found = true;
        }
    }
    if (!found) {
        if (FVarCount >= kSlotCount)
            refuse(QStringLiteral("variable"), VarName,
                QStringLiteral("the table already holds %1 variables").arg(kSlotCount));
        MathsRecord &r = (*FMathsTables)[std::size_t(kVariableBase + FVarCount)];
        clearRecord(r, MathsRecord::kVariableKind);
        r.InUse = 1;
        r.Name.assign(VarName);
        r.Value = VarValue;
        ++FVarCount;
    }
    emit OnAddFormula();
}

void TMathsChannels::DeleteFormula(int Index)
{
    if (Index < 0 || Index >= FRecordCount)
        return;
    // Each later formula moves down with its in-use byte, name and text; the kind and value
    // bytes belong to the slot.
    for (int i = Index; i + 1 < FRecordCount; ++i) {
        MathsRecord &to = (*FMathsTables)[std::size_t(i)];
        const MathsRecord &from = (*FMathsTables)[std::size_t(i) + 1];
        to.InUse = from.InUse;
        to.Name = from.Name;
        std::memcpy(reinterpret_cast<char *>(&to) + offsetof(MathsRecord, Formula),
            reinterpret_cast<const char *>(&from) + offsetof(MathsRecord, Formula),
            sizeof to.Formula);
    }
    --FRecordCount;
    clearFrom(FRecordCount, kVariableBase, MathsRecord::kFormulaKind);
    emit OnDeleteFormula();
}

void TMathsChannels::DeleteVariable(int Index)
{
    if (Index < kVariableBase || Index >= kVariableBase + FVarCount)
        return;
    // Each later variable moves down with its in-use byte, name and value.
    for (int i = Index; i + 1 < kVariableBase + FVarCount; ++i) {
        MathsRecord &to = (*FMathsTables)[std::size_t(i)];
        const MathsRecord &from = (*FMathsTables)[std::size_t(i) + 1];
        to.InUse = from.InUse;
        to.Name = from.Name;
        to.Value = from.Value;
    }
    --FVarCount;
    clearFrom(kVariableBase + FVarCount, kRecordCount, MathsRecord::kVariableKind);
    emit OnDeleteFormula();
}

int TMathsChannels::FindFormula(const QString &name) const
{
    for (int i = 0; i < FRecordCount; ++i) {
        if ((*FMathsTables)[std::size_t(i)].name() == name)
            return i;
    }
    return -1;
}

int TMathsChannels::FindVariable(const QString &name) const
{
    for (int i = kVariableBase; i < kVariableBase + FVarCount; ++i) {
        if ((*FMathsTables)[std::size_t(i)].name() == name)
            return i;
    }
    return -1;
}

QStringList TMathsChannels::FormulaText(int Index) const
{
    if (Index < 0 || Index >= FRecordCount)
        return {};
    const MathsRecord &r = (*FMathsTables)[std::size_t(Index)];
    QStringList lines;
    QString line;
    for (int i = 0; i < kFormulaUnits; ++i) {
        const char16_t unit = r.Formula[i];
        if (unit == 0)
            break;
        if (unit == u'\n') {
            lines.append(line);
            line.clear();
        } else if (unit != u'\r') {
            line.append(QChar(unit));
        }
    }
    // The last line ends at the NUL, or at the end of an area that lacks one.
    lines.append(line);
    return lines;
}

QString TMathsChannels::NameError(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("A maths channel or variable needs a name.");
    // Checked before any message quotes the name, so that no message carries a line break.
    const auto isControl = [](QChar c) { return c.category() == QChar::Other_Control; };
    if (std::any_of(name.cbegin(), name.cend(), isControl)) {
        return QStringLiteral("A maths channel or variable name cannot hold tabs, line breaks "
                              "or other control characters.");
    }
    if (name.size() > kMathsNameLength) {
        return QStringLiteral("The name \"%1\" has %2 characters; a maths channel or variable "
                              "name has at most %3.")
            .arg(name, QString::number(name.size()), QString::number(kMathsNameLength));
    }
    if (fromAnsi(toAnsi(name)) != name) {
        return QStringLiteral("The name \"%1\" has characters that the logger cannot store; "
                              "use letters, digits and signs of the Western European code page.")
            .arg(name);
    }
    // The name becomes a column name, and columns reach other programs as comma-separated,
    // double-quoted fields.
    if (name.contains(u',') || name.contains(u'"')) {
        return QStringLiteral("The name \"%1\" holds a comma or a double quote; a maths "
                              "channel or variable name cannot hold either.")
            .arg(name);
    }
    return {};
}

void TMathsChannels::clearFrom(int first, int end, std::uint8_t kind)
{
    for (int i = first; i < end; ++i)
        clearRecord((*FMathsTables)[std::size_t(i)], kind);
}

QByteArrayView TMathsChannels::recordBytes() const
{
    return QByteArrayView(reinterpret_cast<const char *>(FMathsTables->data()), kFileSize);
}

void TMathsChannels::refuse(const QString &what, const QString &name, const QString &reason)
{
    throw LoggerTableError(QStringLiteral("Cannot add the %1 \"%2\": %3.").arg(what, name, reason));
}

} // namespace zel
