// Loads arbitrary bytes as a saved record table: every outcome must be a table or a
// RecordTableError, never a crash, leak or out-of-bounds access.
#include "session/RecordTable.h"

#include <QTemporaryFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryFile file;
    if (!file.open())
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    zel::RecordTable table;
    try {
        table.loadFromFile(file.fileName());
        for (table.First(); !table.eof(); table.Next()) {
            for (int column = 0; column < table.columnCount(); ++column)
                (void)table.field(column).asText();
        }
    } catch (const zel::RecordTableError &) { }
    return 0;
}
