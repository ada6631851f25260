#include "core/batch.h"
#include "core/billregister.h"

#include "core/billentry.h"
#include "core/calibration.h"
#include "core/dateformat.h"
#include "core/fillrules.h"
#include "core/moneyvalue.h"
#include "core/textlines.h"
#include "core/textvalue.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace batch {

namespace {

bool takesInput(FieldKind kind)
{
    return kind == KindCheck || kind == KindDate || kind == KindText || kind == KindMoney;
}

bool isKey(const QString &text)
{
    static const QRegularExpression eightDigits(QStringLiteral("^[0-9]{8}$"));
    return eightDigits.match(text).hasMatch();
}

// The key of the field a header cell names.
Result<QString> fieldNamed(const BillTemplate &t, const QString &header)
{
    if (isKey(header)) {
        const TemplateField *f = t.field(header);
        if (!f)
            return Status::failure(QStringLiteral("模板里没有键为 %1 的栏目").arg(header));
        if (!takesInput(f->kind))
            return Status::failure(QStringLiteral("栏目 %1 是标签，不能填写").arg(header));
        return f->key;
    }
    QStringList keys;
    bool label = false;
    for (const TemplateField &f : t.fields()) {
        if (f.name.trimmed() != header)
            continue;
        if (takesInput(f.kind))
            keys << f.key;
        else
            label = true;
    }
    if (keys.size() == 1)
        return keys.first();
    if (keys.size() > 1)
        return Status::failure(QStringLiteral("模板里有 %1 个栏目叫这个名字（%2），请用栏目的键作表头")
                                   .arg(keys.size())
                                   .arg(keys.join(QStringLiteral("、"))));
    if (label)
        return Status::failure(QStringLiteral("这是标签，不能填写"));
    return Status::failure(QStringLiteral("模板里没有这个名字的栏目"));
}

QString fieldName(const TemplateField &f)
{
    return f.name.trimmed().isEmpty() ? f.key : f.name.trimmed();
}

// Why a value cannot be typed into a date field, or nothing. A field that
// formats itself takes exactly the digits its style needs; more would be
// typed after the formatted date, fewer leave it unformatted.
std::optional<QString> dateRefusal(const TemplateField &f, const QString &digits)
{
    if (digits.isEmpty() || !dateformat::isDigitString(digits))
        return QStringLiteral("“%1”不是日期（写成 20261207 或 2026-12-07）").arg(digits);
    const std::optional<int> minimum = f.code ? fillrules::dateMinimumLength(*f.code) : std::nullopt;
    const bool formats = minimum && f.hasCharLength && *minimum <= f.charLength;
    if (formats && digits.size() != *minimum)
        return QStringLiteral("日期“%1”应为 %2 位数字%3")
            .arg(digits)
            .arg(*minimum)
            .arg(*minimum == 8 ? QStringLiteral("（年月日，如 20261207）") : QString());
    if (!formats && f.hasCharLength && digits.size() > f.charLength)
        return QStringLiteral("日期“%1”超过这一栏的 %2 位").arg(digits).arg(f.charLength);
    return std::nullopt;
}

} // namespace

// ---- rows and header -------------------------------------------------------

bool Row::isBlank() const
{
    if (!refused.isEmpty())
        return false;
    for (const QString &cell : cells)
        if (!cell.trimmed().isEmpty())
            return false;
    return true;
}

const Column *Header::columnOf(const QString &key) const
{
    for (const Column &c : columns)
        if (c.key == key)
            return &c;
    return nullptr;
}

QString HeaderProblem::line() const
{
    return QStringLiteral("column %1 \"%2\": %3").arg(column + 1).arg(header, reason);
}

QString Problem::line() const
{
    if (field.isEmpty())
        return QStringLiteral("row %1: %2").arg(row).arg(reason);
    return QStringLiteral("row %1, field %2: %3").arg(row).arg(field, reason);
}

