// The bill register at 100,000 printed transfer cheques: opening the history
// window (its first page of rows), each kind of search the window offers,
// the payee book's list for a field, and recording one more print.
// Targets: opening and every search under 100 ms, recording under 5 ms.
#include "core/batch.h"
#include "core/billentry.h"
#include "core/billregister.h"
#include "core/database.h"
#include "templates/historywindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100000;
const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};

struct BigRegister {
    QTemporaryDir dir;
    AppState state;
    BillTemplate cheque;

    BigRegister()
    {
        const QString path = dir.filePath(QStringLiteral("BillDB.db"));
        database::ensureExists(path);
        OpenDatabase(state, path);
        cheque = *batch::loadTemplate(state.DbConnection, Cheque);
        state.Bill.setTemplate(cheque);
        entry::enter(state.Bill, QStringLiteral("01107002"), QStringLiteral("上海浦江贸易有限公司"));
        entry::enter(state.Bill, QStringLiteral("01508000"), QStringLiteral("1234.56"));
        const billregister::Register reg(state.DbConnection, cheque.table());
        reg.prepare(cheque);
        // The rows go in as the register writes them, spread over a year.
        reg.begin();
        QSqlQuery q(QSqlDatabase::database(state.DbConnection));
        q.prepare(QStringLiteral("INSERT INTO \"H_支票_转账支票\" (\"WriteDate\",\"RegNo\",\"RegStatus\",\"RegPrinter\","
                                 "\"RegCopies\",\"RegUser\",\"01107002\",\"01307003\",\"00907001\",\"01508000\","
                                 "\"01907006\",\"00606000\",\"RegText\") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        const QDateTime start(QDate(2025, 12, 1), QTime(8, 0));
        for (int i = 0; i < Rows; ++i) {
            q.addBindValue(start.addSecs(qint64(i) * 315).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
            q.addBindValue(i + 1);
            q.addBindValue(billregister::Printed);
            q.addBindValue(QStringLiteral("HP LaserJet"));
            q.addBindValue(1);
            q.addBindValue(QStringLiteral("teller"));
            const QStringList values{
                QStringLiteral("收款单位%1有限公司").arg(i % 5000),
                QStringLiteral("62220%1").arg(i % 5000, 8, 10, QLatin1Char('0')),
                QStringLiteral("工商银行第%1支行").arg(i % 300),
                QStringLiteral("%1.%2").arg(100 + i).arg(i % 100, 2, 10, QLatin1Char('0')),
                QStringLiteral("货款"),
                start.date().addDays(i / 274).toString(QStringLiteral("yyyyMMdd")),
            };
            for (const QString &v : values)
                q.addBindValue(v);
            q.addBindValue((QStringList{QStringLiteral("hp laserjet"), QStringLiteral("teller")} + values)
                               .join(QLatin1Char('\n')));
            q.exec();
        }
        q.finish();
        reg.commit();
    }
    ~BigRegister() { CloseDatabase(state); }
};

BigRegister &fixture()
{
    static BigRegister r;
    return r;
}

void BM_OpenHistoryWindow(benchmark::State &st)
{
    BigRegister &r = fixture();
    for (auto _ : st) {
        HistoryWindow w(r.state, nullptr);
        benchmark::DoNotOptimize(w.model().rowCount());
    }
}
BENCHMARK(BM_OpenHistoryWindow)->Unit(benchmark::kMillisecond);

// One search typed into the window: its edits, then "查找".
void search(benchmark::State &st, const QString &text, const QString &amount)
{
    BigRegister &r = fixture();
    HistoryWindow w(r.state, nullptr);
    w.findChild<QLineEdit *>(QStringLiteral("textEdit"))->setText(text);
    w.findChild<QLineEdit *>(QStringLiteral("amountEdit"))->setText(amount);
    for (auto _ : st) {
        w.search();
        benchmark::DoNotOptimize(w.model().rowCount());
    }
    st.counters["rows"] = w.model().rowCount();
}

void BM_SearchText(benchmark::State &st) { search(st, QStringLiteral("收款单位4321"), {}); }
BENCHMARK(BM_SearchText)->Unit(benchmark::kMillisecond);

void BM_SearchTextNowhere(benchmark::State &st) { search(st, QStringLiteral("没有这个收款人"), {}); }
BENCHMARK(BM_SearchTextNowhere)->Unit(benchmark::kMillisecond);

void BM_SearchAmount(benchmark::State &st) { search(st, {}, QStringLiteral("50,100.00")); }
BENCHMARK(BM_SearchAmount)->Unit(benchmark::kMillisecond);

void BM_SearchDateRange(benchmark::State &st)
{
    BigRegister &r = fixture();
    const billregister::Register reg(r.state.DbConnection, r.cheque.table());
    billregister::Filter f;
    f.from = QDate(2026, 3, 1);
    f.to = QDate(2026, 3, 31);
    for (auto _ : st) {
        const auto rows = reg.rows(r.cheque, f, RegisterModel::PageRows, 0);
        benchmark::DoNotOptimize(rows->size());
    }
}
BENCHMARK(BM_SearchDateRange)->Unit(benchmark::kMillisecond);

void BM_PayeeBookValues(benchmark::State &st)
{
    BigRegister &r = fixture();
    const billregister::Register reg(r.state.DbConnection, r.cheque.table());
    for (auto _ : st)
        benchmark::DoNotOptimize(reg.pastValues(QStringLiteral("01107002"))->size());
}
BENCHMARK(BM_PayeeBookValues)->Unit(benchmark::kMillisecond);

void BM_RecordPrint(benchmark::State &st)
{
    BigRegister &r = fixture();
    const billregister::Register reg(r.state.DbConnection, r.cheque.table());
    for (auto _ : st)
        reg.record(r.state.Bill, {QStringLiteral("HP LaserJet"), 1});
}
BENCHMARK(BM_RecordPrint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
