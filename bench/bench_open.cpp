// Opening a template of 200 fields on the main window: a double click on
// the template node until every control is shown (the previous bill's
// controls taken down and deleted first). Run with QT_QPA_PLATFORM=offscreen
// or under a display.
#include "../tests/workspace/testdb.h"

#include "core/appstate.h"
#include "core/database.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<MDIMain> window;
    QTreeWidgetItem *node = nullptr;

    explicit Fixture(int fields)
    {
        const QString path = dir.filePath(QStringLiteral("bench.db"));
        testdb::build(path, [&](QSqlDatabase &db) {
            return testdb::createSchema(db)
                   && testdb::exec(db, QStringLiteral("INSERT INTO \"ClassList\" VALUES(1,'类')"))
                   && testdb::exec(db, QStringLiteral("INSERT INTO \"BillList\" VALUES(1,'大模板',1)"))
                   && testdb::addTemplateTable(db, QStringLiteral("类_大模板"),
                                               testdb::largeTemplate(fields));
        });
        StartUp(state, path, dir.path());
        window = std::make_unique<MDIMain>(state);
        window->show();
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
            if ((*it)->text(0) == QStringLiteral("大模板"))
                node = *it;
    }

    void open()
    {
        window->tree()->setCurrentItem(node);
        window->TreeViewCtl_NodeClick();
        window->TreeViewCtl_DblClick();
        // What the event loop does after the click: deletions, layouts, shows.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

void BM_OpenTemplate(benchmark::State &st)
{
    Fixture f(int(st.range(0)));
    for (auto _ : st) {
        f.open();
        benchmark::DoNotOptimize(f.window->controls().texts.count());
    }
    st.counters["fields"] = double(f.state.Registry.count() - 1);
}
BENCHMARK(BM_OpenTemplate)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_StartUpWindow(benchmark::State &st)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("start.db"));
    testdb::build(path, [](QSqlDatabase &db) { return testdb::createSchema(db); });
    for (auto _ : st) {
        AppState state;
        StartUp(state, path, dir.path());
        MDIMain window(state);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_StartUpWindow)->Unit(benchmark::kMillisecond);

// The check of every page made when a database opens, on the shipped
// database as the first start makes it (it should stay well under 50 ms).
void BM_IntegrityCheckShipped(benchmark::State &st)
{
    QTemporaryDir dir;
    AppState state;
    StartUp(state, dir.filePath(QStringLiteral("DB/BillDB.db")), dir.path());
    for (auto _ : st) {
        const StoreStatus s = database::checkIntegrity(state.DbConnection);
        if (!s)
            st.SkipWithError(qPrintable(s.message));
    }
    st.counters["bytes"] = double(QFileInfo(state.DatabasePath).size());
    CloseDatabase(state);
}
BENCHMARK(BM_IntegrityCheckShipped)->Unit(benchmark::kMillisecond);

// Opening the shipped database whole: connection, integrity check, tables.
void BM_OpenShippedDatabase(benchmark::State &st)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DB/BillDB.db"));
    {
        AppState first;
        StartUp(first, path, dir.path());
        CloseDatabase(first);
    }
    for (auto _ : st) {
        AppState state;
        if (OpenDatabase(state, path) != 0)
            st.SkipWithError(qPrintable(state.DatabaseError));
        CloseDatabase(state);
    }
}
BENCHMARK(BM_OpenShippedDatabase)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
