#include "fields/amountwords.h"
#include <cmath>

namespace words {

namespace {

// A short run of UTF-16 units built and tidied in place. The Chinese words
// of at most 16 + 3 digits need well under 64 units, and every tidy rule
// replaces a pair by something no longer, so nothing here allocates.
class WordBuf {
public:
    static constexpr int Capacity = 64;

    void append(QStringView s)
    {
        for (QChar c : s)
            if (m_size < Capacity)
                m_units[m_size++] = c.unicode();
    }
    void append(QChar c) { append(QStringView(&c, 1)); }

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QStringView view() const { return QStringView(m_units, m_size); }
    QChar at(int i) const { return (i >= 0 && i < m_size) ? QChar(m_units[i]) : QChar(); }
    QChar first() const { return at(0); }
    QChar last() const { return at(m_size - 1); }

    void dropFirst()
    {
        if (m_size == 0)
            return;
        for (int i = 1; i < m_size; ++i)
            m_units[i - 1] = m_units[i];
        --m_size;
    }
    void dropLast()
    {
        if (m_size > 0)
            --m_size;
    }

    // Replace-all, left to right, non-overlapping; `to` is never longer
    // than `from`. Returns how many were replaced.
    int replaceAll(QStringView from, QStringView to)
    {
        Q_ASSERT(to.size() <= from.size());
        const int f = int(from.size());
        int read = 0, write = 0, count = 0;
        while (read < m_size) {
            if (read + f <= m_size && QStringView(m_units + read, f) == from) {
                for (QChar c : to)
                    m_units[write++] = c.unicode();
                read += f;
                ++count;
            } else {
                m_units[write++] = m_units[read++];
            }
        }
        m_size = write;
        return count;
    }

