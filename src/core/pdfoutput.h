#pragma once
// Bills printed into a PDF file without any printer: landscape or portrait
// A4, the whole paper without margins, positions from the paper's top-left
// corner, one page per bill and copy. Pages are written as they come, so a
// file of thousands of bills never holds them all in memory.
#include "core/printitems.h"
#include "core/result.h"

#include <QTransform>
#include <memory>

class QPainter;
class QPdfWriter;

struct PdfOptions {
    int orientation = 2;    // 1 portrait, 2 landscape
    bool grayscale = true;  // "单色": colours as shades of grey
    int resolution = 150;   // device units per inch of the page description
    QTransform calibration; // a printer calibration in twips (identity: none)
};

class PdfBillWriter {
public:
    PdfBillWriter(const QString &path, const PdfOptions &options = {});
    ~PdfBillWriter();
    PdfBillWriter(const PdfBillWriter &) = delete;
    PdfBillWriter &operator=(const PdfBillWriter &) = delete;

    // Adds one page per copy with the bill's items.
    Status addBill(const PrintItems &items, int copies = 1);
    // Closes the file; a writer that never added a page writes one blank page.
    Status finish();
    int pages() const { return m_pages; }

private:
    Status begin(const PrintItems &first);

    QString m_path;
    PdfOptions m_options;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
    bool m_finished = false;
};

// One bill, one copy, into a file.
Status PrintItemsToPdf(const PrintItems &items, const QString &pdfPath,
                       const QTransform &calibration = QTransform());
