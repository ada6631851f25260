// Building print items from a filled bill document.
#include "core/billdocument.h"
#include "core/billrenderer.h"
#include "core/printitems.h"
#include "core/units.h"
#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {

PropertyList props(std::initializer_list<std::pair<int, QString>> entries)
{
    PropertyList list;
    for (const auto &[key, value] : entries)
        list.append(PropertyEntry{qint16(key), QString(), value});
    return list;
}

// What a field holds: a text (check: "√", date: the text shown, text: its
// text) or, for a money field, its column texts.
struct Shown {
    QString text;
    QStringList columns;
};

struct Bill {
    FieldRegistry registry;
    QHash<QString, Shown> shown; // by field key
    BillDocument doc;

    void add(int kind, int index, const PropertyList &list, const Shown &v = {})
    {
        const QString key = FieldKey::make(registry.count(), kind, index);
        registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        shown.insert(key, v);
    }
    PrintItems items()
    {
        const Result<BillTemplate> t = BillTemplate::fromRegistry(registry);
        if (!t)
            qFatal("template not read: %s", qPrintable(t.message()));
        doc.setTemplate(t.value());
        for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
            doc.setChecked(it.key(), it->text == QStringLiteral("√"));
            doc.setDateText(it.key(), it->text);
            doc.setText(it.key(), it->text);
            doc.setColumns(it.key(), it->columns);
        }
        return BuildPrintItems(doc);
    }
};

const PropertyList billProps = props({{0, "转账支票"}, {3, "12758"}, {4, "5102"}});
const PropertyList placed = props({{1, "1200"}, {2, "800"}, {3, "6000"}, {4, "300"}, {5, "12"}, {8, "255"}});

// Ten columns 300 twips apart; the first entry (key 100) is the fen column.
constexpr int FieldLeft = 1000;
QList<int> columns() { return {2700, 2400, 2100, 1800, 1500, 1200, 900, 600, 300, 0}; }

PropertyList moneyProps(const QString &start, const QString &signUnit, const QString &sign,
                        bool withColumns = true)
{
    PropertyList list = props({{1, QString::number(FieldLeft)}, {2, "500"}, {5, "12"}, {8, "0"}});
    if (!start.isNull())
        list.append(PropertyEntry{20, {}, start});
    if (!signUnit.isNull())
        list.append(PropertyEntry{21, {}, signUnit});
    if (!sign.isNull())
        list.append(PropertyEntry{22, {}, sign});
    if (withColumns)
        for (int i = 0; i < columns().size(); ++i)
            list.append(PropertyEntry{qint16(100 + i), {}, QString::number(columns().at(i))});
    return list;
}

qint32 twips(double v) { return qint32(units::roundHalfEven(v)); }

Shown shows(const QString &v) { return Shown{v, {}}; }
// Money digits as the columns hold them, one per column.
Shown showsMoney(const QString &digits)
{
    Shown s;
    for (const QChar c : digits)
        s.columns << QString(c);
    return s;
}
// A single box holds the amount as written.
Shown showsBox(const QString &amount) { return Shown{QString(), {amount}}; }