    QString toString() const { return view().toString(); }

private:
    char16_t m_units[Capacity];
    int m_size = 0;
};

constexpr QChar Zero = QChar(0x96F6); // 零

int halfRoundedToEven(int length)
{
    return int(std::nearbyint(length / 2.0));
}

// Collapses runs of 零 with as many passes as half the text's length.
void collapseZeros(WordBuf &w)
{
    const int passes = halfRoundedToEven(w.size());
    for (int i = 0; i < passes; ++i)
        if (w.replaceAll(u"零零", u"零") == 0)
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

void integerWords(QStringView digits, WordBuf &w)
{
    // Walk from the leftmost digit (position n) to the units digit
    // (position 1), appending: the same text as prepending from the right.
    const int n = int(digits.size());
    for (int k = n; k >= 1; --k) {
        const int digit = digits[n - k].unicode() - u'0';
        const QStringView unit = ChineseIntUnits[size_t(k)];
        if (digit != 0) {
            w.append(ChineseDigits[size_t(digit)]);
            w.append(unit);
        } else if (unit == u"兆" || unit == u"亿" || unit == u"万" || unit == u"圆") {
            w.append(unit);
        } else {
            w.append(Zero);
        }
    }
}

void tidyIntegerWords(WordBuf &w)
{
    collapseZeros(w);
    w.replaceAll(u"零兆", u"兆");
    w.replaceAll(u"零亿", u"亿");
    w.replaceAll(u"零万", u"万");
    w.replaceAll(u"零圆", u"圆");
    w.replaceAll(u"兆亿", u"兆");
    w.replaceAll(u"兆万", u"兆");
    w.replaceAll(u"亿万", u"亿");
    const QStringView leading = u"圆万亿兆零";
    for (int i = w.size(); i > 0 && !w.isEmpty() && leading.contains(w.first()); --i)
        w.dropFirst();
}

void fractionWords(QStringView digits, WordBuf &d)
{
    for (int k = 1; k <= digits.size(); ++k) {
        const int digit = digits[k - 1].unicode() - u'0';
        d.append(ChineseDigits[size_t(digit)]);
        d.append(ChineseDecUnits[size_t(k)]);
    }
}

void tidyFractionWords(WordBuf &d)
{
    d.replaceAll(u"零角", u"");
    d.replaceAll(u"零分", u"零");
    d.replaceAll(u"零厘", u"零");
    d.replaceAll(u"角分", u"角");
    d.replaceAll(u"角厘", u"角");
    d.replaceAll(u"分厘", u"分");
    collapseZeros(d);
    const QStringView leading = u"厘分角零";
    for (int i = d.size(); i > 0; --i) {
        if (!d.isEmpty() && leading.contains(d.first()))
            d.dropFirst();
        if (d.last() == Zero)
            d.dropLast();
    }
}

// Splits an amount into integer digits and at most `places` fraction digits.
void splitChinese(QStringView amount, int places, QStringView &integer, QString &fraction)
{
    const qsizetype point = amount.indexOf(u'.');
    if (point >= 0) {
        integer = amount.left(point);
        fraction = amount.mid(point + 1).left(places).toString();
    } else if (amount.size() < places) {
        const QString padded = QString(places, u'0') + amount.toString();
        integer = QStringView();
        fraction = padded.right(places);
    } else {
        integer = amount.left(amount.size() - places);
        fraction = amount.right(places).toString();
    }
}

} // namespace

bool IsAmountNumeric(QStringView amount)
{
    const QStringView s = amount.trimmed();
    bool digit = false, point = false;
    for (QChar c : s) {
        if (isDigit(c)) {
            digit = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

WordsResult MoneyToChinese(QStringView amount, int places)
{
    if (places < 0 || places > MaxChinesePlaces)
        return failure(WordsStatus::BadPlaces,
                       QStringLiteral("decimal places must be 0 to %1, not %2")
                           .arg(MaxChinesePlaces).arg(places));
    const QStringView s = amount.trimmed();
    if (!IsAmountNumeric(s))
        return failure(WordsStatus::NotNumeric, QStringLiteral("not an amount"));

    QStringView integer;
    QString fraction;
    splitChinese(s, places, integer, fraction);
    if (integer.size() > MaxChineseIntegerDigits)
        return failure(WordsStatus::TooManyDigits,
                       QStringLiteral("the integer part has %1 digits; Chinese words take at most %2")
                           .arg(integer.size()).arg(MaxChineseIntegerDigits));

    WordBuf w;
    integerWords(integer, w);
    tidyIntegerWords(w);
    WordBuf d;
    fractionWords(fraction, d);
    tidyFractionWords(d);

    WordBuf result = w;
    if (!d.isEmpty()) {
        if (!w.isEmpty() && d.at(1) != u'角')
            result.append(Zero);
        result.append(d.view());
    }
    if (result.last() == u'角' || result.last() == u'圆')
        result.append(u'整');
    return WordsResult{result.toString(), WordsStatus::Ok, {}};
}

namespace {

void appendTens(QString &out, int tens, int units)
{
    out += EnglishWords[size_t(18 + tens)];
    if (units == 0) {
        out += u' ';
    } else {
        out += u'-';
        out += EnglishWords[size_t(units)];
    }
}

void appendGroup(QString &out, int v)
{
    if (v <= 0 || v > 999)
        return;
    if (v <= 20) {
        out += EnglishWords[size_t(v)];
        return;
    }
    if (v <= 99) {
        appendTens(out, v / 10, v % 10);
        return;
    }
    out += EnglishWords[size_t(v / 100)];
    out += u' ';
    out += EnglishWords[28];
    const int r = v % 100;
    if (r == 0)
        return;
    out += u" And ";
    if (r <= 20)
        out += EnglishWords[size_t(r)];
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

void appendDollars(QString &out, QStringView u)
{
    const int groups = int((u.size() + 2) / 3);
    for (int g = groups; g >= 2; --g) {
        const int h = groupValue(u, g);
        if (h > 0) {
            appendGroup(out, h);
            out += u' ';
            out += EnglishGroupNames[size_t(g)];
        }
        const int below = groupValue(u, g - 1);
        out += (below >= 1 && below <= 99) ? QStringView(u" And ") : QStringView(u" ");
    }
    appendGroup(out, groupValue(u, 1));
    out += u' ';
    out += EnglishGroupNames[1];
}

} // namespace

QString GroupToEnglish(int value)
{
    QString out;
    appendGroup(out, value);
    return out;
}

WordsResult MoneyToEnglish(QStringView amount)
{
    const QStringView s = amount.trimmed();
    if (!IsAmountNumeric(s))
        return failure(WordsStatus::NotNumeric, QStringLiteral("not an amount"));
    if (!hasNonZeroDigit(s))
        return {}; // zero: no words

    const qsizetype point = s.indexOf(u'.');
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

    QString out;
    out.reserve(256);
    if (!dollars.isEmpty())
        appendDollars(out, dollars);
    if (!cents.isEmpty()) {
        // One cent digit is tenths: "5" is fifty cents.
        const int value = cents.size() == 1 ? digitsValue(cents) * 10 : digitsValue(cents);
        if (!out.isEmpty())
            out += u" And ";
        appendGroup(out, value);
        out += u" Cent";
    }
    if (!out.isEmpty())
        out += u" Only";
    return WordsResult{out, WordsStatus::Ok, {}};
}

} // namespace words
