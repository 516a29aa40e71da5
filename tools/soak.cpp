// A simulated 48-hour run through the simulator: two midnights and a 12 May,
// mode switches, new courses and places, the speed-up switched and restarted,
// and extreme speeds (0, negative, up to 10,000 pixels a tick). It checks that
// no error reaches the platform, positions stay finite and memory does not
// grow, and prints how many ticks a second the simulator runs.
//
// Usage: quilvenmoor-soak [HOURS]   (default 48)
#include "platform/headless/Simulator.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>

namespace {

// Counts what the trace would have printed, and keeps nothing.
class CountingBuffer : public std::streambuf {
public:
    long long lines() const { return m_lines; }

protected:
    int overflow(int c) override
    {
        if (c == '\n')
            ++m_lines;
        return c;
    }
    std::streamsize xsputn(char const* text, std::streamsize count) override
    {
        for (std::streamsize i = 0; i < count; ++i)
            m_lines += text[i] == '\n';
        return count;
    }

private:
    long long m_lines { 0 };
};

long resident_kilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

[[noreturn]] void fail(std::string const& why)
{
    std::fprintf(stderr, "soak: FAILED: %s\n", why.c_str());
    std::exit(1);
}

}

int main(int argc, char** argv)
{
    int const hours = argc > 1 ? std::atoi(argv[1]) : 48;
    CountingBuffer counter;
    std::ostream trace(&counter);
    qm::Simulator simulator(trace);
    int line = 0;
    auto run = [&](std::string const& command) {
        try {
            simulator.execute(command, ++line);
        } catch (qm::ScriptError const& error) {
            fail(command + ": " + error.what());
        }
    };

    // 11 May, two hours before midnight: the run passes into 12 May and on into 13 May.
    run("screen 1920 1080");
    run("clock 05-11-2026 79200");
    run("start /S");

    // One step of the cycle every simulated minute; the cycle repeats.
    char const* const steps[] = {
        "key 81", "key 32", "set speed 10000", "key 83", "key 13", "set speed -37.5", "key 65", "key 81",
        "set speed 0", "key 39", "key 32", "set speed 4.5", "key 38", "key 97", "key 115", "set speed -10000",
        "key 113", "key 40", "set heading 32700", "key 32", "set speed 2.25", "key 37", "key 81", "key 13",
    };
    constexpr int step_count = sizeof steps / sizeof steps[0];
    long const minutes = hours * 60L;
    long resident_after_warmup = 0;
    auto const started = std::chrono::steady_clock::now();
    for (long minute = 0; minute < minutes; ++minute) {
        run(steps[minute % step_count]);
        run("wait 60000");
        qm::Saver const* saver = simulator.saver();
        if (!saver || !saver->running())
            fail("the saver ended in minute " + std::to_string(minute) + (saver && saver->error() ? std::string(": error ") + saver->error()->description() : ""));
        qm::Frmsaver const& form = *saver->form();
        if (!std::isfinite(form.picScreenSaver.Left()) || !std::isfinite(form.picScreenSaver.Top()))
            fail("the position is no longer finite in minute " + std::to_string(minute));
        if (minute == 60)
            resident_after_warmup = resident_kilobytes();
    }
    double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    long const resident_at_end = resident_kilobytes();
    long long const ticks = counter.lines();
    std::printf("soak: %d simulated hours, %lld events in %.2f s: %.0f ticks per second (%.0f times real time)\n", hours, ticks, seconds,
        double(ticks) / seconds, hours * 3600.0 / seconds);
    std::printf("soak: resident memory %ld kB after the first hour, %ld kB at the end\n", resident_after_warmup, resident_at_end);
    qm::Frmsaver const& form = *simulator.saver()->form();
    std::printf("soak: ended at %s with Heading %d, speed %g\n", form.Label1.Caption().c_str(), simulator.saver()->global().Heading,
        double(simulator.saver()->global().Speed));
    if (resident_at_end > resident_after_warmup + 256)
        fail("memory grew");
    if (form.Label1.Caption().substr(14) != "05-13-2026")
        fail("the run did not reach 13 May");
    std::printf("soak: 1 passed, 0 failed\n");
    return 0;
}
