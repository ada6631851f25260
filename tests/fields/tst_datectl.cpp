#include "fields/datectl.h"

#include <QSignalSpy>
#include <QTest>

class TestDateCtl : public QObject
{
    Q_OBJECT
private slots:
    void typingKeepsTypedText_data();
    void typingKeepsTypedText();
    void changeEventOnEveryChange();
    void formatShowsResult_data();
    void formatShowsResult();
    void maxLengthStopsTyping();
    void boxCoversField();
};

static void typeKeys(QWidget *w, const QList<Qt::Key> &keys)
{
    for (Qt::Key k : keys)
        QTest::keyClick(w, k);
}

void TestDateCtl::typingKeepsTypedText_data()
{
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("shown");
    const QList<Qt::Key> digits = {Qt::Key_2, Qt::Key_0, Qt::Key_2, Qt::Key_6};
    QTest::newRow("2026") << digits << "2026" << "2026" << "2026";
    QTest::newRow("2026 then backspace")
        << (digits + QList<Qt::Key>{Qt::Key_Backspace}) << QString("2026") + QChar(8) << "2026"
        << "202";
    QTest::newRow("letters dropped from the number")
        << QList<Qt::Key>{Qt::Key_1, Qt::Key_A, Qt::Key_2} << "1a2" << "12" << "1a2";
    QTest::newRow("enter does not break the line")
        << (digits + QList<Qt::Key>{Qt::Key_Return}) << QString("2026") + QChar(13) << "2026"
        << "2026";
}

void TestDateCtl::typingKeepsTypedText()
{
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(QString, typed);
    QFETCH(QString, number);
    QFETCH(QString, shown);
    DateCtl date;
    date.resize(200, 30);
    typeKeys(date.DateTextBoxCtl(), keys);
    QCOMPARE(date.TypedText(), typed);
    QCOMPARE(date.UserGetDateNumber(), number);
    QCOMPARE(date.UserGetDateTextBox(), shown);
}

void TestDateCtl::changeEventOnEveryChange()
{
    DateCtl date;
    QSignalSpy spy(&date, &DateCtl::DTBChange);
    typeKeys(date.DateTextBoxCtl(), {Qt::Key_2, Qt::Key_0, Qt::Key_Backspace});
    QCOMPARE(spy.count(), 3);
    date.UserSetDateTextBox(QStringLiteral("20261206"));
    QCOMPARE(spy.count(), 4);
    date.UserSetDateTextBox(QStringLiteral("20261206")); // same text: no change
    QCOMPARE(spy.count(), 4);
    date.UserSetDateStyle(QStringLiteral("04010501060107"));
    QCOMPARE(date.UserSetFormatDate(QStringLiteral("20261206")), u"2026年12月06日"_qs);
    QCOMPARE(spy.count(), 5);
    date.UserSetFormatDate(QStringLiteral("2026x")); // not numeric: untouched
    QCOMPARE(spy.count(), 5);
    date.UserSetDateTextBox(QString());
    QCOMPARE(spy.count(), 6);
}

void TestDateCtl::formatShowsResult_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("returned");
    QTest::addColumn<QString>("shown");
    QTest::newRow("cheque date") << "04050503060307" << "20260305" << u"贰零贰陆年零叁月零伍日"_qs
                                 << u"贰零贰陆年零叁月零伍日"_qs;
    QTest::newRow("month name") << "02000008000000" << "12" << "Dec" << "Dec";
    QTest::newRow("order 7 empties the box") << "07010501060107" << "20261206" << "" << "";
    QTest::newRow("not numeric leaves the box") << "04010501060107" << "2026/12/06" << ""
                                                << "before";
    QTest::newRow("no style set") << "" << "20261206" << "" << "";
}

void TestDateCtl::formatShowsResult()
{
    QFETCH(QString, style);
    QFETCH(QString, digits);
    QFETCH(QString, returned);
    QFETCH(QString, shown);
    DateCtl date;
    date.UserSetDateTextBox(QStringLiteral("before"));
    date.UserSetDateStyle(style);
    QCOMPARE(date.DateStyleCode(), style);
    QCOMPARE(date.UserSetFormatDate(digits), returned);
    QCOMPARE(date.UserGetDateTextBox(), shown);
}

void TestDateCtl::maxLengthStopsTyping()
{
    DateCtl date;
    date.UserChrLen(4);
    typeKeys(date.DateTextBoxCtl(), {Qt::Key_2, Qt::Key_0, Qt::Key_2, Qt::Key_6, Qt::Key_1});
    QCOMPARE(date.UserGetDateTextBox(), QStringLiteral("2026"));
    // The formatted date may be longer than what can be typed.
    date.UserSetDateStyle(QStringLiteral("04010501060107"));
    date.UserSetFormatDate(QStringLiteral("20261206"));
    QCOMPARE(date.UserGetDateTextBox(), u"2026年12月06日"_qs);
}

void TestDateCtl::boxCoversField()
{
    DateCtl date;
    date.resize(120, 24);
    date.show();
    QVERIFY(QTest::qWaitForWindowExposed(&date));
    QCOMPARE(date.DateTextBoxCtl()->geometry(), QRect(0, 0, 120, 24));
    QCOMPARE(date.FieldSize(), QSize(1800, 360));
    date.resize(90, 30);
    QCOMPARE(date.DateTextBoxCtl()->geometry(), QRect(0, 0, 90, 30));
    QCOMPARE(date.FieldSize(), QSize(1350, 450));
}

QTEST_MAIN(TestDateCtl)
#include "tst_datectl.moc"
