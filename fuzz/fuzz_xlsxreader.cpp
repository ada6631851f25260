// The .xlsx reader on any bytes, with small limits: every input ends in rows
// or in an error with a message, never a hang, a crash or a row beyond the
// limits; rows come in rising order with cells within the limits; and a
// second pass over the sheet gives the same rows as the first.
//
// Seed inputs are in corpus/xlsxreader/ (small workbooks).
#include "core/xlsxreader.h"
#include "fuzzcommon.h"

namespace {

spreadsheet::Limits limits()
{
    spreadsheet::Limits l;
    l.maxFileBytes = 1 << 20;
    l.maxPartBytes = 1 << 20;
    l.maxUnpackedBytes = 2 << 20;
    l.maxRows = 5000;
    l.maxColumns = 64;
    l.maxCellLength = 512;
    return l;
}

QList<spreadsheet::Row> pass(XlsxReader &reader, Status &status)
{
    QList<spreadsheet::Row> rows;
    spreadsheet::Row row;
    int last = 0;
    while (reader.next(row)) {
        fuzz::check(row.number > last && row.number <= limits().maxRows,
                    QStringLiteral("row %1 after row %2").arg(row.number).arg(last));
        fuzz::check(!row.cells.isEmpty() || !row.refused.isEmpty(), QStringLiteral("an empty row"));
        fuzz::check(row.cells.size() <= limits().maxColumns, QStringLiteral("a row of %1 cells").arg(row.cells.size()));
        for (const QString &cell : row.cells)
            fuzz::check(cell.size() <= limits().maxCellLength, QStringLiteral("a cell of %1 characters").arg(cell.size()));
        for (auto it = row.refused.cbegin(); it != row.refused.cend(); ++it)
            fuzz::check(it.key() < row.cells.size() && !it.value().isEmpty(), QStringLiteral("a refusal without its cell"));
        last = row.number;
        rows << row;
    }
    status = reader.status();
    fuzz::check(status.ok() || !status.message.isEmpty(), QStringLiteral("an error without a message"));
    return rows;
}

bool sameRows(const QList<spreadsheet::Row> &a, const QList<spreadsheet::Row> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.at(i).number != b.at(i).number || a.at(i).cells != b.at(i).cells || a.at(i).refused != b.at(i).refused)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    XlsxReader reader(limits());
    const Status opened = reader.open(&bytes);
    if (!opened) {
        fuzz::check(!opened.message.isEmpty() && (opened.error == 2 || opened.error == 3),
                    QStringLiteral("open failed with %1 \"%2\"").arg(opened.error).arg(opened.message));
        return 0;
    }
    Status first, second;
    const QList<spreadsheet::Row> rows = pass(reader, first);
    fuzz::check(reader.rewind().ok() || !first.ok(), QStringLiteral("the sheet cannot be read again"));
    const QList<spreadsheet::Row> again = pass(reader, second);
    fuzz::check(first.ok() == second.ok(), QStringLiteral("the second pass ends otherwise: %1").arg(second.message));
    fuzz::check(!first.ok() || sameRows(rows, again), QStringLiteral("the second pass reads other rows"));
    return 0;
}
