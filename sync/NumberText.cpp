#include "sync/NumberText.h"

#include <bit>

std::string DecimalText(std::uint64_t value, int width) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text(count < width ? static_cast<std::size_t>(width - count) : 0, '0');
    while (count > 0)
        text += digits[--count];
    return text;
}

std::string HexText(std::uint64_t value, int digits, bool capitals) {
    const char* const letters = capitals ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = letters[value & 15];
    return text;
}

std::string FractionText(std::uint64_t value, int shift, int decimals, char point) {
    // Below 64 the shift splits the value; beyond it all of it lies below the point.
    const bool split = shift < 64;
    const std::uint64_t mask = split ? (std::uint64_t{1} << shift) - 1 : ~std::uint64_t{0};
    std::uint64_t whole = split ? value >> shift : 0;
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const std::uint64_t scaled = (value & mask) * scale;
    std::uint64_t fraction = split ? scaled >> shift : 0;
    const std::uint64_t rest = scaled & mask;
    // What is left after the last decimal, against one half of it: the half is
    // 2^(shift - 1), beyond every rest once the shift passes 64.
    if (shift > 0 && shift <= 64) {
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        const bool odd = ((decimals > 0 ? fraction : whole) & 1) != 0;
        if (rest > half || (rest == half && odd)) {
            if (++fraction == scale) {
                fraction = 0;
                ++whole;
            }
        }
    }
    std::string text = DecimalText(whole);
    if (decimals > 0)
        text.append(1, point).append(DecimalText(fraction, decimals));
    return text;
}

std::string FixedText(double value, int decimals, char point) {
    // The double exactly as mantissa * 2^exponent.
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52 & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased != 0)
        mantissa |= std::uint64_t{1} << 52;
    const int exponent = (biased != 0 ? biased : 1) - 1075;
    if (exponent >= 0)
        return FractionText(mantissa << exponent, 0, decimals, point);
    return FractionText(mantissa, -exponent, decimals, point);
}
