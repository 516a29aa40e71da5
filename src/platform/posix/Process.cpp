#include "platform/posix/Process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace qm::posix {

namespace {

// A signal handler can reach nothing but objects of static storage; these are
// written once by the constructor below and only read by the handlers.
int g_signal_pipe[2] = { -1, -1 };
timer_t g_deadline_timer {};
bool g_deadline_timer_ready = false;
volatile sig_atomic_t g_termination_requested = 0;

// How long the clean way out may take before the process ends regardless.
constexpr long deadline_nanoseconds = 60'000'000;

void on_termination(int)
{
    int const saved_errno = errno;
    g_termination_requested = 1;
    char const byte = 1;
    [[maybe_unused]] auto const written = write(g_signal_pipe[1], &byte, 1);
    if (g_deadline_timer_ready) {
        itimerspec deadline {};
        deadline.it_value.tv_nsec = deadline_nanoseconds;
        timer_settime(g_deadline_timer, 0, &deadline, nullptr);
    }
    errno = saved_errno;
}

void on_deadline(int) { _exit(0); }

}

std::int64_t monotonic_milliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

ClockReading wall_clock()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local {};
    localtime_r(&now.tv_sec, &local);
    std::int64_t const milliseconds = ((local.tm_hour * 60 + local.tm_min) * 60 + std::min(local.tm_sec, 59)) * 1000LL + now.tv_nsec / 1'000'000;
    return ClockReading({ local.tm_year + 1900, local.tm_mon + 1, local.tm_mday }, milliseconds);
}

void ensure_standard_descriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        int const opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

int answer_on_standard_output(std::string_view program, std::string_view text)
{
    std::size_t const written = std::fwrite(text.data(), 1, text.size(), stdout);
    int const flushed = std::fflush(stdout);
    if (written == text.size() && flushed == 0 && !std::ferror(stdout))
        return 0;
    int const error = errno;
    std::fprintf(stderr, "%.*s: cannot write to standard output: %s\n", static_cast<int>(program.size()), program.data(), std::strerror(error));
    return 1;
}

TerminationSignals::TerminationSignals()
{
    if (pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_signal_pipe[0] = g_signal_pipe[1] = -1;

    struct sigaction deadline {};
    deadline.sa_handler = on_deadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
    sigevent event {};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    g_deadline_timer_ready = timer_create(CLOCK_MONOTONIC, &event, &g_deadline_timer) == 0;

    struct sigaction termination {};
    termination.sa_handler = on_termination;
    sigemptyset(&termination.sa_mask);
    termination.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal, &termination, nullptr);
    // A signal blocked by whoever started us would never arrive.
    sigset_t set;
    sigemptyset(&set);
    for (int signal : { SIGTERM, SIGINT, SIGHUP, SIGALRM })
        sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal, &fallback, nullptr);
    if (g_deadline_timer_ready) {
        timer_delete(g_deadline_timer);
        g_deadline_timer_ready = false;
    }
    for (int& end : g_signal_pipe) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

int TerminationSignals::descriptor() const { return g_signal_pipe[0]; }

bool TerminationSignals::requested() const { return g_termination_requested != 0; }

}
