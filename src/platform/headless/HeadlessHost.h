#pragma once

#include "platform/TimedHost.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

// The platform without a display: a virtual monotonic clock in whole
// milliseconds since the process started, the timer table, and the process services as plain
// settings. The simulator and the tests run the real saver on it.
class HeadlessHost final : public TimedHost {
public:
    using MessageBoxObserver = std::function<void(std::string_view text, std::string_view title, int style)>;

    void set_screen_size(ScreenSize size) { m_screen = size; }
    void set_previous_instance(bool running) { m_previous_instance = running; }
    void set_argument_text(std::string text) { m_arguments = std::move(text); }
    void on_message_box(MessageBoxObserver observer) { m_message_box_observer = std::move(observer); }

    bool window_shown() const { return m_shown; }
    bool window_unloaded() const { return m_unloaded; }

    bool previous_instance() const override { return m_previous_instance; }
    std::string argument_text() const override { return m_arguments; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override { return m_screen; }
    void handle_pending_events() override { }
    void show_window() override { m_shown = true; }
    void unload_window() override { m_unloaded = true; }

private:
    ScreenSize m_screen { 1024, 768 };
    bool m_previous_instance { false };
    std::string m_arguments;
    MessageBoxObserver m_message_box_observer;
    bool m_shown { false };
    bool m_unloaded { false };
};

}
