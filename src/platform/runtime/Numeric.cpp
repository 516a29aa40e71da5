#include "platform/runtime/Numeric.h"

#include "platform/runtime/RuntimeError.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace qm {

namespace {

Integer fit_integer(int value)
{
    if (value < integer_min || value > integer_max)
        raise(ErrorNumber::Overflow);
    return static_cast<Integer>(value);
}

}

Integer add(Integer a, Integer b) { return fit_integer(int(a) + int(b)); }

Integer subtract(Integer a, Integer b) { return fit_integer(int(a) - int(b)); }

Integer remainder(Integer dividend, Integer divisor)
{
    if (divisor == 0)
        raise(ErrorNumber::DivisionByZero);
    // -32768 mod -1 is 0; computing it in int keeps the C++ division defined.
    return static_cast<Integer>(int(dividend) % int(divisor));
}

double round_half_even(double value)
{
    if (!std::isfinite(value))
        return value;
    double const floor = std::floor(value);
    double const fraction = value - floor; // exact for every finite double
    if (fraction > 0.5)
        return floor + 1;
    if (fraction < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

Integer to_integer(double value)
{
    double const whole = round_half_even(value);
    if (!(whole >= integer_min && whole <= integer_max))
        raise(ErrorNumber::Overflow);
    return static_cast<Integer>(whole);
}

Integer to_integer_clamped(double value)
{
    if (std::isnan(value))
        raise(ErrorNumber::Overflow);
    double const whole = round_half_even(value);
    if (whole < integer_min)
        return static_cast<Integer>(integer_min);
    if (whole > integer_max)
        return static_cast<Integer>(integer_max);
    return static_cast<Integer>(whole);
}

float to_single(double value)
{
    if (std::isnan(value))
        raise(ErrorNumber::Overflow);
    float const single = static_cast<float>(value);
    if (std::isinf(single))
        raise(ErrorNumber::Overflow);
    return single;
}

void store_single_then_check(float& target, double value)
{
    target = static_cast<float>(value);
    to_single(checked(value));
}

double checked(double value)
{
    if (!std::isfinite(value))
        raise(ErrorNumber::Overflow);
    return value;
}

// The sine and cosine below follow the classic freely distributable kernels
// (argument reduction by a three-part pi/2, then odd and even polynomials on
// [-pi/4, pi/4]). Written out here instead of taken from the C library, whose
// results differ between platforms in the last bit.
//
// Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
// Developed at SunPro, a Sun Microsystems, Inc. business.
// Permission to use, copy, modify, and distribute this software is freely
// granted, provided that this notice is preserved.
namespace {

std::uint32_t high_word(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<std::uint32_t>(bits >> 32);
}

double from_words(std::uint32_t high, std::uint32_t low)
{
    std::uint64_t const bits = (std::uint64_t(high) << 32) | low;
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

double kernel_sin(double x, double y, bool has_tail)
{
    constexpr double S1 = -1.66666666666666324348e-01;
    constexpr double S2 = 8.33333333332248946124e-03;
    constexpr double S3 = -1.98412698298579493134e-04;
    constexpr double S4 = 2.75573137070700676789e-06;
    constexpr double S5 = -2.50507602534068634195e-08;
    constexpr double S6 = 1.58969099521155010221e-10;
    if ((high_word(x) & 0x7fffffff) < 0x3e400000) // |x| < 2**-27
        return x;
    double const z = x * x;
    double const v = z * x;
    double const r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    if (!has_tail)
        return x + v * (S1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

double kernel_cos(double x, double y)
{
    constexpr double C1 = 4.16666666666666019037e-02;
    constexpr double C2 = -1.38888888888741095749e-03;
    constexpr double C3 = 2.48015872894767294178e-05;
    constexpr double C4 = -2.75573143513906633035e-07;
    constexpr double C5 = 2.08757232129817482790e-09;
    constexpr double C6 = -1.13596475577881948265e-11;
    std::uint32_t const ix = high_word(x) & 0x7fffffff;
    if (ix < 0x3e400000) // |x| < 2**-27
        return 1.0;
    double const z = x * x;
    double const r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    if (ix < 0x3FD33333) // |x| < 0.3
        return 1.0 - (0.5 * z - (z * r - x * y));
    double const qx = ix > 0x3fe90000 ? 0.28125 : from_words(ix - 0x00200000, 0);
    double const hz = 0.5 * z - qx;
    double const a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

struct Reduced {
    int quadrant;
    double head;
    double tail;
};

// Reduces x to head + tail in [-pi/4, pi/4] plus a multiple of pi/2. Good for
// |x| up to 2**19 * pi/2; the saver's angles stay below 600 radians.
Reduced reduce(double x)
{
    constexpr double invpio2 = 6.36619772367581382433e-01;
    constexpr double pio2_1 = 1.57079632673412561417e+00;
    constexpr double pio2_1t = 6.07710050650619224932e-11;
    constexpr double pio2_2 = 6.07710050630396597660e-11;
    constexpr double pio2_2t = 2.02226624879595063154e-21;
    constexpr double pio2_3 = 2.02226624871116645580e-21;
    constexpr double pio2_3t = 8.47842766036889956997e-32;

    std::uint32_t const hx = high_word(x);
    std::uint32_t const ix = hx & 0x7fffffff;
    if (ix <= 0x3fe921fb)
        return { 0, x, 0.0 };

    double const t0 = std::fabs(x);
    int const n = static_cast<int>(t0 * invpio2 + 0.5);
    double const fn = n;
    double r = t0 - fn * pio2_1;
    double w = fn * pio2_1t;
    int const exponent = static_cast<int>(ix >> 20);
    double head = r - w;
    if (exponent - static_cast<int>((high_word(head) >> 20) & 0x7ff) > 16) {
        double t = r;
        w = fn * pio2_2;
        r = t - w;
        w = fn * pio2_2t - ((t - r) - w);
        head = r - w;
        if (exponent - static_cast<int>((high_word(head) >> 20) & 0x7ff) > 49) {
            t = r;
            w = fn * pio2_3;
            r = t - w;
            w = fn * pio2_3t - ((t - r) - w);
            head = r - w;
        }
    }
    double const tail = (r - head) - w;
    if (hx & 0x80000000)
        return { -n, -head, -tail };
    return { n, head, tail };
}

}

double portable_sin(double radians)
{
    if (!std::isfinite(radians))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(radians) > 823549.0)
        return std::sin(radians);
    Reduced const reduced = reduce(radians);
    if (reduced.quadrant == 0 && reduced.tail == 0.0)
        return kernel_sin(reduced.head, 0.0, false);
    switch (reduced.quadrant & 3) {
    case 0:
        return kernel_sin(reduced.head, reduced.tail, true);
    case 1:
        return kernel_cos(reduced.head, reduced.tail);
    case 2:
        return -kernel_sin(reduced.head, reduced.tail, true);
    default:
        return -kernel_cos(reduced.head, reduced.tail);
    }
}

double portable_cos(double radians)
{
    if (!std::isfinite(radians))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(radians) > 823549.0)
        return std::cos(radians);
    Reduced const reduced = reduce(radians);
    switch (reduced.quadrant & 3) {
    case 0:
        return kernel_cos(reduced.head, reduced.tail);
    case 1:
        return -kernel_sin(reduced.head, reduced.tail, true);
    case 2:
        return -kernel_cos(reduced.head, reduced.tail);
    default:
        return kernel_sin(reduced.head, reduced.tail, true);
    }
}

}
