#include "sync/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

// The C library's text, which the program printed before.
std::string Printf(double value, int decimals) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

TEST(NumberTextTest, WholeNumbersWithTheirZeros) {
    struct TCase {
        std::uint64_t Value;
        int Width;
        const char* Decimal;
    };
    for (const TCase& c :
         {TCase{0, 1, "0"}, TCase{0, 2, "00"}, TCase{7, 2, "07"}, TCase{59, 2, "59"},
          TCase{42, 4, "0042"}, TCase{12345, 2, "12345"}, TCase{kAll, 1, "18446744073709551615"}})
        EXPECT_EQ(DecimalText(c.Value, c.Width), c.Decimal) << c.Value << " width " << c.Width;

    struct THexCase {
        std::uint64_t Value;
        int Digits;
        bool Capitals;
        const char* Hex;
    };
    for (const THexCase& c :
         {THexCase{0xC0FFEE, 8, true, "00C0FFEE"}, THexCase{0, 8, true, "00000000"},
          THexCase{0xFFFFFFFF, 8, true, "FFFFFFFF"}, THexCase{kAll, 16, false, "ffffffffffffffff"},
          THexCase{0x0123456789abcdef, 16, false, "0123456789abcdef"},
          THexCase{0x123456789, 8, true, "23456789"}})
        EXPECT_EQ(HexText(c.Value, c.Digits, c.Capitals), c.Hex) << c.Hex;
}

TEST(NumberTextTest, BinaryFractionsRoundAsPrintf) {
    struct TCase {
        std::uint64_t Value;
        int Shift;
        int Decimals;
        const char* Text;
    };
    const std::uint64_t mb = 1 << 20;
    for (const TCase& c :
         {TCase{0, 20, 1, "0,0"},
          TCase{mb / 4, 20, 1, "0,2"},         // an exact half goes to the even digit
          TCase{mb / 4 * 3, 20, 1, "0,8"},     // and from an odd one up
          TCase{mb / 4 + 1, 20, 1, "0,3"},     // just above the half
          TCase{mb * 5 / 2, 20, 0, "2"},       // the even whole number
          TCase{mb * 7 / 2, 20, 0, "4"},       // up to the next one
          TCase{mb * 10 - 1, 20, 1, "10,0"},   // rounding carries into the whole part
          TCase{mb * 198, 20, 0, "198"},       // no point without decimals
          TCase{3 << 29, 30, 1, "1,5"},        // 1.5 GB
          TCase{kAll, 30, 1, "17179869184,0"}, // the largest size
          TCase{kAll, 0, 2, "18446744073709551615,00"},
          TCase{1, 64, 3, "0,000"},                        // no whole part at all
          TCase{std::uint64_t{1} << 63, 64, 0, "0"},       // one half
          TCase{(std::uint64_t{1} << 63) + 1, 64, 0, "1"}, // just above that half
          TCase{5, 1, 0, "2"},                             // 2.5
          TCase{7, 1, 0, "4"},                             // 3.5
          TCase{1, 3, 2, "0,12"},                          // 0.125
          TCase{3, 3, 2, "0,38"},                          // 0.375
          TCase{1, 100, 3, "0,000"}}) {
        EXPECT_EQ(FractionText(c.Value, c.Shift, c.Decimals, ','), c.Text)
            << c.Value << " / 2^" << c.Shift;
    }

    // Sizes around each rounding boundary, with the point printf uses.
    for (const int shift : {20, 30})
        for (std::uint64_t decimals = 0, scale = 1; decimals < 4; ++decimals, scale *= 10)
            for (std::uint64_t units = 0; units < 40; ++units) {
                const std::uint64_t edge = ((units * 2 + 1) << shift) / (2 * scale);
                for (std::uint64_t value = edge > 3 ? edge - 3 : 0; value < edge + 4; ++value)
                    EXPECT_EQ(FractionText(value, shift, static_cast<int>(decimals), '.'),
                              Printf(std::ldexp(static_cast<double>(value), -shift),
                                     static_cast<int>(decimals)))
                        << value << " / 2^" << shift;
            }
}

TEST(NumberTextTest, DoublesRoundAsPrintf) {
    std::vector<double> values = {0.0,
                                  0.05,
                                  0.15,
                                  0.25,
                                  0.35,
                                  0.45,
                                  2.5,
                                  9.95,
                                  99.95,
                                  99.9,
                                  0.0005,
                                  0.0015,
                                  1.0 / 3,
                                  12.43,
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  std::ldexp(1.0, 53) + 2,
                                  std::ldexp(1.0, 63),
                                  std::nextafter(std::ldexp(1.0, 64), 0.0)};
    // Magnitudes from far below a thousandth to beyond 2^53, with all their bits.
    std::mt19937_64 random(24);
    for (int i = 0; i < 4000; ++i) {
        const double unit = std::ldexp(1.0, static_cast<int>(random() % 90) - 30);
        values.push_back(unit * static_cast<double>(random() >> 11) / std::ldexp(1.0, 53));
    }
    // Halves and near halves of the last decimal.
    for (int i = 0; i < 2000; ++i) {
        const double half = (static_cast<double>(i) + 0.5) / 1000;
        values.insert(values.end(), {half, std::nextafter(half, 0.0), std::nextafter(half, 1.0),
                                     (static_cast<double>(i) + 0.5) / 8});
    }
    for (const double value : values)
        for (const int decimals : {0, 1, 2, 3})
            ASSERT_EQ(FixedText(value, decimals, '.'), Printf(value, decimals))
                << std::hexfloat << value << " with " << decimals << " decimals";
    EXPECT_EQ(FixedText(12.43, 1, ','), "12,4");
}

} // namespace
