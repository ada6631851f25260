// Printer calibration: the correction computed from what the ruler shows,
// its storage, the calibration page at true size, and a calibrated PDF in
// which the printed text moves by exactly the stored offset and scale.
#include "../core/testbackend.h"
#include "core/appstate.h"
#include "core/database.h"
#include "core/units.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "print/calibrationpage.h"
#include "print/calibrationdialog.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "core/formbackground.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double MmPerPoint = 25.4 / 72.0;
const QString Cheque = QStringLiteral("支票/转账支票");
const QString ChequeTable = QStringLiteral("支票_转账支票");
const QString Purpose = QStringLiteral("01907006"); // a text field of the cheque

struct Word {
    double x = -1, y = -1; // top-left, millimetres from the page's corner
};

// The first word of a PDF page with this text, as pdftotext -bbox places it.
Word findWord(const QString &pdf, const QString &text)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"[\\d.]+\">([^<]*)</word>"));
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(3) == text)
            return {m.captured(1).toDouble() * MmPerPoint, m.captured(2).toDouble() * MmPerPoint};
    }
    return {};
}

bool haveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
           && !qEnvironmentVariableIsEmpty("BILLPRINT_EXE");
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void compute_data();
    void compute();
    void pageForBill_data();
    void pageForBill();
    void storeRoundTrip();
    void calibrationsPerWorkstation();
    void calibrationPageAtTrueSize();
    void calibratedPdfMoves_data();
    void calibratedPdfMoves();
    void previewShowsCalibration();
    void pagePdfGetsItsSuffix_data();
    void pagePdfGetsItsSuffix();
    void previewNeverPrintsTheForm();

private:
    Word fillPdf(const QString &name, bool calibrated);
    void storePdfCalibration(double ox, double oy, double sx, double sy);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    int m_count = 0;
    QTemporaryDir m_files; // kept over all rows: the file dialog opens where the last one was
};

void TestCalibration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_state = std::make_unique<AppState>();
    QString where = m_dir->filePath(QStringLiteral("DB/BillDB.db"));
    if (testbackend::onServer()) {
        QString why;
        where = testbackend::newServerDatabase(QString::number(++m_count), &why);
        if (where.isEmpty())
            QSKIP(qPrintable(why));
    }
    StartUp(*m_state, where, m_dir->path());
    QVERIFY2(m_state->DatabaseError.isEmpty(), qPrintable(m_state->DatabaseError));
}

void TestCalibration::cleanup()
{
    CloseDatabase(*m_state);
    m_state.reset();
    m_dir.reset();
}

void TestCalibration::compute_data()
{
    QTest::addColumn<CalibrationMeasurement>("measured");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("offsetX");
    QTest::addColumn<double>("offsetY");
    QTest::addColumn<double>("scaleX");
    QTest::addColumn<double>("scaleY");
    QTest::newRow("true printer") << CalibrationMeasurement{20, 20, 200, 160} << true << 0.0 << 0.0 << 100.0 << 100.0;
    QTest::newRow("shifted right and up") << CalibrationMeasurement{21.5, 19.2, 200, 160} << true << -1.5 << 0.8
                                          << 100.0 << 100.0;
    QTest::newRow("stretched by 1 %") << CalibrationMeasurement{20.2, 20.2, 202, 161.6} << true << 0.0 << 0.0
                                      << 99.01 << 99.01;
    QTest::newRow("shrunk and shifted") << CalibrationMeasurement{22.0, 18.0, 198, 158.4} << true << -2.2 << 1.8
                                        << 101.01 << 101.01;
    QTest::newRow("distance far off") << CalibrationMeasurement{20, 20, 150, 160} << false << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("vertical far off") << CalibrationMeasurement{20, 20, 200, 200} << false << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("cross 40 mm away") << CalibrationMeasurement{60, 20, 200, 160} << false << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("zero distance") << CalibrationMeasurement{20, 20, 0, 0} << false << 0.0 << 0.0 << 0.0 << 0.0;
}

