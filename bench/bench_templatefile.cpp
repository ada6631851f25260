// Template files and template management on a large template (200 fields of
// 40 properties each): writing and reading the file, importing it, copying
// and renaming it in the store, and refusing a hostile file of the largest
// size accepted (a list of 8 million numbers).
#include "core/database.h"
#include "core/templatefile.h"
#include "core/templatemanager.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    AppState state;
    TemplateContent content;
    QByteArray text;
    int next = 0;

    Fixture()
    {
        const QString path = dir.filePath(QStringLiteral("BillDB.db"));
        database::ensureExists(path);
        OpenDatabase(state, path);
        content.name = {QStringLiteral("大类"), QStringLiteral("大模板")};
        content.bill = {QStringLiteral("00000000"),
                        {{0, QStringLiteral("票据名称"), QStringLiteral("大模板")},
                         {3, QStringLiteral("宽度"), QStringLiteral("12758")},
                         {4, QStringLiteral("高度"), QStringLiteral("4536")}}};
        for (int s = 1; s <= 200; ++s) {
            TemplateRecord r{FieldKey::make(s, 7, s), {}};
            for (int k = 0; k < 40; ++k)
                r.props.append({qint16(k), QStringLiteral("属性%1").arg(k), QString::number(s * 100 + k)});
            content.fields.append(r);
        }
        text = templatefile::toJson(content);
        TemplateManager(state.DbConnection).importContent(content, content.name);
    }
    ~Fixture() { CloseDatabase(state); }
    TemplateManager manager() const { return TemplateManager(state.DbConnection); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_WriteFileText(benchmark::State &st)
{
    Fixture &f = fixture();
    for (auto _ : st)
        benchmark::DoNotOptimize(templatefile::toJson(f.content).size());
    st.counters["bytes"] = double(f.text.size());
}
BENCHMARK(BM_WriteFileText)->Unit(benchmark::kMillisecond);

void BM_ReadFileText(benchmark::State &st)
{
    Fixture &f = fixture();
    for (auto _ : st) {
        TemplateContent c;
        templatefile::fromJson(f.text, c);
        benchmark::DoNotOptimize(c.fields.size());
    }
}
BENCHMARK(BM_ReadFileText)->Unit(benchmark::kMillisecond);

void BM_Import(benchmark::State &st)
{
    Fixture &f = fixture();
    for (auto _ : st)
        f.manager().importContent(f.content, {QStringLiteral("导入"), QStringLiteral("模板%1").arg(++f.next)});
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CopyThenRename(benchmark::State &st)
{
    Fixture &f = fixture();
    for (auto _ : st) {
        const TemplateRef copy{QStringLiteral("大类"), QStringLiteral("副本%1").arg(++f.next)};
        f.manager().copyTemplate(f.content.name, copy);
        f.manager().renameTemplate(copy, copy.templateName + QStringLiteral("改"));
    }
}
BENCHMARK(BM_CopyThenRename)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_RefuseHugeList(benchmark::State &st)
{
    QByteArray hostile = "{\"format\":\"billprint-template\",\"version\":1,\"fields\":[";
    while (hostile.size() < templatefile::MaxFileBytes - 4)
        hostile += "0,";
    hostile += "0]}";
    for (auto _ : st) {
        TemplateContent c;
        benchmark::DoNotOptimize(templatefile::fromJson(hostile, c).ok());
    }
    st.counters["MB"] = double(hostile.size()) / (1024 * 1024);
}
BENCHMARK(BM_RefuseHugeList)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
