#pragma once

#include "common/Error.h"

namespace zel {

/// A raw log that cannot be opened, read or written; the message names the file.
class LogFileError : public Error
{
public:
    using Error::Error;
};

} // namespace zel
