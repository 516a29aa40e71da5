#pragma once

#include "platform/win32/ForegroundWatch.h"
#include "platform/win32/Painter.h"
#include "platform/win32/Win32Host.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace qm::win32 {

// The one loop of the Windows screen saver. It waits for messages with a
// timeout to the next due tick, translates each native event once (keys are
// already virtual keys; buttons and the pointer in the saver window's
// pixels, from the covers too), follows the primary monitor, ends the saver
// when another program takes the foreground, and after each round sends the
// renderer's changes through the painter.
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

    Win32Host& m_host;
    Saver& m_saver;
    std::unique_ptr<Renderer> m_renderer;
    Painter m_painter;
    ForegroundWatch m_foreground;
    std::optional<POINT> m_pointer_placed_by_display;
};

}
