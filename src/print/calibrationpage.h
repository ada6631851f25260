#pragma once
// Printing the calibration page on a real printer.
#include "core/calibration.h"
#include "print/printjob.h"

class QPrinter;

namespace calibration {

// Prints the page, uncalibrated, landscape A4, on a printer directed to a
// device (PrinterSettings::SelectPrinter / SelectPdf).
PrintStatus printPage(QPrinter &printer, const CalibrationPage &page);

} // namespace calibration
