#include "core/xlsxreader.h"

#include <QDir>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;
constexpr int ZipEncrypted = 0x1; // general purpose flag of an encrypted entry

QString damaged(const QString &why)
{
    return QStringLiteral("Excel 工作簿已损坏或不完整（%1）").arg(why);
}

QString encrypted()
{
    return QStringLiteral("Excel 工作簿设了打开密码（已加密），无法读取：请在电子表格程序里去掉密码后另存一份");
}

QString directoryOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

// A relation's target as a part name: relative to the part that names it,
// or from the package's root when it starts with "/".
QString resolve(const QString &fromPart, const QString &target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.mid(1));
    const QString dir = directoryOf(fromPart);
    return QDir::cleanPath(dir.isEmpty() ? target : dir + u'/' + target);
}

// The relations of a part live in "_rels/NAME.rels" beside it.
QString relationsOf(const QString &part)
{
    const QString dir = directoryOf(part);
    const QString name = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    return (dir.isEmpty() ? QString() : dir + u'/') + QStringLiteral("_rels/") + name + QStringLiteral(".rels");
}

// "AB12" gives 27; -1 when it is no cell reference.
int columnOfReference(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && i < 4; ++i) {
        const char16_t c = QChar::toUpper(ref.at(i).unicode());
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
    }
    if (i == 0 || i > 3 || i == ref.size())
        return -1;
    for (qsizetype j = i; j < ref.size(); ++j)
        if (!ref.at(j).isDigit())
            return -1;
    return column - 1;
}

// An attribute by its local name whatever its prefix ("r:id").
QString attribute(const QXmlStreamAttributes &attributes, QStringView name, bool namespaced = false)
{
    for (const QXmlStreamAttribute &a : attributes)
        if (a.name() == name && (!namespaced || !a.namespaceUri().isEmpty() || !a.prefix().isEmpty()))
            return a.value().toString();
    return {};
}

