#include "platform/headless/Simulator.h"

#include "platform/TickDelivery.h"
#include "platform/runtime/Numeric.h"
#include "platform/runtime/Text.h"

#include <charconv>
#include <cmath>
#include <istream>
#include <ostream>
#include <vector>

namespace qm {

namespace {

std::vector<std::string_view> split_words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::size_t const begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > begin)
            words.push_back(line.substr(begin, i - begin));
    }
    return words;
}

class Words {
public:
    Words(std::vector<std::string_view> words, int line)
        : m_words(std::move(words))
        , m_line(line)
    {
    }

    void expect_count(std::size_t count) const
    {
        if (m_words.size() != count)
            fail("'" + std::string(m_words[0]) + "' takes " + std::to_string(count - 1) + " value(s)");
    }

    std::string_view operator[](std::size_t i) const { return m_words[i]; }

    std::int64_t integer(std::size_t i, std::int64_t low, std::int64_t high) const
    {
        std::string_view const word = m_words[i];
        std::int64_t value = 0;
        auto const result = std::from_chars(word.data(), word.data() + word.size(), value);
        if (result.ec != std::errc() || result.ptr != word.data() + word.size() || value < low || value > high)
            fail("bad number '" + std::string(word) + "' (a whole number from " + std::to_string(low) + " to " + std::to_string(high) + " is expected)");
        return value;
    }

    // A decimal number that fits a single.
    float single(std::size_t i) const
    {
        std::string_view const word = m_words[i];
        double value = 0;
        auto const result = std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::general);
        if (result.ec != std::errc() || result.ptr != word.data() + word.size() || !std::isfinite(value) || std::isinf(static_cast<float>(value)))
            fail("bad number '" + std::string(word) + "' (a decimal number in the single range is expected)");
        return static_cast<float>(value);
    }

    [[noreturn]] void fail(std::string const& message) const { throw ScriptError(m_line, message); }

private:
    std::vector<std::string_view> m_words;
    int m_line;
};

// Seconds with up to three decimals, as whole milliseconds.
std::optional<std::int64_t> parse_seconds(std::string_view text)
{
    std::int64_t whole = 0;
    std::size_t i = 0;
    if (text.empty())
        return std::nullopt;
    for (; i < text.size() && text[i] != '.'; ++i) {
        if (text[i] < '0' || text[i] > '9' || i >= 6)
            return std::nullopt;
        whole = whole * 10 + (text[i] - '0');
    }
    if (i == 0)
        return std::nullopt;
    std::int64_t fraction = 0;
    int digits = 0;
    if (i < text.size()) {
        for (++i; i < text.size(); ++i, ++digits) {
            if (text[i] < '0' || text[i] > '9' || digits >= 3)
                return std::nullopt;
            fraction = fraction * 10 + (text[i] - '0');
        }
        if (digits == 0)
            return std::nullopt;
    }
    for (; digits < 3; ++digits)
        fraction *= 10;
    std::int64_t const milliseconds = whole * 1000 + fraction;
    if (milliseconds >= milliseconds_per_day)
        return std::nullopt;
    return milliseconds;
}

std::string g9(float value) { return format_general(double(value), 9); }

char const* target_name(HitTarget target)
{
    switch (target) {
    case HitTarget::Box:
        return "box";
    case HitTarget::Banner:
        return "banner";
    case HitTarget::Form:
        break;
    }
    return "form";
}

}

Simulator::Simulator(std::ostream& trace)
    : m_trace(trace)
    , m_start_clock(CivilDate { 2000, 1, 1 }, 43'200'000)
{
    m_host.on_message_box([this](std::string_view text, std::string_view title, int style) {
        m_trace << "t=" << m_host.now() << " box text=\"" << text << "\" title=\"" << title << "\" style=" << style << '\n';
    });
}

Simulator::~Simulator() = default;

ClockReading Simulator::clock() const { return m_start_clock.advanced_by(m_host.now()); }

std::string Simulator::snapshot() const
{
    Frmsaver const& form = *m_saver->form();
    Global const& global = m_saver->global();
    bool const scroll = form.timerScreenSaver2.Enabled();
    bool const bounce = form.timerScreenSaver.Enabled();
    std::string text = "mode=";
    text += scroll && bounce ? "both" : scroll ? "scroll" : bounce ? "bounce" : "none";
    text += " L=" + g9(form.picScreenSaver.Left());
    text += " T=" + g9(form.picScreenSaver.Top());
    text += " H=" + std::to_string(global.Heading);
    text += " S=" + g9(global.Speed);
    text += " U=" + global.SpeedUp.trace_text();
    text += " tag=\"" + form.timerScreenSaver.Tag() + "\"";
    text += " caption=\"" + form.Label1.Caption() + "\"";
    text += std::string(" banner=") + (form.Birthday.Visible() ? "visible" : "hidden") + ":\"" + form.Birthday.Caption() + "\"";
    text += " mouse=" + std::to_string(form.LastMouseX) + "," + std::to_string(form.LastMouseY);
    return text;
}

