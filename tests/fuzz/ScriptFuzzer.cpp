// Feeds arbitrary bytes to the simulator's script reader; scripts that parse
// run through the real saver and the renderer, twice, and the two traces must
// be the same byte for byte. A crash, a sanitizer report or a difference ends
// the run with the input that caused it.
#include "platform/headless/Simulator.h"
#include "window/Renderer.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// Inputs that would only take long (hours of virtual time, giant frames)
// teach nothing more than short ones: they are passed over.
bool within_budget(std::string const& script)
{
    std::istringstream lines(script);
    std::string line;
    long long waited = 0;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "wait") {
            long long milliseconds = 0;
            words >> milliseconds;
            if (milliseconds > 10 * 60 * 1000)
                return false;
            waited += milliseconds > 0 ? milliseconds : 0;
            if (waited > 10 * 60 * 1000)
                return false;
        }
        if (command == "screen" || command == "resize") {
            long long width = 0;
            long long height = 0;
            words >> width >> height;
            if (width > 4000 || height > 4000 || width * height > 4'000'000)
                return false;
        }
    }
    return true;
}

std::string simulate(std::string const& script)
{
    std::istringstream input(script);
    std::ostringstream trace;
    std::ostringstream errors;
    qm::Simulator simulator(trace);
    // "frame" draws the window both ways and holds them against each other.
    simulator.set_frame_writer([](qm::Saver const& saver, qm::ScreenSize screen, std::string const&) {
        qm::Renderer renderer(screen);
        qm::Image frame(screen.width, screen.height, qm::rgb(255, 0, 255));
        renderer.apply(renderer.update(*saver.form()), frame);
        if (!(frame == renderer.render(*saver.form())))
            std::abort();
    });
    int const status = simulator.run(input, errors);
    return trace.str() + "\n" + errors.str() + "status " + std::to_string(status);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string const script(reinterpret_cast<char const*>(data), size);
    if (!within_budget(script))
        return 0;
    if (simulate(script) != simulate(script))
        std::abort();
    return 0;
}
