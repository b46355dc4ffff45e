#include "common/DateTimeValue.h"

#include <cmath>

namespace zel {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

QDateTime dateTimeFromDays(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return {};
    const double whole = std::trunc(days);
    // Round to the millisecond so that a value written from a QDateTime reads back the same.
    qint64 ms = std::llround(std::fabs(days - whole) * kMsPerDay);
    qint64 dayCount = static_cast<qint64>(whole);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ms -= static_cast<qint64>(kMsPerDay);
        dayCount += whole < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(dayCount), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

double daysFromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const qint64 dayCount = kEpoch.daysTo(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / kMsPerDay;
    return dayCount >= 0 ? double(dayCount) + fraction : double(dayCount) - fraction;
}

} // namespace zel
