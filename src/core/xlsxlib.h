#pragma once
// libxlsxwriter, loaded at run time into a link-map namespace of its own.
//
// It cannot be linked beside QuaZip: both export minizip's functions under
// the same names (zipOpen, zipWriteInFileInZip, ...), QuaZip's taking a
// QIODevice where minizip takes a file name, and the process binds every
// caller to whichever library comes first, so libxlsxwriter's calls land
// in QuaZip and crash. Loaded with dlmopen into a namespace of its own, it
// finds its own minizip; the program, the tests and the benchmarks call it
// through the table below.
#include <QString>
#include <xlsxwriter.h>

namespace xlsxlib {

struct Api {
#define BILLPRINT_XLSX_FUNCTION(name) decltype(&::name) name = nullptr;
    BILLPRINT_XLSX_FUNCTION(workbook_new)
    BILLPRINT_XLSX_FUNCTION(workbook_new_opt)
    BILLPRINT_XLSX_FUNCTION(workbook_add_worksheet)
    BILLPRINT_XLSX_FUNCTION(workbook_add_format)
    BILLPRINT_XLSX_FUNCTION(workbook_close)
    BILLPRINT_XLSX_FUNCTION(lxw_workbook_free)
    BILLPRINT_XLSX_FUNCTION(lxw_strerror)
    BILLPRINT_XLSX_FUNCTION(format_set_bold)
    BILLPRINT_XLSX_FUNCTION(format_set_num_format)
    BILLPRINT_XLSX_FUNCTION(worksheet_freeze_panes)
    BILLPRINT_XLSX_FUNCTION(worksheet_set_column)
    BILLPRINT_XLSX_FUNCTION(worksheet_write_string)
    BILLPRINT_XLSX_FUNCTION(worksheet_write_number)
    BILLPRINT_XLSX_FUNCTION(worksheet_write_datetime)
    BILLPRINT_XLSX_FUNCTION(worksheet_write_boolean)
    BILLPRINT_XLSX_FUNCTION(worksheet_write_formula_num)
#undef BILLPRINT_XLSX_FUNCTION

    QString error; // why the library could not be loaded; empty when it was
    bool loaded() const { return error.isEmpty(); }
};

// The library, loaded on first use.
const Api &api();

} // namespace xlsxlib
