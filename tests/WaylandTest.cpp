#include "Harness.h"
#include "platform/wayland/KeyRepeat.h"
#include "platform/wayland/OutputOrder.h"
#include "platform/wayland/SwapChain.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::wayland;

TEST(OutputOrder, LogoPlaysOnTheFirstAnnouncedAndMovesWhenItGoes)
{
    OutputOrder order;
    EXPECT_FALSE(order.playing());
    order.add(7);
    order.add(3);
    order.add(7);
    EXPECT_EQ(order.playing(), 7u) << "announcement order, not registry number";
    EXPECT_FALSE(order.remove(3)) << "a cover going leaves the play area";
    order.add(3);
    EXPECT_TRUE(order.remove(7));
    EXPECT_EQ(order.playing(), 3u);
    EXPECT_TRUE(order.remove(3));
    EXPECT_TRUE(order.empty());
}

TEST(KeyRepeat, HeldKeyRepeatsAtTheCompositorsRateWithoutBursts)
{
    KeyRepeat repeat;
    repeat.set_rate(25, 600);
    repeat.press(105, Repetition::Repeats, 1000);
    EXPECT_EQ(repeat.next_due(), 1600);
    EXPECT_FALSE(repeat.take_due(1599));
    EXPECT_EQ(repeat.take_due(1600), 105u);
    EXPECT_EQ(repeat.next_due(), 1640);
    // A loop that stalled gets one repeat, then the rhythm from now.
    EXPECT_EQ(repeat.take_due(2000), 105u);
    EXPECT_FALSE(repeat.take_due(2000));
    EXPECT_EQ(repeat.next_due(), 2040);

    // Releasing another key leaves the repeat; releasing this one ends it.
    repeat.release(30);
    EXPECT_TRUE(repeat.next_due());
    repeat.release(105);
    EXPECT_FALSE(repeat.next_due());
}

TEST(KeyRepeat, OnlyKeysPressedHereRepeat)
{
    KeyRepeat repeat;
    repeat.set_rate(30, 200);
    repeat.press(1, Repetition::Repeats, 0);
    repeat.press(42, Repetition::Single, 10); // a modifier stops the repeat, as on every desktop
    EXPECT_FALSE(repeat.next_due());

    repeat.press(1, Repetition::Repeats, 20);
    repeat.reset(); // the keyboard left, or arrived with keys already held
    EXPECT_FALSE(repeat.next_due());

    repeat.set_rate(0, 200); // the compositor turns repeating off
    repeat.press(1, Repetition::Repeats, 30);
    EXPECT_FALSE(repeat.next_due());
}

TEST(SwapChain, EachBufferRepaintsWhatItMissedAndNothingMore)
{
    SwapChain chain({ 100, 80 }, 3);
    Rect const whole { 0, 0, 100, 80 };
    Rect const first { 10, 10, 20, 20 };
    Rect const second { 40, 10, 20, 20 };

    auto const a = chain.acquire();
    ASSERT_EQ(a, 0u);
    EXPECT_EQ(chain.submit(*a, { first }), (std::vector<Rect> { whole, first })) << "a new buffer starts wholly out of date";

    // The compositor still holds buffer 0: the next frame goes to a new one.
    auto const b = chain.acquire();
    ASSERT_EQ(b, 1u);
    EXPECT_EQ(chain.submit(*b, { second }), (std::vector<Rect> { whole, second }));
    chain.release(*a);

    // Buffer 0 comes back: it missed only the second frame's change.
    auto const again = chain.acquire();
    ASSERT_EQ(again, 0u);
    Rect const third { 70, 50, 40, 40 }; // overhangs the edge: clipped
    EXPECT_EQ(chain.submit(*again, { third }), (std::vector<Rect> { second, { 70, 50, 30, 30 } }));
}

