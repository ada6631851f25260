#include "core/tablesource.h"

#include "core/xlsreader.h"
#include "core/xlsxreader.h"

#include <QFile>

namespace batch {

namespace {

// A WPS workbook that cannot be read says that it is one, and what to do.
Status forWps(const QString &path, const Status &s)
{
    if (s.ok() || s.error != 3 || !path.endsWith(QLatin1String(".et"), Qt::CaseInsensitive)
        || s.message.contains(QLatin1String("WPS")))
        return s;
    return Status::failure(QStringLiteral("无法读取这个 WPS 表格（.et）文件：%1。请在 WPS 里“另存为” .xlsx 或 .xls 文件")
                               .arg(s.message),
                           s.error);
}

} // namespace

Status SheetSource::open(const QString &path, const QString &sheet, const spreadsheet::Limits &limits)
{
    return forWps(path, openWorkbook(path, sheet, limits));
}

Status SheetSource::openWorkbook(const QString &path, const QString &sheet, const spreadsheet::Limits &limits)
{
    m_reader.reset();
    m_header.clear();
    m_headerRow = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()), 3);
    if (file.size() > limits.maxFileBytes)
        return Status::failure(QStringLiteral("工作簿 %1 太大（超过 %2 MB）").arg(path).arg(limits.maxFileBytes >> 20), 3);
    m_bytes = file.read(limits.maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || m_bytes.size() > limits.maxFileBytes)
        return Status::failure(QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()), 3);
    switch (spreadsheet::sniff(m_bytes.left(8))) {
    case spreadsheet::FileKind::Zip: {
        auto reader = std::make_unique<XlsxReader>(limits);
        if (Status s = reader->open(&m_bytes, sheet); !s)
            return s;
        m_reader = std::move(reader);
        break;
    }
    case spreadsheet::FileKind::Compound: {
        auto reader = std::make_unique<XlsReader>(limits);
        if (Status s = reader->open(path, m_bytes, sheet); !s)
            return s;
        m_reader = std::move(reader);
        m_bytes.clear(); // its rows are read
        break;
    }
    case spreadsheet::FileKind::Text:
        return Status::failure(QStringLiteral("这个文件不是 Excel 或 WPS 工作簿"), 3);
    }
    return rewind();
}

QString SheetSource::description() const
{
    return QStringLiteral("工作表“%1”").arg(sheetName());
}

QStringList SheetSource::sheetNames() const
{
    return m_reader ? m_reader->sheetNames() : QStringList();
}

QString SheetSource::sheetName() const
{
    return m_reader ? m_reader->sheetName() : QString();
}

Status SheetSource::rewind()
{
    if (!m_reader)
        return Status::failure(QStringLiteral("工作簿没有打开"), 3);
    if (Status s = m_reader->rewind(); !s)
        return s;
    m_header.clear();
    // The header: the first row that is not blank.
    Row row;
    while (next(row)) {
        if (row.isBlank())
            continue;
        m_header = row.cells;
        m_headerRow = row.number;
        return {};
    }
    if (!m_reader->status())
        return m_reader->status();
    return Status::failure(QStringLiteral("工作表“%1”是空的，没有表头").arg(sheetName()), 2);
}

bool SheetSource::next(Row &row)
{
    spreadsheet::Row r;
    if (!m_reader || !m_reader->next(r))
        return false;
    row.number = r.number;
    row.cells = std::move(r.cells);
    row.refused = std::move(r.refused);
    // A sheet leaves its empty cells at a row's end out: the row is as
    // wide as the header all the same (it is not cut short as a CSV line
    // can be).
    while (row.cells.size() < m_header.size())
        row.cells << QString();
    return true;
}

Status SheetSource::status() const
{
    return m_reader ? m_reader->status() : Status::failure(QStringLiteral("工作簿没有打开"), 3);
}

Result<std::shared_ptr<TableSource>> openTable(const QString &path, const QString &sheet)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()), 3);
    const spreadsheet::FileKind kind = spreadsheet::sniff(file.peek(8));
    file.close();
    if (kind == spreadsheet::FileKind::Text) {
        if (!sheet.isEmpty())
            return Status::failure(QStringLiteral("这是 CSV 文件，没有工作表“%1”").arg(sheet), 2);
        auto csv = std::make_shared<CsvSource>();
        if (Status s = csv->open(path); !s)
            return s;
        return std::shared_ptr<TableSource>(csv);
    }
    auto workbook = std::make_shared<SheetSource>();
    if (Status s = workbook->open(path, sheet); !s)
        return s;
    return std::shared_ptr<TableSource>(workbook);
}

} // namespace batch
