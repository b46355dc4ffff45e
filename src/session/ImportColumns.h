#pragma once

#include "logger/LogRecords.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace zel {

/// The columns an import of a raw log creates after the fixed ones, worked out from the
/// log header alone, so that the import and every editor that must know them in advance
/// (a maths name may not take a column's name) name them alike:
///
/// - Position j (0 .. channelCount-1) gets a column unless it is unused or its name is
///   blank. Its name is the raw name cleaned (SessionColumns::cleanChannelName), or
///   "Channel_<j>" when nothing is left of it. A name that a column already has, compared
///   without regard to case, takes "_u", u counting such clashes over the whole import
///   from 1 and moving on while "<name>_u" is taken too.
/// - A position shares the column of an earlier one only when their raw names are exactly
///   equal and the earlier column kept that raw name; "RPM" and "rpm" get a column each.
/// - When the channel count is below the number of channels the header logs (damaged or
///   changed settings), every position of the header is considered, so that no logged
///   channel is dropped; readsEveryPosition() then says so.
/// - Each maths channel gets a column after the channel columns, except one whose name is
///   blank or already a column's.
class ImportColumns
{
public:
    /// Why a maths channel gets no column.
    enum class MathsProblem {
        BlankName, ///< nothing is left of its name once trimmed
        TakenName ///< a column already has its name
    };
    /// A maths channel left without a column.
    struct SkippedMaths
    {
        int index; ///< position in the maths names given
        QString name;
        MathsProblem problem;
    };

    /// The columns for \a header when the settings give \a channelCount channels, with a
    /// column for each of \a mathsNames that can have one.
    ImportColumns(
        const TDataDictionary &header, int channelCount, const QStringList &mathsNames = {});

    /// Names of the channel columns, in order.
    const QStringList &channelColumns() const { return m_channelColumns; }
    /// Index in channelColumns() of the column that position \a position goes to, or -1.
    int columnOfPosition(int position) const;
    /// True when the channel count was below the header's own and every position was read.
    bool readsEveryPosition() const { return m_everyPosition; }
    /// Names of the maths columns, in order.
    const QStringList &mathsColumns() const { return m_mathsColumns; }
    /// The maths channels that get no column, in order.
    const QList<SkippedMaths> &skippedMaths() const { return m_skippedMaths; }

    /// Every column of the session log: the fixed ones, the channels, then the maths.
    QStringList allColumns() const;
    /// The names a formula may use: the fixed columns of the "Log Channels" list, then the
    /// channel columns.
    QStringList logChannels() const;

private:
    QStringList m_channelColumns;
    std::array<int, kMaxLogChannels> m_columnOfPosition {};
    bool m_everyPosition = false;
    QStringList m_mathsColumns;
    QList<SkippedMaths> m_skippedMaths;
};

} // namespace zel