// Expected money items written as "text@where": @cN puts the text's last
// character in column N, @gap is 50 twips left of the field with the whole
// text before it, @before is just left of the field, @field at its left.
QList<QPair<qint32, QString>> expectedMoney(const QString &spec)
{
    QList<QPair<qint32, QString>> out;
    for (const QString &token : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString text = token.section(QLatin1Char('@'), 0, 0);
        const QString where = token.section(QLatin1Char('@'), 1);
        qint32 left = FieldLeft;
        if (where.startsWith(QLatin1Char('c')))
            left = twips(columns().at(where.mid(1).toInt()) + FieldLeft
                         - BillRenderer::textWidth(text.chopped(1), 12));
        else if (where == QLatin1String("gap"))
            left = twips(FieldLeft - BillRenderer::textWidth(text, 12) - 50);
        else if (where == QLatin1String("before"))
            left = twips(FieldLeft - BillRenderer::textWidth(text, 12));
        out.append({left, text});
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Shown)

class TestPrintItems : public QObject {
    Q_OBJECT
private slots:
    void emptyRegistryGivesNoItems();
    void itemZeroDescribesTheBill();
    void singleFields_data();
    void singleFields();
    void textLinesOneLineHeightApart();
    void fontSizes_data();
    void fontSizes();
    void money_data();
    void money();
    void evenlySpacedMoneyUsesTheControlsColumns();
    void moneyWithoutColumnPositions_data();
    void moneyWithoutColumnPositions();
    void amounts_data();
    void amounts();
    void fieldsToEmptyAfterPrint();
};

void TestPrintItems::emptyRegistryGivesNoItems()
{
    Bill bill;
    QVERIFY(bill.items().isEmpty());
}

void TestPrintItems::itemZeroDescribesTheBill()
{
    Bill bill;
    bill.add(KindBill, 0, billProps);
    bill.add(KindDate, 1, placed, shows("2024年5月1日"));
    const PrintItems items = bill.items();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0).left, 12758);
    QCOMPARE(items.at(0).top, 5102);
    QCOMPARE(items.at(0).text, QStringLiteral("转账支票"));

    // Without a bill record item 0 is still there, with no size.
    Bill noBill;
    noBill.add(KindCheck, 1, placed, shows("√"));
    QCOMPARE(noBill.items().size(), 2);
    QCOMPARE(noBill.items().at(0), PrintItem{});
}

void TestPrintItems::singleFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("withProperties");
    QTest::addColumn<Shown>("shown");
    QTest::addColumn<QString>("printed"); // empty: nothing printed

    QTest::newRow("ticked check") << int(KindCheck) << true << shows("√") << "√";
    QTest::newRow("unticked check") << int(KindCheck) << true << Shown{} << "";
    QTest::newRow("date") << int(KindDate) << true << shows("2024-05-01") << "2024-05-01";
    QTest::newRow("blank date") << int(KindDate) << true << shows("  ") << "";
    QTest::newRow("one-line text") << int(KindText) << true << shows("张三") << "张三";
    QTest::newRow("empty text") << int(KindText) << true << shows("") << "";
    QTest::newRow("label") << int(KindLabel) << true << shows("收款人") << "";
    QTest::newRow("no properties") << int(KindDate) << false << shows("2024") << "";
}

void TestPrintItems::singleFields()
{
    QFETCH(int, kind);
    QFETCH(bool, withProperties);
    QFETCH(Shown, shown);
    QFETCH(QString, printed);

    Bill bill;
    bill.add(KindBill, 0, billProps);
    bill.add(kind, 1, withProperties ? placed : PropertyList{}, shown);
    const PrintItems items = bill.items();
    if (printed.isEmpty()) {
        QCOMPARE(items.size(), 1);
        return;
    }
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(1), (PrintItem{1200, 800, 255, 12, printed}));
}

void TestPrintItems::textLinesOneLineHeightApart()
{
    Bill bill;
    bill.add(KindBill, 0, billProps);
    const QStringList lines = {"北京市海淀区", "中关村大街", "", "一号"};
    bill.add(KindText, 2, placed, shows(lines.join("\n")));
    const PrintItems items = bill.items();
    QCOMPARE(items.size(), 1 + lines.size());
    const double h = BillRenderer::lineHeight(12);
    QVERIFY(h > 200 && h < 400); // a 12-point line is about 240 twips
    qint32 top = 800;
    for (int k = 0; k < lines.size(); ++k) {
        QCOMPARE(items.at(1 + k), (PrintItem{1200, top, 255, 12, lines.at(k)}));
        top = twips(top + h);
    }
}

void TestPrintItems::fontSizes_data()
{
    QTest::addColumn<QString>("key5"); // null: the field has no key 5
    QTest::addColumn<int>("size");

    QTest::newRow("whole") << "14" << 14;
    QTest::newRow("with unit") << "12pt" << 12;
    QTest::newRow("half rounds to even") << "10.5" << 10;
    QTest::newRow("no key") << QString() << 9;
    QTest::newRow("zero") << "0" << 9;
    QTest::newRow("negative") << "-3" << 9;
    QTest::newRow("not a number") << "大" << 9;
}

