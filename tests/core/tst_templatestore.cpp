#include "core/database.h"
#include "core/templatestore.h"
#include "testbackend.h"
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString DefaultTable = QStringLiteral("通用票据_通用凭证");

// Every row of a table as "cKey|cName|cType|cValue" lines, in key/type order.
QStringList rowsOf(const TemplateStore &store, const QString &table)
{
    QSqlQuery q(store.database());
    q.exec(QStringLiteral("SELECT \"cKey\",\"cName\",\"cType\",\"cValue\" FROM %1 ORDER BY \"cKey\",\"cType\"")
               .arg(TemplateStore::quoteIdentifier(table)));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1|%2|%3|%4").arg(q.value(0).toString(), q.value(1).toString(),
                                                  q.value(2).toString(),
                                                  q.value(3).isNull() ? QStringLiteral("<null>")
                                                                      : q.value(3).toString());
    return rows;
}

void exec(const TemplateStore &store, const QString &sql)
{
    QSqlQuery q(store.database());
    QVERIFY2(q.exec(sql), qPrintable(sql));
}

void createTemplateTable(const TemplateStore &store, const QString &table)
{
    exec(store, QStringLiteral("CREATE TABLE %1 (\"cKey\" VARCHAR(50), \"cName\" VARCHAR(50), "
                               "\"cType\" SMALLINT, \"cValue\" VARCHAR(50))")
                    .arg(TemplateStore::quoteIdentifier(table)));
}
} // namespace

class TestTemplateStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    int m_count = 0;

    TemplateStore store() const { return TemplateStore(m_state.DbConnection); }

