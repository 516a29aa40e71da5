// The saver as a Windows screen saver (.scr).
#include "platform/win32/CommandLine.h"
#include "platform/win32/EventLoop.h"
#include "platform/win32/Process.h"
#include "platform/win32/Win32Host.h"
#include "start/Saver.h"

#include <windows.h>

namespace qm::win32 {

namespace {

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
