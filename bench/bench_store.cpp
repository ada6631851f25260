// Reading and writing a large template: 200 fields of 40 properties each.
#include "core/database.h"
#include "core/templatestore.h"
#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct LargeTemplate {
    QTemporaryDir dir;
    AppState state;
    FieldRegistry registry;
    const QString table = QStringLiteral("大类_大模板");

    LargeTemplate()
    {
        const QString path = dir.filePath(QStringLiteral("BillDB.db"));
        database::ensureExists(path);
        OpenDatabase(state, path);
        QSqlQuery q(TemplateStore(state.DbConnection).database());
        q.exec(QStringLiteral("CREATE TABLE \"%1\" (\"cKey\" VARCHAR(50), \"cName\" VARCHAR(50), "
                              "\"cType\" SMALLINT, \"cValue\" VARCHAR(50))").arg(table));
        for (int s = 0; s < 200; ++s) {
            PropertyList list;
            for (int k = 0; k < 40; ++k)
                list.append({qint16(k), QStringLiteral("属性%1").arg(k), QString::number(s * 100 + k)});
            registry.RegistryCtl(FieldKey::make(s, s == 0 ? 0 : 7, s), list, 0, FieldRegistry::Add);
        }
        TemplateStore(state.DbConnection).WriteTemplate(table, registry);
    }
    ~LargeTemplate() { CloseDatabase(state); }
};

LargeTemplate &fixture()
{
    static LargeTemplate t;
    return t;
}

void BM_ReadTemplate(benchmark::State &st)
{
    LargeTemplate &t = fixture();
    TemplateStore store(t.state.DbConnection);
    for (auto _ : st) {
        FieldRegistry r;
        store.ReadTemplate(t.table, r);
        benchmark::DoNotOptimize(r.count());
    }
}
BENCHMARK(BM_ReadTemplate)->Unit(benchmark::kMillisecond);

void BM_WriteTemplate(benchmark::State &st)
{
    LargeTemplate &t = fixture();
    TemplateStore store(t.state.DbConnection);
    for (auto _ : st)
        store.WriteTemplate(t.table, t.registry);
}
BENCHMARK(BM_WriteTemplate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
