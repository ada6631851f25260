#include "core/registerxlsx.h"

#include "core/dateformat.h"
#include "core/sheetvalue.h"
#include "core/xlsxlib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace billregister {

namespace {

const xlsxlib::Api &lib()
{
    return xlsxlib::api();
}

constexpr int OwnColumns = 6; // time, status, reason, printer, copies, user
constexpr double TimeWidth = 20;

std::string utf8(const QString &text)
{
    return text.toStdString();
}

// The day a date field's eight digits name (year, month, day: the order
// every style types them in); an invalid date when they name none or the
// field keeps a year, a month or a day alone.
QDate dateOf(const TemplateField &f, const QString &digits)
{
    const int order = f.code ? dateformat::parseDateStyle(*f.code).order : -1;
    if (digits.size() != 8 || !dateformat::isDigitString(digits) || (order >= 1 && order <= 3))
        return {};
    return QDate::fromString(digits, QStringLiteral("yyyyMMdd"));
}

lxw_datetime toDatetime(const QDateTime &t)
{
    return {t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
            double(t.time().second())};
}

// Files are made with the permissions a new file gets from the user's mask.
void giveUsualPermissions(const QString &path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

} // namespace

XlsxExport::XlsxExport(const BillTemplate &t) : m_names(exportHeader(t))
{
    for (const TemplateField &f : t.fields())
        if (recorded(f))
            m_fields << f;
}

XlsxExport::~XlsxExport()
{
    discard();
}

void XlsxExport::discard()
{
    if (m_book)
        lib().lxw_workbook_free(m_book);
    m_book = nullptr;
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
}

Status XlsxExport::failed(const QString &why)
{
    discard();
    if (m_status.ok())
        m_status = Status::failure(QStringLiteral("无法写入“%1”：%2").arg(m_path, why), 3);
    return m_status;
}

Status XlsxExport::begin(const QString &path)
{
    m_path = path;
    if (!lib().loaded())
        return failed(lib().error);
    const QFileInfo target(path);
    // A name of its own beside the target: the same disk, so that the
    // rename at the end replaces the target in one step.
    QTemporaryFile reserve(QDir(target.absolutePath()).filePath(QStringLiteral(".%1.XXXXXX.xlsx").arg(target.fileName())));
    reserve.setAutoRemove(false);
    if (!reserve.open())
        return failed(reserve.errorString());
    m_temp = reserve.fileName();
    reserve.close();
    const std::string temp = QFile::encodeName(m_temp).toStdString();
    const std::string folder = QFile::encodeName(target.absolutePath()).toStdString();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(folder.c_str());
    m_book = lib().workbook_new_opt(temp.c_str(), &options);
    if (!m_book)
        return failed(QStringLiteral("无法开始工作簿"));
    m_sheet = lib().workbook_add_worksheet(m_book, "登记簿");
    m_header = lib().workbook_add_format(m_book);
    lib().format_set_bold(m_header);
    m_text = lib().workbook_add_format(m_book);
    lib().format_set_num_format(m_text, "@");
    m_money = lib().workbook_add_format(m_book);
    lib().format_set_num_format(m_money, "0.00");
    m_date = lib().workbook_add_format(m_book);
    lib().format_set_num_format(m_date, "yyyy-mm-dd");
    m_time = lib().workbook_add_format(m_book);
    lib().format_set_num_format(m_time, "yyyy-mm-dd hh:mm:ss");
    if (!m_sheet || !m_header || !m_text || !m_money || !m_date || !m_time)
        return failed(QStringLiteral("无法开始工作簿"));
    lib().worksheet_freeze_panes(m_sheet, 1, 0);
    lib().worksheet_set_column(m_sheet, 0, 0, TimeWidth, nullptr);
    lib().worksheet_set_column(m_sheet, 1, OwnColumns - 1, 12, nullptr);
    for (int i = 0; i < m_fields.size(); ++i) {
        const TemplateField &f = m_fields.at(i);
        const double width = f.kind == KindText ? std::clamp(f.charLength + 2, 12, 40) : 14;
        lib().worksheet_set_column(m_sheet, lxw_col_t(OwnColumns + i), lxw_col_t(OwnColumns + i), width,
                             f.kind == KindText ? m_text : nullptr);
    }
    for (int c = 0; c < m_names.size(); ++c)
        if (const lxw_error e = lib().worksheet_write_string(m_sheet, 0, lxw_col_t(c), utf8(m_names.at(c)).c_str(), m_header))
            return failed(QString::fromUtf8(lib().lxw_strerror(e)));
    return {};
}

Status XlsxExport::writeText(int column, const QString &text)
{
    if (text.isEmpty())
        return {};
    const lxw_error e = lib().worksheet_write_string(m_sheet, lxw_row_t(m_row + 1), lxw_col_t(column), utf8(text).c_str(), m_text);
    return e == LXW_NO_ERROR ? Status{} : failed(QString::fromUtf8(lib().lxw_strerror(e)));
}

Status XlsxExport::writeValue(int column, const TemplateField &f, const QString &value)
{
    const lxw_row_t row = lxw_row_t(m_row + 1);
    lxw_error e = LXW_NO_ERROR;
    if (f.kind == KindMoney && !value.isEmpty()) {
        // A number only when a spreadsheet keeps all its digits.
        const std::optional<sheetvalue::Decimal> amount = sheetvalue::Decimal::parse(value);
        if (!amount || int(amount->digits.size()) > sheetvalue::SignificantDigits)
            return writeText(column, value);
        e = lib().worksheet_write_number(m_sheet, row, lxw_col_t(column), amount->plain().toDouble(), m_money);
    } else if (f.kind == KindDate && dateOf(f, value).isValid()) {
        lxw_datetime d = toDatetime(QDateTime(dateOf(f, value), QTime(0, 0)));
        e = lib().worksheet_write_datetime(m_sheet, row, lxw_col_t(column), &d, m_date);
    } else {
        return writeText(column, value);
    }
    return e == LXW_NO_ERROR ? Status{} : failed(QString::fromUtf8(lib().lxw_strerror(e)));
}

Status XlsxExport::add(const Entry &entry)
{
    if (!m_book)
        return m_status.ok() ? Status::failure(QStringLiteral("工作簿没有开始"), 3) : m_status;
    const lxw_row_t row = lxw_row_t(m_row + 1);
    const QDateTime written = QDateTime::fromString(entry.written, Qt::ISODate);
    if (written.isValid()) {
        lxw_datetime t = toDatetime(written);
        if (const lxw_error e = lib().worksheet_write_datetime(m_sheet, row, 0, &t, m_time))
            return failed(QString::fromUtf8(lib().lxw_strerror(e)));
    } else if (Status s = writeText(0, entry.written); !s) {
        return s;
    }
    for (const auto &[column, text] : {std::pair{1, statusText(entry)}, std::pair{2, entry.reason},
                                       std::pair{3, entry.printer}, std::pair{5, entry.user}})
        if (Status s = writeText(column, text); !s)
            return s;
    if (const lxw_error e = lib().worksheet_write_number(m_sheet, row, 4, entry.copies, nullptr))
        return failed(QString::fromUtf8(lib().lxw_strerror(e)));
    for (int i = 0; i < m_fields.size(); ++i)
        if (Status s = writeValue(OwnColumns + i, m_fields.at(i), entry.values.value(m_fields.at(i).key)); !s)
            return s;
    ++m_row;
    return {};
}

Status XlsxExport::finish()
{
    if (!m_book)
        return m_status.ok() ? Status::failure(QStringLiteral("工作簿没有开始"), 3) : m_status;
    const lxw_error e = lib().workbook_close(std::exchange(m_book, nullptr));
    if (e != LXW_NO_ERROR)
        return failed(QString::fromUtf8(lib().lxw_strerror(e)));
    giveUsualPermissions(m_temp);
    if (::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_path).constData()) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    m_temp.clear();
    return {};
}

Status writeXlsx(const QString &path, const BillTemplate &t, const QList<Entry> &entries)
{
    XlsxExport out(t);
    if (Status s = out.begin(path); !s)
        return s;
    for (const Entry &e : entries)
        if (Status s = out.add(e); !s)
            return s;
    return out.finish();
}

} // namespace billregister
