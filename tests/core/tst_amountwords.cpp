#include "core/amountwords.h"
#include <QRandomGenerator>
#include <QTest>
#include <cmath>

using words::WordsStatus;

class TestAmountWords : public QObject {
    Q_OBJECT
private slots:
    void chinese_data();
    void chinese();
    void english_data();
    void english();
    void groups_data();
    void groups();
    void chineseMatchesPlainSteps();
};

namespace {

// The Chinese conversion written out with plain string operations, one
// step after the other, for amounts that are plain digits with an optional
// point and at most 16 integer digits.
QString chineseBySteps(const QString &amount, int places)
{
    const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    const QString intUnits = QStringLiteral(" 圆拾佰仟万拾佰仟亿拾佰仟兆拾佰仟");
    const QString decUnits = QStringLiteral(" 角分厘");
    QString i, f;
    if (amount.contains(u'.')) {
        i = amount.section(u'.', 0, 0);
        f = amount.section(u'.', 1, 1).left(places);
    } else if (amount.size() < places) {
        f = (QString(places, u'0') + amount).right(places);
    } else {
        f = amount.right(places);
        i = amount.left(amount.size() - places);
    }
    QString w;
    for (int k = 1; k <= i.size(); ++k) {
        const int d = i.at(i.size() - k).digitValue();
        const QChar u = intUnits.at(k);
        if (d != 0)
            w.prepend(QString(digits.at(d)) + u);
        else if (QStringLiteral("兆亿万圆").contains(u))
            w.prepend(u);
        else
            w.prepend(u'零');
    }
    for (int m = int(std::nearbyint(w.size() / 2.0)); m > 0; --m)
        w.replace(QStringLiteral("零零"), QStringLiteral("零"));
    for (const char16_t *r : {u"零兆兆", u"零亿亿", u"零万万", u"零圆圆", u"兆亿兆", u"兆万兆", u"亿万亿"})
        w.replace(QString::fromUtf16(r, 2), QString::fromUtf16(r + 2, 1));
    for (int n = int(w.size()); n > 0; --n)
        if (!w.isEmpty() && QStringLiteral("圆万亿兆零").contains(w.at(0)))
            w.remove(0, 1);
    QString d;
    for (int k = 1; k <= f.size(); ++k)
        d += QString(digits.at(f.at(k - 1).digitValue())) + decUnits.at(k);
    d.replace(QStringLiteral("零角"), QString());
    d.replace(QStringLiteral("零分"), QStringLiteral("零"));
    d.replace(QStringLiteral("零厘"), QStringLiteral("零"));
    d.replace(QStringLiteral("角分"), QStringLiteral("角"));
    d.replace(QStringLiteral("角厘"), QStringLiteral("角"));
    d.replace(QStringLiteral("分厘"), QStringLiteral("分"));
    for (int m = int(std::nearbyint(d.size() / 2.0)); m > 0; --m)
        d.replace(QStringLiteral("零零"), QStringLiteral("零"));
    for (int n = int(d.size()); n > 0; --n) {
        if (!d.isEmpty() && QStringLiteral("厘分角零").contains(d.at(0)))
            d.remove(0, 1);
        if (d.endsWith(u'零'))
            d.chop(1);
    }
    QString r = w.isEmpty() ? d : d.isEmpty() ? w : d.mid(1, 1) == u"角" ? w + d : w + u'零' + d;
    if (r.endsWith(u'角') || r.endsWith(u'圆'))
        r += u'整';
    return r;
}

} // namespace

Q_DECLARE_METATYPE(words::WordsStatus)

