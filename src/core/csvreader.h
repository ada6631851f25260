#pragma once
// Reading a spreadsheet saved as CSV, as spreadsheet programs write it: UTF-8
// with or without a byte-order mark, or GB18030/GBK (what they save in China),
// found by looking at the bytes; UTF-16 with its byte-order mark. Fields are
// separated by commas and may be quoted, a quoted field holding commas,
// doubled quotes and line breaks; lines end in CRLF, LF or CR.
//
// Rows are read one at a time, so a file of any length is never held whole.
// Hostile input ends with an error that names the row, never with a field or
// a row growing without bound.
#include "core/result.h"

#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

struct CsvLimits {
    qsizetype maxFieldLength = 64 * 1024; // characters in one field
    int maxColumns = 1024;                // fields in one row
};

class CsvReader {
public:
    enum class Encoding { Utf8, Gb18030, Utf16LE, Utf16BE };

    // Reads from a device open for reading. The encoding is decided by
    // reading the device through once and going back to its start, so it
    // must be seekable (a file or a buffer).
    explicit CsvReader(QIODevice &device, const CsvLimits &limits = {});

    // The next row's fields; false at the end of the data or on an error
    // (then status() says what and where). A blank line is a row of one
    // empty field.
    bool next(QStringList &row);

    const Status &status() const { return m_status; }
    // Number of the row last read, the first row being 1 (as a spreadsheet
    // numbers them), and the line of the file it begins on.
    int row() const { return m_row; }
    int line() const { return m_rowLine; }
    Encoding encoding() const { return m_encoding; }
    static QString encodingName(Encoding encoding);

    // The whole file at once, for a table shown on screen.
    struct Table {
        QList<QStringList> rows;
        Encoding encoding = Encoding::Utf8;
    };
    static Result<Table> readFile(const QString &path, const CsvLimits &limits = {});

private:
    Status detect();
    bool decodeNext();
    bool peek(QChar &c);
    bool fail(const QString &message);
    bool endRow(QStringList &row, QString &field);

    QIODevice &m_device;
    CsvLimits m_limits;
    Encoding m_encoding = Encoding::Utf8;
    QStringDecoder m_decoder;
    QString m_text;   // decoded characters not yet parsed
    qsizetype m_pos = 0;
    bool m_endOfData = false;
    bool m_detected = false;
    bool m_started = false; // the first characters have been decoded
    bool m_done = false;
    Status m_status;
    int m_row = 0;
    int m_line = 1;    // line of the next character
    int m_rowLine = 1; // line the last row began on
};
