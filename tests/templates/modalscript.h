#pragma once
// Answers the modal dialogs and message boxes a command opens, as a person
// at the screen would: each step waits for the next modal window of its
// kind and acts on it (types, clicks). Steps that never find their window,
// and windows no step expected, are reported and closed so that a test
// fails instead of hanging.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

class ModalScript : public QObject {
public:
    using Action = std::function<void(QWidget *)>;

    ModalScript()
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::tick);
        m_timer.start(20);
    }

    // The next modal window whose class or object name is `kind`.
    ModalScript &on(const QString &kind, Action act)
    {
        m_steps.append({kind, std::move(act)});
        return *this;
    }
    // Clicks the button with this caption on the next window of the kind.
    ModalScript &click(const QString &kind, const QString &caption)
    {
        return on(kind, [caption](QWidget *w) { ModalScript::clickButton(w, caption); });
    }
    // Types a name into the dialog's name field (replacing its selection)
    // and presses Return.
    ModalScript &typeName(const QString &kind, const QString &text)
    {
        return on(kind, [text](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("nameEdit"));
            edit->selectAll();
            ModalScript::type(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

    // Types text key by key; Chinese arrives as the text of each key press,
    // as an input method hands it over.
    static void type(QWidget *w, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    static void clickButton(QWidget *w, const QString &caption)
    {
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            if (b->text() == caption && b->isVisible()) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        qWarning("no button \"%s\" on %s", qPrintable(caption), w->metaObject()->className());
        w->close();
    }
    static QString text(QWidget *w)
    {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            return box->text();
        QString all;
        for (QLabel *l : w->findChildren<QLabel *>())
            if (l->isVisible())
                all += l->text() + QLatin1Char('\n');
        return all;
    }

    bool done() const { return m_steps.isEmpty(); }
    // What went wrong: steps left over and windows nobody expected.
    QStringList problems() const
    {
        QStringList p = m_problems;
        for (const Step &s : m_steps)
            p << QStringLiteral("no %1 appeared").arg(s.kind);
        return p;
    }

private:
    struct Step {
        QString kind;
        Action act;
    };

    static bool isKind(QWidget *w, const QString &kind)
    {
        return w->objectName() == kind || QString::fromLatin1(w->metaObject()->className()) == kind;
    }

    void tick()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) {
            m_waited = 0;
            return;
        }
        if (!m_steps.isEmpty() && isKind(w, m_steps.first().kind)) {
            m_waited = 0;
            const Step step = m_steps.takeFirst();
            step.act(w);
            return;
        }
        if (++m_waited > 150) { // three seconds with a window nobody answers
            m_problems << QStringLiteral("unexpected %1: %2").arg(QString::fromLatin1(w->metaObject()->className()),
                                                                 text(w));
            if (auto *d = qobject_cast<QDialog *>(w))
                d->reject();
            else
                w->close();
            m_waited = 0;
        }
    }

    QTimer m_timer;
    QList<Step> m_steps;
    QStringList m_problems;
    int m_waited = 0;
};
