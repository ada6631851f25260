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

PrinterBatchJob::PrinterBatchJob(const QString &printerName, const PrintJobOptions &options,
                                 const QTransform &calibration)
    : m_name(printerName), m_options(options), m_calibration(calibration),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_valid = PrinterSettings::SelectPrinter(*m_printer, printerName);
}

PrinterBatchJob::~PrinterBatchJob()
{
    (void)finish();
}

Status PrinterBatchJob::begin(const PrintItems &first)
{
    if (!m_valid)
        return Status::failure(QStringLiteral("找不到打印机“%1”").arg(m_name), 3);
    PrintJobOptions options = m_options;
    options.copies = 1;
    PrintOrientation(*m_printer).SetPrintStyle(options.orientation, options.paperCode);
    applyJobOptions(*m_printer, options);
    if (!first.isEmpty() && !first.first().text.isEmpty())
        m_printer->setDocName(QStringLiteral("%1（批量打印）").arg(first.first().text));
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        return Status::failure(beginFailure(*m_printer), 3);
    }
    m_painter->setTransform(m_calibration
                            * BillRenderer::twipsTransform(m_printer->logicalDpiX(), m_printer->logicalDpiY()));
    return {};
}

Status PrinterBatchJob::addBill(const PrintItems &items, int copies)
{
    if (m_ended)
        return Status::failure(QStringLiteral("打印作业已经结束"), 3);
    for (int copy = 0; copy < copies; ++copy) {
        if (!m_painter) {
            if (Status s = begin(items); !s)
                return s;
        } else if (!m_printer->newPage()) {
            return Status::failure(QStringLiteral("打印作业失败：%1").arg(m_name), 3);
        }
        BillRenderer::paint(*m_painter, items, m_options.colourMode != 2);
    }
    return {};
}

Status PrinterBatchJob::finish()
{
    if (m_ended)
        return {};
    m_ended = true;
    if (!m_painter)
        return {};
    const bool ended = m_painter->end();
    m_painter.reset();
    if (!ended || m_printer->printerState() == QPrinter::Error)
        return Status::failure(QStringLiteral("打印作业失败：%1").arg(m_name), 3);
    return {};
}

void PrinterBatchJob::abort()
{
    // A print queue's job cannot be taken back once pages are spooled: what
    // it holds is sent.
    (void)finish();
}
