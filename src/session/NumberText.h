#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace zel {

/// Parses a number written in the C locale or in the user's locale (QLocale(), the system
/// locale unless the program set another);
/// surrounding spaces are ignored and group separators are refused.
std::optional<double> numberFromText(QStringView text);

/// The shortest text (C locale) that reads back as exactly \a value.
QString textFromNumber(double value);

} // namespace zel
