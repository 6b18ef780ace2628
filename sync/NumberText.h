// Figures as text, for names, settings and the window's reports. The C
// library's formatting would do it, but brings its floating-point printing
// into the program (about 25 KB); these do the few cases the program needs.
#pragma once

#include <cstdint>
#include <string>

// "0042" for (42, 4): the decimal digits, zeros before to at least `width`.
std::string DecimalText(std::uint64_t value, int width = 1);

// "00C0FFEE" for (0xC0FFEE, 8, true): the last `digits` hexadecimal digits,
// capitals or small letters.
std::string HexText(std::uint64_t value, int digits, bool capitals);

// value / 2^shift with `decimals` decimals after `point`, rounded as printf's
// "%.*f" rounds: to the nearest, an exact half to an even last digit
// ("0,2" for (1 << 18, 20, 1, ',')). The part below the point times
// 10^decimals must fit in 64 bits: it does for a value below 2^53 (a double's
// mantissa) or a shift of at most 54, with up to three decimals.
std::string FractionText(std::uint64_t value, int shift, int decimals, char point);

// "12.4" for (12.43, 1, '.'): a value from 0 up to 2^64 with up to three
// decimals, rounded exactly as printf's "%.*f" rounds it.
std::string FixedText(double value, int decimals, char point);
