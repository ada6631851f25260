// The scanned form under the fields: reading PNG and JPEG files, storing it
// with the template, showing it in design mode and on request while filling
// in, refusing broken files, and keeping it out of every printed page.
#include "designfixture.h"
#include "core/units.h"
#include "workspace/formbackground.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

namespace {

constexpr double MmPerInch = 25.4;

// A fake scan of a paper form: white paper, a frame, a solid black box at
// 10..30 mm across and 10..20 mm down, and a few rules and captions.
QImage fakeForm(int dpi)
{
    const double perMm = dpi / MmPerInch;
    QImage image(qRound(225 * perMm), qRound(80 * perMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    QPainter p(&image);
    p.scale(perMm, perMm); // millimetres
    p.setPen(QPen(QColor(200, 40, 40), 0.4));
    p.drawRect(QRectF(3, 3, 219, 74));
    p.fillRect(QRectF(10, 10, 20, 10), Qt::black);
    for (double y = 30; y < 75; y += 9)
        p.drawLine(QPointF(40, y), QPointF(215, y));
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(5);
    p.setFont(f);
    p.drawText(QPointF(90, 12), QStringLiteral("中国某某银行  转账支票"));
    p.drawText(QPointF(40, 28), QStringLiteral("收款人："));
    p.drawText(QPointF(40, 37), QStringLiteral("人民币（大写）"));
    return image;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether a PDF holds an image object (Qt writes uncompressed dictionaries).
bool pdfHasImage(const QByteArray &pdf)
{
    return pdf.contains("/Subtype /Image") || pdf.contains("/Subtype/Image");
}

} // namespace

class TestFormBackground : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readsImageFiles_data();
    void readsImageFiles();
    void storeRoundTrip();
    void shownInDesignModeAndOnRequest();
    void placedAtItsPhysicalSize();
    void brokenFileRefusedNothingChanged();
    void removedByOneCommand();
    void neverPrinted();

private:
    QString png(int dpi);
    DesignFixture m_f;
    FormBackgroundController *m_bg = nullptr;
    QStringList m_messages;
};

void TestFormBackground::init()
{
    QVERIFY(m_f.open());
    m_bg = FormBackgroundController::attach(*m_f.win);
    m_messages.clear();
    m_bg->showMessage = [this](const QString &, const QString &text, bool) { m_messages << text; };
}

void TestFormBackground::cleanup()
{
    m_bg = nullptr;
    m_f.close();
}

QString TestFormBackground::png(int dpi)
{
    const QString path = m_f.dir->filePath(QStringLiteral("form%1.png").arg(dpi));
    fakeForm(dpi).save(path);
    return path;
}

void TestFormBackground::readsImageFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("dpi");
    QTest::newRow("PNG at 300 dpi") << "png" << true << 300.0;
    QTest::newRow("JPEG at 200 dpi") << "jpeg" << true << 200.0;
    QTest::newRow("PNG cut short") << "truncated" << false << 0.0;
    QTest::newRow("text named .png") << "text" << false << 0.0;
    QTest::newRow("BMP is not taken") << "bmp" << false << 0.0;
    QTest::newRow("missing file") << "missing" << false << 0.0;
}

void TestFormBackground::readsImageFiles()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);
    QFETCH(double, dpi);
    const QString path = m_f.dir->filePath(QStringLiteral("scan-%1.png").arg(kind));
    if (kind == QLatin1String("png") || kind == QLatin1String("truncated")) {
        fakeForm(300).save(path, "PNG");
        if (kind == QLatin1String("truncated"))
            QVERIFY(writeBytes(path, readBytes(path).left(200)));
    } else if (kind == QLatin1String("jpeg")) {
        QVERIFY(fakeForm(200).save(path, "JPEG"));
    } else if (kind == QLatin1String("bmp")) {
        QVERIFY(fakeForm(100).save(path, "BMP"));
    } else if (kind == QLatin1String("text")) {
        QVERIFY(writeBytes(path, "not an image at all"));
    }
    FormBackground bg;
    const StoreStatus s = formbackground::readImageFile(path, bg);
    QCOMPARE(s.ok(), accepted);
    if (accepted) {
        QCOMPARE(bg.dpi, dpi);
        QCOMPARE(bg.image, readBytes(path));
    } else {
        QVERIFY2(s.message.contains(QStringLiteral("scan-%1.png").arg(kind)), qPrintable(s.message));
    }
}