void TestAmountWords::chinese_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<WordsStatus>("status");
    const auto ok = WordsStatus::Ok;

    // Eleven money columns read left to right, fen last.
    QTest::newRow("columns 1234.56") << "00000123456" << 2 << "壹仟贰佰叁拾肆圆伍角陆分" << ok;
    QTest::newRow("columns 100") << "00000010000" << 2 << "壹佰圆整" << ok;
    QTest::newRow("columns 1005.05") << "00000100505" << 2 << "壹仟零伍圆零伍分" << ok;
    QTest::newRow("columns 0.50") << "00000000050" << 2 << "伍角整" << ok;
    QTest::newRow("columns 1e8") << "10000000000" << 2 << "壹亿圆整" << ok;
    QTest::newRow("columns zero") << "00000000000" << 2 << "" << ok;
    // A plain digit string is read in fen.
    QTest::newRow("plain 5") << "5" << 2 << "伍分" << ok;
    QTest::newRow("plain 100") << "100" << 2 << "壹圆整" << ok;
    QTest::newRow("plain 10000") << "10000" << 2 << "壹佰圆整" << ok;
    QTest::newRow("plain 1000050") << "1000050" << 2 << "壹万圆伍角整" << ok;
    // With a point.
    QTest::newRow("1234.56") << "1234.56" << 2 << "壹仟贰佰叁拾肆圆伍角陆分" << ok;
    QTest::newRow("zero jiao spoken") << "1.05" << 2 << "壹圆零伍分" << ok;
    QTest::newRow("ten keeps one") << "10.5" << 2 << "壹拾圆伍角整" << ok;
    QTest::newRow("jiao only") << "0.5" << 2 << "伍角整" << ok;
    QTest::newRow("extra digits cut") << "12.345" << 2 << "壹拾贰圆叁角肆分" << ok;
    QTest::newRow("point, no fraction") << "7." << 2 << "柒圆整" << ok;
    QTest::newRow("blanks around") << " 5 " << 2 << "伍分" << ok;
    // Zeros inside the wan, yi and zhao groups.
    QTest::newRow("zero in wan group") << "1000100.00" << 2 << "壹佰万零壹佰圆整" << ok;
    QTest::newRow("empty wan group") << "100000001" << 0 << "壹亿零壹圆整" << ok;
    QTest::newRow("wan and units") << "10010" << 0 << "壹万零壹拾圆整" << ok;
    QTest::newRow("yi and wan") << "120030000" << 0 << "壹亿贰仟零叁万圆整" << ok;
    QTest::newRow("zhao alone") << "1000000000000" << 0 << "壹兆圆整" << ok;
    QTest::newRow("zhao and yuan") << "1000000000005" << 0 << "壹兆零伍圆整" << ok;
    // Sixteen integer digits are the most the units allow.
    QTest::newRow("16 digits") << "9999999999999999.99" << 2
                               << "玖仟玖佰玖拾玖兆玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万"
                                  "玖仟玖佰玖拾玖圆玖角玖分"
                               << ok;
    QTest::newRow("16 digits plain") << "100000000000000000" << 2 << "壹仟兆圆整" << ok;
    QTest::newRow("17 digits") << "12345678901234567" << 0 << "" << WordsStatus::TooManyDigits;
    QTest::newRow("17 digits plain") << "1234567890123456789" << 2 << ""
                                     << WordsStatus::TooManyDigits;
    // One to three decimal places.
    QTest::newRow("places 0") << "1234" << 0 << "壹仟贰佰叁拾肆圆整" << ok;
    QTest::newRow("places 1") << "1234" << 1 << "壹佰贰拾叁圆肆角整" << ok;
    QTest::newRow("places 3 li") << "1.005" << 3 << "壹圆零伍厘" << ok;
    QTest::newRow("places 3 jiao li") << "0.105" << 3 << "壹角零伍厘" << ok;
    QTest::newRow("places 3 short") << "5" << 3 << "伍厘" << ok;
    QTest::newRow("places 3 fen") << "2.01" << 3 << "贰圆零壹分" << ok;
    QTest::newRow("places 4") << "1.2345" << 4 << "" << WordsStatus::BadPlaces;
    QTest::newRow("places -1") << "1" << -1 << "" << WordsStatus::BadPlaces;
    // Not amounts.
    QTest::newRow("empty") << "" << 2 << "" << WordsStatus::NotNumeric;
    QTest::newRow("letters") << "12a" << 2 << "" << WordsStatus::NotNumeric;
    QTest::newRow("two points") << "1.2.3" << 2 << "" << WordsStatus::NotNumeric;
    QTest::newRow("negative") << "-5" << 2 << "" << WordsStatus::NotNumeric;
    QTest::newRow("point only") << "." << 2 << "" << WordsStatus::NotNumeric;
}

void TestAmountWords::chinese()
{
    QFETCH(QString, amount);
    QFETCH(int, places);
    QFETCH(QString, expected);
    QFETCH(WordsStatus, status);
    const words::WordsResult r = words::MoneyToChinese(amount, places);
    QCOMPARE(r.text, expected);
    QCOMPARE(r.status, status);
    QCOMPARE(r.message.isEmpty(), status == WordsStatus::Ok);
}

