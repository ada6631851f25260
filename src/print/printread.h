#pragma once
// The print items of the bill open on the surface, read from the field
// controls, and what follows a print: emptying the fields marked for it.
#include "core/printitems.h"
#include "print/printjob.h"

struct FieldControls;

// What the control of a registry record shows (check, date, text, money).
FieldShown ShownBy(const FieldControls &controls, const FieldRecord &record);

// The print items of the open bill: the registry plus its field controls.
PrintItems ReadCtlData(const FieldRegistry &registry, const FieldControls &controls);

// Empties every check, date, text and money field whose key 31 is "是";
// each emptying raises the field's change event. False when the registry
// is empty (nothing to empty).
bool EmptyAfterPrint(const FieldRegistry &registry, FieldControls &controls);

// Prints the filled bill into a PDF file exactly as the Print button would
// with the initial settings: landscape A4, one copy, no margins, positions
// from the paper's top-left corner. The fields are not emptied. A printer
// calibration (in twips) is applied when one is given.
PrintStatus PrintBillToPdf(const FieldRegistry &registry, const FieldControls &controls,
                           const QString &pdfPath, const QTransform &calibration = QTransform());
