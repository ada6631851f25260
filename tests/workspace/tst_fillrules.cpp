// The filling-in rules driven through real field controls (offscreen): each
// test lays out a small bill in the registry, gives every field a control
// with its key, and changes fields as typing would.
#include "core/appstate.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/designctl.h"
#include "core/exactamount.h"
#include "workspace/fieldcontrols.h"
#include "workspace/fillrules.h"

#include <QLineEdit>
#include <QtTest>

using Props = QList<QPair<int, QString>>;

namespace {

// A bill on a hidden host: registry records with their controls.
class Bill {
public:
    Bill()
    {
        controls.init(&host);
        rules = std::make_unique<FillRules>(state, controls);
        state.Registry.RegistryCtl(QStringLiteral("00000000"), {{0, QStringLiteral("票据"), QStringLiteral("bill")}}, 0,
                                   FieldRegistry::Add);
    }

    // Adds a field of the kind with the properties (key 0 added first).
    QString add(int kind, const Props &props, int columns = 11)
    {
        const int slot = state.Registry.count();
        const int index = m_counts[kind]++;
        const QString key = FieldKey::make(slot, kind, index);
        PropertyList list{{0, QStringLiteral("名称"), key}};
        for (const auto &[k, v] : props)
            list.append({qint16(k), QString(), v});
        state.Registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        QWidget *control = nullptr;
        if (kind == KindText)
            control = controls.texts.create(index, &host);
        else if (kind == KindDate)
            control = controls.dates.create(index, &host);
        else if (kind == KindMoney) {
            MoneyCtl *m = controls.moneys.create(index, &host);
            m->UserSetMoneyCount(columns);
            control = m;
        }
        opening::setControlTag(control, key);
        rules->connectField(kind, index, control);
        return key;
    }

    TextCtl *text(const QString &key) { return controls.texts.at(FieldKey::parse(key)->index); }
    DateCtl *date(const QString &key) { return controls.dates.at(FieldKey::parse(key)->index); }
    MoneyCtl *money(const QString &key) { return controls.moneys.at(FieldKey::parse(key)->index); }

    // Sets a money field's columns from an amount's digits, right-aligned.
    void setDigits(const QString &key, const QString &digits)
    {
        MoneyCtl *m = money(key);
        QStringList columns(m->UserGetMoneyCount(), QString());
        for (int i = 0; i < digits.size(); ++i)
            columns[columns.size() - digits.size() + i] = digits.at(i);
        m->UserSetMoneyText(columns);
    }

    AppState state;
    QWidget host;
    FieldControls controls;
    std::unique_ptr<FillRules> rules;

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
    void columnPositionsWriteKeys();
    void cyclesFinish();
};

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
        bill.text(textKeys[i])->UserSetTextBox(texts[i].isEmpty() ? QStringLiteral("7") : texts[i]);
    for (int i = 0; i < amounts.size(); ++i)
        bill.setDigits(moneyKeys[i], amounts[i].isEmpty() ? QStringLiteral("700") : amounts[i]);
    for (int i = 0; i < texts.size(); ++i)
        bill.text(textKeys[i])->UserSetTextBox(texts[i]);
    for (int i = 0; i < amounts.size(); ++i)
        bill.setDigits(moneyKeys[i], amounts[i]);
    QCOMPARE(bill.text(target)->UserGetTextAll(), expected);
}

void TestFillRules::sumIntoMoney_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("half") << "0.5" << QStringList{"", "", "5", "0"};
    QTest::newRow("cut to the columns") << "123456.78" << QStringList{"5", "6", "7", "8"};
    QTest::newRow("inner zeros kept") << "100.05" << QStringList{"0", "0", "0", "5"};
    QTest::newRow("emptied") << "" << QStringList{"", "", "", ""};
}

