#pragma once
// The one reader of template property values. Values are stored as text:
// positions and sizes must be whole numbers ("12758mm" is refused), the
// other numbers are read as the number the text starts with ("12pt" is 12,
// "1e1" is 10, "abc" is 0), colours as 32-bit colour values and switches as
// "是" for yes.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace propvalue {

// A position or size: the trimmed text must be a number; rounded to whole
// twips, halves to even. nullopt for anything else, empty text included,
// and for numbers outside the 32-bit range.
std::optional<int> strictWhole(const QString &text);

// The number the text starts with (blanks skipped), 0 when there is none:
// "12pt" gives 12, "abc" 0, "-3.5e1x" -35, "1e1" 10.
double leadingNumber(const QString &text);

// The leading number rounded to a whole number (halves to even), clamped
// to the 32-bit range.
int whole(const QString &text);

// A colour: the leading number as a 32-bit colour value, negative values
// naming system colours as their unsigned bit pattern; 0 when out of range.
quint32 colour(const QString &text);

// A yes/no switch: exactly "是" is yes.
bool isYes(const QString &text);

} // namespace propvalue
