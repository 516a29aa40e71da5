#include "platform/win32/ForegroundWatch.h"

namespace qm::win32 {

bool ForegroundWatch::observe(Holder holder)
{
    switch (holder) {
    case Holder::ThisProgram:
        m_held = true;
        return false;
    case Holder::AnotherProgram:
        return m_held;
    case Holder::Nobody:
        return false;
    }
    return false;
}

}
