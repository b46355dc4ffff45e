#pragma once

#include "common/Error.h"

namespace zel {

/// A card table (settings, translations, maths, line file) that cannot be opened, read or
/// written, in which case the message names the file, or a change the table refuses (a
/// 129th maths channel, a formula too long for its record), in which case it names the entry.
class LoggerTableError : public Error
{
public:
    using Error::Error;
};

} // namespace zel
