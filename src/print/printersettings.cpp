#include "print/printersettings.h"
#include "core/calibration.h"
#include "app/filedialogs.h"
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <optional>

namespace PrinterSettings {

QString PdfChoice()
{
    return calibration::pdfPrinterName();
}

QStringList PrinterNames()
{
    return QPrinterInfo::availablePrinterNames();
}

QString DefaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

bool SelectPrinter(QPrinter &printer, const QString &deviceName)
{
    if (deviceName.isEmpty() || QPrinterInfo::printerInfo(deviceName).isNull())
        return false;
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(deviceName);
    return printer.printerName() == deviceName;
}

void SelectPdf(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

QString WithPdfSuffix(const QString &path)
{
    if (path.isEmpty() || path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".pdf");
}

QString AskPdfFileName(QWidget *parent)
{
    return WithPdfSuffix(filedialogs::getSaveFileName(parent, PdfChoice(), QString(), QStringLiteral("PDF (*.pdf)")));
}

QString DeviceName(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                         : printer.printerName();
}

int ResolutionForQuality(int quality)
{
    switch (quality) {
    case 2: return 300;
    case 3: return 600;
    case 4: return 1200;
    default: return 150;
    }
}

} // namespace PrinterSettings

namespace {

std::optional<QPageSize::PageSizeId> pageSizeForCode(int code)
{
    switch (code) {
    case 1: return QPageSize::Letter;
    case 5: return QPageSize::Legal;
    case 8: return QPageSize::A3;
    case 9: return QPageSize::A4;
    case 11: return QPageSize::A5;
    case 12: return QPageSize::B4;
    case 13: return QPageSize::B5;
    default: return std::nullopt;
    }
}

} // namespace

bool PrintOrientation::SetPrintStyle(int OrientationConsts, qint16 Int_PaperSize)
{
    if (PrinterSettings::DeviceName(m_printer).isEmpty())
        return false;
    if (OrientationConsts != 1 && OrientationConsts != 2)
        return false;
    const std::optional<QPageSize::PageSizeId> size = pageSizeForCode(Int_PaperSize);
    if (!size)
        return false;
    m_printer.setFullPage(true);
    QPageLayout layout(QPageSize(*size),
                       OrientationConsts == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return m_printer.setPageLayout(layout);
}
