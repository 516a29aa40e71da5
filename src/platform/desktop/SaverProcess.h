#pragma once

#include <optional>
#include <string>

#include <sys/types.h>

namespace qm::desktop {

// The saver the watcher starts: `quilvenmoor /S` from the watcher's own
// folder, followed through a pidfd so that its end wakes the watcher's one
// poll loop and nothing else has to.
class SaverProcess {
public:
    // The saver program beside this one (the folder of /proc/self/exe).
    static std::string program_beside_this_one();

    ~SaverProcess();

    // Starts it. False, with `problem` set, when it cannot be started.
    bool start(std::string const& program, std::string& problem);
    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // Readable once the saver has ended; -1 while none runs.
    int descriptor() const { return m_pidfd; }

    // Collects the ended saver: whether it ended normally (status 0).
    // Nothing while it still runs.
    enum class Ending {
        Normal,
        Failure, // a status other than 0, or a death by a signal
    };
    struct Result {
        Ending ending;
        std::string description; // "status 1", "signal 9"
    };
    std::optional<Result> collect();

    // Asks a running saver to end (SIGTERM), as the watcher ends.
    void terminate();

private:
    pid_t m_pid { -1 };
    int m_pidfd { -1 };
};

}
