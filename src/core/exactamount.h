#pragma once
// Exact decimal arithmetic for the filling-in rules: amounts are added and
// multiplied as scaled integers, never as doubles, so that 0.10 + 0.20 is
// 0.30 and sixteen-digit amounts keep every digit.
#include <QString>
#include <optional>

namespace exact {

__extension__ typedef __int128 Int128;

// value = units / 10^scale, scale 0..MaxScale.
struct Amount {
    Int128 units = 0;
    int scale = 0;

    bool isZero() const { return units == 0; }
    bool aboveZero() const { return units > 0; }
    int sign() const { return units > 0 ? 1 : (units < 0 ? -1 : 0); }
    friend bool operator==(const Amount &a, const Amount &b);
};

inline constexpr int MaxScale = 18;

// The number a text starts with, blanks anywhere ignored, as a leading-number
// conversion reads it: "12pt" 12, "abc" 0, " -3.5e1x" -35, "" 0. A number too
// large for 38 digits gives nullopt.
std::optional<Amount> leadingNumber(const QString &text);
// The whole trimmed text as a number (sign, digits, one point, exponent), or
// nullopt when it is anything else.
std::optional<Amount> parse(const QString &text);

// Sum and product; nullopt when the result does not fit. A product keeps at
// most MaxScale decimals, rounding half away from zero.
std::optional<Amount> add(const Amount &a, const Amount &b);
std::optional<Amount> multiply(const Amount &a, const Amount &b);
// The amount rounded to `places` decimals, half away from zero.
Amount rounded(const Amount &a, int places);

// The amount as the pattern "#.00" shows it: two decimals, rounded half away
// from zero, no leading zero below one ("0.5" gives ".50", "1234.5" gives
// "1234.50", "-0.5" gives "-.50").
QString formatHashDot00(const Amount &a);
// The amount in plain notation without exponent, trailing fraction zeros
// dropped ("1234.50" gives "1234.5", 0 gives "0").
QString plain(const Amount &a);

// Money digits as a money field gives them (one digit per column, the last
// two jiao and fen) read as yuan: "0000123450" is 1234.50. A text that
// already holds a point (a single-box field) is read as yuan as written.
// nullopt when the text is neither.
std::optional<Amount> fromMoneyDigits(const QString &digits);

} // namespace exact