bool isTrue(const QString &value)
{
    return value == QLatin1String("1") || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

namespace spreadsheet {

FileKind sniff(const QByteArray &head)
{
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return FileKind::Zip;
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return FileKind::Compound;
    return FileKind::Text;
}

QString columnName(int index)
{
    QString name;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

} // namespace spreadsheet

// One part of the package, its XML streamed as it is unpacked.
class XlsxReader::Part {
public:
    Part(QuaZip *zip, qint64 limit, qint64 *unpacked, qint64 totalLimit)
        : file(zip), m_limit(limit), m_unpacked(unpacked), m_totalLimit(totalLimit)
    {
    }

    QuaZipFile file;
    QXmlStreamReader xml;
    Status status;

    // The next token; false at the end of the part or on an error.
    bool next()
    {
        if (m_finished)
            return false;
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (!xml.hasError()) {
                if (token == QXmlStreamReader::DTD)
                    return fail(damaged(QStringLiteral("XML 里有文档类型定义")));
                if (token == QXmlStreamReader::StartElement)
                    ++m_depth;
                if (token == QXmlStreamReader::EndElement && --m_depth == 0)
                    m_rootClosed = true;
                if (token == QXmlStreamReader::EndDocument || (m_rootClosed && token != QXmlStreamReader::EndElement))
                    return finish();
                return true;
            }
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                return fail(damaged(QStringLiteral("%1 第 %2 行：%3").arg(file.getActualFileName()).arg(xml.lineNumber()).arg(xml.errorString())));
            if (m_rootClosed)
                return finish();
            if (m_atEnd)
                return fail(damaged(QStringLiteral("%1 不完整").arg(file.getActualFileName())));
            if (!feed())
                return false;
        }
    }

    // Reads the part to its end; its checksum is then checked.
    bool finish()
    {
        m_finished = true;
        while (!m_atEnd)
            if (!feed())
                return false;
        file.close();
        if (file.getZipError() != UNZ_OK)
            return fail(damaged(QStringLiteral("%1 的校验和不对").arg(file.getActualFileName())));
        return false;
    }

private:
    bool fail(const QString &message)
    {
        m_finished = true;
        if (status.ok())
            status = Status::failure(message, 3);
        return false;
    }

    bool feed()
    {
        QByteArray chunk(ChunkBytes, Qt::Uninitialized);
        const qint64 n = file.read(chunk.data(), ChunkBytes);
        if (n < 0)
            return fail(damaged(QStringLiteral("无法解压 %1").arg(file.getActualFileName())));
        if (n == 0) {
            m_atEnd = true;
            return true;
        }
        m_bytes += n;
        *m_unpacked += n;
        if (m_bytes > m_limit || *m_unpacked > m_totalLimit)
            return fail(QStringLiteral("Excel 工作簿解压后太大（一个部分最多 %1 MB，合计最多 %2 MB），不予读取")
                            .arg(m_limit >> 20)
                            .arg(m_totalLimit >> 20));
        chunk.truncate(n);
        xml.addData(chunk);
        return true;
    }

    qint64 m_limit;
    qint64 *m_unpacked;
    qint64 m_totalLimit;
    qint64 m_bytes = 0;
    int m_depth = 0;
    bool m_atEnd = false;
    bool m_rootClosed = false;
    bool m_finished = false;
};

XlsxReader::XlsxReader(const spreadsheet::Limits &limits) : m_limits(limits) {}

XlsxReader::~XlsxReader()
{
    m_part.reset(); // its file belongs to the zip
}

Status XlsxReader::openPart(Part &part, const QString &name)
{
    if (!m_zip->setCurrentFile(name, QuaZip::csInsensitive))
        return Status::failure(damaged(QStringLiteral("没有 %1").arg(name)), 3);
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info))
        return Status::failure(damaged(QStringLiteral("无法读取 %1 的目录项").arg(name)), 3);
    if (info.flags & ZipEncrypted)
        return Status::failure(encrypted(), 3);
    if (qint64(info.uncompressedSize) > m_limits.maxPartBytes)
        return Status::failure(QStringLiteral("Excel 工作簿解压后太大（%1 有 %2 MB，一个部分最多 %3 MB），不予读取")
                                   .arg(name)
                                   .arg(qint64(info.uncompressedSize) >> 20)
                                   .arg(m_limits.maxPartBytes >> 20),
                               3);
    if (!part.file.open(QIODevice::ReadOnly))
        return Status::failure(damaged(QStringLiteral("无法打开 %1").arg(name)), 3);
    return {};
}

Result<QList<XlsxReader::Relation>> XlsxReader::relations(const QString &partName)
{
    const QString name = relationsOf(partName);
    QList<Relation> list;
    if (!m_zip->setCurrentFile(name, QuaZip::csInsensitive))
        return list;
    Part part(m_zip.get(), m_limits.maxPartBytes, &m_unpacked, m_limits.maxUnpackedBytes);
    if (Status s = openPart(part, name); !s)
        return s;
    while (part.next())
        if (part.xml.isStartElement() && part.xml.name() == QLatin1String("Relationship")) {
            const QXmlStreamAttributes a = part.xml.attributes();
            if (a.value(QLatin1String("TargetMode")) == QLatin1String("External"))
                continue;
            list << Relation{a.value(QLatin1String("Id")).toString(), a.value(QLatin1String("Type")).toString(),
                             resolve(partName, a.value(QLatin1String("Target")).toString())};
        }
    if (!part.status)
        return part.status;
    return list;
}

