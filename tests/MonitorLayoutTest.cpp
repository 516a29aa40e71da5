#include "platform/MonitorLayout.h"

#include <gtest/gtest.h>

namespace qm {

TEST(MonitorLayout, ThePrimaryMonitorHoldsThePlayAreaAndEveryOtherOneACover)
{
    Rect const screen { 0, 0, 2304, 1024 };
    Monitor const left { { 0, 0, 1280, 1024 }, false };
    Monitor const right { { 1280, 0, 1024, 768 }, true };
    MonitorLayout const layout = lay_out_monitors({ left, right }, screen);
    EXPECT_EQ(layout.play_area, right.area);
    ASSERT_EQ(layout.covers.size(), 1u);
    EXPECT_EQ(layout.covers[0], left.area);
}

TEST(MonitorLayout, WithoutAPrimaryTheMonitorAtTheOriginPlays)
{
    Rect const screen { 0, 0, 2304, 1024 };
    Monitor const right { { 1280, 0, 1024, 768 }, false };
    Monitor const left { { 0, 0, 1280, 1024 }, false };
    EXPECT_EQ(lay_out_monitors({ right, left }, screen).play_area, left.area);
    // No monitor at the origin either: the first one.
    Monitor const far { { 3000, 0, 800, 600 }, false };
    EXPECT_EQ(lay_out_monitors({ right, far }, screen).play_area, right.area);
}

TEST(MonitorLayout, NoMonitorsMeansTheWholeScreenAndMirrorsNeedNoCover)
{
    Rect const screen { 0, 0, 1920, 1080 };
    EXPECT_EQ(lay_out_monitors({}, screen), (MonitorLayout { screen, {} }));
    EXPECT_EQ(lay_out_monitors({ { { 0, 0, 0, 0 }, true } }, screen), (MonitorLayout { screen, {} }));
    // A clone of the primary, a smaller monitor inside it, and a duplicate of another monitor.
    Monitor const primary { screen, true };
    Monitor const inside { { 0, 0, 1280, 720 }, false };
    Monitor const side { { 1920, 0, 1280, 1024 }, false };
    MonitorLayout const layout = lay_out_monitors({ primary, primary, inside, side, side }, { 0, 0, 3200, 1080 });
    EXPECT_EQ(layout.play_area, screen);
    ASSERT_EQ(layout.covers.size(), 1u);
    EXPECT_EQ(layout.covers[0], side.area);
}

}
