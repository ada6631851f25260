#pragma once
// What the spreadsheet readers share: a row as the sheet numbers it, the
// limits that keep a hostile file from taking the machine, and a reader's
// interface. The readers are XlsxReader (Office Open XML workbooks) and
// XlsReader (Excel 97-2003 and WPS workbooks); CSV files have CsvReader.
#include "core/result.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace spreadsheet {

struct Limits {
    qint64 maxFileBytes = qint64(256) << 20;     // the workbook file
    qint64 maxPartBytes = qint64(256) << 20;     // one part of a workbook, unpacked
    qint64 maxUnpackedBytes = qint64(512) << 20; // every part read, unpacked, together
    int maxRows = 1048576;                       // rows that hold something; also the last row number
    int maxColumns = 1024;                       // the last column that holds something
    qsizetype maxCellLength = 32767;             // characters in one cell
    qint64 maxCells = 4000000;                   // cells an Excel 97-2003 file may declare
};

// One row with something in it, numbered as the spreadsheet numbers it
// (the first row is 1). Empty cells are empty texts; cells past the last
// one that holds something are left out.
struct Row {
    int number = 0;
    QStringList cells;
    // Cells whose value cannot stand for what a clerk typed (a formula's
    // error, a number past a spreadsheet's precision): position -> why.
    QMap<int, QString> refused = {};
};

// Reads the rows of one sheet of a workbook, one at a time.
class SheetReader {
public:
    virtual ~SheetReader() = default;
    // Every sheet of the workbook in its order, and the one being read.
    virtual QStringList sheetNames() const = 0;
    virtual QString sheetName() const = 0;
    // Back to the sheet's first row.
    virtual Status rewind() = 0;
    // The next row that holds something; false at the end or on an error
    // (status() says what).
    virtual bool next(Row &row) = 0;
    virtual Status status() const = 0;
};

// What a file is, from its first bytes.
enum class FileKind {
    Text,     // anything else: read as CSV
    Zip,      // an Office Open XML workbook, or another zip file
    Compound, // an OLE2 compound file: Excel 97-2003, WPS, or an encrypted workbook
};
FileKind sniff(const QByteArray &head);

// "第 %1 列" letters as a spreadsheet names a column: 0 is A, 27 is AB.
QString columnName(int index);

} // namespace spreadsheet
