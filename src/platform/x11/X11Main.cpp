// The saver on an X11 desktop: `quilvenmoor /S` runs it.
#include "platform/Clock.h"
#include "platform/x11/KeyTable.h"
#include "platform/x11/MessageBox.h"
#include "platform/x11/Painter.h"
#include "platform/x11/X11Host.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace qm::x11 {

namespace {

std::int64_t monotonic_milliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

ClockReading wall_clock()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local {};
    localtime_r(&now.tv_sec, &local);
    std::int64_t const milliseconds = ((local.tm_hour * 60 + local.tm_min) * 60 + std::min(local.tm_sec, 59)) * 1000LL + now.tv_nsec / 1'000'000;
    return ClockReading({ local.tm_year + 1900, local.tm_mon + 1, local.tm_mday }, milliseconds);
}

// The argument text: every argument after the program's name, joined by one blank.
std::string argument_text(int argc, char** argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return text;
}

// SIGTERM and SIGINT arrive as readable data on a descriptor the loop polls,
// so they end the saver cleanly between two events.
class Signals {
public:
    Signals()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGHUP);
        sigprocmask(SIG_BLOCK, &set, nullptr);
        m_descriptor = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~Signals()
    {
        if (m_descriptor >= 0)
            close(m_descriptor);
    }
    Signals(Signals const&) = delete;
    Signals& operator=(Signals const&) = delete;
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor { -1 };
};

class EventLoop {
public:
    EventLoop(X11Host& host, Saver& saver)
        : m_host(host)
        , m_saver(saver)
        , m_renderer(host.screen_size())
        , m_painter(host.connection(), host.window())
        , m_trace_ticks(std::getenv("QUILVENMOOR_TICK_TRACE") != nullptr)
    {
    }

    // Runs until the saver ends or a signal asks it to stop.
    void run()
    {
        Display* display = m_host.connection().display();
        present();
        while (m_saver.running()) {
            while (m_saver.running() && XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                handle(event);
            }
            if (!m_saver.running())
                break;
            present();

            auto const due = m_host.scheduler().next_due();
            int timeout = -1;
            if (due)
                timeout = static_cast<int>(std::max<std::int64_t>(0, *due - monotonic_milliseconds()));
            pollfd descriptors[2] = { { m_host.connection().file_descriptor(), POLLIN, 0 }, { m_signals.descriptor(), POLLIN, 0 } };
            poll(descriptors, m_signals.descriptor() >= 0 ? 2 : 1, timeout);
            if (descriptors[1].revents & POLLIN)
                return;
            if (descriptors[0].revents & (POLLERR | POLLHUP))
                XNoOp(display); // lets Xlib notice the lost connection and end the process

            std::int64_t const now = monotonic_milliseconds();
            while (m_saver.running()) {
                auto const id = m_host.scheduler().take_due(now);
                if (!id)
                    break;
                deliver_at(now, [&](ClockReading clock) { m_saver.tick(*id, clock); });
                // A diagnostic for measuring the tick rhythm from outside.
                if (m_trace_ticks)
                    std::fprintf(stderr, "tick %d %lld\n", static_cast<int>(*id), static_cast<long long>(now));
            }
        }
    }

private:
    template<typename Deliver>
    void deliver_at(std::int64_t now, Deliver&& deliver)
    {
        m_host.set_now(now);
        deliver(wall_clock());
    }

    void handle(XEvent& event)
    {
        std::int64_t const now = monotonic_milliseconds();
        switch (event.type) {
        case KeyPress: {
            KeySym keysym = NoSymbol;
            char text[8];
            // XLookupString applies Num Lock, so keypad 1 reads as KP_1 or KP_End.
            XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            if (keysym == NoSymbol)
                keysym = XLookupKeysym(&event.xkey, 0);
            int const key = virtual_key_for(keysym);
            deliver_at(now, [&](ClockReading clock) { m_saver.key_down(key, clock); });
            break;
        }
        case MotionNotify:
            deliver_at(now, [&](ClockReading clock) { m_saver.mouse_move(float(event.xmotion.x), float(event.xmotion.y), clock); });
            break;
        case ButtonPress: {
            // Left, middle and right as the handler numbers them; the wheel is no button.
            int const button = event.xbutton.button == Button1 ? 1 : event.xbutton.button == Button2 ? 4 : event.xbutton.button == Button3 ? 2 : 0;
            if (button != 0)
                deliver_at(now, [&](ClockReading clock) { m_saver.mouse_down(button, float(event.xbutton.x), float(event.xbutton.y), clock); });
            break;
        }
        case Expose:
            if (Frmsaver const* form = m_saver.form())
                m_painter.execute(m_renderer.redraw(*form, { event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height }), m_renderer);
            break;
        default:
            break;
        }
    }

    void present()
    {
        Frmsaver const* form = m_saver.form();
        if (!form)
            return;
        m_painter.execute(m_renderer.update(*form), m_renderer);
        if (m_trace_ticks && !m_presented)
            std::fprintf(stderr, "frame %lld\n", static_cast<long long>(monotonic_milliseconds()));
        m_presented = true;
    }

    X11Host& m_host;
    Saver& m_saver;
    Renderer m_renderer;
    Painter m_painter;
    Signals m_signals;
    bool m_trace_ticks;
    bool m_presented { false };
};

int run(int argc, char** argv)
{
    X11Host host(argument_text(argc, argv));
    Saver saver(host);
    host.set_now(monotonic_milliseconds());
    saver.start(wall_clock());
    if (saver.running()) {
        EventLoop loop(host, saver);
        loop.run();
    }
    if (saver.ending() == Saver::Ending::Error) {
        host.unload_window();
        std::string const text = report_text(*saver.error());
        std::fprintf(stderr, "quilvenmoor: %s\n", text.c_str());
        show_message_box(host.connection(), text, report_title, 16);
        return 1;
    }
    return 0;
}

}

}

int main(int argc, char** argv)
{
    try {
        return qm::x11::run(argc, argv);
    } catch (qm::x11::DisplayError const& error) {
        std::fprintf(stderr, "quilvenmoor: %s\n", error.what());
        return 1;
    }
}
