// The filling-in rules on a bill document: each test lays out a small bill
// in a registry, opens it as a document and changes fields as typing would.
#include "core/billdocument.h"
#include "core/billentry.h"
#include "core/exactamount.h"
#include "core/fillrules.h"
#include "core/moneylayout.h"
#include "core/textvalue.h"

#include <QtTest>

using Props = QList<QPair<int, QString>>;

namespace {

class Bill {
public:
    Bill()
    {
        registry.RegistryCtl(QStringLiteral("00000000"), {{0, QStringLiteral("票据"), QStringLiteral("bill")}}, 0,
                             FieldRegistry::Add);
    }

    // Adds a field of the kind with the properties (key 0 first; a money
    // field gets the highest unit of `columns` columns, none for 0: a
    // single box).
    QString add(int kind, const Props &props, int columns = 11)
    {
        const int slot = registry.count();
        const int index = m_counts[kind]++;
        const QString key = FieldKey::make(slot, kind, index);
        PropertyList list{{0, QStringLiteral("名称"), key}};
        if (kind == KindMoney && columns > 0)
            list.append({20, QString(), moneylayout::UnitNames().at(columns - 1)});
        for (const auto &[k, v] : props)
            list.append({qint16(k), QString(), v});
        registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        open();
        return key;
    }

    // (Re)opens the registry as the document, keeping what was entered.
    void open()
    {
        const Result<BillTemplate> t = BillTemplate::fromRegistry(registry);
        QVERIFY2(t.ok(), qPrintable(t.message()));
        doc.updateTemplate(t.value());
    }

    QString text(const QString &key) const { return doc.text(key); }
    void setText(const QString &key, const QString &t) { doc.setText(key, t); }
    // Types a date character by character, each added to what the box shows.
    void typeDate(const QString &key, const QString &typed)
    {
        for (const QChar c : typed)
            doc.setDateText(key, doc.text(key) + c);
    }
    // Sets a money field's columns from an amount's digits, right-aligned.
    void setDigits(const QString &key, const QString &digits)
    {
        QStringList columns(doc.columns(key).size(), QString());
        for (int i = 0; i < digits.size(); ++i)
            columns[columns.size() - digits.size() + i] = digits.at(i);
        doc.setColumns(key, columns);
    }

    FieldRegistry registry;
    BillDocument doc;

private:
    QMap<int, int> m_counts;
};

Props textProps(const QString &sumTarget, const QString &f1 = QStringLiteral("1"),
                const QString &f2 = QStringLiteral("1"))
{
    return {{6, "20"}, {11, ""}, {12, ""}, {13, ""}, {15, ""}, {16, ""}, {24, f1}, {25, f2}, {26, sumTarget}};
}

Props member(const QString &source, const QString &previous, int capacity,
             const QString &code = QStringLiteral("0102"), const QString &prefix = QString())
{
    return {{6, QString::number(capacity)}, {11, code}, {12, source}, {13, previous}, {15, prefix}, {16, ""}};
}

} // namespace

class TestFillRules : public QObject {
    Q_OBJECT
private slots:
    void limitsKeepCharactersWhole_data();
    void limitsKeepCharactersWhole();
    void exactArithmetic_data();
    void exactArithmetic();
    void sumIntoText_data();
    void sumIntoText();
    void sumIntoMoney_data();
    void sumIntoMoney();
    void sumTargetNotUsable();
    void amountChainSplitsAndShrinks();
    void amountChainPrefixAndGrouping();
    void textOverflowChainInAnyOrder();
    void moneyCopy_data();
    void moneyCopy();
    void dateFormatsAtMinimumLength();
    void dateCopyKeepsKey6Characters();
    void dateThatDoesNotExist_data();
    void dateThatDoesNotExist();
    void dateShortOfDigits_data();
    void dateShortOfDigits();
    void todaysDateFillsTypedDates();
    void singleBoxReadsYuan_data();
    void singleBoxReadsYuan();
    void cyclesFinish();
};

