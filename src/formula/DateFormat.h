#pragma once

#include <QLocale>
#include <QString>

namespace zel {

class FormulaBudget;

/// Date-time <-> text conversions of the formula language (date-times count days since
/// 30 December 1899).
class DateFormat
{
public:
    /// FORMATDATE: the date-time formatted with a date picture ("dd/mm/yyyy hh:nn:ss",
    /// "dddd", "c", "t", quoted literals...). A value that is no date raises the
    /// conversion error. The work, charged to budget, is linear in the picture's length and
    /// the result's; a result longer than a formula text may be raises "Text too long".
    static QString picture(
        const QString &picture, double days, const QLocale &locale, FormulaBudget &budget);

    /// DATE: reads a date, a date and time, or a time in the locale's formats (ISO 8601
    /// is accepted too); false when the text is none of these.
    static bool parse(const QString &text, const QLocale &locale, double &days);
};

} // namespace zel
