#include "tools/zel/ImportCommand.h"

#include "card/CardImportSource.h"
#include "card/CardPaths.h"
#include "card/ImportDestination.h"
#include "common/AtomicFile.h"
#include "logger/LogRecords.h"
#include "logger/TLogFile.h"
#include "session/ImportObserver.h"
#include "session/LogImport.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace zel {

namespace {

const char kUsage[] = "zel import: usage: zel import RAW.Dsh [--card ROOT] [--data DIR] [-o "
                      "OUT.kro] [--overwrite]\n";

struct ImportOptions
{
    QString raw;
    QString card;
    QString data;
    QString output;
    bool overwrite = false;
};

std::optional<ImportOptions> parse(const QStringList &args)
{
    ImportOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        // An empty value would silently mean "no value": the folder beside the program.
        if (arg == QLatin1String("--card") && hasValue && !args[i + 1].isEmpty())
            options.card = args[++i];
        else if (arg == QLatin1String("--data") && hasValue && !args[i + 1].isEmpty())
            options.data = args[++i];
        else if (arg == QLatin1String("-o") && hasValue && !args[i + 1].isEmpty())
            options.output = args[++i];
        else if (arg == QLatin1String("--overwrite"))
            options.overwrite = true;
        else if (options.raw.isEmpty() && !arg.startsWith(u'-'))
            options.raw = arg;
        else
            return std::nullopt;
    }
    if (options.raw.isEmpty())
        return std::nullopt;
    return options;
}

[[noreturn]] void fail(const QString &message)
{
    throw Error(message);
}

// Messages go to the terminal: boxes and the status line as lines on stderr, progress as
// a percentage redrawn in place when stderr is a terminal.
class TerminalObserver : public ImportObserver
{
public:
    explicit TerminalObserver(QTextStream &err)
        : m_err(err)
        , m_terminal(isatty(fileno(stderr)) == 1)
    { }

    void showMessage(const QString &text) override { line(text); }
    void showStatus(const QString &text) override { line(text); }
    void setProgressRange(qint64 maximum) override
    {
        m_maximum = maximum;
        m_done = 0;
        m_shown = -1;
    }
    void advanceProgress() override
    {
        ++m_done;
        if (!m_terminal || m_maximum <= 0)
            return;
        const int percent = int(100 * std::min(m_done, m_maximum) / m_maximum);
        if (percent != m_shown) {
            m_shown = percent;
            m_err << "\rImporting: " << percent << "%";
            m_err.flush();
        }
    }
    void finish()
    {
        clearProgress();
        m_err.flush();
    }

private:
    void line(const QString &text)
    {
        clearProgress();
        m_err << QString(text).remove(u'\r') << "\n";
        m_err.flush();
    }

    // Blanks the percentage so that the next line starts on a clean line.
    void clearProgress()
    {
        if (m_terminal && m_shown >= 0)
            m_err << "\r                \r";
        m_shown = -1;
    }

    QTextStream &m_err;
    bool m_terminal;
    qint64 m_maximum = 0;
    qint64 m_done = 0;
    int m_shown = -1;
};

QString defaultDataFolder()
{
    const QString base = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QDir::currentPath();
    return QDir(base).filePath(QStringLiteral("Data"));
}

} // namespace

int runImportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<ImportOptions> options = parse(args);
    if (!options) {
        err << kUsage;
        return 1;
    }
    if (!QFileInfo(options->raw).isFile())
        fail(QStringLiteral("\"%1\" does not exist or is not a file").arg(options->raw));
    if (!options->output.isEmpty() && QFileInfo::exists(options->output) && !options->overwrite)
        fail(QStringLiteral("\"%1\" already exists; use --overwrite to replace it")
                 .arg(options->output));

    // Without a card every position of the header is read, the card ID is empty and there
    // are no maths channels.
    TKRO_Data data;
    TerminalObserver observer(err);
    LogImport import(data, observer);
    import.setChannelCount(kMaxLogChannels);
    QString cardID;
    if (!options->card.isEmpty()) {
        const CardImportSource card(CardPaths(options->card), data);
        for (const QString &warning : card.warnings())
            observer.showMessage(warning);
        card.configure(import);
        cardID = card.cardID();
    }
    const QString dataFolder = options->data.isEmpty() ? defaultDataFolder() : options->data;
    import.setDataFolder(dataFolder);
    if (!options->output.isEmpty()) {
        const QFileInfo output(options->output);
        import.setPartNames(output.absolutePath(), output.completeBaseName(), options->overwrite);
    }
    TLogFile log;
    try {
        import.importFile(log, options->raw);
    } catch (const std::exception &error) {
        observer.finish();
        if (import.savedParts().isEmpty())
            throw;
        // Parts written before the failure are whole session logs: keep them and say so.
        fail(QStringLiteral("%1 (parts saved before the failure are kept: %2)")
                 .arg(QString::fromUtf8(error.what()),
                     import.savedParts().join(QLatin1String(", "))));
    }
    observer.finish();
    // A failing formula gave 0 in its rows; say once per channel how many there were.
    for (const QString &line : data.FormulaMaths().failureSummary())
        observer.showMessage(line);

    if (import.wasSplit()) {
        for (const QString &part : import.savedParts())
            out << "Saved " << QDir::toNativeSeparators(part) << "\n";
        return 0;
    }
    QString target = options->output;
    RecordTable &table = data.LogDataTable();
    if (target.isEmpty()) {
        target = ImportDestination(dataFolder, cardID).save(table, options->raw);
    } else if (options->overwrite) {
        table.saveToFile(target);
    } else {
        try {
            table.saveToNewFile(target);
        } catch (const FileExistsError &) {
            fail(QStringLiteral("\"%1\" already exists; use --overwrite to replace it")
                     .arg(target));
        }
    }
    out << "Saved " << QDir::toNativeSeparators(target) << "\n";
    return 0;
}

} // namespace zel
