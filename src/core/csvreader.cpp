#include "core/csvreader.h"

#include <QFile>

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;
const QChar Quote = u'"';
const QChar Comma = u',';
const QChar ByteOrderMark = QChar(0xFEFF);

QStringDecoder decoderFor(CsvReader::Encoding encoding)
{
    switch (encoding) {
    case CsvReader::Encoding::Gb18030: return QStringDecoder("GB18030");
    case CsvReader::Encoding::Utf16LE: return QStringDecoder(QStringDecoder::Utf16LE);
    case CsvReader::Encoding::Utf16BE: return QStringDecoder(QStringDecoder::Utf16BE);
    case CsvReader::Encoding::Utf8: break;
    }
    return QStringDecoder(QStringDecoder::Utf8);
}

// A line break in the encoding: fed after the last byte, it shows a
// character cut off at the end of the file as an error (the decoders keep
// such a piece silently otherwise).
QByteArray lineBreakIn(CsvReader::Encoding encoding)
{
    switch (encoding) {
    case CsvReader::Encoding::Utf16LE: return QByteArray("\n\0", 2);
    case CsvReader::Encoding::Utf16BE: return QByteArray("\0\n", 2);
    default: return QByteArray("\n");
    }
}

// A strict UTF-8 check over the bytes as they come: well-formed sequences
// of two to four bytes are counted, and so are the bytes that break the
// rules, with the line of the first.
struct Utf8Scan {
    int need = 0; // continuation bytes still expected
    uchar low = 0x80, high = 0xBF; // allowed range of the next one
    qint64 multibyte = 0;
    qint64 invalid = 0;
    int line = 1;
    int firstBadLine = 0;

    void bad()
    {
        ++invalid;
        if (!firstBadLine)
            firstBadLine = line;
    }
    void expect(int n, uchar lo = 0x80, uchar hi = 0xBF)
    {
        need = n;
        low = lo;
        high = hi;
    }
    void feed(QByteArrayView bytes)
    {
        for (const char ch : bytes) {
            const uchar c = uchar(ch);
            if (need) {
                if (c >= low && c <= high) {
                    low = 0x80;
                    high = 0xBF;
                    if (--need == 0)
                        ++multibyte;
                    continue;
                }
                bad();
                expect(0);
            }
            if (c == '\n')
                ++line;
            if (c < 0x80)
                continue;
            if (c >= 0xC2 && c <= 0xDF)
                expect(1);
            else if (c == 0xE0)
                expect(2, 0xA0);
            else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF)
                expect(2);
            else if (c == 0xED)
                expect(2, 0x80, 0x9F); // no surrogates
            else if (c == 0xF0)
                expect(3, 0x90);
            else if (c >= 0xF1 && c <= 0xF3)
                expect(3);
            else if (c == 0xF4)
                expect(3, 0x80, 0x8F); // nothing past U+10FFFF
            else
                bad();
        }
    }
    void finish()
    {
        if (need)
            bad();
    }
};

enum class Check { Decodes, Fails, Binary, Unreadable };

// Reads the device through and goes back to its start: whether the bytes are
// UTF-8 (`scan` tells how far they are from it) or, with a decoder, whether
// they decode. A NUL byte marks a file that is not text at all.
Check readThrough(QIODevice &device, Utf8Scan *scan, QStringDecoder *decoder, CsvReader::Encoding encoding)
{
    const bool wide = encoding == CsvReader::Encoding::Utf16LE || encoding == CsvReader::Encoding::Utf16BE;
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    Check result = Check::Decodes;
    for (;;) {
        const qint64 n = device.read(chunk.data(), ChunkBytes);
        if (n < 0) {
            result = Check::Unreadable;
            break;
        }
        if (n == 0)
            break;
        const QByteArrayView bytes(chunk.constData(), n);
        if (!wide && bytes.contains('\0')) {
            result = Check::Binary;
            break;
        }
        if (scan)
            scan->feed(bytes);
        if (decoder) {
            const QString decoded = decoder->decode(bytes); // decodes when it becomes a QString
            Q_UNUSED(decoded);
            if (decoder->hasError()) {
                result = Check::Fails;
                break;
            }
        }
    }
    if (result == Check::Decodes && scan) {
        scan->finish();
        if (scan->invalid)
            result = Check::Fails;
    }
    if (result == Check::Decodes && decoder) {
        const QString decoded = decoder->decode(lineBreakIn(encoding));
        Q_UNUSED(decoded);
        if (decoder->hasError())
            result = Check::Fails;
    }
    if (!device.seek(0))
        return Check::Unreadable;
    return result;
}

} // namespace

