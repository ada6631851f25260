#include "fields/datectl.h"

#include "core/billdocument.h"
#include "core/dateformat.h"

#include <QKeyEvent>

DateCtl::DateCtl(QWidget *parent) : FieldWidget(parent), m_box(new FieldLineBox(this))
{
    m_box->setObjectName(QStringLiteral("DateTextBoxCtl"));
    // One line: Enter moves on rather than breaking the date.
    m_box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setInner(m_box);
    connect(m_box, &FieldLineBox::characterKey, this, [this](const QString &text) {
        m_typedText = m_box->text() + text;
    });
    connect(m_box, &FieldLineBox::textEdited, this, &DateCtl::onEdited);
    m_box->installEventFilter(this);
}

DateCtl::~DateCtl()
{
    // The box goes with the field; nothing typed survives it.
    disconnect(m_box, nullptr, this, nullptr);
    m_typedText.clear();
}

void DateCtl::onEdited()
{
    const QString text = m_box->text();
    if (BillDocument *doc = document()) {
        doc->setDateText(fieldKey(), text);
        return; // the document announces the change; showValue follows
    }
    if (text == m_lastText)
        return;
    m_lastText = text;
    emit DTBChange();
}

// A date that does not exist is marked at once; one still short of digits
// only once the clerk has left the box (while typing, every date is short).
void DateCtl::markProblem()
{
    const BillDocument *doc = document();
    if (!doc)
        return;
    const QString text = doc->text(fieldKey());
    if (doc->isNoSuchDate(fieldKey()))
        setProblem(QStringLiteral("没有这个日期：%1").arg(text));
    else if (doc->isIncompleteDate(fieldKey()) && !m_box->hasFocus())
        setProblem(QStringLiteral("日期不完整：%1").arg(text));
    else
        setProblem(QString());
}

bool DateCtl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::FocusOut)
        markProblem();
    if (watched == m_box && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Backspace && takeBackDigit())
        return true;
    return FieldWidget::eventFilter(watched, event);
}

// A formatted date is no text to edit character by character: Backspace in
// it would leave part of the style's words (and its copies would show
// them), and the digit typed next would not fit. It takes back the last
// digit typed instead, as Backspace does while the digits are typed.
bool DateCtl::takeBackDigit()
{
    BillDocument *doc = document();
    if (!doc || m_box->hasSelectedText())
        return false;
    const QString typed = doc->typedDate(fieldKey());
    const QString shown = doc->text(fieldKey());
    if (typed.isEmpty() || shown == typed || dateformat::FormatDate(m_styleCode, typed) != shown)
        return false;
    doc->setDateText(fieldKey(), typed.chopped(1));
    return true;
}

void DateCtl::showValue()
{
    const BillDocument *doc = document();
    if (!doc)
        return;
    const QString text = doc->text(fieldKey());
    if (m_box->text() != text)
        m_box->setText(text);
    markProblem();
    if (text != m_lastText) {
        m_lastText = text;
        emit DTBChange();
    }
}

void DateCtl::applyField(const TemplateField &f)
{
    UserToolTip(f.name);
    UserFontSize(f.printSize());
    if (f.hasCharLength)
        UserChrLen(f.charLength);
    if (f.fontColour)
        UserFontColor(*f.fontColour);
    if (f.backColour)
        UserBackColor(*f.backColour);
    if (f.code)
        UserSetDateStyle(*f.code);
}

void DateCtl::UserSetDateStyle(const QString &code)
{
    m_styleCode = code;
}

QString DateCtl::UserSetFormatDate(const QString &digits)
{
    const std::optional<QString> shown = dateformat::FormatDate(m_styleCode, digits);
    if (!shown)
        return {};
    UserSetDateTextBox(*shown);
    return *shown;
}

QString DateCtl::UserGetDateNumber() const
{
    QString digits;
    for (const QChar c : m_typedText) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

QString DateCtl::UserGetDateTextBox() const
{
    return m_box->text();
}

void DateCtl::UserSetDateTextBox(const QString &text)
{
    if (BillDocument *doc = document()) {
        doc->setDateText(fieldKey(), text);
        return;
    }
    m_box->setText(text);
}

void DateCtl::UserEnabled(bool enabled)
{
    setLive(enabled);
}

void DateCtl::UserBackColor(quint32 color)
{
    QPalette p = m_box->palette();
    p.setColor(QPalette::Base, fields::oleColor(color));
    m_box->setPalette(p);
}

void DateCtl::UserFontColor(quint32 color)
{
    QPalette p = m_box->palette();
    p.setColor(QPalette::Text, fields::oleColor(color));
    m_box->setPalette(p);
}

void DateCtl::UserFontSize(int points)
{
    if (points <= 0)
        return;
    m_box->setFont(fields::screenFont(points, scale()));
}

void DateCtl::UserChrLen(int length)
{
    m_box->setMaxLength(length);
}

void DateCtl::UserToolTip(const QString &tip)
{
    setToolTip(tip);
}
