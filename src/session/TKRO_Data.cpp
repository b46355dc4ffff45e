#include "session/TKRO_Data.h"

#include "common/Error.h"
#include "formula/ApplicationFunctions.h"
#include "formula/FormulaException.h"
#include "session/MathsEvaluator.h"
#include "session/ProgramDataFolder.h"
#include "session/SessionFileName.h"
#include "session/SettingsBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace zel {

namespace {

// A template block holds its stated number of bytes, but never more than the block itself
// or the store it is copied into; a negative count copies nothing.
QByteArray layoutFrom(const QByteArray &block, qint64 count)
{
    QByteArray store(TKRO_Data::kLayoutStoreSize, '\0');
    const qint64 n = std::clamp<qint64>(count, 0, std::min<qint64>(block.size(), store.size()));
    std::copy_n(block.constData(), n, store.data());
    return store;
}

} // namespace

TKRO_Data::TKRO_Data(QObject *parent)
    : QObject(parent)
{
    defineTables();
    FLogDataTable.BeforePost = [this] { LogDataTableBeforePost(FLogDataTable); };
    FMaths.BeforePost = [this] { LogDataTableBeforePost(FMaths); };
    // Every load, add and delete of the maths definitions refreshes the window's lists.
    connect(&FMathsChannels1, &TMathsChannels::OnloadTable, this,
        &TKRO_Data::MathsChannels1loadTable);
    connect(&FMathsChannels1, &TMathsChannels::OnAddFormula, this,
        &TKRO_Data::MathsChannels1loadTable);
    connect(&FMathsChannels1, &TMathsChannels::OnDeleteFormula, this,
        &TKRO_Data::MathsChannels1loadTable);
}

void TKRO_Data::MathsChannels1loadTable()
{
    Q_EMIT OnMathsListsChanged();
}

void TKRO_Data::defineTables()
{
    FFormulas.addColumn(QStringLiteral("FormulaName"), ColumnType::Text, 20);
    FFormulas.addColumn(QStringLiteral("Formula"), ColumnType::Memo);

    FMaths.addColumn(QStringLiteral("ReadingID"), ColumnType::Integer);
    FMaths.addIndex(QStringLiteral("ReadingID"), QStringLiteral("ReadingID"));

    FMapTable.addColumn(QStringLiteral("ReadingID"), ColumnType::Integer);
    FMapTable.addColumn(QStringLiteral("GPS Longitude"), ColumnType::Real);
    FMapTable.addColumn(QStringLiteral("GPS Latitude"), ColumnType::Real);
    FMapTable.addColumn(QStringLiteral("GPS Altitude"), ColumnType::Real);
    FMapTable.addIndex(QStringLiteral("Reading"), QStringLiteral("ReadingID"));

    FTrackTable.addColumn(QStringLiteral("RecType"), ColumnType::Integer);
    for (const char *name : { "X1", "Y1", "X2", "Y2", "Slope", "distance" })
        FTrackTable.addColumn(QString::fromLatin1(name), ColumnType::Real);
    FTrackTable.addColumn(QStringLiteral("Trigger"), ColumnType::Integer);
    FTrackTable.addColumn(QStringLiteral("Description"), ColumnType::Text, 31);

    FCardID.addColumn(QStringLiteral("Date"), ColumnType::Date);
    FCardID.addColumn(QStringLiteral("CardID"), ColumnType::Text, 20);
    FCardID.addColumn(QStringLiteral("Folder"), ColumnType::Text, 255);
    FCardID.setIndexFieldNames(QStringLiteral("CardID"));

    FTemplateData.addColumn(QStringLiteral("RecordType"), ColumnType::Text, 20);
    for (const char *name :
        { "RecID", "ECUModel", "ECUVersion", "ECURelease", "SoftwareVersion", "DataVersion" })
        FTemplateData.addColumn(QString::fromLatin1(name), ColumnType::Integer);
    FTemplateData.addColumn(QStringLiteral("ShowForm"), ColumnType::Boolean);
    FTemplateData.addColumn(QStringLiteral("DataSize"), ColumnType::Integer);
    for (int i = 1; i <= 5; ++i)
        FTemplateData.addColumn(QStringLiteral("Datasize%1").arg(i), ColumnType::Integer);
    FTemplateData.addColumn(QStringLiteral("Data"), ColumnType::Bytes, kLayoutStoreSize);
    for (int i = 1; i <= 5; ++i)
        FTemplateData.addColumn(
            QStringLiteral("Data%1").arg(i), ColumnType::Bytes, kLayoutStoreSize);
}

