#pragma once
// Amounts in words: Chinese financial upper-case numerals and English
// cheque words. Plain string functions over constant word tables, shared by
// the money field, the filling-in rules and the command line.
#include <QString>
#include <QStringView>
#include <array>

namespace words {

// Why a conversion gave no words.
enum class WordsStatus {
    Ok,            // text holds the words (possibly empty, e.g. for a zero amount)
    NotNumeric,    // empty or not a plain decimal amount; text is empty
    TooManyDigits, // integer part too long for the word tables
    BadPlaces,     // decimal places outside 0..3 (Chinese only); text is empty
};

struct WordsResult {
    QString text;
    WordsStatus status = WordsStatus::Ok;
    QString message; // readable reason when status is not Ok

    bool ok() const { return status == WordsStatus::Ok; }
};

// Digit words, indexed by digit value 0..9.
inline constexpr std::array<QStringView, 10> ChineseDigits = {
    u"零", u"壹", u"贰", u"叁", u"肆", u"伍", u"陆", u"柒", u"捌", u"玖"};

// Unit of an integer digit by its position counted from the units digit
// (1) leftwards; index 0 is unused. Sixteen positions: at most 16 digits.
inline constexpr std::array<QStringView, 17> ChineseIntUnits = {
    u"", u"圆", u"拾", u"佰", u"仟", u"万", u"拾", u"佰", u"仟",
    u"亿", u"拾", u"佰", u"仟", u"兆", u"拾", u"佰", u"仟"};

// Unit of a fraction digit by its position after the point (1..3); index 0
// is unused.
inline constexpr std::array<QStringView, 4> ChineseDecUnits = {u"", u"角", u"分", u"厘"};

// 0 "Zero", 1..19, then the tens words 20..27 (tens digit d at 18 + d) and
// 28 "Hundred".
inline constexpr std::array<QStringView, 29> EnglishWords = {
    u"Zero",     u"One",       u"Two",      u"Three",    u"Four",     u"Five",
    u"Six",      u"Seven",     u"Eight",    u"Nine",     u"Ten",      u"Eleven",
    u"Twelve",   u"Thirteen",  u"Fourteen", u"Fifteen",  u"Sixteen",  u"Seventeen",
    u"Eighteen", u"Nineteen",  u"Twenty",   u"Thirty",   u"Forty",    u"Fifty",
    u"Sixty",    u"Seventy",   u"Eighty",   u"Ninety",   u"Hundred"};

// Name of a three-digit group counted from the right (1 holds units, tens
// and hundreds); index 0 is unused. Seven groups: at most 21 digits.
inline constexpr std::array<QStringView, 8> EnglishGroupNames = {
    u"",        u"Dollars",     u"Thousand",   u"Million",
    u"Billion", u"Trillion",    u"Quadrillion", u"Quintillion"};

inline constexpr int MaxChineseIntegerDigits = 16;
inline constexpr int MaxEnglishIntegerDigits = 21;
inline constexpr int MaxChinesePlaces = 3;

// The text given in place of English words for more than 21 integer digits.
inline constexpr QStringView EnglishOverflowText = u"Overflow 21";

// True for a plain decimal amount: digits with at most one point and at
// least one digit ("12", "12.5", ".5", "5."). Surrounding blanks are allowed.
bool IsAmountNumeric(QStringView amount);

// Chinese financial numerals for an amount written with a point (1234.56)
// or as a plain run of digits whose last `places` digits are the fraction
// (123456 with 2 places is 1234.56). `places` may be 0..3.
WordsResult MoneyToChinese(QStringView amount, int places);

// English words for an amount in dollars, with or without a point, ending
// in " Only". More than 21 integer digits give "Overflow 21" as text with
// status TooManyDigits.
WordsResult MoneyToEnglish(QStringView amount);

// English words for a whole number 0..999; 0 (or anything outside the
// range) gives the empty string. 30 gives "Thirty " with a trailing space.
QString GroupToEnglish(int value);

} // namespace words
