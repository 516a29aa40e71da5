#include "Harness.h"

#include "platform/headless/Png.h"
#include "window/Renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace qm::test {

namespace {

std::string frame_path(std::string const& name) { return std::string(QUILVENMOOR_TEST_DATA) + "/frames/" + name + ".png"; }

// Compares the full render of the window with a committed picture, pixel for
// pixel. UPDATE_FRAMES=1 writes the pictures instead (look at them before committing).
void expect_golden(Harness& harness, std::string const& name)
{
    Renderer const renderer(harness.host().screen_size());
    Image const frame = renderer.render(harness.form());
    if (std::getenv("UPDATE_FRAMES")) {
        write_png(frame, frame_path(name));
        return;
    }
    auto const golden = read_png(frame_path(name));
    ASSERT_TRUE(golden) << "missing " << frame_path(name);
    ASSERT_EQ(golden->width(), frame.width());
    ASSERT_EQ(golden->height(), frame.height());
    long differing = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x)
            differing += golden->at(x, y) != frame.at(x, y);
    }
    EXPECT_EQ(differing, 0) << name;
}

long count_pixels(Image const& frame, Rect area, Pixel colour)
{
    long count = 0;
    area = area.intersected(frame.bounds());
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x)
            count += frame.at(x, y) == colour;
    }
    return count;
}

}

TEST(Frames, FirstFrameShowsBannerAndBox)
{
    Harness harness({ 640, 480 });
    harness.start();
    expect_golden(harness, "first");
    Image const frame = Renderer({ 640, 480 }).render(harness.form());
    EXPECT_GT(count_pixels(frame, { 8, 8, 300, 13 }, Renderer::banner_grey), 100);
}

TEST(Frames, BoxPartlyOffTheLeftAndBottomEdges)
{
    Harness harness({ 640, 480 });
    harness.start();
    harness.wait(2000);
    harness.form().picScreenSaver.set_Left(-150.5f);
    harness.form().picScreenSaver.set_Top(300.25f);
    expect_golden(harness, "off-edges");
}

TEST(Frames, BirthdayBanner)
{
    Harness harness({ 640, 480 }, ClockReading({ 2024, 5, 12 }, 9 * 3600 * 1000));
    harness.start();
    harness.wait(30);
    expect_golden(harness, "birthday");
}

TEST(Frames, AfterTheBannerHides)
{
    Harness harness({ 640, 480 }, ClockReading({ 2026, 12, 7 }, 45296789));
    harness.start();
    harness.wait(2010);
    expect_golden(harness, "banner-hidden");
    Image const frame = Renderer({ 640, 480 }).render(harness.form());
    EXPECT_EQ(count_pixels(frame, { 8, 8, 300, 13 }, Renderer::banner_grey), 0);
}

TEST(Frames, TheBoxCoversPartOfTheBanner)
{
    Harness harness({ 640, 480 });
    harness.start();
    harness.form().picScreenSaver.set_Left(150);
    harness.form().picScreenSaver.set_Top(-100);
    harness.wait(30);
    expect_golden(harness, "box-over-banner");
}

}
