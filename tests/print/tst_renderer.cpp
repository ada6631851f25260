// The one renderer and the print job: texts land on the paper at their twip
// positions, measured on the PDF that comes out.
#include "core/billdocument.h"
#include "core/billrenderer.h"
#include "print/printersettings.h"
#include "print/printjob.h"
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// 0.25 mm in twips.
constexpr double Tolerance = 0.25 * 56.7;

struct Word {
    double left = 0; // twips
    double top = 0;  // twips
    QString text;
    double bottom = 0; // twips
};

struct Page {
    double width = 0; // points
    double height = 0;
    QList<Word> words;
};

// Pages of a PDF as pdftotext -bbox reports them; positions in twips.
QList<Page> readPdf(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression wordRe(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Page> pages;
    for (const QString &chunk : html.split(QStringLiteral("</page>"))) {
        const QRegularExpressionMatch pm = pageRe.match(chunk);
        if (!pm.hasMatch())
            continue;
        Page page{pm.captured(1).toDouble(), pm.captured(2).toDouble(), {}};
        auto it = wordRe.globalMatch(chunk);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            page.words.append(Word{m.captured(1).toDouble() * 20, m.captured(2).toDouble() * 20,
                                   m.captured(4), m.captured(3).toDouble() * 20});
        }
        pages.append(page);
    }
    return pages;
}

PrintItems sampleItems()
{
    return {
        PrintItem{12758, 5102, 0, 0, QStringLiteral("转账支票")},
        PrintItem{1200, 800, 0, 12, QStringLiteral("张三")},
        PrintItem{6000, 800, 255, 10, QStringLiteral("2024年05月01日")},
        PrintItem{1200, 1100, 0, 12, QStringLiteral("北京市海淀区")},
        PrintItem{8700, 2500, 0, 14, QStringLiteral("￥")},
        PrintItem{9300, 2500, 0, 14, QStringLiteral("1")},
        PrintItem{9600, 2500, 0, 14, QStringLiteral("2")},
        PrintItem{300, 4700, 0, 9, QStringLiteral("√")},
        PrintItem{14000, 11000, 0, 20, QStringLiteral("右下角")},
        PrintItem{500, 3000, 0, 12, QString()},
    };
}

void compareWords(const Page &page, const PrintItems &items)
{
    QList<Word> words = page.words;
    for (qsizetype i = 1; i < items.size(); ++i) {
        const PrintItem &item = items.at(i);
        if (item.text.isEmpty())
            continue;
        const auto found = std::find_if(words.begin(), words.end(),
                                        [&](const Word &w) { return w.text == item.text; });
        QVERIFY2(found != words.end(), qPrintable(QStringLiteral("not printed: ") + item.text));
        QVERIFY2(qAbs(found->left - item.left) <= Tolerance,
                 qPrintable(QStringLiteral("%1 at x %2, wanted %3").arg(item.text).arg(found->left).arg(item.left)));
        QVERIFY2(qAbs(found->top - item.top) <= Tolerance,
                 qPrintable(QStringLiteral("%1 at y %2, wanted %3").arg(item.text).arg(found->top).arg(item.top)));
        words.erase(found);
    }
    if (!words.isEmpty())
        QFAIL(qPrintable(QStringLiteral("unexpected text: ") + words.first().text));
}

} // namespace

class TestRenderer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsLandAtTheirPositions_data();
    void textsLandAtTheirPositions();
    void pdfOfTheCommandLine();
    void textLinesStackOneUnderTheOther_data();
    void textLinesStackOneUnderTheOther();
    void renderingLeavesItemsAndOutputUnchanged();
    void copies_data();
    void copies();
    void unwritableFileIsAnError();
    void previewPaintsInPixels();
    void printStyle_data();
    void printStyle();

private:
    QTemporaryDir m_dir;
};

void TestRenderer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (qEnvironmentVariableIsSet("BILLPRINT_KEEP_TEST_OUTPUT")) {
        m_dir.setAutoRemove(false);
        qInfo() << "output kept in" << m_dir.path();
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
}

void TestRenderer::textsLandAtTheirPositions_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("colourMode");
    QTest::newRow("draft, monochrome") << 1 << 1;
    QTest::newRow("low, colour") << 2 << 2;
    QTest::newRow("medium") << 3 << 1;
    QTest::newRow("high") << 4 << 2;
}