// Length limits and groups count the characters people see: an emoji, an
// emoji with its skin tone, a family joined by zero-width joiners and a
// letter with a combining accent are each one character, never cut apart.
void TestFillRules::limitsKeepCharactersWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("groupsOfTwo");
    const QString smile = QStringLiteral("😀");
    const QString thumb = QStringLiteral("👍🏽");
    const QString family = QStringLiteral("👨‍👩‍👧");
    const QString accent = QStringLiteral("e\u0301");
    QTest::newRow("emoji") << "ab" + smile + smile << 3 << "ab" + smile << "ab " + smile + smile + " ";
    QTest::newRow("skin tone") << "a" + thumb + "b" << 2 << "a" + thumb << "a" + thumb + " b ";
    QTest::newRow("joined family") << family + family << 1 << family << family + family + " ";
    QTest::newRow("combining accent") << "caf" + accent + "s" << 4 << "caf" + accent << "ca f" + accent + " s ";
    QTest::newRow("chinese") << QStringLiteral("上海浦江") << 3 << QStringLiteral("上海浦") << QStringLiteral("上海 浦江 ");
}

void TestFillRules::limitsKeepCharactersWhole()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, kept);
    QFETCH(QString, groupsOfTwo);
    QCOMPARE(textvalue::left(text, limit), kept);
    QVERIFY(QStringView(textvalue::left(text, limit)).isValidUtf16());
    QCOMPARE(fillrules::groupText(text, 2, 1), groupsOfTwo);
    QVERIFY(QStringView(fillrules::groupText(text, 2, 1)).isValidUtf16());
}

void TestFillRules::exactArithmetic_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("sum");
    QTest::newRow("tenths") << "0.10" << "0.20" << ".30";
    QTest::newRow("sixteen digits") << "9999999999999999.99" << "0.01" << "10000000000000000.00";
    QTest::newRow("half rounds up") << "0.004" << "0.001" << ".01";
    QTest::newRow("exponent") << "1e3" << "2.5" << "1002.50";
}

void TestFillRules::exactArithmetic()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, sum);
    const auto s = exact::add(*exact::parse(a), *exact::parse(b));
    QVERIFY(s);
    QCOMPARE(exact::formatHashDot00(*s), sum);
}

void TestFillRules::sumIntoText_data()
{
    QTest::addColumn<QStringList>("texts");   // contributing text fields
    QTest::addColumn<QStringList>("amounts"); // digits of contributing money fields
    QTest::addColumn<QString>("expected");
    QTest::newRow("half shows .50") << QStringList{"0.5"} << QStringList{} << "合计.50元";
    QTest::newRow("exact tenths") << QStringList{"0.1", "0.2"} << QStringList{} << "合计.30元";
    QTest::newRow("leading number") << QStringList{"12abc"} << QStringList{} << "合计12.00元";
    QTest::newRow("letters only") << QStringList{"abc"} << QStringList{} << "";
    QTest::newRow("all emptied") << QStringList{"", ""} << QStringList{"", ""} << "";
    QTest::newRow("money point inserted") << QStringList{"0.5"} << QStringList{"123450"} << "合计1235.00元";
    QTest::newRow("sixteen digits") << QStringList{"0.01"} << QStringList{"999999999999999999"}
                                    << "合计10000000000000000.00元";
}

void TestFillRules::sumIntoText()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, amounts);
    QFETCH(QString, expected);
    Bill bill;
    const QString target = FieldKey::make(1, KindText, 0);
    bill.add(KindText, {{6, "40"}, {15, "合计"}, {16, "元"}});
    QStringList textKeys;
    for (int i = 0; i < texts.size(); ++i)
        textKeys << bill.add(KindText, textProps(target));
    QStringList moneyKeys;
    for (int i = 0; i < amounts.size(); ++i)
        moneyKeys << bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, target}}, 18);
    // Fill in, then empty and refill, so the last change decides.
    for (int i = 0; i < texts.size(); ++i)
        bill.setText(textKeys[i], texts[i].isEmpty() ? QStringLiteral("7") : texts[i]);
    for (int i = 0; i < amounts.size(); ++i)
        bill.setDigits(moneyKeys[i], amounts[i].isEmpty() ? QStringLiteral("700") : amounts[i]);
    for (int i = 0; i < texts.size(); ++i)
        bill.setText(textKeys[i], texts[i]);
    for (int i = 0; i < amounts.size(); ++i)
        bill.setDigits(moneyKeys[i], amounts[i]);
    QCOMPARE(bill.text(target), expected);
}

