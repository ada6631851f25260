#include "core/calibration.h"
#include "core/sqlhelpers.h"
#include "core/sqldialect.h"
#include "core/units.h"
#include "core/billrenderer.h"
#include <QLoggingCategory>
#include <QPainter>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>
#include <cmath>

Q_LOGGING_CATEGORY(lcCalibration, "billprint.calibration")

namespace {

double roundTo(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

double twipsOf(double mm) { return mm * units::TwipsPerMm; }

QString mm1(double v) { return QString::number(v, 'f', 1); }

// The A4 landscape paper the calibration page is printed on.
constexpr double PaperWidthMm = 297.0;
constexpr double PaperHeightMm = 210.0;

} // namespace

// ---- model -----------------------------------------------------------------

bool PrinterCalibration::isIdentity() const
{
    return offsetX == 0.0 && offsetY == 0.0 && scaleX == 100.0 && scaleY == 100.0;
}

QTransform PrinterCalibration::transform() const
{
    return QTransform(scaleX / 100.0, 0, 0, scaleY / 100.0, twipsOf(offsetX), twipsOf(offsetY));
}

QString PrinterCalibration::summary() const
{
    return QStringLiteral("偏移 %1/%2 毫米，比例 %3%/%4%")
        .arg(mm1(offsetX), mm1(offsetY), QString::number(scaleX, 'f', 2),
             QString::number(scaleY, 'f', 2));
}

CalibrationPage CalibrationPage::forBill(int widthTwips, int heightTwips)
{
    CalibrationPage page;
    if (widthTwips > 0 && heightTwips > 0)
        page.billMm = QSizeF(units::twipsToMm(widthTwips), units::twipsToMm(heightTwips));
    const double height = page.billMm.height();
    if (height >= 50.0)
        page.verticalSpan = std::min(160.0, std::floor((height - page.crossAt - 10.0) / 10.0) * 10.0);
    return page;
}

namespace calibration {

QString pdfPrinterName()
{
    return QStringLiteral("PDF 文件");
}

QString tableName()
{
    return QStringLiteral("PrinterCalibration");
}

QString workstationName()
{
    const QString given = qEnvironmentVariable("BILLPRINT_WORKSTATION");
    return given.isEmpty() ? QSysInfo::machineHostName() : given;
}

std::optional<PrinterCalibration> compute(const QString &printerName, const CalibrationPage &page,
                                          const CalibrationMeasurement &measured, QString *why)
{
    const auto refuse = [why](const QString &text) -> std::optional<PrinterCalibration> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const auto plausible = [](double measuredSpan, double nominal) {
        return std::isfinite(measuredSpan) && measuredSpan >= nominal * 0.8 && measuredSpan <= nominal * 1.2;
    };
    if (!plausible(measured.horizontal, page.horizontalSpan))
        return refuse(QStringLiteral("横向两十字的间距 %1 毫米与 %2 毫米相差太大，请重新测量")
                          .arg(mm1(measured.horizontal), mm1(page.horizontalSpan)));
    if (!plausible(measured.vertical, page.verticalSpan))
        return refuse(QStringLiteral("纵向两十字的间距 %1 毫米与 %2 毫米相差太大，请重新测量")
                          .arg(mm1(measured.vertical), mm1(page.verticalSpan)));
    if (!std::isfinite(measured.crossX) || !std::isfinite(measured.crossY)
        || std::abs(measured.crossX - page.crossAt) > 30.0
        || std::abs(measured.crossY - page.crossAt) > 30.0)
        return refuse(QStringLiteral("十字的位置与 %1 毫米相差超过 30 毫米，请重新测量").arg(mm1(page.crossAt)));

    // The printer puts a point p at p * s + o. Printing p * (1/s) - o/s
    // instead makes it land at p.
    const double sx = measured.horizontal / page.horizontalSpan;
    const double sy = measured.vertical / page.verticalSpan;
    const double ox = measured.crossX - page.crossAt * sx;
    const double oy = measured.crossY - page.crossAt * sy;
    PrinterCalibration c;
    c.printerName = printerName;
    c.scaleX = roundTo(100.0 / sx, 2);
    c.scaleY = roundTo(100.0 / sy, 2);
    c.offsetX = roundTo(-ox / sx, 1) + 0.0; // + 0.0 turns -0.0 into 0.0
    c.offsetY = roundTo(-oy / sy, 1) + 0.0;
    return c;
}

namespace {

QPen thinPen()
{
    QPen pen(Qt::black);
    pen.setWidthF(twipsOf(0.2));
    return pen;
}

void drawScale(QPainter &p, bool horizontal, double lengthMm)
{
    p.setFont(BillRenderer::printFont(6));
    for (int mm = 0; mm <= int(lengthMm); ++mm) {
        const double tick = mm % 10 == 0 ? 5.0 : (mm % 5 == 0 ? 3.0 : 1.5);
        const double at = twipsOf(mm);
        if (horizontal)
            p.drawLine(QPointF(at, 0), QPointF(at, twipsOf(tick)));
        else
            p.drawLine(QPointF(0, at), QPointF(twipsOf(tick), at));
        if (mm % 10 == 0 && mm > 0 && mm + 5 < lengthMm) {
            const QString n = QString::number(mm);
            if (horizontal)
                p.drawText(QPointF(at + twipsOf(0.5), twipsOf(7.5)), n);
            else
                p.drawText(QPointF(twipsOf(5.5), at + twipsOf(1.0)), n);
        }
    }
}

void drawCross(QPainter &p, double xMm, double yMm)
{
    const QPointF c(twipsOf(xMm), twipsOf(yMm));
    const double arm = twipsOf(5.0);
    p.drawLine(c - QPointF(arm, 0), c + QPointF(arm, 0));
    p.drawLine(c - QPointF(0, arm), c + QPointF(0, arm));
    p.drawEllipse(c, twipsOf(1.0), twipsOf(1.0));
    p.setFont(BillRenderer::printFont(7));
    p.drawText(c + QPointF(twipsOf(1.5), twipsOf(-1.5)),
               QStringLiteral("%1/%2").arg(xMm, 0, 'f', 0).arg(yMm, 0, 'f', 0));
}

} // namespace

void paintPage(QPainter &painter, const CalibrationPage &page)
{
    painter.save();
    painter.setPen(thinPen());
    painter.setBrush(Qt::NoBrush);
    drawScale(painter, true, PaperWidthMm);
    drawScale(painter, false, PaperHeightMm);
    if (!page.billMm.isEmpty()) {
        QPen dashed = thinPen();
        dashed.setStyle(Qt::DashLine);
        painter.setPen(dashed);
        painter.drawRect(QRectF(0, 0, twipsOf(page.billMm.width()), twipsOf(page.billMm.height())));
        painter.setPen(thinPen());
    }
    const double a = page.crossAt;
    drawCross(painter, a, a);
    drawCross(painter, a + page.horizontalSpan, a);
    drawCross(painter, a, a + page.verticalSpan);

    painter.setFont(BillRenderer::printFont(9));
    const double left = twipsOf(a + 12.0);
    const double line = BillRenderer::lineHeight(9);
    double top = twipsOf(a + 6.0);
    for (const QString &text :
         {QStringLiteral("打印机校准页"),
          QStringLiteral("1. 量出十字 %1/%1 的中心到纸张左边和上边的距离。").arg(a, 0, 'f', 0),
          QStringLiteral("2. 量出横向两十字（标称 %1 毫米）和纵向两十字（标称 %2 毫米）的间距。")
              .arg(page.horizontalSpan, 0, 'f', 0)
              .arg(page.verticalSpan, 0, 'f', 0),
          QStringLiteral("3. 在校准对话框中填入这些数值并保存。")}) {
        painter.drawText(QPointF(left, top), text);
        top += line;
    }
    painter.restore();
}

} // namespace calibration

// ---- store -----------------------------------------------------------------

namespace {

using sql::run;

StoreStatus failed(const QSqlQuery &q, const QString &what) { return sql::failure(q, what); }

QString table() { return TemplateStore::quoteIdentifier(calibration::tableName()); }

// Rows of one printer at one workstation (Null counts as "").
const char *const OneRow = "\"printerName\"=? AND COALESCE(\"workstation\", '')=?";

} // namespace

CalibrationStore::CalibrationStore(const QString &connectionName) : m_store(connectionName) {}

QString CalibrationStore::workstation() const
{
    // An empty text, not Null, so that it compares equal.
    return sqldialect::isServer(m_store.database()) ? calibration::workstationName() : QStringLiteral("");
}

bool CalibrationStore::hasWorkstationColumn() const
{
    return sqldialect::columnNames(m_store.database(), calibration::tableName()).contains(QLatin1String("workstation"));
}

StoreStatus CalibrationStore::ensureTable() const
{
    QSqlQuery q(m_store.database());
    if (!m_store.tableExists(calibration::tableName())) {
        if (!run(q, QStringLiteral("CREATE TABLE %1 (\"printerName\" VARCHAR(255), \"offsetX\" DOUBLE PRECISION, "
                                   "\"offsetY\" DOUBLE PRECISION, \"scaleX\" DOUBLE PRECISION, "
                                   "\"scaleY\" DOUBLE PRECISION, \"workstation\" VARCHAR(255))")
                        .arg(table())))
            return failed(q, QStringLiteral("creating the calibration table"));
    } else if (!hasWorkstationColumn()) {
        if (!run(q, QStringLiteral("ALTER TABLE %1 ADD COLUMN \"workstation\" VARCHAR(255)").arg(table())))
            return failed(q, QStringLiteral("adding the workstation to the calibration table"));
    }
    return {};
}

StoreStatus CalibrationStore::load(const QString &printerName, std::optional<PrinterCalibration> &out) const
{
    out.reset();
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (!m_store.tableExists(calibration::tableName()))
        return {};
    QSqlQuery q(m_store.database());
    const bool perStation = hasWorkstationColumn();
    if (!perStation && !workstation().isEmpty())
        return {}; // no workstation has calibrated on this server yet
    const QString select = QStringLiteral("SELECT \"offsetX\",\"offsetY\",\"scaleX\",\"scaleY\" FROM %1 WHERE %2")
                               .arg(table(), perStation ? QLatin1String(OneRow) : QLatin1String("\"printerName\"=?"));
    if (!run(q, select, perStation ? QVariantList{printerName, workstation()} : QVariantList{printerName}))
        return failed(q, QStringLiteral("reading the calibration of %1").arg(printerName));
    if (q.next()) {
        PrinterCalibration c;
        c.printerName = printerName;
        c.offsetX = q.value(0).toDouble();
        c.offsetY = q.value(1).toDouble();
        c.scaleX = q.value(2).toDouble();
        c.scaleY = q.value(3).toDouble();
        if (c.scaleX <= 0.0 || c.scaleY <= 0.0)
            return StoreStatus::failure(QStringLiteral("the calibration of %1 has no usable scale").arg(printerName));
        out = c;
    }
    return {};
}

StoreStatus CalibrationStore::save(const PrinterCalibration &c) const
{
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (StoreStatus w = sql::writable(m_store.database()); !w)
        return w;
    if (c.scaleX <= 0.0 || c.scaleY <= 0.0)
        return StoreStatus::failure(QStringLiteral("a scale must be above 0 %"));
    if (StoreStatus s = ensureTable(); !s)
        return s;
    QSqlDatabase db = m_store.database();
    const QString what = QStringLiteral("writing the calibration of %1").arg(c.printerName);
    if (!db.transaction())
        return StoreStatus::failure(QStringLiteral("%1: %2").arg(what, db.lastError().text()));
    QSqlQuery q(db);
    const bool done =
        run(q, QStringLiteral("DELETE FROM %1 WHERE %2").arg(table(), QLatin1String(OneRow)),
            {c.printerName, workstation()})
        && run(q, QStringLiteral("INSERT INTO %1 (\"printerName\",\"offsetX\",\"offsetY\",\"scaleX\",\"scaleY\","
                                 "\"workstation\") VALUES (?,?,?,?,?,?)").arg(table()),
               {c.printerName, c.offsetX, c.offsetY, c.scaleX, c.scaleY, workstation()});
    if (!done || !db.commit()) {
        const StoreStatus s = done ? StoreStatus::failure(QStringLiteral("%1: %2").arg(what, db.lastError().text()))
                                   : failed(q, what);
        q.finish();
        db.rollback();
        return s;
    }
    return {};
}

StoreStatus CalibrationStore::remove(const QString &printerName) const
{
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (StoreStatus w = sql::writable(m_store.database()); !w)
        return w;
    if (!m_store.tableExists(calibration::tableName()))
        return {};
    QSqlQuery q(m_store.database());
    const bool perStation = hasWorkstationColumn();
    if (!perStation && !workstation().isEmpty())
        return {};
    if (!run(q, QStringLiteral("DELETE FROM %1 WHERE %2")
                    .arg(table(), perStation ? QLatin1String(OneRow) : QLatin1String("\"printerName\"=?")),
             perStation ? QVariantList{printerName, workstation()} : QVariantList{printerName}))
        return failed(q, QStringLiteral("removing the calibration of %1").arg(printerName));
    return {};
}

StoreStatus CalibrationStore::claimUnassigned() const
{
    if (workstation().isEmpty() || !m_store.tableExists(calibration::tableName()))
        return {};
    if (StoreStatus s = ensureTable(); !s)
        return s;
    QSqlQuery q(m_store.database());
    if (!run(q, QStringLiteral("UPDATE %1 SET \"workstation\"=? WHERE COALESCE(\"workstation\", '')=''").arg(table()),
             {workstation()}))
        return failed(q, QStringLiteral("taking over the calibrations"));
    return {};
}

PrinterCalibration CalibrationStore::inForce(const QString &printerName) const
{
    std::optional<PrinterCalibration> c;
    if (!m_store.isOpen())
        c.reset(); // no database: nothing calibrated
    else if (const StoreStatus s = load(printerName, c); !s)
        qCWarning(lcCalibration) << s.message;
    if (c)
        return *c;
    PrinterCalibration none;
    none.printerName = printerName;
    return none;
}