Header matchHeader(const BillTemplate &t, const QStringList &cells, QList<HeaderProblem> &problems)
{
    Header header;
    header.width = int(cells.size());
    QHash<QString, int> taken; // key -> the column that fills it
    for (int i = 0; i < cells.size(); ++i) {
        const QString name = cells.at(i).trimmed();
        if (name.isEmpty())
            continue;
        const Result<QString> key = fieldNamed(t, name);
        if (!key) {
            problems << HeaderProblem{i, name, key.message()};
            continue;
        }
        if (const auto other = taken.constFind(*key); other != taken.cend()) {
            problems << HeaderProblem{i, name,
                                      QStringLiteral("与第 %1 列“%2”填的是同一个栏目（%3）")
                                          .arg(*other + 1)
                                          .arg(cells.at(*other).trimmed(), *key)};
            continue;
        }
        taken.insert(*key, i);
        header.columns << Column{i, name, *key};
    }
    std::sort(header.columns.begin(), header.columns.end(), [&t](const Column &a, const Column &b) {
        return t.indexOfKey(a.key) < t.indexOfKey(b.key);
    });
    return header;
}

// ---- filling ---------------------------------------------------------------

QString dateDigits(const QString &value)
{
    static const QRegularExpression written(
        QStringLiteral("^(\\d{4})\\s*([-/.])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})$"));
    const QRegularExpressionMatch m = written.match(value.trimmed());
    if (!m.hasMatch())
        return value.trimmed();
    return m.captured(1) + m.captured(3).rightJustified(2, u'0') + m.captured(4).rightJustified(2, u'0');
}

Filler::Filler(BillDocument &document, Header header) : m_doc(document), m_header(std::move(header)) {}

std::optional<Problem> Filler::enterCell(const Row &row, const Column &column)
{
    const QString value = row.cells.value(column.index).trimmed();
    if (value.isEmpty())
        return std::nullopt;
    if (const auto refused = row.refused.constFind(column.index); refused != row.refused.cend())
        return Problem{row.number, column.index, column.header, *refused};
    const TemplateField *f = m_doc.field(column.key);
    if (!f)
        return std::nullopt;
    auto refuse = [&](const QString &reason) { return Problem{row.number, column.index, column.header, reason}; };
    QString typed = value;
    switch (f->kind) {
    case KindText:
        if (f->charLength > 0 && textvalue::length(value) > f->charLength)
            return refuse(QStringLiteral("有 %1 个字，这一栏最多 %2 个字")
                              .arg(textvalue::length(value))
                              .arg(f->charLength));
        break;
    case KindDate:
        typed = dateDigits(value);
        if (const std::optional<QString> why = dateRefusal(*f, typed))
            return refuse(*why);
        break;
    case KindMoney: {
        const std::optional<exact::Amount> yuan = money::parseTyped(value);
        if (!yuan)
            return refuse(QStringLiteral("“%1”不是金额（写成 1234.56 或 1,234.56）").arg(value));
        if (yuan->sign() < 0)
            return refuse(QStringLiteral("金额“%1”小于零").arg(value));
        if (!m_doc.isSingleBox(f->key) && !money::columnsFor(*yuan, f->columns.count))
            return refuse(QStringLiteral("金额 %1 超出这一栏的 %2 位").arg(value).arg(f->columns.count));
        break;
    }
    case KindCheck:
        if (!entry::checkWord(value))
            return refuse(QStringLiteral("“%1”不是勾选值（打勾写 √、1 或 是，不打勾写 0、否 或留空）").arg(value));
        break;
    default:
        return std::nullopt;
    }
    if (const Status s = entry::enter(m_doc, column.key, typed); !s)
        return refuse(s.message);
    return std::nullopt;
}

