#include "workspace/surfacesketch.h"

#include "core/units.h"

#include <QEvent>
#include <QPainter>

SurfaceSketch::SurfaceSketch(QWidget *surface) : QWidget(surface)
{
    setObjectName(QStringLiteral("SurfaceSketch"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(surface->rect());
    surface->installEventFilter(this);
    lower();
    show();
}

void SurfaceSketch::clear()
{
    if (!m_guide && !m_box)
        return;
    m_guide.reset();
    m_box.reset();
    update();
}

void SurfaceSketch::setGuides(int x, int y, int w, int h)
{
    m_guide = QPoint(x, y);
    m_bill = QSize(w, h);
    update();
}

void SurfaceSketch::setBox(const QPoint &a, const QPoint &b)
{
    m_box = QRect(a, b).normalized();
    update();
}

int SurfaceSketch::px(int twips) const
{
    return units::twipsToPixels(twips, m_scale);
}

bool SurfaceSketch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        lower();
    }
    return QWidget::eventFilter(watched, event);
}

void SurfaceSketch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_box) {
        // The surface's fore colour (black), dotted.
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(px(m_box->left()), px(m_box->top())),
                         QPoint(px(m_box->right()), px(m_box->bottom()))));
    }
    if (m_guide) {
        p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
        const int x = px(m_guide->x());
        const int y = px(m_guide->y());
        p.drawLine(x, 0, x, px(m_bill.height()));
        p.drawLine(0, y, px(m_bill.width()), y);
    }
}