void TestCalibration::compute()
{
    QFETCH(CalibrationMeasurement, measured);
    QFETCH(bool, accepted);
    const CalibrationPage page; // crosses at 20/20, 200 mm across, 160 mm down
    QString why;
    const auto c = calibration::compute(QStringLiteral("P"), page, measured, &why);
    QCOMPARE(c.has_value(), accepted);
    if (!accepted) {
        QVERIFY(!why.isEmpty());
        return;
    }
    QTEST(c->offsetX, "offsetX");
    QTEST(c->offsetY, "offsetY");
    QTEST(c->scaleX, "scaleX");
    QTEST(c->scaleY, "scaleY");

    // The measured printer, fed through the correction, puts the three
    // crosses where they belong (within the rounding to 0.1 mm).
    const double sx = measured.horizontal / page.horizontalSpan;
    const double sy = measured.vertical / page.verticalSpan;
    const double ox = measured.crossX - page.crossAt * sx;
    const double oy = measured.crossY - page.crossAt * sy;
    for (const QPointF mm : {QPointF(20, 20), QPointF(220, 20), QPointF(20, 180)}) {
        const QPointF sent = c->transform().map(mm * units::TwipsPerMm) / units::TwipsPerMm;
        const QPointF landed(sent.x() * sx + ox, sent.y() * sy + oy);
        QVERIFY2(qAbs(landed.x() - mm.x()) < 0.06 && qAbs(landed.y() - mm.y()) < 0.06,
                 qPrintable(QStringLiteral("%1,%2").arg(landed.x()).arg(landed.y())));
    }
}

void TestCalibration::pageForBill_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("verticalSpan");
    QTest::newRow("cheque 225 x 80 mm") << 12758 << 4536 << 50.0;
    QTest::newRow("A4 landscape high") << 16840 << 11907 << 160.0;
    QTest::newRow("100 mm high") << 12758 << 5670 << 70.0;
    QTest::newRow("too low for a cross: on the paper") << 12758 << 2268 << 160.0;
    QTest::newRow("no bill") << 0 << 0 << 160.0;
}

void TestCalibration::pageForBill()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const CalibrationPage page = CalibrationPage::forBill(width, height);
    QTEST(page.verticalSpan, "verticalSpan");
    QCOMPARE(page.horizontalSpan, 200.0);
    QCOMPARE(page.billMm.isEmpty(), width == 0);
}

void TestCalibration::storeRoundTrip()
{
    const CalibrationStore store(m_state->DbConnection);
    std::optional<PrinterCalibration> got;
    QVERIFY(store.load(QStringLiteral("HP"), got).ok()); // no table yet
    QVERIFY(!got);
    QVERIFY(store.inForce(QStringLiteral("HP")).isIdentity());

    const QString odd = QStringLiteral("Kyocera \"FS\" 'A4'");
    QVERIFY(store.save({odd, 1.5, -0.8, 99.5, 100.25}).ok());
    QVERIFY(store.save({odd, 2.5, -0.8, 99.5, 100.25}).ok()); // replaces
    QVERIFY(store.save({PrinterSettings::PdfChoice(), -3.0, 0.0, 100.0, 100.0}).ok());
    QVERIFY(store.load(odd, got).ok());
    QVERIFY(got);
    QCOMPARE(got->offsetX, 2.5);
    QCOMPARE(got->offsetY, -0.8);
    QCOMPARE(got->scaleX, 99.5);
    QCOMPARE(got->scaleY, 100.25);
    QSqlQuery q(QSqlDatabase::database(m_state->DbConnection));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"PrinterCalibration\"")) && q.next());
    QCOMPARE(q.value(0).toInt(), 2);
    QVERIFY(!store.save({odd, 0, 0, 0, 100}).ok()); // no scale of 0
    QVERIFY(store.remove(odd).ok());
    QVERIFY(store.inForce(odd).isIdentity());
    QCOMPARE(store.inForce(PrinterSettings::PdfChoice()).offsetX, -3.0);
}

// Two workstations printing through one server each keep their own
// calibration of the same printer; a file is one desk's, whoever opens it.
void TestCalibration::calibrationsPerWorkstation()
{
    const CalibrationStore store(m_state->DbConnection);
    const QString printer = PrinterSettings::PdfChoice();
    qputenv("BILLPRINT_WORKSTATION", "柜台1");
    QVERIFY(store.save({printer, 1.5, 0, 100, 100}).ok());
    qputenv("BILLPRINT_WORKSTATION", "柜台2");
    const double second = testbackend::onServer() ? 0.0 : 1.5;
    QCOMPARE(store.inForce(printer).offsetX, second);
    QVERIFY(store.save({printer, -2.0, 0, 100, 100}).ok());
    QVERIFY(store.remove(QStringLiteral("other printer")).ok());
    qputenv("BILLPRINT_WORKSTATION", "柜台1");
    QCOMPARE(store.inForce(printer).offsetX, testbackend::onServer() ? 1.5 : -2.0);
    QVERIFY(store.remove(printer).ok());
    QVERIFY(store.inForce(printer).isIdentity());
    qputenv("BILLPRINT_WORKSTATION", "柜台2");
    QCOMPARE(store.inForce(printer).offsetX, testbackend::onServer() ? -2.0 : 0.0);
    qunsetenv("BILLPRINT_WORKSTATION");
}

