#include "core/xlsxlib.h"

#include <dlfcn.h>

namespace xlsxlib {

namespace {

Api load()
{
    Api a;
    void *library = dlmopen(LM_ID_NEWLM, BILLPRINT_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        a.error = QStringLiteral("无法载入 %1：%2").arg(QStringLiteral(BILLPRINT_XLSXWRITER_SONAME),
                                                       QString::fromLocal8Bit(dlerror()));
        return a;
    }
    bool complete = true;
    auto find = [&](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        if (!function && complete) {
            complete = false;
            a.error = QStringLiteral("%1 里没有 %2").arg(QStringLiteral(BILLPRINT_XLSXWRITER_SONAME),
                                                       QString::fromLatin1(name));
        }
    };
#define BILLPRINT_XLSX_FIND(name) find(a.name, #name);
    BILLPRINT_XLSX_FIND(workbook_new)
    BILLPRINT_XLSX_FIND(workbook_new_opt)
    BILLPRINT_XLSX_FIND(workbook_add_worksheet)
    BILLPRINT_XLSX_FIND(workbook_add_format)
    BILLPRINT_XLSX_FIND(workbook_close)
    BILLPRINT_XLSX_FIND(lxw_workbook_free)
    BILLPRINT_XLSX_FIND(lxw_strerror)
    BILLPRINT_XLSX_FIND(format_set_bold)
    BILLPRINT_XLSX_FIND(format_set_num_format)
    BILLPRINT_XLSX_FIND(worksheet_freeze_panes)
    BILLPRINT_XLSX_FIND(worksheet_set_column)
    BILLPRINT_XLSX_FIND(worksheet_write_string)
    BILLPRINT_XLSX_FIND(worksheet_write_number)
    BILLPRINT_XLSX_FIND(worksheet_write_datetime)
    BILLPRINT_XLSX_FIND(worksheet_write_boolean)
    BILLPRINT_XLSX_FIND(worksheet_write_formula_num)
#undef BILLPRINT_XLSX_FIND
    return a;
}

} // namespace

const Api &api()
{
    static const Api loaded = load();
    return loaded;
}

} // namespace xlsxlib
