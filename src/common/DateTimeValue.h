#pragma once

#include <QDateTime>

namespace zel {

/// Date-times in the logger's files and in saved tables are doubles counting days since
/// 30 December 1899, the fraction being the time of day. For days before that epoch the
/// fraction still counts forward from midnight (-1.25 is 29 December 1899, 06:00).
/// Values are local times without a zone.
QDateTime dateTimeFromDays(double days);
double daysFromDateTime(const QDateTime &dateTime);

} // namespace zel
