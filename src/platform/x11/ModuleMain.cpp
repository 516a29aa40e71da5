// The saver inside someone else's window, for the screen-saver frameworks of
// X11 desktops: `quilvenmoor-module --root` as they start it,
// `--window-id ID` for any window, or a window of its own to try it out.
#include "platform/x11/EventLoop.h"
#include "platform/x11/ModuleHost.h"
#include "platform/x11/ModuleOptions.h"
#include "platform/x11/Process.h"
#include "start/Saver.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qm::x11 {

namespace {

constexpr char const* program_name = "quilvenmoor-module";

void report(std::string const& message) { std::fprintf(stderr, "%s: %s\n", program_name, message.c_str()); }

int run(ModuleOptions const& options, TerminationSignals const& signals)
{
    ModuleHost host(options.target, options.window_id);
    Saver saver(host);
    host.set_now(monotonic_milliseconds());
    saver.start(wall_clock());
    if (saver.running()) {
        EventLoop loop(host, saver, signals);
        if (loop.run() == EventLoop::Outcome::Failed) {
            // A framework sends SIGTERM and then takes its window away; what
            // fails after the signal is no fault of the module's.
            if (signals.requested() || host.closed_by_user())
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
    ensure_standard_descriptors();
    TerminationSignals const signals;

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
