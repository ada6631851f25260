// Printing a filled cheque through a real print queue: the preview's Print
// button sends the job to the CUPS queue BillprintPDF (cups-pdf, set up by
// tools/start-cups.sh), and the page that comes out carries the texts at the
// places the template gives them.
//
// cups-pdf writes the landscape bill as a portrait page with the content
// turned a quarter turn, and converts the fonts so that no text can be read
// back from its PDF. So the page is rendered, turned back, and the ink of
// every text is measured against the same items printed straight into a PDF
// by the same renderer.
#include "core/appstate.h"
#include "core/database.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/fieldcontrols.h"
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

namespace {

const QString Queue = QStringLiteral("BillprintPDF");
constexpr int WaitMs = 60000;
constexpr int Dpi = 150;
constexpr double MmToTwips = 1440 / 25.4;
constexpr double ToleranceMm = 0.5;

// Where the queue's cups-pdf settings put the PDFs (tools/start-cups.sh).
QString outputFolder()
{
    const QString dir = qEnvironmentVariable("BILLPRINT_CUPS_PDF_DIR");
    return dir.isEmpty() ? QStringLiteral("/var/spool/cups-pdf/billprint") : dir;
}

// Standard output of a program, or nothing when it fails.
std::optional<QString> run(const QString &program, const QStringList &args, int timeoutMs = 30000)
{
    QProcess p;
    p.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        return env;
    }());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool queueIsEmpty()
{
    const std::optional<QString> jobs = run(QStringLiteral("lpstat"), {QStringLiteral("-o"), Queue});
    return jobs && jobs->trimmed().isEmpty();
}

// Polls `done` until it holds or `ms` have passed.
template <class Done>
bool waitFor(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(200);
    }
    return true;
}

