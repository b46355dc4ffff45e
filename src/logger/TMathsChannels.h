#pragma once

#include "logger/CardTableFile.h"
#include "logger/MathsRecord.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace zel {

/// The card's maths table ("Maths.prm"): up to 128 maths channels (a name and a formula) in
/// records 0-127 and up to 128 variables (a name and a value) in records 128-255, each half
/// kept packed at its front. While active the file is held open and every save goes to it,
/// whatever MathsFileName says by then. Failures throw LoggerTableError.
class TMathsChannels : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSlotCount = 128; ///< formula slots, and variable slots
    static constexpr int kVariableBase = kSlotCount; ///< record number of variable 0
    static constexpr int kRecordCount = 2 * kSlotCount;
    static constexpr int kRecordSize = int(sizeof(MathsRecord));
    static constexpr int kFileSize = kRecordCount * kRecordSize;
    using Records = std::array<MathsRecord, kRecordCount>;

    explicit TMathsChannels(QObject *parent = nullptr);
    ~TMathsChannels() override;

    /// Path of the maths table file that the next load or create uses.
    QString MathsFileName() const { return FMathsFileName; }
    /// Sets the path for the next load or create; an open file stays the save target.
    void setMathsFileName(const QString &name) { FMathsFileName = name; }

    /// Number of maths channels: records 0 to RecordCount-1.
    int RecordCount() const { return FRecordCount; }
    /// Number of variables: records 128 to 128+VarCount-1.
    int VarCount() const { return FVarCount; }

    /// The 256 records as the file holds them.
    const Records &MathsTables() const { return *FMathsTables; }
    /// Record i of the 256; throws std::out_of_range outside 0..255.
    const MathsRecord &record(int i) const { return FMathsTables->at(std::size_t(i)); }

    /// True while the maths table file is open.
    bool active() const { return FMathsTable.active(); }
    /// True when the last load found a file shorter than 256 records.
    bool wasShort() const { return FMathsTable.wasShort(); }
    /// Message about the last load for the user (empty when the file was whole).
    QString loadWarning() const { return FMathsTable.loadWarning(); }

    /// Opens MathsFileName (releasing any open file unsaved), packs the records in use of
    /// each half to its front, clears the free ones, raises OnAddFormula per record in use
    /// and then OnloadTable. A record the file holds only in part counts as free, and
    /// loadWarning() says so. A missing file throws and leaves the component inactive.
    void LoadMathsTables();
    /// Creates or empties MathsFileName and writes an empty table; becomes active.
    void CreateMathsTables();
    /// Raises BeforeSaveTable and writes all 256 records to the open file unless it holds
    /// them already; does nothing while inactive.
    void SaveMathsTables();
    /// Saves and releases the open file; inactive afterwards. When the save fails the error
    /// propagates and the file stays open, so nothing is lost.
    void CloseMathsTables();
    /// Lets the open file go without writing anything (a card pulled out or swapped);
    /// inactive afterwards.
    void ReleaseMathsTables();

    /// Gives every maths channel named exactly ChannelName the formula; when there is none,
    /// adds one with the name converted to the card's code page and cut to 20 characters.
    /// Throws LoggerTableError, changing nothing, for a formula over 2047 characters or a
    /// 129th maths channel. VType is not used.
    void AddFormula(const QString &ChannelName, const QString &Formula, int VType = 0);
    /// Gives every variable named exactly VarName the value; when there is none, adds one
    /// with the name converted and cut as for AddFormula. Throws LoggerTableError, changing
    /// nothing, for a value that is not a finite number (every computation would fail on
    /// it) or a 129th variable. VType is not used.
    void AddVariable(const QString &VarName, int VType, double VarValue);
    /// Removes maths channel Index (0-based) and moves the later ones down; an index outside
    /// the maths channels is ignored.
    void DeleteFormula(int Index);
    /// Removes the variable in record Index (128 + its number) and moves the later ones
    /// down; an index outside the variables is ignored.
    void DeleteVariable(int Index);

    /// Index (0-based) of the first maths channel named exactly \a name, or -1.
    int FindFormula(const QString &name) const;
    /// Record number (128 + its number) of the first variable named exactly \a name, as
    /// DeleteVariable takes it, or -1.
    int FindVariable(const QString &name) const;

    /// The formula of maths channel Index split into lines (line feeds end lines, carriage
    /// returns are dropped); empty for an index outside the maths channels.
    QStringList FormulaText(int Index) const;

    /// Why name cannot be stored as a maths channel or variable name so that it is found
    /// again and serves as a column name (empty, over 20 characters, outside the card's code
    /// page, or holding a control character, a comma or a double quote); empty when it can.
    static QString NameError(const QString &name);

signals:
    /// Raised after each load.
    void OnloadTable();
    /// Raised after each record a load finds in use, and after each add.
    void OnAddFormula();
    /// Raised after each delete.
    void OnDeleteFormula();
    /// Raised before each save.
    void BeforeSaveTable();

private:
    void clearFrom(int first, int end, std::uint8_t kind);
    QByteArrayView recordBytes() const;
    [[noreturn]] static void refuse(
        const QString &what, const QString &name, const QString &reason);

    QString FMathsFileName;
    CardTableFile FMathsTable { QStringLiteral("the maths table"),
        QStringLiteral("the records it lacks or cuts short were left empty") };
    std::unique_ptr<Records> FMathsTables;
    int FRecordCount = 0;
    int FVarCount = 0;
};

} // namespace zel
