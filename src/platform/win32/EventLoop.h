#pragma once

#include "platform/TickDelivery.h"
#include "platform/win32/ForegroundWatch.h"
#include "platform/win32/Painter.h"
#include "platform/win32/Win32Host.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace qm::win32 {

// The one loop of the Windows screen saver. It waits for messages with a
// timeout to the next due tick, translates each native event once (keys are
// already virtual keys; buttons and the pointer in the saver window's
// pixels, from the covers too), follows the primary monitor, ends the saver
// when another program takes the foreground, and after each round sends the
// renderer's changes through the painter. While the console display is off
// it draws nothing and wakes at most once a second, handing the ticks due
// meanwhile to the saver in a batch, each at its own due time.
class EventLoop {
public:
    EventLoop(Win32Host&, Saver&);

    EventLoop(EventLoop const&) = delete;
    EventLoop& operator=(EventLoop const&) = delete;

    void run();

private:
    static EventLoop* loop_of(HWND window, UINT message, LPARAM lparam);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK cover_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // Input reaches the saver in the saver window's pixels, from whichever
    // of our windows it arrived at.
    std::optional<LRESULT> handle_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // A cover is painted from its black background by the system; it only
    // passes input on, and never takes activation, even when clicked.
    std::optional<LRESULT> handle_cover(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // One translator per native event; nothing reaches the saver before it
    // runs or after it has ended (the saver itself ignores such events).
    std::optional<LRESULT> handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    Renderer& renderer();

    // Who holds the foreground, checked once per wake-up as well: the
    // activation messages are not sent in every case (a window of another
    // program brought forward while ours was being shown, for one).
    void watch_foreground();

    // The window follows the primary monitor's new size and is repainted
    // whole at once: a paint request for the newly exposed part, handled
    // first, would leave the rest as it was. A smaller screen may have
    // pushed the pointer inside it: the move the system reports for that is
    // no user's.
    void follow_display();

    // Not every change of the primary monitor's size is announced to the
    // window (Wine sends no WM_DISPLAYCHANGE for a change made outside it):
    // the size is compared on every wake-up and before every pointer move.
    void follow_display_if_changed();

    // Whether a pointer move is only the system putting the pointer where a
    // display change left it; any other move ends that exception.
    bool moved_by_display(HWND window, POINT point);
    void present();

    // Hands the saver the ticks due by now: as they fall due while the
    // display is on; while it is off, in one batch once the last batch is a
    // second old.
    void deliver_ticks();

    // The display went off or came on. On again, the ticks due meanwhile run
    // first and the current frame is drawn whole at once.
    void set_visibility(Visibility);

    // While the display is off, the ticks due by now, in a batch: before a
    // key or the pointer reaches the saver, so that it acts on the motion
    // where a run that drew all along would have it.
    void catch_up_if_unseen();

    Win32Host& m_host;
    Saver& m_saver;
    std::unique_ptr<Renderer> m_renderer;
    Painter m_painter;
    ForegroundWatch m_foreground;
    std::optional<POINT> m_pointer_placed_by_display;
    TickTrace m_trace { TickTrace::Off };
    Visibility m_visibility { Visibility::Seen };
    std::int64_t m_last_batch { 0 }; // while unseen, when ticks were last handed over
};

}
