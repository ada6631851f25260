#pragma once
// The store a test runs against: a new SQLite file by default, or, with
// BILLPRINT_TEST_BACKEND=postgresql, a new database on the test server whose
// address is in BILLPRINT_PG_URL or in the file tools/start-postgres.sh
// writes (BILLPRINT_PG_URL_FILE, default /tmp/billprint-pg.url). CTest runs
// the store tests once for each.
#include "core/database.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace testbackend {

inline bool onServer()
{
    return qEnvironmentVariable("BILLPRINT_TEST_BACKEND") == QLatin1String("postgresql");
}

// The test server's address; empty when none was started.
inline QString serverUrl()
{
    const QString given = qEnvironmentVariable("BILLPRINT_PG_URL");
    if (!given.isEmpty())
        return given;
    const QString path = qEnvironmentVariable("BILLPRINT_PG_URL_FILE", QStringLiteral("/tmp/billprint-pg.url"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).trimmed();
}

// The address of database `name` on the test server.
inline QString urlOf(const QString &name)
{
    QUrl u(serverUrl());
    u.setPath(QLatin1Char('/') + name);
    return u.toString();
}

// Runs statements on the server's own database "postgres"; the reason on failure.
inline QString onMaintenance(const QStringList &statements)
{
    const auto a = database::parseServerUrl(serverUrl());
    if (!a)
        return QStringLiteral("no test server (run tools/start-postgres.sh)");
    const QString name = QStringLiteral("billprint-test-maintenance");
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(a->host);
        db.setPort(a->port);
        db.setUserName(a->user);
        db.setPassword(a->password);
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        if (!db.isOpen() && !db.open())
            return QStringLiteral("the test server does not answer: %1").arg(db.lastError().text());
        QSqlQuery q(db);
        for (const QString &s : statements)
            if (!q.exec(s)) {
                why = q.lastError().text();
                break;
            }
    }
    return why;
}

// A new, empty database on the test server, named after the test program
// and `n` (an earlier run's database of that name is dropped first).
inline QString newServerDatabase(const QString &tag, QString *why)
{
    const QString name = QStringLiteral("bp_%1_%2")
                             .arg(QFileInfo(QCoreApplication::applicationFilePath()).baseName().toLower(), tag);
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    *why = onMaintenance({QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quoted),
                          QStringLiteral("CREATE DATABASE %1").arg(quoted)});
    return why->isEmpty() ? urlOf(name) : QString();
}

// A new default store for test number `n`: a file in `dir`, or an empty
// server database (set up on opening). Empty, with the reason, when the
// server is wanted and not there.
inline QString freshLocation(const QTemporaryDir &dir, int n, QString *why)
{
    if (onServer())
        return newServerDatabase(QString::number(n), why);
    const QString path = dir.filePath(QStringLiteral("db%1/BillDB.db").arg(n));
    if (StoreStatus s = database::ensureExists(path); !s) {
        *why = s.message;
        return {};
    }
    return path;
}

} // namespace testbackend

// Opens a fresh store for test number N into STATE, or skips the test when
// the server it should run against is not there.
#define OPEN_FRESH_STORE(state, dir, n)                                                          \
    do {                                                                                          \
        CloseDatabase(state);                                                                     \
        QString why_;                                                                             \
        const QString where_ = testbackend::freshLocation(dir, n, &why_);                         \
        if (where_.isEmpty()) {                                                                   \
            if (testbackend::onServer())                                                          \
                QSKIP(qPrintable(why_));                                                          \
            QFAIL(qPrintable(why_));                                                              \
        }                                                                                         \
        state.DatabasePath = where_;                                                              \
        QCOMPARE(OpenDatabase(state, where_), 0);                                                 \
    } while (false)
