// billprint batch: one bill per row of a CSV file or a workbook's sheet,
// every row checked before anything prints, the bills into one PDF file or
// one job on a print queue.
#include "commandline.h"
#include "headless.h"
#include "core/batch.h"
#include "core/calibration.h"
#include "core/database.h"
#include "core/tablesource.h"
#include "fillsession.h"
#include "options.h"
#include "print/printjob.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <unistd.h>

namespace cli {

namespace {

const QString BatchUsage = QStringLiteral(
    "usage: billprint batch --template CLASS/TEMPLATE (--input FILE [--sheet NAME] | --csv FILE) [--db PATH]\n"
    "                       [--pdf OUT.pdf | --printer NAME] [--copies N] [--calibrated] [--dry-run]\n");

constexpr int MaxCopies = 99;

int usage(const QString &why)
{
    err(QStringLiteral("billprint batch: %1\n").arg(why) + BatchUsage);
    return ExitUsage;
}

struct Request {
    QString templateName;
    QString csv;
    QString input; // CSV, .xlsx, .xls or .et, told by its content
    QString sheet;
    QString pdf;
    QString printer;
    int copies = 1;
    bool calibrated = false;
    bool dryRun = false;
};

// The options checked; an empty text when they are good, else why not.
QString readRequest(const Options &o, Request &r)
{
    if (!o.error.isEmpty())
        return o.error;
    if (!o.words.isEmpty())
        return QStringLiteral("unexpected argument \"%1\"").arg(o.words.first());
    r.templateName = o.value(QStringLiteral("template"));
    const qsizetype slash = r.templateName.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == r.templateName.size() - 1)
        return QStringLiteral("--template CLASS/TEMPLATE is required");
    r.csv = o.value(QStringLiteral("csv"));
    r.input = o.value(QStringLiteral("input"));
    r.sheet = o.value(QStringLiteral("sheet"));
    if (o.has(QStringLiteral("csv")) && o.has(QStringLiteral("input")))
        return QStringLiteral("give --input or --csv, not both");
    if (r.csv.isEmpty() && r.input.isEmpty())
        return QStringLiteral("--input FILE (or --csv FILE) is required");
    if (o.has(QStringLiteral("sheet")) && r.input.isEmpty())
        return QStringLiteral("--sheet needs --input FILE");
    if (o.has(QStringLiteral("sheet")) && r.sheet.isEmpty())
        return QStringLiteral("--sheet needs a sheet's name");
    r.pdf = o.value(QStringLiteral("pdf"));
    r.printer = o.value(QStringLiteral("printer"));
    r.dryRun = o.has(QStringLiteral("dry-run"));
    r.calibrated = o.has(QStringLiteral("calibrated"));
    if (o.has(QStringLiteral("pdf")) && r.pdf.isEmpty())
        return QStringLiteral("--pdf needs a file name");
    if (o.has(QStringLiteral("printer")) && r.printer.isEmpty())
        return QStringLiteral("--printer needs a print queue's name");
    if (!r.pdf.isEmpty() && !r.printer.isEmpty())
        return QStringLiteral("give --pdf or --printer, not both");
    if (!r.dryRun && r.pdf.isEmpty() && r.printer.isEmpty())
        return QStringLiteral("--pdf OUT.pdf or --printer NAME is required (or --dry-run)");
    if (r.calibrated && r.pdf.isEmpty() && r.printer.isEmpty())
        return QStringLiteral("--calibrated needs --pdf or --printer");
    if (o.has(QStringLiteral("copies"))) {
        bool ok = false;
        r.copies = o.value(QStringLiteral("copies")).toInt(&ok);
        if (!ok || r.copies < 1 || r.copies > MaxCopies)
            return QStringLiteral("--copies needs a whole number from 1 to %1").arg(MaxCopies);
    }
    return {};
}

// "bill 120/500" on one line of the terminal, rewritten as bills go.
batch::Progress terminalProgress()
{
    if (!::isatty(STDERR_FILENO))
        return {};
    return [](int done, int total) {
        if (done == total || done % 10 == 0)
            err(QStringLiteral("\rbill %1/%2").arg(done).arg(total) + (done == total ? QStringLiteral("\n") : QString()));
        return true;
    };
}

void listProblems(const batch::Outcome &outcome)
{
    QList<int> rows;
    for (const batch::Problem &p : outcome.problems)
        if (rows.isEmpty() || rows.last() != p.row)
            rows << p.row;
    err(QStringLiteral("billprint batch: %1 of %2 bills cannot be printed as filled; nothing was printed:\n")
            .arg(rows.size())
            .arg(outcome.bills));
    for (const batch::Problem &p : outcome.problems)
        err(p.line() + QLatin1Char('\n'));
}

std::unique_ptr<batch::PageSink> openSink(const AppState &state, const Request &r, QString &error)
{
    const QString printer = r.pdf.isEmpty() ? r.printer : calibration::pdfPrinterName();
    const QTransform calibration =
        r.calibrated ? CalibrationStore(state.DbConnection).inForce(printer).transform() : QTransform();
    if (!r.pdf.isEmpty()) {
        PdfOptions options;
        options.calibration = calibration;
        return std::make_unique<batch::PdfSink>(r.pdf, options);
    }
    auto job = std::make_unique<PrinterBatchJob>(r.printer, PrintJobOptions{}, calibration);
    if (!job->isValid()) {
        error = QStringLiteral("no print queue \"%1\"").arg(r.printer);
        return nullptr;
    }
    return job;
}

QByteArray summary(const Request &r, const batch::Outcome &outcome)
{
    QJsonObject o{{QStringLiteral("template"), r.templateName},
                  {QStringLiteral("bills"), outcome.bills},
                  {QStringLiteral("copies"), r.copies},
                  {QStringLiteral("printed"), int(outcome.printed.size())},
                  {QStringLiteral("pages"), int(r.dryRun ? outcome.bills : outcome.printed.size()) * r.copies},
                  {QStringLiteral("dryRun"), r.dryRun}};
    if (!r.pdf.isEmpty())
        o.insert(QStringLiteral("pdf"), r.pdf);
    if (!r.printer.isEmpty())
        o.insert(QStringLiteral("printer"), r.printer);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

// The rows: --input by the file's content, --csv as CSV whatever it holds.
Result<std::shared_ptr<batch::TableSource>> openRows(const Request &r)
{
    if (r.csv.isEmpty())
        return batch::openTable(r.input, r.sheet);
    auto csv = std::make_shared<batch::CsvSource>();
    if (Status s = csv->open(r.csv); !s)
        return s;
    return std::shared_ptr<batch::TableSource>(csv);
}

int runBatchOn(AppState &state, const Request &r)
{
    FillSession session(state);
    if (Status s = session.open(r.templateName); !s) {
        err(QStringLiteral("billprint batch: cannot open the template: %1\n").arg(s.message));
        return ExitCannotOpen;
    }
    const QString file = r.csv.isEmpty() ? r.input : r.csv;
    const Result<std::shared_ptr<batch::TableSource>> opened = openRows(r);
    if (!opened) {
        const Status &s = opened.status();
        err(QStringLiteral("billprint batch: %1: %2\n").arg(file, s.message));
        return s.error == ExitCannotPrint ? ExitCannotPrint : (s.error == ExitUsage ? ExitUsage : ExitCannotOpen);
    }
    batch::TableSource &rows = **opened;
    QList<batch::HeaderProblem> headerProblems;
    batch::Header header = batch::matchHeader(session.document().billTemplate(), rows.headerCells(), headerProblems);
    if (!headerProblems.isEmpty() || header.columns.isEmpty()) {
        err(QStringLiteral("billprint batch: the header (row %1) does not name the fields of %2; nothing was printed:\n")
                .arg(rows.headerRow())
                .arg(r.templateName));
        for (const batch::HeaderProblem &p : headerProblems)
            err(p.line() + QLatin1Char('\n'));
        return ExitUsage;
    }
    batch::Filler filler(session.document(), header);

    batch::Outcome outcome;
    if (r.dryRun) {
        outcome = batch::check(filler, rows);
    } else {
        QString why;
        std::unique_ptr<batch::PageSink> sink = openSink(state, r, why);
        if (!sink)
            return usage(why);
        // The bill register records every bill printed, one row each.
        std::unique_ptr<batch::Recorder> recorder = batch::registerRecorder(
            state.DbConnection, {state.SelectedClass.text, state.SelectedBill.text});
        outcome = batch::print(filler, rows, *sink, recorder.get(), {r.copies}, terminalProgress());
    }
    if (!outcome.problems.isEmpty() && outcome.printed.isEmpty()) {
        listProblems(outcome);
        return ExitCannotPrint;
    }
    if (outcome.bills == 0 && (outcome.status.ok() || outcome.status.error == ExitCannotPrint)) {
        err(QStringLiteral("billprint batch: %1 holds no bills below its header\n").arg(file));
        return ExitCannotPrint;
    }
    if (!outcome.status) {
        err(QStringLiteral("billprint batch: %1\n").arg(outcome.status.message));
        if (!outcome.printed.isEmpty())
            err(QStringLiteral("billprint batch: printed rows %1 only\n").arg(batch::rowRanges(outcome.printed)));
        return outcome.status.error == ExitUsage ? ExitUsage
                                                 : (outcome.status.error == ExitCannotPrint ? ExitCannotPrint
                                                                                            : ExitCannotOpen);
    }
    out(QString::fromUtf8(summary(r, outcome)));
    return ExitOk;
}

} // namespace

int runBatch(const QStringList &args)
{
    const Options o = parseOptions(args,
                                   {QStringLiteral("template"), QStringLiteral("csv"), QStringLiteral("input"),
                                    QStringLiteral("sheet"), QStringLiteral("db"), QStringLiteral("pdf"),
                                    QStringLiteral("printer"), QStringLiteral("copies")},
                                   {QStringLiteral("calibrated"), QStringLiteral("dry-run")});
    Request request;
    if (const QString why = readRequest(o, request); !why.isEmpty())
        return usage(why);

    const HeadlessApp app;

    AppState state;
    if (!openDatabaseFor(state, o.value(QStringLiteral("db")), QStringLiteral("billprint batch")))
        return ExitCannotOpen;
    const int status = runBatchOn(state, request);
    CloseDatabase(state);
    return status;
}

} // namespace cli
