#pragma once
// Entering a value into a bill's field as a clerk would type it, for the
// command line and batch printing: a text as a whole, a date typed digit by
// digit (so the field formats itself as it would on screen), an amount such
// as 1234.56 into the money columns (yuan in 元, fen in 分) or as written into
// a single box, a check ticked or cleared by a yes/no word.
#include "core/result.h"

#include <QDate>
#include <QString>
#include <optional>

class BillDocument;

namespace entry {

// Status codes of a refused entry.
enum Code {
    UsageError = 2,  // the key names no field that takes input, or the value is not one
    CannotPrint = 4, // the value is one, but the field cannot hold it (too many digits)
};

// A check's value: √, 1, 是, yes, true (any case) tick; "", 0, 否, no, false
// clear; nullopt for anything else.
std::optional<bool> checkWord(const QString &value);

// Enters `value` into the field with this eight-digit key.
Status enter(BillDocument &doc, const QString &key, const QString &value);

// Types `date` into every empty date field a clerk types into (not the
// copies of another one), as the digits its style reads: YYYYMMDD, or the
// year, month or day alone; the fields format themselves.
void fillDate(BillDocument &doc, const QDate &date);

} // namespace entry