Status XlsxReader::open(const QByteArray *bytes, const QString &sheet)
{
    m_buffer.setBuffer(const_cast<QByteArray *>(bytes));
    if (!m_buffer.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法读取 Excel 工作簿"), 3);
    m_zip = std::make_unique<QuaZip>(&m_buffer);
    m_zip->setAutoClose(false);
    if (!m_zip->open(QuaZip::mdUnzip))
        return Status::failure(damaged(QStringLiteral("zip 目录读不出来")), 3);
    const Result<QList<Relation>> package = relations(QString());
    if (!package)
        return package.status();
    QString workbook;
    for (const Relation &r : *package)
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            workbook = r.target;
    if (workbook.isEmpty())
        return Status::failure(QStringLiteral("这个 zip 压缩文件不是 Excel 工作簿"), 3);
    if (Status s = readWorkbook(workbook, sheet); !s)
        return s;
    m_openingBytes = m_unpacked;
    return rewind();
}

Status XlsxReader::readWorkbook(const QString &path, const QString &wanted)
{
    struct Sheet {
        QString name, id;
        bool hidden = false;
    };
    QList<Sheet> sheets;
    {
        Part part(m_zip.get(), m_limits.maxPartBytes, &m_unpacked, m_limits.maxUnpackedBytes);
        if (Status s = openPart(part, path); !s)
            return s;
        while (part.next()) {
            if (!part.xml.isStartElement())
                continue;
            const QXmlStreamAttributes a = part.xml.attributes();
            if (part.xml.name() == QLatin1String("workbookPr"))
                m_date1904 = isTrue(a.value(QLatin1String("date1904")).toString());
            else if (part.xml.name() == QLatin1String("sheet"))
                sheets << Sheet{a.value(QLatin1String("name")).toString(), attribute(a, u"id", true),
                                a.value(QLatin1String("state")) != QLatin1String("visible")
                                    && !a.value(QLatin1String("state")).isEmpty()};
        }
        if (!part.status)
            return part.status;
    }
    const Result<QList<Relation>> rels = relations(path);
    if (!rels)
        return rels.status();
    QString sharedStrings, styles;
    QHash<QString, Relation> byId;
    for (const Relation &r : *rels) {
        byId.insert(r.id, r);
        if (r.type.endsWith(QLatin1String("/sharedStrings")))
            sharedStrings = r.target;
        else if (r.type.endsWith(QLatin1String("/styles")))
            styles = r.target;
    }
    const Sheet *chosen = nullptr;
    for (const Sheet &s : sheets) {
        m_sheetNames << s.name;
        const bool named = !wanted.isEmpty() && (s.name == wanted || s.name.compare(wanted, Qt::CaseInsensitive) == 0);
        if (!chosen && (named || (wanted.isEmpty() && !s.hidden)))
            chosen = &s;
    }
    if (!chosen && wanted.isEmpty() && !sheets.isEmpty())
        chosen = &sheets.first();
    if (!chosen && !wanted.isEmpty())
        return Status::failure(QStringLiteral("工作簿里没有名为“%1”的工作表（有：%2）")
                                   .arg(wanted, m_sheetNames.join(QStringLiteral("、"))),
                               2);
    if (!chosen)
        return Status::failure(QStringLiteral("工作簿里没有工作表"), 3);
    const Relation sheetRel = byId.value(chosen->id);
    if (!sheetRel.type.endsWith(QLatin1String("/worksheet")))
        return Status::failure(sheetRel.target.isEmpty()
                                   ? damaged(QStringLiteral("找不到工作表“%1”的内容").arg(chosen->name))
                                   : QStringLiteral("“%1”是图表或对话框，不是工作表").arg(chosen->name),
                               3);
    m_sheet = chosen->name;
    m_sheetPath = sheetRel.target;
    if (!sharedStrings.isEmpty())
        if (Status s = readSharedStrings(sharedStrings); !s)
            return s;
    if (!styles.isEmpty())
        if (Status s = readStyles(styles); !s)
            return s;
    return {};
}

Status XlsxReader::readSharedStrings(const QString &path)
{
    Part part(m_zip.get(), m_limits.maxPartBytes, &m_unpacked, m_limits.maxUnpackedBytes);
    if (Status s = openPart(part, path); !s)
        return s;
    QString text;
    bool inText = false;
    int phonetic = 0;
    while (part.next()) {
        QXmlStreamReader &x = part.xml;
        if (x.isStartElement()) {
            if (x.name() == QLatin1String("si"))
                text.clear();
            else if (x.name() == QLatin1String("t"))
                inText = true;
            else if (x.name() == QLatin1String("rPh"))
                ++phonetic;
        } else if (x.isEndElement()) {
            if (x.name() == QLatin1String("si"))
                m_shared << sheetvalue::decodeEscapes(text);
            else if (x.name() == QLatin1String("t"))
                inText = false;
            else if (x.name() == QLatin1String("rPh"))
                --phonetic;
        } else if (x.isCharacters() && inText && phonetic == 0) {
            text += x.text();
            if (text.size() > m_limits.maxCellLength)
                return Status::failure(QStringLiteral("Excel 工作簿里有超过 %1 个字符的文字").arg(m_limits.maxCellLength), 3);
        }
    }
    return part.status;
}

Status XlsxReader::readStyles(const QString &path)
{
    Part part(m_zip.get(), m_limits.maxPartBytes, &m_unpacked, m_limits.maxUnpackedBytes);
    if (Status s = openPart(part, path); !s)
        return s;
    QHash<int, QString> codes;
    QList<int> formatIds;
    bool inCellFormats = false;
    while (part.next()) {
        QXmlStreamReader &x = part.xml;
        if (x.isStartElement()) {
            const QXmlStreamAttributes a = x.attributes();
            if (x.name() == QLatin1String("numFmt"))
                codes.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
            else if (x.name() == QLatin1String("cellXfs"))
                inCellFormats = true;
            else if (inCellFormats && x.name() == QLatin1String("xf"))
                formatIds << a.value(QLatin1String("numFmtId")).toInt();
        } else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) {
            inCellFormats = false;
        }
    }
    if (!part.status)
        return part.status;
    for (const int id : std::as_const(formatIds))
        m_styles << (codes.contains(id) ? sheetvalue::formatOf(codes.value(id)) : sheetvalue::builtinFormat(id));
    return {};
}

