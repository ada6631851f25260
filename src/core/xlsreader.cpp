#include "core/xlsreader.h"

#include "core/compoundfile.h"
#include "core/sheetvalue.h"

#include <QFile>
#include <QtEndian>
#include <freexl.h>

namespace {

constexpr quint16 RecordFormula = 0x0006;
constexpr quint16 RecordDateMode = 0x0022;
constexpr quint16 RecordFilePass = 0x002F;
constexpr quint16 RecordBoundSheet = 0x0085;
constexpr quint16 RecordXf = 0x00E0;
constexpr quint16 RecordDimensions = 0x0200;
constexpr quint16 RecordString = 0x0207;
constexpr quint16 RecordFormat = 0x041E;
constexpr quint16 RecordBof = 0x0809;
constexpr quint16 Biff8 = 0x0600;
constexpr quint32 MaxBiffRows = 65536;
constexpr quint32 MaxBiffColumns = 256;

Status damaged(const QString &why)
{
    return Status::failure(QStringLiteral("Excel 97-2003 工作簿已损坏或不完整（%1）").arg(why), 3);
}

Status encrypted()
{
    return Status::failure(QStringLiteral("Excel 工作簿设了打开密码（已加密），无法读取：请在电子表格程序里去掉密码后另存一份"), 3);
}

QString workbookStream(const CompoundFile &file)
{
    for (const char *name : {"Workbook", "Book"})
        if (file.hasStream(QString::fromLatin1(name)))
            return QString::fromLatin1(name);
    return {};
}

// A formula's value as the file keeps it beside the formula. The library
// skips formula cells, so their values are read here.
struct Formula {
    quint32 sheet = 0; // where the sheet's records begin in the stream
    int row = 0, column = 0, xf = 0;
    enum class Kind { Number, Text, Boolean, Error, Empty } kind = Kind::Empty;
    double number = 0;
    QString text;
};

// What the walk over the workbook stream finds.
struct Biff {
    bool biff8 = false;
    bool date1904 = false;
    qint64 cells = 0; // as the sheets declare them
    QList<QPair<quint32, QString>> sheets; // where each sheet begins, its name
    QHash<int, QString> formats;           // number format codes by number
    QList<int> xfFormats;                  // the format number of each cell style
    QList<Formula> formulas;
};

// A BIFF8 string: `cch` characters, one byte each or UTF-16, after a flags byte.
QString biffString(const char *data, qsizetype available, int cch, bool biff8)
{
    if (!biff8 || available < 1)
        return QString::fromLatin1(data, std::min<qsizetype>(cch, available));
    const bool wide = data[0] & 0x01;
    ++data;
    --available;
    if (wide)
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(data), std::min<qsizetype>(cch, available / 2));
    return QString::fromLatin1(data, std::min<qsizetype>(cch, available));
}

QString errorName(int code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}

void readFormula(const char *data, quint16 length, quint32 sheet, Biff &biff)
{
    if (length < 14)
        return;
    Formula f;
    f.sheet = sheet;
    f.row = qFromLittleEndian<quint16>(data);
    f.column = qFromLittleEndian<quint16>(data + 2);
    f.xf = qFromLittleEndian<quint16>(data + 4);
    const uchar *value = reinterpret_cast<const uchar *>(data + 6);
    if (value[6] == 0xFF && value[7] == 0xFF) {
        switch (value[0]) {
        case 0: f.kind = Formula::Kind::Text; break; // the STRING record after it holds the text
        case 1: f.kind = Formula::Kind::Boolean; f.number = value[2]; break;
        case 2: f.kind = Formula::Kind::Error; f.number = value[2]; break;
        default: f.kind = Formula::Kind::Empty; break;
        }
    } else {
        f.kind = Formula::Kind::Number;
        f.number = qFromLittleEndian<double>(data + 6);
    }
    biff.formulas << f;
}

