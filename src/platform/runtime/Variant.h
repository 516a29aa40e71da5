#pragma once

#include "platform/runtime/Numeric.h"

#include <string>

namespace qm {

// A tagged value that is empty, a 16-bit integer or a double. Empty takes part
// in arithmetic as the integer 0.
class Variant {
public:
    enum class Kind {
        Empty,
        Integer,
        Double,
    };

    Variant() = default;
    static Variant from_integer(Integer);
    static Variant from_double(double);

    Kind kind() const { return m_kind; }
    bool is_empty() const { return m_kind == Kind::Empty; }
    double to_double() const;

    // (this - 1) ^ 2: the subtraction is integer arithmetic for an empty or
    // integer value, and the power is always a double.
    Variant minus_one_squared() const;

    // this * a single: a single result for an empty or integer value (as
    // integer-times-single arithmetic gives), a double for a double value.
    double times_single(float) const;

    // this * a double, always a double.
    double times_double(double) const;

    // "empty", the integer, or the double with 17 significant digits.
    std::string trace_text() const;

private:
    Kind m_kind { Kind::Empty };
    Integer m_integer { 0 };
    double m_double { 0 };
};

}
