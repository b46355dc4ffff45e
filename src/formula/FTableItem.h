#pragma once

#include "formula/TCalcItem.h"

#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace zel {

class TFormulaCalc;
struct FTableItem;

/// A callable function: reads its arguments from the machine's stack without removing them
/// (the last argument is item 0) and fills the result.
using pformulafunction = std::function<void(TFormulaCalc &Calc, TCalcItem &result)>;
/// What a function of numbers gives: its value, or how it failed. Its caller raises the
/// failure, so that a function failing in many rows of a log costs no exception in each: a
/// value that is not finite fails as the arithmetic operators' results do (NaN: invalid
/// operation, an infinity: overflow), and a zero divisor as "/" fails for one.
struct NumericResult
{
    /// Not explicit: a function gives its value as it is.
    NumericResult(double v)
        : value(v)
    { }
    /// The failure of a division by zero.
    static NumericResult zeroDivisor()
    {
        NumericResult r(std::numeric_limits<double>::quiet_NaN());
        r.dividedByZero = true;
        return r;
    }

    double value;
    bool dividedByZero = false; ///< value is then NaN
};
/// A function of numbers only: argument k is args[k]. It fails by its result, or raises as
/// a pformulafunction does.
using pnumericfunction = NumericResult (*)(const double *args);
/// Most arguments a pnumericfunction takes.
constexpr int kMaxNumericArguments = 4;
using PTableItem = FTableItem *;
using ATableItem = std::vector<std::unique_ptr<FTableItem>>;

/// One callable function, or a module whose members are in `funs`.
struct FTableItem
{
    QString name;       ///< upper-cased
    int paramcount = 0; ///< -1 for any number of arguments
    pformulafunction fun;
    /// Set for a function of paramcount numbers, which fun computes as well: a run of
    /// compiled code calls it directly when every argument is a number.
    pnumericfunction numeric = nullptr;
    bool module = false;
    ATableItem funs;
};

} // namespace zel