Status XlsxReader::rewind()
{
    m_part.reset();
    m_status = {};
    m_done = false;
    m_lastRow = 0;
    m_cell = {};
    // Each pass counts the sheet anew, on top of the parts read to open it.
    m_unpacked = m_openingBytes;
    m_part = std::make_unique<Part>(m_zip.get(), m_limits.maxPartBytes, &m_unpacked, m_limits.maxUnpackedBytes);
    if (Status s = openPart(*m_part, m_sheetPath); !s) {
        m_status = s;
        m_done = true;
        return s;
    }
    return {};
}

bool XlsxReader::fail(const QString &message)
{
    m_status = Status::failure(message, 3);
    m_done = true;
    return false;
}

bool XlsxReader::finishCell(spreadsheet::Row &row)
{
    const Cell cell = std::exchange(m_cell, Cell{});
    if (cell.value.isEmpty() && cell.type != QLatin1String("inlineStr"))
        return true;
    QString text;
    QString refusal;
    if (cell.type == QLatin1String("s")) {
        bool ok = false;
        const int index = cell.value.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= m_shared.size())
            return fail(damaged(QStringLiteral("第 %1 行引用了不存在的共享字符串 %2").arg(row.number).arg(cell.value.left(20))));
        text = m_shared.at(index);
    } else if (cell.type == QLatin1String("inlineStr") || cell.type == QLatin1String("str")) {
        text = sheetvalue::decodeEscapes(cell.value);
    } else if (cell.type == QLatin1String("b")) {
        text = cell.value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    } else if (cell.type == QLatin1String("e")) {
        text = cell.value.trimmed();
        refusal = QStringLiteral("单元格是公式的错误值 %1").arg(text);
    } else if (cell.type == QLatin1String("d")) {
        text = cell.value.trimmed().left(10);
    } else {
        const std::optional<sheetvalue::Decimal> number = sheetvalue::Decimal::parse(cell.value);
        if (!number)
            return fail(damaged(QStringLiteral("第 %1 行的数字“%2”读不懂").arg(row.number).arg(cell.value.left(20))));
        const sheetvalue::NumberFormat format = cell.style >= 0 && cell.style < m_styles.size()
                                                    ? m_styles.at(cell.style)
                                                    : sheetvalue::NumberFormat{};
        const sheetvalue::NumberText shown = sheetvalue::numberText(*number, format, m_date1904);
        text = shown.text;
        refusal = shown.refusal;
    }
    if (text.isEmpty() && refusal.isEmpty())
        return true;
    if (cell.column >= m_limits.maxColumns)
        return fail(QStringLiteral("工作表第 %1 行第 %2 列有内容，超过了 %3 列的限制")
                        .arg(row.number)
                        .arg(spreadsheet::columnName(cell.column))
                        .arg(m_limits.maxColumns));
    if (text.size() > m_limits.maxCellLength)
        return fail(QStringLiteral("工作表第 %1 行 %2 列超过 %3 个字符")
                        .arg(row.number)
                        .arg(spreadsheet::columnName(cell.column))
                        .arg(m_limits.maxCellLength));
    while (row.cells.size() <= cell.column)
        row.cells << QString();
    row.cells[cell.column] = text;
    if (!refusal.isEmpty())
        row.refused.insert(cell.column, refusal);
    return true;
}