// The document's own findings after the rules have run: sums and copies too
// long for their columns, texts running past their box, dates that do not
// exist. A field whose cell was refused is not named twice, nor a copy of a
// field already named (the stub's date of a date that does not exist).
void Filler::addDocumentProblems(const Row &row, QList<Problem> &problems) const
{
    QSet<QString> named;
    for (const Problem &q : std::as_const(problems))
        for (const Column &c : m_header.columns)
            if (c.index == q.column)
                named.insert(c.key);
    for (const BillProblem &p : m_doc.problems()) {
        const TemplateField *f = m_doc.field(p.key);
        if (!f || named.contains(p.key))
            continue;
        named.insert(p.key);
        if (f->source && named.contains(f->source->trimmed()))
            continue;
        const Column *column = m_header.columnOf(p.key);
        const int at = column ? column->index : -1;
        QString reason;
        switch (p.kind) {
        case BillProblem::AmountTooLong:
            reason = QStringLiteral("金额 %1 超出这一栏的 %2 位").arg(m_doc.overflowOf(p.key)).arg(f->columns.count);
            break;
        case BillProblem::NotAnAmount:
            reason = QStringLiteral("“%1”不是金额").arg(m_doc.columns(p.key).value(0));
            break;
        case BillProblem::TextTooLong:
            reason = QStringLiteral("文字有 %1 行，超出了这一栏（只能容纳 %2 行）")
                         .arg(m_doc.lines(p.key).size())
                         .arg(textlines::linesThatFit(f->printSize(), f->rect.height()));
            break;
        case BillProblem::NoSuchDate:
            reason = QStringLiteral("日期 %1 不存在").arg(m_doc.text(p.key));
            break;
        case BillProblem::AmountMismatch:
            reason = QStringLiteral("“%1”与金额不符").arg(m_doc.text(p.key).left(60));
            break;
        case BillProblem::IncompleteDate:
            reason = QStringLiteral("日期 %1 不完整").arg(m_doc.text(p.key));
            break;
        }
        problems << Problem{row.number, at, column ? column->header : QStringLiteral("%1 (%2)").arg(fieldName(*f), f->key),
                            reason};
    }
}

QList<Problem> Filler::fill(const Row &row)
{
    QList<Problem> problems;
    // Each row is typed into the bill as freshly opened: every field empty.
    const BillTemplate fresh = m_doc.billTemplate();
    m_doc.setTemplate(fresh);
    // Cells beyond the header are an error when they hold something; a row
    // with fewer cells is a row cut short (a line break in a field that was
    // not quoted).
    const int cells = int(row.cells.size());
    if (cells < m_header.width)
        problems << Problem{row.number, -1, {},
                            QStringLiteral("这一行只有 %1 列，表头有 %2 列（字段里的换行没有加引号？）")
                                .arg(cells)
                                .arg(m_header.width)};
    for (int i = 0; i < cells; ++i) {
        const QString value = row.cells.at(i).trimmed();
        if (value.isEmpty())
            continue;
        if (i >= m_header.width) {
            problems << Problem{row.number, i, QStringLiteral("第 %1 列").arg(i + 1),
                                QStringLiteral("表头只有 %1 列，这里的“%2”不知道该填到哪个栏目")
                                    .arg(m_header.width)
                                    .arg(value.left(40))};
        } else if (!std::any_of(m_header.columns.cbegin(), m_header.columns.cend(),
                                [i](const Column &c) { return c.index == i; })) {
            problems << Problem{row.number, i, QStringLiteral("第 %1 列").arg(i + 1),
                                QStringLiteral("这一列没有表头，“%1”不知道该填到哪个栏目").arg(value.left(40))};
        }
    }
    for (const Column &column : m_header.columns)
        if (std::optional<Problem> p = enterCell(row, column))
            problems << *p;
    addDocumentProblems(row, problems);
    if (problems.isEmpty() && m_doc.isBlank())
        problems << Problem{row.number, -1, {}, QStringLiteral("这一行没有要打印的内容")};
    std::stable_sort(problems.begin(), problems.end(),
                     [](const Problem &a, const Problem &b) { return a.column < b.column; });
    return problems;
}

// ---- sources -----------------------------------------------------------------

