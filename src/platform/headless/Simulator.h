#pragma once

#include "platform/TickDelivery.h"
#include "platform/runtime/Clock.h"
#include "platform/headless/HeadlessHost.h"
#include "start/Saver.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qm {

// A script line that cannot be run: an unknown command, a bad number, or a
// command in the wrong place.
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, std::string const& message)
        : std::runtime_error(message)
        , m_line(line)
    {
    }
    int line() const { return m_line; }

private:
    int m_line;
};

// Runs the real saver on the headless platform from a script, one command a
// line, and writes one trace line per event. Two runs of the same script give
// the same trace, byte for byte.
class Simulator {
public:
    // Writes a frame of the current window to a file; supplied by the renderer.
    using FrameWriter = std::function<void(Saver const&, ScreenSize, std::string const& path)>;

    explicit Simulator(std::ostream& trace);
    ~Simulator();

    void set_frame_writer(FrameWriter writer) { m_frame_writer = std::move(writer); }

    // Runs one line of the script. Returns false once the process has ended
    // and nothing more is to be read. Throws ScriptError for a bad line.
    bool execute(std::string_view line, int line_number);

    // Runs a whole script; returns the exit status (0, or 2 after a bad line,
    // whose message goes to `errors`).
    int run(std::istream& script, std::ostream& errors);

    Saver const* saver() const { return m_saver.get(); }
    HeadlessHost const& host() const { return m_host; }

private:
    void start(std::string arguments);
    void wait(std::int64_t milliseconds);
    void wait_unseen(std::int64_t until);
    void deliver_batch();
    bool trace_tick(TimerId);
    void event_line(std::string const& event);
    bool finish_event(std::string const& event);
    std::string snapshot() const;
    ClockReading clock() const;

    std::ostream& m_trace;
    HeadlessHost m_host;
    std::unique_ptr<Saver> m_saver;
    ClockReading m_start_clock;
    FrameWriter m_frame_writer;
    bool m_finished { false };
    // Between `hide` and `show` nothing is drawn and ticks come in batches;
    // m_last_wake is when the last batch ran.
    Visibility m_visibility { Visibility::Seen };
    std::int64_t m_last_wake { 0 };
    int m_line_number { 0 };
};

}
