// The bill renderer painting 200 print items, onto a screen-sized picture
// (the preview) and onto a PDF page (the printer), and building the items
// of a large bill from its registry.
#include "core/billrenderer.h"
#include "print/printjob.h"
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

PrintItems manyItems()
{
    PrintItems items{PrintItem{12758, 5102, 0, 0, QStringLiteral("大票据")}};
    const QStringList texts = {QStringLiteral("张三"), QStringLiteral("2024年05月01日"),
                               QStringLiteral("北京市海淀区中关村"), QStringLiteral("7"),
                               QStringLiteral("￥")};
    for (int i = 0; i < 200; ++i)
        items.append(PrintItem{300 + (i % 20) * 600, 300 + (i / 20) * 450, 0, qint16(9 + i % 6),
                               texts.at(i % texts.size())});
    return items;
}

void BM_RenderPreview200(benchmark::State &state)
{
    const PrintItems items = manyItems();
    QImage image(851, 341, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setTransform(BillRenderer::twipsTransform(96, 96));
        BillRenderer::paint(p, items);
    }
}
BENCHMARK(BM_RenderPreview200)->Unit(benchmark::kMillisecond);

void BM_RenderPdfPage200(benchmark::State &state)
{
    const PrintItems items = manyItems();
    QTemporaryDir dir;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("b.pdf")));
        QPainter p(&printer);
        p.setTransform(BillRenderer::twipsTransform(printer.logicalDpiX(), printer.logicalDpiY()));
        BillRenderer::paint(p, items);
        p.end();
    }
}
BENCHMARK(BM_RenderPdfPage200)->Unit(benchmark::kMillisecond);

void BM_PrintJobToPdf200(benchmark::State &state)
{
    const PrintItems items = manyItems();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(PrintItemsToPdf(items, path));
}
BENCHMARK(BM_PrintJobToPdf200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
