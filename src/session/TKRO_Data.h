#pragma once

#include "formula/FormulaDialogs.h"
#include "formula/TTalFormula.h"
#include "logger/TLogFile.h"
#include "logger/TMathsChannels.h"
#include "session/FormulaMathsEvaluator.h"
#include "session/ProgramDataFolder.h"
#include "session/RecordTable.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace zel {

class MathsEvaluator;

/// The application's shared tables and services: the import table of session logs, the
/// table a session file is opened through, the card-ID register, the configuration template
/// and the hook that computes maths channels as each imported row is stored. One object is
/// created at start-up and handed to every window that needs it.
class TKRO_Data : public QObject
{
    Q_OBJECT
public:
    /// Size of each of the configuration template's two layout stores.
    static constexpr int kLayoutStoreSize = 32768;

    /// Creates the tables with their column definitions; nothing is read yet.
    explicit TKRO_Data(QObject *parent = nullptr);

    /// Start-up: registers the application functions on F, reads "DEFAULTS.SRN" from \a programFolder when present, and loads the
    /// card-ID register "CardID.dta" from the program's Data folder, creating both the
    /// folder and an empty register when missing. The Data folder is \a programFolder/Data,
    /// or the user's application-data folder when \a writable says the program's folder
    /// cannot be written (programDataFolder()).
    void DataModuleCreate(
        const QString &programFolder, const FolderWritable &writable = folderWritable);

    /// Store hook of LogDataTable and Maths: copies the row's values of the formula
    /// variables into vals, then computes each maths channel into its column (0 when its
    /// formula fails), so that later channels see earlier results. Column positions are
    /// resolved once per table and variable list.
    void LogDataTableBeforePost(RecordTable &table);

    /// Makes the formula variables the maths variables of MathsChannels1 (names and values,
    /// in table order) followed by \a channelNames (value 0), and sets F up for computing.
    void PrepareComputation(const QStringList &channelNames);
    /// Compiles \a Formula over the formula variables and, when it compiles, runs it after
    /// asking (through the test dialogs) for a value of each variable it names whose value is
    /// 0. Gives "Channel Value = " and the result, the compile or run-time error's message,
    /// or "Operation was Canceled"; sets \a ErrorCode to the error's position.
    QString TestFormula(const QString &Formula, int &ErrorCode);
    /// After TestFormula: the formula must not be added. It does not compile, or its test
    /// run hit a limit of the formula engine (work, memory, nested calls), which it would
    /// hit again in every row of an import. A run error such as a division by zero with
    /// the test values does not refuse it.
    bool TestRefused() const { return FTestRefused; }
    /// Boxes for TestFormula: its value prompts and the formula's own INPUT and MSG. Without
    /// an input box every prompt takes its default.
    void setTestDialogs(FormulaDialogs dialogs) { FTestDialogs = std::move(dialogs); }

    /// Loads the formula repository from the program's Data folder, creating and saving an
    /// empty one when the file is missing.
    void LoadFormulas();
    /// Saves the formula repository where LoadFormulas found or created it.
    void SaveFormulas();
    /// Path of the formula repository file (set by LoadFormulas).
    QString FormulasFile() const { return FFormulasFile; }

    /// Copies the template row "ECUCONFIG" into the two layout stores; bytes beyond what
    /// a block or its stated size holds read as zero. Without the row nothing changes.
    void ReadConfigFromFile();

    /// The import table of session logs.
    RecordTable &LogDataTable() { return FLogDataTable; }
    /// The table a session file is loaded into while it is opened or saved.
    RecordTable &ExLogData() { return FExLogData; }
    /// The formula repository.
    RecordTable &Formulas() { return FFormulas; }
    /// A second table with the maths store hook.
    RecordTable &Maths() { return FMaths; }
    /// GPS points of a track map.
    RecordTable &MapTable() { return FMapTable; }
    /// Track lines.
    RecordTable &TrackTable() { return FTrackTable; }
    /// The card-ID register.
    RecordTable &CardID() { return FCardID; }
    /// The ECU configuration template.
    RecordTable &TemplateData() { return FTemplateData; }
    /// Raw log reader kept for the live telemetry feature.
    TLogFile &LogFile() { return FLogFile; }

    /// The formula component of the maths channels and of TestFormula.
    TTalFormula &F() { return FF; }
    /// The card's maths channel definitions and variables.
    TMathsChannels &MathsChannels1() { return FMathsChannels1; }
    /// Handler of MathsChannels1's load, add and delete notifications: tells the windows
    /// showing the maths lists (through OnMathsListsChanged) to refill them.
    void MathsChannels1loadTable();
    /// Computes MathsChannels1's channels with components set up like F; setMaths(&it)
    /// makes the store hook use it.
    FormulaMathsEvaluator &FormulaMaths() { return FFormulaMaths; }

    /// Formula variable names: maths variables first, then log channel names.
    const QStringList &vars() const { return Fvars; }
    /// Values of the formula variables, Num() long.
    std::vector<double> &vals() { return Fvals; }
    /// Number of formula variables.
    int Num() const { return int(Fvars.size()); }
    /// Replaces the formula variables; every value starts at 0.
    void setVars(const QStringList &names);

