#pragma once

#include "platform/Host.h"

#include <string>

namespace qm {

// A timer control: ticks every Interval milliseconds while Enabled. The
// platform does the counting; the control tells it when Enabled changes.
class TimerControl {
public:
    TimerControl(Host&, TimerId, int interval, bool enabled);

    TimerId id() const { return m_id; }
    int Interval() const { return m_interval; }
    bool Enabled() const { return m_enabled; }
    // Setting the value it already has changes nothing; enabling restarts the count.
    void set_Enabled(bool);

    std::string const& Tag() const { return m_tag; }
    void set_Tag(std::string tag) { m_tag = std::move(tag); }

    // Tells the platform that an enabled timer counts from now (the window has loaded).
    void start_counting();

private:
    Host& m_host;
    TimerId m_id;
    int m_interval;
    bool m_enabled;
    std::string m_tag;
};

// A windowless text label. With automatic sizing its width follows its text.
class Label {
public:
    enum class Sizing {
        Fixed,
        Automatic,
    };

    Label(int left, int top, int width, int height, Sizing, std::string caption);

    std::string const& Caption() const { return m_caption; }
    void set_Caption(std::string);
    bool Visible() const { return m_visible; }
    void set_Visible(bool visible) { m_visible = visible; }

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    bool contains(float x, float y) const;

private:
    int m_left;
    int m_top;
    int m_width;
    int m_height;
    Sizing m_sizing;
    std::string m_caption;
    bool m_visible { true };
};

// The logo box: a child window with a one-pixel frame, moved as one piece
// with its picture and clock label. Its position is kept at full single precision.
class PictureBox {
public:
    static constexpr int outer_width = 284;
    static constexpr int outer_height = 325;
    static constexpr int frame = 1;

    PictureBox(float left, float top);

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    void set_Left(float left) { m_left = left; }
    void set_Top(float top) { m_top = top; }

    // The inner size, which the motion rules use as the logo's size.
    float ScaleWidth() const { return outer_width - 2 * frame; }
    float ScaleHeight() const { return outer_height - 2 * frame; }

    // Where the box is drawn: its position rounded to whole pixels, halves to even.
    long pixel_left() const;
    long pixel_top() const;

    bool contains(float x, float y) const;

private:
    float m_left;
    float m_top;
};

}
