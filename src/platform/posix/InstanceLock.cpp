#include "platform/posix/InstanceLock.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <unistd.h>

namespace qm::posix {

std::string instance_name(std::string_view program, std::string const& session_name)
{
    return std::string(program) + "-" + std::to_string(getuid()) + "-" + session_name;
}

socklen_t abstract_socket_address(std::string const& name, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    std::size_t const length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length); // sun_path[0] = 0: the abstract namespace
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

InstanceLock::InstanceLock(std::string_view program, std::string const& session_name)
{
    m_socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    sockaddr_un address;
    socklen_t const size = abstract_socket_address(instance_name(program, session_name), address);
    if (bind(m_socket, reinterpret_cast<sockaddr const*>(&address), size) != 0) {
        m_another_runs = errno == EADDRINUSE;
        close(m_socket);
        m_socket = -1;
    }
}

InstanceLock::~InstanceLock()
{
    if (m_socket >= 0)
        close(m_socket);
}

}
