#include "platform/x11/IdleSource.h"

#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>

namespace qm::x11 {

namespace {

int on_io_error(Display*)
{
    // Reached only when the server vanished between the check in dispatch
    // and a request: the session has ended all the same.
    std::fprintf(stderr, "%s: the X display has gone\n", program_invocation_short_name);
    std::_Exit(0);
}

int on_error(Display*, XErrorEvent*) { return 0; }

XSyncValue sync_value(std::int64_t value)
{
    XSyncValue result;
    XSyncIntsToValue(&result, static_cast<unsigned>(value & 0xffffffff), static_cast<int>(value >> 32));
    return result;
}

std::int64_t to_int64(XSyncValue const& value)
{
    return (static_cast<std::int64_t>(XSyncValueHigh32(value)) << 32) | XSyncValueLow32(value);
}

}

struct IdleSource::State {
    Display* display { nullptr };
    int sync_event_base { 0 };
    XSyncCounter idle_counter { None };
    XSyncAlarm idle_alarm { None };
    XSyncAlarm active_alarm { None };
    std::int64_t wait { 0 };

    ~State()
    {
        if (!display)
            return;
        if (idle_alarm != None)
            XSyncDestroyAlarm(display, idle_alarm);
        if (active_alarm != None)
            XSyncDestroyAlarm(display, active_alarm);
        XCloseDisplay(display);
    }

    // An alarm on IDLETIME that sends an event when the counter crosses
    // `value` in the direction of `test`. A transition alarm with a delta of
    // 0 stays armed after it fires, so each one is made once.
    XSyncAlarm make_alarm(XSyncTestType test, std::int64_t value)
    {
        XSyncAlarmAttributes attributes {};
        attributes.trigger.counter = idle_counter;
        attributes.trigger.value_type = XSyncAbsolute;
        attributes.trigger.wait_value = sync_value(value);
        attributes.trigger.test_type = test;
        attributes.delta = sync_value(0);
        attributes.events = True;
        unsigned long const mask = XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType | XSyncCADelta | XSyncCAEvents;
        return XSyncCreateAlarm(display, mask, &attributes);
    }

    // Input after idleness matters, input during activity does not: the
    // active alarm sends events only while the user is idle, so typing does
    // not wake the watcher at every key.
    void report_activity(bool report)
    {
        XSyncAlarmAttributes attributes {};
        attributes.events = report ? True : False;
        XSyncChangeAlarm(display, active_alarm, XSyncCAEvents, &attributes);
    }

    std::int64_t idle_milliseconds()
    {
        XSyncValue value;
        if (!XSyncQueryCounter(display, idle_counter, &value))
            return 0;
        return to_int64(value);
    }
};

std::unique_ptr<IdleSource> IdleSource::open(std::int64_t wait_milliseconds, std::string& problem, bool& reached)
{
    reached = false;
    char const* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        problem = "DISPLAY is not set";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->wait = wait_milliseconds;
    XSetIOErrorHandler(on_io_error);
    XSetErrorHandler(on_error);
    state->display = XOpenDisplay(nullptr);
    if (!state->display) {
        problem = std::string("cannot open the X display '") + name + "'";
        return nullptr;
    }
    reached = true;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XSyncQueryExtension(state->display, &state->sync_event_base, &error_base) || !XSyncInitialize(state->display, &major, &minor)) {
        problem = "the X server has no SYNC extension";
        return nullptr;
    }
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(state->display, &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(counters[i].name, "IDLETIME") == 0)
            state->idle_counter = counters[i].counter;
    }
    if (counters)
        XSyncFreeSystemCounterList(counters);
    if (state->idle_counter == None) {
        problem = "the X server has no IDLETIME counter";
        return nullptr;
    }

    // The idle alarm fires as IDLETIME climbs past the wait; the active
    // alarm as it falls back below one millisecond, which only input or a
    // reset of the server's saver makes it do.
    state->idle_alarm = state->make_alarm(XSyncPositiveTransition, wait_milliseconds);
    state->active_alarm = state->make_alarm(XSyncNegativeTransition, 1);
    state->report_activity(state->idle_milliseconds() >= wait_milliseconds);
    XFlush(state->display);
    return std::unique_ptr<IdleSource>(new IdleSource(std::move(state)));
}

IdleSource::IdleSource(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

IdleSource::~IdleSource() = default;

int IdleSource::descriptor() const { return ConnectionNumber(m_state->display); }

std::vector<IdleSource::Event> IdleSource::dispatch()
{
    std::vector<Event> events;
    Display* display = m_state->display;
    // A server that has gone leaves the connection readable with nothing to
    // read; Xlib would call that an I/O error.
    char byte;
    ssize_t const peeked = recv(descriptor(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        events.push_back(Event::Gone);
        return events;
    }
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != m_state->sync_event_base + XSyncAlarmNotify)
            continue;
        auto const& alarm = reinterpret_cast<XSyncAlarmNotifyEvent const&>(event);
        if (alarm.alarm == m_state->idle_alarm) {
            events.push_back(Event::Idle);
            m_state->report_activity(true);
            // Input between the idle alarm and that change sent no event;
            // the counter shows it.
            if (m_state->idle_milliseconds() < m_state->wait) {
                events.push_back(Event::Active);
                m_state->report_activity(false);
            }
        } else if (alarm.alarm == m_state->active_alarm && alarm.state != XSyncAlarmDestroyed) {
            events.push_back(Event::Active);
            m_state->report_activity(false);
        }
    }
    XFlush(display);
    return events;
}

bool IdleSource::has_queued_events() const { return XEventsQueued(m_state->display, QueuedAlready) > 0; }

bool IdleSource::idle_now() { return m_state->idle_milliseconds() >= m_state->wait; }

std::string IdleSource::display_name() const { return DisplayString(m_state->display); }

}
