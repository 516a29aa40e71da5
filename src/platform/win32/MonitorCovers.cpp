#include "platform/win32/MonitorCovers.h"

#include <algorithm>

namespace qm::win32 {

namespace {

constexpr wchar_t cover_class[] = L"QuilvenmoorCoverWindow";

BOOL CALLBACK add_monitor(HMONITOR handle, HDC, LPRECT, LPARAM list)
{
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(handle, &info)) {
        RECT const& area = info.rcMonitor;
        reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
            { { area.left, area.top, area.right - area.left, area.bottom - area.top }, (info.dwFlags & MONITORINFOF_PRIMARY) != 0 });
    }
    return TRUE;
}

}

std::vector<Monitor> enumerate_monitors()
{
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

MonitorLayout current_layout()
{
    // The primary monitor's size, should the system list no monitor at all.
    Rect const primary { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    return lay_out_monitors(enumerate_monitors(), primary);
}

MonitorCovers::MonitorCovers(HINSTANCE instance, HCURSOR pointer, WNDPROC procedure, void* context)
    : m_instance(instance)
    , m_context(context)
{
    WNDCLASSEXW definition {};
    definition.cbSize = sizeof definition;
    definition.lpfnWndProc = procedure;
    definition.hInstance = instance;
    definition.hCursor = pointer;
    definition.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    definition.lpszClassName = cover_class;
    RegisterClassExW(&definition);
}

MonitorCovers::~MonitorCovers()
{
    remove();
    UnregisterClassW(cover_class, m_instance);
}

void MonitorCovers::cover(std::vector<Rect> const& areas)
{
    remove();
    for (Rect const& area : areas) {
        // Not activated when made, shown or clicked: the saver window keeps
        // the keyboard, and no activation passes to and fro while starting.
        HWND const window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, cover_class, L"", WS_POPUP,
            area.x, area.y, area.width, area.height, nullptr, nullptr, m_instance, m_context);
        if (!window) {
            // The saver still runs on the primary monitor; say why this one is not covered.
            OutputDebugStringW(L"Quilvenmoor: a monitor cover window could not be created\n");
            continue;
        }
        m_windows.push_back(window);
        SetWindowPos(window, HWND_TOPMOST, area.x, area.y, area.width, area.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void MonitorCovers::remove()
{
    std::vector<HWND> const windows = std::move(m_windows);
    m_windows.clear();
    for (HWND window : windows)
        DestroyWindow(window);
}

bool MonitorCovers::contains(HWND window) const { return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end(); }

}
