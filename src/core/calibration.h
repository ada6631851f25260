#pragma once
// Printer calibration: per printer, an offset in millimetres and a scale in
// per cent that correct where that printer puts things on the paper. It is
// computed from what the user measures on a printed calibration page, kept
// in a table of its own and applied only to the print job's transform; the
// template, the preview and the print items never see it.
#include "core/templatestore.h"
#include "core/result.h"
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <optional>

class QPainter;

struct PrinterCalibration {
    QString printerName;
    double offsetX = 0.0; // millimetres, one decimal; positive moves right
    double offsetY = 0.0; // millimetres, one decimal; positive moves down
    double scaleX = 100.0; // per cent, two decimals
    double scaleY = 100.0;

    // True when printing with it changes nothing.
    bool isIdentity() const;
    // The correction in twips about the paper's top-left corner:
    // x' = x * scaleX / 100 + offsetX, likewise for y.
    QTransform transform() const;
    // "偏移 1.5/-0.8 毫米，比例 100.00%/99.50%".
    QString summary() const;
};

// The calibration page: the bill's outline at its size, millimetre scales
// along the paper's top and left edges and crosses at known places. The
// crosses stand at (crossAt, crossAt), horizontalSpan to its right and
// verticalSpan below it.
struct CalibrationPage {
    double crossAt = 20.0;        // mm
    double horizontalSpan = 200.0; // mm
    double verticalSpan = 160.0;   // mm
    QSizeF billMm;                 // the bill's outline; empty for none

    // The page for a bill of this size in twips: the lower cross is kept
    // inside a bill of at least 50 mm height (in steps of 10 mm), else it
    // stands 160 mm below the first.
    static CalibrationPage forBill(int widthTwips, int heightTwips);
};

// What the user reads off a ruler on the printed page.
struct CalibrationMeasurement {
    double crossX = 20.0;      // where the cross printed at crossAt/crossAt landed, mm
    double crossY = 20.0;
    double horizontal = 200.0; // measured distance of the two crosses printed horizontalSpan apart
    double vertical = 160.0;   // the same for the crosses printed verticalSpan apart
};

namespace calibration {

// The table the calibrations live in.
QString tableName();

// The correction that makes the measured printer put things where they
// belong: scale = nominal / measured distance, offset = the landing error
// of the first cross taken back through that scale. nullopt, with the
// reason in `why`, for distances off by more than 20 % or a cross landing
// more than 30 mm away.
std::optional<PrinterCalibration> compute(const QString &printerName, const CalibrationPage &page,
                                          const CalibrationMeasurement &measured, QString *why = nullptr);

// Paints the page onto a painter whose coordinates are twips.
void paintPage(QPainter &painter, const CalibrationPage &page);

// The workstation whose calibrations a shared server store reads and writes:
// BILLPRINT_WORKSTATION when set, else the machine's host name.
QString workstationName();

// The printer choice that prints into a PDF file; it has a calibration of
// its own like any printer.
QString pdfPrinterName();

} // namespace calibration

// The calibrations of the database, on the template store's connection. On
// a server, shared by the office, each workstation keeps its own (the
// "workstation" column); in a file, which one desk uses, the column is
// empty.
class CalibrationStore {
public:
    explicit CalibrationStore(const QString &connectionName);

    // The printer's calibration; nullopt (and ok) when it has none.
    StoreStatus load(const QString &printerName, std::optional<PrinterCalibration> &out) const;
    // Replaces the printer's calibration (creating the table on first use).
    StoreStatus save(const PrinterCalibration &c) const;
    // Drops the printer's calibration; nothing to drop is fine.
    StoreStatus remove(const QString &printerName) const;

    // The calibration in force for a printer: its stored one, or the
    // identity when there is none or it cannot be read.
    PrinterCalibration inForce(const QString &printerName) const;

    // On a server: the calibrations that belong to no workstation (those of
    // a desk's file copied onto it) become this workstation's.
    StoreStatus claimUnassigned() const;

private:
    StoreStatus ensureTable() const;
    // The workstation rows belong to: this one on a server, "" in a file.
    QString workstation() const;
    // True when the table has the workstation column (tables made by
    // earlier versions gain it on the first save).
    bool hasWorkstationColumn() const;

    TemplateStore m_store;
};
