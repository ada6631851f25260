#include "fields/labelctl.h"

#include "core/billtemplate.h"

#include <QLabel>

LabelCtl::LabelCtl(QWidget *parent) : FieldWidget(parent), m_label(new QLabel(this))
{
    m_label->setObjectName(QStringLiteral("LabelCtl"));
    m_label->setFrameShape(QFrame::NoFrame);
    m_label->setAutoFillBackground(true);
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setInner(m_label);
    // A caption is not a place for the keyboard while filling in; in design
    // mode it takes the keys that move, resize and delete it.
    setFocusPolicy(Qt::NoFocus);
}

QString LabelCtl::UserGetLabelCaption() const
{
    return m_label->text();
}

void LabelCtl::UserSetLabelCaption(const QString &caption)
{
    m_label->setText(caption);
    setToolTip(caption);
}

void LabelCtl::UserTextAlign(const QString &align)
{
    if (const auto h = fields::textAlignOf(align))
        m_label->setAlignment(*h | Qt::AlignTop);
}

void LabelCtl::UserEnabled(bool enabled)
{
    setLive(enabled);
    setFocusPolicy(enabled ? Qt::NoFocus : Qt::ClickFocus);
}

void LabelCtl::UserBackColor(quint32 color)
{
    QPalette p = m_label->palette();
    p.setColor(QPalette::Window, fields::oleColor(color));
    m_label->setPalette(p);
}

void LabelCtl::UserFontColor(quint32 color)
{
    QPalette p = m_label->palette();
    p.setColor(QPalette::WindowText, fields::oleColor(color));
    m_label->setPalette(p);
}

void LabelCtl::UserFontSize(int points)
{
    if (points <= 0)
        return;
    m_label->setFont(fields::screenFont(points, scale()));
}

void LabelCtl::UserChrLen(int)
{
}

void LabelCtl::applyField(const TemplateField &f)
{
    UserSetLabelCaption(f.name);
    if (f.fontSize)
        UserFontSize(*f.fontSize);
    if (f.fontColour)
        UserFontColor(*f.fontColour);
    if (f.backColour)
        UserBackColor(*f.backColour);
}