// Walks the records of the workbook stream: an encrypted workbook has a
// FILEPASS record; the DIMENSIONS record of each sheet says how many rows
// and columns the library will make room for; formulas' values, the cell
// styles' number formats and the date system are kept.
Status scanRecords(const QByteArray &stream, const spreadsheet::Limits &limits, Biff &biff)
{
    quint32 sheet = 0;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(stream.constData() + at + 2);
        const char *data = stream.constData() + at + 4;
        if (at + 4 + length > stream.size())
            return type == 0 ? Status{} : damaged(QStringLiteral("最后一条记录不完整"));
        switch (type) {
        case RecordFilePass: return encrypted();
        case RecordBof:
            if (at == 0 && length >= 2)
                biff.biff8 = qFromLittleEndian<quint16>(data) == Biff8;
            sheet = quint32(at);
            break;
        case RecordDateMode:
            biff.date1904 = length >= 2 && qFromLittleEndian<quint16>(data) == 1;
            break;
        case RecordBoundSheet:
            if (length >= 8)
                biff.sheets << qMakePair(qFromLittleEndian<quint32>(data),
                                         biffString(data + 7, length - 7, uchar(data[6]), biff.biff8));
            break;
        case RecordFormat:
            if (length >= 4 && biff.biff8)
                biff.formats.insert(qFromLittleEndian<quint16>(data),
                                    biffString(data + 4, length - 4, qFromLittleEndian<quint16>(data + 2), true));
            break;
        case RecordXf:
            if (length >= 4)
                biff.xfFormats << qFromLittleEndian<quint16>(data + 2);
            break;
        case RecordFormula:
            if (biff.formulas.size() >= limits.maxCells)
                return damaged(QStringLiteral("公式太多"));
            readFormula(data, length, sheet, biff);
            break;
        case RecordString:
            if (length >= 2 && !biff.formulas.isEmpty() && biff.formulas.last().kind == Formula::Kind::Text)
                biff.formulas.last().text =
                    biffString(data + 2, length - 2, qFromLittleEndian<quint16>(data), biff.biff8);
            break;
        case RecordDimensions: {
            quint32 rows = 0, columns = 0;
            if (length >= 14) {
                rows = qFromLittleEndian<quint32>(data + 4);
                columns = qFromLittleEndian<quint16>(data + 10);
            } else if (length >= 10) {
                rows = qFromLittleEndian<quint16>(data + 2);
                columns = qFromLittleEndian<quint16>(data + 6);
            }
            if (rows > MaxBiffRows || columns > MaxBiffColumns)
                return damaged(QStringLiteral("工作表的大小不对"));
            biff.cells += qint64(rows) * columns;
            if (biff.cells > limits.maxCells)
                return Status::failure(QStringLiteral("Excel 97-2003 工作簿的工作表合计超过 %1 个单元格，不予读取")
                                           .arg(limits.maxCells),
                                       3);
            break;
        }
        default: break;
        }
        at += 4 + length;
    }
    return {};
}

// A formula's value as the text a clerk would have typed for it.
sheetvalue::NumberText formulaText(const Formula &f, const Biff &biff)
{
    switch (f.kind) {
    case Formula::Kind::Number: {
        const int format = biff.xfFormats.value(f.xf, 0);
        const sheetvalue::NumberFormat shown = biff.formats.contains(format)
                                                   ? sheetvalue::formatOf(biff.formats.value(format))
                                                   : sheetvalue::builtinFormat(format);
        const bool date = shown.kind == sheetvalue::NumberFormat::Kind::Date;
        return sheetvalue::numberText(sheetvalue::Decimal::fromDouble(f.number),
                                      date ? shown : sheetvalue::NumberFormat{}, biff.date1904);
    }
    case Formula::Kind::Text: return {f.text, {}};
    case Formula::Kind::Boolean: return {f.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), {}};
    case Formula::Kind::Error:
        return {errorName(int(f.number)), QStringLiteral("单元格是公式的错误值 %1").arg(errorName(int(f.number)))};
    case Formula::Kind::Empty: break;
    }
    return {};
}

void put(spreadsheet::Row &row, int column, const sheetvalue::NumberText &shown)
{
    if (shown.text.isEmpty() && shown.refusal.isEmpty())
        return;
    while (row.cells.size() <= column)
        row.cells << QString();
    row.cells[column] = shown.text;
    if (!shown.refusal.isEmpty())
        row.refused.insert(column, shown.refusal);
}

Status freexlFailure(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return Status::failure(QStringLiteral("内存不够，无法读取 Excel 97-2003 工作簿"), 3);
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return damaged(QStringLiteral("没有工作簿"));
    case FREEXL_CRAFTED_FILE: return damaged(QStringLiteral("文件的结构被改动过"));
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER: return damaged(QStringLiteral("文字的编码读不懂"));
    default: return damaged(QStringLiteral("freexl 错误 %1").arg(code));
    }
}

// A cell as the text a clerk would have typed for it.
void putCell(spreadsheet::Row &row, int column, const FreeXL_CellValue &value)
{
    sheetvalue::NumberText shown;
    switch (value.type) {
    case FREEXL_CELL_INT:
        shown = sheetvalue::numberText(*sheetvalue::Decimal::parse(QString::number(value.value.int_value)), {}, false);
        break;
    case FREEXL_CELL_DOUBLE:
        shown = sheetvalue::numberText(sheetvalue::Decimal::fromDouble(value.value.double_value), {}, false);
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME:
        shown.text = QString::fromUtf8(value.value.text_value);
        break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        shown.text = QString::fromUtf8(value.value.text_value).left(10);
        break;
    default:
        return;
    }
    put(row, column, shown);
}

