#include "platform/runtime/Numeric.h"
#include "platform/runtime/RuntimeError.h"
#include "start/Global.h"
#include "window/Frmsaver.h"

namespace qm {

namespace {

// Runs one statement of the key handler: a run-time error abandons the
// statement and the handler goes on with the next one, silently.
template<typename Statement>
void resume_next(Statement&& statement)
{
    try {
        statement();
    } catch (RuntimeError const&) {
    }
}

}

void Frmsaver::Form_KeyDown(VirtualKey KeyCode, Integer)
{
    Global& global = m_global;
    switch (KeyCode) {
    case VirtualKey::Space:
        resume_next([&] { global.toggle_speed_up(); });
        return;
    case VirtualKey::Return:
        resume_next([&] { global.restart_speed_up_clock(); });
        return;
    case VirtualKey::Numpad1:
    case VirtualKey::A:
        resume_next([&] { random_heading(); });
        resume_next([&] { random_speed(); });
        return;
    case VirtualKey::F4:
    case VirtualKey::S:
        resume_next([&] { random_placement_horizontal(); });
        resume_next([&] { random_placement_vertical(); });
        return;
    case VirtualKey::Left:
    case VirtualKey::Up:
    case VirtualKey::Right:
    case VirtualKey::Down:
        resume_next([&] {
            switch (KeyCode) {
            case VirtualKey::Left:
                global.Heading = subtract(global.Heading, 5);
                break;
            case VirtualKey::Up:
                store_single_then_check(global.Speed, double(global.Speed) + 0.5);
                break;
            case VirtualKey::Right:
                global.Heading = add(global.Heading, 5);
                break;
            default:
                store_single_then_check(global.Speed, double(global.Speed) - 0.5);
                break;
            }
        });
        resume_next([&] { global.Heading = remainder(add(global.Heading, 360), 360); });
        return;
    case VirtualKey::F2:
    case VirtualKey::Q:
        resume_next([&] { timerScreenSaver.set_Enabled(timerScreenSaver2.Enabled()); });
        resume_next([&] {
            Integer const truth = timerScreenSaver.Enabled() ? -1 : 0;
            timerScreenSaver2.set_Enabled(add(truth, 1) != 0);
        });
        return;
    default:
        resume_next([&] { global.EndSaver(); });
        return;
    }
}

}
