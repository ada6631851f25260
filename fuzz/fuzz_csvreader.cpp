// The CSV reader on any bytes, with small limits: every input ends in rows
// or in an error with a message, never a hang or a field or row beyond the
// limits; rows are numbered one after another; and rows that were read,
// written back as CSV (every field quoted) and read again, are the same.
//
// The fuzz/ folder's CMakeLists.txt builds every fuzz_*.cpp with
// fuzzcommon.h (-DBILLPRINT_FUZZ=ON with clang); seed inputs are in
// corpus/csvreader/.
#include "core/csvreader.h"
#include "fuzzcommon.h"

#include <QBuffer>

namespace {

const CsvLimits Limits{256, 16};

QList<QStringList> readAll(QByteArray bytes, Status &status)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer, Limits);
    QList<QStringList> rows;
    QStringList row;
    while (reader.next(row)) {
        fuzz::check(reader.row() == int(rows.size()) + 1, QStringLiteral("row %1 after %2 rows").arg(reader.row()).arg(rows.size()));
        fuzz::check(!row.isEmpty() && row.size() <= Limits.maxColumns, QStringLiteral("a row of %1 fields").arg(row.size()));
        for (const QString &field : row)
            fuzz::check(field.size() <= Limits.maxFieldLength, QStringLiteral("a field of %1 characters").arg(field.size()));
        fuzz::check(rows.size() <= bytes.size(), QStringLiteral("more rows than bytes"));
        rows << row;
    }
    status = reader.status();
    fuzz::check(status.ok() || !status.message.isEmpty(), QStringLiteral("an error without a message"));
    return rows;
}

// Only texts that survive UTF-8 unchanged, without a leading mark that the
// reader takes for a byte-order mark, can come back the same.
bool writable(const QList<QStringList> &rows)
{
    if (!rows.isEmpty() && rows.first().first().startsWith(QChar(0xFEFF)))
        return false;
    for (const QStringList &row : rows)
        for (const QString &field : row)
            if (!QStringView(field).isValidUtf16())
                return false;
    return true;
}

QByteArray written(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList quoted;
        for (QString field : row)
            quoted << u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
        text += quoted.join(u',') + u'\n';
    }
    return text.toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Status status;
    const QList<QStringList> rows = readAll(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), status);
    if (!status.ok() || !writable(rows))
        return 0;
    Status again;
    const QList<QStringList> reread = readAll(written(rows), again);
    fuzz::check(again.ok(), QStringLiteral("written rows not read back: %1").arg(again.message));
    fuzz::check(reread == rows, QStringLiteral("%1 rows read back differently").arg(rows.size()));
    return 0;
}
