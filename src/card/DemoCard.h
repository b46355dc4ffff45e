#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zel {

/// Writes a demo card: an initialised "Data" folder (a pro circuit dash with the maker's
/// motorsport ECU, 47 channels, card ID "DEMO") and a few raw logs in "Logs", each a run of
/// several laps of a synthetic circuit with GPS, lap and sector markers and times, speed,
/// RPM, throttle and g-forces. The same seed always gives the same bytes.
///
/// Writing the settings sets the shared LoggerChannelCount to the card's 47 channels, as
/// loading them would.
class DemoCard
{
public:
    /// The card ID written into the demo settings.
    static constexpr const char *kCardID = "DEMO";
    /// Number of raw logs written.
    static constexpr int kLogCount = 3;

    /// A demo card whose small variations come from \a seed.
    explicit DemoCard(std::uint32_t seed = 20240615u);

    /// Writes the card under \a root (created when missing) and returns the raw log paths.
    /// Existing files of the same names are replaced; failures throw with the file's name.
    QStringList write(const QString &root) const;

private:
    std::uint32_t m_seed;
};

} // namespace zel
