// The saver inside someone else's window, for the screen-saver frameworks of
// X11 desktops: `quilvenmoor-module --root` as they start it,
// `--window-id ID` for any window, or a window of its own to try it out.
#include "platform/x11/EventLoop.h"
#include "platform/x11/ModuleHost.h"
#include "platform/x11/ModuleOptions.h"
#include "platform/posix/Process.h"
#include "start/Saver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <poll.h>
#include <vector>

namespace qm::x11 {

namespace {

constexpr char const* program_name = "quilvenmoor-module";

void report(std::string const& message) { std::fprintf(stderr, "%s: %s\n", program_name, message.c_str()); }

// A framework may take its window away a moment before its SIGTERM arrives
// (a settings dialog closing its preview does). A signal within this grace
// ends the module as quietly as one that came first.
constexpr int signal_grace_milliseconds = 250;

bool signal_follows(posix::TerminationSignals const& signals)
{
    std::int64_t const deadline = posix::monotonic_milliseconds() + signal_grace_milliseconds;
    while (!signals.requested()) {
        std::int64_t const left = deadline - posix::monotonic_milliseconds();
        if (left <= 0)
            return false;
        pollfd descriptor { signals.descriptor(), POLLIN, 0 };
        poll(&descriptor, 1, static_cast<int>(left));
    }
    return true;
}

int run(ModuleOptions const& options, posix::TerminationSignals const& signals)
{
    ModuleHost host(options.target, options.window_id);
    Saver saver(host);
    host.set_now(posix::monotonic_milliseconds());
    saver.start(posix::wall_clock());
    if (saver.running()) {
        EventLoop loop(host, saver, signals);
        if (loop.run() == EventLoop::Outcome::Failed) {
            // What fails around a framework's SIGTERM (its window taken away
            // just before or after it) is no fault of the module's.
            if (signals.requested() || host.closed_by_user())
                return 0;
            if (!host.owns_window() && signal_follows(signals))
                return 0;
            report(loop.failure());
            return 1;
        }
    }
    if (saver.ending() == Saver::Ending::Error) {
        report(report_text(*saver.error()));
        return 1;
    }
    return 0;
}

}

}

int main(int argc, char** argv)
{
    using namespace qm::x11;
    qm::posix::ensure_standard_descriptors();
    qm::posix::TerminationSignals const signals;

    std::vector<std::string_view> const arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    char const* environment_window = std::getenv("XSCREENSAVER_WINDOW");
    ModuleOptions const options = parse_module_options(arguments,
        environment_window ? std::optional<std::string_view>(environment_window) : std::nullopt);
    switch (options.action) {
    case ModuleOptions::Action::Help:
        std::fputs(module_usage(program_name).c_str(), stdout);
        return 0;
    case ModuleOptions::Action::Error:
        std::fprintf(stderr, "%s: %s (try --help)\n", program_name, options.error.c_str());
        return 2;
    case ModuleOptions::Action::Run:
        break;
    }
    try {
        return run(options, signals);
    } catch (DisplayError const& error) {
        report(error.what());
        return 1;
    } catch (TargetError const& error) {
        report(error.what());
        return 1;
    }
}