void TestCalibration::calibrationPageAtTrueSize()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdf = m_dir->filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    PrinterSettings::SelectPdf(printer, pdf);
    QVERIFY(calibration::printPage(printer, CalibrationPage::forBill(12758, 4536)).ok());
    if (!qEnvironmentVariableIsEmpty("BILLPRINT_SCREENSHOTS"))
        QFile::copy(pdf, QStringLiteral("/tmp/calibration-page.pdf"));
    // Each cross's label starts 1.5 mm right of its centre.
    const Word a = findWord(pdf, QStringLiteral("20/20"));
    const Word b = findWord(pdf, QStringLiteral("220/20"));
    const Word c = findWord(pdf, QStringLiteral("20/70"));
    QVERIFY(a.x > 0 && b.x > 0 && c.x > 0);
    QVERIFY2(qAbs(b.x - a.x - 200.0) < 0.1, qPrintable(QString::number(b.x - a.x)));
    QVERIFY2(qAbs(c.y - a.y - 50.0) < 0.1, qPrintable(QString::number(c.y - a.y)));
    QVERIFY2(qAbs(a.x - 21.5) < 0.5, qPrintable(QString::number(a.x)));
    QVERIFY(findWord(pdf, QStringLiteral("打印机校准页")).x > 0);
}

void TestCalibration::storePdfCalibration(double ox, double oy, double sx, double sy)
{
    QVERIFY(CalibrationStore(m_state->DbConnection).save({PrinterSettings::PdfChoice(), ox, oy, sx, sy}).ok());
}

Word TestCalibration::fillPdf(const QString &name, bool calibrated)
{
    const QString pdf = m_dir->filePath(name);
    QStringList args{QStringLiteral("fill"), QStringLiteral("--db"), m_state->DatabasePath, QStringLiteral("--template"),
                     Cheque, QStringLiteral("--set"), Purpose + QStringLiteral("=CALIBXY"), QStringLiteral("--pdf"), pdf};
    if (calibrated)
        args << QStringLiteral("--calibrated");
    QProcess fill;
    fill.start(qEnvironmentVariable("BILLPRINT_EXE"), args);
    if (!fill.waitForFinished(60000) || fill.exitCode() != 0) {
        qWarning() << fill.readAllStandardError();
        return {};
    }
    return findWord(pdf, QStringLiteral("CALIBXY"));
}

void TestCalibration::calibratedPdfMoves_data()
{
    QTest::addColumn<double>("ox");
    QTest::addColumn<double>("oy");
    QTest::addColumn<double>("sx");
    QTest::addColumn<double>("sy");
    QTest::newRow("offset only") << 3.5 << -2.0 << 100.0 << 100.0;
    QTest::newRow("negative offset") << -1.2 << 0.7 << 100.0 << 100.0;
    QTest::newRow("scale only") << 0.0 << 0.0 << 102.0 << 98.5;
    QTest::newRow("offset and scale") << 1.0 << 1.0 << 99.0 << 101.0;
}

