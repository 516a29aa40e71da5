#include "platform/posix/InstanceLock.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm::posix {

InstanceLock::InstanceLock(std::string_view program, std::string const& session_name)
{
    std::string const name = std::string(program) + "-" + std::to_string(getuid()) + "-" + session_name;

    m_socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::size_t const length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length); // sun_path[0] = 0: the abstract namespace
    auto const size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
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
