#pragma once
// Printing a bill's items: the job the Print button runs and the PDF output of
// the command line share this code.
#include "core/batch.h"
#include "core/pdfoutput.h"
#include "core/printitems.h"
#include "print/printersettings.h"
#include <QTransform>
#include <memory>

class QPainter;
class QPrinter;

// Outcome of a print job: the number of pages produced (a job of no copies
// prints nothing and succeeds with 0), or an error number with a readable
// description.
using PrintStatus = Result<int>;

// Error number of a failed print job.
inline constexpr int PrintErrorNumber = 482;

// Prints the items on a printer that has been directed to a device
// (PrinterSettings::SelectPrinter / SelectPdf): orientation and paper for
// this job, copies, colour mode and quality as resolution, the whole paper
// without margins or scaling, positions from the paper's top-left corner.
// Copies of 0 or fewer print nothing. A printer calibration, in twips, is
// applied on top of the positions (identity: none).
PrintStatus PrintBillItems(QPrinter &printer, const PrintItems &items, const PrintJobOptions &options,
                           const QTransform &calibration = QTransform());


// One print job of many bills on a print queue: one page per bill and copy,
// sent to the queue as one job when it is finished. Orientation, paper,
// colour mode and quality as for one bill; copies are pages of their own,
// so that a bill's copies come out together.
class PrinterBatchJob : public batch::PageSink {
public:
    PrinterBatchJob(const QString &printerName, const PrintJobOptions &options,
                    const QTransform &calibration = QTransform());
    ~PrinterBatchJob() override;

    // False when no queue has the name.
    bool isValid() const { return m_valid; }
    Status addBill(const PrintItems &items, int copies) override;
    Status finish() override;
    void abort() override;
    bool canAbort() const override { return false; }
    QString printerName() const override { return m_name; }

private:
    Status begin(const PrintItems &first);

    QString m_name;
    PrintJobOptions m_options;
    QTransform m_calibration;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    bool m_valid = false;
    bool m_ended = false;
};

