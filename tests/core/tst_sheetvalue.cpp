// Spreadsheet cells as the text a clerk would have typed: numbers through
// decimal text (never binary floating point), the decimals a format shows,
// date serials in both date systems, format codes and escaped characters.
#include "core/sheetvalue.h"

#include <QtTest>

using namespace sheetvalue;
using Kind = NumberFormat::Kind;

Q_DECLARE_METATYPE(NumberFormat)

class TestSheetValue : public QObject {
    Q_OBJECT
private slots:
    void numbers_data();
    void numbers();
    void doublesThroughShortestText_data();
    void doublesThroughShortestText();
    void formatCodes_data();
    void formatCodes();
    void serials_data();
    void serials();
    void escapes();
};

void TestSheetValue::numbers_data()
{
    QTest::addColumn<QString>("stored"); // as the file holds it
    QTest::addColumn<NumberFormat>("format");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");
    const NumberFormat general{}, twoPlaces{Kind::Fixed, 2}, none{Kind::Fixed, 0}, percent{Kind::Percent, 0};
    QTest::newRow("1234.1 shown with two places") << "1234.1" << twoPlaces << "1234.10" << false;
    QTest::newRow("1234.1 as it is") << "1234.1" << general << "1234.1" << false;
    QTest::newRow("0.1 + 0.2 cached by a formula") << "0.30000000000000004" << general << "0.3" << false;
    QTest::newRow("0.1 + 0.2, two places") << "0.30000000000000004" << twoPlaces << "0.30" << false;
    QTest::newRow("1357.95 * 2 in binary") << "2715.8999999999996" << general << "2715.9" << false;
    QTest::newRow("half a fen rounds up") << "1234.565" << twoPlaces << "1234.57" << false;
    QTest::newRow("below half stays") << "1234.5649999" << twoPlaces << "1234.56" << false;
    QTest::newRow("carry through nines") << "999.995" << twoPlaces << "1000.00" << false;
    QTest::newRow("three places as it is") << "1234.567" << general << "1234.567" << false;
    QTest::newRow("no places shows whole") << "1234.5" << none << "1235" << false;
    QTest::newRow("negative") << "-5.5" << twoPlaces << "-5.50" << false;
    QTest::newRow("exponent") << "1.5E-2" << twoPlaces << "0.02" << false;
    QTest::newRow("exponent up") << "6.2225E+7" << general << "62225000" << false;
    QTest::newRow("tiny rounds to zero") << "0.001" << twoPlaces << "0.00" << false;
    QTest::newRow("percent") << "0.05" << percent << "5%" << false;
    QTest::newRow("account as a number, 15 digits") << "622202100100123" << general << "622202100100123" << false;
    QTest::newRow("account past 15 digits lost its tail")
        << "6.2220210010012301E+18" << general << "6222021001001230000" << true;
}

void TestSheetValue::numbers()
{
    QFETCH(QString, stored);
    QFETCH(NumberFormat, format);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    const std::optional<Decimal> d = Decimal::parse(stored);
    QVERIFY(d);
    const NumberText t = numberText(*d, format, false);
    QCOMPARE(t.text, shown);
    QCOMPARE(!t.refusal.isEmpty(), refused);
}

void TestSheetValue::doublesThroughShortestText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
    QTest::newRow("1234.1") << 1234.1 << "1234.1";
    QTest::newRow("1234.56 * 100 / 100") << 1234.56 * 100 / 100 << "1234.56";
    QTest::newRow("big whole") << 98765432109.0 << "98765432109";
    QTest::newRow("small") << 0.000001 << "0.000001";
}

// An Excel 97-2003 cell holds a double: its shortest round-trip text, then
// the same decimal rounding as a number read from XML.
void TestSheetValue::doublesThroughShortestText()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(numberText(Decimal::fromDouble(value), {}, false).text, shown);
}

