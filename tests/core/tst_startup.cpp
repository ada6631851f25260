#include "core/database.h"
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void defaultsAndNewDatabase()
    {
        AppState s;
        const QString path = m_dir.filePath(QStringLiteral("new/DB/BillDB.db"));
        StartUp(s, path, m_dir.path());
        QVERIFY2(s.DatabaseError.isEmpty(), qPrintable(s.DatabaseError));
        QVERIFY(QFile::exists(path));
        QCOMPARE(s.BillRect[2], 12758);
        QCOMPARE(s.BillRect[3], 4536);
        QCOMPARE(s.SplitterLeft, 1000);
        QCOMPARE(s.MenuNames.size(), 8);
        QCOMPARE(s.MenuNames.at(7), QStringLiteral("tvPopupMenuS"));
        QVERIFY(!s.AppTitle.isEmpty());
        QCOMPARE(s.AppLanguage, qint16(1));
        // A fresh install asks no server for news until one is set.
        QCOMPARE(s.AppNewsServer, QString());
        CloseDatabase(s);
        QVERIFY(s.DbConnection.isEmpty());
        QCOMPARE(CloseDatabase(s), 0);
    }

    void unusableFilesAreLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("not a database at all\n");
        QTest::newRow("empty file") << QByteArray();
    }
    void unusableFilesAreLeftAlone()
    {
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(QStringLiteral("bad%1.db").arg(QTest::currentDataTag()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        AppState s;
        StartUp(s, path, m_dir.path());
        QVERIFY(s.DbConnection.isEmpty());
        QVERIFY(s.DatabaseError.contains(path));
        QVERIFY(QFile::exists(path));
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), content);
        QCOMPARE(s.BillRect[2], 12758); // start-up goes on without a database
    }

    void folderThatCannotBeMade()
    {
        const QString blocker = m_dir.filePath(QStringLiteral("plainfile"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        AppState s;
        StartUp(s, blocker + QStringLiteral("/DB/BillDB.db"), m_dir.path());
        QVERIFY(s.DbConnection.isEmpty());
        QVERIFY(!s.DatabaseError.isEmpty());
    }

    void pathResolution()
    {
        QCOMPARE(database::resolvePath(QStringLiteral("/x/y.db"), QStringLiteral("/p")), QStringLiteral("/x/y.db"));
        qputenv("XDG_DATA_HOME", "/xdg");
        QCOMPARE(database::resolvePath(QString(), m_dir.path()), QStringLiteral("/xdg/billprint/DB/BillDB.db"));
        QDir(m_dir.path()).mkpath(QStringLiteral("DB"));
        QFile beside(m_dir.filePath(QStringLiteral("DB/BillDB.db")));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(database::resolvePath(QString(), m_dir.path()), beside.fileName());
    }

    void applicationRecord_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("language");
        QTest::newRow("no title row") << "('appVersion','2')" << "" << 1;
        QTest::newRow("duplicates: last wins") << "('appTitle','a'),('appTitle','b')" << "b" << 1;
        QTest::newRow("null values") << "('appTitle',NULL),('appLanguage',NULL)" << "" << 1;
        QTest::newRow("language") << "('appLanguage','2'),('apptitle','case differs')" << "" << 2;
    }
    void applicationRecord()
    {
        QFETCH(QString, rows);
        QFETCH(QString, title);
        QFETCH(int, language);
        const QString path = m_dir.filePath(QStringLiteral("app%1.db").arg(QTest::currentDataTag()));
        QVERIFY(database::ensureExists(path).ok());
        AppState s;
        QCOMPARE(OpenDatabase(s, path), 0);
        QSqlQuery q(TemplateStore(s.DbConnection).database());
        QVERIFY(q.exec(QStringLiteral("DELETE FROM AppInfo")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO AppInfo VALUES %1").arg(rows)));
        q.finish();
        ReadAppInfo(s, 0, 100, QString());
        QCOMPARE(s.AppTitle, title);
        QCOMPARE(int(s.AppLanguage), language);
        AppState untouched;
        untouched.DbConnection = s.DbConnection;
        QCOMPARE(ReadAppInfo(untouched, 1, 100, QStringLiteral("v")), QStringLiteral("v"));
        QVERIFY(untouched.AppTitle.isEmpty());
        CloseDatabase(s);
    }

    void openWindows()
    {
        AppState s;
        s.RegisterWindow(QStringLiteral("ToolBox"), true);
        s.RegisterWindow(QStringLiteral("PrintPreview"), true);
        s.RegisterWindow(QStringLiteral("ToolBox"), true);
        s.RegisterWindow(QStringLiteral("ToolBox"), false);
        QCOMPARE(s.OpenWindows, QStringList{"PrintPreview"});
        s.RegisterWindow(QStringLiteral("PrintPreview"), false);
        QVERIFY(s.OpenWindows.isEmpty());
        QVERIFY(!s.IsWindowOpen(QStringLiteral("PrintPreview")));
        s.InitMenuNames();
        s.EraseGlobals();
        QVERIFY(s.MenuNames.isEmpty());
        QCOMPARE(s.BillRect[2], 0);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
