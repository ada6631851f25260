#include "fields/textctl.h"

#include "core/billdocument.h"
#include "core/textlines.h"
#include "core/textvalue.h"
#include "core/units.h"


TextCtl::TextCtl(QWidget *parent) : FieldWidget(parent), m_box(new FieldTextBox(this))
{
    m_box->setObjectName(QStringLiteral("TextBox"));
    m_box->setFont(fields::screenFont(m_points, scale()));
    setInner(m_box);
    connect(m_box, &FieldTextBox::textEdited, this, &TextCtl::onEdited);
}

// The user changed the text (or a method set it on a control standing alone).
void TextCtl::onEdited()
{
    const QString text = m_box->text();
    if (BillDocument *doc = document()) {
        m_writing = true;
        doc->setText(fieldKey(), text);
        m_writing = false;
        return; // the document announces the change; showValue follows
    }
    refreshLines();
    if (text != m_lastText) {
        m_lastText = text;
        emit TBChange();
    }
}

void TextCtl::showValue()
{
    const BillDocument *doc = document();
    if (!doc)
        return;
    const QString text = doc->text(fieldKey());
    if (m_box->text() != text)
        m_box->setText(text);
    refreshLines();
    if (text != m_lastText) {
        m_lastText = text;
        emit TBChange();
    }
}

QStringList TextCtl::currentLines() const
{
    if (const BillDocument *doc = document())
        return doc->lines(fieldKey());
    const QSize size = FieldSize();
    return textlines::breakLines(m_box->text(), m_points, size.width());
}

void TextCtl::refreshLines()
{
    const QStringList lines = currentLines();
    m_box->showLines(lines);
    const QSize size = FieldSize();
    const bool over = !m_box->text().isEmpty()
                      && lines.size() > textlines::linesThatFit(m_points, size.height());
    if (over != m_overflowing) {
        m_overflowing = over;
        setProblem(over ? QStringLiteral("文字超出了这一栏：打印时会超出方框") : QString());
    }
}

void TextCtl::resizeEvent(QResizeEvent *event)
{
    FieldWidget::resizeEvent(event);
    refreshLines();
}

QString TextCtl::UserGetTextAll() const
{
    return m_box->text();
}

void TextCtl::UserSetTextBox(const QString &text)
{
    if (BillDocument *doc = document()) {
        doc->setText(fieldKey(), text);
        return;
    }
    m_box->setText(text);
}

int TextCtl::UserGetTextBox(QStringList &lines) const
{
    lines = currentLines();
    return int(lines.size());
}

bool TextCtl::isNumericText(const QString &text)
{
    return textvalue::isNumeric(text);
}

QString TextCtl::UserGetSum(const QString &factor1, const QString &factor2) const
{
    return textvalue::sumValue(m_box->text(), factor1, factor2);
}

void TextCtl::UserEnabled(bool enabled)
{
    setLive(enabled);
}

void TextCtl::lockTyping(bool locked)
{
    m_box->setReadOnly(locked);
}

void TextCtl::UserBackColor(quint32 color)
{
    QPalette p = m_box->palette();
    p.setColor(QPalette::Base, fields::oleColor(color));
    m_box->setPalette(p);
}

void TextCtl::UserFontColor(quint32 color)
{
    QPalette p = m_box->palette();
    p.setColor(QPalette::Text, fields::oleColor(color));
    m_box->setPalette(p);
}

void TextCtl::UserFontSize(int points)
{
    if (points <= 0)
        return;
    m_points = points;
    m_box->setFont(fields::screenFont(points, scale()));
    refreshLines();
}

void TextCtl::UserChrLen(int length)
{
    m_box->setMaxLength(length);
}

void TextCtl::UserToolTip(const QString &tip)
{
    m_box->setToolTip(tip);
}

void TextCtl::applyField(const TemplateField &f)
{
    setToolTip(f.name);
    UserToolTip(f.name);
    // Shown in the size it prints in.
    UserFontSize(f.printSize());
    if (f.hasCharLength)
        UserChrLen(f.charLength);
    if (f.fontColour)
        UserFontColor(*f.fontColour);
    if (f.backColour)
        UserBackColor(*f.backColour);
    // Return breaks the line only where the field has room for another.
    m_box->setAcceptsReturn(textlines::linesThatFit(f.printSize(), f.rect.height()) > 1);
}
