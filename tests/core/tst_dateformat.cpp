#include "core/dateformat.h"

#include <QTest>

using namespace dateformat;

class TestDateFormat : public QObject
{
    Q_OBJECT
private slots:
    void wholeDate_data();
    void wholeDate();
    void yearCodes_data();
    void yearCodes();
    void monthCodes_data();
    void monthCodes();
    void dayCodes_data();
    void dayCodes();
    void ordersAndSeparators_data();
    void ordersAndSeparators();
    void styleCodeReading_data();
    void styleCodeReading();
};

void TestDateFormat::wholeDate_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QString>("shown");

    QTest::newRow("figures with 年月日") << "04010501060107" << "20261206" << true << u"2026年12月06日"_qs;
    QTest::newRow("cheque capitals") << "04050503060307" << "20260305" << true
                                     << u"贰零贰陆年零叁月零伍日"_qs;
    QTest::newRow("cheque short month and day") << "04050504060407" << "20260305" << true
                                                << u"贰零贰陆年叁月伍日"_qs;
    QTest::newRow("cheque ten and twenty") << "04050503060307" << "20261020" << true
                                           << u"贰零贰陆年零壹拾月零贰拾日"_qs;
    QTest::newRow("English month first") << "06019907000103" << "20261206" << true
                                         << "December 06,2026";
    QTest::newRow("month only, short name") << "02000008000000" << "12" << true << "Dec";
    QTest::newRow("day first with dashes") << "05010102010201" << "20260705" << true << "5-7-2026-";
    QTest::newRow("lower-case Chinese") << "04090506060607" << "20261231" << true
                                        << u"二○二六年十二月三十一日"_qs;
    QTest::newRow("order 7 shows nothing") << "07010501060107" << "20261206" << true << "";
    QTest::newRow("order 0 shows nothing") << "00010501060107" << "20261206" << true << "";
    // A date typed only in part: missing parts are empty, separators stay.
    QTest::newRow("year typed so far") << "04010501060107" << "2026" << true << u"2026年月26日"_qs;
    QTest::newRow("month 13 empty, day kept") << "04010501060107" << "20261306" << true
                                              << u"2026年月06日"_qs;
    QTest::newRow("day 32 empty") << "04010501060107" << "20261232" << true << u"2026年12月日"_qs;
    QTest::newRow("letters") << "04010501060107" << "2026a206" << false << "";
    QTest::newRow("empty") << "04010501060107" << "" << false << "";
    QTest::newRow("dashes typed") << "04010501060107" << "2026-12-06" << false << "";
    QTest::newRow("sign") << "01010000000000" << "+2026" << false << "";
    QTest::newRow("decimal point") << "02000001000000" << "1.5" << false << "";
    QTest::newRow("blanks around") << "01010000000000" << " 2026" << false << "";
}

void TestDateFormat::wholeDate()
{
    QFETCH(QString, style);
    QFETCH(QString, digits);
    QFETCH(bool, numeric);
    QFETCH(QString, shown);
    const std::optional<QString> result = FormatDate(style, digits);
    QCOMPARE(result.has_value(), numeric);
    if (numeric)
        QCOMPARE(*result, shown);
}

void TestDateFormat::yearCodes_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    const QStringList for2026 = {"",         "2026",        "026",   "26",
                                 "6",        u"贰零贰陆"_qs, u"零贰陆"_qs, u"贰陆"_qs,
                                 u"陆"_qs,   u"二○二六"_qs, u"○二六"_qs, u"二六"_qs,
                                 u"六"_qs,   ""};
    for (int code = 0; code <= 13; ++code)
        QTest::addRow("2026 code %d", code) << "2026" << code << for2026.at(code);
    QTest::newRow("short year, last three") << "26" << 2 << "26";
    QTest::newRow("five digits as typed") << "12345" << 1 << "12345";
    QTest::newRow("five digits, last two") << "12345" << 3 << "45";
    QTest::newRow("five digits, no capitals") << "12345" << 5 << "";
    QTest::newRow("five digits, no lower") << "12345" << 11 << "";
    QTest::newRow("year 0") << "0" << 9 << u"○"_qs;
    QTest::newRow("not numeric") << "20a6" << 1 << "";
    QTest::newRow("empty") << "" << 1 << "";
}

void TestDateFormat::yearCodes()
{
    QFETCH(QString, year);
    QFETCH(int, code);
    QFETCH(QString, expected);
    QCOMPARE(FormatYear(year, code), expected);
}

