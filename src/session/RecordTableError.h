#pragma once

#include "common/Error.h"

namespace zel {

/// Error raised by the record table facility; the message names the column, filter or file.
class RecordTableError : public Error
{
public:
    using Error::Error;
};

} // namespace zel
