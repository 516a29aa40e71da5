#pragma once

namespace qm {

// What an idle source of the desktop (the X server, the compositor) tells
// the idle watcher.
enum class IdleEvent {
    Idle, // idle for the wait
    Active, // input after idleness
    Gone, // the display or compositor has gone: the session has ended
    Broken, // the connection failed otherwise (a protocol error)
};

}
