#include "platform/x11/X11HostBase.h"

namespace qm::x11 {

X11HostBase::~X11HostBase() = default;

Connection& X11HostBase::connection() const
{
    if (!m_connection)
        m_connection = std::make_unique<Connection>();
    return *m_connection;
}

}
