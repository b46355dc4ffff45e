// Any file content must open cleanly or be refused with LogFileError, and a walk must end
// within the number of whole records the file holds.

#include "FuzzInputFile.h"

#include "logger/TLogFile.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString file = writeFuzzInput(QStringLiteral("fuzz.Dsh"), data, size);

    TLogFile reader;
    reader.setLogFileName(file);
    std::size_t records = 0;
    QObject::connect(&reader, &TLogFile::AfterReadLogRecord, [&] { ++records; });
    try {
        reader.OpenLogFile();
        const std::size_t wholeRecords = (size - sizeof(TDataDictionary))
            / reader.header().LogRecordLength;
        reader.First();
        while (!reader.EOL())
            reader.ReadLogRecord();
        if (records > wholeRecords)
            __builtin_trap();
        reader.Last();
        reader.CloseLogFile();
    } catch (const LogFileError &) {
        if (reader.active())
            __builtin_trap();
    }
    return 0;
}
