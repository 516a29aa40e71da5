#include "platform/win32/Win32Host.h"

#include "platform/win32/CommandLine.h"
#include "window/Assets.h"
#include "window/Frmsaver.h"
#include "window/ImageFiles.h"

#include <vector>

namespace qm::win32 {

namespace {

constexpr wchar_t window_class[] = L"QuilvenmoorSaverWindow";

// The built-in blank pointer, from its masks: every pixel transparent.
HCURSOR create_blank_pointer(HINSTANCE instance)
{
    // The system takes the transparency mask as it is (top row first, padded
    // to 16-bit words; 32-bit rows are both) with an all-clear colour mask.
    IconImage const pointer = decode_icon(assets::blank_pointer());
    std::vector<BYTE> const xor_mask(pointer.transparency.size(), 0);
    return CreateCursor(instance, 0, 0, pointer.argb.width(), pointer.argb.height(), pointer.transparency.data(), xor_mask.data());
}

}

Win32Host::Win32Host(HINSTANCE instance, std::string argument_text)
    : m_instance(instance)
    , m_arguments(std::move(argument_text))
    , m_layout(current_layout())
{
    // Local\ is this logon session: another copy for the same user.
    m_mutex = CreateMutexW(nullptr, FALSE, L"Local\\Quilvenmoor.ScreenSaver");
    m_another_runs = m_mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

Win32Host::~Win32Host()
{
    unload_window();
    if (m_blank_pointer)
        DestroyCursor(m_blank_pointer);
    if (m_mutex)
        CloseHandle(m_mutex);
}

void Win32Host::show_message_box(std::string_view text, std::string_view title, int style)
{
    MessageBoxW(nullptr, from_utf8(text).c_str(), from_utf8(title).c_str(), static_cast<UINT>(style) | MB_SETFOREGROUND);
}

ScreenSize Win32Host::screen_size() const { return { m_layout.play_area.width, m_layout.play_area.height }; }

void Win32Host::handle_pending_events()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Host::set_window_procedures(WNDPROC saver, WNDPROC cover, void* context)
{
    m_procedure = saver;
    m_cover_procedure = cover;
    m_context = context;
}

void Win32Host::show_window()
{
    m_blank_pointer = create_blank_pointer(m_instance);
    WNDCLASSEXW definition {};
    definition.cbSize = sizeof definition;
    definition.style = CS_DBLCLKS;
    definition.lpfnWndProc = m_procedure ? m_procedure : DefWindowProcW;
    definition.hInstance = m_instance;
    definition.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(1));
    definition.hIconSm = definition.hIcon;
    definition.hCursor = m_blank_pointer;
    definition.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    definition.lpszClassName = window_class;
    RegisterClassExW(&definition);

    // Sized to the primary monitor explicitly: maximizing alone is not
    // honoured everywhere for a popup.
    Rect const area = m_layout.play_area;
    m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_APPWINDOW, window_class, from_utf8(Frmsaver::title).c_str(), WS_POPUP, area.x, area.y, area.width, area.height,
        nullptr, nullptr, m_instance, m_context);
    ShowWindow(m_window, SW_SHOWMAXIMIZED);
    SetWindowPos(m_window, HWND_TOPMOST, area.x, area.y, area.width, area.height, SWP_SHOWWINDOW);
    SetForegroundWindow(m_window);
    SetFocus(m_window);
    UpdateWindow(m_window);

    // The window hears when the console display goes off and on again (the
    // current state comes at once), so that nothing is drawn while nobody
    // can see it. Where the system offers no such notice the saver simply
    // draws all along, as it must anyway while the display is on.
    m_display_notification = RegisterPowerSettingNotification(m_window, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);

    // The other monitors, after the saver window has taken the foreground.
    m_covers = std::make_unique<MonitorCovers>(m_instance, m_blank_pointer, m_cover_procedure ? m_cover_procedure : DefWindowProcW, m_context);
    m_covers->cover(m_layout.covers);
}

ScreenSize Win32Host::follow_display()
{
    m_layout = current_layout();
    Rect const area = m_layout.play_area;
    if (m_window) {
        // Nothing of the old picture is kept: the whole window is painted anew.
        SetWindowPos(m_window, HWND_TOPMOST, area.x, area.y, area.width, area.height, SWP_NOACTIVATE | SWP_NOCOPYBITS);
        InvalidateRect(m_window, nullptr, FALSE);
    }
    if (m_covers)
        m_covers->cover(m_layout.covers);
    return screen_size();
}

void Win32Host::unload_window()
{
    m_covers.reset();
    if (m_display_notification) {
        UnregisterPowerSettingNotification(m_display_notification);
        m_display_notification = nullptr;
    }
    if (!m_window)
        return;
    HWND const window = m_window;
    m_window = nullptr;
    DestroyWindow(window);
}

}
