#pragma once

// The numeric rules every handler relies on: 16-bit integers that raise an
// overflow error instead of wrapping, whole numbers rounded halves-to-even,
// single precision that raises an error instead of turning infinite, and
// double-precision steps that are tested for faults.

#include <cstdint>

namespace qm {

using Integer = std::int16_t;

constexpr int integer_min = -32768;
constexpr int integer_max = 32767;

Integer add(Integer, Integer);
Integer subtract(Integer, Integer);
// The remainder of a division truncated toward zero: it has the sign of the dividend.
Integer remainder(Integer dividend, Integer divisor);

// Nearest whole number, a value exactly halfway going to the even neighbour.
double round_half_even(double);

// Whole-number conversion: nearest, halves to even, overflow error outside the 16-bit range.
Integer to_integer(double);

// The same conversion, but a value outside the 16-bit range is pinned to its nearer end.
Integer to_integer_clamped(double);

// Conversion to the nearest single; a result that would be infinite, or a
// value that is not a number, raises the overflow error.
float to_single(double);

// Stores a double-precision result into a single, then makes the fault test,
// so that a faulting assignment still keeps its new value.
void store_single_then_check(float& target, double value);

// The fault test of a double-precision step: an infinite or invalid result
// raises the overflow error.
double checked(double);

// Sine and cosine computed the same way on every platform and compiler, so
// that a run reproduces bit for bit wherever it is replayed.
double portable_sin(double radians);
double portable_cos(double radians);

}
