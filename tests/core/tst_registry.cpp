#include "core/fieldregistry.h"
#include <QtTest>

namespace {
PropertyList props(std::initializer_list<std::pair<int, const char *>> entries)
{
    PropertyList l;
    for (auto &[k, v] : entries)
        l.append({qint16(k), QStringLiteral("p%1").arg(k), QString::fromUtf8(v)});
    return l;
}

// Kind and index of every record, as "kind:index" words.
QString shape(const FieldRegistry &r)
{
    QStringList words;
    for (const FieldRecord &rec : r.records())
        words << QStringLiteral("%1:%2").arg(rec.kind).arg(rec.index);
    return words.join(QLatin1Char(' '));
}
} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::newRow("bill") << "00000000" << true << 0 << 0 << 0;
        QTest::newRow("money") << "01208003" << true << 12 << 8 << 3;
        QTest::newRow("max") << "99999999" << true << 999 << 99 << 999;
        QTest::newRow("short") << "0000000" << false << 0 << 0 << 0;
        QTest::newRow("letters") << "00A08000" << false << 0 << 0 << 0;
        QTest::newRow("fullwidth digit") << QString::fromUtf8("00０08000") << false << 0 << 0 << 0;
    }
    void keys()
    {
        QFETCH(QString, key);
        QFETCH(bool, valid);
        const auto k = FieldKey::parse(key);
        QCOMPARE(k.has_value(), valid);
        if (!valid)
            return;
        QFETCH(int, slot);
        QFETCH(int, kind);
        QFETCH(int, index);
        QCOMPARE(k->slot, slot);
        QCOMPARE(k->kind, kind);
        QCOMPARE(k->index, index);
        QCOMPARE(k->text(), key);
    }

    void addGrowsToSlot()
    {
        FieldRegistry r;
        for (const char *k : {"00000000", "00107000", "00208000"})
            QCOMPARE(r.RegistryCtl(QString::fromLatin1(k), props({{0, "x"}}), 0, FieldRegistry::Add), 0);
        QCOMPARE(r.count(), 3);
        QCOMPARE(r.RegistryCtl(QStringLiteral("00507001"), props({{0, "y"}}), 1, FieldRegistry::Add), 0);
        QCOMPARE(r.count(), 6);
        QCOMPARE(shape(r), QStringLiteral("0:0 7:0 8:0 0:0 0:0 7:1"));
        QVERIFY(r.at(3).props().isEmpty());
        QCOMPARE(r.at(5).selected, qint16(1));
        QCOMPARE(r.at(5).value(0), QStringLiteral("y"));
    }

    void addBeyondEndOfEmptyRegistry()
    {
        // A field placed at slot 2 of an empty registry keeps its record.
        FieldRegistry r;
        QCOMPARE(r.RegistryCtl(QStringLiteral("00208000"), props({{0, "m"}}), 1, FieldRegistry::Add), 0);
        QCOMPARE(r.count(), 3);
        QCOMPARE(r.at(2).kind, qint16(KindMoney));
        QCOMPARE(r.at(2).value(0), QStringLiteral("m"));
    }

    void addWithEmptyListKeepsOldList()
    {
        FieldRegistry r;
        r.RegistryCtl(QStringLiteral("00007000"), props({{0, "a"}}), 0, FieldRegistry::Add);
        r.RegistryCtl(QStringLiteral("00007004"), {}, 1, FieldRegistry::Add);
        QCOMPARE(r.at(0).index, qint16(4));
        QCOMPARE(r.at(0).value(0), QStringLiteral("a"));
        // Kinds without a list of their own take no entries.
        r.RegistryCtl(QStringLiteral("00103000"), props({{0, "b"}}), 0, FieldRegistry::Add);
        QVERIFY(r.at(1).props().isEmpty());
    }

    void removeRenumbersSameKind()
    {
        FieldRegistry r;
        for (const char *k : {"00000000", "00108000", "00207000", "00308001"})
            r.RegistryCtl(QString::fromLatin1(k), props({{0, k}}), 0, FieldRegistry::Add);
        QCOMPARE(r.RegistryCtl(QStringLiteral("00108000"), {}, 0, FieldRegistry::Remove), 0);
        QCOMPARE(shape(r), QStringLiteral("0:0 7:0 8:0"));
        QCOMPARE(r.at(2).value(0), QStringLiteral("00308001"));
    }

    void removeKeepsLinks_data()
    {
        // Records: bill, label, money 0, text 0 (a chain's first member from
        // money 0), text 1 (the next member, summing into money 1), money 1.
        QTest::addColumn<QString>("remove");
        QTest::addColumn<QStringList>("links"); // 12|13|26 of every record after the removal
        QTest::newRow("label before all")
            << "00104000" << QStringList{"||", "||", "00108000|00108000|", "00108000|00207000|00408001", "||"};
        QTest::newRow("the money field linked to")
            << "00208000" << QStringList{"||", "||", "||", "|00207000|00408000", "||"};
        QTest::newRow("a chain member")
            << "00307000" << QStringList{"||", "||", "||", "00208000||00408001", "||"};
        QTest::newRow("the last field")
            << "00508001" << QStringList{"||", "||", "||", "00208000|00208000|", "00208000|00307000|"};
    }
    void removeKeepsLinks()
    {
        QFETCH(QString, remove);
        QFETCH(QStringList, links);
        FieldRegistry r;
        r.RegistryCtl("00000000", props({{0, "bill"}}), 0, FieldRegistry::Add);
        r.RegistryCtl("00104000", props({{0, "label"}}), 0, FieldRegistry::Add);
        r.RegistryCtl("00208000", props({{0, "money"}, {12, ""}, {26, ""}}), 0, FieldRegistry::Add);
        r.RegistryCtl("00307000", props({{0, "a"}, {12, "00208000"}, {13, " 00208000 "}, {26, ""}}), 0,
                      FieldRegistry::Add);
        r.RegistryCtl("00407001", props({{0, "b"}, {12, "00208000"}, {13, "00307000"}, {26, "00508001"}}), 0,
                      FieldRegistry::Add);
        r.RegistryCtl("00508001", props({{0, "sum"}, {12, ""}, {26, ""}}), 0, FieldRegistry::Add);
        QCOMPARE(r.RegistryCtl(remove, {}, 0, FieldRegistry::Remove), 0);
        QStringList after;
        for (const FieldRecord &rec : r.records())
            after << QStringLiteral("%1|%2|%3").arg(rec.value(12).trimmed(), rec.value(13).trimmed(), rec.value(26));
        QCOMPARE(after, links);
    }

    void setEntryAddsInKeyOrder()
    {
        FieldRegistry r;
        r.RegistryCtl("00007000", props({{0, "t"}, {3, "100"}, {31, "否"}}), 0, FieldRegistry::Add);
        QVERIFY(r.setEntry(0, 30, "不打印", "是"));
        QVERIFY(r.setEntry(0, 3, "宽度", "200"));
        QVERIFY(!r.setEntry(1, 3, "宽度", "200"));
        QStringList keys;
        for (const PropertyEntry &e : r.at(0).props())
            keys << QStringLiteral("%1=%2").arg(e.key).arg(e.value);
        QCOMPARE(keys, (QStringList{"0=t", "3=200", "30=是", "31=否"}));
        QCOMPARE(r.at(0).props().at(2).name, QStringLiteral("不打印"));
    }

    void removeEdges_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("remove");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty registry") << QStringList{} << "00108000" << 0 << "";
        QTest::newRow("only record") << QStringList{"00000000"} << "00000000" << 0 << "";
        QTest::newRow("beyond end") << QStringList{"00000000"} << "00508000" << int(FieldRegistry::ErrSubscript)
                                    << "0:0";
        QTest::newRow("last record") << QStringList{"00000000", "00104000"} << "00104000" << 0 << "0:0";
        QTest::newRow("bad key") << QStringList{"00000000"} << "abc" << int(FieldRegistry::ErrType) << "0:0";
    }
    void removeEdges()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, remove);
        QFETCH(int, result);
        QFETCH(QString, after);
        FieldRegistry r;
        for (const QString &k : keys)
            r.RegistryCtl(k, props({{0, "x"}}), 0, FieldRegistry::Add);
        QCOMPARE(r.RegistryCtl(remove, {}, 0, FieldRegistry::Remove), result);
        QCOMPARE(shape(r), after);
    }

    void update()
    {
        FieldRegistry r;
        r.RegistryCtl(QStringLiteral("00007000"), props({{0, "t"}, {3, "100"}}), 0, FieldRegistry::Add);
        // Unknown keys are ignored, names kept, nothing added.
        QCOMPARE(r.RegistryCtl(QStringLiteral("00007000"), props({{3, "2000"}, {77, "x"}}), 1,
                               FieldRegistry::Update), 0);
        QCOMPARE(r.at(0).value(3), QStringLiteral("2000"));
        QCOMPARE(r.at(0).props().size(), 2);
        QCOMPARE(r.at(0).props().at(1).name, QStringLiteral("p3"));
        QCOMPARE(r.at(0).selected, qint16(1));
        // An empty list changes nothing, not even the flag.
        QCOMPARE(r.RegistryCtl(QStringLiteral("00007000"), {}, 0, FieldRegistry::Update), 0);
        QCOMPARE(r.at(0).selected, qint16(1));
        // A slot beyond the end fails and changes nothing.
        QCOMPARE(r.RegistryCtl(QStringLiteral("00307000"), props({{3, "1"}}), 0, FieldRegistry::Update),
                 int(FieldRegistry::ErrSubscript));
        QCOMPARE(r.count(), 1);
    }

    void updateTakesFirstEntryOfKey()
    {
        FieldRegistry r;
        r.RegistryCtl(QStringLiteral("00007000"), props({{3, "a"}, {3, "b"}}), 0, FieldRegistry::Add);
        r.RegistryCtl(QStringLiteral("00007000"), props({{3, "c"}}), 0, FieldRegistry::Update);
        QCOMPARE(r.at(0).props().at(0).value, QStringLiteral("c"));
        QCOMPARE(r.at(0).props().at(1).value, QStringLiteral("b"));
    }

    void clearAndOtherModes()
    {
        FieldRegistry r;
        QCOMPARE(r.RegistryCtl(QString(), {}, 0, FieldRegistry::Clear), 0);
        r.RegistryCtl(QStringLiteral("00000000"), props({{0, "b"}}), 0, FieldRegistry::Add);
        QCOMPARE(r.RegistryCtl(QStringLiteral("00000000"), props({{0, "z"}}), 0, 3), 0);
        QCOMPARE(r.at(0).value(0), QStringLiteral("b"));
        QCOMPARE(r.RegistryCtl(QStringLiteral("garbage"), {}, 0, FieldRegistry::Clear), 0);
        QVERIFY(r.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestRegistry)
#include "tst_registry.moc"
