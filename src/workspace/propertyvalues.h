#pragma once
// What the property panel offers and accepts, without widgets: the lists a
// property is chosen from (date styles with an example, amount display
// codes, money units, linked fields by name), millimetre texts, the names of
// properties added to a field, and the checks that refuse a value with a
// message in Chinese.
#include "core/fieldregistry.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace propertyvalues {

// One entry of a list: what the designer reads, and what is stored.
struct Choice {
    QString text;
    QString value;
    bool operator==(const Choice &) const = default;
};

// Date style codes offered for a date field, each shown with today's date
// in that style ("2026年03月07日") and its code.
QList<Choice> dateStyles(const QDate &today);
// The example of one style code for `today`: what a date field shows.
QString dateExample(const QString &code, const QDate &today);

// Amount display codes of a text field: none, fen, yuan, Chinese, English.
QList<Choice> displayCodes();

// The money units from 分 to 千兆, after a first blank entry named `blank`.
QList<Choice> moneyUnits(const QString &blank);

// The fields a link may name: every field of the given kinds but the one at
// `self`, by name, after an entry "（无）" for no link. Names that occur
// twice get their place in the list ("金额（第 15 栏）").
QList<Choice> linkTargets(const FieldRegistry &registry, int self, const QList<int> &kinds);

// Millimetres with one decimal ("29.9") for whole twips, through units.h.
QString millimetres(int twips);
// A length typed in millimetres ("29.9", "30", "29,9", "29.9mm") as whole
// twips; nullopt when it is not a number.
std::optional<int> parseMillimetres(const QString &text);

// The field's rectangle after setting property key (1 to 4) to `twips`, or
// a message why that is refused: no side below 2 mm, nothing off the bill
// (for the bill itself: at least 2 mm, at most the largest template).
struct GeometryCheck {
    QRect rect;
    QString refusal; // empty when accepted
};
// For the bill, `billLeast` is the smallest width and height it may take
// (its fields must stay on it); empty for 2 mm.
GeometryCheck checkGeometry(const QRect &field, int key, int twips, const QSize &bill, bool isBill,
                            const QSize &billLeast = {});

// A whole number between `least` and `most` for property `what`; the
// refusal names them.
std::optional<int> parseWhole(const QString &text);
QString wholeRefusal(const QString &what, int least, int most);

// Colour values as stored: red in the low byte.
quint32 colourValue(const QColor &colour);

// The name an entry gets when the panel adds property `key` to a field of
// `kind` that lacks it (the names of the default property groups).
QString propertyName(int kind, int key);

} // namespace propertyvalues
