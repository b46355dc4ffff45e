#pragma once

#include <QStringList>

namespace zel {

/// The dash's own channel names for a dash feature code, in channel-number order; empty
/// for a code that has no list.
QStringList dashChannelList(int feature);

/// The ECU channel names for an (ECU make, model, feature) code triple; empty for a
/// combination that has no list.
QStringList ecuChannelList(int ecuMake, int ecuModel, int ecuFeature);

/// The logger's channel list for a configured dash and ECU: the dash's channels, then the
/// ECU's. A name's position is its logger channel number.
QStringList loggerChannelList(int feature, int ecuMake, int ecuModel, int ecuFeature);

} // namespace zel
