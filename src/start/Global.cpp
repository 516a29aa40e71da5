#include "start/Global.h"

#include "platform/runtime/Runtime.h"
#include "platform/runtime/Text.h"
#include "start/ProcessEnd.h"

#include <string>

namespace qm {

Global::Global(Host& host, Runtime& runtime)
    : m_host(host)
    , m_runtime(runtime)
{
}

void Global::Main()
{
    if (m_host.previous_instance())
        throw ProcessEnd { EndReason::Quit };
    if (upper_case(m_host.argument_text()) == "/C")
        m_host.show_message_box(configuration_text, configuration_title, information_style);
    if (upper_case(m_host.argument_text()) != "/S")
        throw ProcessEnd { EndReason::Quit };

    m_form.emplace(*this, m_runtime, m_host);
    m_form->Form_Load();
    m_host.handle_pending_events();
    m_host.show_window();
}

void Global::EndSaver()
{
    m_host.unload_window();
    throw ProcessEnd { EndReason::EndSaver };
}

void Global::restart_speed_up_clock() { form().timerScreenSaver.set_Tag(single_text(m_runtime.timer())); }

void Global::toggle_speed_up() { SpeedUp = SpeedUp.minus_one_squared(); }

double Global::elapsed_seconds() const
{
    double const started = text_to_double(form().timerScreenSaver.Tag());
    double elapsed = checked(double(m_runtime.timer()) - started);
    if (elapsed < -1)
        elapsed = checked(elapsed + 86400.0);
    return elapsed;
}

double Global::heading_radians() const { return checked(checked(double(Heading) * 3.142) / 180.0); }

}
