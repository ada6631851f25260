#pragma once
// Print items: the printable content of a filled bill, one record per piece
// of text, in whole twips from the bill's top-left corner. Item 0 describes
// the bill itself (left = width, top = height, text = name).
//
// Building them has two layers: BuildPrintItems works on the registry and a
// plain description of what each field shows (testable without widgets);
// ReadCtlData (printread.h) gathers those values from the field controls.
#include "core/fieldregistry.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

struct PrintItem {
    qint32 left = 0;
    qint32 top = 0;
    qint32 colour = 0; // colour value, red in the low byte
    qint16 size = 0;   // font size in points
    QString text;

    friend bool operator==(const PrintItem &, const PrintItem &) = default;
};
using PrintItems = QList<PrintItem>;

// What a field shows at the moment of printing, as its control reports it.
struct FieldShown {
    QString check;       // check field: "√" when ticked, else empty
    QString date;        // date field: the text in the box
    QString textAll;     // text field: the whole text
    QStringList lines;   // text field: the lines as displayed
    QString moneyDigits; // money field: one digit per column, blanks as "0"
    QList<int> columnX;  // money field: its columns' left edges, leftmost first
};

// Reads what the field of a registry record shows (kinds 5 to 8).
using ShownReader = std::function<FieldShown(const FieldRecord &)>;

// Unit names of a money field's columns, index 0 the fen column.
const QStringList &moneyUnitNames();

// The amount digits of a money field with leading zeros removed ("0" for an
// empty field); a decimal number keeps its value (trailing zeros of the
// fraction dropped). Pure text arithmetic: no digits are lost to rounding.
QString normaliseAmount(const QString &digits);
// True when the normalised amount is above zero.
bool amountAboveZero(const QString &normalised);

// Builds the items from the registry in slot order. Nothing when the registry
// is empty; item 0 always comes first otherwise.
PrintItems BuildPrintItems(const FieldRegistry &registry, const ShownReader &shown);

// The fields whose key 31 is "是" (to be emptied after a print), in slot order.
QList<int> SlotsToEmptyAfterPrint(const FieldRegistry &registry);
