#include "workspace/billsurface.h"

#include "core/units.h"
#include "fields/fieldwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>

BillSurface::BillSurface(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PictureCtlD"));
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setBackColor(InitialColor);
}

QColor BillSurface::toColor(quint32 value)
{
    return fields::oleColor(value);
}

void BillSurface::setBackColor(quint32 value)
{
    m_backColor = value;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toColor(value));
    setPalette(pal);
}

QPoint BillSurface::toTwips(const QPointF &p) const
{
    return {int(units::pixelsToTwips(qRound(p.x()), m_scale)),
            int(units::pixelsToTwips(qRound(p.y()), m_scale))};
}

void BillSurface::mousePressEvent(QMouseEvent *event)
{
    const QPoint t = toTwips(event->position());
    emit MouseDown(fields::buttonCode(event->button()), fields::shiftCode(event->modifiers()), t.x(),
                   t.y());
}

void BillSurface::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint t = toTwips(event->position());
    emit pointerMoved(t.x(), t.y());
    emit MouseMove(fields::buttonCode(event->buttons()), fields::shiftCode(event->modifiers()),
                   t.x(), t.y());
}

void BillSurface::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint t = toTwips(event->position());
    emit MouseUp(fields::buttonCode(event->button()), fields::shiftCode(event->modifiers()), t.x(),
                 t.y());
}

void BillSurface::keyPressEvent(QKeyEvent *event)
{
    emit KeyDown(fields::keyCode(event), fields::shiftCode(event->modifiers()));
}
