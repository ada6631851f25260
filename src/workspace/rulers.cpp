#include "workspace/rulers.h"

#include "core/units.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPaintEvent>

namespace rulers {

QString tickLabel(int k)
{
    if (k % 2 != 0)
        return QString();
    return QStringLiteral(" %1").arg(k / 2);
}

QList<Tick> ticks(long long start, long long length, double zoom)
{
    QList<Tick> out;
    if (length < 0 || zoom <= 0)
        return out;
    const long long limit = 10 * length;
    int k = 0;
    for (long long d = 0; d * zoom <= double(limit); d += TickStepTenths, ++k) {
        Tick t;
        t.k = k;
        t.pos = int(units::roundHalfEven(d * zoom / 10.0 + double(start)));
        t.length = (k % 2 == 0) ? LongTick : ShortTick;
        t.label = tickLabel(k);
        out.append(t);
    }
    return out;
}

namespace {

int px(long long twips, double scale) { return units::twipsToPixels(twips, scale); }

// Text printed with its top-left corner at (x, y) pixels.
void printAt(QPainter &painter, int x, int y, const QString &text)
{
    if (text.isEmpty())
        return;
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

} // namespace

void paintHorizontal(QPainter &painter, const QList<Tick> &list, double scale)
{
    const int bottom = px(Thickness, scale);
    for (const Tick &t : list) {
        const int x = px(t.pos, scale);
        printAt(painter, x, 0, t.label);
        painter.drawLine(x, px(Thickness - t.length, scale), x, bottom);
    }
}

void paintVertical(QPainter &painter, const QList<Tick> &list, int rL, double scale)
{
    const int right = px((long long)rL + Thickness, scale);
    for (const Tick &t : list) {
        const int y = px(t.pos, scale);
        printAt(painter, px((long long)rL - LabelInset, scale), y, t.label);
        painter.drawLine(px((long long)rL + Thickness - t.length, scale), y, right, y);
    }
}

} // namespace rulers

// ---------------------------------------------------------------- RulerBox

RulerBox::RulerBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPixelSize(10);
    setFont(f);
    clear();
}

void RulerBox::clear()
{
    // Sized here as well as on resize: a hidden widget gets its resize
    // event only when shown, and the rulers are drawn before that.
    if (m_image.size() != size())
        m_image = QPixmap(qMax(1, width()), qMax(1, height()));
    m_image.fill(backColor());
    update();
}

void RulerBox::setBackColor(const QColor &colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Button, colour);
    setPalette(pal);
    clear();
}

QColor RulerBox::backColor() const { return palette().color(QPalette::Button); }

QColor RulerBox::foreColor() const { return palette().color(QPalette::WindowText); }

void RulerBox::setScale(double scale)
{
    if (scale > 0)
        m_scale = scale;
}

QSize RulerBox::sizeHint() const
{
    const int t = units::twipsToPixels(rulers::Thickness, m_scale);
    return QSize(t, t);
}

void RulerBox::resizeEvent(QResizeEvent *)
{
    // Grow the kept drawing with the widget; what was drawn stays.
    if (width() <= m_image.width() && height() <= m_image.height())
        return;
    QPixmap grown(qMax(width(), m_image.width()), qMax(height(), m_image.height()));
    grown.fill(backColor());
    QPainter painter(&grown);
    painter.drawPixmap(0, 0, m_image);
    painter.end();
    m_image = grown;
}

void RulerBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawPixmap(event->rect(), m_image, event->rect());
}

// ----------------------------------------------------------- PropertiesCls

namespace {

void beginRuler(RulerBox &box, QPainter &painter)
{
    box.clear();
    painter.begin(&box.image());
    painter.setPen(QPen(box.foreColor(), 0));
    painter.setFont(box.font());
}

} // namespace

int PropertiesCls::RulerPicT(RulerBox &rPic, int rL, int rW, double zoom)
{
    QPainter painter;
    beginRuler(rPic, painter);
    rulers::paintHorizontal(painter, rulers::horizontalTicks(rL, rW, zoom), rPic.scale());
    painter.end();
    rPic.update();
    return 0;
}

int PropertiesCls::RulerPicL(RulerBox &rPic, int rL, int rH, int rM, double zoom)
{
    QPainter painter;
    beginRuler(rPic, painter);
    rulers::paintVertical(painter, rulers::verticalTicks(rH, rM, zoom), rL, rPic.scale());
    painter.end();
    rPic.update();
    return 0;
}

int PropertiesCls::RulerFrm(RulerBox &rFrm, int rL, int rT, int innerHeight, double zoom)
{
    return RulerPicL(rFrm, rL, innerHeight, rT, zoom);
}
