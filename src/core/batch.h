#pragma once
// Batch printing: one bill per row of a spreadsheet. Each row is entered
// into a bill document as a clerk would type it (the same entry and linking
// rules as the window), every row is checked before anything prints, and
// the bills go one page per copy into one job: a PDF file or a print queue.
// The command line and the window's batch dialog both run it.
#include "core/billdocument.h"
#include "core/csvreader.h"
#include "core/pdfoutput.h"
#include "core/printitems.h"
#include "core/result.h"
#include "core/templatemanager.h"

#include <QBuffer>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace batch {

// One row of the spreadsheet: its number as a spreadsheet shows it (the
// header is row 1) and its cells.
struct Row {
    int number = 0;
    QStringList cells;
    // Cells of a workbook whose value cannot stand for what a clerk typed
    // (a formula's error, a number past a spreadsheet's precision):
    // position -> why. Such a cell keeps its bill from printing until it
    // is mended.
    QMap<int, QString> refused = {};

    // True when every cell is empty or blank: not a bill.
    bool isBlank() const;
};

// A column of the spreadsheet and the field it fills.
struct Column {
    int index = 0;  // position in the row
    QString header; // as the header names it
    QString key;    // the field's eight-digit key
};

// The header row matched to the template's fields: each header cell names a
// field that takes input (text, date, money, check) by its name or by its
// eight-digit key. Empty header cells fill nothing.
struct Header {
    QList<Column> columns; // in the bill's slot order: the order fields are filled in
    int width = 0;         // cells in the header row

    // The column that fills this field, or nullptr.
    const Column *columnOf(const QString &key) const;
};

// A header cell that names no field, or names one ambiguously.
struct HeaderProblem {
    int column = 0; // position in the row
    QString header;
    QString reason;
    QString line() const; // "column N "HEADER": reason"
};

// Matches the header cells; every problem at once, so the user can mend the
// header in one go.
Header matchHeader(const BillTemplate &t, const QStringList &cells, QList<HeaderProblem> &problems);

// What keeps a row from printing.
struct Problem {
    int row = 0;
    int column = -1; // position in the row; -1 for the row as a whole, or a field no column fills
    QString field;   // the column's header, or the field's name; empty for the row
    QString reason;
    QString line() const; // "row N, field NAME: reason" (or "row N: reason")
};

// Fills a bill document from rows. Each row starts from an empty bill; the
// fields are entered in slot order (not the spreadsheet's column order), so
// that the linking rules give the same bill whatever the column order;
// empty cells leave their field alone.
class Filler {
public:
    Filler(BillDocument &document, Header header);

    // Enters the row; the problems that keep it from printing, none when
    // it can be printed as it stands.
    QList<Problem> fill(const Row &row);

    BillDocument &document() { return m_doc; }
    const Header &header() const { return m_header; }

private:
    std::optional<Problem> enterCell(const Row &row, const Column &column);
    void addDocumentProblems(const Row &row, QList<Problem> &problems) const;

    BillDocument &m_doc;
    Header m_header;
};

// Where the rows come from, from the first row after the header on.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Back to the first row after the header.
    virtual Status rewind() = 0;
    // The next row; false at the end or on an error (status()).
    virtual bool next(Row &row) = 0;
    virtual Status status() const = 0;
};

// Rows of a table file (CSV or a workbook's sheet); its first row that is
// not blank is the header.
class TableSource : public RowSource {
public:
    virtual const QStringList &headerCells() const = 0;
    virtual int headerRow() const = 0;
    // What was read, for the clerk: "UTF-8 编码", "工作表“Sheet1”".
    virtual QString description() const = 0;
};

// Rows of a CSV file. The file's bytes are read once, so the rows printed
// are the rows checked even if the file changes meanwhile; rows are parsed
// one at a time.
class CsvSource : public TableSource {
public:
    // Files larger than this are refused.
    static constexpr qint64 MaxBytes = qint64(512) * 1024 * 1024;

    // Reads the file and its header.
    Status open(const QString &path, const CsvLimits &limits = {});
    const QStringList &headerCells() const override { return m_header; }
    int headerRow() const override { return m_headerRow; }
    QString description() const override;
    CsvReader::Encoding encoding() const;