void TKRO_Data::registerFunctions()
{
    // Registering twice would give the functions a second set of indexes.
    if (FFunctionsRegistered)
        return;
    registerApplicationFunctions(FF);
    FFunctionsRegistered = true;
}

void TKRO_Data::DataModuleCreate(const QString &programFolder, const FolderWritable &writable)
{
    FCardIDFile.clear();
    registerFunctions();

    FTemplateData.close();
    FTemplateData.open();
    const QString templateFile = existingFileName(programFolder, QStringLiteral("DEFAULTS.SRN"));
    if (QFileInfo(templateFile).isFile())
        FTemplateData.loadFromFile(templateFile);
    ReadConfigFromFile();

    FProgramDataFolder = programDataFolder(programFolder, writable);
    const QString register_ = existingFileName(FProgramDataFolder, QStringLiteral("CardID.dta"));
    if (QFileInfo(register_).isFile()) {
        FCardID.loadFromFile(register_);
    } else {
        FCardID.close();
        FCardID.open();
        FCardID.saveToFile(register_);
    }
    FCardIDFile = register_;
    FTelemetry_on = false;
}

void TKRO_Data::LoadFormulas()
{
    // Read whatever case the file was saved in, and save back to that same file.
    FFormulasFile = existingFileName(FProgramDataFolder, QStringLiteral("FormulaRep.rep"));
    if (QFileInfo(FFormulasFile).isFile()) {
        FFormulas.loadFromFile(FFormulasFile);
        return;
    }
    FFormulas.close();
    FFormulas.open();
    FFormulas.saveToFile(FFormulasFile);
}

void TKRO_Data::SaveFormulas()
{
    if (FFormulasFile.isEmpty())
        FFormulasFile = existingFileName(FProgramDataFolder, QStringLiteral("FormulaRep.rep"));
    FFormulas.saveToFile(FFormulasFile);
}

void TKRO_Data::PrepareComputation(const QStringList &channelNames)
{
    QStringList names;
    std::vector<double> values;
    for (int j = 0; j < FMathsChannels1.VarCount(); ++j) {
        const MathsRecord &record = FMathsChannels1.record(TMathsChannels::kVariableBase + j);
        names << record.name();
        values.push_back(record.Value);
    }
    setVars(names + channelNames);
    std::copy(values.begin(), values.end(), Fvals.begin());
    registerFunctions();
    FormulaMathsEvaluator::setComputationOptions(FF);
}

namespace {

// The test's boxes are the formula's own INPUT and MSG only while the test runs; the maths
// computation of an import must never open one.
class TestDialogsInUse
{
public:
    TestDialogsInUse(TTalFormula &f, const FormulaDialogs &dialogs)
        : m_f(f)
    {
        m_f.setDialogs(dialogs);
    }
    ~TestDialogsInUse() { m_f.setDialogs({}); }
    TestDialogsInUse(const TestDialogsInUse &) = delete;
    TestDialogsInUse &operator=(const TestDialogsInUse &) = delete;

private:
    TTalFormula &m_f;
};

QString messageOf(const std::exception &e)
{
    return QString::fromUtf8(e.what());
}

} // namespace

QString TKRO_Data::TestFormula(const QString &Formula, int &ErrorCode)
{
    // A formula is compiled and tried even without variables, so that a broken one never
    // passes unchecked.
    const TestDialogsInUse inUse(FF, FTestDialogs);
    QString message;
    try {
        FF.Test(Formula, Num(), Fvars);
        message = FF.GetLastErrorStr();
    } catch (const std::exception &e) {
        message = messageOf(e);
    }
    ErrorCode = FF.ErrStrPos();
    FTestRefused = FF.Error() != ER_Ok;
    if (FTestRefused)
        return message;

    for (int i = 0; i < Num(); ++i) {
        if (!Formula.contains(Fvars[i], Qt::CaseSensitive) || Fvals[size_t(i)] != 0.0)
            continue;
        QString text = QStringLiteral("0.0");
        if (FTestDialogs.input
            && !FTestDialogs.input(QStringLiteral("Enter Value"),
                QStringLiteral("Enter Test value for : ") + Fvars[i], text))
            return QStringLiteral("Operation was Canceled");
        bool ok = false;
        const double value = FF.Locale().toDouble(text.trimmed(), &ok);
        Fvals[size_t(i)] = ok ? value : 0.0;
    }

    TCalcArray values;
    values.reserve(Fvals.size());
    for (double v : Fvals)
        values.push_back(TCalcItem::number(v));
    try {
        message = QStringLiteral("Channel Value = ")
            + FF.ComputeStr(Formula, Num(), Fvars, &values);
    } catch (const FormulaException &e) {
        message = e.message();
        ErrorCode = FF.ErrStrPos();
        FTestRefused = e.kind() == FormulaException::Kind::Limit;
    } catch (const std::exception &e) {
        message = messageOf(e);
        ErrorCode = FF.ErrStrPos();
    }
    for (size_t i = 0; i < Fvals.size() && i < values.size(); ++i) {
        if (values[i].typ == fdtnumber)
            Fvals[i] = values[i].data;
    }
    return message;
}