void TestFillRules::sumIntoMoney_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("overflow");
    QTest::newRow("half") << "0.5" << QStringList{"", "", "5", "0"} << "";
    // Never cut: a sum longer than the columns shows as an overflow.
    QTest::newRow("too long for the columns") << "123456.78" << QStringList{"", "", "", ""} << "123456.78";
    QTest::newRow("inner zeros kept") << "100.05" << QStringList{"", "", "", ""} << "100.05";
    QTest::newRow("fits exactly") << "12.05" << QStringList{"1", "2", "0", "5"} << "";
    QTest::newRow("emptied") << "" << QStringList{"", "", "", ""} << "";
}

void TestFillRules::sumIntoMoney()
{
    QFETCH(QString, value);
    QFETCH(QStringList, columns);
    QFETCH(QString, overflow);
    Bill bill;
    const QString target = bill.add(KindMoney, {{6, "1"}, {12, ""}}, 4);
    const QString source = bill.add(KindText, textProps(target));
    bill.setText(source, QStringLiteral("99"));
    bill.setText(source, value);
    QCOMPARE(bill.doc.columns(target), columns);
    QCOMPARE(bill.doc.overflowOf(target), overflow);
    bool blocked = false;
    for (const BillProblem &p : bill.doc.problems())
        blocked = blocked || (p.kind == BillProblem::AmountTooLong && p.key == target);
    QCOMPARE(blocked, !overflow.isEmpty());
}

void TestFillRules::sumTargetNotUsable()
{
    Bill bill;
    const QString date = bill.add(KindDate, {{6, "8"}, {11, ""}, {12, ""}});
    const QString a = bill.add(KindText, textProps(QStringLiteral(" 0010700 ")));  // seven characters
    const QString b = bill.add(KindText, textProps(date));                          // a date target
    const QString c = bill.add(KindText, textProps(QStringLiteral("09907009")));    // no such field
    const QString d = bill.add(KindText, textProps(QStringLiteral("00107000")));    // slot 1 is a date
    for (const QString &k : {a, b, c, d})
        bill.setText(k, QStringLiteral("5"));
    QCOMPARE(bill.text(date), QString());
    QCOMPARE(bill.text(a), QStringLiteral("5"));
}

void TestFillRules::amountChainSplitsAndShrinks()
{
    Bill bill;
    const QString m = FieldKey::make(1, KindMoney, 0);
    bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, ""}}, 13);
    const QString t1 = bill.add(KindText, member(m, m, 10));
    const QString t2 = bill.add(KindText, member(m, t1, 10));
    const QString t3 = bill.add(KindText, member(m, t2, 10));
    bill.setDigits(m, QStringLiteral("1023456789123"));
    const QString words = bill.doc.moneyChinese(m);
    QCOMPARE(words.size(), 25);
    QCOMPARE(bill.text(t1), words.mid(0, 10));
    QCOMPARE(bill.text(t2), words.mid(10, 10));
    QCOMPARE(bill.text(t3), words.mid(20));
    bill.setDigits(m, QStringLiteral("1234"));
    QCOMPARE(bill.doc.moneyChinese(m).size(), 8);
    QCOMPARE(bill.text(t1), bill.doc.moneyChinese(m));
    QCOMPARE(bill.text(t2), QString());
    QCOMPARE(bill.text(t3), QString());
}

void TestFillRules::amountChainPrefixAndGrouping()
{
    Bill bill;
    const QString m = FieldKey::make(1, KindMoney, 0);
    bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, ""}}, 11);
    const QString head = bill.add(KindText, member(m, m, 10, QStringLiteral("0102"), QStringLiteral("人民币")));
    const QString next = bill.add(KindText, member(m, head, 10));
    const QString blank = bill.add(KindText, member(m, m, 6, QStringLiteral("0101"), QStringLiteral("  ")));
    const QString grouped = bill.add(KindText, member(m, m, 20, QStringLiteral("0100010300")));
    const QString negative = bill.add(KindText, member(m, m, 2, QStringLiteral("0102"), QStringLiteral("人民币")));
    bill.setDigits(m, QStringLiteral("1234567"));
    const QString words = bill.doc.moneyChinese(m);
    QCOMPARE(bill.text(head), "人民币" + words.left(7));
    QCOMPARE(bill.text(next), words.mid(7, 10));
    QCOMPARE(bill.text(blank), QStringLiteral("12345.67").left(4));
    QCOMPARE(bill.text(grouped), QStringLiteral("1234 567 "));
    QCOMPARE(bill.text(negative), QString());
    bill.setDigits(m, QStringLiteral("5"));
    QCOMPARE(bill.text(blank), QStringLiteral("0.05"));
}

