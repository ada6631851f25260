#include "fields/textctl.h"

#include <QLocale>
#include <QRegularExpression>

TextCtl::TextCtl(QWidget *parent) : FieldWidget(parent), m_box(new FieldTextBox(this))
{
    m_box->setObjectName(QStringLiteral("TextBox"));
    QFont f = m_box->font();
    f.setPointSize(12);
    m_box->setFont(f);
    setInner(m_box);
    connect(m_box, &QPlainTextEdit::textChanged, this, &TextCtl::onTextChanged);
}

void TextCtl::onTextChanged()
{
    const QString text = m_box->toPlainText();
    if (text == m_lastText)
        return;
    m_lastText = text;
    emit TBChange();
}

QString TextCtl::UserGetTextAll() const
{
    return m_box->toPlainText();
}

void TextCtl::UserSetTextBox(const QString &text)
{
    if (text == m_box->toPlainText())
        return;
    m_box->setPlainText(text);
}

int TextCtl::UserGetTextBox(QStringList &lines) const
{
    // The box always covers the field; the field's width is current even
    // while a resize waits for the field to be shown.
    lines = m_box->displayedLines(width());
    return int(lines.size());
}

bool TextCtl::isNumericText(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}

QString TextCtl::UserGetSum(const QString &factor1, const QString &factor2) const
{
    const QString text = m_box->toPlainText();
    if (!isNumericText(text) || !isNumericText(factor1) || !isNumericText(factor2))
        return text;
    const QLocale c = QLocale::c();
    const double product = c.toDouble(factor1.trimmed()) * c.toDouble(factor2.trimmed())
                           * c.toDouble(text.trimmed());
    // Fifteen significant digits, so 0.1 x 3 reads 0.3 and not its binary
    // neighbour.
    return QString::number(product, 'g', 15);
}

void TextCtl::UserEnabled(bool enabled)
{
    setLive(enabled);
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
    QFont f = m_box->font();
    f.setPointSize(points);
    m_box->setFont(f);
}

void TextCtl::UserChrLen(int length)
{
    m_box->setMaxLength(length);
}

void TextCtl::UserToolTip(const QString &tip)
{
    m_box->setToolTip(tip);
}
