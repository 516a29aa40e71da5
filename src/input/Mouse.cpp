#include "platform/runtime/Numeric.h"
#include "start/Global.h"
#include "window/Frmsaver.h"

namespace qm {

void Frmsaver::Form_MouseDown(MouseButton, Integer, float, float) { m_global.EndSaver(); }

void Frmsaver::Form_MouseMove(Integer, Integer, float X, float Y)
{
    // Moves come in pairs: the first is recorded, the second must repeat it
    // exactly or the pointer has really moved. (0, 0) means nothing recorded.
    if (LastMouseX == 0 && LastMouseY == 0) {
        // A coordinate beyond the 16-bit range is pinned to its end rather
        // than ending the saver with an overflow.
        LastMouseX = to_integer_clamped(X);
        LastMouseY = to_integer_clamped(Y);
        return;
    }
    bool const same_x = float(LastMouseX) == X;
    bool const same_y = float(LastMouseY) == Y;
    if (same_x && same_y) {
        LastMouseX = 0;
        LastMouseY = 0;
        return;
    }
    m_global.EndSaver();
}

}
