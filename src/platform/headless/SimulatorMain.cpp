#include "platform/headless/Simulator.h"

#include <iostream>

int main()
{
    std::ios::sync_with_stdio(false);
    qm::Simulator simulator(std::cout);
    int const status = simulator.run(std::cin, std::cerr);
    std::cout.flush();
    return status;
}
