#include "core/amountwords.h"
#include <cstring>

namespace words {

namespace {

// A short run of UTF-16 units built and tidied in place, turned into a
// QString once at the end: the conversions run on every keystroke of a
// money field, so they allocate nothing else. Appends beyond the capacity
// are dropped (the callers' limits keep well inside it).
template <int Capacity>
class TextBuf {
public:
    void append(char16_t c)
    {
        if (m_size < Capacity)
            m_units[m_size++] = c;
    }
    void append(QStringView s)
    {
        const qsizetype n = s.size();
        if (m_size + n > Capacity)
            return;
        std::memcpy(m_units + m_size, s.utf16(), sizeof(char16_t) * size_t(n));
        m_size += int(n);
    }

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    char16_t at(int i) const { return (i >= 0 && i < m_size) ? m_units[i] : u'\0'; }
    char16_t first() const { return at(0); }
    char16_t last() const { return at(m_size - 1); }

    // Drops the first `count` units.
    void dropFirst(int count = 1)
    {
        count = qBound(0, count, m_size);
        for (int i = count; i < m_size; ++i)
            m_units[i - count] = m_units[i];
        m_size -= count;
    }
    void dropLast()
    {
        if (m_size > 0)
            --m_size;
    }

    // Replaces every pair a b, left to right and non-overlapping, by `to`
    // (none or one unit). Returns how many were replaced.
    int replacePair(char16_t a, char16_t b, char16_t to = 0)
    {
        int read = 0;
        while (read + 1 < m_size && !(m_units[read] == a && m_units[read + 1] == b))
            ++read;
        if (read + 1 >= m_size)
            return 0; // the common case: nothing to replace, nothing written
        int write = read, count = 0;
        while (read < m_size) {
            if (m_units[read] == a && read + 1 < m_size && m_units[read + 1] == b) {
                if (to)
                    m_units[write++] = to;
                read += 2;
                ++count;
            } else {
                m_units[write++] = m_units[read++];
            }
        }
        m_size = write;
        return count;
    }

    bool contains(char16_t c) const
    {
        for (int i = 0; i < m_size; ++i)
            if (m_units[i] == c)
                return true;
        return false;
    }

    QString toString() const
    {
        return QString(reinterpret_cast<const QChar *>(m_units), m_size);
    }

private:
    char16_t m_units[Capacity];
    int m_size = 0;
};

// 16 digits with a unit each, a zero, 3 fraction digits with units and 整.
using WordBuf = TextBuf<48>;

// The characters the tidy rules look for.
constexpr char16_t Ling = u'零', Zhao = u'兆', Yi = u'亿', Wan = u'万', Yuan = u'圆';
constexpr char16_t Jiao = u'角', Fen = u'分', Li = u'厘', Zheng = u'整';

// Half of `length`, an odd length's half rounded to the even neighbour.
int halfRoundedToEven(int length)
{
    const int half = length / 2;
    return (length % 2 == 1 && half % 2 == 1) ? half + 1 : half;
}

// Collapses runs of 零 with as many passes as half the text's length.
void collapseZeros(WordBuf &w)
{
    const int passes = halfRoundedToEven(w.size());
    for (int i = 0; i < passes; ++i)
        if (w.replacePair(Ling, Ling, Ling) == 0)
            break; // a pass that changes nothing leaves later passes idle
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool hasNonZeroDigit(QStringView s)
{
    for (QChar c : s)
        if (c >= u'1' && c <= u'9')
            return true;
    return false;
}

QStringView stripLeadingZeros(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u'0')
        ++i;
    return s.mid(i);
}

WordsResult failure(WordsStatus status, const QString &message, const QString &text = {})
{
    return WordsResult{text, status, message};
}

// The one-character entries of the Chinese tables as plain characters.
template <size_t N>
constexpr std::array<char16_t, N> firstChars(const std::array<QStringView, N> &table)
{
    std::array<char16_t, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = table[i].isEmpty() ? u'\0' : table[i].front().unicode();
    return out;
}
constexpr auto DigitChars = firstChars(ChineseDigits);
constexpr auto IntUnitChars = firstChars(ChineseIntUnits);
constexpr auto DecUnitChars = firstChars(ChineseDecUnits);

char16_t chineseDigit(QChar digit)
{
    return DigitChars[size_t(digit.unicode() - u'0')];
}

// What the integer digits tell about the words made from them.
struct IntegerChars {
    QStringView digits; // without leading zeros
    bool ling = false;  // some 零 was written

