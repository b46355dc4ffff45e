#pragma once

#include <stdexcept>

namespace zel {

/// A raw log that cannot be opened, read or written; the message names the file.
class LogFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace zel
