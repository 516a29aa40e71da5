#include "platform/desktop/SaverProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm::desktop {

std::string SaverProcess::program_beside_this_one()
{
    char path[4096];
    ssize_t const length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "quilvenmoor";
    std::string folder(path, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    return folder + "quilvenmoor";
}

SaverProcess::~SaverProcess()
{
    if (m_pidfd >= 0)
        close(m_pidfd);
}

bool SaverProcess::start(std::string const& program, std::string& problem)
{
    // The saver starts with the signals as a fresh process has them, not
    // with whatever this one blocks or ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* arguments[] = { const_cast<char*>(program.c_str()), const_cast<char*>("/S"), nullptr };
    pid_t pid = -1;
    int const result = posix_spawn(&pid, program.c_str(), nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        problem = "cannot start " + program + ": " + std::strerror(result);
        return false;
    }
    m_pid = pid;
    m_pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (m_pidfd < 0) {
        problem = std::string("cannot follow the saver (pidfd_open: ") + std::strerror(errno) + ")";
        terminate();
        waitpid(pid, nullptr, 0);
        m_pid = -1;
        return false;
    }
    return true;
}

std::optional<SaverProcess::Result> SaverProcess::collect()
{
    if (m_pid <= 0)
        return std::nullopt;
    int status = 0;
    pid_t const reaped = waitpid(m_pid, &status, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR))
        return std::nullopt;
    m_pid = -1;
    close(m_pidfd);
    m_pidfd = -1;
    if (reaped < 0)
        return Result { Ending::Failure, "lost" };
    if (WIFEXITED(status))
        return Result { WEXITSTATUS(status) == 0 ? Ending::Normal : Ending::Failure, "status " + std::to_string(WEXITSTATUS(status)) };
    return Result { Ending::Failure, "signal " + std::to_string(WTERMSIG(status)) };
}

void SaverProcess::terminate()
{
    if (m_pid > 0)
        kill(m_pid, SIGTERM);
}

}
