#pragma once

#include "common/Error.h"

namespace zel {

/// Error raised by the track map functions: a file that is not a track map, a map that
/// cannot be saved, a line file without a free record.
class TrackMapError : public Error
{
public:
    using Error::Error;
};

} // namespace zel
