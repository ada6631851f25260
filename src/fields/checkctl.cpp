#include "fields/checkctl.h"

#include "core/billdocument.h"

#include <QStyleOptionButton>
#include <QStylePainter>

// --- CheckBoxCtl ----------------------------------------------------------

CheckBoxCtl::CheckBoxCtl(QWidget *parent) : QCheckBox(parent)
{
    setAutoFillBackground(true);
}

void CheckBoxCtl::setCaptionAlignment(Qt::Alignment horizontal)
{
    m_align = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void CheckBoxCtl::setCaptionOnLeft(bool left)
{
    m_captionLeft = left;
    update();
}

QRect CheckBoxCtl::indicatorRect() const
{
    const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    const int top = (height() - h) / 2;
    const int left = m_captionLeft ? width() - w - 1 : 1;
    return QRect(left, top, w, h);
}

QRect CheckBoxCtl::captionRect() const
{
    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    const QRect box = indicatorRect();
    if (m_captionLeft)
        return QRect(0, 0, qMax(0, box.left() - spacing), height());
    const int left = box.right() + 1 + spacing;
    return QRect(left, 0, qMax(0, width() - left), height());
}

void CheckBoxCtl::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    QStyleOptionButton indicator = opt;
    indicator.rect = indicatorRect();
    p.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
    const int flags = int(m_align | Qt::AlignAbsolute | Qt::AlignVCenter) | Qt::TextWordWrap;
    p.drawItemText(captionRect(), flags, opt.palette, isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = captionRect();
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

// The whole field answers a click, caption included.
bool CheckBoxCtl::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

// --- CheckCtl -------------------------------------------------------------

const QString CheckCtl::TickMark = QStringLiteral("√");

CheckCtl::CheckCtl(QWidget *parent) : FieldWidget(parent), m_check(new CheckBoxCtl(this))
{
    m_check->setObjectName(QStringLiteral("CheckBoxCtl"));
    setInner(m_check);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        if (BillDocument *doc = document())
            doc->setChecked(fieldKey(), on);
    });
}

QString CheckCtl::UserGetCheckCaption() const
{
    return m_check->text();
}

void CheckCtl::UserSetCheckCaption(const QString &caption)
{
    m_check->setText(caption);
    setToolTip(caption);
}

QString CheckCtl::UserGetCheckValue() const
{
    return m_check->isChecked() ? TickMark : QString();
}

void CheckCtl::UserSetCheckValue(const QString &value)
{
    if (BillDocument *doc = document()) {
        doc->setChecked(fieldKey(), value == TickMark);
        return;
    }
    m_check->setChecked(value == TickMark);
}

void CheckCtl::showValue()
{
    if (const BillDocument *doc = document()) {
        const QSignalBlocker quiet(m_check);
        m_check->setChecked(doc->isChecked(fieldKey()));
    }
}

void CheckCtl::applyField(const TemplateField &f)
{
    UserSetCheckCaption(f.name);
    if (f.fontSize)
        UserFontSize(*f.fontSize);
    if (f.fontColour)
        UserFontColor(*f.fontColour);
    if (f.backColour)
        UserBackColor(*f.backColour);
    UserTextAlign(f.textAlign);
}

void CheckCtl::UserTextAlign(const QString &align)
{
    if (const auto h = fields::textAlignOf(align))
        m_check->setCaptionAlignment(*h);
}

void CheckCtl::UserAlignment(int alignment)
{
    m_check->setCaptionOnLeft(alignment != 1);
}

void CheckCtl::UserEnabled(bool enabled)
{
    setLive(enabled);
}

void CheckCtl::UserBackColor(quint32 color)
{
    QPalette p = m_check->palette();
    p.setColor(QPalette::Window, fields::oleColor(color));
    p.setColor(QPalette::Button, fields::oleColor(color));
    m_check->setPalette(p);
}

void CheckCtl::UserFontColor(quint32 color)
{
    QPalette p = m_check->palette();
    p.setColor(QPalette::WindowText, fields::oleColor(color));
    m_check->setPalette(p);
}

void CheckCtl::UserFontSize(int points)
{
    if (points <= 0)
        return;
    m_check->setFont(fields::screenFont(points, scale()));
}

void CheckCtl::UserChrLen(int)
{
}
