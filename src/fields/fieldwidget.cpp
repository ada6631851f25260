#include "fields/fieldwidget.h"

#include "core/billdocument.h"
#include "core/billrenderer.h"
#include "core/units.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace fields {

namespace {

// System colour indices and the palette roles that play their part here.
QPalette::ColorRole systemColorRole(int index)
{
    switch (index) {
    case 4: return QPalette::Window;           // menu
    case 5: return QPalette::Base;             // window background
    case 7: return QPalette::WindowText;       // menu text
    case 8: return QPalette::Text;             // window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;          // button face
    case 16: return QPalette::Dark;            // button shadow
    case 17: return QPalette::PlaceholderText; // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;           // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

} // namespace

QColor oleColor(quint32 value)
{
    if (value & 0x80000000u)
        return QApplication::palette().color(systemColorRole(int(value & 0xFFu)));
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

qint16 buttonCode(Qt::MouseButtons buttons)
{
    qint16 code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

qint16 shiftCode(Qt::KeyboardModifiers modifiers)
{
    qint16 code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

qint16 keyCode(const QKeyEvent *event)
{
    const int k = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return qint16((keypad ? 96 : 48) + (k - Qt::Key_0));
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return qint16(65 + (k - Qt::Key_A));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return qint16(112 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Asterisk: return keypad ? 106 : 0;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    default: return 0;
    }
}

std::optional<Qt::Alignment> textAlignOf(const QString &text)
{
    if (text == u"左")
        return Qt::AlignLeft;
    if (text == u"中")
        return Qt::AlignHCenter;
    if (text == u"右")
        return Qt::AlignRight;
    return std::nullopt;
}

QFont screenFont(int sizePoints, double scale)
{
    QFont f(BillRenderer::fontFamily());
    f.setPointSizeF(qMax(1, sizePoints) * scale);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

} // namespace fields

// --- FieldWidget ----------------------------------------------------------

FieldWidget::FieldWidget(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

namespace {

// The red edge and corner of a field that cannot print as it stands. It lies
// over the field and lets the mouse through.
class ProblemMark : public QWidget
{
public:
    explicit ProblemMark(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("ProblemMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QColor red(220, 0, 0);
        p.setPen(QPen(red, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        const int s = qMin(10, qMin(width(), height()));
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawPolygon(QPolygon({QPoint(width() - s, height()), QPoint(width(), height()),
                                QPoint(width(), height() - s)}));
    }
};

} // namespace

void FieldWidget::setProblem(const QString &message)
{
    if (message == m_problem)
        return;
    m_problem = message;
    if (!m_mark)
        m_mark = new ProblemMark(this);
    m_mark->setGeometry(rect());
    m_mark->setToolTip(message);
    m_mark->setVisible(!message.isEmpty());
    m_mark->raise();
    setToolTip(message.isEmpty() ? QString() : message);
}

void FieldWidget::bind(BillDocument *document, const QString &key)
{
    if (m_valueConnection)
        disconnect(m_valueConnection);
    m_document = document;
    m_key = key;
    if (document) {
        m_valueConnection = connect(document, &BillDocument::valueChanged, this, [this](const QString &k) {
            if (k == m_key)
                showValue();
        });
        showValue();
    }
}

QSize FieldWidget::FieldSize() const
{
    return QSize(int(units::pixelsToTwips(width(), m_scale)), int(units::pixelsToTwips(height(), m_scale)));
}

void FieldWidget::setInner(QWidget *inner)
{
    m_inner = inner;
    inner->setGeometry(rect());
    setLive(m_live);
}

void FieldWidget::setLive(bool live)
{
    m_live = live;
    if (!m_inner)
        return;
    m_inner->setEnabled(live);
    m_inner->setAttribute(Qt::WA_TransparentForMouseEvents, !live);
    setFocusProxy(live && m_inner->focusPolicy() != Qt::NoFocus ? m_inner : nullptr);
}

void FieldWidget::resizeEvent(QResizeEvent *event)
{
    if (m_inner)
        m_inner->setGeometry(rect());
    if (m_mark)
        m_mark->setGeometry(rect());
    QWidget::resizeEvent(event);
}

static QPoint twipsOf(const QMouseEvent *event, double scale)
{
    const QPointF p = event->position();
    return QPoint(int(units::pixelsToTwips(qRound(p.x()), scale)), int(units::pixelsToTwips(qRound(p.y()), scale)));
}

// The field's own mouse events stop here: a press on a field is not a
// press on the bill surface beneath it.
void FieldWidget::mousePressEvent(QMouseEvent *event)
{
    const QPoint t = twipsOf(event, m_scale);
    emit MouseDown(fields::buttonCode(event->button()), fields::shiftCode(event->modifiers()),
                   t.x(), t.y());
    event->accept();
}

void FieldWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint t = twipsOf(event, m_scale);
    emit MouseMove(fields::buttonCode(event->buttons()), fields::shiftCode(event->modifiers()),
                   t.x(), t.y());
    event->accept();
}

void FieldWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint t = twipsOf(event, m_scale);
    emit MouseUp(fields::buttonCode(event->button()), fields::shiftCode(event->modifiers()),
                 t.x(), t.y());
    event->accept();
}

// Only keys the field itself receives count; keys the live inner control
// leaves unused pass on to the window.
void FieldWidget::keyPressEvent(QKeyEvent *event)
{
    // hasFocus() would also answer for the focus proxy, the live box.
    if (QApplication::focusWidget() != this) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit KeyDown(fields::keyCode(event), fields::shiftCode(event->modifiers()));
    event->accept();
}
