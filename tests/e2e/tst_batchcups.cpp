// Batch printing through a real print queue: `billprint batch --printer`
// sends three bills with two copies each to the CUPS queue BillprintPDF
// (cups-pdf, set up by tools/start-cups.sh) as one job, and the job's pages
// are the bills in order, each like the same batch printed into a PDF.
//
// cups-pdf writes each landscape page turned a quarter and its text cannot
// be read back, so the pages are rendered and their ink compared, on a grid
// of millimetre cells, with the pages of the PDF printed directly.
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

namespace {

const QString Queue = QStringLiteral("BillprintPDF");
constexpr int WaitMs = 90000;
constexpr int Dpi = 100;
constexpr double CellMm = 1.0;

QString outputFolder()
{
    const QString dir = qEnvironmentVariable("BILLPRINT_CUPS_PDF_DIR");
    return dir.isEmpty() ? QStringLiteral("/var/spool/cups-pdf/billprint") : dir;
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool queueIsEmpty()
{
    const Run r = run(QStringLiteral("lpstat"), {QStringLiteral("-o"), Queue});
    return r.status == 0 && r.out.trimmed().isEmpty();
}

template <class Done>
bool waitFor(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(250);
    }
    return true;
}

int pageCount(const QString &pdf)
{
    const Run r = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(r.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QImage render(const QString &pdf, int page, const QString &prefix)
{
    const QString n = QString::number(page);
    if (run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"),
                                         QStringLiteral("-singlefile"), QStringLiteral("-f"), n,
                                         QStringLiteral("-l"), n, pdf, prefix})
            .status != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

// The millimetre cells of a page that hold ink.
QSet<QPoint> inkedCells(const QImage &page)
{
    const double cell = CellMm / 25.4 * Dpi;
    QSet<QPoint> cells;
    for (int y = 0; y < page.height(); ++y) {
        const uchar *row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (row[x] < 128)
                cells.insert(QPoint(int(x / cell), int(y / cell)));
    }
    return cells;
}

// Cells inked in one page with no inked cell at most one cell away in the
// other, counted both ways.
int mismatches(const QSet<QPoint> &a, const QSet<QPoint> &b)
{
    auto missing = [](const QSet<QPoint> &from, const QSet<QPoint> &in) {
        int n = 0;
        for (const QPoint &p : from) {
            bool near = false;
            for (int dx = -1; dx <= 1 && !near; ++dx)
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    near = in.contains(p + QPoint(dx, dy));
            n += !near;
        }
        return n;
    };
    return missing(a, b) + missing(b, a);
}

// The queue's page turned back to landscape, the way that matches best.
QSet<QPoint> landscapeCells(const QImage &page, const QSet<QPoint> &reference)
{
    if (page.width() >= page.height())
        return inkedCells(page);
    const QSet<QPoint> cw = inkedCells(page.transformed(QTransform().rotate(90)));
    const QSet<QPoint> ccw = inkedCells(page.transformed(QTransform().rotate(-90)));
    return mismatches(cw, reference) <= mismatches(ccw, reference) ? cw : ccw;
}

} // namespace

class TestBatchCups : public QObject {
    Q_OBJECT
    QTemporaryDir m_work;
    QString m_exe;
    QString m_db;

private slots:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        m_exe = qEnvironmentVariable("BILLPRINT_EXE");
        if (m_exe.isEmpty() || !QFileInfo(m_exe).isExecutable())
            QSKIP("BILLPRINT_EXE does not name the built program");
        for (const char *tool : {"lpstat", "pdfinfo", "pdftoppm"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
        if (!run(QStringLiteral("lpstat"), {QStringLiteral("-v"), Queue}).out.contains(QStringLiteral("cups-pdf:/")))
            QSKIP("no cups-pdf queue BillprintPDF: the print service is not running "
                  "(tools/start-cups.sh starts it and adds the queue)");
        if (!QFileInfo(outputFolder()).isDir())
            QSKIP(qPrintable(QStringLiteral("the queue's output folder %1 is missing").arg(outputFolder())));
        m_db = m_work.filePath(QStringLiteral("DB/BillDB.db"));
        QCOMPARE(run(m_exe, {QStringLiteral("templates"), QStringLiteral("--db"), m_db}).status, 0);
    }

    void threeBillsTwoCopiesAsOneJob()
    {
        const QString csv = m_work.filePath(QStringLiteral("pay.csv"));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("出票日期,收款人,小写金额,用途\n"
                               "20261207,上海浦江贸易有限公司,\"1,234.56\",货款\n"
                               "20261208,北京朝阳商贸有限公司,88,服务费\n"
                               "20261209,深圳南山科技有限公司,9000000,设备款\n")
                    .toUtf8());
        f.close();
        const QStringList common{QStringLiteral("batch"), QStringLiteral("--db"), m_db, QStringLiteral("--template"),
                                 QStringLiteral("支票/转账支票"), QStringLiteral("--csv"), csv,
                                 QStringLiteral("--copies"), QStringLiteral("2")};
        const QString direct = m_work.filePath(QStringLiteral("direct.pdf"));
        const Run pdf = run(m_exe, common + QStringList{QStringLiteral("--pdf"), direct});
        QVERIFY2(pdf.status == 0, qPrintable(pdf.err));
        QCOMPARE(pageCount(direct), 6);

        QVERIFY2(waitFor(queueIsEmpty, WaitMs), "jobs of an earlier run stay in the queue");
        const QStringList before = QDir(outputFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        const Run queued = run(m_exe, common + QStringList{QStringLiteral("--printer"), Queue});
        QVERIFY2(queued.status == 0, qPrintable(queued.err));
        QVERIFY2(queued.out.contains(QStringLiteral("\"printed\":3")), qPrintable(queued.out));
        QVERIFY2(waitFor(queueIsEmpty, WaitMs), "the job is still queued");
        // Other test runs may print on the same queue: ours is the new file
        // of six pages (written whole once the job is done).
        QString printed;
        QVERIFY2(waitFor(
                     [&] {
                         for (const QString &name : QDir(outputFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files))
                             if (!before.contains(name) && pageCount(QDir(outputFolder()).filePath(name)) == 6)
                                 printed = QDir(outputFolder()).filePath(name);
                         return !printed.isEmpty();
                     },
                     WaitMs),
                 "no PDF of six pages appeared: the job was not sent as one");
        const QString kept = m_work.filePath(QStringLiteral("queued.pdf"));
        QVERIFY(QFile::copy(printed, kept));
        QFile::remove(printed);

        QList<QSet<QPoint>> want;
        for (int page = 1; page <= 6; ++page) {
            const QImage image = render(direct, page, m_work.filePath(QStringLiteral("d%1").arg(page)));
            QVERIFY(!image.isNull());
            want << inkedCells(image);
        }
        QVERIFY(mismatches(want.at(0), want.at(2)) > 20); // the bills do differ
        for (int page = 1; page <= 6; ++page) {
            const QImage image = render(kept, page, m_work.filePath(QStringLiteral("q%1").arg(page)));
            QVERIFY(!image.isNull());
            const QSet<QPoint> got = landscapeCells(image, want.at(page - 1));
            const int off = mismatches(got, want.at(page - 1));
            QVERIFY2(off <= 5, qPrintable(QStringLiteral("page %1: %2 cells differ from the PDF's page (of %3 inked)")
                                              .arg(page)
                                              .arg(off)
                                              .arg(want.at(page - 1).size())));
            // Each bill's copy follows it: page 3 is the second bill, not the first.
            if (page == 3)
                QVERIFY(mismatches(got, want.at(0)) > 20);
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchCups)
#include "tst_batchcups.moc"
