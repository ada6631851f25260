// Shipped templates corrected in databases of the previous version: only
// where a template still holds what was delivered, once.
#include "core/database.h"
#include "core/shippedfixes.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using shippedfixes::Row;

namespace {

QSqlDatabase dbOf(const AppState &state)
{
    return TemplateStore(state.DbConnection).database();
}

QString valueOf(const AppState &state, const QString &table, const QString &key, int type)
{
    QSqlQuery q(dbOf(state));
    q.prepare(QStringLiteral("SELECT \"cValue\" FROM \"%1\" WHERE \"cKey\"=? AND \"cType\"=?").arg(table));
    q.addBindValue(key);
    q.addBindValue(type);
    return q.exec() && q.next() ? q.value(0).toString() : QStringLiteral("-none-");
}

bool setValue(const AppState &state, const QString &table, const QString &key, int type, const QString &value)
{
    QSqlQuery q(dbOf(state));
    q.prepare(QStringLiteral("UPDATE \"%1\" SET \"cValue\"=? WHERE \"cKey\"=? AND \"cType\"=?").arg(table));
    q.addBindValue(value);
    q.addBindValue(key);
    q.addBindValue(type);
    return q.exec() && q.numRowsAffected() == 1;
}

} // namespace

class TestShippedFixes : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    int m_count = 0;

    QString path() const { return m_dir.filePath(QStringLiteral("db%1/BillDB.db").arg(m_count)); }
    void reopen()
    {
        CloseDatabase(m_state);
        QCOMPARE(OpenDatabase(m_state, path()), 0);
    }
    // A database whose shipped templates are as the previous version
    // delivered them, with one change of the keeper's own (SQL) made before
    // this version opens it.
    void openPreviousVersion(const QString &keepersChange)
    {
        CloseDatabase(m_state);
        ++m_count;
        QVERIFY(database::ensureExists(path()).ok());
        QCOMPARE(OpenDatabase(m_state, path()), 0);
        for (const QList<Row> &group : shippedfixes::groups())
            for (const Row &r : group)
                QVERIFY(setValue(m_state, QString::fromUtf8(r.table), QString::fromLatin1(r.key), r.type,
                                 QString::fromUtf8(r.delivered)));
        if (!keepersChange.isEmpty()) {
            QSqlQuery q(dbOf(m_state));
            QVERIFY(q.exec(keepersChange));
        }
        reopen();
    }

private slots:
    void cleanupTestCase() { CloseDatabase(m_state); }

    // The step and the default database ship the same values.
    void newDatabaseHoldsTheCorrections()
    {
        CloseDatabase(m_state);
        ++m_count;
        QVERIFY(database::ensureExists(path()).ok());
        QCOMPARE(OpenDatabase(m_state, path()), 0);
        for (const QList<Row> &group : shippedfixes::groups())
            for (const Row &r : group)
                QCOMPARE(valueOf(m_state, QString::fromUtf8(r.table), QString::fromLatin1(r.key), r.type),
                         QString::fromUtf8(r.now));
    }

    void previousVersionCorrected_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("expected");
        const QString cheque = QStringLiteral("支票_转账支票");
        QTest::newRow("cheque words") << QString() << cheque << "01607004" << 15 << "";
        QTest::newRow("cheque caption") << QString() << cheque << "01404007" << 3 << "750";
        QTest::newRow("cash cheque words") << QString() << "支票_现金支票" << "01607004" << 15 << "";
        QTest::newRow("slip caption") << QString() << "结算凭证_进账单" << "01704009" << 4 << "454";
        QTest::newRow("voucher caption") << QString() << "通用票据_通用凭证" << "00404001" << 0 << "人民币（大写）";
        const QString moved = QStringLiteral("UPDATE \"支票_转账支票\" SET \"cValue\"='3600' WHERE \"cKey\"='01404007' "
                                             "AND \"cType\"=1");
        QTest::newRow("caption the keeper moved") << moved << cheque << "01404007" << 3 << "1160";
        QTest::newRow("words fixed all the same") << moved << cheque << "01607004" << 15 << "";
        const QString prefix = QStringLiteral("UPDATE \"支票_转账支票\" SET \"cValue\"='RMB' WHERE \"cKey\"='01607004' "
                                              "AND \"cType\"=15");
        QTest::newRow("prefix of the keeper's own") << prefix << cheque << "01607004" << 15 << "RMB";
        QTest::newRow("template removed") << QStringLiteral("DROP TABLE \"支票_现金支票\"") << cheque << "01607004"
                                          << 15 << "";
    }

    void previousVersionCorrected()
    {
        QFETCH(QString, change);
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(int, type);
        QFETCH(QString, expected);
        openPreviousVersion(change);
        QCOMPARE(valueOf(m_state, table, key, type), expected);
        // Once corrected, opening again changes nothing more.
        QVERIFY(setValue(m_state, QStringLiteral("支票_转账支票"), QStringLiteral("01404007"), 4, QStringLiteral("500")));
        reopen();
        QCOMPARE(valueOf(m_state, table, key, type), expected);
        QCOMPARE(valueOf(m_state, QStringLiteral("支票_转账支票"), QStringLiteral("01404007"), 4), QStringLiteral("500"));
    }
};

QTEST_GUILESS_MAIN(TestShippedFixes)
#include "tst_shippedfixes.moc"
