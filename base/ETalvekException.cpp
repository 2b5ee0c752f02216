#include "base/ETalvekException.h"

#include <utility>

ETalvekException::ETalvekException(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8())
{
}
