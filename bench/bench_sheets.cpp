// Batch input from a workbook against the same rows from a CSV file:
// reading and checking 10,000 transfer cheques from an .xlsx (as Excel
// writes it: shared strings, amounts and dates as numbers with formats)
// and from CSV, and reading alone. Target: the .xlsx at most 1.5 times
// the CSV. After the benchmarks it prints the ratio, and the memory the
// .xlsx reader holds at its peak beside the workbook's unpacked size
// (target: at most twice the unpacked size plus a constant), for 10,000
// and 100,000 rows.
#include "core/batch.h"
#include "core/database.h"
#include "core/tablesource.h"
#include "core/xlsxlib.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>

namespace {

const xlsxlib::Api &xlsx()
{
    return xlsxlib::api();
}

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};
constexpr int Rows = 10000;

struct Files {
    QTemporaryDir dir;
    AppState state;
    BillTemplate cheque;

    Files()
    {
        const QString db = dir.filePath(QStringLiteral("BillDB.db"));
        database::ensureExists(db);
        OpenDatabase(state, db);
        cheque = *batch::loadTemplate(state.DbConnection, Cheque);
        write(Rows);
        write(Rows * 10);
    }
    QString xlsxPath(int rows) const { return dir.filePath(QStringLiteral("pay%1.xlsx").arg(rows)); }
    QString csvPath(int rows) const { return dir.filePath(QStringLiteral("pay%1.csv").arg(rows)); }

    void write(int rows)
    {
        lxw_workbook *book = xlsx().workbook_new(xlsxPath(rows).toUtf8().constData());
        lxw_worksheet *sheet = xlsx().workbook_add_worksheet(book, "付款");
        lxw_format *money = xlsx().workbook_add_format(book);
        xlsx().format_set_num_format(money, "#,##0.00");
        lxw_format *date = xlsx().workbook_add_format(book);
        xlsx().format_set_num_format(date, "yyyy-mm-dd");
        QFile csvFile(csvPath(rows));
        csvFile.open(QIODevice::WriteOnly);
        const QStringList header{"收款人", "小写金额", "出票日期", "用途", "付款行名称"};
        for (int c = 0; c < header.size(); ++c)
            xlsx().worksheet_write_string(sheet, 0, lxw_col_t(c), header.at(c).toUtf8().constData(), nullptr);
        csvFile.write(header.join(u',').toUtf8() + "\r\n");
        for (int r = 1; r <= rows; ++r) {
            const QString payee = QStringLiteral("收款单位%1有限公司").arg(r % 5000);
            const QString bank = QStringLiteral("工商银行第%1支行").arg(r % 300);
            const double amount = 100 + r + (r % 100) / 100.0;
            const QDate day = QDate(2026, 1, 1).addDays(r % 365);
            xlsx().worksheet_write_string(sheet, lxw_row_t(r), 0, payee.toUtf8().constData(), nullptr);
            xlsx().worksheet_write_number(sheet, lxw_row_t(r), 1, amount, money);
            lxw_datetime d{day.year(), day.month(), day.day(), 0, 0, 0};
            xlsx().worksheet_write_datetime(sheet, lxw_row_t(r), 2, &d, date);
            xlsx().worksheet_write_string(sheet, lxw_row_t(r), 3, "货款", nullptr);
            xlsx().worksheet_write_string(sheet, lxw_row_t(r), 4, bank.toUtf8().constData(), nullptr);
            csvFile.write(QStringLiteral("%1,%2,%3,货款,%4\r\n")
                              .arg(payee, QString::number(amount, 'f', 2), day.toString(Qt::ISODate), bank)
                              .toUtf8());
        }
        xlsx().workbook_close(book);
    }
};

Files &files()
{
    static Files f;
    return f;
}

// Opens the file, matches its header and checks every row.
int readAndCheck(const QString &path)
{
    const Result<std::shared_ptr<batch::TableSource>> source = batch::openTable(path);
    BillDocument doc;
    doc.setTemplate(files().cheque);
    QList<batch::HeaderProblem> problems;
    batch::Filler filler(doc, batch::matchHeader(doc.billTemplate(), (*source)->headerCells(), problems));
    const batch::Outcome out = batch::check(filler, **source);
    if (!out.ok() || out.bills != Rows)
        qFatal("%d bills, %s", out.bills, qPrintable(out.problems.value(0).line() + out.status.message));
    return out.bills;
}

int readOnly(const QString &path)
{
    const Result<std::shared_ptr<batch::TableSource>> source = batch::openTable(path);
    int rows = 0;
    batch::Row row;
    while ((*source)->next(row))
        ++rows;
    return rows;
}

void BM_CheckCsv(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndCheck(files().csvPath(Rows)));
}
BENCHMARK(BM_CheckCsv)->Unit(benchmark::kMillisecond);

void BM_CheckXlsx(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndCheck(files().xlsxPath(Rows)));
}
BENCHMARK(BM_CheckXlsx)->Unit(benchmark::kMillisecond);

void BM_ReadCsv(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readOnly(files().csvPath(Rows)));
}
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond);

void BM_ReadXlsx(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readOnly(files().xlsxPath(Rows)));
}
BENCHMARK(BM_ReadXlsx)->Unit(benchmark::kMillisecond);

double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

qint64 unpackedSize(const QString &path)
{
    QuaZip zip(path);
    qint64 total = 0;
    if (!zip.open(QuaZip::mdUnzip))
        return 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (zip.getCurrentFileInfo(&info))
            total += qint64(info.uncompressedSize);
    }
    return total;
}

// The heap in use at its highest while the workbook is opened and read
// through twice (the check and the print), above what was in use before.
qint64 peakHeap(const QString &path)
{
    const qint64 before = qint64(mallinfo2().uordblks);
    qint64 peak = 0;
    auto sample = [&] { peak = std::max(peak, qint64(mallinfo2().uordblks) - before); };
    {
        const Result<std::shared_ptr<batch::TableSource>> source = batch::openTable(path);
        sample();
        for (int pass = 0; pass < 2; ++pass) {
            (*source)->rewind();
            batch::Row row;
            while ((*source)->next(row))
                sample();
        }
    }
    return peak;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the checks measure texts with fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double csv = bestOf(3, [] { readAndCheck(files().csvPath(Rows)); });
    const double xlsx = bestOf(3, [] { readAndCheck(files().xlsxPath(Rows)); });
    std::printf("read and check %d rows: CSV %.1f ms, .xlsx %.1f ms, ratio %.2f (target <= 1.5)\n", Rows, csv,
                xlsx, xlsx / csv);
    for (const int rows : {Rows, Rows * 10}) {
        const QString path = files().xlsxPath(rows);
        const qint64 unpacked = unpackedSize(path);
        const qint64 peak = peakHeap(path);
        std::printf("%d rows: file %lld KB, unpacked %lld KB, reader's peak heap %lld KB (%.2f x unpacked; "
                    "target <= 2 x + a constant)\n",
                    rows, QFile(path).size() >> 10, unpacked >> 10, peak >> 10, double(peak) / double(unpacked));
    }
    benchmark::Shutdown();
    return 0;
}
