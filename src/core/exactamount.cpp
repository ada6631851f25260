#include "core/exactamount.h"

#include <QRegularExpression>

namespace exact {

namespace {

constexpr Int128 Int128Max = ~(Int128(1) << 127);

Int128 pow10(int n)
{
    Int128 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// Divides by 10^n, rounding half away from zero.
Int128 divRound(Int128 v, int n)
{
    if (n <= 0)
        return v;
    const Int128 d = pow10(n);
    const Int128 q = v / d;
    const Int128 r = v % d;
    const Int128 twice = (r < 0 ? -r : r) * 2;
    if (twice >= d)
        return v < 0 ? q - 1 : q + 1;
    return q;
}

std::optional<Int128> scaleUp(Int128 v, int n)
{
    for (int i = 0; i < n; ++i) {
        if (__builtin_mul_overflow(v, Int128(10), &v))
            return std::nullopt;
    }
    return v;
}

// Digits (leading zeros allowed), a count of fraction digits among them and
// a power of ten, into an amount.
std::optional<Amount> fromParts(bool negative, QString digits, int fractionDigits, int exponent)
{
    int scale = fractionDigits - exponent;
    int roundUp = 0;
    if (scale > MaxScale) {
        // Drop the digits beyond the kept decimals, rounding on the first one.
        const int drop = scale - MaxScale;
        if (drop >= digits.size()) {
            roundUp = drop == digits.size() && digits.at(0) >= u'5' ? 1 : 0;
            digits.clear();
        } else {
            roundUp = digits.at(digits.size() - drop) >= u'5' ? 1 : 0;
            digits.chop(drop);
        }
        scale = MaxScale;
    }
    int firstNonZero = 0;
    while (firstNonZero < digits.size() && digits.at(firstNonZero) == u'0')
        ++firstNonZero;
    Int128 units = 0;
    for (int i = firstNonZero; i < digits.size(); ++i) {
        if (__builtin_mul_overflow(units, Int128(10), &units)
            || __builtin_add_overflow(units, Int128(digits.at(i).unicode() - u'0'), &units))
            return std::nullopt;
    }
    units += roundUp;
    if (scale < 0) {
        const std::optional<Int128> up = scaleUp(units, -scale);
        if (!up)
            return std::nullopt;
        units = *up;
        scale = 0;
    }
    return Amount{negative ? -units : units, scale};
}

std::optional<Amount> fromMatch(const QRegularExpressionMatch &m)
{
    const bool negative = m.captured(1) == QLatin1String("-");
    const QString whole = m.captured(2);
    const QString fraction = m.captured(3);
    int exponent = 0;
    if (m.hasCaptured(4)) {
        bool ok = false;
        exponent = m.captured(4).mid(1).toInt(&ok);
        if (!ok || exponent > 60 || exponent < -60)
            return std::nullopt;
    }
    return fromParts(negative, whole + fraction, int(fraction.size()), exponent);
}

} // namespace

bool operator==(const Amount &a, const Amount &b)
{
    const int scale = std::max(a.scale, b.scale);
    const auto x = scaleUp(a.units, scale - a.scale);
    const auto y = scaleUp(b.units, scale - b.scale);
    return x && y && *x == *y;
}

std::optional<Amount> leadingNumber(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n]"));
    static const QRegularExpression number(
        QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?([eEdD][+-]?\\d+)?"));
    QString t = text;
    t.remove(blanks);
    const QRegularExpressionMatch m = number.match(t);
    if (m.captured(2).isEmpty() && m.captured(3).isEmpty())
        return Amount{};
    return fromMatch(m);
}

std::optional<Amount> parse(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?([eE][+-]?\\d+)?$"));
    const QRegularExpressionMatch m = number.match(text.trimmed());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;
    return fromMatch(m);
}

std::optional<Amount> add(const Amount &a, const Amount &b)
{
    const int scale = std::max(a.scale, b.scale);
    const auto x = scaleUp(a.units, scale - a.scale);
    const auto y = scaleUp(b.units, scale - b.scale);
    Int128 sum = 0;
    if (!x || !y || __builtin_add_overflow(*x, *y, &sum))
        return std::nullopt;
    return Amount{sum, scale};
}

std::optional<Amount> multiply(const Amount &a, const Amount &b)
{
    Amount x = a;
    Amount y = b;
    Int128 product = 0;
    // Give up decimals beyond what is kept before giving up the product.
    while (__builtin_mul_overflow(x.units, y.units, &product)) {
        Amount &wider = x.scale >= y.scale ? x : y;
        if (wider.scale == 0)
            return std::nullopt;
        wider = rounded(wider, wider.scale - 1);
    }
    Amount r{product, x.scale + y.scale};
    return r.scale > MaxScale ? rounded(r, MaxScale) : r;
}

Amount rounded(const Amount &a, int places)
{
    if (places >= a.scale)
        return a;
    return Amount{divRound(a.units, a.scale - places), places};
}

QString formatHashDot00(const Amount &a)
{
    Amount r = rounded(a, 2);
    Int128 units = r.units;
    if (r.scale < 2) {
        // Fewer decimals than shown: widen; a value too large to widen is
        // shown without its fraction digits being exact (cannot happen for
        // amounts read from fields).
        units = scaleUp(units, 2 - r.scale).value_or(Int128Max);
    }
    const bool negative = units < 0;
    if (negative)
        units = -units;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(units % 10)));
        units /= 10;
    } while (units > 0);
    while (digits.size() < 2)
        digits.prepend(u'0');
    QString whole = digits.left(digits.size() - 2);
    if (whole == QLatin1String("0"))
        whole.clear();
    const QString text = whole + u'.' + digits.right(2);
    return negative ? u'-' + text : text;
}

QString plain(const Amount &a)
{
    Int128 units = a.units < 0 ? -a.units : a.units;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(units % 10)));
        units /= 10;
    } while (units > 0);
    while (digits.size() <= a.scale)
        digits.prepend(u'0');
    QString text = digits;
    if (a.scale > 0) {
        text.insert(text.size() - a.scale, u'.');
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return a.units < 0 ? u'-' + text : text;
}

std::optional<Amount> fromMoneyDigits(const QString &digits)
{
    static const QRegularExpression allDigits(QStringLiteral("^\\d+$"));
    if (allDigits.match(digits).hasMatch())
        return fromParts(false, digits, 2, 0);
    return parse(digits);
}

} // namespace exact
