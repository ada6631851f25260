#pragma once
// Reading an Office Open XML workbook (.xlsx, and what WPS saves in that
// format) held in memory: the zip parts through QuaZip, their XML streamed
// through QXmlStreamReader. Shared and inline strings, numbers, booleans,
// formulas' cached values, errors, dates in the 1900 and 1904 systems, and
// empty and sparse cells; each cell comes out as the text a clerk would
// have typed for it (see sheetvalue.h).
//
// The sheet is read one row at a time and only the shared strings and the
// number formats are held, so memory stays near the size of the shared
// strings whatever the number of rows. Every part read counts against the
// limits as it is unpacked, whatever its zip entry claims, so a zip bomb
// ends with an error and not with the machine's memory or disk.
#include "core/sheetvalue.h"
#include "core/spreadsheet.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <memory>

class QuaZip;
class QuaZipFile;

class XlsxReader : public spreadsheet::SheetReader {
public:
    explicit XlsxReader(const spreadsheet::Limits &limits = {});
    ~XlsxReader() override;

    // Opens the workbook in `bytes` (which must outlive the reader,
    // unchanged) and chooses the sheet named `sheet`, or the first sheet
    // that is not hidden. Errors: 2 for a sheet the workbook does not have,
    // 3 for anything that cannot be read (not a workbook, encrypted,
    // damaged, beyond the limits).
    Status open(const QByteArray *bytes, const QString &sheet = {});

    QStringList sheetNames() const override { return m_sheetNames; }
    QString sheetName() const override { return m_sheet; }
    bool date1904() const { return m_date1904; }
    Status rewind() override;
    bool next(spreadsheet::Row &row) override;
    Status status() const override { return m_status; }

private:
    class Part;
    struct Relation {
        QString id, type, target;
    };

    Status openPart(Part &part, const QString &name);
    Result<QList<Relation>> relations(const QString &partName);
    Status readWorkbook(const QString &path, const QString &wanted);
    Status readSharedStrings(const QString &path);
    Status readStyles(const QString &path);
    bool fail(const QString &message);
    bool finishCell(spreadsheet::Row &row);

    spreadsheet::Limits m_limits;
    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    std::unique_ptr<Part> m_part; // the sheet being read
    qint64 m_unpacked = 0;        // bytes unpacked by the parts read so far
    qint64 m_openingBytes = 0;    // of which the parts read to open the workbook
    QStringList m_sheetNames;
    QString m_sheet;
    QString m_sheetPath;
    QStringList m_shared;
    QList<sheetvalue::NumberFormat> m_styles; // per cell style index
    bool m_date1904 = false;
    Status m_status;
    bool m_done = false;
    int m_lastRow = 0;

    // The cell being read.
    struct Cell {
        int column = -1;
        QString type;
        int style = 0;
        QString value;
        bool inValue = false;
        bool inPhonetic = false;
    } m_cell;
};
