// Any "Maths.prm" content must load inside its records; adds, deletes and a save chosen by
// the file must keep both halves packed, and reload to the same table.

#include "FuzzInputFile.h"
#include "logger/LoggerTableError.h"
#include "logger/TMathsChannels.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

using namespace zel;

namespace {

void checkTable(const TMathsChannels &table)
{
    if (table.RecordCount() < 0 || table.RecordCount() > TMathsChannels::kSlotCount
        || table.VarCount() < 0 || table.VarCount() > TMathsChannels::kSlotCount)
        __builtin_trap();
    for (int i = 0; i < TMathsChannels::kRecordCount; ++i) {
        const MathsRecord &r = table.record(i);
        const bool used = i < TMathsChannels::kVariableBase
            ? i < table.RecordCount()
            : i < TMathsChannels::kVariableBase + table.VarCount();
        if (r.inUse() != used || r.name().size() > kMathsNameLength
            || r.formulaText().size() > kFormulaUnits)
            __builtin_trap();
    }
    for (int i = 0; i < table.RecordCount(); ++i) {
        qsizetype units = 0;
        for (const QString &line : table.FormulaText(i))
            units += line.size();
        if (units > kFormulaUnits)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Inputs stay small, so the last byte may ask for a whole-size file: the input followed
    // by zeros, or repeated to fill it, so that full tables and the variable half are met.
    QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const int fill = size > 0 ? data[size - 1] % 3 : 0;
    if (fill == 1 && file.size() < TMathsChannels::kFileSize)
        file.append(QByteArray(TMathsChannels::kFileSize - file.size(), '\0'));
    else if (fill == 2)
        file = file.repeated(TMathsChannels::kFileSize / file.size() + 1);
    const QString path = writeFuzzInput(QStringLiteral("Maths.prm"),
        reinterpret_cast<const std::uint8_t *>(file.constData()), std::size_t(file.size()));
    TMathsChannels table;
    table.setMathsFileName(path);
    try {
        table.LoadMathsTables();
    } catch (const LoggerTableError &) {
        __builtin_trap();
    }
    if (table.wasShort() != (file.size() < TMathsChannels::kFileSize))
        __builtin_trap();
    checkTable(table);

    // The input's first bytes pick the edits; its text supplies names and formulas.
    const auto byte = [&](std::size_t i) { return i < size ? int(data[i]) : 0; };
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data),
        qsizetype(std::min<std::size_t>(size, 3 * kFormulaUnits)));
    for (int step = 0; step < 8; ++step) {
        const int op = byte(std::size_t(step) * 3);
        const int a = byte(std::size_t(step) * 3 + 1);
        const int b = byte(std::size_t(step) * 3 + 2);
        const QString name = text.mid(a % 16, b % 24);
        const int formulas = table.RecordCount();
        const int variables = table.VarCount();
        try {
            switch (op % 4) {
            case 0:
                table.AddFormula(name, text.left(a * 16 + b));
                break;
            case 1:
                table.AddVariable(name, 0, a - b / 3.0);
                break;
            case 2:
                table.DeleteFormula(a - 8);
                break;
            default:
                table.DeleteVariable(a + b - 8);
                break;
            }
        } catch (const LoggerTableError &) {
            // Refused: a formula too long or a half full; nothing may have been added.
            if (table.RecordCount() != formulas || table.VarCount() != variables)
                __builtin_trap();
        }
        checkTable(table);
    }

    const int formulas = table.RecordCount();
    const int variables = table.VarCount();
    table.CloseMathsTables();
    if (QFileInfo(path).size() < TMathsChannels::kFileSize)
        __builtin_trap();
    TMathsChannels reloaded;
    reloaded.setMathsFileName(path);
    reloaded.LoadMathsTables();
    if (reloaded.RecordCount() != formulas || reloaded.VarCount() != variables
        || std::memcmp(reloaded.MathsTables().data(), table.MathsTables().data(),
               std::size_t(TMathsChannels::kFileSize))
            != 0)
        __builtin_trap();
    return 0;
}
