#pragma once

#include <QString>
#include <QStringList>

namespace zel {

/// Writes the demo circuit's track files into \a folder (created when missing), so a
/// newcomer can open a map with lines on it at once: path files of its inside and outside
/// edges as a mapping application writes them ("Demo Circuit inside.txt", "Demo Circuit
/// outside.txt"), the map built from them ("Demo Circuit.map") and a sector file with the
/// start/finish line and two sector lines where the demo logs mark them
/// ("Demo Circuit.Prc"). Returns the paths written; failures throw with the file's name.
QStringList writeDemoTrack(const QString &folder);

} // namespace zel