    int length() const { return int(digits.size()); }
    // The digit at position p (1 = units) exists and is 0.
    bool zeroAt(int p) const { return p <= length() && digits[length() - p] == u'0'; }
    bool zerosFrom(int low, int high) const
    {
        for (int p = low; p <= high; ++p)
            if (!zeroAt(p))
                return false;
        return true;
    }
};

IntegerChars integerWords(QStringView digits, WordBuf &w)
{
    // Walk from the leftmost digit (position n) to the units digit
    // (position 1), appending: the same text as prepending from the right.
    IntegerChars has;
    has.digits = digits;
    const int n = int(digits.size());
    for (int k = n; k >= 1; --k) {
        const QChar digit = digits[n - k];
        const char16_t unit = IntUnitChars[size_t(k)];
        const bool major = unit == Zhao || unit == Yi || unit == Wan || unit == Yuan;
        if (digit != u'0') {
            w.append(chineseDigit(digit));
            w.append(unit);
        } else if (major) {
            w.append(unit);
        } else {
            w.append(Ling);
            has.ling = true;
        }
    }
    return has;
}

// The tidy rules run in their order. A rule is skipped when its pair
// cannot occur, which leaves the words as they are: 零 stands right before
// a unit (兆 at position 13, 亿 9, 万 5, 圆 1) only when that digit and the
// one above it are 0, and two of those units meet only when every digit
// between them, and the lower unit's own, is 0.
void tidyIntegerWords(WordBuf &w, const IntegerChars &has)
{
    if (has.ling) {
        collapseZeros(w);
        if (has.zeroAt(14) && has.zeroAt(13))
            w.replacePair(Ling, Zhao, Zhao);
        if (has.zeroAt(10) && has.zeroAt(9))
            w.replacePair(Ling, Yi, Yi);
        if (has.zeroAt(6) && has.zeroAt(5))
            w.replacePair(Ling, Wan, Wan);
        if (has.zeroAt(2) && has.zeroAt(1))
            w.replacePair(Ling, Yuan, Yuan);
    }
    const int n = has.length();
    if (n >= 13 && has.zerosFrom(9, 12))
        w.replacePair(Zhao, Yi, Zhao);
    if (n >= 13 && has.zerosFrom(5, 12))
        w.replacePair(Zhao, Wan, Zhao);
    if (n >= 9 && has.zerosFrom(5, 8))
        w.replacePair(Yi, Wan, Yi);
    auto unitOrZero = [](char16_t c) {
        return c == Yuan || c == Wan || c == Yi || c == Zhao || c == Ling;
    };
    int leading = 0;
    while (leading < w.size() && unitOrZero(w.at(leading)))
        ++leading;
    w.dropFirst(leading);
}

void fractionWords(QStringView digits, WordBuf &d)
{
    for (int k = 1; k <= digits.size(); ++k) {
        d.append(chineseDigit(digits[k - 1]));
        d.append(DecUnitChars[size_t(k)]);
    }
}

void tidyFractionWords(WordBuf &d)
{
    const bool ling = d.contains(Ling);
    if (ling) {
        d.replacePair(Ling, Jiao);
        d.replacePair(Ling, Fen, Ling);
        d.replacePair(Ling, Li, Ling);
    }
    // Units meet only where a 零 digit went away with its unit.
    if (ling) {
        d.replacePair(Jiao, Fen, Jiao);
        d.replacePair(Jiao, Li, Jiao);
        d.replacePair(Fen, Li, Fen);
        collapseZeros(d);
    }
    auto unitOrZero = [](char16_t c) { return c == Li || c == Fen || c == Jiao || c == Ling; };
    for (int i = d.size(); i > 0; --i) {
        const int before = d.size();
        if (!d.isEmpty() && unitOrZero(d.first()))
            d.dropFirst();
        if (d.last() == Ling)
            d.dropLast();
        if (d.size() == before)
            break; // nothing dropped: the remaining rounds would drop nothing
    }
}

// An amount with its surrounding blanks cut off, checked in one pass.
struct Amount {
    QStringView text;
    qsizetype point = -1; // index of the point in text, or -1
    bool plain = false;   // digits with at most one point, at least one digit
    bool nonZero = false; // some digit is not 0
};

Amount scanAmount(QStringView raw)
{
    qsizetype begin = 0, end = raw.size();
    while (begin < end && raw[begin].isSpace())
        ++begin;
    while (end > begin && raw[end - 1].isSpace())
        --end;
    Amount a;
    a.text = raw.mid(begin, end - begin);
    bool digit = false;
    for (qsizetype i = 0; i < a.text.size(); ++i) {
        const QChar c = a.text[i];
        if (isDigit(c)) {
            digit = true;
            a.nonZero = a.nonZero || c != u'0';
        } else if (c == u'.' && a.point < 0) {
            a.point = i;
        } else {
            return a;
        }
    }
    a.plain = digit;
    return a;
}

// Splits an amount into integer digits and at most `places` fraction
// digits. A run of digits shorter than `places` is padded with zeros in
// front; `padded` holds those digits then.
void splitChinese(const Amount &a, int places, QStringView &integer, QStringView &fraction,
                  char16_t (&padded)[MaxChinesePlaces])
{
    const QStringView amount = a.text;
    const qsizetype point = a.point;
    if (point >= 0) {
        integer = amount.left(point);
        fraction = amount.mid(point + 1).left(places);
    } else if (amount.size() < places) {
        const qsizetype zeros = places - amount.size();
        for (qsizetype i = 0; i < places; ++i)
            padded[i] = i < zeros ? u'0' : amount[i - zeros].unicode();
        integer = QStringView();
        fraction = QStringView(padded, places);
    } else {
        integer = amount.left(amount.size() - places);
        fraction = amount.right(places);
    }
}

} // namespace

bool IsAmountNumeric(QStringView amount)
{
    return scanAmount(amount).plain;
}

WordsResult MoneyToChinese(QStringView amount, int places)
{
    if (places < 0 || places > MaxChinesePlaces)
        return failure(WordsStatus::BadPlaces,
                       QStringLiteral("decimal places must be 0 to %1, not %2")
                           .arg(MaxChinesePlaces).arg(places));
    const Amount a = scanAmount(amount);
    if (!a.plain)
        return failure(WordsStatus::NotNumeric, QStringLiteral("not an amount"));

    QStringView integer;
    QStringView fraction;
    char16_t padded[MaxChinesePlaces];
    splitChinese(a, places, integer, fraction, padded);
    if (integer.size() > MaxChineseIntegerDigits)
        return failure(WordsStatus::TooManyDigits,
                       QStringLiteral("the integer part has %1 digits; Chinese words take at most %2")
                           .arg(integer.size()).arg(MaxChineseIntegerDigits));

    WordBuf w;
    // Leading zeros only add units and 零 that the tidy rules strip again
    // (no rule pairs them with a digit word), so they are skipped.
    tidyIntegerWords(w, integerWords(stripLeadingZeros(integer), w));
    WordBuf d;
    fractionWords(fraction, d);
    tidyFractionWords(d);

    // Join: a fraction not starting with its 角 digit is set off by 零.
    if (!d.isEmpty()) {
        if (!w.isEmpty() && d.at(1) != Jiao)
            w.append(Ling);
        for (int i = 0; i < d.size(); ++i)
            w.append(d.at(i));
    }
    if (w.last() == Jiao || w.last() == Yuan)
        w.append(Zheng);
    return WordsResult{w.toString(), WordsStatus::Ok, {}};
}

namespace {

// The longest English words (21 digits, seven groups, cents) stay under 400 units.
using EnglishBuf = TextBuf<512>;

// Joining words, sized at compile time.
constexpr QStringView AndWord = u" And ";
constexpr QStringView CentWord = u" Cent";
constexpr QStringView OnlyWord = u" Only";

void appendTens(EnglishBuf &out, int tens, int units)
{
    out.append(EnglishWords[size_t(18 + tens)]);
    if (units == 0) {
        out.append(u' ');
    } else {
        out.append(u'-');
        out.append(EnglishWords[size_t(units)]);
    }
}

void appendGroup(EnglishBuf &out, int v)
{
    if (v <= 0 || v > 999)
        return;
    if (v <= 20) {
        out.append(EnglishWords[size_t(v)]);
        return;
    }
    if (v <= 99) {
        appendTens(out, v / 10, v % 10);
        return;
    }
    out.append(EnglishWords[size_t(v / 100)]);
    out.append(u' ');
    out.append(EnglishWords[28]);
    const int r = v % 100;
    if (r == 0)
        return;
    out.append(AndWord);
    if (r <= 20)
        out.append(EnglishWords[size_t(r)]);
    else
        appendTens(out, r / 10, r % 10);
}

int digitsValue(QStringView s)
{
    int v = 0;
    for (QChar c : s)
        v = v * 10 + (c.unicode() - u'0');
    return v;
}

// Value of three-digit group g (1 = rightmost) of a digit string.
int groupValue(QStringView digits, int g)
{
    const qsizetype end = digits.size() - 3 * (g - 1);
    const qsizetype start = qMax<qsizetype>(0, end - 3);
    return digitsValue(digits.mid(start, end - start));
}

void appendDollars(EnglishBuf &out, QStringView u)
{
    const int groups = int((u.size() + 2) / 3); // at most 7: u has at most 21 digits
    int value[EnglishGroupNames.size()] = {};
    for (int g = 1; g <= groups; ++g)
        value[g] = groupValue(u, g);
    for (int g = groups; g >= 2; --g) {
        const int h = value[g];
        if (h > 0) {
            appendGroup(out, h);
            out.append(u' ');
            out.append(EnglishGroupNames[size_t(g)]);
        }
        const int below = value[g - 1];
        if (below >= 1 && below <= 99)
            out.append(AndWord);
        else
            out.append(u' ');
    }
    appendGroup(out, value[1]);
    out.append(u' ');
    out.append(EnglishGroupNames[1]);
}

} // namespace

QString GroupToEnglish(int value)
{
    EnglishBuf out;
    appendGroup(out, value);
    return out.toString();
}

WordsResult MoneyToEnglish(QStringView amount)
{
    const Amount a = scanAmount(amount);
    if (!a.plain)
        return failure(WordsStatus::NotNumeric, QStringLiteral("not an amount"));
    if (!a.nonZero)
        return {}; // zero: no words

    const QStringView s = a.text;
    const qsizetype point = a.point;
    QStringView dollars;
    QStringView cents;
    if (point >= 0) {
        const QStringView integer = s.left(point);
        if (hasNonZeroDigit(integer))
            dollars = stripLeadingZeros(integer);
        const QStringView firstTwo = s.mid(point + 1).left(2);
        if (hasNonZeroDigit(firstTwo))
            cents = firstTwo;
    } else {
        dollars = stripLeadingZeros(s);
    }
    if (dollars.size() > MaxEnglishIntegerDigits)
        return failure(WordsStatus::TooManyDigits,
                       QStringLiteral("the integer part has %1 digits; English words take at most %2")
                           .arg(dollars.size()).arg(MaxEnglishIntegerDigits),
                       EnglishOverflowText.toString());

    EnglishBuf out;
    if (!dollars.isEmpty())
        appendDollars(out, dollars);
    if (!cents.isEmpty()) {
        // One cent digit is tenths: "5" is fifty cents.
        const int value = cents.size() == 1 ? digitsValue(cents) * 10 : digitsValue(cents);
        if (!out.isEmpty())
            out.append(AndWord);
        appendGroup(out, value);
        out.append(CentWord);
    }
    if (!out.isEmpty())
        out.append(OnlyWord);
    return WordsResult{out.toString(), WordsStatus::Ok, {}};
}

} // namespace words