void TestFillRules::textOverflowChainInAnyOrder()
{
    Bill bill;
    const QString s = FieldKey::make(3, KindText, 2);
    const QString second = bill.add(KindText, member(s, FieldKey::make(2, KindText, 1), 5, ""));
    const QString first = bill.add(KindText, member(s, s, 7, "", QStringLiteral("> ")));
    bill.add(KindText, textProps(QString()));
    bill.setText(s, QStringLiteral("ABCDEFGHIJKLMNO"));
    QCOMPARE(bill.text(first), QStringLiteral("> ABCDE"));
    QCOMPARE(bill.text(second), QStringLiteral("FGHIJ"));
    bill.setText(s, QStringLiteral("ABC"));
    QCOMPARE(bill.text(first), QStringLiteral("> ABC"));
    QCOMPARE(bill.text(second), QString());
}

void TestFillRules::moneyCopy_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("zero empties") << "0" << QStringList{"", "", "", ""};
    QTest::newRow("fits") << "1205" << QStringList{"1", "2", "0", "5"};
    QTest::newRow("too long: nothing cut") << "1000500" << QStringList{"", "", "", ""};
    QTest::newRow("short") << "50" << QStringList{"", "", "5", "0"};
}

void TestFillRules::moneyCopy()
{
    QFETCH(QString, digits);
    QFETCH(QStringList, columns);
    Bill bill;
    const QString m = bill.add(KindMoney, {{6, "1"}, {12, ""}, {26, ""}}, 11);
    const QString copy = bill.add(KindMoney, {{6, "1"}, {12, m}, {26, ""}}, 4);
    const QString noLength = bill.add(KindMoney, {{12, m}}, 4);
    bill.setDigits(m, QStringLiteral("9999"));
    bill.setDigits(m, digits == QLatin1String("0") ? QString() : digits);
    QCOMPARE(bill.doc.columns(copy), columns);
    QCOMPARE(bill.doc.overflowOf(copy).isEmpty(), digits.size() <= 4);
    QCOMPARE(bill.doc.columns(noLength), QStringList(4, QString()));
}

void TestFillRules::dateFormatsAtMinimumLength()
{
    Bill bill;
    const QString month = bill.add(KindDate, {{6, "8"}, {11, "02000001000000"}, {12, ""}});
    const QString full = bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    const QString shortMonth = bill.add(KindDate, {{6, "8"}, {11, "02000004000000"}, {12, ""}});
    bill.typeDate(month, QStringLiteral("1"));
    QCOMPARE(bill.text(month), QStringLiteral("1"));
    bill.typeDate(month, QStringLiteral("2"));
    QCOMPARE(bill.text(month), QStringLiteral("12"));
    bill.typeDate(full, QStringLiteral("2024010"));
    QCOMPARE(bill.text(full), QStringLiteral("2024010"));
    bill.typeDate(full, QStringLiteral("5"));
    QCOMPARE(bill.text(full), QStringLiteral("贰零贰肆年零壹月零伍日"));
    // A month in short capitals waits for its second digit: 12, not 壹2.
    bill.typeDate(shortMonth, QStringLiteral("1"));
    QCOMPARE(bill.text(shortMonth), QStringLiteral("1"));
    bill.typeDate(shortMonth, QStringLiteral("2"));
    QCOMPARE(bill.text(shortMonth), QStringLiteral("拾贰"));
    // Longer than key 6: never formatted.
    const QString n = bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    bill.doc.setDateText(n, QStringLiteral("202401051"));
    QCOMPARE(bill.text(n), QStringLiteral("202401051"));
}

