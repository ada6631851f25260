// Typing into the money field: column by column, the whole amount after Tab,
// and pasted amounts. Digits are taken when their key goes down, so keys
// typed quickly, one still held while the next goes down, keep their order.
#include "fields/moneyctl.h"

#include "core/billdocument.h"
#include "core/moneyvalue.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>

namespace {

// The digit a key types, main row, keypad or full width; a null QChar for
// any other key.
QChar digitOf(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1)
        return money::typedDigit(text.at(0));
    return QChar();
}

bool isPoint(const QKeyEvent *event)
{
    const QString text = event->text();
    return text == QLatin1String(".") || text == QStringLiteral("．") || text == QStringLiteral("。");
}

// A single box's text while it is typed: digits with at most one point and
// two decimals.
bool singleBoxTyping(const QString &text)
{
    static const QRegularExpression partial(QStringLiteral("^\\d*\\.?\\d{0,2}$"));
    return partial.match(text).hasMatch();
}

} // namespace

QWidget *MoneyCtl::keyboardTarget() const
{
    return singleBox() ? static_cast<QWidget *>(m_txtCol.at(0)) : const_cast<MoneyCtl *>(this);
}

bool MoneyCtl::HandleColumnKey(int column, int keyCode)
{
    QLineEdit *c = m_txtCol.value(column);
    if (!c)
        return false;
    const int last = int(m_txtCol.size()) - 1;
    const int k = (keyCode >= 96 && keyCode <= 105) ? keyCode - 48 : keyCode;
    if (k >= 48 && k <= 57) {
        c->setText(QString(QChar(k)));
        c->setCursorPosition(1);
        if (column < last)
            FocusColumn(column + 1, false);
        return true;
    }
    switch (k) {
    case 8: // Backspace empties the column; in an empty one, the one before
        if (!c->text().isEmpty()) {
            c->clear();
        } else if (column > 0) {
            FocusColumn(column - 1, true);
            m_txtCol.at(column - 1)->clear();
        }
        return true;
    case 37: // Left
        if (column > 0 && c->cursorPosition() == 0) {
            FocusColumn(column - 1, true);
            return true;
        }
        return false;
    case 39: // Right
        if (column < last && c->cursorPosition() >= c->text().size()) {
            FocusColumn(column + 1, false);
            return true;
        }
        return false;
    case 13: // Enter
        if (column < last)
            FocusColumn(column + 1, false);
        return true;
    default:
        return false;
    }
}

bool MoneyCtl::columnKey(int column, QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteInto();
        return true;
    }
    QLineEdit *c = m_txtCol.at(column);
    if (singleBox()) {
        // One box: digits, a point and the editing keys; nothing else.
        QString typed = event->text();
        const QChar d = digitOf(event);
        if (!d.isNull())
            typed = QString(d);
        else if (isPoint(event))
            typed = QStringLiteral(".");
        else if (typed.isEmpty() || !typed.at(0).isPrint())
            return false; // Backspace, arrows, Tab, ...
        else
            return true; // a letter never enters the box
        QString next = c->text();
        const int from = c->hasSelectedText() ? c->selectionStart() : c->cursorPosition();
        next.remove(from, c->selectedText().size());
        next.insert(from, typed);
        if (singleBoxTyping(next))
            c->insert(typed);
        else
            QApplication::beep();
        return true;
    }
    const QChar d = digitOf(event);
    if (!d.isNull())
        return HandleColumnKey(column, d.unicode());
    const int k = fields::keyCode(event);
    if (k == 8 || k == 13 || k == 37 || k == 39)
        return HandleColumnKey(column, k);
    const QString text = event->text();
    // Letters and other characters never appear in a column.
    return !text.isEmpty() && text.at(0).isPrint();
}

void MoneyCtl::setColumnsText(const QStringList &texts)
{
    if (BillDocument *doc = document()) {
        doc->setColumns(fieldKey(), texts);
        return;
    }
    for (int i = 0; i < m_txtCol.size(); ++i)
        m_txtCol.at(i)->setText(texts.value(i));
}

bool MoneyCtl::enterAmount(const QString &text, QString *why)
{
    if (text.trimmed().isEmpty()) {
        setColumnsText(QStringList(m_columnCount, QString()));
        return true;
    }
    const std::optional<exact::Amount> yuan = money::parseTyped(text);
    if (!yuan) {
        if (why)
            *why = QStringLiteral("“%1”不是金额").arg(text.left(60));
        return false;
    }
    if (singleBox()) {
        setColumnsText({money::singleBoxText(*yuan)});
        return true;
    }
    const std::optional<QStringList> columns = money::columnsFor(*yuan, m_columnCount);
    if (!columns) {
        if (why)
            *why = QStringLiteral("金额 %1 超出了这一栏的 %2 位").arg(text.left(60)).arg(m_columnCount);
        return false;
    }
    setColumnsText(*columns);
    return true;
}

void MoneyCtl::pasteInto()
{
    QString why;
    if (!enterAmount(QGuiApplication::clipboard()->text(), &why))
        refuse(QStringLiteral("不能粘贴：%1").arg(why));
}

void MoneyCtl::refuse(const QString &why)
{
    QApplication::beep();
    QToolTip::showText(mapToGlobal(QPoint(0, height())), why, this);
}

bool MoneyCtl::amountKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteInto();
        m_amountText.clear();
        return true;
    }
    const QChar d = digitOf(event);
    QString next = m_amountText;
    if (!d.isNull() || isPoint(event)) {
        if (m_replaceOnType)
            next.clear();
        next += d.isNull() ? QChar(u'.') : d;
    } else if (event->key() == Qt::Key_Backspace) {
        next.chop(1);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        return true;
    } else {
        const QString text = event->text();
        return !text.isEmpty() && text.at(0).isPrint(); // a letter is refused
    }
    QString why;
    if (!singleBoxTyping(next) || !enterAmount(next.endsWith(u'.') ? next.chopped(1) : next, &why)) {
        refuse(why.isEmpty() ? QStringLiteral("金额最多两位小数") : why);
        return true;
    }
    m_amountText = next;
    m_replaceOnType = false;
    return true;
}

void MoneyCtl::focusInEvent(QFocusEvent *event)
{
    FieldWidget::focusInEvent(event);
    const bool byKeyboard = event->reason() == Qt::TabFocusReason
                            || event->reason() == Qt::BacktabFocusReason;
    if (byKeyboard && isLive() && !singleBox()) {
        m_amountTyping = true;
        m_replaceOnType = true;
        const auto yuan = document() ? document()->amount(fieldKey()) : std::optional<exact::Amount>();
        m_amountText = yuan && yuan->aboveZero() ? money::singleBoxText(*yuan) : QString();
        update();
    }
}

void MoneyCtl::focusOutEvent(QFocusEvent *event)
{
    FieldWidget::focusOutEvent(event);
    if (m_amountTyping) {
        m_amountTyping = false;
        update();
    }
}

// While the whole amount is typed the field is framed in the highlight colour.
void MoneyCtl::paintEvent(QPaintEvent *event)
{
    FieldWidget::paintEvent(event);
    if (!m_amountTyping)
        return;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Highlight));
}