CsvReader::CsvReader(QIODevice &device, const CsvLimits &limits) : m_device(device), m_limits(limits) {}

QString CsvReader::encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Gb18030: return QStringLiteral("GB18030");
    case Encoding::Utf16LE: return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE: return QStringLiteral("UTF-16BE");
    case Encoding::Utf8: break;
    }
    return QStringLiteral("UTF-8");
}

Status CsvReader::detect()
{
    if (!m_device.isReadable() || m_device.isSequential())
        return Status::failure(QStringLiteral("无法读取 CSV 文件"), 3);
    const QByteArray head = m_device.peek(4);
    if (head.startsWith("PK\x03\x04"))
        return Status::failure(QStringLiteral("这是 Excel 工作簿，不是 CSV 文件：请在电子表格程序里“另存为”CSV"), 3);
    const Status unreadable = Status::failure(QStringLiteral("无法读取 CSV 文件"), 3);
    const Status binary = Status::failure(QStringLiteral("这不是文字文件，不是 CSV 文件"), 3);
    auto decodes = [this](Encoding e) {
        QStringDecoder decoder = decoderFor(e);
        return readThrough(m_device, nullptr, &decoder, e);
    };
    auto take = [this](Encoding e) {
        m_encoding = e;
        m_decoder = decoderFor(e);
        return Status{};
    };
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        const Encoding e = head.startsWith("\xFF") ? Encoding::Utf16LE : Encoding::Utf16BE;
        switch (decodes(e)) {
        case Check::Decodes: return take(e);
        case Check::Unreadable: return unreadable;
        default: return Status::failure(QStringLiteral("CSV 文件不是完好的 UTF-16 文字"), 3);
        }
    }
    Utf8Scan scan;
    switch (readThrough(m_device, &scan, nullptr, Encoding::Utf8)) {
    case Check::Decodes: return take(Encoding::Utf8);
    case Check::Binary: return binary;
    case Check::Unreadable: return unreadable;
    case Check::Fails: break;
    }
    // Mostly well-formed UTF-8 with a few broken bytes is a damaged UTF-8
    // file: read as GB18030 every Chinese character in it would be wrong.
    if (scan.multibyte > scan.invalid)
        return Status::failure(QStringLiteral("CSV 文件是 UTF-8 编码，但第 %1 行有不是 UTF-8 的字节（文件损坏了吗？）")
                                   .arg(scan.firstBadLine),
                               3);
    switch (decodes(Encoding::Gb18030)) {
    case Check::Decodes: return take(Encoding::Gb18030);
    case Check::Unreadable: return unreadable;
    default: break;
    }
    return Status::failure(QStringLiteral("CSV 文件的编码既不是 UTF-8，也不是 GB18030/GBK"), 3);
}

bool CsvReader::fail(const QString &message)
{
    m_status = Status::failure(message, 4);
    m_done = true;
    return false;
}

bool CsvReader::decodeNext()
{
    if (m_endOfData)
        return false;
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    const qint64 n = m_device.read(chunk.data(), ChunkBytes);
    if (n < 0)
        return fail(QStringLiteral("读取 CSV 文件时出错（第 %1 行）").arg(m_line));
    QString decoded;
    if (n == 0) {
        m_endOfData = true;
        decoded = m_decoder.decode(lineBreakIn(m_encoding));
        if (decoded.endsWith(u'\n'))
            decoded.chop(1);
    } else {
        decoded = m_decoder.decode(QByteArrayView(chunk.constData(), n));
    }
    if (m_decoder.hasError())
        return fail(QStringLiteral("CSV 文件第 %1 行附近有不能识别的字符（文件在读取期间被改动了吗？）").arg(m_line));
    if (decoded.contains(QChar(0))) // UTF-16 text holding NUL characters
        return fail(QStringLiteral("这不是文字文件，不是 CSV 文件"));
    if (!m_started) {
        m_started = true;
        if (decoded.startsWith(ByteOrderMark))
            decoded.remove(0, 1);
    }
    if (m_pos < m_text.size())
        m_text = m_text.mid(m_pos) + decoded;
    else
        m_text = decoded;
    m_pos = 0;
    return !m_text.isEmpty() || !m_endOfData;
}

