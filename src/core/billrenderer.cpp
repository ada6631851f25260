#include "core/billrenderer.h"
#include "core/units.h"
#include <QFontMetricsF>
#include <QHash>
#include <QHash>
#include <QPainter>

namespace BillRenderer {

namespace {
constexpr int TwipsPerPoint = 20;
}

QString fontFamily()
{
    return QStringLiteral("WenQuanYi Micro Hei");
}

QFont printFont(int sizePoints)
{
    QFont f(fontFamily());
    f.setPixelSize(qMax(1, sizePoints) * TwipsPerPoint);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

namespace {

// The metrics of the printing font per size, made once: bills are printed
// by the thousand in the same few sizes.
const QFontMetricsF &metrics(int sizePoints)
{
    static QHash<int, QFontMetricsF *> cache;
    auto it = cache.constFind(sizePoints);
    if (it == cache.cend())
        it = cache.insert(sizePoints, new QFontMetricsF(printFont(sizePoints)));
    return **it;
}

} // namespace

double textWidth(const QString &text, int sizePoints)
{
    return metrics(sizePoints).horizontalAdvance(text);
}

double lineHeight(int sizePoints)
{
    // The height of a line of text: ascent plus descent, without the
    // font's extra gap between lines.
    return metrics(sizePoints).height();
}

QColor colourFromValue(qint32 value)
{
    if (value < 0 || value > 0xFFFFFF)
        return Qt::black;
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QTransform twipsTransform(double dpiX, double dpiY)
{
    return QTransform::fromScale(units::twipsToDots(1, dpiX), units::twipsToDots(1, dpiY));
}

void paint(QPainter &painter, const PrintItems &items, bool grayscale)
{
    painter.save();
    // A bill uses few sizes: each font and its ascent is made once a page.
    QHash<int, std::pair<QFont, double>> fonts;
    for (qsizetype i = 1; i < items.size(); ++i) {
        const PrintItem &item = items.at(i);
        if (item.text.isEmpty() || item.size < 1)
            continue;
        auto font = fonts.find(item.size);
        if (font == fonts.end()) {
            const QFont f = printFont(item.size);
            font = fonts.insert(item.size, {f, QFontMetricsF(f).ascent()});
        }
        painter.setFont(font->first);
        QColor colour = colourFromValue(item.colour);
        if (grayscale) {
            const int g = qGray(colour.rgb());
            colour = QColor(g, g, g);
        }
        painter.setPen(colour);
        painter.drawText(QPointF(item.left, item.top + font->second), item.text);
    }
    painter.restore();
}

} // namespace BillRenderer