private Q_SLOTS:
    void cleanupTestCase() { CloseDatabase(m_state); }

    void roundTripKeepsRows()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        const QStringList before = rowsOf(store, DefaultTable);
        QVERIFY(before.size() > 20);
        FieldRegistry reg;
        QVERIFY(store.ReadTemplate(DefaultTable, reg).ok());
        QCOMPARE(reg.at(0).kind, qint16(KindBill));
        QVERIFY(store.WriteTemplate(DefaultTable, reg).ok());
        QCOMPARE(rowsOf(store, DefaultTable), before);
        FieldRegistry again;
        QVERIFY(store.ReadTemplate(DefaultTable, again).ok());
        QCOMPARE(again.count(), reg.count());
    }

    void slotsAsStoredAndSavedDense()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        createTemplateTable(store, QStringLiteral("T"));
        exec(store, "INSERT INTO \"T\" VALUES ('00307000','名称',0,'a'),('00307000','左',1,NULL),"
                    "('00708002','名称',0,'b'),('00708002','来源',12,' 00307000 '),"
                    "('00708002','合计',26,'00999999'),('00906000','左',1,'no key-0 row')");
        FieldRegistry reg;
        QVERIFY(store.ReadTemplate(QStringLiteral("T"), reg).ok());
        // Fields keep the slots their keys name, so links between them hold.
        QCOMPARE(reg.count(), 8);
        QCOMPARE(reg.keyOf(3), QStringLiteral("00307000"));
        QCOMPARE(reg.keyOf(7), QStringLiteral("00708002"));
        QVERIFY(reg.at(0).props().isEmpty());
        QCOMPARE(reg.at(3).value(1), QString()); // Null reads as empty
        // Saving numbers them 000, 001 and the link follows; a key naming no
        // field is kept as it was.
        QVERIFY(store.WriteTemplate(QStringLiteral("T"), reg).ok());
        QCOMPARE(rowsOf(store, QStringLiteral("T")),
                 (QStringList{"00007000|名称|0|a", "00007000|左|1|", "00108002|名称|0|b",
                              "00108002|来源|12|00007000", "00108002|合计|26|00999999"}));
        FieldRegistry again;
        QVERIFY(store.ReadTemplate(QStringLiteral("T"), again).ok());
        QCOMPARE(again.count(), 2);
    }

    void otherKindsWriteNothing()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        createTemplateTable(store, QStringLiteral("T"));
        FieldRegistry reg;
        PropertyList l{{0, QStringLiteral("n"), QStringLiteral("v")}};
        reg.RegistryCtl(QStringLiteral("00000000"), l, 0, FieldRegistry::Add);
        reg.RegistryCtl(QStringLiteral("00104000"), l, 0, FieldRegistry::Add);
        for (int kind : {1, 2, 3}) {
            reg.at(1).kind = qint16(kind);
            reg.at(1).lists[kind] = l;
            QVERIFY(store.WriteTemplate(QStringLiteral("T"), reg).ok());
            QCOMPARE(rowsOf(store, QStringLiteral("T")), QStringList{"00000000|n|0|v"});
        }
    }

    void quotesAndChineseSurvive_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("billName");
        QTest::addColumn<QString>("value");
        QTest::newRow("single quotes") << "O'Brien" << "it's" << "a'b''c";
        QTest::newRow("double quotes") << "say \"hi\"" << "x\"y" << "\"quoted\"";
        QTest::newRow("spaces and chinese") << "工商 银行" << "转账 支票" << "人民币（大写）";
        QTest::newRow("sql text") << "a; DROP TABLE AppInfo; --" << "b" << "'); DELETE FROM AppInfo; --";
    }
    void quotesAndChineseSurvive()
    {
        QFETCH(QString, className);
        QFETCH(QString, billName);
        QFETCH(QString, value);
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        const QString table = TemplateStore::templateTable(className, billName);
        createTemplateTable(store, table);
        FieldRegistry reg;
        reg.RegistryCtl(QStringLiteral("00000000"), {{0, value, value}, {3, QStringLiteral("名'"), value}}, 0,
                        FieldRegistry::Add);
        QVERIFY(store.WriteTemplate(table, reg).ok());
        FieldRegistry back;
        QVERIFY(store.ReadTemplate(table, back).ok());
        QCOMPARE(back.at(0).props().size(), 2);
        QCOMPARE(back.at(0).value(0), value);
        QCOMPARE(back.at(0).props().at(1).name, QStringLiteral("名'"));
        QVERIFY(store.tableExists(QStringLiteral("AppInfo")));

        const QString history = TemplateStore::historyTable(table);
        exec(store, QStringLiteral("CREATE TABLE %1 (\"WriteDate\" VARCHAR(20))")
                        .arg(TemplateStore::quoteIdentifier(history)));
        QVERIFY(store.addHistoryColumns(history, {value, QStringLiteral("00107000")}).ok());
        QVERIFY(store.DescribeColumns(history, {QStringLiteral("00107000")}, {value}).ok());
        QCOMPARE(store.columnDescription(history, QStringLiteral("00107000")), value);
    }

    void failedSaveKeepsOldRows()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        const QStringList before = rowsOf(store, DefaultTable);
        FieldRegistry reg;
        QVERIFY(store.ReadTemplate(DefaultTable, reg).ok());
        // The database refuses one row in the middle of the save.
        if (testbackend::onServer()) {
            exec(store, QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                       "$$BEGIN IF NEW.\"cValue\" = 'BOOM' THEN RAISE EXCEPTION 'refused'; END IF; "
                                       "RETURN NEW; END$$"));
            exec(store, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION refuse()")
                            .arg(TemplateStore::quoteIdentifier(DefaultTable)));
        } else {
            exec(store, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 WHEN NEW.\"cValue\"='BOOM' "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(TemplateStore::quoteIdentifier(DefaultTable)));
        }
        reg.RegistryCtl(reg.keyOf(3), {{0, QString(), QStringLiteral("BOOM")}}, 0, FieldRegistry::Update);
        const StoreStatus s = store.WriteTemplate(DefaultTable, reg);
        QVERIFY(!s.ok());
        QVERIFY2(s.message.contains(QStringLiteral("refused")), qPrintable(s.message));
        QCOMPARE(rowsOf(store, DefaultTable), before);
    }

    // The connection to the server breaks in the middle of a save: the
    // server drops the unfinished save, the old template stays, and the
    // save says it failed.
    void lostConnectionKeepsTemplate()
    {
        if (!testbackend::onServer())
            QSKIP("a file has no connection to lose");
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const QString location = m_state.DatabasePath;
        {
            const TemplateStore store = this->store();
            const QStringList before = rowsOf(store, DefaultTable);
            FieldRegistry reg;
            QVERIFY(store.ReadTemplate(DefaultTable, reg).ok());
            exec(store, QStringLiteral("CREATE FUNCTION cut() RETURNS trigger LANGUAGE plpgsql AS "
                                       "$$BEGIN IF NEW.\"cValue\" = 'BOOM' THEN "
                                       "PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END$$"));
            exec(store, QStringLiteral("CREATE TRIGGER cut BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION cut()")
                            .arg(TemplateStore::quoteIdentifier(DefaultTable)));
            reg.RegistryCtl(reg.keyOf(3), {{0, QString(), QStringLiteral("BOOM")}}, 0, FieldRegistry::Update);
            const StoreStatus s = store.WriteTemplate(DefaultTable, reg);
            QVERIFY(!s.ok());
            QVERIFY(!s.message.isEmpty());
            QCOMPARE(OpenDatabase(m_state, location), 0); // the clerk starts again
            QCOMPARE(rowsOf(this->store(), DefaultTable), before);
        }
    }

    void savingARemovedTemplateSaysSo()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        FieldRegistry reg;
        QVERIFY(store.ReadTemplate(DefaultTable, reg).ok());
        // Another workstation renames the template meanwhile.
        exec(store, QStringLiteral("ALTER TABLE %1 RENAME TO \"通用票据_改名\"").arg(TemplateStore::quoteIdentifier(DefaultTable)));
        const StoreStatus s = store.WriteTemplate(DefaultTable, reg);
        QVERIFY(!s.ok());
        QVERIFY2(s.message.contains(QStringLiteral("已不在数据库中")), qPrintable(s.message));
        QVERIFY(!store.tableExists(DefaultTable));
    }

    // Two designers open the template at the same version; the first save
    // wins, the second is refused with nothing written, and a save without
    // a version (an overwrite the user chose) goes through.
    void saveFromAnOldVersionIsRefused()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        AppState other;
        QCOMPARE(OpenDatabase(other, m_state.DatabasePath), 0);
        const TemplateStore otherStore(other.DbConnection);
        FieldRegistry mine, theirs;
        QVERIFY(store.ReadTemplate(DefaultTable, mine).ok());
        QVERIFY(otherStore.ReadTemplate(DefaultTable, theirs).ok());
        qint64 opened = -1, otherOpened = -1;
        QVERIFY(store.templateVersion(DefaultTable, opened).ok());
        QVERIFY(otherStore.templateVersion(DefaultTable, otherOpened).ok());
        QCOMPARE(opened, otherOpened);

        QVERIFY(theirs.setEntry(1, 1, QStringLiteral("左"), QStringLiteral("4321")));
        QVERIFY(otherStore.WriteTemplate(DefaultTable, theirs, otherOpened).ok());
        const QStringList afterTheirs = rowsOf(store, DefaultTable);
        qint64 now = -1;
        QVERIFY(store.templateVersion(DefaultTable, now).ok());
        QCOMPARE(now, opened + 1);

        QVERIFY(mine.setEntry(1, 1, QStringLiteral("左"), QStringLiteral("1234")));
        const StoreStatus refused = store.WriteTemplate(DefaultTable, mine, opened);
        QCOMPARE(refused.error, TemplateStore::ChangedElsewhere);
        QCOMPARE(rowsOf(store, DefaultTable), afterTheirs);
        QVERIFY(store.WriteTemplate(DefaultTable, mine, now).ok());
        QVERIFY(store.WriteTemplate(DefaultTable, mine).ok());
        QVERIFY(store.templateVersion(DefaultTable, now).ok());
        QCOMPARE(now, opened + 3);
        CloseDatabase(other);
    }

    void missingTableFails()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        FieldRegistry reg;
        const StoreStatus s = store.ReadTemplate(QStringLiteral("nope"), reg);
        QVERIFY(!s.ok());
        QVERIFY(!s.message.isEmpty());
        QVERIFY(reg.isEmpty());
    }

    void historyColumnsInCatalogOrder_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("field keys") << "\"WriteDate\",\"00208000\",\"00107000\""
                                    << QStringList{"00107000", "00208000"};
        QTest::newRow("WriteDate between") << "\"zzz\",\"WriteDate\",\"aaa\"" << QStringList{"aaa", ""};
        QTest::newRow("only WriteDate") << "\"WriteDate\"" << QStringList{};
    }
    void historyColumnsInCatalogOrder()
    {
        QFETCH(QString, columns);
        QFETCH(QStringList, listed);
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        QString decl = columns;
        decl.replace(QLatin1String("\","), QLatin1String("\" VARCHAR(20),"));
        exec(store, QStringLiteral("CREATE TABLE \"H_T\" (%1 VARCHAR(20))").arg(decl));
        QStringList names;
        QVERIFY(store.ListHistoryColumns(QStringLiteral("H_T"), names).ok());
        QCOMPARE(names, listed);
        QVERIFY(!store.ListHistoryColumns(QStringLiteral("H_missing"), names).ok());
    }

    void languageGroups()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
        const TemplateStore store = this->store();
        exec(store, "INSERT INTO \"LanguageSet\" VALUES ('grp',2,'c',NULL),('grp',0,'a','x'),('grp',1,NULL,'y')");
        int n = 0;
        QVERIFY(store.countLanguageGroup(QStringLiteral("grp"), n).ok());
        QCOMPARE(n, 3);
        QList<LanguageRow> rows;
        QVERIFY(store.readMenuGroup(QStringLiteral("grp"), rows).ok());
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).LCaptionCHJ, QStringLiteral("a"));
        QVERIFY(!rows.at(2).LValue.has_value());
        PropertyList list;
        QVERIFY(store.readPropertyGroup(QStringLiteral("grp"), list).ok());
        QCOMPARE(list.at(2).value, QString());
        QCOMPARE(list.at(1).key, qint16(1));
        // Every kind has a default property group beginning with key 0.
        for (const char *g : {"cBill", "cLabel", "cCheck", "cDate", "cText", "cMoney"}) {
            QVERIFY(store.readPropertyGroup(QString::fromLatin1(g), list).ok());
            QVERIFY(!list.isEmpty());
            QCOMPARE(list.first().key, qint16(0));
        }
    }
};

QTEST_GUILESS_MAIN(TestTemplateStore)
#include "tst_templatestore.moc"