void TestCalibration::calibratedPdfMoves()
{
    if (!haveTools())
        QSKIP("pdftotext or BILLPRINT_EXE missing");
    QFETCH(double, ox);
    QFETCH(double, oy);
    QFETCH(double, sx);
    QFETCH(double, sy);
    // The purpose field placed at 20 mm / 20 mm of the bill.
    QSqlQuery q(QSqlDatabase::database(m_state->DbConnection));
    for (int key : {1, 2}) {
        QVERIFY(q.prepare(QStringLiteral("UPDATE \"%1\" SET \"cValue\"=? WHERE \"cKey\"=? AND \"cType\"=?").arg(ChequeTable)));
        q.addBindValue(QString::number(units::mmToTwips(20)));
        q.addBindValue(Purpose);
        q.addBindValue(key);
        QVERIFY(q.exec());
    }
    const Word plain = fillPdf(QStringLiteral("plain.pdf"), false);
    QVERIFY(plain.x > 0);
    QVERIFY2(qAbs(plain.x - 20.0) < 0.5, qPrintable(QString::number(plain.x)));

    storePdfCalibration(ox, oy, sx, sy);
    const Word moved = fillPdf(QStringLiteral("calibrated.pdf"), true);
    QVERIFY(moved.x > 0);
    const double wantX = plain.x * sx / 100.0 + ox;
    const double wantY = plain.y * sy / 100.0 + oy;
    QVERIFY2(qAbs(moved.x - wantX) < 0.05, qPrintable(QStringLiteral("x %1, want %2").arg(moved.x).arg(wantX)));
    QVERIFY2(qAbs(moved.y - wantY) < 0.05, qPrintable(QStringLiteral("y %1, want %2").arg(moved.y).arg(wantY)));

    // Without --calibrated nothing moves, whatever is stored.
    const Word again = fillPdf(QStringLiteral("again.pdf"), false);
    QVERIFY(qAbs(again.x - plain.x) < 0.01 && qAbs(again.y - plain.y) < 0.01);
}

namespace {

// A bill with one filled text field, on a hidden host.
struct Bill {
    QWidget host;

    explicit Bill(AppState &state)
    {
        state.SelectedClass = {0, QStringLiteral("cKey1"), QStringLiteral("支票")};
        state.SelectedBill = {1, QStringLiteral("bKey1"), QStringLiteral("转账支票")};
        state.Registry.reset();
        auto add = [&state](int kind, int index, PropertyList list) {
            state.Registry.RegistryCtl(FieldKey::make(state.Registry.count(), kind, index), list, 0,
                                       FieldRegistry::Add);
        };
        PropertyList bill;
        bill.append(PropertyEntry{0, QString(), QStringLiteral("转账支票")});
        bill.append(PropertyEntry{3, QString(), QStringLiteral("12758")});
        bill.append(PropertyEntry{4, QString(), QStringLiteral("4536")});
        add(KindBill, 0, bill);
        PropertyList text;
        text.append(PropertyEntry{1, QString(), QStringLiteral("1134")});
        text.append(PropertyEntry{2, QString(), QStringLiteral("1134")});
        text.append(PropertyEntry{3, QString(), QStringLiteral("3000")});
        text.append(PropertyEntry{4, QString(), QStringLiteral("300")});
        text.append(PropertyEntry{5, QString(), QStringLiteral("12")});
        add(KindText, 1, text);
        BillTemplate t = BillTemplate::fromRegistry(state.Registry).value();
        t.setTable(QStringLiteral("支票_转账支票"));
        state.Bill.setTemplate(t);
        state.Bill.setText(FieldKey::make(1, KindText, 1), QStringLiteral("CALIBXY"));
    }
};

} // namespace

void TestCalibration::previewShowsCalibration()
{
    Bill bill(*m_state);
    QWidget parent;
    parent.resize(1000, 600);
    auto *preview = new PrintPreview(*m_state, &parent);
    QComboBox *list = preview->CmbPrintersC();
    const int pdf = list->findText(PrinterSettings::PdfChoice());
    preview->CmbPrintersC_Click(pdf);
    QCOMPARE(preview->windowTitle(), PrinterSettings::PdfChoice());

    storePdfCalibration(1.5, -0.5, 100.0, 99.5);
    preview->CmbPrintersC_Click(pdf);
    QVERIFY2(preview->windowTitle().contains(QStringLiteral("已校准")), qPrintable(preview->windowTitle()));
    QVERIFY(preview->windowTitle().contains(QStringLiteral("1.5/-0.5")));
    // The caption the clerk sees names the bill, the printer and the correction.
    const QString shown = preview->LblCaptionC()->text();
    QVERIFY2(shown.startsWith(QStringLiteral("票据(")), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("当前打印机为：%1（已校准：").arg(PrinterSettings::PdfChoice())),
             qPrintable(shown));
    // The preview's own drawing and items are untouched.
    QCOMPARE(preview->items().at(1).left, 1134);

    // "校准" opens the dialog on the preview's printer.
    preview->CmdCalibrateC()->click();
    auto *dialog = preview->findChild<CalibrationDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->printerName(), PrinterSettings::PdfChoice());
    QCOMPARE(dialog->page().verticalSpan, 50.0);
    QVERIFY(dialog->currentLabel()->text().contains(QStringLiteral("1.5/-0.5")));
    if (!qEnvironmentVariableIsEmpty("BILLPRINT_SCREENSHOTS")) {
        preview->grab().save(QStringLiteral("/tmp/calibration-preview.png"));
        dialog->grab().save(QStringLiteral("/tmp/calibration-dialog.png"));
    }
    dialog->setMeasurement({20, 20, 200, 50});
    QVERIFY(dialog->saveCalibration());
    QCOMPARE(preview->windowTitle(), PrinterSettings::PdfChoice()); // identity now
    dialog->setMeasurement({21, 20, 200, 50});
    QVERIFY(dialog->saveCalibration());
    QVERIFY(preview->windowTitle().contains(QStringLiteral("-1.0/0.0")));
    QVERIFY(preview->LblCaptionC()->text().contains(QStringLiteral("-1.0/0.0")));
    QVERIFY(dialog->clearCalibration());
    QCOMPARE(preview->windowTitle(), PrinterSettings::PdfChoice());
    QVERIFY(!preview->LblCaptionC()->text().contains(QStringLiteral("已校准")));
}

