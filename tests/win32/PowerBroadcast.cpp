// Tells the running saver that the console display went off, came on or was
// dimmed, as the system does: a WM_POWERBROADCAST message with
// PBT_POWERSETTINGCHANGE and a POWERBROADCAST_SETTING for
// GUID_CONSOLE_DISPLAY_STATE. Wine cannot switch a display off; this sends
// the message the system would.
//
//   power-broadcast off|on|dimmed
//
// The setting is written into the saver's own memory, since the message
// carries only its address; the message is sent, so the saver has handled
// it when this ends. Ends with status 0 when the saver's window answered.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

int report_failure(char const* what)
{
    std::fprintf(stderr, "power-broadcast: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

}

int wmain(int argc, wchar_t** argv)
{
    DWORD state = 0;
    if (argc == 2 && std::wcscmp(argv[1], L"off") == 0)
        state = 0;
    else if (argc == 2 && std::wcscmp(argv[1], L"on") == 0)
        state = 1;
    else if (argc == 2 && std::wcscmp(argv[1], L"dimmed") == 0)
        state = 2;
    else {
        std::fprintf(stderr, "usage: power-broadcast off|on|dimmed\n");
        return 2;
    }

    HWND const window = FindWindowW(L"QuilvenmoorSaverWindow", nullptr);
    if (!window)
        return report_failure("finding the saver window");
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE const process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_id);
    if (!process)
        return report_failure("OpenProcess");

    // The setting's GUID, the data's length, then the state as a DWORD.
    std::vector<BYTE> setting(sizeof(GUID) + 2 * sizeof(DWORD));
    DWORD const length = sizeof state;
    std::memcpy(setting.data(), &GUID_CONSOLE_DISPLAY_STATE, sizeof(GUID));
    std::memcpy(setting.data() + sizeof(GUID), &length, sizeof length);
    std::memcpy(setting.data() + sizeof(GUID) + sizeof length, &state, sizeof state);

    int status = 0;
    void* const remote = VirtualAllocEx(process, nullptr, setting.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) {
        status = report_failure("VirtualAllocEx");
    } else if (!WriteProcessMemory(process, remote, setting.data(), setting.size(), nullptr)) {
        status = report_failure("WriteProcessMemory");
    } else {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000, &answer))
            status = report_failure("SendMessageTimeoutW");
        else if (answer != TRUE)
            status = report_failure("the saver's answer");
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return status;
}
