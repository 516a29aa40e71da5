#include "platform/desktop/WatcherControl.h"

#include "platform/desktop/FrontEndChoice.h"
#include "platform/posix/InstanceLock.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm::desktop {

namespace {

// How long a request or an answer may take to arrive, in milliseconds: a
// caller that connects and says nothing must not stall the watcher.
constexpr int exchange_limit = 1000;

bool readable_within(int descriptor, int milliseconds)
{
    pollfd entry { descriptor, POLLIN, 0 };
    int result;
    do
        result = poll(&entry, 1, milliseconds);
    while (result < 0 && errno == EINTR);
    return result > 0;
}

bool write_all(int descriptor, std::string const& text)
{
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t const result = send(descriptor, text.data() + written, text.size() - written, MSG_NOSIGNAL);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return false;
        written += static_cast<std::size_t>(result);
    }
    return true;
}

}

std::string WatcherControl::address_name(std::string const& session)
{
    // Named as posix::InstanceLock names its claims, with the watcher's own
    // program name, so the watcher and the saver never share one.
    return posix::instance_name("quilvenmoor-idle", session);
}

bool in_wayland_session()
{
    char const* wayland_display = std::getenv("WAYLAND_DISPLAY");
    std::string const socket = wayland_socket_path(wayland_display, std::getenv("XDG_RUNTIME_DIR"));
    struct stat status {};
    return (wayland_display && *wayland_display) || (!socket.empty() && stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode));
}

std::string watcher_session_name()
{
    // The session as the saver names it for its own one-copy lock.
    char const* x_display = std::getenv("DISPLAY");
    std::string const socket = wayland_socket_path(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"));
    return session_name(in_wayland_session() ? socket : std::string(), x_display ? x_display : "");
}

WatcherControl::WatcherControl(std::string const& session)
{
    m_socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0)
        return;
    sockaddr_un address;
    socklen_t const size = posix::abstract_socket_address(address_name(session), address);
    if (bind(m_socket, reinterpret_cast<sockaddr const*>(&address), size) != 0 || listen(m_socket, 4) != 0) {
        m_another_runs = errno == EADDRINUSE;
        close(m_socket);
        m_socket = -1;
    }
}

WatcherControl::~WatcherControl()
{
    if (m_socket >= 0)
        close(m_socket);
}

std::optional<WatcherControl::Request> WatcherControl::accept_request()
{
    int const connection = accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
        return std::nullopt;
    // Abstract sockets are open to every user of the machine: answer only our own.
    ucred credentials {};
    socklen_t length = sizeof credentials;
    if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || credentials.uid != getuid()) {
        close(connection);
        return std::nullopt;
    }
    std::string command;
    char buffer[64];
    while (command.size() < 64 && command.find('\n') == std::string::npos && readable_within(connection, exchange_limit)) {
        ssize_t const count = recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count <= 0)
            break;
        command.append(buffer, static_cast<std::size_t>(count));
    }
    if (auto const end = command.find('\n'); end != std::string::npos)
        command.erase(end);
    else {
        close(connection);
        return std::nullopt;
    }
    return Request { command, connection };
}

void WatcherControl::answer(Request const& request, std::string const& text)
{
    write_all(request.connection, text);
    close(request.connection);
}

std::optional<std::string> WatcherControl::ask(std::string const& session, std::string const& command)
{
    int const connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0)
        return std::nullopt;
    sockaddr_un address;
    socklen_t const size = posix::abstract_socket_address(address_name(session), address);
    std::optional<std::string> reply;
    if (connect(connection, reinterpret_cast<sockaddr const*>(&address), size) == 0 && write_all(connection, command + "\n")) {
        std::string text;
        char buffer[4096];
        bool complete = false;
        while (readable_within(connection, exchange_limit)) {
            ssize_t const count = recv(connection, buffer, sizeof buffer, 0);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                complete = count == 0;
                break;
            }
            text.append(buffer, static_cast<std::size_t>(count));
        }
        if (complete)
            reply = text;
    }
    close(connection);
    return reply;
}

}