void TestFillRules::dateCopyKeepsKey6Characters()
{
    Bill bill;
    const QString d = FieldKey::make(2, KindDate, 1);
    const QString before = bill.add(KindDate, {{6, "4"}, {11, "01010000000000"}, {12, d}});
    bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    const QString after = bill.add(KindDate, {{6, "8"}, {11, "04010501060107"}, {12, d}});
    bill.typeDate(d, QStringLiteral("20240105"));
    QCOMPARE(bill.text(d), QStringLiteral("贰零贰肆年零壹月零伍日"));
    // The copy before the source takes the typed digits first, then, from
    // the source's run on its formatted text, the first four characters of
    // that; the copy after it ends with the digits and formats them itself.
    QCOMPARE(bill.text(before), QStringLiteral("贰零贰肆"));
    QCOMPARE(bill.text(after), QStringLiteral("2024年01月05日"));
    bill.doc.setDateText(d, QString());
    QCOMPARE(bill.text(before), QString());
}

void TestFillRules::dateThatDoesNotExist_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("real");
    QTest::newRow("30 February") << "04010501060107" << "20260230" << false;
    QTest::newRow("month 13") << "04010501060107" << "20261399" << false;
    QTest::newRow("29 February of a leap year") << "04010501060107" << "20240229" << true;
    QTest::newRow("month alone 13") << "02000001000000" << "13" << false;
    QTest::newRow("day alone 32") << "03000000000100" << "32" << false;
    QTest::newRow("day alone 31") << "03000000000100" << "31" << true;
}

// A date that does not exist is never formatted into a wrong or half-empty
// date: it stays as typed and the bill reports it.
void TestFillRules::dateThatDoesNotExist()
{
    QFETCH(QString, style);
    QFETCH(QString, typed);
    QFETCH(bool, real);
    Bill bill;
    const QString d = bill.add(KindDate, {{6, "8"}, {11, style}, {12, ""}});
    bill.typeDate(d, typed);
    QCOMPARE(bill.doc.isNoSuchDate(d), !real);
    if (!real)
        QCOMPARE(bill.text(d), typed);
    QCOMPARE(bill.doc.problems().size(), real ? 0 : 1);
}

void TestFillRules::dateShortOfDigits_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("incomplete");
    QTest::newRow("year and month of a whole date") << "04010501060107" << "8" << "202612" << true;
    QTest::newRow("year alone of a whole date") << "04010501060107" << "8" << "2026" << true;
    QTest::newRow("whole date") << "04010501060107" << "8" << "20261208" << false;
    QTest::newRow("one digit of a two-digit month") << "02000001000000" << "2" << "1" << true;
    QTest::newRow("two-digit month") << "02000001000000" << "2" << "12" << false;
    QTest::newRow("box too short for a whole date") << "04010501060107" << "6" << "202612" << false;
    QTest::newRow("nothing typed") << "04010501060107" << "8" << "" << false;
}

// Digits short of a whole date stay unformatted; the bill reports them
// rather than print 202612 on a cheque.
void TestFillRules::dateShortOfDigits()
{
    QFETCH(QString, style);
    QFETCH(QString, room);
    QFETCH(QString, typed);
    QFETCH(bool, incomplete);
    Bill bill;
    const QString d = bill.add(KindDate, {{6, room}, {11, style}, {12, ""}});
    bill.typeDate(d, typed);
    QCOMPARE(bill.doc.isIncompleteDate(d), incomplete);
    const QList<BillProblem> problems = bill.doc.problems();
    QCOMPARE(problems.size(), incomplete ? 1 : 0);
    if (incomplete) {
        QCOMPARE(problems.first().kind, BillProblem::IncompleteDate);
        QVERIFY(problems.first().blocks());
        QCOMPARE(bill.text(d), typed);
    }
}

