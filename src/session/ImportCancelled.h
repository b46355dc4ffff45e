#pragma once

#include "common/Error.h"

namespace zel {

/// The user stopped a raw-log import; nothing it wrote is kept.
class ImportCancelled : public Error
{
public:
    using Error::Error;
};

} // namespace zel