void TestFillRules::sumIntoMoney()
{
    QFETCH(QString, value);
    QFETCH(QStringList, columns);
    Bill bill;
    const QString target = bill.add(KindMoney, {{6, "1"}, {12, ""}}, 4);
    const QString source = bill.add(KindText, textProps(target));
    bill.text(source)->UserSetTextBox(QStringLiteral("99"));
    bill.text(source)->UserSetTextBox(value);
    QCOMPARE(bill.money(target)->UserGetMoneyText(), columns);
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
        bill.text(k)->UserSetTextBox(QStringLiteral("5"));
    QCOMPARE(bill.date(date)->UserGetDateTextBox(), QString());
    QCOMPARE(bill.text(a)->UserGetTextAll(), QStringLiteral("5"));
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
    const QString words = bill.money(m)->UserGetMoneyToChinese();
    QCOMPARE(words.size(), 25);
    QCOMPARE(bill.text(t1)->UserGetTextAll(), words.mid(0, 10));
    QCOMPARE(bill.text(t2)->UserGetTextAll(), words.mid(10, 10));
    QCOMPARE(bill.text(t3)->UserGetTextAll(), words.mid(20));
    bill.setDigits(m, QStringLiteral("1234"));
    QCOMPARE(bill.money(m)->UserGetMoneyToChinese().size(), 8);
    QCOMPARE(bill.text(t1)->UserGetTextAll(), bill.money(m)->UserGetMoneyToChinese());
    QCOMPARE(bill.text(t2)->UserGetTextAll(), QString());
    QCOMPARE(bill.text(t3)->UserGetTextAll(), QString());
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
    const QString words = bill.money(m)->UserGetMoneyToChinese();
    QCOMPARE(bill.text(head)->UserGetTextAll(), "人民币" + words.left(7));
    QCOMPARE(bill.text(next)->UserGetTextAll(), words.mid(7, 10));
    QCOMPARE(bill.text(blank)->UserGetTextAll(), QStringLiteral("12345.67").left(4));
    QCOMPARE(bill.text(grouped)->UserGetTextAll(), QStringLiteral("1234 567 "));
    QCOMPARE(bill.text(negative)->UserGetTextAll(), QString());
    bill.setDigits(m, QStringLiteral("5"));
    QCOMPARE(bill.text(blank)->UserGetTextAll(), QStringLiteral("0.05"));
}

void TestFillRules::textOverflowChainInAnyOrder()
{
    Bill bill;
    const QString s = FieldKey::make(3, KindText, 2);
    const QString second = bill.add(KindText, member(s, FieldKey::make(2, KindText, 1), 5, ""));
    const QString first = bill.add(KindText, member(s, s, 7, "", QStringLiteral("> ")));
    bill.add(KindText, textProps(QString()));
    bill.text(s)->UserSetTextBox(QStringLiteral("ABCDEFGHIJKLMNO"));
    QCOMPARE(bill.text(first)->UserGetTextAll(), QStringLiteral("> ABCDE"));
    QCOMPARE(bill.text(second)->UserGetTextAll(), QStringLiteral("FGHIJ"));
    bill.text(s)->UserSetTextBox(QStringLiteral("ABC"));
    QCOMPARE(bill.text(first)->UserGetTextAll(), QStringLiteral("> ABC"));
    QCOMPARE(bill.text(second)->UserGetTextAll(), QString());
}

void TestFillRules::moneyCopy_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("zero empties") << "0" << QStringList{"", "", "", ""};
    QTest::newRow("fits") << "1205" << QStringList{"1", "2", "0", "5"};
    QTest::newRow("rightmost kept") << "1000500" << QStringList{"", "5", "0", "0"};
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
    QCOMPARE(bill.money(copy)->UserGetMoneyText(), columns);
    QCOMPARE(bill.money(noLength)->UserGetMoneyText(), QStringList(4, QString()));
}