// Every field prints, in its own size or in the surface's size of 9 points
// when it names none that can be set; a multi-line text keeps that size for
// its line height too.
void TestPrintItems::fontSizes()
{
    QFETCH(QString, key5);
    QFETCH(int, size);

    PropertyList list = props({{1, "1200"}, {2, "800"}, {3, "6000"}, {4, "600"}, {8, "0"}});
    if (!key5.isNull())
        list.append(PropertyEntry{5, {}, key5});
    Bill bill;
    bill.add(KindBill, 0, billProps);
    bill.add(KindText, 1, list, shows("第一行\n第二行"));
    const PrintItems items = bill.items();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(1), (PrintItem{1200, 800, 0, qint16(size), "第一行"}));
    QCOMPARE(items.at(2),
             (PrintItem{1200, twips(800 + BillRenderer::lineHeight(size)), 0, qint16(size), "第二行"}));
}

void TestPrintItems::money_data()
{
    QTest::addColumn<PropertyList>("properties");
    QTest::addColumn<QString>("digits"); // a single box: the amount as written
    QTest::addColumn<QString>("expected");

    const PropertyList columnsWithSign = moneyProps("千万", "元", "￥");
    QTest::newRow("1234.50 in ten columns") << columnsWithSign << "0000123450"
        << "￥@c6 0@c0 5@c1 4@c2 3@c3 2@c4 1@c5";
    QTest::newRow("two columns free") << columnsWithSign << "0012345678"
        << "￥@c8 8@c0 7@c1 6@c2 5@c3 4@c4 3@c5 2@c6 1@c7";
    QTest::newRow("one column free") << columnsWithSign << "0123456789"
        << "￥@gap 9@c0 8@c1 7@c2 6@c3 5@c4 4@c5 3@c6 2@c7 1@c8";
    QTest::newRow("all columns used") << columnsWithSign << "9876543210"
        << "￥@gap 0@c0 1@c1 2@c2 3@c3 4@c4 5@c5 6@c6 7@c7 8@c8 9@c9";
    QTest::newRow("sign of two characters") << moneyProps("千万", "元", "RMB") << "0000000105"
        << "RMB@c3 5@c0 0@c1 1@c2";
    QTest::newRow("no sign text") << moneyProps("千万", "元", "") << "0000000105"
        << "5@c0 0@c1 1@c2";
    QTest::newRow("empty, sign in yuan column") << columnsWithSign << "0000000000" << "￥@c2";
    QTest::newRow("empty, sign unit as number") << moneyProps("千万", "5", "￥") << "" << "￥@c5";
    QTest::newRow("empty, sign unit beyond columns") << moneyProps("千万", "亿", "￥") << ""
                                                     << "￥@c9";
    QTest::newRow("empty, sign unit unknown text") << moneyProps("千万", "abc", "￥") << ""
                                                   << "￥@c0";
    QTest::newRow("empty, negative sign unit") << moneyProps("千万", "-3", "￥") << "" << "￥@c0";
    QTest::newRow("empty, no sign unit") << moneyProps("千万", QString(), "￥") << "" << "";
    QTest::newRow("empty, no start unit") << moneyProps(QString(), "元", "￥") << "" << "";
    QTest::newRow("single box with sign") << moneyProps(QString(), QString(), "￥", false)
                                          << "0001234.50" << "￥@before 1234.5@field";
    QTest::newRow("single box, blank start unit") << moneyProps(" ", "元", "$", false)
                                                  << "250" << "$@before 250@field";
    QTest::newRow("single box without sign") << moneyProps(QString(), QString(), QString(), false)
                                             << "77" << "77@field";
    QTest::newRow("columns without positions") << moneyProps("千万", "元", "￥", false)
                                               << "0000123450" << "";
}

void TestPrintItems::evenlySpacedMoneyUsesTheControlsColumns()
{
    // No stored positions: the columns spread evenly over the field stand
    // in (ten columns of 240 twips in 2940 twips: 300 apart).
    Bill bill;
    bill.add(KindBill, 0, billProps);
    PropertyList list = moneyProps("千万", "元", "￥", false);
    list << PropertyEntry{3, {}, "2940"} << PropertyEntry{18, {}, "28"} << PropertyEntry{23, {}, "240"}
         << PropertyEntry{36, {}, "是"};
    bill.add(KindMoney, 1, list, showsMoney("0000123450"));
    const PrintItems items = bill.items();
    const auto want = expectedMoney("￥@c6 0@c0 5@c1 4@c2 3@c3 2@c4 1@c5");
    QCOMPARE(items.size(), 1 + want.size());
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE((std::pair<qint32, QString>(items.at(1 + i).left, items.at(1 + i).text)),
                 (std::pair<qint32, QString>(want.at(i).first, want.at(i).second)));
}

