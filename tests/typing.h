#pragma once
// Typing as a person does, one key a character, for every test that drives
// a field with the keyboard. Characters outside ASCII (Chinese, full-width
// digits) arrive as an input method commits them: a key carrying the text.
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeySequence>
#include <QTest>
#include <QWidget>

namespace typing {

inline void typeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        const int key = c.unicode() < 128 ? QKeySequence(QString(c))[0].key() : int(Qt::Key_unknown);
        QTest::sendKeyEvent(QTest::Press, target, Qt::Key(key), QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, Qt::Key(key), QString(c), Qt::NoModifier);
    }
}

// Picks an entry of a drop-down list with the keyboard, as a user does:
// focus, open, move to the row and press Return.
inline void choose(QComboBox *list, int index)
{
    list->setFocus();
    list->showPopup();
    QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    for (int at = list->currentIndex(); at < index; ++at)
        QTest::keyClick(view, Qt::Key_Down);
    for (int at = list->currentIndex(); at > index; --at)
        QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

} // namespace typing
