#include "core/formbackground.h"
#include "core/sqlhelpers.h"
#include "core/units.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QPainter>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

Q_LOGGING_CATEGORY(lcBackgroundStore, "billprint.formbackground.store")

namespace formbackground {

QString tableName()
{
    return QStringLiteral("FormBackground");
}

bool decode(const QByteArray &bytes, QImage &image, QString *why)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format().toLower();
    if (format != "png" && format != "jpeg" && format != "jpg") {
        if (why)
            *why = QStringLiteral("不是 PNG 或 JPEG 图像");
        return false;
    }
    QImage read = reader.read();
    if (read.isNull()) {
        if (why)
            *why = reader.errorString();
        return false;
    }
    image = read;
    return true;
}

StoreStatus readImageFile(const QString &path, FormBackground &out)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoreStatus::failure(QStringLiteral("无法打开图像文件“%1”：%2").arg(name, file.errorString()));
    const QByteArray bytes = file.readAll();
    QImage image;
    QString why;
    if (!decode(bytes, image, &why))
        return StoreStatus::failure(
            QStringLiteral("“%1”不是可用的 PNG 或 JPEG 图像（%2），纸样背景未改变。").arg(name, why));
    FormBackground bg;
    bg.image = bytes;
    const double dpi = image.dotsPerMeterX() * 0.0254;
    if (dpi >= MinDpi && dpi <= MaxDpi)
        bg.dpi = std::round(dpi * 10.0) / 10.0;
    out = bg;
    return {};
}

QRectF twipsRect(const FormBackground &bg, const QSize &imagePixels)
{
    const double perDot = units::TwipsPerInch / qBound(MinDpi, bg.dpi, MaxDpi);
    return QRectF(bg.offsetX, bg.offsetY, imagePixels.width() * perDot, imagePixels.height() * perDot);
}

void paint(QPainter &painter, const FormBackground &bg, const QImage &image)
{
    if (image.isNull())
        return;
    painter.save();
    painter.setOpacity(qBound(MinOpacity, bg.opacity, 1.0));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(twipsRect(bg, image.size()), image);
    painter.restore();
}

} // namespace formbackground

// ---- store -----------------------------------------------------------------

namespace {

using sql::run;

StoreStatus failed(const QSqlQuery &q, const QString &what) { return sql::failure(q, what); }

QString quotedTable() { return TemplateStore::quoteIdentifier(formbackground::tableName()); }

} // namespace

FormBackgroundStore::FormBackgroundStore(const QString &connectionName) : m_store(connectionName) {}

StoreStatus FormBackgroundStore::ensureTable() const
{
    if (m_store.tableExists(formbackground::tableName()))
        return {};
    QSqlDatabase db = m_store.database();
    // The one spot that differs between SQLite and PostgreSQL: the byte type.
    const QString bytes = db.driverName() == QLatin1String("QPSQL") ? QStringLiteral("BYTEA")
                                                                    : QStringLiteral("BLOB");
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("CREATE TABLE %1 (\"templateTable\" VARCHAR(255), \"image\" %2, "
                               "\"dpi\" DOUBLE PRECISION, \"offsetX\" INTEGER, \"offsetY\" INTEGER, "
                               "\"opacity\" DOUBLE PRECISION)")
                    .arg(quotedTable(), bytes)))
        return failed(q, QStringLiteral("creating the form background table"));
    return {};
}

StoreStatus FormBackgroundStore::load(const QString &templateTable, std::optional<FormBackground> &out) const
{
    out.reset();
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (!m_store.tableExists(formbackground::tableName()))
        return {};
    QSqlQuery q(m_store.database());
    if (!run(q,
             QStringLiteral("SELECT \"image\",\"dpi\",\"offsetX\",\"offsetY\",\"opacity\" FROM %1 "
                            "WHERE \"templateTable\"=?")
                 .arg(quotedTable()),
             {templateTable}))
        return failed(q, QStringLiteral("reading the form background of %1").arg(templateTable));
    if (q.next()) {
        FormBackground bg;
        bg.image = q.value(0).toByteArray();
        bg.dpi = q.value(1).toDouble();
        bg.offsetX = q.value(2).toInt();
        bg.offsetY = q.value(3).toInt();
        bg.opacity = q.value(4).toDouble();
        out = bg;
    }
    return {};
}

StoreStatus FormBackgroundStore::save(const QString &templateTable, const FormBackground &bg) const
{
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (StoreStatus w = sql::writable(m_store.database()); !w)
        return w;
    if (StoreStatus s = ensureTable(); !s)
        return s;
    return sql::replaceRow(m_store.database(), formbackground::tableName(),
                           {QStringLiteral("templateTable"), QStringLiteral("image"), QStringLiteral("dpi"),
                            QStringLiteral("offsetX"), QStringLiteral("offsetY"), QStringLiteral("opacity")},
                           {templateTable, bg.image, bg.dpi, bg.offsetX, bg.offsetY, bg.opacity},
                           QStringLiteral("writing the form background of %1").arg(templateTable));
}

StoreStatus FormBackgroundStore::remove(const QString &templateTable) const
{
    if (!m_store.isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    if (StoreStatus w = sql::writable(m_store.database()); !w)
        return w;
    if (!m_store.tableExists(formbackground::tableName()))
        return {};
    QSqlQuery q(m_store.database());
    if (!run(q, QStringLiteral("DELETE FROM %1 WHERE \"templateTable\"=?").arg(quotedTable()), {templateTable}))
        return failed(q, QStringLiteral("removing the form background of %1").arg(templateTable));
    return {};
}