// Today's date goes into the dates a clerk types (each in its own form),
// never into a copy (which follows its source) nor over a typed date.
void TestFillRules::todaysDateFillsTypedDates()
{
    Bill bill;
    const QString full = bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    const QString copy = bill.add(KindDate, {{6, "8"}, {11, "04010501060107"}, {12, full}});
    const QString month = bill.add(KindDate, {{6, "2"}, {11, "02000001000000"}, {12, ""}});
    const QString typed = bill.add(KindDate, {{6, "8"}, {11, "04010501060107"}, {12, ""}});
    bill.typeDate(typed, QStringLiteral("20240105"));
    entry::fillDate(bill.doc, QDate(2026, 12, 7));
    QCOMPARE(bill.text(full), QStringLiteral("贰零贰陆年壹拾贰月零柒日"));
    QCOMPARE(bill.text(copy), QStringLiteral("2026年12月07日"));
    QCOMPARE(bill.text(month), QStringLiteral("12"));
    QCOMPARE(bill.text(typed), QStringLiteral("2024年01月05日"));
}

void TestFillRules::singleBoxReadsYuan_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QStringList>("copy");
    QTest::addColumn<QString>("sum");
    QTest::newRow("whole number") << "100" << "壹佰圆整" << "One Hundred Dollars Only"
                                  << QStringList{"1", "0", "0", "0", "0"} << "100.00";
    QTest::newRow("with a point") << "12.5" << "壹拾贰圆伍角整" << "Twelve Dollars And Fifty  Cent Only"
                                  << QStringList{"", "1", "2", "5", "0"} << "12.50";
    QTest::newRow("empty") << "" << "" << "" << QStringList(5, QString()) << "";
}

// A single box (no highest unit) reads what is typed as yuan everywhere:
// words, copies and sums agree with the printed number.
void TestFillRules::singleBoxReadsYuan()
{
    QFETCH(QString, typed);
    QFETCH(QString, chinese);
    QFETCH(QString, english);
    QFETCH(QStringList, copy);
    QFETCH(QString, sum);
    Bill bill;
    const QString total = FieldKey::make(1, KindText, 0);
    bill.add(KindText, {{6, "40"}, {15, ""}, {16, ""}});
    const QString box = bill.add(KindMoney, {{6, "20"}, {26, total}}, 0);
    const QString target = bill.add(KindMoney, {{6, "1"}, {12, box}}, 5);
    bill.doc.setColumns(box, {typed});
    QCOMPARE(bill.doc.moneyChinese(box), chinese);
    QCOMPARE(bill.doc.moneyEnglish(box), english);
    QCOMPARE(bill.doc.columns(target), copy);
    QCOMPARE(bill.text(total), sum);
}

void TestFillRules::cyclesFinish()
{
    Bill bill;
    // A text field that is its own sum target, doubling what it holds.
    const QString self = FieldKey::make(1, KindText, 0);
    bill.add(KindText, {{6, "20"}, {15, ""}, {16, ""}, {24, "2"}, {25, "1"}, {26, self}});
    // Two money fields copying each other.
    const QString a = FieldKey::make(2, KindMoney, 0);
    const QString b = FieldKey::make(3, KindMoney, 1);
    bill.add(KindMoney, {{6, "1"}, {12, b}, {26, ""}}, 4);
    bill.add(KindMoney, {{6, "1"}, {12, a}, {26, ""}}, 4);
    // A chain head, two members that name each other, and an overflow
    // member of the self-summing field.
    const QString t2 = FieldKey::make(5, KindText, 2);
    const QString t3 = FieldKey::make(6, KindText, 3);
    const QString t1 = bill.add(KindText, member(a, a, 1, QStringLiteral("0100010009")));
    bill.add(KindText, member(a, t3, 1, QStringLiteral("0100010009")));
    bill.add(KindText, member(a, t2, 1, QStringLiteral("0100010009")));
    bill.add(KindText, member(self, self, 1, ""));
    bill.setText(self, QStringLiteral("3"));
    QCOMPARE(bill.text(self), QStringLiteral("6.00"));
    bill.setDigits(a, QStringLiteral("1234"));
    QCOMPARE(bill.doc.columns(b), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(bill.text(t1), QStringLiteral("1"));
    QCOMPARE(bill.text(t2), QString());
    QCOMPARE(bill.text(t3), QString());
    QVERIFY(bill.doc.rules().cutCount() > 0);
}

QTEST_MAIN(TestFillRules)
#include "tst_fillrules.moc"