void TestAmountWords::english_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<WordsStatus>("status");
    const auto ok = WordsStatus::Ok;
    const QString only = QStringLiteral(" Only");

    QTest::newRow("zero columns") << "00000000000" << "" << ok;
    QTest::newRow("zero with point") << "0.00" << "" << ok;
    QTest::newRow("below a cent") << "0.001" << "" << ok;
    QTest::newRow("5") << "5" << "Five Dollars Only" << ok;
    QTest::newRow("1234.56")
        << "1234.56"
        << "One Thousand Two Hundred And Thirty-Four Dollars And Fifty-Six Cent Only" << ok;
    QTest::newRow("plural one") << "1.05" << "One Dollars And Five Cent Only" << ok;
    QTest::newRow("tenths") << "10.5" << "Ten Dollars And Fifty  Cent Only" << ok;
    QTest::newRow("100") << "100" << "One Hundred Dollars Only" << ok;
    QTest::newRow("100.00") << "100.00" << "One Hundred Dollars Only" << ok;
    QTest::newRow("cents only") << "0.5" << "Fifty  Cent Only" << ok;
    QTest::newRow("five cents") << ".05" << "Five Cent Only" << ok;
    QTest::newRow("10000") << "10000" << "Ten Thousand  Dollars Only" << ok;
    QTest::newRow("1000050") << "1000050" << "One Million  And Fifty  Dollars Only" << ok;
    QTest::newRow("thousand and") << "1015" << "One Thousand And Fifteen Dollars Only" << ok;
    QTest::newRow("leading zeros") << "000042" << "Forty-Two Dollars Only" << ok;
    QTest::newRow("millions")
        << "1234567.891"
        << "One Million Two Hundred And Thirty-Four Thousand Five Hundred And Sixty-Seven "
           "Dollars And Eighty-Nine Cent Only"
        << ok;
    QTest::newRow("billion") << "2000000001" << "Two Billion   And One Dollars Only" << ok;
    QTest::newRow("21 digits")
        << "100000000000000000000"
        << QStringLiteral("One Hundred Quintillion") + QString(7, u' ') + "Dollars" + only << ok;
    QTest::newRow("22 digits") << "1000000000000000000000" << "Overflow 21"
                               << WordsStatus::TooManyDigits;
    QTest::newRow("22 digits, zeros in front")
        << "0000000000000000000000000007" << "Seven Dollars Only" << ok;
    QTest::newRow("empty") << "" << "" << WordsStatus::NotNumeric;
    QTest::newRow("negative") << "-5" << "" << WordsStatus::NotNumeric;
    QTest::newRow("letters") << "5x" << "" << WordsStatus::NotNumeric;
}

void TestAmountWords::english()
{
    QFETCH(QString, amount);
    QFETCH(QString, expected);
    QFETCH(WordsStatus, status);
    const words::WordsResult r = words::MoneyToEnglish(amount);
    QCOMPARE(r.text, expected);
    QCOMPARE(r.status, status);
}

void TestAmountWords::groups_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("7") << 7 << "Seven";
    QTest::newRow("19") << 19 << "Nineteen";
    QTest::newRow("20") << 20 << "Twenty";
    QTest::newRow("21") << 21 << "Twenty-One";
    QTest::newRow("30") << 30 << "Thirty ";
    QTest::newRow("99") << 99 << "Ninety-Nine";
    QTest::newRow("100") << 100 << "One Hundred";
    QTest::newRow("101") << 101 << "One Hundred And One";
    QTest::newRow("120") << 120 << "One Hundred And Twenty";
    QTest::newRow("130") << 130 << "One Hundred And Thirty ";
    QTest::newRow("999") << 999 << "Nine Hundred And Ninety-Nine";
    QTest::newRow("1000") << 1000 << "";
    QTest::newRow("-3") << -3 << "";
}

void TestAmountWords::groups()
{
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(words::GroupToEnglish(value), expected);
}

// Many amounts, zeros-heavy, against the plain steps: the conversion skips
// work it can prove idle, and must still give the same words.
void TestAmountWords::chineseMatchesPlainSteps()
{
    QRandomGenerator random(20240611);
    for (int n = 0; n < 20000; ++n) {
        const int length = 1 + int(random.bounded(19));
        QString amount;
        for (int k = 0; k < length; ++k)
            amount += QChar(u'0' + (random.bounded(3) ? 0 : int(random.bounded(10))));
        if (random.bounded(3) == 0)
            amount.insert(int(random.bounded(length + 1)), u'.');
        const int places = int(random.bounded(4));
        const words::WordsResult r = words::MoneyToChinese(amount, places);
        if (r.status == WordsStatus::TooManyDigits)
            continue;
        QVERIFY2(r.ok(), qPrintable(amount));
        QCOMPARE(r.text, chineseBySteps(amount, places));
    }
}

QTEST_APPLESS_MAIN(TestAmountWords)
#include "tst_amountwords.moc"
