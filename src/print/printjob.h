#pragma once
// Printing a bill's items: the job the Print button runs and the PDF output of
// the command line share this code.
#include "core/pdfoutput.h"
#include "core/printitems.h"
#include "print/printersettings.h"
#include <QTransform>

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

