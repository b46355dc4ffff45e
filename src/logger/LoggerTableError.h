#pragma once

#include <stdexcept>

namespace zel {

/// A card table (settings, translations, line file) that cannot be opened, read or written;
/// the message names the file.
class LoggerTableError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace zel
