#include "platform/runtime/Variant.h"

#include "platform/runtime/Text.h"

namespace qm {

Variant Variant::from_integer(Integer value)
{
    Variant variant;
    variant.m_kind = Kind::Integer;
    variant.m_integer = value;
    return variant;
}

Variant Variant::from_double(double value)
{
    Variant variant;
    variant.m_kind = Kind::Double;
    variant.m_double = value;
    return variant;
}

double Variant::to_double() const
{
    switch (m_kind) {
    case Kind::Empty:
        return 0.0;
    case Kind::Integer:
        return m_integer;
    case Kind::Double:
        return m_double;
    }
    return 0.0;
}

Variant Variant::minus_one_squared() const
{
    double const difference = m_kind == Kind::Double
        ? checked(m_double - 1.0)
        : double(subtract(m_kind == Kind::Integer ? m_integer : Integer(0), Integer(1)));
    return from_double(checked(difference * difference));
}

double Variant::times_single(float value) const
{
    if (m_kind == Kind::Double)
        return checked(m_double * double(value));
    return double(to_single(checked(to_double() * double(value))));
}

double Variant::times_double(double value) const { return checked(to_double() * value); }

std::string Variant::trace_text() const
{
    switch (m_kind) {
    case Kind::Empty:
        return "empty";
    case Kind::Integer:
        return std::to_string(m_integer);
    case Kind::Double:
        return format_general(m_double, 17);
    }
    return "empty";
}

}
