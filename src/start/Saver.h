#pragma once

#include "platform/runtime/Clock.h"
#include "platform/Host.h"
#include "platform/Input.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Runtime.h"
#include "start/Global.h"
#include "start/ProcessEnd.h"

#include <optional>

namespace qm {

// The one object a front end drives: it starts the program and hands it each
// event with the time the event happened. One event at a time, each handler
// to completion; no event reaches a handler before start-up or after the end.
class Saver {
public:
    enum class State {
        NotStarted,
        Running,
        Ended,
    };

    enum class Ending {
        Quit, // nothing shown or the configuration box closed: exit status 0
        Dismissed, // EndSaver: exit status 0
        Error, // a run-time error reached the platform: report it, exit status 1
    };

    explicit Saver(Host&);

    Saver(Saver const&) = delete;
    Saver& operator=(Saver const&) = delete;

    // Calls Main. Afterwards the saver runs, or has ended.
    void start(ClockReading now);

    void tick(TimerId, ClockReading now);
    void key_down(VirtualKey, ClockReading now);
    // Pointer events in window pixels; they reach the window's handlers only
    // over its own surface. Return who received the event.
    HitTarget mouse_move(float x, float y, ClockReading now);
    HitTarget mouse_down(MouseButton, float x, float y, ClockReading now);
    // The screen (or the window someone else gave us) changed size. No
    // handler runs; the next tick works with the new size.
    void resize(ScreenSize);
    // Ends the saver the way a dismissing key or click does, for a platform
    // event that must end it too (another program took the foreground).
    void dismiss(ClockReading now);
    // The pointer left the saver's surfaces and came back, as it does when
    // a compositor changes an output under it: where it came back is a
    // first position again, as at the start, not a move. No handler runs.
    void pointer_returned();

    State state() const { return m_state; }
    bool running() const { return m_state == State::Running; }
    std::optional<Ending> ending() const { return m_ending; }
    // The error that reached the platform, if the saver ended with one.
    std::optional<RuntimeError> const& error() const { return m_error; }

    Global& global() { return m_global; }
    Global const& global() const { return m_global; }
    Runtime const& runtime() const { return m_runtime; }
    // The window, once loaded.
    Frmsaver const* form() const { return m_global.loaded() ? &m_global.form() : nullptr; }

    // Puts motion values directly; for the simulator's and tests' shortcuts to edge states.
    Frmsaver* mutable_form() { return m_global.loaded() ? &m_global.form() : nullptr; }

private:
    template<typename Handler>
    void dispatch(ClockReading now, Handler&&);

    Runtime m_runtime;
    Global m_global;
    State m_state { State::NotStarted };
    std::optional<Ending> m_ending;
    std::optional<RuntimeError> m_error;
};

}