void TestCalibration::pagePdfGetsItsSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "page" << "page.pdf";
    QTest::newRow("pdf in capitals") << "PAGE.PDF" << "PAGE.PDF";
    QTest::newRow("dotted name") << "page.v2" << "page.v2.pdf";
}

void TestCalibration::pagePdfGetsItsSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    CalibrationDialog dialog(m_state->DbConnection, 12758, 4536, PrinterSettings::PdfChoice());
    dialog.show();
    // The clerk types a name into the file dialog and presses Return; the
    // dialog takes it once it has read the folder.
    const QString path = m_files.filePath(typed);
    bool answered = false;
    std::function<void()> answer = [&] {
        auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!files) {
            QTimer::singleShot(10, answer);
            return;
        }
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (name) {
            // Typing goes to the focused name box, as on a real screen.
            files->activateWindow();
            const bool active = QTest::qWaitForWindowActive(files);
            Q_UNUSED(active); // a name that does not arrive shows below as a failure
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, path);
            for (int tries = 0; tries < 100 && files->isVisible(); ++tries) {
                QTest::keyClick(name, Qt::Key_Return);
                if (files->isVisible())
                    QTest::qWait(20);
            }
        }
        answered = !files->isVisible();
        if (files->isVisible())
            files->reject();
    };
    QTimer::singleShot(0, answer);
    dialog.findChild<QPushButton *>(QStringLiteral("CmdCalibrationPage"))->click();
    QVERIFY(answered);
    QVERIFY2(QFile::exists(m_files.filePath(written)), qPrintable(QDir(m_files.path()).entryList().join(',')));
    if (written != typed)
        QVERIFY(!QFile::exists(path));
}

void TestCalibration::previewNeverPrintsTheForm()
{
    // A scanned form stored for the bill and shown in the preview.
    QImage scan(900, 320, QImage::Format_RGB32);
    scan.fill(Qt::black);
    scan.setDotsPerMeterX(qRound(100 / 0.0254));
    scan.setDotsPerMeterY(qRound(100 / 0.0254));
    const QString file = m_dir->filePath(QStringLiteral("scan.png"));
    QVERIFY(scan.save(file));
    FormBackground bg;
    QVERIFY(formbackground::readImageFile(file, bg).ok());
    bg.opacity = 1.0;
    QVERIFY(FormBackgroundStore(m_state->DbConnection).save(ChequeTable, bg).ok());
    m_state->FormBackgroundShown = true;

    Bill bill(*m_state);
    QWidget parent;
    parent.resize(1000, 600);
    auto *preview = new PrintPreview(*m_state, &parent);
    const QImage picture = preview->PictureC()->picture();
    QVERIFY(picture.pixelColor(5, 5).lightness() < 40); // the black scan is on screen

    const QString out = m_dir->filePath(QStringLiteral("printed.pdf"));
    preview->setPdfFileName(out);
    preview->CmbPrintersC_Click(preview->CmbPrintersC()->findText(PrinterSettings::PdfChoice()));
    QSignalSpy printed(preview, &PrintPreview::printed);
    preview->CmdPrint_Click();
    QCOMPARE(printed.count(), 1);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY(!bytes.contains("/Subtype /Image") && !bytes.contains("/Subtype/Image"));
}

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
