#pragma once

#include "platform/posix/Process.h"
#include "start/Saver.h"

#include <cstdio>
#include <string>

namespace qm::posix {

// One run of the saver on a desktop front end, start to end: the saver
// starts, the front end's loop runs it, and a run-time error is reported on
// standard error and in the front end's message box. Returns the exit status.
template<typename Loop, typename DesktopHost>
int run_to_end(DesktopHost& host, TerminationSignals const& signals)
{
    Saver saver(host);
    host.set_now(monotonic_milliseconds());
    saver.start(wall_clock());
    if (saver.running()) {
        Loop loop(host, saver, signals);
        if (loop.run() == Loop::Outcome::Failed) {
            std::fprintf(stderr, "quilvenmoor: %s\n", loop.failure().c_str());
            return 1;
        }
    }
    if (saver.ending() == Saver::Ending::Error) {
        host.unload_window();
        std::string const text = report_text(*saver.error());
        std::fprintf(stderr, "quilvenmoor: %s\n", text.c_str());
        host.show_message_box(text, report_title, 16);
        return 1;
    }
    return 0;
}

}
