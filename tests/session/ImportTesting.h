#pragma once

#include "logger/RawLogWriter.h"
#include "session/ImportObserver.h"

#include <QStringList>

/// Records everything an import reports, and cancels once told to.
class RecordingObserver : public zel::ImportObserver
{
public:
    void showMessage(const QString &text) override { messages << text; }
    void showStatus(const QString &text) override { statuses << text; }
    void setProgressRange(qint64 maximum) override { range = maximum; }
    void advanceProgress() override { ++steps; }
    bool cancelRequested() override { return cancelAfterSteps >= 0 && steps >= cancelAfterSteps; }

    QStringList messages;
    QStringList statuses;
    qint64 range = -1;
    qint64 steps = 0;
    qint64 cancelAfterSteps = -1; ///< the user presses Cancel once this many steps are done
};

/// Writes \a records records numbered from 1, with no channel values, to \a path.
inline void writeEmptyRecords(const QString &path, int records)
{
    zel::RawLogWriter writer({});
    zel::TLogRecord record {};
    for (int i = 1; i <= records; ++i) {
        record.RecordID = std::uint32_t(i);
        writer.appendRecord(record);
    }
    writer.save(path);
}
