// Reading template property texts as numbers when a template opens.
#include "core/propvalue.h"
#include "workspace/billopen.h"

#include <QTest>
#include <QWidget>

class TestBillOpen : public QObject {
    Q_OBJECT
private slots:
    void strictWhole_data();
    void strictWhole();
    void leadingNumber_data();
    void leadingNumber();
    void colorValue_data();
    void colorValue();
    void twipsPlacement();
};

void TestBillOpen::strictWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("whole") << "1200" << true << 1200;
    QTest::newRow("padded") << " 300 " << true << 300;
    QTest::newRow("negative") << "-50" << true << -50;
    QTest::newRow("half rounds to even") << "12757.5" << true << 12758;
    QTest::newRow("half rounds down to even") << "850.5" << true << 850;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("unit after number") << "300twips" << false << 0;
    QTest::newRow("words") << "一百" << false << 0;
    QTest::newRow("too large") << "99999999999" << false << 0;
}

void TestBillOpen::strictWhole()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    const std::optional<int> v = propvalue::strictWhole(text);
    QCOMPARE(v.has_value(), ok);
    if (ok) {
        QFETCH(int, value);
        QCOMPARE(*v, value);
    }
}

void TestBillOpen::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("unit") << "12pt" << 12.0;
    QTest::newRow("decimal") << "10.5" << 10.5;
    QTest::newRow("blanks inside") << " 1 2 " << 12.0;
    QTest::newRow("sign and exponent") << "-3.5e1x" << -35.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("huge exponent keeps mantissa") << "7e999" << 7.0;
}

void TestBillOpen::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(propvalue::leadingNumber(text), value);
}

void TestBillOpen::colorValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::newRow("teal") << "8421440" << quint32(8421440);
    QTest::newRow("white") << "16777215" << quint32(0xFFFFFF);
    QTest::newRow("system colour as negative") << "-2147483643" << quint32(0x80000005);
    QTest::newRow("system colour as unsigned") << "2147483653" << quint32(0x80000005);
    QTest::newRow("garbage") << "red" << quint32(0);
    QTest::newRow("out of range") << "1e12" << quint32(0);
}

void TestBillOpen::colorValue()
{
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(propvalue::colour(text), value);
}

void TestBillOpen::twipsPlacement()
{
    QWidget w;
    opening::setControlTwips(&w, QRect(300, 450, 1500, 307));
    QCOMPARE(w.geometry(), QRect(20, 30, 100, 20));
    QCOMPARE(opening::controlTwips(&w), QRect(300, 450, 1500, 307)); // exact twips kept
    opening::setControlTwips(&w, QRect(300, 450, 1500, 300), 2.0);
    QCOMPARE(w.geometry(), QRect(40, 60, 200, 40));
    opening::setControlTag(&w, QStringLiteral("00104001"));
    QCOMPARE(opening::controlTag(&w), QStringLiteral("00104001"));
    QCOMPARE(opening::controlTag(nullptr), QString());
}

QTEST_MAIN(TestBillOpen)
#include "tst_billopen.moc"
