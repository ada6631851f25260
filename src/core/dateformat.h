#pragma once
// Date formatting for date fields: the typed digits turned into the shape a
// bill's 14-character style code asks for. Plain code, no widgets, so that
// the command line and the tests drive it directly.
#include <QString>
#include <array>
#include <optional>

namespace dateformat {

// Digit tables, index 0 to 9 the digits, index 10 the word for ten.
inline constexpr std::array<char16_t, 11> CapitalDigits{
    u'零', u'壹', u'贰', u'叁', u'肆', u'伍', u'陆', u'柒', u'捌', u'玖', u'拾'};
inline constexpr std::array<char16_t, 11> LowerDigits{
    u'○', u'一', u'二', u'三', u'四', u'五', u'六', u'七', u'八', u'九', u'十'};

// Index 1 to 12; index 0 is unused.
inline constexpr std::array<const char *, 13> MonthNames{
    "",     "January", "February",  "March",   "April",    "May",     "June",
    "July", "August",  "September", "October", "November", "December"};

// Separator codes 0 to 7: space, dash, slash, comma, point, 年, 月, 日.
inline constexpr std::array<char16_t, 8> DateSeparators{
    u' ', u'-', u'/', u',', u'.', u'年', u'月', u'日'};

enum class DigitTable { Capital, Lower };

// Full forms (codes 3 and 5) keep a leading zero for 1 to 9 and, in
// capitals, the cheque forms 零壹拾, 零贰拾, 零叁拾 and 壹拾 before 11 to 19;
// short forms (codes 4 and 6) drop the leading 零/○ and the 壹/一 before 拾/十.
enum class ChineseForm { Full, Short };

// The style code read as seven two-digit numbers. A pair that is missing or
// not two digits reads as -1, an unknown code.
struct DateStyle
{
    int order = -1;           // 1 year, 2 month, 3 day, 4 Y-M-D, 5 D-M-Y, 6 M-D-Y
    int yearCode = -1;
    int yearSeparator = -1;
    int monthCode = -1;
    int monthSeparator = -1;
    int dayCode = -1;
    int daySeparator = -1;
};

DateStyle parseDateStyle(const QString &code);

// True for a non-empty string of the digits 0 to 9 only.
bool isDigitString(const QString &s);

// The text of a separator code; any code outside 0 to 7 gives "".
QString DateSeparator(int code);

// Each digit replaced by its entry in the table; non-digits are dropped.
QString DigitsToChinese(const QString &digits, DigitTable table);

// Chinese forms of a month (0 to 12) or day (0 to 31) value; "" out of range.
QString MonthToChinese(int value, DigitTable table, ChineseForm form);
QString DayToChinese(int value, DigitTable table, ChineseForm form);

// Form 1 the whole English name of month m, form 2 its first three letters;
// "" when m is not a month number or the form is unknown.
QString MonthToEnglish(const QString &m, int form);

QString FormatYear(const QString &y, int code);
QString FormatMonth(const QString &m, int code);
QString FormatDay(const QString &d, int code);

// The whole date as a date field shows it. Empty for an unknown order;
// std::nullopt when the digits are not a digit string (the field then stays
// unchanged).
std::optional<QString> FormatDate(const QString &styleCode, const QString &digits);
QString FormatDate(const DateStyle &style, const QString &digits);

// True when the digits name a date that exists, as the style reads them:
// year-month-day orders need eight digits of a real calendar day (20260230
// is no date); a month alone is 1 to 12, a day alone 1 to 31; a year alone
// is any. False for digits that are not a digit string.
bool isRealDate(const DateStyle &style, const QString &digits);

} // namespace dateformat
