#include "platform/desktop/SessionBus.h"

#include <systemd/sd-bus.h>
#include <systemd/sd-login.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qm::desktop {

namespace {

constexpr char const* screensaver_name = "org.freedesktop.ScreenSaver";
constexpr char const* screensaver_interface = "org.freedesktop.ScreenSaver";
// Video players call one path or the other, as older desktops offered only the second.
constexpr char const* screensaver_paths[] = { "/org/freedesktop/ScreenSaver", "/ScreenSaver" };
constexpr char const* session_manager_name = "org.gnome.SessionManager";
constexpr char const* session_manager_path = "/org/gnome/SessionManager";
// GNOME's session manager's inhibit flag for "idle".
constexpr std::uint32_t inhibit_idle_flag = 8;
// Application names and reasons are kept for --status only; longer texts are cut.
constexpr std::size_t kept_text_length = 200;

std::string kept_text(char const* text)
{
    std::string kept = text ? text : "";
    if (kept.size() > kept_text_length)
        kept.resize(kept_text_length);
    return kept;
}

}

struct SessionBus::State {
    idle::InhibitorBook& book;
    BusListener& listener;
    sd_bus* session { nullptr };
    sd_bus* system { nullptr };
    std::vector<sd_bus_slot*> slots;
    bool owns_name { false };
    bool desktop_active { false };
    bool desktop_inhibited { false };
    bool desktop_follows_session_manager { false };
    bool logind_locked { false };
    bool logind_followed { false };
    std::string logind_path;

    State(idle::InhibitorBook& book, BusListener& listener)
        : book(book)
        , listener(listener)
    {
    }

    ~State()
    {
        for (auto* slot : slots)
            sd_bus_slot_unref(slot);
        if (session)
            sd_bus_flush_close_unref(session);
        if (system)
            sd_bus_flush_close_unref(system);
    }

    void keep(sd_bus_slot* slot) { slots.push_back(slot); }

    static int on_inhibit(sd_bus_message* message, void* data, sd_bus_error* error)
    {
        auto& state = *static_cast<State*>(data);
        char const* application = nullptr;
        char const* reason = nullptr;
        if (int const result = sd_bus_message_read(message, "ss", &application, &reason); result < 0)
            return result;
        char const* sender = sd_bus_message_get_sender(message);
        auto const cookie = state.book.inhibit(sender ? sender : "", kept_text(application), kept_text(reason));
        if (!cookie)
            return sd_bus_error_set(error, "org.freedesktop.DBus.Error.LimitsExceeded", "this caller holds too many inhibitors");
        state.listener.inhibitors_changed();
        return sd_bus_reply_method_return(message, "u", *cookie);
    }

    static int on_uninhibit(sd_bus_message* message, void* data, sd_bus_error* error)
    {
        auto& state = *static_cast<State*>(data);
        std::uint32_t cookie = 0;
        if (int const result = sd_bus_message_read(message, "u", &cookie); result < 0)
            return result;
        char const* sender = sd_bus_message_get_sender(message);
        if (!state.book.uninhibit(sender ? sender : "", cookie))
            return sd_bus_error_set(error, "org.freedesktop.DBus.Error.InvalidArgs", "this caller holds no inhibitor with that cookie");
        state.listener.inhibitors_changed();
        return sd_bus_reply_method_return(message, "");
    }

    static int on_get_active(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        return sd_bus_reply_method_return(message, "b", static_cast<int>(state.listener.saver_active()));
    }

    static int on_simulate_activity(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        state.listener.activity_simulated();
        return sd_bus_reply_method_return(message, "");
    }

    // A name that has lost its owner: a caller leaving takes its holds along.
    static int on_name_owner_changed(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        char const* name = nullptr;
        char const* old_owner = nullptr;
        char const* new_owner = nullptr;
        if (sd_bus_message_read(message, "sss", &name, &old_owner, &new_owner) < 0)
            return 0;
        if (name && name[0] == ':' && (!new_owner || !*new_owner) && state.book.caller_left(name) > 0)
            state.listener.inhibitors_changed();
        return 0;
    }

    static int on_desktop_active_changed(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        int active = 0;
        if (sd_bus_message_read(message, "b", &active) < 0)
            return 0;
        state.desktop_active = active != 0;
        state.listener.locked_changed();
        return 0;
    }

    static int on_desktop_get_active_reply(sd_bus_message* message, void* data, sd_bus_error*)
    {
        if (sd_bus_message_is_method_error(message, nullptr))
            return 0;
        return on_desktop_active_changed(message, data, nullptr);
    }