Status CsvSource::open(const QString &path, const CsvLimits &limits)
{
    m_limits = limits;
    m_header.clear();
    m_headerRow = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开 CSV 文件 %1：%2").arg(path, file.errorString()), 3);
    if (file.size() > MaxBytes)
        return Status::failure(QStringLiteral("CSV 文件 %1 太大（超过 %2 MB）").arg(path).arg(MaxBytes >> 20), 3);
    m_bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError || m_bytes.size() > MaxBytes)
        return Status::failure(QStringLiteral("无法读取 CSV 文件 %1：%2").arg(path, file.errorString()), 3);
    return rewind();
}

QString CsvSource::description() const
{
    return QStringLiteral("%1 编码").arg(CsvReader::encodingName(encoding()));
}

CsvReader::Encoding CsvSource::encoding() const
{
    return m_reader ? m_reader->encoding() : CsvReader::Encoding::Utf8;
}

Status CsvSource::rewind()
{
    m_reader.reset();
    m_buffer.close();
    m_buffer.setBuffer(&m_bytes);
    if (!m_buffer.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法读取 CSV 文件"), 3);
    m_reader = std::make_unique<CsvReader>(m_buffer, m_limits);
    // The header: the first row that is not blank.
    QStringList cells;
    while (m_reader->next(cells)) {
        if (Row{m_reader->row(), cells}.isBlank())
            continue;
        m_header = cells;
        m_headerRow = m_reader->row();
        return {};
    }
    if (!m_reader->status())
        return m_reader->status();
    return Status::failure(QStringLiteral("CSV 文件是空的，没有表头"), 2);
}

bool CsvSource::next(Row &row)
{
    if (!m_reader || !m_reader->next(row.cells))
        return false;
    row.number = m_reader->row();
    return true;
}

Status CsvSource::status() const
{
    return m_reader ? m_reader->status() : Status::failure(QStringLiteral("CSV 文件没有打开"), 3);
}

bool ListSource::next(Row &row)
{
    if (m_next >= m_rows.size())
        return false;
    row = m_rows.at(m_next++);
    return true;
}

// ---- the PDF job ---------------------------------------------------------------

PdfSink::PdfSink(const QString &path, const PdfOptions &options) : m_path(path), m_options(options) {}

PdfSink::~PdfSink()
{
    // A job neither finished nor given up leaves no file that looks whole.
    if (m_writer && !m_done)
        abort();
}

Status PdfSink::addBill(const PrintItems &items, int copies)
{
    // The file is only created by the first page.
    if (!m_writer)
        m_writer = std::make_unique<PdfBillWriter>(m_path, m_options);
    return m_writer->addBill(items, copies);
}

Status PdfSink::finish()
{
    m_done = true;
    if (!m_writer)
        return {};
    const Status s = m_writer->finish();
    if (!s)
        QFile::remove(m_path);
    return s;
}

void PdfSink::abort()
{
    m_done = true;
    if (!m_writer)
        return;
    (void)m_writer->finish();
    QFile::remove(m_path);
}

QString PdfSink::printerName() const
{
    return calibration::pdfPrinterName();
}

// ---- running -------------------------------------------------------------------

Outcome check(Filler &filler, RowSource &rows)
{
    Outcome out;
    if (Status s = rows.rewind(); !s) {
        out.status = s;
        return out;
    }
    Row row;
    while (rows.next(row)) {
        if (row.isBlank())
            continue;
        ++out.bills;
        out.problems << filler.fill(row);
    }
    out.status = rows.status();
    return out;
}

Outcome print(Filler &filler, RowSource &rows, PageSink &sink, Recorder *recorder, const Options &options,
              const Progress &progress)
{
    Outcome out = check(filler, rows);
    if (!out.ok())
        return out;
    if (out.bills == 0) {
        out.status = Status::failure(QStringLiteral("CSV 文件里没有票据"), 4);
        return out;
    }
    if (Status s = rows.rewind(); !s) {
        out.status = s;
        return out;
    }
    // Stops before `row`: the bills before it are printed and recorded.
    auto stopBefore = [&](const Status &why) {
        out.status = why;
        out.cancelled = true;
    };
    Row row;
    while (!out.cancelled && rows.next(row)) {
        if (row.isBlank())
            continue;
        if (const QList<Problem> problems = filler.fill(row); !problems.isEmpty()) {
            out.problems = problems;
            stopBefore(Status::failure(QStringLiteral("第 %1 行在检查之后变了").arg(row.number), 4));
            break;
        }
        const PrintedBill bill{row.number, options.copies, sink.printerName()};
        if (recorder)
            if (Status s = recorder->record(filler.document(), bill); !s) {
                stopBefore(Status::failure(QStringLiteral("第 %1 行无法记入登记簿：%2").arg(row.number).arg(s.message), 3));
                break;
            }
        if (Status s = sink.addBill(BuildPrintItems(filler.document()), options.copies); !s) {
            // Pages that cannot be written: nothing of the job counts.
            sink.abort();
            if (recorder)
                recorder->rollback();
            out.status = sink.canAbort()
                             ? s
                             : Status::failure(QStringLiteral("%1（第 %2 行之前的票据可能已送到打印机，没有记入登记簿）")
                                                   .arg(s.message)
                                                   .arg(row.number),
                                               s.error);
            out.printed.clear();
            return out;
        }
        out.printed << row.number;
        if (progress && !progress(int(out.printed.size()), out.bills))
            out.cancelled = true;
    }
    if (out.status.ok() && !rows.status())
        stopBefore(rows.status());
    if (out.printed.isEmpty()) {
        sink.abort();
        if (recorder)
            recorder->rollback();
        return out;
    }
    if (Status s = sink.finish(); !s) {
        if (recorder)
            recorder->rollback();
        out.printed.clear();
        out.status = s;
        return out;
    }
    if (recorder)
        if (Status s = recorder->commit(); !s)
            out.status = Status::failure(QStringLiteral("票据已打印，但没有记入登记簿：%1").arg(s.message), 3);
    return out;
}

QString rowRanges(const QList<int> &rows)
{
    QStringList parts;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows.at(j + 1) == rows.at(j) + 1)
            ++j;
        parts << (j == i ? QString::number(rows.at(i))
                         : QStringLiteral("%1–%2").arg(rows.at(i)).arg(rows.at(j)));
        i = j + 1;
    }
    return parts.join(QStringLiteral("、"));
}

