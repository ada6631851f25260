#pragma once
// Printer choice and the settings of one print job. The orientation and the
// paper size are set on the job itself (QPageLayout), never written into the
// print queue's stored defaults, which every other program shares.
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace PrinterSettings {

// The always-present choice that prints into a PDF file.
QString PdfChoice();
// Device names of the installed print queues, in the print service's order
// (empty when no print service runs).
QStringList PrinterNames();
// The print service's default queue, or empty.
QString DefaultPrinterName();

// Directs the printer to the named print queue. False (printer unchanged)
// when no queue has that name.
bool SelectPrinter(QPrinter &printer, const QString &deviceName);
// Directs the printer to a PDF file.
void SelectPdf(QPrinter &printer, const QString &path);
// The path with ".pdf" added unless it already ends so (in any case).
QString WithPdfSuffix(const QString &path);
// Asks where the PDF choice prints to; the name comes back with ".pdf" as
// WithPdfSuffix gives it, or empty when the user cancelled.
QString AskPdfFileName(QWidget *parent);
// The device the printer is directed to: queue name or PDF file path.
QString DeviceName(const QPrinter &printer);

// Resolution used for a quality choice: 1 draft, 2 low, 3 medium, 4 high.
int ResolutionForQuality(int quality);

} // namespace PrinterSettings

// Settings of one print job, as the preview's settings bar gives them.
struct PrintJobOptions {
    int orientation = 2;  // 1 portrait, 2 landscape
    qint16 paperCode = 9; // device paper code; 9 is A4
    int copies = 1;
    int colourMode = 1;   // 1 monochrome, 2 colour
    int quality = 1;      // 1 draft, 2 low, 3 medium, 4 high
};

// Sets orientation and paper size of the coming job on a printer. Stateless;
// one object per print.
class PrintOrientation {
public:
    explicit PrintOrientation(QPrinter &printer) : m_printer(printer) {}

    // OrientationConsts: 1 portrait, 2 landscape; Int_PaperSize: a device
    // paper code (1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5, 12 B4, 13 B5).
    // True when the settings are in force; false, with nothing changed, when
    // the printer has no device, or for an unknown orientation or paper code.
    // The page is the whole paper, without margins.
    bool SetPrintStyle(int OrientationConsts, qint16 Int_PaperSize);

private:
    QPrinter &m_printer;
};