void TestDateFormat::monthCodes_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<QString, QStringList>> table = {
        {"01", {"01", "1", u"零壹"_qs, u"壹"_qs, u"○一"_qs, u"一"_qs, "January", "Jan"}},
        {"10", {"10", "10", u"零壹拾"_qs, u"拾"_qs, u"一十"_qs, u"十"_qs, "October", "Oct"}},
        {"11", {"11", "11", u"壹拾壹"_qs, u"拾壹"_qs, u"一十一"_qs, u"十一"_qs, "November", "Nov"}},
        {"12", {"12", "12", u"壹拾贰"_qs, u"拾贰"_qs, u"一十二"_qs, u"十二"_qs, "December", "Dec"}},
        {"13", {"", "", "", "", "", "", "", ""}},
    };
    for (const auto &[month, forms] : table) {
        for (int code = 1; code <= 8; ++code)
            QTest::addRow("%s code %d", qPrintable(month), code) << month << code << forms.at(code - 1);
        QTest::addRow("%s code 9", qPrintable(month)) << month << 9 << "";
    }
    QTest::newRow("single digit typed") << "5" << 4 << u"伍"_qs;
    QTest::newRow("month 00 digit by digit") << "00" << 3 << u"零零"_qs;
    QTest::newRow("month 00 has no name") << "00" << 7 << "";
    QTest::newRow("not numeric") << "1x" << 1 << "";
}

void TestDateFormat::monthCodes()
{
    QFETCH(QString, month);
    QFETCH(int, code);
    QFETCH(QString, expected);
    QCOMPARE(FormatMonth(month, code), expected);
}

void TestDateFormat::dayCodes_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<QString, QStringList>> table = {
        {"01", {"01", "1", u"零壹"_qs, u"壹"_qs, u"○一"_qs, u"一"_qs}},
        {"10", {"10", "10", u"零壹拾"_qs, u"拾"_qs, u"一十"_qs, u"十"_qs}},
        {"11", {"11", "11", u"壹拾壹"_qs, u"拾壹"_qs, u"一十一"_qs, u"十一"_qs}},
        {"20", {"20", "20", u"零贰拾"_qs, u"贰拾"_qs, u"二十"_qs, u"二十"_qs}},
        {"21", {"21", "21", u"贰拾壹"_qs, u"贰拾壹"_qs, u"二十一"_qs, u"二十一"_qs}},
        {"30", {"30", "30", u"零叁拾"_qs, u"叁拾"_qs, u"三十"_qs, u"三十"_qs}},
        {"31", {"31", "31", u"叁拾壹"_qs, u"叁拾壹"_qs, u"三十一"_qs, u"三十一"_qs}},
        {"32", {"", "", "", "", "", ""}},
    };
    for (const auto &[day, forms] : table) {
        for (int code = 1; code <= 6; ++code)
            QTest::addRow("%s code %d", qPrintable(day), code) << day << code << forms.at(code - 1);
        QTest::addRow("%s code 7", qPrintable(day)) << day << 7 << "";
    }
    QTest::newRow("day 05 full lower") << "05" << 5 << u"○五"_qs;
    QTest::newRow("day 05 short capital") << "05" << 4 << u"伍"_qs;
    QTest::newRow("day 00 digit by digit") << "00" << 5 << u"○○"_qs;
}

void TestDateFormat::dayCodes()
{
    QFETCH(QString, day);
    QFETCH(int, code);
    QFETCH(QString, expected);
    QCOMPARE(FormatDay(day, code), expected);
}

void TestDateFormat::ordersAndSeparators_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("expected");
    const QStringList seps = {" ", "-", "/", ",", ".", u"年"_qs, u"月"_qs, u"日"_qs};
    for (int order = 4; order <= 6; ++order) {
        for (int sep : {0, 1, 2, 3, 4, 5, 6, 7, 8, 99}) {
            const QString s = sep < 8 ? seps.at(sep) : QString();
            // Year as typed, month without its zero, day as typed.
            const QString style = QStringLiteral("%1%2%3%4%5%6%7")
                                      .arg(order, 2, 10, QLatin1Char('0'))
                                      .arg(QStringLiteral("01"))
                                      .arg(sep, 2, 10, QLatin1Char('0'))
                                      .arg(QStringLiteral("02"))
                                      .arg(sep, 2, 10, QLatin1Char('0'))
                                      .arg(QStringLiteral("01"))
                                      .arg(sep, 2, 10, QLatin1Char('0'));
            const QString y = "2026" + s, m = "3" + s, d = "09" + s;
            const QString expected = order == 4 ? y + m + d : order == 5 ? d + m + y : m + d + y;
            QTest::addRow("order %d separator %d", order, sep) << style << expected;
        }
    }
}

void TestDateFormat::ordersAndSeparators()
{
    QFETCH(QString, style);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(style, QStringLiteral("20260309")).value_or("<unchanged>"), expected);
}

void TestDateFormat::styleCodeReading_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("expected");
    QTest::newRow("year only, no separator") << "01010501060107" << "2026" << "2026";
    QTest::newRow("day only") << "03000000000300" << "09" << u"零玖"_qs;
    QTest::newRow("unknown year code keeps its separator") << "04990501060107" << "20261206"
                                                           << u"年12月06日"_qs;
    QTest::newRow("code cut short") << "040105010601" << "20261206" << u"2026年12月06"_qs;
    QTest::newRow("letters in a pair") << "0401x501060107" << "20261206" << u"202612月06日"_qs;
    QTest::newRow("empty code") << "" << "20261206" << "";
}

void TestDateFormat::styleCodeReading()
{
    QFETCH(QString, style);
    QFETCH(QString, digits);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(style, digits).value_or("<unchanged>"), expected);
}

QTEST_APPLESS_MAIN(TestDateFormat)
#include "tst_dateformat.moc"