void TKRO_Data::ReadConfigFromFile()
{
    if (!FTemplateData.isOpen() || FTemplateData.findColumn(QStringLiteral("RecordType")) < 0)
        return;
    if (!FTemplateData.Locate(QStringLiteral("RecordType"), { QStringLiteral("ECUCONFIG") }))
        return;
    const auto bytesOf = [this](const char *column) {
        const int index = FTemplateData.findColumn(QString::fromLatin1(column));
        return index < 0 ? QByteArray() : FTemplateData.field(index).asBytes();
    };
    const auto countOf = [this](const char *column) {
        const int index = FTemplateData.findColumn(QString::fromLatin1(column));
        return index < 0
            ? qint64(0)
            : qint64(FTemplateData.numberAt(index, FTemplateData.viewRow(FTemplateData.recNo())));
    };
    FLayoutStore = layoutFrom(bytesOf("Data"), countOf("DataSize"));
    FLayoutStore1 = layoutFrom(bytesOf("Data1"), countOf("Datasize1"));
}

void TKRO_Data::setVars(const QStringList &names)
{
    Fvars = names;
    Fvals.assign(size_t(names.size()), 0.0);
    FHookTable = nullptr;
}

void TKRO_Data::setMaths(MathsEvaluator *evaluator)
{
    FMaths_ = evaluator;
    FHookTable = nullptr;
}

void TKRO_Data::setSkippedMathsChannels(const QStringList &names)
{
    FSkippedMaths = names;
    FHookTable = nullptr;
}

void TKRO_Data::setMathsInColumns(const RecordTable *table)
{
    FMathsInColumns = table;
    FHookTable = nullptr;
}

namespace {

bool holdsReals(const RecordTable &table, int column)
{
    const ColumnType type = table.column(column).type;
    return type == ColumnType::Real || type == ColumnType::DateTime;
}

} // namespace

void TKRO_Data::resolveHookColumns(RecordTable &table)
{
    // Only the columns some formula can reach are read from each row.
    const std::vector<bool> read
        = FMaths_ ? FMaths_->variablesRead(Num(), Fvars) : std::vector<bool>();
    FHookInputs.clear();
    for (qsizetype i = 0; i < Fvars.size(); ++i) {
        if (size_t(i) < read.size() && !read[size_t(i)])
            continue;
        const int column = table.findColumn(Fvars[i]);
        if (column >= 0)
            FHookInputs.push_back(
                { size_t(i), column, holdsReals(table, column), table.field(column) });
    }
    FHookOutputs.clear();
    const QStringList channels = FMaths_ ? FMaths_->channelNames() : QStringList();
    for (qsizetype d = 0; d < channels.size(); ++d) {
        const QString &name = channels[d];
        if (FSkippedMaths.contains(name, Qt::CaseInsensitive))
            continue;
        const int column = table.findColumn(name);
        if (column < 0)
            continue;
        // Only the variables counted by Num take results; names the engine may have added
        // beyond them at run time have no entry in vals.
        int var = -1;
        for (int i = 0; i < Num() && var < 0; ++i) {
            if (Fvars[i].compare(name, Qt::CaseInsensitive) == 0)
                var = i;
        }
        FHookOutputs.push_back(
            { int(d), column, holdsReals(table, column), table.field(column), var, false });
    }
    // A block of rows is computed from the stored cells, so every cell a formula reads must
    // hold the row's value as a number, and no result may feed a variable.
    const bool inColumns = FMathsInColumns == &table;
    const bool columnsPossible = inColumns
        && std::all_of(FHookInputs.begin(), FHookInputs.end(),
            [](const HookInput &input) { return input.real; })
        && std::all_of(FHookOutputs.begin(), FHookOutputs.end(),
            [](const HookOutput &output) { return output.var < 0; });
    FHookRunsRows = !inColumns;
    for (HookOutput &output : FHookOutputs) {
        output.inColumns = columnsPossible && output.real
            && FMaths_->computesColumns(output.channel, Num(), Fvars);
        FHookRunsRows = FHookRunsRows || !output.inColumns;
    }
    FHookTable = &table;
    FHookColumnCount = table.columnCount();
}

