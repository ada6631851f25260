// The store on the file and on a PostgreSQL server side by side: opening a
// template of 200 fields (40 properties each) and searching a register of
// 1,000,000 printed bills (or BILLPRINT_BENCH_ROWS) by date and payee and by
// any text, as the history window does. Arguments: 0 the SQLite file, 1 the
// server of tools/start-postgres.sh (BILLPRINT_PG_URL, BILLPRINT_PG_URL_FILE
// or /tmp/billprint-pg.url; skipped when none answers). The register is
// written by one SQL statement, its search index then made as the upgrade
// makes it (the time printed). Targets: the text search under 100 ms on
// both; the server's figures within twice the file's.
#include "core/billregister.h"
#include "core/database.h"
#include "core/registersearch.h"
#include "core/templatestore.h"
#include "core/sqldialect.h"
#include "core/sqlhelpers.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const QString Table = QStringLiteral("大类_大模板");
const QString Register = QStringLiteral("H_大类_大模板");
const int RegisterRows = qEnvironmentVariableIsSet("BILLPRINT_BENCH_ROWS")
                             ? qEnvironmentVariableIntValue("BILLPRINT_BENCH_ROWS")
                             : 1000000;

QString serverUrl()
{
    QString url = qEnvironmentVariable("BILLPRINT_PG_URL");
    if (url.isEmpty()) {
        QFile f(qEnvironmentVariable("BILLPRINT_PG_URL_FILE", QStringLiteral("/tmp/billprint-pg.url")));
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
    BillTemplate bill;
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
        bill = *BillTemplate::fromRegistry(registry);
        bill.setTable(Table);
        fillRegister(db);
        ready = true;
    }
    ~Store() { CloseDatabase(state); }

    // Row i: one of 5,000 payees in the first field, a number in the
    // second, the same purpose in the third, spread over a year.
    void fillRegister(QSqlDatabase db)
    {
        const bool server = sqldialect::isServer(db);
        QStringList keys;
        for (const TemplateField &f : bill.fields())
            if (keys.size() < 3 && billregister::recorded(f))
                keys << f.key;
        QSqlQuery q(db);
        db.transaction();
        billregister::prepareTable(db, Register);
        for (const QString &k : keys)
            sql::run(q, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 VARCHAR(200)")
                            .arg(TemplateStore::quoteIdentifier(Register), TemplateStore::quoteIdentifier(k)));
        const QString into = QStringLiteral("INSERT INTO %1 (\"WriteDate\",\"RegNo\",\"RegStatus\",\"RegPrinter\","
                                            "\"RegCopies\",\"RegUser\",\"%2\",\"%3\",\"%4\",\"RegText\") ")
                                 .arg(TemplateStore::quoteIdentifier(Register), keys.value(0), keys.value(1), keys.value(2));
        const QString rows = server
            ? QStringLiteral("SELECT to_char(TIMESTAMP '2025-12-01 08:00:00' + i * INTERVAL '31 seconds', "
                             "'YYYY-MM-DD\"T\"HH24:MI:SS'), i + 1, 'printed', 'HP LaserJet', 1, 'teller', "
                             "'收款人' || (i %% 5000), (i * 7 %% 100000)::text, '用途', 'hp laserjet' || chr(10) || "
                             "'teller' || chr(10) || '收款人' || (i %% 5000) || chr(10) || (i * 7 %% 100000) || chr(10) "
                             "|| '用途' FROM generate_series(0, ROWCOUNT - 1) AS i")
            : QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ROWCOUNT - 1) "
                             "SELECT strftime('%Y-%m-%dT%H:%M:%S', '2025-12-01 08:00:00', '+' || (i * 31) || ' seconds'), "
                             "i + 1, 'printed', 'HP LaserJet', 1, 'teller', '收款人' || (i %% 5000), (i * 7 %% 100000), "
                             "'用途', 'hp laserjet' || char(10) || 'teller' || char(10) || '收款人' || (i %% 5000) || "
                             "char(10) || (i * 7 %% 100000) || char(10) || '用途' FROM n");
        QElapsedTimer clock;
        clock.start();
        if (!q.exec(into + QString(rows).replace(QLatin1String("%%"), QLatin1String("%"))
                               .replace(QLatin1String("ROWCOUNT"), QString::number(RegisterRows))))
            std::fprintf(stderr, "cannot fill the register: %s\n", qPrintable(q.lastError().text()));
        const double written = clock.elapsed() / 1000.0;
        // The index made anew from the rows, as the upgrade of a register
        // that had none makes it (on the server: the search column filled).
        registersearch::drop(db, Register);
        registersearch::ensure(db, Register);
        db.commit();
        if (server) {
            QSqlQuery analyse(db);
            analyse.exec(QStringLiteral("ANALYZE %1").arg(TemplateStore::quoteIdentifier(Register)));
        }
        std::fprintf(stderr, "%s: %d register rows written in %.1f s, indexed in %.1f s (index: %s)\n",
                     server ? "server" : "file", RegisterRows, written, clock.elapsed() / 1000.0 - written,
                     registersearch::indexed(db, Register) ? "yes" : "none");
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

// One month of one payee's bills, newest first.
void BM_RegisterDateAndPayee(benchmark::State &st)
{
    Store &s = store(st.range(0) == 1);
    if (!s.ready) {
        st.SkipWithError("no test server");
        return;
    }
    const billregister::Register reg(s.state.DbConnection, Table);
    billregister::Filter f;
    f.from = QDate(2026, 3, 1);
    f.to = QDate(2026, 3, 31);
    f.text = QStringLiteral("收款人7");
    for (auto _ : st)
        benchmark::DoNotOptimize(reg.rows(s.bill, f, 200, 0)->size());
}
BENCHMARK(BM_RegisterDateAndPayee)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Any text, as the history window's search box sends it: a payee in 200
// bills, a text in no bill, one in every bill.
void textSearch(benchmark::State &st, const QString &text)
{
    Store &s = store(st.range(0) == 1);
    if (!s.ready) {
        st.SkipWithError("no test server");
        return;
    }
    const billregister::Register reg(s.state.DbConnection, Table);
    billregister::Filter f;
    f.text = text;
    int rows = 0;
    for (auto _ : st)
        benchmark::DoNotOptimize(rows = int(reg.rows(s.bill, f, 200, 0)->size()));
    st.counters["rows"] = rows;
}
void BM_RegisterTextSearch(benchmark::State &st) { textSearch(st, QStringLiteral("收款人4321")); }
BENCHMARK(BM_RegisterTextSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
void BM_RegisterTextNowhere(benchmark::State &st) { textSearch(st, QStringLiteral("没有这个收款人")); }
BENCHMARK(BM_RegisterTextNowhere)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
void BM_RegisterTextEverywhere(benchmark::State &st) { textSearch(st, QStringLiteral("laserjet")); }
BENCHMARK(BM_RegisterTextEverywhere)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
