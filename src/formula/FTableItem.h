#pragma once

#include "formula/TCalcItem.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace zel {

class TFormulaCalc;
struct FTableItem;

/// A callable function: reads its arguments from the machine's stack without removing them
/// (the last argument is item 0) and fills the result.
using pformulafunction = std::function<void(TFormulaCalc &Calc, TCalcItem &result)>;
/// A function of numbers only: argument k is args[k]. It gives the result or raises as a
/// pformulafunction does.
using pnumericfunction = double (*)(const double *args);
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
