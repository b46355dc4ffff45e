// Any path file must give an edge of its own points, closed, in millionths of a degree, or
// stop with the conversion error and keep the points read before it.

#include "FuzzInputFile.h"
#include "formula/FormulaException.h"
#include "session/RecordTable.h"
#include "track/MapEdgeImport.h"
#include "track/MapTable.h"

#include <cmath>

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeFuzzInput(QStringLiteral("path.kml"), data, size);
    RecordTable map;
    defineMapTable(map);
    int points = -1;
    bool stopped = false;
    try {
        points = importPathEdge(map, path, TrackSide::Inside).points;
    } catch (const FormulaException &error) {
        if (error.kind() != FormulaException::Kind::Conversion)
            __builtin_trap();
        stopped = true;
    }
    const int rows = map.isOpen() ? map.recordCount() : 0;
    if (!stopped && rows != (points > 0 ? points + 1 : 0))
        __builtin_trap();
    const int longitude = map.columnIndex(MapColumn::InsideLong);
    const int latitude = map.columnIndex(MapColumn::InsideLat);
    for (int position = 0; position < rows; ++position) {
        const int row = map.viewRow(position);
        if (!std::isfinite(map.numberAt(longitude, row))
            || !std::isfinite(map.numberAt(latitude, row)))
            __builtin_trap();
    }
    if (!stopped && rows > 0
        && (map.numberAt(longitude, map.viewRow(0))
                != map.numberAt(longitude, map.viewRow(rows - 1))
            || map.numberAt(latitude, map.viewRow(0))
                != map.numberAt(latitude, map.viewRow(rows - 1))))
        __builtin_trap();
    return 0;
}
