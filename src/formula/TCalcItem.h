#pragma once

#include <QString>

#include <vector>

namespace zel {

/// What a formula value holds.
enum TFormulaDataType : unsigned char {
    fdtnumber = 0,
    fdtstring = 1,
    fdtgetvar = 2, ///< a reference to an external variable; `str` is its name
};

/// One formula value: a number or a text (or a reference to a host variable).
struct TCalcItem
{
    double data = 0.0;
    QString str;
    TFormulaDataType typ = fdtnumber;

    /// A number value.
    static TCalcItem number(double x) { return TCalcItem{x, QString(), fdtnumber}; }
    /// A text value.
    static TCalcItem text(const QString &s) { return TCalcItem{0.0, s, fdtstring}; }
};

using TCalcArray = std::vector<TCalcItem>;
using PCalcItem = TCalcItem *;
using PCalcArray = TCalcArray *;

} // namespace zel
