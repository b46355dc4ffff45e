#pragma once

namespace zel {

/// The last compile error of a formula component.
enum TFormulaError {
    ER_Ok = 0,
    ER_ILLEGAL = 1,
    ER_UNKNOWN = 2,
    ER_RIGHT = 3,
    ER_LEFT = 4,
    ER_SYNTAX = 5,
    ER_VARS = 6,
    ER_NOTENOUGH = 7,
    ER_IDENT = 8,
};

} // namespace zel
