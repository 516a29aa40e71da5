// The saver as a Windows screen saver (.scr).
#include "platform/Clock.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/GdiPainter.h"
#include "platform/win32/Win32Host.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace qm::win32 {

namespace {

std::int64_t monotonic_milliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

ClockReading wall_clock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::int64_t const milliseconds = ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000LL + now.wMilliseconds;
    return ClockReading({ now.wYear, now.wMonth, now.wDay }, milliseconds);
}

class EventLoop {
public:
    EventLoop(Win32Host& host, Saver& saver)
        : m_host(host)
        , m_saver(saver)
    {
        host.set_window_procedure(&EventLoop::procedure, this);
    }

    void run()
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

            auto const due = m_host.scheduler().next_due();
            DWORD timeout = INFINITE;
            if (due)
                timeout = static_cast<DWORD>(std::max<std::int64_t>(0, *due - monotonic_milliseconds()));
            MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);

            std::int64_t const now = monotonic_milliseconds();
            while (m_saver.running()) {
                auto const id = m_host.scheduler().take_due(now);
                if (!id)
                    break;
                m_host.set_now(now);
                m_saver.tick(*id, wall_clock());
            }
        }
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_NCCREATE) {
            auto const* creation = reinterpret_cast<CREATESTRUCTW const*>(lparam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        }
        auto* loop = reinterpret_cast<EventLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (loop) {
            if (auto const result = loop->handle(window, message, wparam, lparam))
                return *result;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    // One translator per native event; nothing reaches the saver before it
    // runs or after it has ended (the saver itself ignores such events).
    std::optional<LRESULT> handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        m_host.set_now(monotonic_milliseconds());
        switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            m_saver.key_down(static_cast<int>(wparam), wall_clock());
            return 0;
        case WM_MOUSEMOVE:
            m_saver.mouse_move(float(GET_X_LPARAM(lparam)), float(GET_Y_LPARAM(lparam)), wall_clock());
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            int const button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
            m_saver.mouse_down(button, float(GET_X_LPARAM(lparam)), float(GET_Y_LPARAM(lparam)), wall_clock());
            return 0;
        }
        case WM_SETCURSOR:
            SetCursor(m_host.blank_pointer());
            return TRUE;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC const dc = BeginPaint(window, &paint);
            if (Frmsaver const* form = m_saver.form()) {
                RECT const& r = paint.rcPaint;
                m_painter.execute(renderer().redraw(*form, { r.left, r.top, r.right - r.left, r.bottom - r.top }), renderer(), dc);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            return 0; // only EndSaver closes the window
        default:
            return std::nullopt;
        }
    }

    Renderer& renderer()
    {
        if (!m_renderer)
            m_renderer = std::make_unique<Renderer>(m_host.screen_size());
        return *m_renderer;
    }

    void present()
    {
        Frmsaver const* form = m_saver.form();
        HWND const window = m_host.window();
        if (!form || !window)
            return;
        HDC const dc = GetDC(window);
        m_painter.execute(renderer().update(*form), renderer(), dc);
        ReleaseDC(window, dc);
    }

    Win32Host& m_host;
    Saver& m_saver;
    std::unique_ptr<Renderer> m_renderer;
    GdiPainter m_painter;
};

int run(HINSTANCE instance)
{
    Win32Host host(instance, to_utf8(argument_text(GetCommandLineW())));
    Saver saver(host);
    EventLoop loop(host, saver);
    host.set_now(monotonic_milliseconds());
    saver.start(wall_clock());
    if (saver.running())
        loop.run();
    if (saver.ending() == Saver::Ending::Error) {
        host.unload_window();
        MessageBoxW(nullptr, from_utf8(report_text(*saver.error())).c_str(), from_utf8(report_title).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}

}

}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return qm::win32::run(instance); }
