#pragma once

namespace qm::win32 {

// Decides when the saver must end because its window is no longer the
// active one, so that no keystroke lands in a program hidden behind it. A
// loss counts only after the saver's window has once been the active one:
// while it starts, another program may still hold the foreground. Windows
// of the saver's own (the black covers of other monitors) never count.
class ForegroundWatch {
public:
    enum class Holder {
        Nobody, // between two activations, or nothing the system will name
        ThisProgram,
        AnotherProgram,
    };

    // Reports who holds the foreground now; true when the saver must end.
    bool observe(Holder);

    bool held() const { return m_held; }

private:
    bool m_held { false };
};

}
