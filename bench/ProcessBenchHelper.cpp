// The processes bench_processes compares the program with:
//   copy IN BYTES OUT   the yardstick of a save: read IN whole, write BYTES bytes to a
//                       temporary beside OUT, sync it, rename it over OUT, sync the folder
//   read FILE           the yardstick of an open: read FILE whole
//   rawlog RECORDS FILE writes the benchmarks' raw log of RECORDS records as FILE
//   maths FILE          writes a maths table "Maths.prm" with the benchmarks' maths channels
//   failing-maths FILE  writes one with maths channels that fail in every row
//   open FILE           what the main window does to open a session: load the saved table
//                       and build the session from it (TKROData::OpenLogTable)
#include "ImportBenchFixture.h"
#include "session/ChannelGrid.h"
#include "session/LapPages.h"
#include "session/ProgressModel.h"
#include "session/RecordTable.h"
#include "session/TKROData.h"
#include "session/TimingTree.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kChunk = 1 << 20;

// Reads the whole file through one buffer, as a reader that keeps nothing would.
bool readWhole(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<char> buffer(kChunk);
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) { }
    ::close(fd);
    return n == 0;
}

bool copy(const char *in, long long bytes, const QString &out)
{
    if (!readWhole(in))
        return false;
    const QByteArray target = QFile::encodeName(out);
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::vector<char> chunk(kChunk, 'x');
    for (long long left = bytes; left > 0;) {
        const ssize_t n = ::write(fd, chunk.data(), size_t(std::min<long long>(left, kChunk)));
        if (n <= 0)
            return false;
        left -= n;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        return false;
    if (::rename(temporary.constData(), target.constData()) != 0)
        return false;
    const int folder = ::open(QFile::encodeName(QFileInfo(out).absolutePath()).constData(),
        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
    return true;
}

bool writeMaths(const QString &file, void (*add)(zel::TMathsChannels &))
{
    zel::TMathsChannels maths;
    maths.setMathsFileName(file);
    maths.CreateMathsTables();
    add(maths);
    maths.CloseMathsTables();
    return QFileInfo(file).size() > 0;
}

bool openSession(const QString &file)
{
    zel::RecordTable ex;
    ex.loadFromFile(file);
    zel::ChannelGrid grid;
    zel::LapPages pages;
    zel::TimingTree tree;
    zel::ProgressModel progress;
    zel::TKROData log;
    log.setExLogData(&ex);
    log.setStringGrid(&grid);
    log.setPageControl(&pages);
    log.setTimeDataView(&tree);
    log.setLogProgress(&progress);
    log.OpenLogTable(file);
    return log.LogData().recordCount() > 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool ok = false;
    if (args.size() == 4 && args[0] == QLatin1String("copy"))
        ok = copy(argv[2], args[2].toLongLong(), args[3]);
    else if (args.size() == 2 && args[0] == QLatin1String("read"))
        ok = readWhole(argv[2]);
    else if (args.size() == 3 && args[0] == QLatin1String("rawlog"))
        ok = !zel::bench::writeSessionRawLog(
            QFileInfo(args[2]).absolutePath(), args[1].toInt(), QFileInfo(args[2]).fileName())
                  .isEmpty();
    else if (args.size() == 2 && args[0] == QLatin1String("maths"))
        ok = writeMaths(args[1], zel::bench::addMathsChannels);
    else if (args.size() == 2 && args[0] == QLatin1String("failing-maths"))
        ok = writeMaths(args[1], zel::bench::addFailingMathsChannels);
    else if (args.size() == 2 && args[0] == QLatin1String("open"))
        ok = openSession(args[1]);
    if (!ok)
        std::fprintf(stderr, "bench_process_helper: failed\n");
    return ok ? 0 : 1;
}