    static int on_session_manager_inhibited_reply(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        if (sd_bus_message_is_method_error(message, nullptr))
            return 0;
        int inhibited = 0;
        if (sd_bus_message_read(message, "b", &inhibited) < 0)
            return 0;
        state.desktop_follows_session_manager = true;
        if (state.desktop_inhibited != (inhibited != 0)) {
            state.desktop_inhibited = inhibited != 0;
            state.listener.inhibitors_changed();
        }
        return 0;
    }

    void ask_session_manager()
    {
        sd_bus_call_method_async(session, nullptr, session_manager_name, session_manager_path, session_manager_name,
            "IsInhibited", on_session_manager_inhibited_reply, this, "u", inhibit_idle_flag);
    }

    static int on_session_manager_inhibitors(sd_bus_message*, void* data, sd_bus_error*)
    {
        static_cast<State*>(data)->ask_session_manager();
        return 0;
    }

    static int on_locked_hint_reply(sd_bus_message* message, void* data, sd_bus_error*)
    {
        auto& state = *static_cast<State*>(data);
        if (sd_bus_message_is_method_error(message, nullptr))
            return 0;
        int locked = 0;
        if (sd_bus_message_read(message, "v", "b", &locked) < 0)
            return 0;
        state.logind_followed = true;
        if (state.logind_locked != (locked != 0)) {
            state.logind_locked = locked != 0;
            state.listener.locked_changed();
        }
        return 0;
    }

    void ask_logind()
    {
        sd_bus_call_method_async(system, nullptr, "org.freedesktop.login1", logind_path.c_str(), "org.freedesktop.DBus.Properties",
            "Get", on_locked_hint_reply, this, "ss", "org.freedesktop.login1.Session", "LockedHint");
    }

    static int on_logind_properties(sd_bus_message*, void* data, sd_bus_error*)
    {
        static_cast<State*>(data)->ask_logind();
        return 0;
    }

    // logind on the system bus, where there is one and this process belongs
    // to one of its sessions; without them the lock is simply not known.
    void follow_logind()
    {
        char* session_id = nullptr;
        if (sd_pid_get_session(0, &session_id) < 0) {
            char const* variable = std::getenv("XDG_SESSION_ID");
            if (!variable || !*variable)
                return;
            session_id = strdup(variable);
        }
        char* path = nullptr;
        int const encoded = sd_bus_path_encode("/org/freedesktop/login1/session", session_id, &path);
        std::free(session_id);
        if (encoded < 0)
            return;
        logind_path = path;
        std::free(path);
        if (sd_bus_open_system(&system) < 0) {
            system = nullptr;
            return;
        }
        sd_bus_slot* slot = nullptr;
        if (sd_bus_match_signal_async(system, &slot, "org.freedesktop.login1", logind_path.c_str(), "org.freedesktop.DBus.Properties",
                "PropertiesChanged", on_logind_properties, nullptr, this)
            >= 0)
            keep(slot);
        ask_logind();
    }
};

namespace {

sd_bus_vtable const screensaver_vtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "ss", "u", SessionBus::State::on_inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("UnInhibit", "u", "", SessionBus::State::on_uninhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetActive", "", "b", SessionBus::State::on_get_active, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SimulateUserActivity", "", "", SessionBus::State::on_simulate_activity, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("ActiveChanged", "b", 0),
    SD_BUS_VTABLE_END,
};

}