void TestRenderer::textsLandAtTheirPositions()
{
    QFETCH(int, quality);
    QFETCH(int, colourMode);
    const QString path = m_dir.filePath(QStringLiteral("q%1.pdf").arg(quality));
    QPrinter printer(QPrinter::HighResolution);
    PrinterSettings::SelectPdf(printer, path);
    PrintJobOptions options;
    options.quality = quality;
    options.colourMode = colourMode;
    const PrintStatus status = PrintBillItems(printer, sampleItems(), options);
    QVERIFY2(status.ok(), qPrintable(status.message()));
    QCOMPARE(status.value(), 1);

    const QList<Page> pages = readPdf(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY(qAbs(pages.first().width - 841.89) < 0.5); // landscape A4
    QVERIFY(qAbs(pages.first().height - 595.28) < 0.5);
    compareWords(pages.first(), sampleItems());
}

void TestRenderer::textLinesStackOneUnderTheOther_data()
{
    QTest::addColumn<int>("size");
    for (int size : {9, 10, 12, 14, 20})
        QTest::addRow("%d pt", size) << size;
}

// The lines of a text field: the first at the field's top, each next one
// where the text of the one above ends, neither overlapping it nor apart.
void TestRenderer::textLinesStackOneUnderTheOther()
{
    QFETCH(int, size);
    FieldRegistry registry;
    PropertyList bill = {{0, {}, QStringLiteral("票")}, {3, {}, QStringLiteral("16000")},
                         {4, {}, QStringLiteral("11000")}};
    PropertyList text = {{1, {}, QStringLiteral("2000")}, {2, {}, QStringLiteral("1500")},
                         {3, {}, QStringLiteral("8000")}, {4, {}, QStringLiteral("6000")},
                         {5, {}, QString::number(size)}, {8, {}, QStringLiteral("0")}};
    registry.RegistryCtl(FieldKey::make(0, KindBill, 0), bill, 0, FieldRegistry::Add);
    registry.RegistryCtl(FieldKey::make(1, KindText, 1), text, 0, FieldRegistry::Add);
    const QStringList lines = {QStringLiteral("上海浦江"), QStringLiteral("Egypt"), QStringLiteral("贸易公司")};
    BillDocument doc;
    doc.setTemplate(BillTemplate::fromRegistry(registry).value());
    doc.setText(FieldKey::make(1, KindText, 1), lines.join(QLatin1Char('\n')));
    const PrintItems items = BuildPrintItems(doc);
    QCOMPARE(items.size(), 1 + lines.size());

    const QString path = m_dir.filePath(QStringLiteral("lines%1.pdf").arg(size));
    QVERIFY(PrintItemsToPdf(items, path).ok());
    const QList<Page> pages = readPdf(path);
    QCOMPARE(pages.size(), 1);
    const QList<Word> &words = pages.first().words;
    QCOMPARE(words.size(), lines.size());
    QVERIFY(qAbs(words.first().top - 1500) <= Tolerance);
    // pdftotext rounds the font's ascent and descent to thousandths of an em.
    const double slack = 0.002 * size * 20 + 1;
    for (int k = 1; k < words.size(); ++k) {
        QCOMPARE(words.at(k).text, lines.at(k));
        QVERIFY2(qAbs(words.at(k).top - words.at(k - 1).bottom) <= slack,
                 qPrintable(QStringLiteral("line %1 at %2, line above ends at %3")
                                .arg(k + 1).arg(words.at(k).top).arg(words.at(k - 1).bottom)));
        QVERIFY(qAbs(words.at(k).left - 2000) <= Tolerance);
    }
}

void TestRenderer::pdfOfTheCommandLine()
{
    const QString path = m_dir.filePath(QStringLiteral("fill.pdf"));
    const Status status = PrintItemsToPdf(sampleItems(), path);
    QVERIFY2(status.ok(), qPrintable(status.message));
    const QList<Page> pages = readPdf(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.first().width > pages.first().height);
    compareWords(pages.first(), sampleItems());
}

void TestRenderer::renderingLeavesItemsAndOutputUnchanged()
{
    const PrintItems items = sampleItems();
    const PrintItems before = items;
    const QString a = m_dir.filePath(QStringLiteral("a.pdf"));
    const QString b = m_dir.filePath(QStringLiteral("b.pdf"));
    QVERIFY(PrintItemsToPdf(items, a).ok());
    QVERIFY(PrintItemsToPdf(items, b).ok());
    QCOMPARE(items, before);
    const QList<Page> pa = readPdf(a);
    const QList<Page> pb = readPdf(b);
    QCOMPARE(pa.size(), 1);
    QCOMPARE(pb.size(), 1);
    QCOMPARE(pa.first().words.size(), pb.first().words.size());
    for (int i = 0; i < pa.first().words.size(); ++i) {
        QCOMPARE(pa.first().words.at(i).text, pb.first().words.at(i).text);
        QCOMPARE(pa.first().words.at(i).left, pb.first().words.at(i).left);
        QCOMPARE(pa.first().words.at(i).top, pb.first().words.at(i).top);
    }
}

void TestRenderer::copies_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("pages");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("negative") << -1 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("three") << 3 << 3;
}

