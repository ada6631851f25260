#include "core/moneylayout.h"
#include "core/units.h"
#include <algorithm>

namespace moneylayout {

const QStringList &UnitNames()
{
    static const QStringList names = {
        QStringLiteral("分"),   QStringLiteral("角"),   QStringLiteral("元"),
        QStringLiteral("十"),   QStringLiteral("百"),   QStringLiteral("千"),
        QStringLiteral("万"),   QStringLiteral("十万"), QStringLiteral("百万"),
        QStringLiteral("千万"), QStringLiteral("亿"),   QStringLiteral("十亿"),
        QStringLiteral("百亿"), QStringLiteral("千亿"), QStringLiteral("兆"),
        QStringLiteral("十兆"), QStringLiteral("百兆"), QStringLiteral("千兆")};
    return names;
}

QString unitOfColumn(int index, int count)
{
    return UnitNames().value(count - 1 - index);
}

int columnOfUnit(const QString &unit, int count)
{
    const int position = int(UnitNames().indexOf(unit));
    if (position < 0 || position >= count)
        return -1;
    return count - 1 - position;
}

Spacing evenSpacing(int count, double fieldWidth, int columnWidth, int separatorWidth)
{
    Spacing s;
    if (count < 1)
        return s;
    // The gap is kept in single precision, as the stored layouts were made.
    const float gap = count >= 2
        ? float((fieldWidth - double(columnWidth) * count) / (count - 1))
        : 0.0f;
    for (int i = 0; i < count; ++i)
        s.columnX.append(int(units::roundHalfEven((double(gap) + columnWidth) * i)));
    if (count == 1) {
        s.separatorX.append(0);
        return s;
    }
    for (int i = 0; i < count; ++i)
        s.separatorX.append(int(units::roundHalfEven(
            s.columnX.at(i) + columnWidth + (double(gap) - separatorWidth) / 2.0)));
    return s;
}

int centredSeparator(double left, double nextLeft, int columnWidth, int separatorWidth)
{
    return int(units::roundHalfEven(
        left + columnWidth + (nextLeft - left - columnWidth - separatorWidth) / 2.0));
}

QList<int> separatorsBetween(const QList<int> &columnX, int columnWidth, int separatorWidth)
{
    QList<int> out;
    for (qsizetype i = 0; i + 1 < columnX.size(); ++i)
        out.append(centredSeparator(columnX.at(i), columnX.at(i + 1), columnWidth, separatorWidth));
    return out;
}

int clampDrag(int wanted, int index, const QList<int> &lefts, int columnWidth,
              double fieldWidth)
{
    const int last = int(lefts.size()) - 1;
    if (index < 0 || index > last)
        return wanted;
    double low = 0;
    double high = 0;
    if (index == 0) {
        const double next = last >= 1 ? lefts.at(1) : fieldWidth;
        low = 0;
        high = next - columnWidth;
    } else if (index == last) {
        low = lefts.at(index - 1) + columnWidth;
        high = fieldWidth - columnWidth;
    } else {
        low = lefts.at(index - 1) + columnWidth;
        high = lefts.at(index + 1) - columnWidth;
    }
    double l = wanted;
    l = std::max(l, low);
    l = std::min(l, high);
    return int(units::roundHalfEven(l));
}

} // namespace moneylayout
