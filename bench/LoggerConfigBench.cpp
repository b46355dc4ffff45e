// "Quick Import" end to end through the logger configuration window: a card holding three
// raw logs of 180,001 records with 47 channels (each one record over the limit, so saved in
// two parts); per log the window is opened on the card, the log chosen, imported and saved
// into the card's folder of the program's "Data" folder, and the window closed. Reports the
// time for all three logs.
#include "ImportBenchFixture.h"
#include "card/CardDrives.h"
#include "card/DemoCard.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace {

constexpr int kLogs = 3;

class OneCard : public zel::CardDrives
{
public:
    explicit OneCard(QString root)
        : m_root(std::move(root))
    { }
    QStringList roots() const override { return { m_root }; }
    QString identity(const QString &) const override { return QStringLiteral("card"); }

private:
    QString m_root;
};

// The demo card's settings (47 channels, card ID "DEMO") with three session-sized logs.
QString cardRoot()
{
    static const QString root = [] {
        const QString folder = zel::bench::benchFolder(QStringLiteral("zel-logger-config-bench"));
        const QString card = QDir(folder).filePath(QStringLiteral("card"));
        zel::DemoCard().write(card);
        const QString logs = QDir(card).filePath(QStringLiteral("Logs"));
        QDir(logs).removeRecursively();
        QDir().mkpath(logs);
        for (int i = 1; i <= kLogs; ++i)
            zel::bench::writeSessionRawLog(
                logs, zel::bench::kRecords, QStringLiteral("run%1.Dsh").arg(i));
        return card;
    }();
    return root;
}

void BM_QuickImportThreeLogs(benchmark::State &state)
{
    const QString card = cardRoot();
    const QString program
        = zel::bench::benchFolder(QStringLiteral("zel-logger-config-bench/program"));
    OneCard drives(card);
    zel::TKRO_Data data;
    data.DataModuleCreate(program);
    zel::ScriptedUserDialogs dialogs;
    qint64 opened = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(QDir(program).filePath(QStringLiteral("Data/DEMO"))).removeRecursively();
        state.ResumeTiming();
        for (int i = 1; i <= kLogs; ++i) {
            zel::TfrmLoggerConfig window(
                data, dialogs, drives, program, [&opened](const QString &) { ++opened; });
            auto *cards = window.findChild<QComboBox *>(QStringLiteral("SelectionDriveList"));
            cards->setCurrentIndex(cards->findData(card));
            dialogs.answerOpenFile(QDir(card).filePath(QStringLiteral("Logs/run%1.Dsh").arg(i)));
            window.findChild<QPushButton *>(QStringLiteral("QuickLogImport"))->click();
        }
    }
    if (opened != qint64(state.iterations()) * kLogs)
        state.SkipWithError("a quick import opened nothing");
    state.counters["records/s"] = benchmark::Counter(
        double(state.iterations()) * kLogs * zel::bench::kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QuickImportThreeLogs)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