TEST(SwapChain, AFrameWaitsWhenEveryBufferIsHeldAndMissedPlacesStayBounded)
{
    SwapChain chain({ 1000, 1000 }, 3);
    for (int held = 0; held < 3; ++held)
        chain.submit(*chain.acquire(), {});
    EXPECT_FALSE(chain.acquire()) << "no fourth buffer; the frame is owed";
    EXPECT_TRUE(chain.exhausted());
    chain.release(2);
    EXPECT_FALSE(chain.exhausted());
    chain.release(1);
    ASSERT_EQ(chain.acquire(), 1u);

    // Buffer 0 misses many small changes; they merge into one place that holds them all.
    for (int step = 0; step < 20; ++step)
        chain.submit(1, { { step * 10, step * 10, 5, 5 } }), chain.release(1);
    chain.release(0);
    ASSERT_EQ(chain.acquire(), 0u);
    auto const repaint = chain.submit(0, {});
    ASSERT_LE(repaint.size(), 8u);
    for (int step = 0; step < 20; ++step) {
        Rect const change { step * 10, step * 10, 5, 5 };
        EXPECT_TRUE(std::any_of(repaint.begin(), repaint.end(), [&](Rect const& area) { return area.intersected(change) == change; }))
            << "change " << step << " is repainted";
    }
}

TEST(OutputOrder, PointerPositionsLandInThePlayAreasPixels)
{
    SurfacePlace const play { 0, 0, { 640, 400 } };
    // A scaled play area: the surface's units are two of its pixels.
    EXPECT_EQ(play_area_point(10.5, 20, play, play, { 1280, 800 }, SurfaceRole::Play), (std::pair { 21.0f, 40.0f }));

    // A cover to the right lands beyond the play area's right edge, in the play area's pixels.
    SurfacePlace const right { 640, 0, { 1920, 1080 } };
    auto const beside = play_area_point(5, 5, right, play, { 1280, 800 }, SurfaceRole::Cover);
    EXPECT_EQ(beside, (std::pair { 1290.0f, 10.0f }));

    // A cover at the same place (mirrored outputs) is kept out of the play area.
    SurfacePlace const mirror { 0, 0, { 640, 400 } };
    auto const mirrored = play_area_point(5, 5, mirror, play, { 640, 400 }, SurfaceRole::Cover);
    EXPECT_GE(mirrored.first, 640.0f);

    // Above and to the left: negative coordinates, still bare surface.
    auto const above = play_area_point(0, 0, { -100, -50, { 100, 50 } }, play, { 640, 400 }, SurfaceRole::Cover);
    EXPECT_EQ(above, (std::pair { -100.0f, -50.0f }));
}

TEST(SwapChain, EveryBufferShowsTheWholeCurrentFrameWhateverTheCompositorHeld)
{
    // The saver runs for a while; the compositor holds one, two or three
    // buffers at a time in a fixed but irregular pattern. Every committed
    // buffer must be the whole frame as drawn from scratch.
    test::Harness harness({ 640, 480 });
    Saver& saver = harness.start();
    ASSERT_TRUE(saver.running());
    Renderer renderer({ 640, 480 });
    SwapChain chain({ 640, 480 }, 3);
    std::vector<Image> buffers;
    std::vector<std::size_t> held;
    int owed = 0;
    for (int frame = 0; frame < 120 && saver.running(); ++frame) {
        harness.wait(frame % 7 == 0 ? 1000 : 30); // some frames change the clock too
        // The compositor gives back the oldest buffers it held.
        while (held.size() > static_cast<std::size_t>(1 + frame % 3)) {
            chain.release(held.front());
            held.erase(held.begin());
        }
        auto const index = chain.acquire();
        if (!index) {
            ++owed; // the frame waits; the renderer is not asked
            continue;
        }
        buffers.resize(chain.size(), Image(640, 480, rgb(255, 0, 255)));
        std::vector<Rect> const changed = changed_places(renderer.update(*saver.form()));
        repair(chain, *index, changed, renderer, *saver.form(), [&](auto const& operations) { renderer.apply(operations, buffers[*index]); });
        ASSERT_EQ(buffers[*index], renderer.render(*saver.form())) << "frame " << frame << " in buffer " << *index;
        held.push_back(*index);
    }
    EXPECT_EQ(chain.size(), 3u);
    EXPECT_GT(owed, 0) << "the pattern should also make frames wait";
}