void TestFillRules::dateFormatsAtMinimumLength()
{
    Bill bill;
    const QString month = bill.add(KindDate, {{6, "8"}, {11, "02000001000000"}, {12, ""}});
    const QString full = bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    DateCtl *m = bill.date(month);
    QTest::keyClicks(m->DateTextBoxCtl(), QStringLiteral("1"));
    QCOMPARE(m->DateStyleCode(), QString());
    QTest::keyClicks(m->DateTextBoxCtl(), QStringLiteral("2"));
    QCOMPARE(m->DateStyleCode(), QStringLiteral("02000001000000"));
    DateCtl *f = bill.date(full);
    QTest::keyClicks(f->DateTextBoxCtl(), QStringLiteral("2024010"));
    QCOMPARE(f->UserGetDateTextBox(), QStringLiteral("2024010"));
    QTest::keyClicks(f->DateTextBoxCtl(), QStringLiteral("5"));
    QCOMPARE(f->UserGetDateTextBox(), QStringLiteral("贰零贰肆年零壹月零伍日"));
    // Longer than key 6: never formatted.
    DateCtl *n = bill.date(bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}}));
    n->UserSetDateTextBox(QStringLiteral("202401051"));
    QCOMPARE(n->UserGetDateTextBox(), QStringLiteral("202401051"));
}

void TestFillRules::dateCopyKeepsKey6Characters()
{
    Bill bill;
    const QString d = FieldKey::make(2, KindDate, 1);
    const QString before = bill.add(KindDate, {{6, "4"}, {11, "01010000000000"}, {12, d}});
    bill.add(KindDate, {{6, "8"}, {11, "04050503060307"}, {12, ""}});
    const QString after = bill.add(KindDate, {{6, "8"}, {11, "04010501060107"}, {12, d}});
    QTest::keyClicks(bill.date(d)->DateTextBoxCtl(), QStringLiteral("20240105"));
    QCOMPARE(bill.date(d)->UserGetDateTextBox(), QStringLiteral("贰零贰肆年零壹月零伍日"));
    // The copy before the source takes the typed digits first, then, from
    // the source's run on its formatted text, the first four characters of
    // that; the copy after it ends with the digits and formats them itself.
    QCOMPARE(bill.date(before)->UserGetDateTextBox(), QStringLiteral("贰零贰肆"));
    QCOMPARE(bill.date(after)->UserGetDateTextBox(), QStringLiteral("2024年01月05日"));
    bill.date(d)->UserSetDateTextBox(QString());
    QCOMPARE(bill.date(before)->UserGetDateTextBox(), QString());
}

void TestFillRules::columnPositionsWriteKeys()
{
    Bill bill;
    const QString m = bill.add(KindMoney, {{6, "1"}, {100, "0"}, {101, "0"}, {102, "0"}, {103, "0"}}, 4);
    bill.money(m)->UserMoneyColX({0, 300, 600, 900});
    bill.state.CurrentKey = QStringLiteral("00000000");
    QTest::mouseClick(bill.money(m)->TxtCol(2), Qt::LeftButton);
    const FieldRecord &r = bill.state.Registry.at(1);
    QCOMPARE(bill.state.CurrentKey, m);
    QCOMPARE(r.selected, qint16(1));
    const QList<int> columnX = bill.money(m)->UserGetMoneyColX();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(r.value(100 + i), QString::number(columnX.at(3 - i)));
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
    bill.text(self)->UserSetTextBox(QStringLiteral("3"));
    QCOMPARE(bill.text(self)->UserGetTextAll(), QStringLiteral("6.00"));
    bill.setDigits(a, QStringLiteral("1234"));
    QCOMPARE(bill.money(b)->UserGetMoneyText(), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(bill.text(t1)->UserGetTextAll(), QStringLiteral("1"));
    QCOMPARE(bill.text(t2)->UserGetTextAll(), QString());
    QCOMPARE(bill.text(t3)->UserGetTextAll(), QString());
    QVERIFY(bill.rules->cutCount() > 0);
}

QTEST_MAIN(TestFillRules)
#include "tst_fillrules.moc"