// Prints an event that has run: with the snapshot while the saver runs, or
// followed by the line that says how the process ended. Returns whether the saver still runs.
bool Simulator::finish_event(std::string const& event)
{
    std::string const prefix = "t=" + std::to_string(m_host.now()) + " ";
    if (m_saver->running()) {
        m_trace << prefix << event << " | " << snapshot() << '\n';
        return true;
    }
    m_trace << prefix << event << '\n';
    if (m_saver->ending() == Saver::Ending::Error)
        m_trace << prefix << "error " << m_saver->error()->code() << ' ' << m_saver->error()->description() << '\n';
    else
        m_trace << prefix << "end\n";
    m_finished = true;
    return false;
}

void Simulator::start(std::string arguments)
{
    m_host.set_argument_text(std::move(arguments));
    m_saver = std::make_unique<Saver>(m_host);
    m_saver->start(clock());
    std::string const prefix = "t=" + std::to_string(m_host.now()) + " ";
    if (m_saver->running()) {
        m_trace << prefix << "load seed=" << g9(m_saver->runtime().last_seed()) << " | " << snapshot() << '\n';
        m_trace << prefix << "main run\n";
        return;
    }
    m_finished = true;
    if (m_saver->ending() == Saver::Ending::Error)
        m_trace << prefix << "error " << m_saver->error()->code() << ' ' << m_saver->error()->description() << '\n';
    else
        m_trace << prefix << "main quit\n";
}

bool Simulator::trace_tick(TimerId id)
{
    char const* name = id == TimerId::Scroll ? "tick scroll" : id == TimerId::Bounce ? "tick bounce" : "tick banner";
    return finish_event(name);
}

void Simulator::wait(std::int64_t milliseconds)
{
    std::int64_t const until = m_host.now() + milliseconds;
    if (m_visibility == Visibility::Unseen) {
        wait_unseen(until);
        return;
    }
    deliver_due_ticks(m_host, *m_saver, until, ClockKind::Virtual, [&] { return clock(); }, [&](TimerId id) { return trace_tick(id); });
}

// Time passes as for a desktop loop nobody sees: it wakes for its ticks at
// most once a second and delivers the ticks due by then in one batch.
void Simulator::wait_unseen(std::int64_t until)
{
    while (!m_finished) {
        auto const wake = next_tick_wake(m_host.scheduler(), Visibility::Unseen, m_last_wake);
        if (!wake || *wake > until)
            break;
        m_host.set_now(*wake);
        deliver_batch();
    }
    if (!m_finished)
        m_host.set_now(until);
}

// The ticks due by now, each at its own due time, as the batch of a loop
// that wakes now; the trace names the batch and then its ticks.
void Simulator::deliver_batch()
{
    std::int64_t const now = m_host.now();
    m_last_wake = now;
    auto const due = m_host.scheduler().next_due();
    if (!due || *due > now)
        return;
    m_trace << "t=" << now << " batch\n";
    deliver_due_ticks_in_batch(m_host, *m_saver, now, clock(), [&](TimerId id) { return trace_tick(id); });
}

