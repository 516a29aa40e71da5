#include "platform/runtime/Numeric.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Variant.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace qm {

namespace {

int error_of(auto&& f)
{
    try {
        f();
    } catch (RuntimeError const& error) {
        return error.code();
    }
    return 0;
}

}

TEST(Integer, ArithmeticRaisesOverflowInsteadOfWrapping)
{
    EXPECT_EQ(add(32762, 5), 32767);
    EXPECT_EQ(error_of([] { add(32763, 5); }), 6);
    EXPECT_EQ(subtract(-32763, 5), -32768);
    EXPECT_EQ(error_of([] { subtract(-32764, 5); }), 6);
    EXPECT_EQ(error_of([] { subtract(180, -32588); }), 6);
    EXPECT_EQ(subtract(180, -32587), 32767);
}

TEST(Integer, RemainderHasTheSignOfTheDividend)
{
    EXPECT_EQ(remainder(-640, 360), -280);
    EXPECT_EQ(remainder(715, 360), 355);
    EXPECT_EQ(remainder(-32768, -1), 0);
    EXPECT_EQ(error_of([] { remainder(5, 0); }), 11);
}

TEST(WholeNumbers, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(to_integer(2.5), 2);
    EXPECT_EQ(to_integer(3.5), 4);
    EXPECT_EQ(to_integer(-2.5), -2);
    EXPECT_EQ(to_integer(22.5), 22);
    EXPECT_EQ(to_integer(67.5), 68);
    EXPECT_EQ(to_integer(359.5), 360);
    EXPECT_EQ(to_integer(100.4), 100);
    EXPECT_EQ(to_integer(-0.5), 0);
    EXPECT_EQ(to_integer(32767.4), 32767);
    EXPECT_EQ(to_integer(-32768.5), -32768);
    EXPECT_EQ(error_of([] { to_integer(32767.5); }), 6);
    EXPECT_EQ(error_of([] { to_integer(-32768.51); }), 6);
    EXPECT_EQ(error_of([] { to_integer(std::nan("")); }), 6);
}

TEST(WholeNumbers, ClampedConversionPinsToTheRange)
{
    EXPECT_EQ(to_integer_clamped(1e9), 32767);
    EXPECT_EQ(to_integer_clamped(-1e30), -32768);
    EXPECT_EQ(to_integer_clamped(2.5), 2);
}

TEST(Single, RoundsToNearestAndRaisesOnlyWhenInfinite)
{
    EXPECT_EQ(to_single(0.1), 0.1f);
    EXPECT_EQ(to_single(double(FLT_MAX) * (1 + 1e-9)), FLT_MAX);
    EXPECT_EQ(error_of([] { to_single(1e39); }), 6);
    EXPECT_EQ(error_of([] { to_single(-1e39); }), 6);
    EXPECT_EQ(error_of([] { checked(HUGE_VAL); }), 6);
}

TEST(Single, FaultingStoreKeepsItsNewValue)
{
    float speed = 1;
    EXPECT_EQ(error_of([&] { store_single_then_check(speed, 1e39); }), 6);
    EXPECT_TRUE(std::isinf(speed));
}

TEST(SineAndCosine, AgreeWithTheLibraryToTheLastBitOrSo)
{
    for (int degrees = -32768; degrees <= 32767; degrees += 7) {
        double const radians = double(degrees) * 3.142 / 180;
        EXPECT_NEAR(portable_sin(radians), std::sin(radians), 2e-16 * 600) << degrees;
        EXPECT_NEAR(portable_cos(radians), std::cos(radians), 2e-16 * 600) << degrees;
    }
    EXPECT_EQ(portable_sin(0.0), 0.0);
    EXPECT_EQ(portable_cos(0.0), 1.0);
    EXPECT_EQ(portable_sin(0.5), std::sin(0.5));
}

TEST(SineAndCosine, TheConstantGivesTheKnownDrift)
{
    EXPECT_NEAR(portable_cos(90 * 3.142 / 180), -0.000204, 0.000001);
    EXPECT_NEAR(portable_sin(180 * 3.142 / 180), -0.000407, 0.000001);
}

TEST(Variant, ToggleGoesFromEmptyToOneThenAlternates)
{
    Variant speed_up;
    EXPECT_TRUE(speed_up.is_empty());
    EXPECT_EQ(speed_up.trace_text(), "empty");
    speed_up = speed_up.minus_one_squared();
    EXPECT_EQ(speed_up.kind(), Variant::Kind::Double);
    EXPECT_EQ(speed_up.to_double(), 1.0);
    speed_up = speed_up.minus_one_squared();
    EXPECT_EQ(speed_up.to_double(), 0.0);
    EXPECT_EQ(speed_up.trace_text(), "0");
    speed_up = speed_up.minus_one_squared();
    EXPECT_EQ(speed_up.trace_text(), "1");
    EXPECT_EQ(Variant::from_integer(5).minus_one_squared().to_double(), 16.0);
}

TEST(Variant, EmptyCountsAsZeroAndIntegersMultiplyInSingle)
{
    EXPECT_EQ(Variant().times_double(123.0), 0.0);
    EXPECT_EQ(Variant().times_single(4.5f), 0.0);
    EXPECT_EQ(Variant::from_integer(3).times_single(0.1f), double(3 * 0.1f));
    EXPECT_EQ(Variant::from_double(3).times_single(0.1f), 3 * double(0.1f));
    EXPECT_EQ(Variant::from_double(0.1).trace_text(), "0.10000000000000001");
}

}

namespace qm {

TEST(RuntimeErrors, AreReportedWithTheirNumberAndDescription)
{
    EXPECT_EQ(report_text(RuntimeError(ErrorNumber::Overflow)), "Run-time error '6':\n\nOverflow");
    EXPECT_EQ(report_text(RuntimeError(ErrorNumber::TypeMismatch)), "Run-time error '13':\n\nType mismatch");
    EXPECT_STREQ(RuntimeError(ErrorNumber::DivisionByZero).description(), "Division by zero");
}

}
