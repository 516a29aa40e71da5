// The cost of the saver's work, piece by piece: what one tick, one key or one
// pointer event costs in the core, and how fast the simulator runs.
#include "platform/headless/HeadlessHost.h"
#include "platform/headless/Simulator.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <streambuf>

namespace {

using namespace qm;

// A running saver on a 1920 x 1080 screen, at noon on an ordinary day.
struct Running {
    Running()
    {
        host.set_screen_size({ 1920, 1080 });
        host.set_argument_text("/S");
        saver.start(clock);
        saver.mutable_form()->timerBirthday.set_Enabled(false);
    }
    HeadlessHost host;
    Saver saver { host };
    ClockReading clock { CivilDate { 2026, 12, 7 }, 43'200'000 };
};

void ScrollTick(benchmark::State& state)
{
    Running running;
    for (auto _ : state) {
        running.saver.tick(TimerId::Scroll, running.clock);
        benchmark::DoNotOptimize(running.saver.form()->picScreenSaver.Left());
    }
}
BENCHMARK(ScrollTick);

void BounceTick(benchmark::State& state)
{
    Running running;
    running.saver.key_down(VirtualKey::Q, running.clock);
    for (auto _ : state) {
        running.saver.tick(TimerId::Bounce, running.clock);
        benchmark::DoNotOptimize(running.saver.form()->picScreenSaver.Top());
    }
}
BENCHMARK(BounceTick);

void ClockCaption(benchmark::State& state)
{
    Running running;
    for (auto _ : state) {
        running.saver.mutable_form()->show_clock_caption();
        benchmark::DoNotOptimize(running.saver.form()->Label1.Caption().data());
    }
}
BENCHMARK(ClockCaption);

void KeyCommand(benchmark::State& state)
{
    Running running;
    VirtualKey key = VirtualKey::Left;
    for (auto _ : state) {
        running.saver.key_down(key, running.clock);
        key = key == VirtualKey::Left ? VirtualKey::Right : VirtualKey::Left;
    }
}
BENCHMARK(KeyCommand);

void HitTest(benchmark::State& state)
{
    Running running;
    Frmsaver const& form = *running.saver.form();
    float x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(form.hit_test(x, 500));
        x = x > 1900 ? 0 : x + 7.5f;
    }
}
BENCHMARK(HitTest);

void ComposeBoxImage(benchmark::State& state)
{
    Running running;
    Renderer renderer({ 1920, 1080 });
    renderer.update(*running.saver.form());
    int second = 0;
    for (auto _ : state) {
        // A new caption each time, so the box picture is composed anew.
        running.saver.mutable_form()->Label1.set_Caption("12:00:" + std::to_string(10 + second++ % 50) + "      12-07-2026");
        benchmark::DoNotOptimize(renderer.update(*running.saver.form()).size());
    }
}
BENCHMARK(ComposeBoxImage);

void TickDrawingOperations(benchmark::State& state)
{
    Running running;
    Renderer renderer({ 1920, 1080 });
    renderer.update(*running.saver.form());
    for (auto _ : state) {
        running.saver.tick(TimerId::Scroll, running.clock);
        benchmark::DoNotOptimize(renderer.update(*running.saver.form()).size());
    }
}
BENCHMARK(TickDrawingOperations);

class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(char const*, std::streamsize count) override { return count; }
};

// The simulator over one simulated hour (120,000 scroll ticks), with its trace
// formatted (and thrown away) or without a trace at all.
void SimulatorHourWithTrace(benchmark::State& state)
{
    for (auto _ : state) {
        Discard discard;
        std::ostream trace(&discard);
        Simulator simulator(trace);
        simulator.execute("start /S", 1);
        simulator.execute("wait 3600000", 2);
    }
    state.counters["ticks/s"] = benchmark::Counter(120000.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(SimulatorHourWithTrace)->Unit(benchmark::kMillisecond);

void SimulatorHourWithoutTrace(benchmark::State& state)
{
    for (auto _ : state) {
        Running running;
        TickScheduler& scheduler = running.host.scheduler();
        std::int64_t now = 0;
        while (now < 3'600'000) {
            now = *scheduler.next_due();
            running.host.set_now(now);
            running.saver.tick(*scheduler.take_due(now), running.clock.advanced_by(now));
        }
    }
    state.counters["ticks/s"] = benchmark::Counter(120000.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(SimulatorHourWithoutTrace)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
