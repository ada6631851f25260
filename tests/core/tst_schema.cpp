// Upgrading a database of the previous version when it opens: the tree's
// pop-up menu gains the template commands and batch printing, the setup menu
// batch printing, once, and only where a menu is laid out as it was
// delivered.
#include "core/database.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// "LType caption value" for every row of a menu group.
QStringList menuRows(const AppState &state, const QString &group)
{
    QSqlQuery q(TemplateStore(state.DbConnection).database());
    q.prepare("SELECT \"LType\",\"LCaptionCHJ\",\"LValue\" FROM \"LanguageSet\" WHERE \"LName\"=? "
              "ORDER BY \"LType\"");
    q.addBindValue(group);
    q.exec();
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), q.value(1).toString(),
                                               q.value(2).isNull() ? QStringLiteral("-null-") : q.value(2).toString());
    return rows;
}

QStringList popupRows(const AppState &state)
{
    return menuRows(state, QStringLiteral("tvPopupMenuS"));
}

bool exec(const AppState &state, const QString &sql)
{
    QSqlQuery q(TemplateStore(state.DbConnection).database());
    return q.exec(sql);
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    int m_count = 0;

    // A database whose pop-up menu is as the previous version delivered it.
    void openPreviousVersion(const QString &menuChange = {})
    {
        CloseDatabase(m_state);
        const QString path = m_dir.filePath(QStringLiteral("db%1/BillDB.db").arg(++m_count));
        QVERIFY(database::ensureExists(path).ok());
        QCOMPARE(OpenDatabase(m_state, path), 0);
        QVERIFY(exec(m_state, "DELETE FROM \"LanguageSet\" WHERE \"LName\"='tvPopupMenuS' AND \"LType\">7"));
        QVERIFY(exec(m_state, "UPDATE \"LanguageSet\" SET \"LValue\"=NULL WHERE \"LName\"='tvPopupMenuS' "
                              "AND \"LType\" IN (0,1,2,3,4,6)"));
        if (!menuChange.isEmpty())
            QVERIFY(exec(m_state, menuChange));
        reopen();
    }
    void reopen()
    {
        CloseDatabase(m_state);
        QCOMPARE(OpenDatabase(m_state, m_dir.filePath(QStringLiteral("db%1/BillDB.db").arg(m_count))), 0);
    }

private slots:
    void cleanupTestCase() { CloseDatabase(m_state); }

    void newDatabaseHasTheCommands()
    {
        CloseDatabase(m_state);
        const QString path = m_dir.filePath(QStringLiteral("new/BillDB.db"));
        QVERIFY(database::ensureExists(path).ok());
        QCOMPARE(OpenDatabase(m_state, path), 0);
        const QStringList expected{"0 新建类别 是", "1 新建模板 是", "2 重命名 是", "3 删除 是", "4 - 是",
                                   "5 设计模板 是", "6 - 是", "7 结束设计并保存 是", "8 - 是",
                                   "9 导出模板... 是", "10 导入模板... 是", "11 - 是", "12 批量打印... 是"};
        QCOMPARE(popupRows(m_state), expected);
        QCOMPARE(menuRows(m_state, "mSetupSub"),
                 (QStringList{"0 打印机校准... 是", "1 批量打印... 是", "2 打开票据时填入今天的日期 是",
                              "3 数据库服务器... 是"}));
    }

    void previousVersionGainsThemOnce()
    {
        openPreviousVersion();
        const QStringList upgraded = popupRows(m_state);
        QCOMPARE(upgraded.size(), 13);
        QCOMPARE(upgraded.at(3), QStringLiteral("3 删除 是"));
        QCOMPARE(upgraded.at(10), QStringLiteral("10 导入模板... 是"));
        QCOMPARE(upgraded.at(12), QStringLiteral("12 批量打印... 是"));
        // Hidden again by whoever keeps the database, it stays hidden.
        QVERIFY(exec(m_state, "UPDATE \"LanguageSet\" SET \"LValue\"='否' WHERE \"LName\"='tvPopupMenuS' "
                              "AND \"LType\"=3"));
        reopen();
        QCOMPARE(popupRows(m_state).at(3), QStringLiteral("3 删除 否"));
        QCOMPARE(popupRows(m_state).size(), 13);
    }

    void setupMenuGainsBatchPrinting_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("rows");
        const QString clear = "DELETE FROM \"LanguageSet\" WHERE \"LName\"='mSetupSub'";
        QTest::newRow("calibration only") << QString(clear + " AND \"LType\">0")
                                          << QStringList{"0 打印机校准... 是", "1 批量打印... 是",
                                                         "2 打开票据时填入今天的日期 是", "3 数据库服务器... 是"};
        QTest::newRow("empty") << clear << QStringList{};
        QTest::newRow("laid out otherwise") << QString("UPDATE \"LanguageSet\" SET \"LCaptionCHJ\"='导出' "
                                                       "WHERE \"LName\"='mSetupSub' AND \"LType\"=1")
                                            << QStringList{"0 打印机校准... 是", "1 导出 是",
                                                           "2 打开票据时填入今天的日期 是", "3 数据库服务器... 是"};
    }
    void setupMenuGainsBatchPrinting()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, rows);
        openPreviousVersion(change);
        QCOMPARE(menuRows(m_state, "mSetupSub"), rows);
        reopen();
        QCOMPARE(menuRows(m_state, "mSetupSub"), rows);
    }

    void notPrintedSwitchInTheDefaults()
    {
        // A database of the previous version lacks key 30 in the default
        // property groups; it gains it once, and a group that has it keeps
        // its own row.
        openPreviousVersion("DELETE FROM \"LanguageSet\" WHERE \"LType\"=30");
        QVERIFY(exec(m_state, "DELETE FROM \"LanguageSet\" WHERE \"LType\"=30"));
        QVERIFY(exec(m_state, "INSERT INTO \"LanguageSet\" VALUES ('cDate',30,'只显示','是')"));
        reopen();
        reopen();
        QSqlQuery q(TemplateStore(m_state.DbConnection).database());
        q.exec("SELECT \"LName\",\"LCaptionCHJ\",\"LValue\" FROM \"LanguageSet\" WHERE \"LType\"=30 "
               "ORDER BY \"LName\"");
        QStringList rows;
        while (q.next())
            rows << QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        QCOMPARE(rows, (QStringList{"cCheck 不打印 否", "cDate 只显示 是", "cMoney 不打印 否", "cText 不打印 否"}));
    }

    void otherMenusLeftAlone_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("fewer items") << "DELETE FROM \"LanguageSet\" WHERE \"LName\"='tvPopupMenuS' AND \"LType\"<4";
        QTest::newRow("an item of its own") << "INSERT INTO \"LanguageSet\" VALUES ('tvPopupMenuS',8,'刷新','是')";
    }
    void otherMenusLeftAlone()
    {
        QFETCH(QString, change);
        openPreviousVersion(change);
        const QStringList rows = popupRows(m_state);
        QVERIFY(!rows.join(',').contains(QStringLiteral("导出模板")));
        QVERIFY(!rows.join(',').contains(QStringLiteral("重命名 是")));
        QVERIFY(!rows.join(',').contains(QStringLiteral("批量打印")));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