void TestRenderer::copies()
{
    QFETCH(int, copies);
    QFETCH(int, pages);
    const QString path = m_dir.filePath(QStringLiteral("copies%1.pdf").arg(copies + 1));
    QPrinter printer(QPrinter::HighResolution);
    PrinterSettings::SelectPdf(printer, path);
    PrintJobOptions options;
    options.copies = copies;
    const PrintStatus status = PrintBillItems(printer, sampleItems(), options);
    QVERIFY(status.ok());
    QCOMPARE(status.value() > 0, pages > 0);
    QCOMPARE(QFile::exists(path), pages > 0);
    if (pages == 0)
        return;
    const QList<Page> read = readPdf(path);
    QCOMPARE(read.size(), pages);
    for (const Page &page : read)
        compareWords(page, sampleItems());
}

void TestRenderer::unwritableFileIsAnError()
{
    const Status status =
        PrintItemsToPdf(sampleItems(), m_dir.filePath(QStringLiteral("no/such/dir/x.pdf")));
    QCOMPARE(status.error, 3);
    QVERIFY(!status.message.isEmpty());
    QVERIFY(!PrintItemsToPdf(sampleItems(), QString()).ok());
}

void TestRenderer::previewPaintsInPixels()
{
    // On a 96 dpi surface 15 twips are a pixel: a text at (1500, 1500) twips
    // inks pixels just right of and below (100, 100), and nothing above it.
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    const PrintItems items = {PrintItem{6000, 4500, 0, 0, {}},
                              PrintItem{1500, 1500, 0, 20, QStringLiteral("票")}};
    QPainter p(&image);
    p.setTransform(BillRenderer::twipsTransform(96, 96));
    BillRenderer::paint(p, items);
    p.end();
    int inked = 0;
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ++inked;
                box |= QRect(x, y, 1, 1);
            }
    QVERIFY(inked > 20);
    QVERIFY2(box.left() >= 99 && box.left() <= 104, qPrintable(QString::number(box.left())));
    QVERIFY2(box.top() >= 99 && box.bottom() <= 100 + 30, qPrintable(QString::number(box.top())));
}

void TestRenderer::printStyle_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QSizeF>("pageMm"); // the page as it lies, in millimetres
    QTest::newRow("landscape A4") << 2 << 9 << true << QSizeF(297, 210);
    QTest::newRow("portrait A4") << 1 << 9 << true << QSizeF(210, 297);
    QTest::newRow("landscape A5") << 2 << 11 << true << QSizeF(210, 148);
    QTest::newRow("unknown paper") << 2 << 999 << false << QSizeF(210, 297);
    QTest::newRow("unknown orientation") << 3 << 9 << false << QSizeF(210, 297);
}

void TestRenderer::printStyle()
{
    QFETCH(int, orientation);
    QFETCH(int, paper);
    QFETCH(bool, result);
    QFETCH(QSizeF, pageMm);

    QPrinter printer(QPrinter::HighResolution);
    QVERIFY(!PrintOrientation(printer).SetPrintStyle(2, 9) || !PrinterSettings::DeviceName(printer).isEmpty());
    PrinterSettings::SelectPdf(printer, m_dir.filePath(QStringLiteral("style.pdf")));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setCopyCount(2);
    for (int twice = 0; twice < 2; ++twice) {
        QCOMPARE(PrintOrientation(printer).SetPrintStyle(orientation, qint16(paper)), result);
        const QSizeF size = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
        QVERIFY2(qAbs(size.width() - pageMm.width()) < 1 && qAbs(size.height() - pageMm.height()) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        QCOMPARE(printer.copyCount(), 2); // other settings stay as they were
    }
    if (result)
        QCOMPARE(printer.pageLayout().margins(), QMarginsF());
}

QTEST_MAIN(TestRenderer)
#include "tst_renderer.moc"
