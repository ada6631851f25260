#include "core/pdfoutput.h"

#include "core/billrenderer.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace {

Status cannotWrite(const QString &path)
{
    return Status::failure(QStringLiteral("无法写入 PDF 文件：%1").arg(path), 3);
}

} // namespace

PdfBillWriter::PdfBillWriter(const QString &path, const PdfOptions &options)
    : m_path(QFileInfo(path).absoluteFilePath()), m_options(options)
{
}

PdfBillWriter::~PdfBillWriter()
{
    finish();
}

Status PdfBillWriter::begin(const PrintItems &first)
{
    if (m_path.isEmpty())
        return Status::failure(QStringLiteral("没有指定 PDF 文件名"), 2);
    m_writer = std::make_unique<QPdfWriter>(m_path);
    m_writer->setResolution(m_options.resolution);
    m_writer->setCreator(QStringLiteral("billprint"));
    if (!first.isEmpty() && !first.first().text.isEmpty())
        m_writer->setTitle(first.first().text);
    m_writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                        m_options.orientation == 1 ? QPageLayout::Portrait
                                                                   : QPageLayout::Landscape,
                                        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_writer.get())) {
        m_painter.reset();
        m_writer.reset();
        return cannotWrite(m_path);
    }
    return {};
}

Status PdfBillWriter::addBill(const PrintItems &items, int copies)
{
    if (m_finished)
        return Status::failure(QStringLiteral("PDF 文件已经关闭"));
    for (int copy = 0; copy < copies; ++copy) {
        if (!m_painter) {
            if (Status s = begin(items); !s)
                return s;
        } else if (!m_writer->newPage()) {
            return cannotWrite(m_path);
        }
        m_painter->setTransform(m_options.calibration
                                * BillRenderer::twipsTransform(m_options.resolution,
                                                               m_options.resolution));
        BillRenderer::paint(*m_painter, items, m_options.grayscale);
        ++m_pages;
    }
    return {};
}

Status PdfBillWriter::finish()
{
    if (m_finished)
        return {};
    if (!m_painter)
        if (Status s = begin({}); !s)
            return s;
    m_finished = true;
    const bool ended = m_painter->end();
    m_painter.reset();
    m_writer.reset();
    if (!ended || !QFileInfo(m_path).isFile())
        return cannotWrite(m_path);
    return {};
}

Status PrintItemsToPdf(const PrintItems &items, const QString &pdfPath, const QTransform &calibration)
{
    PdfOptions options;
    options.calibration = calibration;
    PdfBillWriter writer(pdfPath, options);
    if (Status s = writer.addBill(items); !s)
        return s;
    return writer.finish();
}
