#pragma once

#include <string>

namespace qm::x11 {

// Claims the name of this program for one user on one display. The claim is
// an abstract-namespace socket, so the kernel drops it the moment the process
// ends, however it ends: no stale lock survives a crash or kill -9.
class InstanceLock {
public:
    explicit InstanceLock(std::string const& display_name);
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
