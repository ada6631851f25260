#pragma once
// The file a batch prints from, recognised by its content: a zip file is an
// Office Open XML workbook (.xlsx), an OLE2 compound file an Excel 97-2003
// or WPS workbook (.xls, .et), anything else a CSV file. Every kind gives
// its rows the same way, numbered as the spreadsheet numbers them, so that
// the checks, messages and exit statuses are those of the CSV file.
#include "core/batch.h"
#include "core/spreadsheet.h"

#include <memory>

namespace batch {

// Rows of one sheet of a workbook; its first row that is not blank is the
// header. The file's bytes are read once, so the rows printed are the rows
// checked even if the file changes meanwhile; a .xlsx sheet is read one row
// at a time on each pass.
class SheetSource : public TableSource {
public:
    // Reads the workbook and chooses the sheet named `sheet`, or the first
    // one shown. Errors: 2 for a sheet the workbook does not have or one
    // without a header, 3 for a file that cannot be read.
    Status open(const QString &path, const QString &sheet = {}, const spreadsheet::Limits &limits = {});

    const QStringList &headerCells() const override { return m_header; }
    int headerRow() const override { return m_headerRow; }
    QString description() const override;
    QStringList sheetNames() const;
    QString sheetName() const;

    Status rewind() override;
    bool next(Row &row) override;
    Status status() const override;

private:
    Status openWorkbook(const QString &path, const QString &sheet, const spreadsheet::Limits &limits);

    QByteArray m_bytes;
    std::unique_ptr<spreadsheet::SheetReader> m_reader;
    QStringList m_header;
    int m_headerRow = 0;
};

// The rows of the file at `path`, whatever its kind; `sheet` names the
// workbook's sheet (a CSV file has none: naming one is an error, 2).
Result<std::shared_ptr<TableSource>> openTable(const QString &path, const QString &sheet = {});

} // namespace batch
