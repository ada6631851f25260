#pragma once
// Print items: the printable content of a filled bill, one record per piece
// of text, in whole twips from the bill's top-left corner. Item 0 describes
// the bill itself (left = width, top = height, text = name).
//
// They are built from the bill document alone: what the fields hold and
// where the template places them.
#include "core/fieldregistry.h"
#include <QList>
#include <QString>
#include <QStringList>

class BillDocument;

struct PrintItem {
    qint32 left = 0;
    qint32 top = 0;
    qint32 colour = 0; // colour value, red in the low byte
    qint16 size = 0;   // font size in points
    QString text;

    friend bool operator==(const PrintItem &, const PrintItem &) = default;
};
using PrintItems = QList<PrintItem>;

// Unit names of a money field's columns, index 0 the fen column.
const QStringList &moneyUnitNames();

// The amount digits of a money field with leading zeros removed ("0" for an
// empty field); a decimal number keeps its value (trailing zeros of the
// fraction dropped). Pure text arithmetic: no digits are lost to rounding.
QString normaliseAmount(const QString &digits);
// True when the normalised amount is above zero.
bool amountAboveZero(const QString &normalised);

// Builds the items of a filled bill in slot order. Nothing when no template
// is open; item 0 always comes first otherwise.
PrintItems BuildPrintItems(const BillDocument &document);
