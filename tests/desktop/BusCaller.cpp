// Plays a video player on the session bus for the idle watcher's scenarios.
//
// Usage: quilvenmoor-bus-caller inhibit [PATH]   calls Inhibit, prints the cookie, then
//                                                 reads commands on standard input:
//                                                 "uninhibit" releases the hold, "quit"
//                                                 or the end of input leaves the bus
//        quilvenmoor-bus-caller get-active [PATH]  prints GetActive's answer
//        quilvenmoor-bus-caller simulate           calls SimulateUserActivity
//        quilvenmoor-bus-caller uninhibit COOKIE   calls UnInhibit from a new connection
//                                                 (which does not hold that cookie)
// PATH is /org/freedesktop/ScreenSaver unless given. Ends with status 1 when a call fails.
#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr char const* name = "org.freedesktop.ScreenSaver";

int report(int result, sd_bus_error& error, char const* member)
{
    if (result >= 0)
        return 0;
    std::fprintf(stderr, "bus-caller: %s failed: %s\n", member, error.message ? error.message : std::strerror(-result));
    return 1;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: quilvenmoor-bus-caller inhibit|get-active|simulate|uninhibit COOKIE [PATH]\n", stderr);
        return 2;
    }
    std::string const command = argv[1];
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        std::fputs("bus-caller: no session bus\n", stderr);
        return 1;
    }
    char const* path = "/org/freedesktop/ScreenSaver";
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (command == "inhibit") {
        if (argc > 2)
            path = argv[2];
        int result = sd_bus_call_method(bus, name, path, name, "Inhibit", &error, &reply, "ss", "bus-caller", "playing a film");
        if (report(result, error, "Inhibit"))
            return 1;
        std::uint32_t cookie = 0;
        sd_bus_message_read(reply, "u", &cookie);
        sd_bus_message_unref(reply);
        std::printf("%u\n", cookie);
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "uninhibit") {
                result = sd_bus_call_method(bus, name, path, name, "UnInhibit", &error, nullptr, "u", cookie);
                if (report(result, error, "UnInhibit"))
                    return 1;
                std::puts("released");
                std::fflush(stdout);
            } else if (line == "quit") {
                break;
            }
        }
    } else if (command == "get-active") {
        if (argc > 2)
            path = argv[2];
        int const result = sd_bus_call_method(bus, name, path, name, "GetActive", &error, &reply, "");
        if (report(result, error, "GetActive"))
            return 1;
        int active = 0;
        sd_bus_message_read(reply, "b", &active);
        std::puts(active ? "true" : "false");
    } else if (command == "simulate") {
        if (report(sd_bus_call_method(bus, name, path, name, "SimulateUserActivity", &error, nullptr, ""), error, "SimulateUserActivity"))
            return 1;
    } else if (command == "uninhibit" && argc > 2) {
        std::uint32_t const cookie = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
        if (report(sd_bus_call_method(bus, name, path, name, "UnInhibit", &error, nullptr, "u", cookie), error, "UnInhibit"))
            return 1;
    } else {
        std::fputs("bus-caller: unknown command\n", stderr);
        return 2;
    }
    sd_bus_flush_close_unref(bus);
    return 0;
}