// The next character without taking it; false at the end of the data.
bool CsvReader::peek(QChar &c)
{
    while (m_pos >= m_text.size())
        if (!decodeNext())
            return false;
    c = m_text.at(m_pos);
    return true;
}

bool CsvReader::endRow(QStringList &row, QString &field)
{
    if (row.size() >= m_limits.maxColumns)
        return fail(QStringLiteral("CSV 文件第 %1 行的列数超过 %2").arg(m_row).arg(m_limits.maxColumns));
    row << field;
    field.clear();
    return true;
}

bool CsvReader::next(QStringList &row)
{
    row.clear();
    if (m_done)
        return false;
    if (!m_detected) {
        m_detected = true;
        if (Status s = detect(); !s) {
            m_status = s;
            m_done = true;
            return false;
        }
    }
    QChar c;
    if (!peek(c)) {
        m_done = true;
        return false;
    }
    ++m_row;
    m_rowLine = m_line;
    QString field;
    bool quoted = false;      // inside a quoted field
    bool afterQuote = false;  // a quoted field has just been closed
    bool fieldStarted = false;
    int quoteLine = m_line;
    while (peek(c)) {
        ++m_pos;
        if (quoted) {
            if (c == Quote) {
                QChar n;
                if (peek(n) && n == Quote) {
                    ++m_pos;
                    field += Quote;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else if (c == u'\r' || c == u'\n') {
                // A line break inside a field is kept as one "\n".
                QChar n;
                if (c == u'\r' && peek(n) && n == u'\n')
                    ++m_pos;
                field += u'\n';
                ++m_line;
            } else {
                field += c;
            }
        } else if (c == Comma) {
            if (!endRow(row, field))
                return false;
            afterQuote = fieldStarted = false;
        } else if (c == u'\r' || c == u'\n') {
            QChar n;
            if (c == u'\r' && peek(n) && n == u'\n')
                ++m_pos;
            ++m_line;
            return endRow(row, field);
        } else if (afterQuote) {
            return fail(QStringLiteral("CSV 文件第 %1 行：引号括起的字段后面还有文字（引号里的引号要写成两个 \"\"）")
                            .arg(m_row));
        } else if (c == Quote && !fieldStarted) {
            quoted = fieldStarted = true;
            quoteLine = m_line;
        } else {
            // A quote inside an unquoted field is an ordinary character.
            field += c;
            fieldStarted = true;
        }
        if (field.size() > m_limits.maxFieldLength)
            return fail(quoted ? QStringLiteral("CSV 文件第 %1 行：一个字段超过 %2 个字符（第 %3 行开始的引号没有闭合？）")
                                     .arg(m_row)
                                     .arg(m_limits.maxFieldLength)
                                     .arg(quoteLine)
                               : QStringLiteral("CSV 文件第 %1 行：一个字段超过 %2 个字符")
                                     .arg(m_row)
                                     .arg(m_limits.maxFieldLength));
    }
    if (!m_status.ok())
        return false;
    if (quoted)
        return fail(QStringLiteral("CSV 文件第 %1 行：第 %2 行开始的引号直到文件末尾都没有闭合").arg(m_row).arg(quoteLine));
    // The last row without a line break after it.
    return endRow(row, field);
}

Result<CsvReader::Table> CsvReader::readFile(const QString &path, const CsvLimits &limits)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开 CSV 文件 %1：%2").arg(path, file.errorString()), 3);
    CsvReader reader(file, limits);
    Table table;
    QStringList row;
    while (reader.next(row))
        table.rows << row;
    if (!reader.status())
        return reader.status();
    table.encoding = reader.encoding();
    return table;
}