namespace {

// The bills of one batch go into the template's register in one
// transaction, kept when the job was sent.
class RegisterRecorder : public Recorder {
public:
    RegisterRecorder(const QString &connectionName, const TemplateRef &ref) : m_register(connectionName, ref.table()) {}
    ~RegisterRecorder() override
    {
        if (m_open)
            m_register.rollback();
    }

    Status record(const BillDocument &document, const PrintedBill &bill) override
    {
        if (!m_open) {
            if (Status s = m_register.prepare(document.billTemplate()); !s)
                return s;
            if (Status s = m_register.begin(); !s)
                return s;
            m_open = true;
        }
        return m_register.add(document, {bill.printer, bill.copies});
    }
    Status commit() override
    {
        if (!m_open)
            return {};
        m_open = false;
        return m_register.commit();
    }
    void rollback() override
    {
        if (m_open)
            m_register.rollback();
        m_open = false;
    }

private:
    billregister::Register m_register;
    bool m_open = false;
};

} // namespace

std::unique_ptr<Recorder> registerRecorder(const QString &connectionName, const TemplateRef &ref)
{
    return std::make_unique<RegisterRecorder>(connectionName, ref);
}

Result<BillTemplate> loadTemplate(const QString &connectionName, const TemplateRef &ref)
{
    FieldRegistry registry;
    const QString table = ref.table();
    if (Status s = TemplateStore(connectionName).ReadTemplate(table, registry); !s)
        return Status::failure(QStringLiteral("无法读取模板 %1：%2").arg(ref.display(), s.message), 3);
    Result<BillTemplate> t = BillTemplate::fromRegistry(registry);
    if (!t)
        return Status::failure(QStringLiteral("无法读取模板 %1：%2").arg(ref.display(), t.message()), 3);
    t.value().setTable(table);
    return t;
}

} // namespace batch
