#include "core/dateformat.h"

#include <QDate>

namespace dateformat {

namespace {

int pairAt(const QString &code, int pos)
{
    if (code.size() < pos + 2)
        return -1;
    const QChar a = code.at(pos), b = code.at(pos + 1);
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return -1;
    return (a.unicode() - u'0') * 10 + (b.unicode() - u'0');
}

QChar digitChar(DigitTable table, int index)
{
    return QChar(table == DigitTable::Capital ? CapitalDigits[size_t(index)]
                                              : LowerDigits[size_t(index)]);
}

// Value of a digit string that is at most a few characters long; -1 when the
// string is not a digit string.
int smallValue(const QString &digits)
{
    if (!isDigitString(digits) || digits.size() > 6)
        return -1;
    return digits.toInt();
}

// The two-digit Chinese form shared by months and days (0 to 99).
QString twoDigitChinese(int value, DigitTable table, ChineseForm form)
{
    if (value < 0 || value > 99)
        return {};
    const int tens = value / 10, units = value % 10;
    const QChar zero = digitChar(table, 0), ten = digitChar(table, 10);
    const bool full = form == ChineseForm::Full;
    QString s;
    if (tens == 0) {
        // 0 keeps its digit-by-digit form; 1 to 9 a leading zero when full.
        if (full)
            s += zero;
        s += digitChar(table, units);
        return s;
    }
    if (tens == 1) {
        // Ten to nineteen: 壹拾 / 一十 in full, 拾 / 十 short.
        if (full && units == 0 && table == DigitTable::Capital)
            s += zero;
        if (full)
            s += digitChar(table, 1);
        s += ten;
    } else {
        // Twenty and thirty take a leading 零 in the capital full form.
        if (full && units == 0 && table == DigitTable::Capital)
            s += zero;
        s += digitChar(table, tens);
        s += ten;
    }
    if (units != 0)
        s += digitChar(table, units);
    return s;
}

QString tableForCode(int value, int code)
{
    switch (code) {
    case 3: return twoDigitChinese(value, DigitTable::Capital, ChineseForm::Full);
    case 4: return twoDigitChinese(value, DigitTable::Capital, ChineseForm::Short);
    case 5: return twoDigitChinese(value, DigitTable::Lower, ChineseForm::Full);
    case 6: return twoDigitChinese(value, DigitTable::Lower, ChineseForm::Short);
    default: return {};
    }
}

// Codes shared by months and days: 1 the digits as typed, 2 the value,
// 3 to 6 the Chinese forms.
QString formatMonthOrDay(const QString &digits, int value, int code)
{
    if (code == 1)
        return digits;
    if (code == 2)
        return QString::number(value);
    return tableForCode(value, code);
}

} // namespace

DateStyle parseDateStyle(const QString &code)
{
    DateStyle s;
    s.order = pairAt(code, 0);
    s.yearCode = pairAt(code, 2);
    s.yearSeparator = pairAt(code, 4);
    s.monthCode = pairAt(code, 6);
    s.monthSeparator = pairAt(code, 8);
    s.dayCode = pairAt(code, 10);
    s.daySeparator = pairAt(code, 12);
    return s;
}

bool isDigitString(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString DateSeparator(int code)
{
    if (code < 0 || code >= int(DateSeparators.size()))
        return {};
    return QString(QChar(DateSeparators[size_t(code)]));
}

QString DigitsToChinese(const QString &digits, DigitTable table)
{
    QString s;
    s.reserve(digits.size());
    for (const QChar c : digits) {
        if (c >= u'0' && c <= u'9')
            s += digitChar(table, c.unicode() - u'0');
    }
    return s;
}

QString MonthToChinese(int value, DigitTable table, ChineseForm form)
{
    return value >= 0 && value <= 12 ? twoDigitChinese(value, table, form) : QString();
}

QString DayToChinese(int value, DigitTable table, ChineseForm form)
{
    return value >= 0 && value <= 31 ? twoDigitChinese(value, table, form) : QString();
}

QString MonthToEnglish(const QString &m, int form)
{
    const int value = smallValue(m);
    if (value < 1 || value > 12)
        return {};
    const QString name = QString::fromLatin1(MonthNames[size_t(value)]);
    if (form == 1)
        return name;
    if (form == 2)
        return name.left(3);
    return {};
}

QString FormatYear(const QString &y, int code)
{
    if (!isDigitString(y))
        return {};
    if (code >= 1 && code <= 4)
        return code == 1 ? y : y.right(5 - code);
    if (code < 5 || code > 12 || y.size() > 4)
        return {};
    const DigitTable table = code <= 8 ? DigitTable::Capital : DigitTable::Lower;
    const QString chinese = DigitsToChinese(y, table);
    const int first = code <= 8 ? 5 : 9;
    return code == first ? chinese : chinese.right(first + 4 - code);
}

QString FormatMonth(const QString &m, int code)
{
    const int value = smallValue(m);
    if (value < 0 || value > 12)
        return {};
    if (code == 7)
        return MonthToEnglish(m, 1);
    if (code == 8)
        return MonthToEnglish(m, 2);
    return formatMonthOrDay(m, value, code);
}

QString FormatDay(const QString &d, int code)
{
    const int value = smallValue(d);
    if (value < 0 || value > 31)
        return {};
    return formatMonthOrDay(d, value, code);
}

QString FormatDate(const DateStyle &style, const QString &digits)
{
    switch (style.order) {
    case 1: return FormatYear(digits, style.yearCode);
    case 2: return FormatMonth(digits, style.monthCode);
    case 3: return FormatDay(digits, style.dayCode);
    default: break;
    }
    if (style.order < 4 || style.order > 6)
        return {};
    const QString year = FormatYear(digits.left(4), style.yearCode)
                         + DateSeparator(style.yearSeparator);
    const QString month = FormatMonth(digits.mid(4, 2), style.monthCode)
                          + DateSeparator(style.monthSeparator);
    const QString day = FormatDay(digits.right(2), style.dayCode)
                        + DateSeparator(style.daySeparator);
    if (style.order == 4)
        return year + month + day;
    if (style.order == 5)
        return day + month + year;
    return month + day + year;
}

std::optional<QString> FormatDate(const QString &styleCode, const QString &digits)
{
    if (!isDigitString(digits))
        return std::nullopt;
    return FormatDate(parseDateStyle(styleCode), digits);
}

bool isRealDate(const DateStyle &style, const QString &digits)
{
    if (!isDigitString(digits))
        return false;
    switch (style.order) {
    case 1: return true;
    case 2: return digits.toInt() >= 1 && digits.toInt() <= 12;
    case 3: return digits.toInt() >= 1 && digits.toInt() <= 31;
    case 4:
    case 5:
    case 6:
        return digits.size() == 8
               && QDate(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.right(2).toInt()).isValid();
    default: return true;
    }
}

} // namespace dateformat