bool XlsxReader::next(spreadsheet::Row &row)
{
    row = {};
    if (m_done || !m_part)
        return false;
    bool inRow = false;
    bool inCell = false;
    int lastColumn = -1;
    while (m_part->next()) {
        QXmlStreamReader &x = m_part->xml;
        if (x.isStartElement()) {
            const QStringView name = x.name();
            if (name == QLatin1String("row")) {
                bool ok = false;
                const QStringView r = x.attributes().value(QLatin1String("r"));
                const int number = r.isEmpty() ? m_lastRow + 1 : r.toInt(&ok);
                if (!r.isEmpty() && !ok)
                    return fail(damaged(QStringLiteral("行号“%1”读不懂").arg(r.left(20).toString())));
                if (number <= m_lastRow)
                    return fail(damaged(QStringLiteral("第 %1 行排在第 %2 行之后").arg(number).arg(m_lastRow)));
                if (number > m_limits.maxRows)
                    return fail(QStringLiteral("工作表超过了 %1 行的限制").arg(m_limits.maxRows));
                m_lastRow = number;
                row = {number, {}, {}};
                inRow = true;
                lastColumn = -1;
            } else if (name == QLatin1String("c") && inRow) {
                const QXmlStreamAttributes a = x.attributes();
                const QStringView ref = a.value(QLatin1String("r"));
                m_cell = {};
                m_cell.column = ref.isEmpty() ? lastColumn + 1 : columnOfReference(ref);
                if (m_cell.column < 0 || m_cell.column <= lastColumn)
                    return fail(damaged(QStringLiteral("第 %1 行的单元格“%2”位置不对").arg(row.number).arg(ref.left(20).toString())));
                lastColumn = m_cell.column;
                m_cell.type = a.value(QLatin1String("t")).toString();
                m_cell.style = a.value(QLatin1String("s")).isEmpty() ? 0 : a.value(QLatin1String("s")).toInt();
                inCell = true;
            } else if (inCell && (name == QLatin1String("v") || name == QLatin1String("t"))) {
                m_cell.inValue = true;
            } else if (inCell && name == QLatin1String("rPh")) {
                m_cell.inPhonetic = true;
            }
        } else if (x.isCharacters()) {
            if (m_cell.inValue && !m_cell.inPhonetic) {
                m_cell.value += x.text();
                if (m_cell.value.size() > m_limits.maxCellLength)
                    return fail(QStringLiteral("工作表第 %1 行有超过 %2 个字符的单元格").arg(row.number).arg(m_limits.maxCellLength));
            }
        } else if (x.isEndElement()) {
            const QStringView name = x.name();
            if (name == QLatin1String("v") || name == QLatin1String("t")) {
                m_cell.inValue = false;
            } else if (name == QLatin1String("rPh")) {
                m_cell.inPhonetic = false;
            } else if (name == QLatin1String("c") && inCell) {
                inCell = false;
                if (!finishCell(row))
                    return false;
            } else if (name == QLatin1String("row") && inRow) {
                inRow = false;
                if (row.cells.isEmpty() && row.refused.isEmpty())
                    continue;
                return true;
            }
        }
    }
    m_done = true;
    if (!m_part->status)
        m_status = m_part->status;
    return false;
}
