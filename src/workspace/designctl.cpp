#include "workspace/designctl.h"

#include "core/units.h"
#include "fields/fieldwidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

using fields::buttonCode;
using fields::shiftCode;

const QColor HandleColour(0, 0, 0xC0);   // dark blue
const QColor FrameColour(0, 0, 0);       // black: the outline

} // namespace

DesignCtl::DesignCtl(QWidget *parent)
    : QWidget(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, FrameColour);
    setPalette(pal);
    setAutoFillBackground(false);
    m_twips = QRect(int(units::pixelsToTwips(x(), m_scale)), int(units::pixelsToTwips(y(), m_scale)),
                    int(units::pixelsToTwips(width(), m_scale)),
                    int(units::pixelsToTwips(height(), m_scale)));
    m_frameSize = m_twips.size();
    CreateHandles();
    PlaceHandles();
    ShowHandles(true);
}

DesignCtl::~DesignCtl()
{
    FreeRegions();
}

void DesignCtl::setUserState(int usV)
{
    m_frameState = usV;
    if (m_frameState != 0) {
        // The hidden handles stay where a drag begun on them measures from:
        // at the frame's size (and scale) now.
        PlaceHandles();
        ShowHandles(false);
        FreeRegions();
        BuildOutline();
    } else {
        PlaceHandles();
        ShowHandles(true);
    }
}

void DesignCtl::setTwipsRect(int left, int top, int width, int height)
{
    m_twips = QRect(left, top, qMax(0, width), qMax(0, height));
    setGeometry(twipsToPixels(m_twips));
    // A change of a few twips may leave the pixel size as it was; the
    // frame's size in twips must still follow.
    if (m_frameSize != m_twips.size())
        frameResized();
}

void DesignCtl::moveTwips(int left, int top)
{
    m_twips.moveTo(left, top);
    move(units::twipsToPixels(left, m_scale), units::twipsToPixels(top, m_scale));
}

void DesignCtl::coverField(const QRect &field)
{
    setTwipsRect(field.x(), field.y(), field.width() + HandleSize, field.height() + HandleSize);
}

void DesignCtl::setScale(double scale)
{
    if (scale <= 0 || scale == m_scale)
        return;
    m_scale = scale;
    setGeometry(twipsToPixels(m_twips));
    frameResized();
}

QRect DesignCtl::handleTwipsRect(Handle which, int w, int h)
{
    // The centred positions are halves of whole twips; they are brought to
    // whole twips (halves to even) like every stored position.
    const int centreLeft = int(units::roundHalfEven((w - HandleSize) / 2.0));
    const int centreTop = int(units::roundHalfEven((h - HandleSize) / 2.0));
    switch (which) {
    case Handle::Bottom:
        return QRect(centreLeft, h - HandleSize, HandleSize, HandleSize);
    case Handle::Corner:
        return QRect(w - HandleSize, h - HandleSize, HandleSize, HandleSize);
    case Handle::Right:
        return QRect(w - HandleSize, centreTop, HandleSize, HandleSize);
    }
    return {};
}

QLabel *DesignCtl::createHandle(const char *name, Qt::CursorShape cursor)
{
    auto *label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, HandleColour);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    label->setCursor(cursor);
    label->setMouseTracking(true);
    label->installEventFilter(this);
    return label;
}

void DesignCtl::CreateHandles()
{
    m_bottom = createHandle("LabelB", Qt::SizeVerCursor);
    m_move = createHandle("LabelR", Qt::SizeFDiagCursor);
    m_right = createHandle("LabelM", Qt::SizeHorCursor);
}

void DesignCtl::PlaceHandles()
{
    const int w = m_frameSize.width();
    const int h = m_frameSize.height();
    m_bottom->setGeometry(twipsToPixels(handleTwipsRect(Handle::Bottom, w, h)));
    m_move->setGeometry(twipsToPixels(handleTwipsRect(Handle::Corner, w, h)));
    m_right->setGeometry(twipsToPixels(handleTwipsRect(Handle::Right, w, h)));
    if (!m_opaque)
        applyMask(handlesRegion());
}

void DesignCtl::ShowHandles(bool visible)
{
    // The workspace switches to the outline look from inside a handle's
    // press, and the drag goes on through that handle's moves and release.
    // A hidden widget loses the mouse, so the handles stay in place and are
    // only made see-through: no fill, no mouse, and the outline mask cuts
    // their area away.
    for (QLabel *handle : {m_bottom, m_move, m_right}) {
        handle->setAutoFillBackground(visible);
        handle->setAttribute(Qt::WA_TransparentForMouseEvents, !visible);
        handle->update();
    }
    // Transparent background with the handles, opaque (black) without.
    m_opaque = !visible;
    if (visible)
        applyMask(handlesRegion());
    update();
}

