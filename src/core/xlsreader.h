#pragma once
// Reading an Excel 97-2003 workbook (.xls, BIFF8 and older) or a WPS
// workbook (.et) in the same format, through libfreexl. Before the library
// sees the file, its container and workbook stream are looked into here
// (the library skips formula cells, so their values are taken from there):
// an encrypted workbook, an .et in WPS's own format, a file that is not a
// workbook, or one whose sheets declare more cells than the limit is
// refused with a message that says which. The chosen sheet's rows are read
// whole when it opens (the format holds at most 65,536 rows).
#include "core/spreadsheet.h"

class XlsReader : public spreadsheet::SheetReader {
public:
    explicit XlsReader(const spreadsheet::Limits &limits = {});

    // Reads the sheet named `sheet`, or the first, of the workbook at
    // `path`, whose bytes are `bytes`. Errors: 2 for a sheet the workbook
    // does not have, 3 for anything that cannot be read.
    Status open(const QString &path, const QByteArray &bytes, const QString &sheet = {});

    QStringList sheetNames() const override { return m_sheetNames; }
    QString sheetName() const override { return m_sheet; }
    Status rewind() override
    {
        m_next = 0;
        return {};
    }
    bool next(spreadsheet::Row &row) override;
    Status status() const override { return {}; }

private:
    spreadsheet::Limits m_limits;
    QStringList m_sheetNames;
    QString m_sheet;
    QList<spreadsheet::Row> m_rows;
    qsizetype m_next = 0;
};