void TestPrintItems::moneyWithoutColumnPositions_data()
{
    QTest::addColumn<QString>("digits");

    QTest::newRow("amount") << "0000123450";
    QTest::newRow("empty, sign in the yuan column") << "0000000000";
}

// Stored positions absent and the control's columns all at the field's left
// (neither stored nor evenly spaced): nothing is stacked there.
void TestPrintItems::moneyWithoutColumnPositions()
{
    QFETCH(QString, digits);

    Bill bill;
    bill.add(KindBill, 0, billProps);
    bill.add(KindMoney, 1, moneyProps("千万", "元", "￥", false), showsMoney(digits));
    QCOMPARE(bill.items().size(), 1);
}

void TestPrintItems::money()
{
    QFETCH(PropertyList, properties);
    QFETCH(QString, digits);
    QFETCH(QString, expected);

    Bill bill;
    bill.add(KindBill, 0, billProps);
    const bool box = entryValue(properties, 20).trimmed().isEmpty();
    bill.add(KindMoney, 1, properties, box ? showsBox(digits) : showsMoney(digits));
    const PrintItems items = bill.items();
    const auto want = expectedMoney(expected);
    QCOMPARE(items.size(), 1 + want.size());
    for (int i = 0; i < want.size(); ++i) {
        QCOMPARE(items.at(1 + i).text, want.at(i).second);
        QCOMPARE(items.at(1 + i).left, want.at(i).first);
        QCOMPARE(items.at(1 + i).top, 500);
        QCOMPARE(items.at(1 + i).size, qint16(12));
    }
}

void TestPrintItems::amounts_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<bool>("aboveZero");

    QTest::newRow("column digits") << "0000123450" << "123450" << true;
    QTest::newRow("all zero") << "000000" << "0" << false;
    QTest::newRow("empty") << "" << "0" << false;
    QTest::newRow("eighteen digits stay exact") << "987654321987654321" << "987654321987654321"
                                                << true;
    QTest::newRow("decimal") << "0100.50" << "100.5" << true;
    QTest::newRow("whole decimal") << "100.00" << "100" << true;
    QTest::newRow("fraction only") << ".05" << "0.05" << true;
    QTest::newRow("negative") << "-5" << "-5" << false;
    QTest::newRow("negative zero") << "-0.00" << "0" << false;
    QTest::newRow("not a number") << "abc" << "0" << false;
}

void TestPrintItems::amounts()
{
    QFETCH(QString, digits);
    QFETCH(QString, normalised);
    QFETCH(bool, aboveZero);
    QCOMPARE(normaliseAmount(digits), normalised);
    QCOMPARE(amountAboveZero(normaliseAmount(digits)), aboveZero);
}

void TestPrintItems::fieldsToEmptyAfterPrint()
{
    Bill bill;
    bill.add(KindBill, 0, props({{31, "是"}}));
    bill.add(KindLabel, 1, props({{31, "是"}}));
    bill.add(KindCheck, 1, props({{31, "是"}}), shows("√"));
    bill.add(KindDate, 1, props({{31, "否"}}), shows("2024"));
    bill.add(KindText, 1, props({{31, "否"}, {31, "是"}}), shows("货款"));
    bill.add(KindMoney, 1, props({{1, "0"}, {20, "元"}, {31, "是"}}), showsMoney("512"));
    bill.add(KindText, 2, props({{1, "0"}}), shows("留下"));
    bill.items();
    bill.doc.emptyAfterPrint();
    QCOMPARE(bill.doc.text("00205001"), QString());
    QCOMPARE(bill.doc.text("00306001"), QStringLiteral("2024"));
    QCOMPARE(bill.doc.text("00407001"), QString());
    QCOMPARE(bill.doc.moneyNumber("00508001"), QStringLiteral("000"));
    QCOMPARE(bill.doc.text("00607002"), QStringLiteral("留下"));
}

QTEST_MAIN(TestPrintItems)
#include "tst_printitems.moc"