// Closes the library's handle whatever happens.
struct Handle {
    const void *h = nullptr;
    ~Handle()
    {
        if (h)
            freexl_close(h);
    }
};

} // namespace

XlsReader::XlsReader(const spreadsheet::Limits &limits) : m_limits(limits) {}

namespace {

// Why the library must not read this compound file, or nothing; `biff`
// gets what the workbook stream says.
Status inspect(const CompoundFile &file, const QString &path, const spreadsheet::Limits &limits, Biff &biff)
{
    if (file.hasStream(QStringLiteral("EncryptedPackage")))
        return encrypted();
    const QString name = workbookStream(file);
    if (name.isEmpty()) {
        if (path.endsWith(QLatin1String(".et"), Qt::CaseInsensitive))
            return Status::failure(QStringLiteral("无法读取这个 WPS 表格（.et）文件：它是 WPS 自己的格式，不是 Excel 兼容的格式。"
                                                  "请在 WPS 里“另存为” .xlsx 或 .xls 文件"),
                                   3);
        return Status::failure(QStringLiteral("这个文件不是电子表格（是 Word 文档或别的 OLE 文件？）"), 3);
    }
    const Result<QByteArray> stream = file.stream(name, limits.maxFileBytes);
    if (!stream)
        return stream.status();
    return scanRecords(*stream, limits, biff);
}

} // namespace

Status XlsReader::open(const QString &path, const QByteArray &bytes, const QString &sheet)
{
    m_rows.clear();
    m_sheetNames.clear();
    m_next = 0;
    CompoundFile container;
    if (Status s = container.open(&bytes); !s)
        return s;
    Biff biff;
    if (Status s = inspect(container, path, m_limits, biff); !s)
        return s;
    Handle handle;
    if (const int rc = freexl_open(QFile::encodeName(path).constData(), &handle.h); rc != FREEXL_OK)
        return freexlFailure(rc);
    unsigned int info = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return encrypted();
    unsigned int sheets = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        return damaged(QStringLiteral("没有工作表"));
    int chosen = sheet.isEmpty() ? 0 : -1;
    for (unsigned int i = 0; i < sheets; ++i) {
        const char *name = nullptr;
        if (freexl_get_worksheet_name(handle.h, quint16(i), &name) != FREEXL_OK)
            return damaged(QStringLiteral("工作表的名字读不出来"));
        m_sheetNames << QString::fromUtf8(name ? name : "");
        if (chosen < 0 && m_sheetNames.last().compare(sheet, Qt::CaseInsensitive) == 0)
            chosen = int(i);
    }
    if (chosen < 0)
        return Status::failure(QStringLiteral("工作簿里没有名为“%1”的工作表（有：%2）")
                                   .arg(sheet, m_sheetNames.join(QStringLiteral("、"))),
                               2);
    m_sheet = m_sheetNames.at(chosen);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle.h, quint16(chosen)) != FREEXL_OK
        || freexl_worksheet_dimensions(handle.h, &rows, &columns) != FREEXL_OK)
        return damaged(QStringLiteral("工作表“%1”读不出来").arg(m_sheet));
    QMap<int, spreadsheet::Row> byNumber;
    for (unsigned int r = 0; r < rows; ++r) {
        spreadsheet::Row row{int(r) + 1, {}, {}};
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (const int rc = freexl_get_cell_value(handle.h, r, c, &value); rc != FREEXL_OK)
                return freexlFailure(rc);
            putCell(row, c, value);
        }
        if (!row.cells.isEmpty())
            byNumber.insert(row.number, row);
    }
    // The formulas' values, which the library leaves out.
    quint32 sheetAt = 0;
    for (const auto &[at, name] : std::as_const(biff.sheets))
        if (name == m_sheet)
            sheetAt = at;
    for (const Formula &f : std::as_const(biff.formulas))
        if (f.sheet == sheetAt && sheetAt != 0) {
            spreadsheet::Row &row = byNumber[f.row + 1];
            row.number = f.row + 1;
            put(row, f.column, formulaText(f, biff));
        }
    for (const spreadsheet::Row &row : std::as_const(byNumber)) {
        for (const QString &cell : row.cells)
            if (cell.size() > m_limits.maxCellLength)
                return Status::failure(QStringLiteral("工作表第 %1 行有超过 %2 个字符的单元格").arg(row.number).arg(m_limits.maxCellLength), 3);
        if (!row.cells.isEmpty())
            m_rows << row;
    }
    return {};
}

bool XlsReader::next(spreadsheet::Row &row)
{
    if (m_next >= m_rows.size())
        return false;
    row = m_rows.at(m_next++);
    return true;
}
