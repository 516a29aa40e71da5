#include "Harness.h"

#include "window/Renderer.h"

#include <gtest/gtest.h>


namespace qm::test {

namespace {

// Drives a run and checks after every event that the renderer's operations,
// applied to the previous frame, give exactly the full render of the model.
struct Presenter {
    explicit Presenter(Harness& harness)
        : harness(harness)
        , renderer(harness.host().screen_size())
        , frame(harness.host().screen_size().width, harness.host().screen_size().height, rgb(255, 0, 255))
    {
    }

    void present()
    {
        auto const& operations = renderer.update(harness.form());
        renderer.apply(operations, frame);
        for (DrawOperation const& operation : operations)
            touched += operation.target.area();
        ASSERT_EQ(frame, renderer.render(harness.form())) << "after " << presents << " presents";
        ++presents;
    }

    Harness& harness;
    Renderer renderer;
    Image frame;
    long long touched { 0 };
    int presents { 0 };
};

}

TEST(Operations, ReproduceTheFullRenderInScrollMode)
{
    Harness harness({ 800, 600 });
    harness.start();
    Presenter presenter(harness);
    presenter.present();
    long long const first = presenter.touched;
    // The first present fills the window, takes both pictures whole and copies both.
    long long const banner = presenter.renderer.layer(Layer::Banner).width() * 13;
    EXPECT_EQ(first, 800 * 600 + 2 * banner + 2 * 284 * 325);
    harness.global().Speed = 37.5f; // wraps every few dozen ticks
    presenter.touched = 0;
    for (int tick = 0; tick < 1000 && !HasFatalFailure(); ++tick) {
        harness.wait(30);
        if (tick == 200)
            harness.key(VirtualKey::S);
        presenter.present();
    }
    // A tick copies the box and fills the strip it uncovered, little more.
    EXPECT_LT(presenter.touched / 1000, 284 * 325 + 325 * 40 + 300 * 13);
}

TEST(Operations, ReproduceTheFullRenderInBounceMode)
{
    Harness harness({ 700, 500 });
    harness.start();
    harness.key(VirtualKey::Q);
    harness.global().Speed = 9.5f;
    harness.global().Heading = 33;
    Presenter presenter(harness);
    presenter.present();
    presenter.touched = 0;
    for (int tick = 0; tick < 1000 && !HasFatalFailure(); ++tick) {
        harness.wait(30);
        if (tick % 97 == 0)
            harness.key(tick % 2 ? VirtualKey::Right : VirtualKey::Up);
        presenter.present();
    }
    EXPECT_LT(presenter.touched / 1000, 284 * 325 + 2 * 325 * 12);
}

TEST(Operations, NothingChangedMeansNothingSent)
{
    Harness harness({ 700, 500 });
    harness.start();
    harness.global().Speed = 0;
    Presenter presenter(harness);
    presenter.present();
    harness.wait(2010); // the banner hides, the caption changes
    presenter.present();
    harness.wait(30);
    EXPECT_TRUE(presenter.renderer.update(harness.form()).empty());
}

TEST(Operations, ABoxOutOfSightSendsNothingUntilItComesBack)
{
    Harness harness({ 700, 500 });
    harness.start();
    harness.global().Speed = 0;
    harness.form().picScreenSaver.set_Left(-564);
    Presenter presenter(harness);
    harness.wait(2010);
    presenter.present();
    harness.wait(3000); // the clock changes three times, out of sight
    EXPECT_TRUE(presenter.renderer.update(harness.form()).empty());
    harness.form().picScreenSaver.set_Left(10);
    presenter.present(); // the box returns with the current clock: the frame equals a full render
}

TEST(Operations, ABoxFarOutsideTheWindowDrawsNothingAndFailsNothing)
{
    Harness harness({ 300, 200 });
    harness.start();
    Presenter presenter(harness);
    presenter.present();
    for (float left : { -1e30f, 1e30f, -300.0f, 300.0f, 17.5f }) {
        harness.form().picScreenSaver.set_Left(left);
        harness.form().picScreenSaver.set_Top(-left);
        presenter.present();
    }
}

TEST(Operations, RedrawRepaintsAnyAreaFromTheModel)
{
    Harness harness({ 640, 480 });
    harness.start();
    harness.form().picScreenSaver.set_Left(100);
    harness.form().picScreenSaver.set_Top(0);
    Renderer renderer(harness.host().screen_size());
    Image const expected = renderer.render(harness.form());
    Image frame(640, 480, rgb(255, 255, 255));
    for (Rect area : { Rect { 0, 0, 640, 480 }, Rect { 90, -5, 40, 40 }, Rect { 600, 400, 100, 100 } }) {
        Image damaged = expected;
        damaged.fill(area, rgb(1, 2, 3));
        renderer.apply(renderer.redraw(harness.form(), area), damaged);
        EXPECT_EQ(damaged, expected);
    }
}

TEST(Operations, AResizedWindowIsRepaintedWholeAtItsNewSize)
{
    Harness harness({ 800, 600 });
    harness.start();
    Presenter presenter(harness);
    presenter.present();
    for (ScreenSize size : { ScreenSize { 1200, 700 }, ScreenSize { 400, 300 } }) {
        harness.host().set_screen_size(size);
        harness.saver.resize(size);
        presenter.renderer.resize(size);
        presenter.frame = Image(size.width, size.height, rgb(255, 0, 255));
        presenter.touched = 0;
        presenter.present();
        EXPECT_GE(presenter.touched, static_cast<long long>(size.width) * size.height);
        for (int tick = 0; tick < 100 && !HasFatalFailure(); ++tick) {
            harness.wait(30);
            presenter.present();
        }
    }
}

TEST(Operations, AfterAnUnseenSpanTheWholeWindowIsRepaintedFromTheModel)
{
    Harness harness({ 800, 600 });
    harness.start();
    harness.global().Speed = 20;
    Presenter presenter(harness);
    presenter.present();
    // Nothing is presented for a few seconds (the clock and the banner
    // change meanwhile) while the window's contents are lost.
    harness.wait(4'000);
    presenter.frame.fill(presenter.renderer.window(), rgb(1, 2, 3));
    presenter.renderer.repaint_all();
    presenter.touched = 0;
    presenter.present();
    EXPECT_GE(presenter.touched, 800 * 600);
    for (int tick = 0; tick < 50 && !HasFatalFailure(); ++tick) {
        harness.wait(30);
        presenter.present();
    }
}

TEST(Operations, AnExposeBetweenTicksOrAfterAResizeLeavesNothingStale)
{
    Harness harness({ 800, 600 });
    harness.start();
    harness.global().Speed = 20;
    Presenter presenter(harness);
    presenter.present();
    for (int round = 0; round < 6 && !HasFatalFailure(); ++round) {
        // The model moves on; part of the window is exposed before the next present.
        harness.wait(60);
        if (round == 3) {
            harness.host().set_screen_size({ 700, 500 });
            harness.saver.resize({ 700, 500 });
            presenter.renderer.resize({ 700, 500 });
            presenter.frame = Image(700, 500, rgb(255, 0, 255));
        }
        Rect const exposed { 50 * round, 40, 300, 200 };
        presenter.frame.fill(exposed, rgb(1, 2, 3));
        presenter.renderer.apply(presenter.renderer.redraw(harness.form(), exposed), presenter.frame);
        presenter.present();
    }
}

TEST(Image, SubtractLeavesExactlyTheUncoveredParts)
{
    Rect const from { 10, 10, 100, 50 };
    for (Rect minus : { Rect { 15, 12, 100, 50 }, Rect { 0, 0, 5, 5 }, Rect { 30, 20, 10, 10 }, Rect { 0, 0, 200, 200 } }) {
        long long area = 0;
        for (Rect const& part : subtract(from, minus)) {
            EXPECT_TRUE(part.intersected(minus).empty());
            EXPECT_EQ(part.intersected(from), part);
            area += part.area();
        }
        EXPECT_EQ(area, from.area() - from.intersected(minus).area());
    }
}

}
