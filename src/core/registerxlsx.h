#pragma once
// The bill register as an Excel workbook (.xlsx) for clerks to open in a
// spreadsheet program: one row per bill under a frozen header row with the
// same columns as the CSV export (time, status, void reason, printer,
// copies, user, then each field by its name). Amounts are numbers shown
// with two decimals, the time and dates are dates, texts stay text (a
// 19-digit account is not turned into a number).
//
// Rows are written one at a time in libxlsxwriter's constant-memory mode,
// so a register of any length is never held whole. The workbook is written
// to a temporary file beside the target and renamed into place only when
// it is complete: a failure (a full disk, a folder that cannot be written)
// leaves no partial file at the target and an existing file untouched.
#include "core/billregister.h"

#include <QDateTime>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace billregister {

class XlsxExport {
public:
    explicit XlsxExport(const BillTemplate &t);
    ~XlsxExport();
    XlsxExport(const XlsxExport &) = delete;
    XlsxExport &operator=(const XlsxExport &) = delete;

    // Starts the workbook that finish() puts at `path`.
    Status begin(const QString &path);
    // Adds a bill's row.
    Status add(const Entry &entry);
    // Completes the workbook and renames it into place.
    Status finish();

    int rows() const { return m_row; }

private:
    Status writeText(int column, const QString &text);
    Status writeValue(int column, const TemplateField &f, const QString &value);
    Status failed(const QString &why);
    void discard();

    QList<TemplateField> m_fields;
    QStringList m_names;
    QString m_path;
    QString m_temp;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_header = nullptr;
    lxw_format *m_text = nullptr;
    lxw_format *m_money = nullptr;
    lxw_format *m_date = nullptr;
    lxw_format *m_time = nullptr;
    int m_row = 0; // bills written
    Status m_status;
};

// The rows in one go (the history window's export).
Status writeXlsx(const QString &path, const BillTemplate &t, const QList<Entry> &entries);

} // namespace billregister
