#pragma once
// Texts as a bill holds them: numbers written in a text field, and lengths
// counted in characters as people see them (an emoji or a letter with its
// accents is one character, never cut in half).
#include <QString>
#include <QStringList>

namespace textvalue {

// A number as written in a field: optional blanks around, an optional sign,
// digits with at most one decimal point, an optional exponent.
bool isNumeric(const QString &text);

// factor1 x factor2 x the text's value as a number when all three are
// numbers (fifteen significant digits); otherwise the text unchanged.
QString sumValue(const QString &text, const QString &factor1, const QString &factor2);

// The text split into the characters people see (grapheme clusters).
QStringList graphemes(const QString &text);
// Number of such characters.
int length(const QString &text);
// At most `count` such characters from the start (count < 0: none).
QString left(const QString &text, int count);
// At most `count` such characters from character `from` on.
QString mid(const QString &text, int from, int count);

} // namespace textvalue
