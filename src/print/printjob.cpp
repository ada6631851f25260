#include "print/printjob.h"
#include "core/billrenderer.h"
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace {

PrintStatus failure(const QString &description)
{
    return Status::failure(description, PrintErrorNumber);
}

QString beginFailure(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("无法写入 PDF 文件：%1").arg(printer.outputFileName());
    return QStringLiteral("无法在打印机“%1”上开始打印").arg(printer.printerName());
}

void applyJobOptions(QPrinter &printer, const PrintJobOptions &options)
{
    printer.setCopyCount(options.copies);
    printer.setColorMode(options.colourMode == 2 ? QPrinter::Color : QPrinter::GrayScale);
    printer.setResolution(PrinterSettings::ResolutionForQuality(options.quality));
}

} // namespace

PrintStatus PrintBillItems(QPrinter &printer, const PrintItems &items, const PrintJobOptions &options,
                           const QTransform &calibration)
{
    PrintOrientation(printer).SetPrintStyle(options.orientation, options.paperCode);
    if (options.copies <= 0)
        return 0;
    if (PrinterSettings::DeviceName(printer).isEmpty())
        return failure(QStringLiteral("没有选择打印机"));
    applyJobOptions(printer, options);
    // The job carries the bill's name, so the print queue shows what it is.
    if (!items.isEmpty() && !items.first().text.isEmpty())
        printer.setDocName(items.first().text);

    QPainter painter;
    if (!painter.begin(&printer))
        return failure(beginFailure(printer));
    painter.setTransform(calibration
                         * BillRenderer::twipsTransform(printer.logicalDpiX(), printer.logicalDpiY()));
    // Engines that cannot make copies themselves (PDF) get one page per copy.
    const int pages = printer.supportsMultipleCopies() ? 1 : options.copies;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage())
            break;
        BillRenderer::paint(painter, items);
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        return failure(QStringLiteral("打印作业失败：%1").arg(PrinterSettings::DeviceName(printer)));
    return pages;
}
