#pragma once
// What a money field holds and how it is read. The field holds one text per
// digit column, leftmost first; a single box (no highest unit) holds the
// whole amount as typed, point included. Both are read as yuan: the columns'
// last two digits are jiao and fen, a single box's number is yuan.
#include "core/exactamount.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace money {

// The amount as digits: each column's text, "0" for a blank column or one
// that holds no number ("00000123456" for 1234.56 in eleven columns); a
// single box's text as typed.
QString number(const QStringList &columns);

// The amount in yuan; nullopt when the field holds something that is not an
// amount (a single box with letters, more than two decimals). An empty field
// is zero.
std::optional<exact::Amount> yuan(const QStringList &columns, bool singleBox);

// The amount in fen as digits without leading zeros ("0" for none).
QString fenDigits(const exact::Amount &yuan);

// The amount in Chinese financial numerals / English cheque words; empty for
// a zero amount. `error` receives why there are no words when the amount is
// too long for them.
QString chinese(const QStringList &columns, bool singleBox, QString *error = nullptr);
QString english(const QStringList &columns, bool singleBox);

// An amount as a clerk writes it: "1234.56", "1,234.56", "¥1234.56",
// "１２３４.５６", blanks around. nullopt for anything else or more than
// two decimals. The empty text is nullopt too.
std::optional<exact::Amount> parseTyped(const QString &text);

// The columns of a field of `count` columns holding `yuan` right-aligned
// (yuan in 元, fen in 分), the columns left of the amount empty. nullopt when
// the amount has more digits than the field has columns.
std::optional<QStringList> columnsFor(const exact::Amount &yuan, int count);

// The text of a single box holding `yuan`: "1234.56", "100", "0.5".
QString singleBoxText(const exact::Amount &yuan);

// A digit as typed: "0".."9", full-width "０".."９"; the ASCII digit or a
// null QChar.
QChar typedDigit(QChar c);

} // namespace money
