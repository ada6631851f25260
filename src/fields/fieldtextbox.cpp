#include "fields/fieldtextbox.h"

#include "core/textvalue.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString withoutSoftBreaks(QString text)
{
    text.remove(FieldTextBox::SoftBreak);
    return text;
}

} // namespace

FieldTextBox::FieldTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    setViewportMargins(0, 0, 0, 0);
    connect(document(), &QTextDocument::contentsChanged, this, &FieldTextBox::onContentsChanged);
}

QString FieldTextBox::content() const
{
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

QString FieldTextBox::text() const
{
    return withoutSoftBreaks(content());
}

void FieldTextBox::setText(const QString &text)
{
    if (text == this->text())
        return;
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void FieldTextBox::onContentsChanged()
{
    if (m_adjusting)
        return;
    const QString now = text();
    if (now == m_lastText)
        return;
    m_lastText = now;
    emit textEdited();
}

void FieldTextBox::showLines(const QStringList &lines)
{
    const QString logical = text();
    // The wanted content: the lines joined by the text's own '\n' where it
    // has one, by a soft break elsewhere.
    QString wanted;
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (logical.mid(at, line.size()) != line)
            return; // lines of another text: leave the box as it is
        wanted += line;
        at += line.size();
        if (i + 1 == lines.size())
            break;
        if (at < logical.size() && logical.at(at) == u'\n') {
            wanted += u'\n';
            ++at;
        } else {
            wanted += SoftBreak;
        }
    }
    if (at != logical.size())
        return;
    const QString current = content();
    if (current == wanted)
        return;
    // Only soft breaks differ: take out and put in those, so the caret and
    // the undo history stay with the text.
    m_adjusting = true;
    QTextCursor c(document());
    c.beginEditBlock();
    int pos = 0;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < current.size() || j < wanted.size()) {
        const bool curSoft = i < current.size() && current.at(i) == SoftBreak;
        const bool wantSoft = j < wanted.size() && wanted.at(j) == SoftBreak;
        if (curSoft && !wantSoft) {
            c.setPosition(pos);
            c.deleteChar();
            ++i;
        } else if (wantSoft && !curSoft) {
            c.setPosition(pos);
            c.insertText(QString(SoftBreak));
            ++pos;
            ++j;
        } else {
            ++pos;
            ++i;
            ++j;
        }
    }
    c.endEditBlock();
    m_adjusting = false;
}

int FieldTextBox::roomFor(const QString &selected) const
{
    return m_maxLength - (textvalue::length(text()) - textvalue::length(withoutSoftBreaks(selected)));
}

void FieldTextBox::keyPressEvent(QKeyEvent *event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QString typed = event->text();
    if (event->key() == Qt::Key_Backspace)
        typed = QString(QChar(8));
    else if (isReturn)
        typed = QString(QChar(13));
    if (!typed.isEmpty())
        emit characterKey(typed);
    if (isReturn && !m_acceptsReturn) {
        // A one-line box: Return goes on to the next field.
        event->accept();
        focusNextChild();
        return;
    }
    // A soft break is not a character: Backspace and Delete next to one
    // take the character beyond it.
    QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        const QString all = content();
        auto at = [&all](int i) { return i >= 0 && i < all.size() ? all.at(i) : QChar(); };
        if (event->key() == Qt::Key_Backspace && at(c.position() - 1) == SoftBreak) {
            c.movePosition(QTextCursor::PreviousCharacter);
            setTextCursor(c);
        } else if (event->key() == Qt::Key_Delete && at(c.position()) == SoftBreak) {
            c.movePosition(QTextCursor::NextCharacter);
            setTextCursor(c);
        }
    }
    const bool inserts = isReturn || (!typed.isEmpty() && typed.at(0).isPrint());
    if (inserts && m_maxLength > 0 && roomFor(textCursor().selectedText()) < textvalue::length(isReturn ? QStringLiteral("\n") : typed)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void FieldTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.remove(u'\r');
    if (!m_acceptsReturn)
        text.replace(u'\n', u' ');
    if (m_maxLength > 0)
        text = textvalue::left(text, qMax(0, roomFor(textCursor().selectedText())));
    textCursor().insertText(text);
}

QMimeData *FieldTextBox::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    data->setText(withoutSoftBreaks(selected));
    return data;
}

void FieldTextBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    emit characterKey(event->commitString());
    if (m_maxLength <= 0) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const int room = qMax(0, roomFor(textCursor().selectedText()));
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(textvalue::left(event->commitString(), room), event->replacementStart(),
                        event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
}

// ---- FieldLineBox -------------------------------------------------------------

FieldLineBox::FieldLineBox(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    QLineEdit::setMaxLength(32767);
    connect(this, &QLineEdit::textChanged, this, &FieldLineBox::textEdited);
}

void FieldLineBox::setText(const QString &text)
{
    if (text == this->text())
        return;
    QLineEdit::setText(text);
    end(false);
}

int FieldLineBox::room() const
{
    return m_maxLength - (textvalue::length(text()) - textvalue::length(selectedText()));
}

void FieldLineBox::keyPressEvent(QKeyEvent *event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QString typed = event->text();
    if (event->key() == Qt::Key_Backspace)
        typed = QString(QChar(8));
    else if (isReturn)
        typed = QString(QChar(13));
    if (!typed.isEmpty())
        emit characterKey(typed);
    if (isReturn) {
        event->accept();
        focusNextChild();
        return;
    }
    const bool inserts = !typed.isEmpty() && typed.at(0).isPrint();
    if (inserts && m_maxLength > 0 && room() < textvalue::length(typed)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FieldLineBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    emit characterKey(event->commitString());
    if (m_maxLength <= 0) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(textvalue::left(event->commitString(), qMax(0, room())), event->replacementStart(),
                        event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
}
