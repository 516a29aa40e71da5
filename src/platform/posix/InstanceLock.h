#pragma once

#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>

namespace qm::posix {

// The name under which `program` claims a session for one user.
std::string instance_name(std::string_view program, std::string const& session_name);

// Fills `address` with `name` in the abstract namespace and returns the
// address's length for bind and connect.
socklen_t abstract_socket_address(std::string const& name, sockaddr_un& address);

// Claims a program's name for one user in one desktop session (see
// desktop::session_name), so that one copy runs per session whichever front
// end runs it. The claim is an abstract-namespace socket, so the kernel drops
// it the moment the process ends, however it ends: no stale lock survives a
// crash or kill -9.
class InstanceLock {
public:
    InstanceLock(std::string_view program, std::string const& session_name);
    ~InstanceLock();

    InstanceLock(InstanceLock const&) = delete;
    InstanceLock& operator=(InstanceLock const&) = delete;

    // Whether another process held the claim when this one tried to take it.
    bool another_runs() const { return m_another_runs; }

private:
    int m_socket { -1 };
    bool m_another_runs { false };
};

}
