#pragma once

#include "platform/TickDelivery.h"
#include "platform/headless/HeadlessHost.h"
#include "start/Saver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

// Runs the real saver on the headless platform with a virtual clock, the way
// the simulator does, for tests that look at the state directly.
class Harness {
public:
    explicit Harness(ScreenSize screen = { 1024, 768 }, ClockReading clock = ClockReading({ 2000, 1, 1 }, 43'200'000))
        : m_clock(clock)
    {
        m_host.set_screen_size(screen);
        m_host.on_message_box([this](std::string_view text, std::string_view title, int style) {
            boxes.push_back(std::string(text) + "|" + std::string(title) + "|" + std::to_string(style));
        });
    }

    Harness& previous_instance()
    {
        m_host.set_previous_instance(true);
        return *this;
    }

    Saver& start(std::string arguments = "/S")
    {
        m_host.set_argument_text(std::move(arguments));
        saver.start(now());
        return saver;
    }

    // Advances the clock, delivering every tick that falls due; returns how many ran.
    int wait(std::int64_t milliseconds)
    {
        return deliver_due_ticks(m_host, saver, m_host.now() + milliseconds, ClockKind::Virtual, [&] { return now(); }, [&](TimerId id) {
            ticks_delivered.push_back(id);
            return true;
        });
    }

    void key(VirtualKey key) { saver.key_down(key, now()); }
    HitTarget move(float x, float y) { return saver.mouse_move(x, y, now()); }
    HitTarget press(MouseButton button, float x, float y) { return saver.mouse_down(button, x, y, now()); }

    ClockReading now() const { return m_clock.advanced_by(m_host.now()); }
    Frmsaver& form() { return *saver.mutable_form(); }
    Global& global() { return saver.global(); }
    HeadlessHost& host() { return m_host; }
    bool ended_by_user() const { return saver.ending() == Saver::Ending::Dismissed; }

    std::vector<std::string> boxes;
    std::vector<TimerId> ticks_delivered;

private:
    ClockReading m_clock;
    HeadlessHost m_host;

public:
    Saver saver { m_host };
};

}