void TestSheetValue::formatCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("decimals");
    QTest::newRow("general") << "General" << int(Kind::General) << 0;
    QTest::newRow("0.00") << "0.00" << int(Kind::Fixed) << 2;
    QTest::newRow("grouped with red negatives") << "#,##0.00_);[Red]\\(#,##0.00\\)" << int(Kind::Fixed) << 2;
    QTest::newRow("yuan") << "\"¥\"#,##0.00;\"¥\"\\-#,##0.00" << int(Kind::Fixed) << 2;
    QTest::newRow("whole") << "#,##0" << int(Kind::Fixed) << 0;
    QTest::newRow("percent") << "0.0%" << int(Kind::Percent) << 1;
    QTest::newRow("iso date") << "yyyy-mm-dd" << int(Kind::Date) << 0;
    QTest::newRow("chinese date") << "[$-804]yyyy\"年\"m\"月\"d\"日\";@" << int(Kind::Date) << 0;
    QTest::newRow("month alone") << "mmmm" << int(Kind::Date) << 0;
    QTest::newRow("time") << "h:mm" << int(Kind::Time) << 0;
    QTest::newRow("elapsed") << "[h]:mm" << int(Kind::Time) << 0;
    QTest::newRow("text") << "@" << int(Kind::General) << 0;
    QTest::newRow("scientific") << "0.00E+00" << int(Kind::General) << 0;
    QTest::newRow("quoted d is text") << "0.00\" dd\"" << int(Kind::Fixed) << 2;
}

void TestSheetValue::formatCodes()
{
    QFETCH(QString, code);
    QFETCH(int, kind);
    QFETCH(int, decimals);
    const NumberFormat f = formatOf(code);
    QCOMPARE(int(f.kind), kind);
    QCOMPARE(f.decimals, decimals);
    // Built-in numbers: 2 is "0.00", 14 a date, 49 text.
    QCOMPARE(builtinFormat(2).decimals, 2);
    QCOMPARE(int(builtinFormat(14).kind), int(Kind::Date));
    QCOMPARE(int(builtinFormat(49).kind), int(Kind::General));
}

void TestSheetValue::serials_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");
    QTest::newRow("1900: day 1") << "1" << false << "1900-01-01" << false;
    QTest::newRow("1900: 28 February") << "59" << false << "1900-02-28" << false;
    QTest::newRow("1900: the day that never was") << "60" << false << "1900-02-29" << true;
    QTest::newRow("1900: 1 March") << "61" << false << "1900-03-01" << false;
    QTest::newRow("1900: a cheque's date") << "46363" << false << "2026-12-07" << false;
    QTest::newRow("1900: with a time") << "46363.75" << false << "2026-12-07" << false;
    QTest::newRow("1904: day 0") << "0" << true << "1904-01-01" << false;
    QTest::newRow("1904: a cheque's date") << "44901" << true << "2026-12-07" << false;
    QTest::newRow("1900: zero is no day") << "0" << false << "0" << true;
    QTest::newRow("negative") << "-1" << false << "-1" << true;
    QTest::newRow("past 9999") << "2958466" << false << "2958466" << true;
}

void TestSheetValue::serials()
{
    QFETCH(QString, serial);
    QFETCH(bool, date1904);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    const NumberText t = numberText(*Decimal::parse(serial), {Kind::Date, 0}, date1904);
    QCOMPARE(t.text, shown);
    QCOMPARE(!t.refusal.isEmpty(), refused);
}

void TestSheetValue::escapes()
{
    QCOMPARE(decodeEscapes(QStringLiteral("甲_x000D__x000A_乙")), QStringLiteral("甲\r\n乙"));
    QCOMPARE(decodeEscapes(QStringLiteral("a_x005F_x0041_b")), QStringLiteral("a_x0041_b"));
    QCOMPARE(decodeEscapes(QStringLiteral("_xZZZZ_ and _x41_")), QStringLiteral("_xZZZZ_ and _x41_"));
}

QTEST_GUILESS_MAIN(TestSheetValue)
#include "tst_sheetvalue.moc"
