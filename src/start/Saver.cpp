#include "start/Saver.h"

namespace qm {

Saver::Saver(Host& host)
    : m_global(host, m_runtime)
{
}

template<typename Handler>
void Saver::dispatch(ClockReading now, Handler&& handler)
{
    m_runtime.set_now(now);
    try {
        handler();
    } catch (ProcessEnd const& end) {
        m_state = State::Ended;
        m_ending = end.reason == EndReason::Quit ? Ending::Quit : Ending::Dismissed;
    } catch (RuntimeError const& error) {
        m_state = State::Ended;
        m_ending = Ending::Error;
        m_error = error;
    }
}

void Saver::start(ClockReading now)
{
    if (m_state != State::NotStarted)
        return;
    m_state = State::Running;
    dispatch(now, [&] { m_global.Main(); });
}

void Saver::tick(TimerId id, ClockReading now)
{
    if (!running() || !m_global.loaded())
        return;
    dispatch(now, [&] {
        Frmsaver& form = m_global.form();
        switch (id) {
        case TimerId::Scroll:
            if (form.timerScreenSaver2.Enabled())
                form.timerScreenSaver2_Timer();
            break;
        case TimerId::Banner:
            if (form.timerBirthday.Enabled())
                form.timerBirthday_Timer();
            break;
        case TimerId::Bounce:
            if (form.timerScreenSaver.Enabled())
                form.timerScreenSaver_Timer();
            break;
        }
    });
}

void Saver::key_down(VirtualKey key, ClockReading now)
{
    if (!running() || !m_global.loaded())
        return;
    dispatch(now, [&] { m_global.form().Form_KeyDown(key, 0); });
}

HitTarget Saver::mouse_move(float x, float y, ClockReading now)
{
    if (!running() || !m_global.loaded())
        return HitTarget::Form;
    HitTarget const target = m_global.form().hit_test(x, y);
    if (target == HitTarget::Form)
        dispatch(now, [&] { m_global.form().Form_MouseMove(0, 0, x, y); });
    return target;
}

HitTarget Saver::mouse_down(MouseButton button, float x, float y, ClockReading now)
{
    if (!running() || !m_global.loaded())
        return HitTarget::Form;
    HitTarget const target = m_global.form().hit_test(x, y);
    if (target == HitTarget::Form)
        dispatch(now, [&] { m_global.form().Form_MouseDown(button, 0, x, y); });
    return target;
}

void Saver::resize(ScreenSize size)
{
    if (running() && m_global.loaded())
        m_global.form().resize(size);
}

void Saver::pointer_returned()
{
    if (!running() || !m_global.loaded())
        return;
    m_global.form().LastMouseX = 0;
    m_global.form().LastMouseY = 0;
}

void Saver::dismiss(ClockReading now)
{
    if (!running() || !m_global.loaded())
        return;
    dispatch(now, [&] { m_global.EndSaver(); });
}

}