bool Simulator::execute(std::string_view line, int line_number)
{
    m_line_number = line_number;
    if (m_finished)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    auto words_list = split_words(line);
    if (words_list.empty() || words_list[0].front() == '#')
        return true;
    Words const words(std::move(words_list), line_number);
    std::string_view const command = words[0];
    bool const started = m_saver != nullptr;

    if (command == "start") {
        if (started)
            words.fail("the process has already started");
        std::string_view arguments = line.substr(std::min(line.size(), line.find("start") + 5));
        if (!arguments.empty())
            arguments.remove_prefix(1);
        if (line.substr(0, 5) != "start" || (line.size() > 5 && line[5] != ' '))
            words.fail("'start' must begin the line, followed by a blank and the argument text");
        start(std::string(arguments));
        return !m_finished;
    }
    if (command == "screen" || command == "clock" || command == "running") {
        if (started)
            words.fail("'" + std::string(command) + "' must come before 'start'");
        if (command == "screen") {
            words.expect_count(3);
            m_host.set_screen_size({ int(words.integer(1, 1, 32767)), int(words.integer(2, 1, 32767)) });
        } else if (command == "clock") {
            words.expect_count(3);
            auto const date = parse_date_text(words[1]);
            if (!date)
                words.fail("bad date '" + std::string(words[1]) + "' (MM-DD-YYYY is expected)");
            auto const milliseconds = parse_seconds(words[2]);
            if (!milliseconds)
                words.fail("bad seconds '" + std::string(words[2]) + "' (0 to 86399.999, at most 3 decimals)");
            m_start_clock = ClockReading(*date, *milliseconds);
        } else {
            words.expect_count(1);
            m_host.set_previous_instance(true);
        }
        return true;
    }

    bool const known = command == "wait" || command == "key" || command == "move" || command == "press" || command == "set" || command == "frame"
        || command == "resize" || command == "hide" || command == "show";
    if (!known)
        words.fail("unknown command '" + std::string(command) + "'");
    if (!started)
        words.fail("'" + std::string(command) + "' must come after 'start'");

    bool const unseen = m_visibility == Visibility::Unseen;
    if (command == "hide" || command == "show") {
        words.expect_count(1);
        if ((command == "hide") == unseen)
            words.fail(unseen ? "the window is already hidden" : "the window is not hidden");
    }
    if (command == "frame" && unseen)
        words.fail("nothing is drawn while the window is hidden");
    // A loop nobody sees learns of an event when it arrives: the ticks due
    // before it run first, in a batch, as they would have on time.
    if (unseen && command != "wait" && command != "hide") {
        deliver_batch();
        if (m_finished)
            return false;
    }

    if (command == "hide") {
        m_visibility = Visibility::Unseen;
        m_last_wake = m_host.now();
        m_trace << "t=" << m_host.now() << " hide\n";
        return true;
    }
    if (command == "show") {
        m_visibility = Visibility::Seen;
        m_trace << "t=" << m_host.now() << " show\n";
        return true;
    }

    if (command == "wait") {
        words.expect_count(2);
        wait(words.integer(1, 0, std::int64_t(1) << 40));
    } else if (command == "key") {
        words.expect_count(2);
        auto const code = words.integer(1, integer_min, integer_max);
        m_saver->key_down(static_cast<VirtualKey>(code), clock());
        finish_event("key " + std::to_string(code));
    } else if (command == "move") {
        words.expect_count(3);
        float const x = words.single(1);
        float const y = words.single(2);
        Frmsaver const& form = *m_saver->form();
        bool const nothing_recorded = form.LastMouseX == 0 && form.LastMouseY == 0;
        HitTarget const target = m_saver->mouse_move(x, y, clock());
        std::string outcome = target != HitTarget::Form ? target_name(target)
            : !m_saver->running()                        ? "end"
            : nothing_recorded                           ? "record"
                                                         : "clear";
        finish_event("move " + g9(x) + " " + g9(y) + " " + outcome);
    } else if (command == "press") {
        words.expect_count(4);
        auto const button = words.integer(1, 1, 4);
        if (button == 3)
            words.fail("bad button '3' (1 left, 2 right or 4 middle)");
        float const x = words.single(2);
        float const y = words.single(3);
        HitTarget const target = m_saver->mouse_down(static_cast<MouseButton>(button), x, y, clock());
        std::string const outcome = target != HitTarget::Form ? target_name(target) : "end";
        finish_event("press " + std::to_string(button) + " " + g9(x) + " " + g9(y) + " " + outcome);
    } else if (command == "set") {
        words.expect_count(3);
        Frmsaver& form = *m_saver->mutable_form();
        Global& global = m_saver->global();
        std::string_view const name = words[1];
        std::string value_text;
        if (name == "heading") {
            global.Heading = static_cast<Integer>(words.integer(2, integer_min, integer_max));
            value_text = std::to_string(global.Heading);
        } else if (name == "speed" || name == "left" || name == "top") {
            float const value = words.single(2);
            if (name == "speed")
                global.Speed = value;
            else if (name == "left")
                form.picScreenSaver.set_Left(value);
            else
                form.picScreenSaver.set_Top(value);
            value_text = g9(value);
        } else {
            words.fail("unknown value '" + std::string(name) + "' (heading, speed, left or top)");
        }
        finish_event("set " + std::string(name) + " " + value_text);
    } else if (command == "resize") {
        words.expect_count(3);
        ScreenSize const size { int(words.integer(1, 1, 32767)), int(words.integer(2, 1, 32767)) };
        m_host.set_screen_size(size);
        m_saver->resize(size);
        finish_event("resize " + std::to_string(size.width) + " " + std::to_string(size.height));
    } else if (command == "frame") {
        words.expect_count(2);
        if (!m_frame_writer)
            words.fail("this simulator was built without frames");
        try {
            m_frame_writer(*m_saver, m_host.screen_size(), std::string(words[1]));
        } catch (std::exception const& error) {
            words.fail(error.what());
        }
    }
    return !m_finished;
}

int Simulator::run(std::istream& script, std::ostream& errors)
{
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        try {
            if (!execute(line, number))
                break;
        } catch (ScriptError const& error) {
            m_trace.flush();
            errors << "quilvenmoor-sim: line " << error.line() << ": " << error.what() << '\n';
            return 2;
        }
    }
    return 0;
}

}