    Status rewind() override;
    bool next(Row &row) override;
    Status status() const override;

private:
    QByteArray m_bytes;
    CsvLimits m_limits;
    QBuffer m_buffer;
    std::unique_ptr<CsvReader> m_reader;
    QStringList m_header;
    int m_headerRow = 0;
};

// Rows held in memory (the window's table, which the clerk may have mended).
class ListSource : public RowSource {
public:
    explicit ListSource(QList<Row> rows) : m_rows(std::move(rows)) {}
    Status rewind() override
    {
        m_next = 0;
        return {};
    }
    bool next(Row &row) override;
    Status status() const override { return {}; }

private:
    QList<Row> m_rows;
    qsizetype m_next = 0;
};

// Where the pages go: one job for the whole batch.
class PageSink {
public:
    virtual ~PageSink() = default;
    // Adds one page per copy with the bill's items.
    virtual Status addBill(const PrintItems &items, int copies) = 0;
    // Ends the job; what was added is printed.
    virtual Status finish() = 0;
    // Gives the job up so that nothing of it is printed, when the job can
    // be given up (canAbort); otherwise the same as finish.
    virtual void abort() = 0;
    virtual bool canAbort() const = 0;
    // The printer as the register names it.
    virtual QString printerName() const = 0;
};

// The pages into one PDF file, written as they come; the file is created by
// the first page. A job given up, or one that fails, leaves no file behind.
class PdfSink : public PageSink {
public:
    PdfSink(const QString &path, const PdfOptions &options);
    ~PdfSink() override;
    Status addBill(const PrintItems &items, int copies) override;
    Status finish() override;
    void abort() override;
    bool canAbort() const override { return true; }
    QString printerName() const override;
    int pages() const { return m_writer ? m_writer->pages() : 0; }

private:
    QString m_path;
    PdfOptions m_options;
    std::unique_ptr<PdfBillWriter> m_writer;
    bool m_done = false;
};

// A bill that went onto the job's pages.
struct PrintedBill {
    int row = 0;
    int copies = 1;
    QString printer;
};

// Records the printed bills in the bill register, one row each. Each bill
// is recorded just before its pages go into the job; the job's rows are kept
// (commit) once the job has been sent, and dropped (rollback) when the job
// is given up or fails.
class Recorder {
public:
    virtual ~Recorder() = default;
    virtual Status record(const BillDocument &document, const PrintedBill &bill) = 0;
    virtual Status commit() = 0;
    virtual void rollback() = 0;
};

// The bill register's recorder for a template of the database: every batch
// print (command line and window) gets its recorder here. nullptr while the
// program keeps no register.
std::unique_ptr<Recorder> registerRecorder(const QString &connectionName, const TemplateRef &ref);

struct Options {
    int copies = 1;
};

// Told after each bill: how many are printed of how many; returning false
// stops the batch after that bill (the job is still sent with the bills
// printed so far).
using Progress = std::function<bool(int done, int total)>;

struct Outcome {
    Status status;           // a failure of the source, the job or the register
    QList<Problem> problems; // bad rows: then nothing was printed
    int bills = 0;           // rows that are bills (not blank)
    QList<int> printed;      // the rows printed, in order
    bool cancelled = false;

    bool ok() const { return status.ok() && problems.isEmpty(); }
};

// Checks every row and prints nothing.
Outcome check(Filler &filler, RowSource &rows);

// Checks every row; when all are good, prints each bill into the sink and
// records it. With any bad row, or when the source cannot be read to its
// end, nothing is printed. When a bill cannot be recorded the batch stops
// before it and the bills before it are printed. A job whose pages cannot
// be written is given up whole where the sink allows (a PDF file); a print
// queue's job is sent with what it holds, and nothing is recorded.
Outcome print(Filler &filler, RowSource &rows, PageSink &sink, Recorder *recorder, const Options &options,
              const Progress &progress = {});

// Rows as the clerk reads them: "2–5、8" (spreadsheet row numbers).
QString rowRanges(const QList<int> &rows);

// A date as a clerk writes it in a spreadsheet, as the digits typed into a
// date field: "2026-12-07", "2026/12/7" and "2026.12.07" give "20261207";
// other text is kept as it is.
QString dateDigits(const QString &value);

// The template's fields for CLASS/TEMPLATE, read from the database.
Result<BillTemplate> loadTemplate(const QString &connectionName, const TemplateRef &ref);

} // namespace batch
