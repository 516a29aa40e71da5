#pragma once

#include <optional>
#include <string>

namespace qm::desktop {

// The running watcher's door: an abstract-namespace socket named for the
// user and the session. Holding it makes the watcher the session's only
// one, and the kernel drops it the moment the process ends, however it
// ends. --status and --disable knock on it; only the same user is answered.
class WatcherControl {
public:
    // The socket's name for this user in the session with this name.
    static std::string address_name(std::string const& session);

    explicit WatcherControl(std::string const& session);
    ~WatcherControl();

    WatcherControl(WatcherControl const&) = delete;
    WatcherControl& operator=(WatcherControl const&) = delete;

    // Whether another watcher held the name when this one tried to take it.
    bool another_runs() const { return m_another_runs; }
    // Whether this one holds it (false also when sockets failed).
    bool held() const { return m_socket >= 0; }

    int descriptor() const { return m_socket; }

    // Takes one request from the socket: its one-word command, and the
    // connection to answer on. Nothing when the caller is another user or
    // sent nothing readable.
    struct Request {
        std::string command;
        int connection { -1 };
    };
    std::optional<Request> accept_request();
    static void answer(Request const&, std::string const& text);

    // Sends a command to the watcher of the session and returns its answer;
    // nothing when no watcher answers.
    static std::optional<std::string> ask(std::string const& session, std::string const& command);

private:
    int m_socket { -1 };
    bool m_another_runs { false };
};

// The session's name as the watcher's door uses it, the same as the saver's
// lock: the Wayland socket in a Wayland session, else the X display without
// its screen number.
std::string watcher_session_name();

// Whether this is a Wayland session, as the saver's chooser decides it:
// WAYLAND_DISPLAY is set, or the default socket exists.
bool in_wayland_session();

}
