#include "platform/runtime/Random.h"

#include "platform/runtime/Text.h"

#include <gtest/gtest.h>

namespace qm {

TEST(Random, UnseededDrawsAreThePlatformsOwn)
{
    RandomGenerator random;
    EXPECT_EQ(single_text(random.next()), "0.7055475");
    EXPECT_EQ(single_text(random.next()), "0.533424");
    EXPECT_EQ(single_text(random.next()), "0.5795186");
}

TEST(Random, ValuesStayInTheUnitIntervalWith24Bits)
{
    RandomGenerator random;
    for (int i = 0; i < 100000; ++i) {
        float const value = random.next();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        ASSERT_EQ(value * 16777216.0f, float(random.state()));
    }
}

TEST(Random, RandomizeMixesTheSeedsHighWordIntoTheMiddleBits)
{
    // 1866240000 = 43200 squared: high word 0x41DBCF24.
    RandomGenerator random;
    random.randomize(1866240000.0);
    EXPECT_EQ(random.state(), ((0x41DBu ^ 0xCF24u) << 8) | 0x00u);

    RandomGenerator negative;
    negative.randomize(-2.0); // high word 0xC0000000: the shift keeps the sign
    EXPECT_EQ(negative.state(), (0xFFFFC000u << 8) & 0xFFFFFFu);
}

TEST(Random, EqualSeedsGiveEqualSequences)
{
    RandomGenerator first;
    RandomGenerator second;
    first.randomize(123.5);
    second.randomize(123.5);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(first.next(), second.next());
    RandomGenerator other;
    other.randomize(124.5);
    first.randomize(123.5);
    EXPECT_NE(first.state(), other.state());
}

}