std::unique_ptr<SessionBus> SessionBus::open(idle::InhibitorBook& book, BusListener& listener, std::string& problem)
{
    auto state = std::make_unique<State>(book, listener);
    if (int const result = sd_bus_open_user(&state->session); result < 0) {
        state->session = nullptr;
        problem = std::string("no session bus (") + std::strerror(-result) + ")";
        return nullptr;
    }
    sd_bus* bus = state->session;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_match(bus, &slot,
            "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
            "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg2=''",
            State::on_name_owner_changed, state.get())
        >= 0)
        state->keep(slot);
    for (char const* path : screensaver_paths) {
        if (sd_bus_add_object_vtable(bus, &slot, path, screensaver_interface, screensaver_vtable, state.get()) >= 0)
            state->keep(slot);
    }
    int const requested = sd_bus_request_name(bus, screensaver_name, 0);
    state->owns_name = requested >= 0;
    if (requested < 0 && requested != -EEXIST) {
        problem = std::string("cannot take the name ") + screensaver_name + " (" + std::strerror(-requested) + ")";
        return nullptr;
    }
    if (!state->owns_name) {
        // The desktop serves the name: follow its locker, and where it is
        // GNOME its session manager's idle inhibit flag.
        if (sd_bus_match_signal(bus, &slot, screensaver_name, nullptr, screensaver_interface, "ActiveChanged", State::on_desktop_active_changed, state.get()) >= 0)
            state->keep(slot);
        sd_bus_call_method_async(bus, nullptr, screensaver_name, screensaver_paths[0], screensaver_interface, "GetActive",
            State::on_desktop_get_active_reply, state.get(), "");
        for (char const* member : { "InhibitorAdded", "InhibitorRemoved" }) {
            if (sd_bus_match_signal(bus, &slot, session_manager_name, session_manager_path, session_manager_name, member, State::on_session_manager_inhibitors, state.get()) >= 0)
                state->keep(slot);
        }
        state->ask_session_manager();
    }
    state->follow_logind();
    return std::unique_ptr<SessionBus>(new SessionBus(std::move(state)));
}

SessionBus::SessionBus(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

SessionBus::~SessionBus() = default;

std::vector<pollfd> SessionBus::descriptors() const
{
    std::vector<pollfd> descriptors;
    for (sd_bus* bus : { m_state->session, m_state->system }) {
        if (!bus)
            continue;
        int const events = sd_bus_get_events(bus);
        descriptors.push_back({ sd_bus_get_fd(bus), static_cast<short>(events < 0 ? POLLIN : events), 0 });
    }
    return descriptors;
}

std::optional<std::uint64_t> SessionBus::deadline_microseconds() const
{
    std::optional<std::uint64_t> earliest;
    for (sd_bus* bus : { m_state->session, m_state->system }) {
        std::uint64_t due = 0;
        if (bus && sd_bus_get_timeout(bus, &due) >= 0 && due != UINT64_MAX && (!earliest || due < *earliest))
            earliest = due;
    }
    return earliest;
}

bool SessionBus::process()
{
    for (;;) {
        int const result = sd_bus_process(m_state->session, nullptr);
        // Only a broken connection makes sd_bus_process fail.
        if (result < 0)
            return false;
        if (result == 0)
            break;
    }
    if (m_state->system) {
        // Losing the system bus loses only the lock hint.
        while (true) {
            int const result = sd_bus_process(m_state->system, nullptr);
            if (result < 0) {
                sd_bus_flush_close_unref(m_state->system);
                m_state->system = nullptr;
                m_state->logind_followed = false;
                break;
            }
            if (result == 0)
                break;
        }
    }
    return true;
}

bool SessionBus::owns_screensaver_name() const { return m_state->owns_name; }

bool SessionBus::desktop_inhibited() const { return m_state->desktop_inhibited; }

bool SessionBus::locked() const { return m_state->logind_locked || (!m_state->owns_name && m_state->desktop_active); }

void SessionBus::announce_active(bool active)
{
    if (!m_state->owns_name)
        return;
    for (char const* path : screensaver_paths)
        sd_bus_emit_signal(m_state->session, path, screensaver_interface, "ActiveChanged", "b", static_cast<int>(active));
}

bool SessionBus::has_mutter_idle_monitor()
{
    sd_bus_message* reply = nullptr;
    int has_owner = 0;
    if (sd_bus_call_method(m_state->session, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
            nullptr, &reply, "s", "org.gnome.Mutter.IdleMonitor")
        >= 0)
        sd_bus_message_read(reply, "b", &has_owner);
    sd_bus_message_unref(reply);
    return has_owner != 0;
}

std::string SessionBus::describe() const
{
    std::string text;
    if (m_state->owns_name)
        text += "org.freedesktop.ScreenSaver: served by this watcher\n";
    else if (m_state->desktop_follows_session_manager)
        text += "org.freedesktop.ScreenSaver: served by the desktop; its idle inhibitors are read from org.gnome.SessionManager ("
            + std::string(m_state->desktop_inhibited ? "inhibited now" : "none now") + ")\n";
    else
        text += "org.freedesktop.ScreenSaver: served by the desktop; its inhibitors cannot be read here\n";
    if (m_state->logind_followed)
        text += std::string("session lock (logind): ") + (m_state->logind_locked ? "locked" : "unlocked") + "\n";
    if (!m_state->owns_name)
        text += std::string("desktop locker: ") + (m_state->desktop_active ? "active" : "inactive") + "\n";
    return text;
}

}
