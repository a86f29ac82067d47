#include "store/single_decimal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vlr::store {
namespace {

TEST(SingleDecimalTest, EveryScaledInstrumentValueGivesBackItsExactDecimal) {
    // Every 16-bit raw value divided by 10, 100 and 1000, as the single a received row holds.
    int wrong = 0;
    for (const int divisor : {10, 100, 1000}) {
        for (int raw = 0; raw <= 65535; ++raw) {
            const double exact = double(raw) / divisor;
            const double decimal = decimalOfSingle(double(float(exact)));
            if (decimal != exact && ++wrong <= 5)
                ADD_FAILURE() << raw << " / " << divisor << " gave " << decimal;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(SingleDecimalTest, LongerDecimalsAreRoundedToFivePlacesHalfAwayFromZero) {
    EXPECT_EQ(decimalOfSingle(double(5204.7f)), 5204.7);
    EXPECT_EQ(decimalOfSingle(double(0.1234567f)), 0.12346);
    EXPECT_EQ(decimalOfSingle(double(-0.1234567f)), -0.12346);
    EXPECT_EQ(decimalOfSingle(double(9.999996f)), 10.0);
    EXPECT_EQ(decimalOfSingle(double(-0.999996f)), -1.0);
    EXPECT_EQ(decimalOfSingle(double(1e-7f)), 0.0);
    // A number that is no single keeps its own decimal, rounded the same way.
    EXPECT_EQ(decimalOfSingle(0.1), 0.1);
    EXPECT_EQ(decimalOfSingle(2.000004999), 2.0);
    EXPECT_EQ(decimalOfSingle(123456789.123456), 123456789.12346);
    EXPECT_TRUE(std::isnan(decimalOfSingle(std::nan(""))));
}

}  // namespace
}  // namespace vlr::store