QStringList pdfsIn(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

// A PDF's first page rendered in grey at Dpi, or a null image.
QImage render(const QString &pdf, const QString &prefix)
{
    if (!run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"),
                                          QStringLiteral("-singlefile"), QStringLiteral("-l"),
                                          QStringLiteral("1"), pdf, prefix}))
        return QImage();
    return QImage(prefix + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

constexpr double pixelsPerTwip() { return Dpi / 1440.0; }

// The bounding box of the dark pixels inside `area` (pixels); empty when the
// area is blank.
QRect inkIn(const QImage &image, const QRect &area)
{
    const QRect a = area.intersected(image.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = a.left(); x <= a.right(); ++x) {
            if (row[x] >= 128)
                continue;
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Where to look for the first character of an item: a little before its
// corner, one character wide and one line high (pixels of the landscape page).
QRect firstCharacterArea(const PrintItem &item)
{
    const double s = pixelsPerTwip();
    const double margin = MmToTwips;        // 1 mm around
    const double em = item.size * 20.0;     // one em, twips
    return QRectF(QPointF((item.left - margin) * s, (item.top - margin) * s),
                  QPointF((item.left + 0.9 * em) * s, (item.top + 1.25 * em) * s))
        .toRect();
}

int inkedItems(const QImage &page, const PrintItems &items)
{
    int inked = 0;
    for (qsizetype i = 1; i < items.size(); ++i)
        inked += !items.at(i).text.trimmed().isEmpty() && !inkIn(page, firstCharacterArea(items.at(i))).isEmpty();
    return inked;
}

// The page as the queue wrote it, turned back to the landscape bill. A
// portrait page holds the bill a quarter turn round, whichever way the print
// service chose: the way that puts ink under the bill's texts wins.
QImage landscape(const QImage &page, const PrintItems &items)
{
    if (page.width() >= page.height())
        return page;
    const QImage clockwise = page.transformed(QTransform().rotate(90));
    const QImage anticlockwise = page.transformed(QTransform().rotate(-90));
    return inkedItems(clockwise, items) >= inkedItems(anticlockwise, items) ? clockwise : anticlockwise;
}

// A filled transfer cheque of the default database, opened as the main
// window opens a template for filling in.
struct Cheque {
    QTemporaryDir dir;
    AppState state;
    QWidget host;
    BillSurface *surface = nullptr;
    FieldControls controls;
    std::unique_ptr<BillOpener> opener;

    QString open()
    {
        const QString path = dir.filePath(QStringLiteral("DB/BillDB.db"));
        if (StoreStatus st = database::ensureExists(path); !st)
            return st.message;
        if (OpenDatabase(state, path) != 0)
            return state.DatabaseError;
        // The purpose is emptied after printing: its copy on the stub follows.
        QSqlQuery q(QSqlDatabase::database(state.DbConnection));
        if (!q.exec(QStringLiteral("UPDATE \"支票_转账支票\" SET cValue='是' "
                                   "WHERE cKey='01907006' AND cType=31")))
            return QStringLiteral("cannot mark the purpose field");
        surface = new BillSurface(&host);
        controls.init(&host);
        opener = std::make_unique<BillOpener>(state, controls, surface, &host);
        state.SelectedClass = {0, QStringLiteral("cKey1"), QStringLiteral("支票")};
        state.SelectedBill = {1, QStringLiteral("bKey1"), QStringLiteral("转账支票")};
        opener->ReadAddCtl(QStringLiteral("支票_转账支票"), 0);
        return opener->lastError();
    }

    void fill()
    {
        controls.texts.at(1)->UserSetTextBox(QStringLiteral("工商银行"));
        controls.texts.at(2)->UserSetTextBox(QStringLiteral("上海浦江贸易有限公司"));
        controls.texts.at(6)->UserSetTextBox(QStringLiteral("货款"));
        // 1234.56 typed digit by digit into the amount's lowest columns.
        MoneyCtl *money = controls.moneys.at(0);
        const QString digits = QStringLiteral("123456");
        const int count = money->UserGetMoneyCount();
        for (int i = 0; i < digits.size(); ++i)
            QTest::keyClicks(money->TxtCol(count - int(digits.size()) + i), digits.mid(i, 1));
    }
};

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printFilledChequeThroughTheQueue();

private:
    void comparePages(const QString &printedPdf, const PrintItems &items);
    QTemporaryDir m_work;
};

void TestCupsPrint::initTestCase()
{
    QVERIFY(m_work.isValid());
    for (const char *tool : {"lpstat", "pdftotext", "pdftoppm"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
    const QString devices = run(QStringLiteral("lpstat"), {QStringLiteral("-v"), Queue}).value_or(QString());
    if (!devices.contains(QStringLiteral("cups-pdf:/")))
        QSKIP("no cups-pdf queue BillprintPDF: the print service is not running "
              "(tools/start-cups.sh starts it and adds the queue)");
    if (!PrinterSettings::PrinterNames().contains(Queue))
        QSKIP("the print service does not list the queue BillprintPDF to this program");
    if (!QFileInfo(outputFolder()).isDir())
        QSKIP(qPrintable(QStringLiteral("the queue's output folder %1 is missing").arg(outputFolder())));
}

void TestCupsPrint::printFilledChequeThroughTheQueue()
{
    Cheque cheque;
    const QString opened = cheque.open();
    QVERIFY2(opened.isEmpty(), qPrintable(opened));
    cheque.fill();
    const QString amountWords = cheque.controls.texts.at(4)->UserGetTextAll();
    QVERIFY2(amountWords.contains(QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分")), qPrintable(amountWords));
    QCOMPARE(cheque.controls.texts.at(10)->UserGetTextAll(), QStringLiteral("货款"));

    QList<std::pair<QString, QString>> messages;
    auto *preview = new PrintPreview(cheque.state, &cheque.host);
    preview->setMessageSink([&](const QString &title, const QString &text, bool) {
        messages.append({title, text});
    });
    const PrintItems items = preview->items();
    QComboBox *printers = preview->CmbPrintersC();
    const int choice = printers->findText(Queue);
    QVERIFY(choice >= 0);
    printers->setCurrentIndex(choice);
    preview->CmbPrintersC_Click(choice);
    QCOMPARE(preview->currentPrinter(), Queue);

    QVERIFY2(waitFor(queueIsEmpty, WaitMs), "jobs of an earlier run stay in the queue");
    const QStringList before = pdfsIn(outputFolder());
    QSignalSpy printed(preview, &PrintPreview::printed);
    QElapsedTimer clock;
    clock.start();
    preview->CmdPrintC()->click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).second));
    QCOMPARE(printed.count(), 1);

    // The job leaves the queue and its PDF appears (written whole once the
    // job is done).
    QVERIFY2(waitFor(queueIsEmpty, WaitMs),
             qPrintable(QStringLiteral("the job is still queued after %1 s: %2")
                            .arg(WaitMs / 1000)
                            .arg(run(QStringLiteral("lpstat"), {QStringLiteral("-l"), QStringLiteral("-o"), Queue})
                                     .value_or(QString()))));
    QStringList fresh;
    const bool written = waitFor(
        [&] {
            fresh = pdfsIn(outputFolder());
            for (const QString &name : before)
                fresh.removeAll(name);
            return !fresh.isEmpty();
        },
        WaitMs);
    QVERIFY2(written, qPrintable(QStringLiteral("the job left the queue but no PDF appeared in ") + outputFolder()));
    QCOMPARE(fresh.size(), 1);
    const QString pdf = QDir(outputFolder()).filePath(fresh.first());
    qInfo("printed through %s into %s in %lld ms", qPrintable(Queue), qPrintable(pdf),
          qint64(clock.elapsed()));
    const QString kept = m_work.filePath(QStringLiteral("cheque.pdf"));
    QVERIFY(QFile::copy(pdf, kept));
    QFile::remove(pdf);
    if (qEnvironmentVariableIsSet("BILLPRINT_KEEP_TEST_OUTPUT")) {
        m_work.setAutoRemove(false);
        qInfo("page kept as %s", qPrintable(kept));
    }

    comparePages(kept, items);

    // The purpose field is marked to be emptied after printing; its copy on
    // the stub follows it, the rest stays.
    QCOMPARE(cheque.controls.texts.at(6)->UserGetTextAll(), QString());
    QCOMPARE(cheque.controls.texts.at(10)->UserGetTextAll(), QString());
    QCOMPARE(cheque.controls.texts.at(2)->UserGetTextAll(), QStringLiteral("上海浦江贸易有限公司"));
    QCOMPARE(cheque.controls.moneys.at(0)->UserGetMoneyNumber(), QStringLiteral("00000123456"));
    delete preview;
}

// The queue's page against the same items printed straight into a PDF by
// the same renderer (whose texts sit at their template positions): turned
// back, every text's ink starts where it does there, within the tolerance,
// beginning within a character of the item's corner; outside the bill the
// paper stays white.
void TestCupsPrint::comparePages(const QString &printedPdf, const PrintItems &items)
{
    const QString directPdf = m_work.filePath(QStringLiteral("direct.pdf"));
    const Status direct = PrintItemsToPdf(items, directPdf);
    QVERIFY2(direct.ok(), qPrintable(direct.message));
    const QImage reference = render(directPdf, m_work.filePath(QStringLiteral("direct")));
    const QImage portrait = render(printedPdf, m_work.filePath(QStringLiteral("printed")));
    QVERIFY(!reference.isNull() && !portrait.isNull());
    // A4 at the rendering resolution, either way round.
    const QSize a4 = QSizeF(297 / 25.4 * Dpi, 210 / 25.4 * Dpi).toSize();
    QVERIFY2(qAbs(qMax(portrait.width(), portrait.height()) - a4.width()) <= 2
                 && qAbs(qMin(portrait.width(), portrait.height()) - a4.height()) <= 2,
             qPrintable(QStringLiteral("page of %1 x %2 pixels").arg(portrait.width()).arg(portrait.height())));
    const QImage page = landscape(portrait, items);
    QCOMPARE(page.size(), reference.size());

    const double tolerance = ToleranceMm * MmToTwips * pixelsPerTwip();
    int checked = 0;
    for (qsizetype i = 1; i < items.size(); ++i) {
        const PrintItem &item = items.at(i);
        if (item.text.trimmed().isEmpty())
            continue;
        const QRect area = firstCharacterArea(item);
        const QRect wanted = inkIn(reference, area);
        const QRect got = inkIn(page, area);
        QVERIFY2(!wanted.isEmpty(), qPrintable(QStringLiteral("no ink in the direct PDF for ") + item.text));
        QVERIFY2(!got.isEmpty(), qPrintable(QStringLiteral("nothing printed for ") + item.text));
        const QString where = QStringLiteral("%1: ink at (%2, %3)-(%4, %5) px, direct PDF (%6, %7)-(%8, %9)")
                                  .arg(item.text).arg(got.left()).arg(got.top()).arg(got.right())
                                  .arg(got.bottom()).arg(wanted.left()).arg(wanted.top())
                                  .arg(wanted.right()).arg(wanted.bottom());
        QVERIFY2(qAbs(got.left() - wanted.left()) <= tolerance && qAbs(got.top() - wanted.top()) <= tolerance
                     && qAbs(got.right() - wanted.right()) <= tolerance
                     && qAbs(got.bottom() - wanted.bottom()) <= tolerance,
                 qPrintable(where));
        // Ink begins at the item's corner, not before it.
        const QPointF corner = QPointF(item.left, item.top) * pixelsPerTwip();
        QVERIFY2(got.left() >= corner.x() - tolerance && got.top() >= corner.y() - tolerance, qPrintable(where));
        ++checked;
    }
    QVERIFY(checked >= 8);
    // Beyond the bill (12758 by 4536 twips): blank paper.
    const double s = pixelsPerTwip();
    QVERIFY(inkIn(page, QRect(0, int(4700 * s), page.width(), page.height())).isEmpty());
    QVERIFY(inkIn(page, QRect(int(12900 * s), 0, page.width(), page.height())).isEmpty());
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
