#pragma once

namespace qm {

enum class EndReason {
    Quit, // the start-up decided not to run the saver
    EndSaver, // the user dismissed the running saver
};

// Thrown to end the process from inside a handler: nothing after the throw
// runs, and the error handling of the key handler does not take it. The
// start-up module catches it at the top of the event and ends the process.
struct ProcessEnd {
    EndReason reason;
};

}
