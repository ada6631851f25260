#include "print/calibrationpage.h"

#include "core/billrenderer.h"
#include "print/printersettings.h"

#include <QPainter>
#include <QPrinter>

namespace calibration {

PrintStatus printPage(QPrinter &printer, const CalibrationPage &page)
{
    if (PrinterSettings::DeviceName(printer).isEmpty())
        return PrintStatus{PrintErrorNumber, QStringLiteral("没有选择打印机"), false};
    PrintOrientation(printer).SetPrintStyle(2, 9);
    QPainter painter;
    if (!painter.begin(&printer))
        return PrintStatus{PrintErrorNumber,
                           QStringLiteral("无法在“%1”上打印校准页").arg(PrinterSettings::DeviceName(printer)),
                           false};
    painter.setTransform(BillRenderer::twipsTransform(printer.logicalDpiX(), printer.logicalDpiY()));
    paintPage(painter, page);
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        return PrintStatus{PrintErrorNumber, QStringLiteral("打印校准页失败"), false};
    return PrintStatus{0, QString(), true};
}

} // namespace calibration
