#include "platform/win32/EventLoop.h"

#include "platform/win32/DisplayState.h"
#include "platform/win32/Process.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

namespace qm::win32 {

EventLoop::EventLoop(Win32Host& host, Saver& saver)
    : m_host(host)
    , m_saver(saver)
    , m_trace(std::getenv("QUILVENMOOR_TICK_TRACE") ? TickTrace::On : TickTrace::Off)
{
    host.set_window_procedures(&EventLoop::procedure, &EventLoop::cover_procedure, this);
}

void EventLoop::run()
{
    present();
    while (m_saver.running()) {
        MSG message;
        while (m_saver.running() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return;
            DispatchMessageW(&message);
        }
        if (!m_saver.running())
            break;
        present();

        auto const wake = next_tick_wake(m_host.scheduler(), m_visibility, m_last_batch);
        DWORD timeout = INFINITE;
        if (wake)
            timeout = static_cast<DWORD>(std::max<std::int64_t>(0, *wake - monotonic_milliseconds()));
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);

        follow_display_if_changed();
        watch_foreground();
        deliver_ticks();
    }
}

void EventLoop::deliver_ticks()
{
    std::int64_t const now = monotonic_milliseconds();
    if (m_visibility == Visibility::Seen) {
        deliver_due_ticks(m_host, m_saver, now, wall_clock, m_trace);
        return;
    }
    // A message may wake the loop before the batch is due: its ticks wait.
    auto const wake = next_tick_wake(m_host.scheduler(), Visibility::Unseen, m_last_batch);
    if (!wake || now < *wake)
        return;
    deliver_due_ticks_in_batch(m_host, m_saver, now, wall_clock(), m_trace);
    m_last_batch = now;
}

void EventLoop::catch_up_if_unseen()
{
    if (m_visibility == Visibility::Unseen)
        deliver_due_ticks_in_batch(m_host, m_saver, monotonic_milliseconds(), wall_clock(), m_trace);
}

void EventLoop::set_visibility(Visibility visibility)
{
    if (visibility == m_visibility)
        return;
    if (visibility == Visibility::Unseen) {
        m_visibility = visibility;
        m_last_batch = monotonic_milliseconds();
        return;
    }
    catch_up_if_unseen();
    m_visibility = visibility;
    // The picture on the glass may be gone: the whole window is drawn anew.
    if (m_renderer)
        m_renderer->resize(m_host.screen_size());
    present();
}

EventLoop* EventLoop::loop_of(HWND window, UINT message, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto const* creation = reinterpret_cast<CREATESTRUCTW const*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    return reinterpret_cast<EventLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK EventLoop::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (EventLoop* loop = loop_of(window, message, lparam)) {
        if (auto const result = loop->handle(window, message, wparam, lparam))
            return *result;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK EventLoop::cover_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (EventLoop* loop = loop_of(window, message, lparam)) {
        if (auto const result = loop->handle_cover(window, message, wparam, lparam))
            return *result;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

std::optional<LRESULT> EventLoop::handle_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        catch_up_if_unseen();
        m_saver.key_down(static_cast<VirtualKey>(wparam), wall_clock());
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        POINT point { GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam) };
        if (message == WM_MOUSEMOVE) {
            follow_display_if_changed();
            if (moved_by_display(window, point))
                return 0;
        }
        if (window != m_host.window() && m_host.window())
            MapWindowPoints(window, m_host.window(), &point, 1);
        catch_up_if_unseen();
        if (message == WM_MOUSEMOVE) {
            m_saver.mouse_move(float(point.x), float(point.y), wall_clock());
        } else {
            MouseButton const button = message == WM_LBUTTONDOWN ? MouseButton::Left : message == WM_RBUTTONDOWN ? MouseButton::Right : MouseButton::Middle;
            m_saver.mouse_down(button, float(point.x), float(point.y), wall_clock());
        }
        return 0;
    }
    case WM_SETCURSOR:
        SetCursor(m_host.blank_pointer());
        return TRUE;
    case WM_CLOSE:
        return 0; // only EndSaver closes the windows
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> EventLoop::handle_cover(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    m_host.set_now(monotonic_milliseconds());
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return handle_input(window, message, wparam, lparam);
}

std::optional<LRESULT> EventLoop::handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    m_host.set_now(monotonic_milliseconds());
    if (auto const result = handle_input(window, message, wparam, lparam))
        return result;
    switch (message) {
    case WM_ACTIVATEAPP:
        // Another program's window became the active one: end, as for a
        // dismissing key, rather than let typing go on behind the saver.
        if (m_foreground.observe(wparam ? ForegroundWatch::Holder::ThisProgram : ForegroundWatch::Holder::AnotherProgram))
            m_saver.dismiss(wall_clock());
        return std::nullopt;
    case WM_DISPLAYCHANGE:
        follow_display();
        return std::nullopt;
    case WM_POWERBROADCAST:
        if (wparam != PBT_POWERSETTINGCHANGE)
            return std::nullopt;
        if (auto const visibility = visibility_of(reinterpret_cast<POWERBROADCAST_SETTING const*>(lparam)))
            set_visibility(*visibility);
        return TRUE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC const dc = BeginPaint(window, &paint);
        // Nothing is drawn for nobody to see; the window is drawn whole when
        // the display comes on again.
        Frmsaver const* form = m_visibility == Visibility::Seen ? m_saver.form() : nullptr;
        if (form) {
            RECT const& r = paint.rcPaint;
            m_painter.execute(renderer().redraw(*form, { r.left, r.top, r.right - r.left, r.bottom - r.top }), renderer(), dc);
        }
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return std::nullopt;
    }
}

Renderer& EventLoop::renderer()
{
    if (!m_renderer)
        m_renderer = std::make_unique<Renderer>(m_host.screen_size());
    return *m_renderer;
}

void EventLoop::watch_foreground()
{
    HWND const foreground = GetForegroundWindow();
    auto holder = ForegroundWatch::Holder::Nobody;
    if (foreground) {
        DWORD process = 0;
        GetWindowThreadProcessId(foreground, &process);
        holder = process == GetCurrentProcessId() ? ForegroundWatch::Holder::ThisProgram : ForegroundWatch::Holder::AnotherProgram;
    }
    if (m_foreground.observe(holder))
        m_saver.dismiss(wall_clock());
}

void EventLoop::follow_display()
{
    ScreenSize const size = m_host.follow_display();
    m_saver.resize(size);
    if (m_renderer)
        m_renderer->resize(size);
    present();
    POINT pointer;
    if (GetCursorPos(&pointer))
        m_pointer_placed_by_display = pointer;
}

void EventLoop::follow_display_if_changed()
{
    if (!m_host.window())
        return;
    ScreenSize const now { GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    ScreenSize const shown = m_host.screen_size();
    if (now.width != shown.width || now.height != shown.height)
        follow_display();
}

bool EventLoop::moved_by_display(HWND window, POINT point)
{
    if (!m_pointer_placed_by_display)
        return false;
    POINT const placed = *m_pointer_placed_by_display;
    m_pointer_placed_by_display.reset();
    ClientToScreen(window, &point);
    return point.x == placed.x && point.y == placed.y;
}

void EventLoop::present()
{
    Frmsaver const* form = m_saver.form();
    HWND const window = m_host.window();
    if (!form || !window || m_visibility == Visibility::Unseen)
        return;
    HDC const dc = GetDC(window);
    m_painter.execute(renderer().update(*form), renderer(), dc);
    ReleaseDC(window, dc);
}

}