void TestFormBackground::storeRoundTrip()
{
    const FormBackgroundStore store(m_f.state->DbConnection);
    const QString table = QStringLiteral("类\"别_模'板");
    std::optional<FormBackground> got;
    QVERIFY(store.load(table, got).ok()); // no table yet: nothing, no error
    QVERIFY(!got);

    FormBackground bg;
    bg.image = readBytes(png(300));
    bg.dpi = 300;
    bg.offsetX = -57;
    bg.offsetY = 113;
    bg.opacity = 0.35;
    QVERIFY(store.save(table, bg).ok());
    bg.offsetX = 6;
    QVERIFY(store.save(table, bg).ok()); // replaces, never adds
    QVERIFY(store.save(QStringLiteral("other"), bg).ok());
    QVERIFY(store.load(table, got).ok());
    QVERIFY(got);
    QCOMPARE(got->image, bg.image);
    QCOMPARE(got->dpi, 300.0);
    QCOMPARE(got->offsetX, 6);
    QCOMPARE(got->offsetY, 113);
    QCOMPARE(got->opacity, 0.35);
    QSqlQuery q(QSqlDatabase::database(m_f.state->DbConnection));
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM \"FormBackground\"")) && q.next());
    QCOMPARE(q.value(0).toInt(), 2);

    QVERIFY(store.remove(table).ok());
    QVERIFY(store.load(table, got).ok());
    QVERIFY(!got);
    QVERIFY(store.load(QStringLiteral("other"), got).ok());
    QVERIFY(got);
}

void TestFormBackground::shownInDesignModeAndOnRequest()
{
    m_f.openForDesign();
    QCOMPARE(m_bg->table(), DesignFixture::Table);
    QVERIFY(!m_bg->layer()->isVisible());
    QVERIFY(m_bg->loadFile(png(300)).ok());
    QVERIFY(m_bg->layer()->isVisible());
    if (qEnvironmentVariableIsSet("BILLPRINT_SCREENSHOTS"))
        m_f.win->grab().save(QStringLiteral("/tmp/formbackground-design.png"));

    // Filling in: stored with the template, hidden until the view menu asks.
    m_f.state->DesignMode = 0;
    m_f.state->Registry.reset();
    m_f.win->UnloadCtl();
    QVERIFY(!m_bg->background());
    m_f.win->ReadAddCtl(DesignFixture::Table, 0);
    QVERIFY(m_bg->background());
    QVERIFY(!m_bg->layer()->isVisible());
    m_f.win->mViewSub_Click(MDIMain::ViewFormBackground);
    QVERIFY(m_f.state->FormBackgroundShown);
    QVERIFY(m_bg->layer()->isVisible());
    m_f.win->mViewSub_Click(MDIMain::ViewFormBackground);
    QVERIFY(!m_bg->layer()->isVisible());

    // Under every field control.
    const QWidget *surface = m_f.win->surface();
    QCOMPARE(surface->children().indexOf(m_bg->layer()), 0);
}