void TKRO_Data::LogDataTableBeforePost(RecordTable &table)
{
    if (Num() <= 0)
        return;
    if (FHookTable != &table || FHookColumnCount != table.columnCount())
        resolveHookColumns(table);
    if (!FHookRunsRows)
        return;
    for (const HookInput &input : FHookInputs)
        Fvals[input.var] = input.real ? table.realCell(input.column) : input.cell.asReal();
    for (HookOutput &output : FHookOutputs) {
        if (output.inColumns)
            continue;
        const std::optional<double> value
            = FMaths_->evaluate(output.channel, Num(), Fvars, Fvals);
        if (!value) {
            // A formula that fails gives 0 for this row; the row is still stored.
            if (output.real)
                table.setRealCell(output.column, 0.0);
            else
                output.cell.setReal(0.0);
            continue;
        }
        double result = *value;
        if (output.real) {
            table.setRealCell(output.column, result);
        } else {
            output.cell.setReal(result);
            result = output.cell.asReal();
        }
        if (output.var >= 0)
            Fvals[size_t(output.var)] = result;
    }
}

void TKRO_Data::computeMathsColumns(RecordTable &table, int first, int count)
{
    if (Num() <= 0 || count <= 0)
        return;
    if (FHookTable != &table || FHookColumnCount != table.columnCount())
        resolveHookColumns(table);
    std::vector<const double *> columns(size_t(Num()), nullptr);
    for (const HookInput &input : FHookInputs)
        columns[input.var] = table.reals(input.column).data() + first;
    std::vector<double> results;
    for (const HookOutput &output : FHookOutputs) {
        if (!output.inColumns)
            continue;
        results.resize(size_t(count));
        FMaths_->evaluateColumns(
            output.channel, Num(), Fvars, columns, Fvals, count, results.data());
        for (int r = 0; r < count; ++r)
            table.setRealAt(output.column, first + r, results[size_t(r)]);
    }
    // The variables hold the last row's values, as the hook leaves them (a formula tested
    // afterwards starts from them).
    for (const HookInput &input : FHookInputs)
        Fvals[input.var] = table.reals(input.column)[size_t(first + count - 1)];
}

bool TKRO_Data::LocateCardID(const QString &cardID)
{
    const int column = FCardID.columnIndex(QStringLiteral("CardID"));
    const QStringView stored = QStringView(cardID).left(FCardID.column(column).size);
    for (FCardID.First(); !FCardID.eof(); FCardID.Next()) {
        if (FCardID.field(column).asText() == stored)
            return true;
    }
    return false;
}

QStringList TKRO_Data::RemoveBackup()
{
    // The folder follows from the ID alone: the register's Folder column is file content
    // and may point anywhere.
    const QString folder = settingsBackupFolder(FProgramDataFolder, FKROCardID);
    if (FProgramDataFolder.isEmpty() || folder.isEmpty()) {
        throw FileError(
            QStringLiteral("The card ID \"%1\" cannot name a backup folder; no backup was removed.")
                .arg(FKROCardID));
    }
    QStringList remaining;
    const QDir backup(folder);
    const QStringList entries = backup.entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (!settingsBackupFiles().contains(entry, Qt::CaseInsensitive))
            continue;
        // A link is removed itself, never what it points to; a folder of such a name stays.
        if (!QFile::remove(backup.filePath(entry)))
            remaining << backup.filePath(entry);
    }
    if (!remaining.isEmpty())
        return remaining;
    if (LocateCardID(FKROCardID)) {
        FCardID.Delete();
        FCardID.saveToFile(FCardIDFile);
    }
    FKROCardID.clear();
    FKROCardIDBackup.clear();
    return remaining;
}

} // namespace zel
