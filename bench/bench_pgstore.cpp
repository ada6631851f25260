// The store on the file and on a PostgreSQL server side by side: opening a
// template of 200 fields (40 properties each) and searching a register of
// 100,000 printed bills by date and payee. Arguments: 0 the SQLite file,
// 1 the server of tools/start-postgres.sh (BILLPRINT_PG_URL or
// /tmp/billprint-pg.url; skipped when none answers). The server's figures
// should stay within twice the file's.
#include "core/database.h"
#include "core/templatestore.h"
#include "core/sqlhelpers.h"
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>

namespace {

const QString Table = QStringLiteral("大类_大模板");
const QString Register = QStringLiteral("H_大类_大模板");
constexpr int RegisterRows = 100000;

QString serverUrl()
{
    QString url = qEnvironmentVariable("BILLPRINT_PG_URL");
    if (url.isEmpty()) {
        QFile f(QStringLiteral("/tmp/billprint-pg.url"));
        if (f.open(QIODevice::ReadOnly))
            url = QString::fromUtf8(f.readAll()).trimmed();
    }
    return url;
}

// A fresh empty database on the server, made through its "postgres" database.
QString freshServerDatabase()
{
    const QString url = serverUrl();
    const auto a = database::parseServerUrl(url);
    if (!a)
        return {};
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
        db.setHostName(a->host);
        db.setPort(a->port);
        db.setUserName(a->user);
        db.setPassword(a->password);
        db.setDatabaseName(QStringLiteral("postgres"));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("DROP DATABASE IF EXISTS bp_bench WITH (FORCE)"))
                && q.exec(QStringLiteral("CREATE DATABASE bp_bench"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    if (!ok)
        return {};
    QUrl u(url);
    u.setPath(QStringLiteral("/bp_bench"));
    return u.toString();
}

struct Store {
    QTemporaryDir dir;
    AppState state;
    FieldRegistry registry;
    bool ready = false;

    explicit Store(bool server)
    {
        QString where = dir.filePath(QStringLiteral("BillDB.db"));
        if (server)
            where = freshServerDatabase();
        else
            database::ensureExists(where);
        if (where.isEmpty() || OpenDatabase(state, where) != 0)
            return;
        QSqlDatabase db = TemplateStore(state.DbConnection).database();
        QSqlQuery q(db);
        sql::run(q, QStringLiteral("CREATE TABLE %1 (\"cKey\" VARCHAR(50), \"cName\" VARCHAR(50), "
                                   "\"cType\" SMALLINT, \"cValue\" VARCHAR(50))").arg(TemplateStore::quoteIdentifier(Table)));
        for (int s = 0; s < 200; ++s) {
            PropertyList list;
            for (int k = 0; k < 40; ++k)
                list.append({qint16(k), QStringLiteral("属性%1").arg(k), QString::number(s * 100 + k)});
            registry.RegistryCtl(FieldKey::make(s, s == 0 ? 0 : 7, s), list, 0, FieldRegistry::Add);
        }
        TemplateStore(state.DbConnection).WriteTemplate(Table, registry);
        fillRegister(db);
        ready = true;
    }
    ~Store() { CloseDatabase(state); }

    void fillRegister(QSqlDatabase db)
    {
        QSqlQuery q(db);
        sql::run(q, QStringLiteral("CREATE TABLE %1 (\"WriteDate\" VARCHAR(20), \"00106000\" VARCHAR(200), "
                                   "\"00207000\" VARCHAR(200), \"00305000\" VARCHAR(200))")
                        .arg(TemplateStore::quoteIdentifier(Register)));
        sql::run(q, QStringLiteral("CREATE INDEX \"H_date\" ON %1 (\"WriteDate\")").arg(TemplateStore::quoteIdentifier(Register)));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?,?,?,?)").arg(TemplateStore::quoteIdentifier(Register)));
        for (int i = 0; i < RegisterRows; ++i) {
            q.addBindValue(QStringLiteral("2026-%1-%2 10:00:00").arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                               .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("收款人%1").arg(i % 500));
            q.addBindValue(QString::number(i * 7 % 100000));
            q.addBindValue(QStringLiteral("用途"));
            q.exec();
        }
        db.commit();
    }
};

Store &store(bool server)
{
    static Store file(false);
    static Store *onServer = nullptr;
    if (!server)
        return file;
    if (!onServer)
        onServer = new Store(true);
    return *onServer;
}

void BM_OpenTemplate200(benchmark::State &st)
{
    Store &s = store(st.range(0) == 1);
    if (!s.ready) {
        st.SkipWithError("no test server");
        return;
    }
    TemplateStore ts(s.state.DbConnection);
    for (auto _ : st) {
        FieldRegistry r;
        ts.ReadTemplate(Table, r);
        benchmark::DoNotOptimize(r.count());
    }
}
BENCHMARK(BM_OpenTemplate200)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One month of one payee's bills, newest first, as the register window asks.
void BM_RegisterSearch100k(benchmark::State &st)
{
    Store &s = store(st.range(0) == 1);
    if (!s.ready) {
        st.SkipWithError("no test server");
        return;
    }
    QSqlDatabase db = TemplateStore(s.state.DbConnection).database();
    for (auto _ : st) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        sql::run(q, QStringLiteral("SELECT * FROM %1 WHERE \"WriteDate\" >= ? AND \"WriteDate\" < ? "
                                   "AND \"00106000\" = ? ORDER BY \"WriteDate\" DESC")
                        .arg(TemplateStore::quoteIdentifier(Register)),
                 {QStringLiteral("2026-03-01"), QStringLiteral("2026-04-01"), QStringLiteral("收款人7")});
        int n = 0;
        while (q.next())
            ++n;
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_RegisterSearch100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
