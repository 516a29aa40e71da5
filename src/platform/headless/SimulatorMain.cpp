#include "platform/headless/Png.h"
#include "platform/headless/Simulator.h"
#include "platform/headless/StandardStreams.h"
#include "window/Renderer.h"

#include <iostream>

int main()
{
    qm::use_binary_standard_streams();
    std::ios::sync_with_stdio(false);
    qm::Simulator simulator(std::cout);
    simulator.set_frame_writer([](qm::Saver const& saver, qm::ScreenSize screen, std::string const& path) {
        qm::Renderer const renderer(screen);
        qm::write_png(renderer.render(*saver.form()), path);
    });
    int const status = simulator.run(std::cin, std::cerr);
    std::cout.flush();
    return status;
}
