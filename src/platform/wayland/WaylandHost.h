#pragma once

#include "platform/TimedHost.h"
#include "platform/wayland/Connection.h"
#include "platform/wayland/CoverRole.h"
#include "platform/wayland/OutputOrder.h"
#include "platform/wayland/Painter.h"
#include "platform/posix/InstanceLock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct wl_surface;
struct wp_viewport;

namespace qm::wayland {

// The saver's platform on a Wayland compositor: one surface per output, an
// overlay layer surface that takes the keyboard exclusively where the
// compositor offers the layer shell, else a fullscreen window (see Shell).
// The logo plays on the first output the compositor announced, at that
// output's physical pixels; every other output gets a black cover. Outputs
// that come later are covered at once; when the playing output goes, the
// play area moves to the first that remains.
class WaylandHost final : public TimedHost {
public:
    WaylandHost(std::string argument_text, std::unique_ptr<Connection>, std::string const& session_name, Shell);
    ~WaylandHost() override;

    bool previous_instance() const override { return m_lock.another_runs(); }
    std::string argument_text() const override { return m_arguments; }
    void show_message_box(std::string_view text, std::string_view title, int style) override;
    ScreenSize screen_size() const override;
    void handle_pending_events() override;
    // Throws CompositorError when the compositor does not show the surfaces.
    void show_window() override;
    void unload_window() override;

    Connection& connection() { return *m_connection; }
    Shell shell() const { return m_shell; }

    // The play area's size in physical pixels; it changes when the playing
    // output does.
    ScreenSize play_size() const;
    // A pointer position on one of our surfaces, in the play area's pixels.
    // Positions over a cover lie outside the play area, where they fall on
    // the bare surface, as over the covers on every other platform.
    std::optional<std::pair<float, float>> play_position(wl_surface*, double x, double y) const;
    // Sends the renderer's changes to the playing surface, once it is
    // configured and the compositor has called back for the frame before;
    // otherwise the frame waits. Returns whether a frame was committed.
    bool present(Renderer&, Frmsaver const&);
    // Whether the play area's last frame has not been called back yet, or
    // every buffer for the next is held: for a frame or so after each
    // commit while it shows, all along while its output is hidden or
    // powered down.
    bool frame_owed() const;
    // Whether the surface is one of the saver's, still shown.
    bool shows(wl_surface*) const;
    // Asks the compositor for the keyboard again: each surface lets go of
    // it and asks for it exclusively once more, which a compositor that
    // gave it elsewhere may answer with a keyboard enter.
    void reclaim_keyboard();
    // Deals with surfaces the compositor closed, once the events that came
    // with the close have been handled.
    void settle();
    // Why the saver cannot go on, if it cannot.
    std::optional<std::string> const& failure() const { return m_failure; }
    // Whether the compositor asked one of the windows to close: the user
    // closed the saver, which ends it as a dismissing key does.
    bool close_requested() const { return m_close_requested; }

    // For the surfaces' roles.
    struct Surface;
    void configure(Surface&, ScreenSize logical);
    void closed(Surface&);
    void request_close() { m_close_requested = true; }
    void frame_done(Surface&);

private:
    void output_changed(Output&, OutputChange);
    // A surface made anew after the compositor closed the first one on its
    // output is the last try there.
    enum class CoverAttempt {
        First,
        Again,
    };
    void cover(Output&, CoverAttempt = CoverAttempt::First);
    void uncover(std::uint32_t output_name);
    Surface* surface_for(std::uint32_t output_name) const;
    Surface* playing_surface() const;
    void prepare(Surface&);
    ScreenSize physical_size(Surface const&) const;
    enum class PainterKind {
        Subsurfaces,
        Buffers,
    };
    PainterKind painter_kind(Surface const&, ScreenSize physical) const;
    std::unique_ptr<FramePainter> make_painter(Surface&, ScreenSize physical, PainterKind) const;

    std::string m_arguments;
    std::unique_ptr<Connection> m_connection;
    Shell m_shell;
    posix::InstanceLock m_lock;
    OutputOrder m_order;
    std::vector<std::unique_ptr<Surface>> m_surfaces;
    bool m_shown { false };
    bool m_closed_surfaces { false };
    bool m_close_requested { false };
    std::optional<std::string> m_failure;
};

}
