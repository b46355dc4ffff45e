#include "common/Error.h"

namespace zel {

Error::Error(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

} // namespace zel
