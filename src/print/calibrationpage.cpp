#include "print/calibrationpage.h"

#include "core/billrenderer.h"
#include "print/printersettings.h"

#include <QPainter>
#include <QPrinter>

namespace calibration {

PrintStatus printPage(QPrinter &printer, const CalibrationPage &page)
{
    if (PrinterSettings::DeviceName(printer).isEmpty())
        return Status::failure(QStringLiteral("没有选择打印机"), PrintErrorNumber);
    PrintOrientation(printer).SetPrintStyle(2, 9);
    QPainter painter;
    if (!painter.begin(&printer))
        return Status::failure(
            QStringLiteral("无法在“%1”上打印校准页").arg(PrinterSettings::DeviceName(printer)), PrintErrorNumber);
    painter.setTransform(BillRenderer::twipsTransform(printer.logicalDpiX(), printer.logicalDpiY()));
    paintPage(painter, page);
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        return Status::failure(QStringLiteral("打印校准页失败"), PrintErrorNumber);
    return 1;
}

} // namespace calibration