    /// The maths channel definitions and engine (not owned); null computes nothing.
    MathsEvaluator *maths() const { return FMaths_; }
    /// Sets the maths channel definitions and engine (not owned).
    void setMaths(MathsEvaluator *evaluator);
    /// Definitions that the import gave no column of their own (their name belongs to a
    /// logged column); the hook never computes them, so logged data is never overwritten.
    void setSkippedMathsChannels(const QStringList &names);
    /// For \a table (none when null), the store hook leaves to computeMathsColumns the
    /// definitions that can be computed a block of rows at a time
    /// (MathsEvaluator::computesColumns) into real columns, when every variable comes from
    /// a real column or stays constant; it computes the others as before. An import sets
    /// its table while it fills it.
    void setMathsInColumns(const RecordTable *table);
    /// Computes the definitions the hook left, for \a count stored rows of \a table from
    /// row \a first, as the hook would have stored them row by row.
    void computeMathsColumns(RecordTable &table, int first, int count);

    /// The program's Data folder chosen by DataModuleCreate.
    QString ProgramDataFolder() const { return FProgramDataFolder; }
    /// Path of the card-ID register file.
    QString CardIDFile() const { return FCardIDFile; }
    /// ID of the current card.
    QString KROCardID() const { return FKROCardID; }
    /// Sets the ID of the current card.
    void setKROCardID(const QString &id) { FKROCardID = id; }
    /// Backup folder of the current card.
    QString KROCardIDBackup() const { return FKROCardIDBackup; }
    /// Sets the backup folder of the current card.
    void setKROCardIDBackup(const QString &folder) { FKROCardIDBackup = folder; }
    /// Moves the card-ID register to the row of \a cardID, compared as the register stores
    /// it (cut to the column's length); false when no row holds it.
    bool LocateCardID(const QString &cardID);
    /// Removes the settings backup of KROCardID: deletes the backup files (in any case of
    /// their names) from its backup folder in the program's Data folder, never from a folder
    /// the register names. When all are gone, deletes the card's register row, saves the
    /// register and clears KROCardID and KROCardIDBackup; the folders stay. Returns the
    /// files that could not be deleted (a missing file is no failure); while any remain,
    /// the row and both strings are kept, so the removal can be tried again. Throws
    /// FileError, changing nothing, when KROCardID cannot name a folder.
    QStringList RemoveBackup();
    /// Whether live telemetry runs; the windows never start it.
    bool Telemetry_on() const { return FTelemetry_on; }
    /// The template's first layout store.
    const QByteArray &layoutStore() const { return FLayoutStore; }
    /// The template's second layout store.
    const QByteArray &layoutStore1() const { return FLayoutStore1; }

Q_SIGNALS:
    /// The maths definitions were loaded, added to or deleted from: windows showing the
    /// formula and variable lists refill them.
    void OnMathsListsChanged();

private:
    void defineTables();
    void resolveHookColumns(RecordTable &table);
    void registerFunctions();

    RecordTable FLogDataTable;
    RecordTable FExLogData;
    RecordTable FFormulas;
    RecordTable FMaths;
    RecordTable FMapTable;
    RecordTable FTrackTable;
    RecordTable FCardID;
    RecordTable FTemplateData;
    TLogFile FLogFile;
    TTalFormula FF;
    bool FFunctionsRegistered = false;
    bool FTestRefused = false;
    TMathsChannels FMathsChannels1;
    FormulaMathsEvaluator FFormulaMaths { FF, FMathsChannels1 };
    FormulaDialogs FTestDialogs;
    QString FFormulasFile;

    QStringList Fvars;
    std::vector<double> Fvals;
    MathsEvaluator *FMaths_ = nullptr;
    QStringList FSkippedMaths;
    const RecordTable *FMathsInColumns = nullptr;

    // The store hook's cells, valid for one table layout. Real columns, the usual kind,
    // are read and written directly; any other goes through its Field and its conversions.
    struct HookInput
    {
        size_t var; // the variable that takes the cell's value
        int column;
        bool real;
        Field cell;
    };
    struct HookOutput
    {
        int channel; // the definition computed into the cell
        int column;
        bool real; // keeps the result as it is; any other column converts it, so the
                   // variable reads the cell back
        Field cell;
        int var; // the variable that takes the result, or -1
        bool inColumns; // left to computeMathsColumns
    };
    const RecordTable *FHookTable = nullptr;
    int FHookColumnCount = -1;
    std::vector<HookInput> FHookInputs; // the columns some formula reads
    std::vector<HookOutput> FHookOutputs; // the definitions computed, in order
    // The hook has work per row: some definition is computed row by row, or (columns not
    // in use) the variables follow every row stored.
    bool FHookRunsRows = false;

    QString FProgramDataFolder;
    QString FCardIDFile;
    QString FKROCardID;
    QString FKROCardIDBackup;
    bool FTelemetry_on = false;
    QByteArray FLayoutStore;
    QByteArray FLayoutStore1;
};

} // namespace zel
