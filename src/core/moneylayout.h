#pragma once
// Column arithmetic of the money field, in twips, without widgets: even
// spacing, separators centred between explicit positions, and the clamps of
// a column dragged sideways.
#include <QList>
#include <QString>
#include <QStringList>

namespace moneylayout {

// Unit names by position from the right: "分" is the rightmost column.
const QStringList &UnitNames();

// Most columns a money field can have (one per unit name).
inline constexpr int MaxColumns = 18;

// The unit name carried by column `index` (0 = leftmost) of `count` columns.
QString unitOfColumn(int index, int count);

// Index of the column carrying `unit` in a field of `count` columns, or -1.
int columnOfUnit(const QString &unit, int count);

struct Spacing {
    QList<int> columnX;    // left edge of each column
    QList<int> separatorX; // left edge of each separator
};

// Columns spread evenly over the field: the first at 0, the last flush
// right; each separator centred in the gap to its right. Positions are
// rounded with halves to even.
Spacing evenSpacing(int count, double fieldWidth, int columnWidth, int separatorWidth);

// Left edge of a separator centred in the gap between a column at
// `left` and the next column at `nextLeft`.
int centredSeparator(double left, double nextLeft, int columnWidth, int separatorWidth);

// Separators 0..count-2 centred between the given column positions.
QList<int> separatorsBetween(const QList<int> &columnX, int columnWidth, int separatorWidth);

// Where column `index` lands when dragged to `wanted`, given the current
// left edges of all columns: it may not overlap its neighbours, nor leave
// the field. When the bounds cross, the upper bound wins.
int clampDrag(int wanted, int index, const QList<int> &lefts, int columnWidth,
              double fieldWidth);

} // namespace moneylayout
