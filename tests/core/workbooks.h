#pragma once
// Real workbooks for the tests: written by libxlsxwriter as a spreadsheet
// program writes them, or put together part by part in a zip package with
// QuaZip when a test needs XML no writer produces (error cells, phonetic
// runs, hostile packages). The .xls fixtures made by LibreOffice are in
// tests/fixtures (see make-fixtures.py there).
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QString>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include "core/xlsxlib.h"

namespace workbooks {

using Parts = QList<QPair<QString, QByteArray>>;

// libxlsxwriter as the program loads it (see xlsxlib.h).
inline const xlsxlib::Api &xlsx()
{
    return xlsxlib::api();
}

inline QString fixture(const QString &name)
{
    return QDir(QStringLiteral(QT_TESTCASE_SOURCEDIR "/fixtures")).filePath(name);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A zip package of the parts; a part is encrypted when `password` is given.
inline QByteArray package(const Parts &parts, const char *password = nullptr)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    for (const auto &[name, data] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), password))
            return {};
        file.write(data);
        file.close();
    }
    zip.close();
    return bytes;
}

// The parts of a workbook of sheets (name, sheetData XML), with shared
// strings and the number formats of cell styles 0.. ("General", "0.00", a
// date, a text format).
inline Parts workbookParts(const QList<QPair<QString, QByteArray>> &sheets, const QStringList &shared = {},
                           bool date1904 = false, const QByteArray &sheetAttributes = {})
{
    QByteArray book = "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    book += date1904 ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>";
    book += "<sheets>";
    QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    Parts parts;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        book += "<sheet name=\"" + sheets.at(i).first.toUtf8() + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\" "
                + (i == 0 ? sheetAttributes : QByteArray()) + "/>";
        rels += "<Relationship Id=\"rId" + n
                + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                  "Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts << qMakePair(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                           "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                           "<sheetData>" + sheets.at(i).second + "</sheetData></worksheet>");
    }
    book += "</sheets></workbook>";
    rels += "<Relationship Id=\"rS\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
            "Target=\"sharedStrings.xml\"/>"
            "<Relationship Id=\"rT\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
            "Target=\"/xl/styles.xml\"/></Relationships>";
    QByteArray sst = "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const QString &s : shared)
        sst += "<si><t xml:space=\"preserve\">" + s.toHtmlEscaped().toUtf8() + "</t></si>";
    sst += "</sst>";
    const QByteArray styles =
        "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/></numFmts>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"2\"/></cellStyleXfs>"
        "<cellXfs count=\"4\"><xf numFmtId=\"0\"/><xf numFmtId=\"2\"/><xf numFmtId=\"164\"/><xf numFmtId=\"49\"/></cellXfs>"
        "</styleSheet>";
    parts << qMakePair(QStringLiteral("[Content_Types].xml"), QByteArray("<?xml version=\"1.0\"?><Types/>"))
          << qMakePair(QStringLiteral("_rels/.rels"),
                       QByteArray("<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                  "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                                  "Target=\"xl/workbook.xml\"/></Relationships>"))
          << qMakePair(QStringLiteral("xl/workbook.xml"), book)
          << qMakePair(QStringLiteral("xl/_rels/workbook.xml.rels"), rels)
          << qMakePair(QStringLiteral("xl/sharedStrings.xml"), sst)
          << qMakePair(QStringLiteral("xl/styles.xml"), styles);
    return parts;
}

inline QByteArray workbook(const QByteArray &sheetData, const QStringList &shared = {}, bool date1904 = false)
{
    return package(workbookParts({{QStringLiteral("Sheet1"), sheetData}}, shared, date1904));
}

} // namespace workbooks