void DesignCtl::FreeRegions()
{
    m_outerRegion = QRegion();
    m_innerRegion = QRegion();
}

void DesignCtl::BuildOutline()
{
    const int w = units::twipsToPixels(m_frameSize.width(), m_scale);
    const int h = units::twipsToPixels(m_frameSize.height(), m_scale);
    m_outerRegion = QRegion(0, 0, qMax(0, w - OutlineStrip), qMax(0, h - OutlineStrip));
    m_innerRegion = QRegion(1, 1, qMax(0, w - OutlineStrip - 2), qMax(0, h - OutlineStrip - 2));
    applyMask(m_outerRegion.subtracted(m_innerRegion));
    update();
}

QRegion DesignCtl::handlesRegion() const
{
    QRegion region;
    region += m_bottom->geometry();
    region += m_move->geometry();
    region += m_right->geometry();
    return region;
}

void DesignCtl::applyMask(const QRegion &region)
{
    // Qt treats an empty mask as no mask at all, which would make the whole
    // frame opaque and swallow the field's mouse input. A frame too small
    // to show anything gets a mask that lies outside it instead.
    const QRegion inside = region.intersected(rect());
    if (inside.isEmpty())
        setMask(QRegion(-1, -1, 1, 1));
    else
        setMask(inside);
}

QRect DesignCtl::twipsToPixels(const QRect &twips) const
{
    return QRect(units::twipsToPixels(twips.x(), m_scale), units::twipsToPixels(twips.y(), m_scale),
                 units::twipsToPixels(twips.width(), m_scale),
                 units::twipsToPixels(twips.height(), m_scale));
}

void DesignCtl::frameResized()
{
    m_frameSize = m_twips.size();
    if (m_frameState != 0) {
        FreeRegions();
        BuildOutline();
    } else {
        PlaceHandles();
    }
}

void DesignCtl::resizeEvent(QResizeEvent *)
{
    // Resized by pixels from outside: take the twips from the pixels.
    if (size() != twipsToPixels(m_twips).size()) {
        m_twips.setSize(QSize(int(units::pixelsToTwips(width(), m_scale)),
                              int(units::pixelsToTwips(height(), m_scale))));
    }
    frameResized();
}

void DesignCtl::moveEvent(QMoveEvent *)
{
    if (pos() != twipsToPixels(m_twips).topLeft()) {
        m_twips.moveTo(int(units::pixelsToTwips(x(), m_scale)),
                       int(units::pixelsToTwips(y(), m_scale)));
    }
}

void DesignCtl::paintEvent(QPaintEvent *)
{
    // The mask leaves only the one-pixel outline of the filled rectangle.
    if (!m_opaque)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), FrameColour);
}

// The outline's own pixels take the mouse but do nothing with it; without
// this the press would fall through to the bill surface behind the frame.
void DesignCtl::mousePressEvent(QMouseEvent *event) { event->accept(); }
void DesignCtl::mouseMoveEvent(QMouseEvent *event) { event->accept(); }
void DesignCtl::mouseReleaseEvent(QMouseEvent *event) { event->accept(); }

bool DesignCtl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bottom)
        return forwardHandleEvent(Handle::Bottom, event);
    if (watched == m_move)
        return forwardHandleEvent(Handle::Corner, event);
    if (watched == m_right)
        return forwardHandleEvent(Handle::Right, event);
    return QWidget::eventFilter(watched, event);
}

bool DesignCtl::forwardHandleEvent(Handle which, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
        && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *me = static_cast<QMouseEvent *>(event);
    const QPoint p = me->position().toPoint();
    const int x = int(units::pixelsToTwips(p.x(), m_scale));
    const int y = int(units::pixelsToTwips(p.y(), m_scale));
    const int shift = shiftCode(me->modifiers());
    QLabel *handle = which == Handle::Bottom ? m_bottom : which == Handle::Corner ? m_move : m_right;

    using Signal = void (DesignCtl::*)(int, int, int, int);
    struct Trio { Signal down, move, up; };
    static const Trio trios[] = {
        {&DesignCtl::BMouseDown, &DesignCtl::BMouseMove, &DesignCtl::BMouseUp},
        {&DesignCtl::MMouseDown, &DesignCtl::MMouseMove, &DesignCtl::MMouseUp},
        {&DesignCtl::RMouseDown, &DesignCtl::RMouseMove, &DesignCtl::RMouseUp},
    };
    const Trio &trio = trios[int(which)];

    // A double click is the second press of the pair.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        handle->raise();
        emit(this->*trio.down)(buttonCode(me->button()), shift, x, y);
    } else if (type == QEvent::MouseMove) {
        emit(this->*trio.move)(buttonCode(me->buttons()), shift, x, y);
    } else {
        emit(this->*trio.up)(buttonCode(me->button()), shift, x, y);
    }
    event->accept();
    return true;
}