void TestFormBackground::placedAtItsPhysicalSize()
{
    m_f.openForDesign();
    QVERIFY(m_bg->loadFile(png(300)).ok());
    FormBackground placement = *m_bg->background();
    placement.opacity = 1.0;
    placement.offsetX = int(units::mmToTwips(5)); // nudged 5 mm right
    QVERIFY(m_bg->setPlacement(placement).ok());
    const QImage &image = m_bg->layer()->image();
    // 225 mm at 300 dpi is 225 mm on the bill.
    QCOMPARE(qRound(formbackground::twipsRect(*m_bg->background(), image.size()).width() / units::TwipsPerMm), 225);

    QImage shot(m_bg->layer()->size(), QImage::Format_RGB32);
    shot.fill(Qt::white);
    m_bg->layer()->render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    const auto at = [&](double xMm, double yMm) {
        return shot.pixelColor(units::twipsToPixels(units::mmToTwips(xMm)), units::twipsToPixels(units::mmToTwips(yMm)));
    };
    QVERIFY(at(25, 15).lightness() < 60);  // the black box, 10..30 mm plus 5 mm
    QVERIFY(at(12, 15).lightness() > 200); // left of it: moved away
    QVERIFY(at(33, 15).lightness() < 60);

    // Zoomed to 200 %, the scan grows with the fields over it.
    m_f.win->setZoom(2.0);
    QCOMPARE(m_bg->layer()->scale(), 2.0);
    QImage zoomed(m_bg->layer()->size(), QImage::Format_RGB32);
    zoomed.fill(Qt::white);
    m_bg->layer()->render(&zoomed, QPoint(), QRegion(), QWidget::DrawChildren);
    const auto atZoom = [&](double xMm, double yMm) {
        return zoomed.pixelColor(units::twipsToPixels(units::mmToTwips(xMm), 2.0),
                                 units::twipsToPixels(units::mmToTwips(yMm), 2.0));
    };
    QVERIFY(atZoom(33, 15).lightness() < 60);
    QVERIFY(atZoom(12, 15).lightness() > 200);
}

void TestFormBackground::brokenFileRefusedNothingChanged()
{
    m_f.openForDesign();
    QVERIFY(m_bg->loadFile(png(300)).ok());
    const QByteArray before = m_bg->background()->image;
    const QString broken = m_f.dir->filePath(QStringLiteral("broken.jpg"));
    QVERIFY(writeBytes(broken, QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, 'x')));
    const StoreStatus s = m_bg->loadFile(broken);
    QVERIFY(!s.ok());
    QVERIFY(s.message.contains(QStringLiteral("broken.jpg")));
    QVERIFY(s.message.contains(QStringLiteral("未改变")));
    QCOMPARE(m_bg->background()->image, before);
    QVERIFY(m_bg->layer()->isVisible());
    std::optional<FormBackground> stored;
    QVERIFY(FormBackgroundStore(m_f.state->DbConnection).load(DesignFixture::Table, stored).ok());
    QVERIFY(stored && stored->image == before);
}

void TestFormBackground::removedByOneCommand()
{
    m_f.openForDesign();
    QVERIFY(m_bg->loadFile(png(300)).ok());
    QVERIFY(m_bg->removeBackground().ok());
    QVERIFY(!m_bg->background());
    QVERIFY(!m_bg->layer()->isVisible());
    m_f.win->UnloadCtl();
    m_f.win->ReadAddCtl(DesignFixture::Table, 1);
    QVERIFY(!m_bg->background());
}

void TestFormBackground::neverPrinted()
{
    const QString exe = qEnvironmentVariable("BILLPRINT_EXE");
    if (exe.isEmpty())
        QSKIP("BILLPRINT_EXE is not set");
    m_f.openForDesign();
    QVERIFY(m_bg->loadFile(png(300)).ok());

    // The scan for image objects finds one where there is one.
    const QString control = m_f.dir->filePath(QStringLiteral("control.pdf"));
    {
        QPdfWriter writer(control);
        QPainter p(&writer);
        p.drawImage(QPoint(0, 0), m_bg->layer()->image());
    }
    QVERIFY(pdfHasImage(readBytes(control)));

    const QString pdf = m_f.dir->filePath(QStringLiteral("bill.pdf"));
    QProcess fill;
    fill.start(exe, {QStringLiteral("fill"), QStringLiteral("--db"), m_f.state->DatabasePath,
                     QStringLiteral("--template"), QStringLiteral("通用票据/通用凭证"), QStringLiteral("--pdf"), pdf});
    QVERIFY(fill.waitForFinished(60000));
    QCOMPARE(fill.exitCode(), 0);
    const QByteArray bytes = readBytes(pdf);
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY(!pdfHasImage(bytes));
}

QTEST_MAIN(TestFormBackground)
#include "tst_formbackground.moc"
