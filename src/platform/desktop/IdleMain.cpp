// `quilvenmoor-idle`: starts the saver when the session has been idle, and
// steps aside for whatever holds the screen awake.
#include "platform/desktop/SaverProcess.h"
#include "platform/desktop/SessionBus.h"
#include "platform/desktop/WatcherControl.h"
#include "platform/desktop/idle/IdleOptions.h"
#include "platform/desktop/idle/IdleWatch.h"
#include "platform/desktop/idle/InhibitorBook.h"
#include "platform/desktop/idle/SourceChoice.h"
#include "platform/x11/IdleSource.h"
#include "platform/posix/Process.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace qm;
using idle::IdleOptions;
using idle::IdleWatch;

constexpr char const* program_name = "quilvenmoor-idle";

void say_error(std::string const& text) { std::fprintf(stderr, "%s: %s\n", program_name, text.c_str()); }

// Every answer on standard output: one that cannot be written (a full disk,
// a closed pipe) ends with status 1 and a message, never as a success.
int print_checked(std::string const& text) { return posix::answer_on_standard_output(program_name, text); }

std::string this_program()
{
    std::error_code error;
    auto const path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(program_name) : path.string();
}

std::string entry_path() { return idle::autostart_path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

// The running watcher, as one poll loop over the idle source, the buses, the
// saver, its door and the termination signals. Nothing wakes it but them,
// and the end of a quiet wait that the rules ask for.
class Watcher final : public desktop::BusListener {
public:
    Watcher(double minutes, std::unique_ptr<x11::IdleSource> source, posix::TerminationSignals const& signals, desktop::WatcherControl& control)
        : m_minutes(minutes)
        , m_source(std::move(source))
        , m_signals(signals)
        , m_control(control)
        , m_watch(idle::minutes_to_milliseconds(minutes), posix::monotonic_milliseconds())
    {
        std::string problem;
        m_bus = desktop::SessionBus::open(m_book, *this, problem);
        if (!m_bus)
            m_bus_problem = problem;
        if (m_source->idle_now())
            m_watch.user_idle(posix::monotonic_milliseconds());
        refresh_holds();
    }

    int run();

    void inhibitors_changed() override { refresh_holds(); }
    void activity_simulated() override { m_watch.simulate_activity(posix::monotonic_milliseconds()); }
    bool saver_active() const override { return m_saver.running(); }
    void locked_changed() override { refresh_holds(); }

private:
    void refresh_holds()
    {
        std::int64_t const now = posix::monotonic_milliseconds();
        m_watch.set_inhibited(!m_book.empty() || (m_bus && m_bus->desktop_inhibited()), now);
        m_watch.set_locked(m_bus && m_bus->locked(), now);
    }
    void start_saver(std::int64_t now);
    void saver_ended();
    void answer_requests();
    std::string status_text();
    int end(int status);

    double m_minutes;
    std::unique_ptr<x11::IdleSource> m_source;
    posix::TerminationSignals const& m_signals;
    desktop::WatcherControl& m_control;
    idle::InhibitorBook m_book;
    std::unique_ptr<desktop::SessionBus> m_bus;
    std::string m_bus_problem;
    IdleWatch m_watch;
    desktop::SaverProcess m_saver;
    bool m_quit_requested { false };
};

void Watcher::start_saver(std::int64_t now)
{
    std::string problem;
    m_watch.saver_started();
    if (!m_saver.start(desktop::SaverProcess::program_beside_this_one(), problem)) {
        say_error(problem);
        m_watch.saver_ended(IdleWatch::Ending::Failure, now);
        return;
    }
    if (m_bus)
        m_bus->announce_active(true);
}

void Watcher::saver_ended()
{
    auto const result = m_saver.collect();
    if (!result)
        return;
    bool const failed = result->ending == desktop::SaverProcess::Ending::Failure;
    if (failed)
        say_error("the saver ended with " + result->description + "; it runs again after the next input");
    m_watch.saver_ended(failed ? IdleWatch::Ending::Failure : IdleWatch::Ending::Normal, posix::monotonic_milliseconds());
    if (m_bus)
        m_bus->announce_active(false);
}

std::string Watcher::status_text()
{
    std::string text = "running: yes (pid " + std::to_string(getpid()) + ")\n";
    text += "minutes: " + idle::minutes_text(m_minutes) + "\n";
    text += std::string("idle source: ") + idle::idle_source_name(idle::IdleSourceKind::XServer) + "\n";
    text += std::string("state: ") + idle::state_name(m_watch.state()) + (m_watch.idle() ? ", user idle" : ", user active") + "\n";
    text += "inhibitors held now: " + std::to_string(m_book.inhibitors().size()) + "\n";
    for (auto const& inhibitor : m_book.inhibitors())
        text += "  " + inhibitor.application + " (" + inhibitor.caller + ", cookie " + std::to_string(inhibitor.cookie) + "): " + inhibitor.reason + "\n";
    if (m_bus)
        text += m_bus->describe();
    else
        text += "D-Bus: " + m_bus_problem + "; Inhibit calls cannot reach the watcher\n";
    return text;
}

void Watcher::answer_requests()
{
    auto request = m_control.accept_request();
    if (!request)
        return;
    if (request->command == "status") {
        desktop::WatcherControl::answer(*request, status_text());
    } else if (request->command == "quit") {
        desktop::WatcherControl::answer(*request, "ending\n");
        m_quit_requested = true;
    } else {
        desktop::WatcherControl::answer(*request, "unknown request\n");
    }
}

int Watcher::end(int status)
{
    m_saver.terminate();
    return status;
}

int Watcher::run()
{
    for (;;) {
        std::int64_t now = posix::monotonic_milliseconds();
        if (m_watch.should_start(now))
            start_saver(now);
        if (m_watch.state() == IdleWatch::State::Stopped) {
            say_error("the saver failed " + std::to_string(IdleWatch::failures_to_stop) + " times in a row; the watcher stops");
            return end(1);
        }

        std::vector<pollfd> descriptors {
            { m_signals.descriptor(), POLLIN, 0 },
            { m_source->descriptor(), POLLIN, 0 },
            { m_control.descriptor(), POLLIN, 0 },
            { m_saver.descriptor(), POLLIN, 0 },
        };
        if (m_bus) {
            auto const more = m_bus->descriptors();
            descriptors.insert(descriptors.end(), more.begin(), more.end());
        }

        std::optional<std::int64_t> const due = m_watch.deadline();
        int timeout = -1;
        if (due)
            timeout = static_cast<int>(std::clamp<std::int64_t>(*due - now, 0, 3'600'000));
        if (m_bus) {
            if (auto const bus_due = m_bus->deadline_microseconds()) {
                timespec clock {};
                clock_gettime(CLOCK_MONOTONIC, &clock);
                std::uint64_t const now_microseconds = static_cast<std::uint64_t>(clock.tv_sec) * 1'000'000 + static_cast<std::uint64_t>(clock.tv_nsec) / 1000;
                int const bus_timeout = *bus_due <= now_microseconds ? 0 : static_cast<int>(std::min<std::uint64_t>((*bus_due - now_microseconds + 999) / 1000, 3'600'000));
                if (timeout < 0 || bus_timeout < timeout)
                    timeout = bus_timeout;
            }
        }
        // Reading the X connection may already have queued events that
        // no poll would report.
        if (m_source->has_queued_events())
            timeout = 0;
        if (poll(descriptors.data(), descriptors.size(), timeout) < 0 && errno != EINTR) {
            say_error(std::string("poll: ") + std::strerror(errno));
            return end(1);
        }
        if (m_signals.requested())
            return end(0);
        now = posix::monotonic_milliseconds();
        if (descriptors[1].revents || m_source->has_queued_events()) {
            for (auto event : m_source->dispatch()) {
                switch (event) {
                case x11::IdleSource::Event::Idle:
                    m_watch.user_idle(now);
                    break;
                case x11::IdleSource::Event::Active:
                    m_watch.user_active(now);
                    break;
                case x11::IdleSource::Event::Gone:
                    say_error("the X display has gone; the watcher ends");
                    return end(0);
                }
            }
        }
        if (descriptors[3].revents)
            saver_ended();
        if (m_bus && !m_bus->process()) {
            say_error("the session bus has gone; the watcher ends");
            return end(0);
        }
        if (descriptors[2].revents)
            answer_requests();
        if (m_quit_requested)
            return end(0);
    }
}

int watch(IdleOptions const& options)
{
    posix::TerminationSignals const signals;
    desktop::WatcherControl control(desktop::watcher_session_name());
    if (control.another_runs()) {
        std::printf("%s: a watcher already runs in this session\n", program_name);
        return 0;
    }
    if (!control.held()) {
        say_error(std::string("cannot open the watcher's socket: ") + std::strerror(errno));
        return 1;
    }
    idle::SessionOffer offer;
    offer.wayland_session = desktop::in_wayland_session();
    if (offer.wayland_session) {
        // Xwayland's idle time misses every native client's input: the X
        // server is no source here, and the compositor's are not read yet.
        say_error("no idle source: in a Wayland session only the compositor sees all input, and this watcher does not read ext-idle-notify-v1, org_kde_kwin_idle or org.gnome.Mutter.IdleMonitor yet (see docs/wayland.md for swayidle)");
        return 1;
    }
    std::string problem;
    bool reached = false;
    auto source = x11::IdleSource::open(idle::minutes_to_milliseconds(options.minutes), problem, reached);
    offer.x_display = reached;
    offer.x_idle_counter = source != nullptr;
    if (!idle::choose_idle_source(offer)) {
        say_error(idle::no_idle_source_message(offer) + (problem.empty() ? "" : " (" + problem + ")"));
        return 1;
    }
    // The saver must not inherit the watcher's connection to the display.
    fcntl(source->descriptor(), F_SETFD, FD_CLOEXEC);
    Watcher watcher(options.minutes, std::move(source), signals, control);
    return watcher.run();
}

std::optional<std::string> read_file(std::string const& path)
{
    std::ifstream file(path);
    if (!file)
        return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

int show_status()
{
    std::string const path = entry_path();
    std::string text;
    auto const entry = path.empty() ? std::nullopt : read_file(path);
    if (entry) {
        auto const minutes = idle::autostart_minutes(*entry);
        text += "enabled: yes (" + path + (minutes ? ", " + idle::minutes_text(*minutes) + " minutes" : "") + ")\n";
    } else {
        text += "enabled: no\n";
    }
    if (auto const answer = desktop::WatcherControl::ask(desktop::watcher_session_name(), "status"))
        text += *answer;
    else
        text += "running: no\n";
    return print_checked(text);
}

// Waits up to about three seconds for a watcher to answer (or, with
// `present` false, to stop answering).
bool watcher_answers_within(bool present)
{
    for (int attempt = 0; attempt < 60; ++attempt) {
        if (desktop::WatcherControl::ask(desktop::watcher_session_name(), "status").has_value() == present)
            return true;
        usleep(50'000);
    }
    return false;
}

bool stop_running_watcher()
{
    if (!desktop::WatcherControl::ask(desktop::watcher_session_name(), "quit"))
        return false;
    if (!watcher_answers_within(false))
        say_error("the running watcher did not end");
    return true;
}

// Starts a watcher that belongs to no terminal and outlives this process.
void start_detached(double minutes)
{
    std::string const program = this_program();
    std::string const wait = idle::minutes_text(minutes);
    pid_t const child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        setsid();
        if (fork() != 0)
            _exit(0);
        int const null = open("/dev/null", O_RDWR);
        for (int descriptor = 0; descriptor <= 2; ++descriptor)
            dup2(null, descriptor);
        if (null > 2)
            close(null);
        execl(program.c_str(), program.c_str(), "--minutes", wait.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    waitpid(child, nullptr, 0);
}

int enable(IdleOptions const& options)
{
    std::string const path = entry_path();
    if (path.empty()) {
        say_error("neither XDG_CONFIG_HOME nor HOME names a folder for the autostart entry");
        return 1;
    }
    auto const entry = idle::autostart_entry(this_program(), options.minutes);
    if (!entry) {
        say_error("the program's path holds a character an autostart entry cannot carry");
        return 1;
    }
    std::error_code error;
    std::filesystem::path const file(path);
    std::filesystem::create_directories(file.parent_path(), error);
    std::string const temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << *entry;
        out.flush();
        if (!out || error) {
            say_error("cannot write " + path + (error ? ": " + error.message() : ""));
            std::filesystem::remove(temporary, error);
            return 1;
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        say_error("cannot write " + path + ": " + error.message());
        return 1;
    }
    // A watcher already running may wait another number of minutes: the
    // new one replaces it.
    stop_running_watcher();
    start_detached(options.minutes);
    if (!watcher_answers_within(true)) {
        say_error("enabled in " + path + ", but the watcher did not start now; run " + program_name + " in a terminal to see why");
        return 1;
    }
    return print_checked("enabled: " + path + "\nrunning: yes, " + idle::minutes_text(options.minutes) + " minutes\n");
}

int disable()
{
    std::string const path = entry_path();
    std::error_code error;
    bool const removed = !path.empty() && std::filesystem::remove(path, error);
    if (error) {
        say_error("cannot remove " + path + ": " + error.message());
        return 1;
    }
    bool const stopped = stop_running_watcher();
    std::string text = removed ? "disabled: removed " + path + "\n" : "disabled: there was no autostart entry\n";
    text += stopped ? "running: ended the running watcher\n" : "running: no\n";
    return print_checked(text);
}

}

int main(int argc, char** argv)
{
    posix::ensure_standard_descriptors();
    std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    IdleOptions const options = idle::parse_idle_options(arguments);
    switch (options.action) {
    case IdleOptions::Action::Help:
        return print_checked(idle::idle_usage());
    case IdleOptions::Action::Version:
        return print_checked(std::string(program_name) + " " QUILVENMOOR_VERSION "\n");
    case IdleOptions::Action::Error:
        say_error(options.error);
        std::fprintf(stderr, "Try '%s --help'.\n", program_name);
        return 2;
    case IdleOptions::Action::Status:
        return show_status();
    case IdleOptions::Action::Enable:
        return enable(options);
    case IdleOptions::Action::Disable:
        return disable();
    case IdleOptions::Action::Watch:
        break;
    }
    return watch(options);
}
