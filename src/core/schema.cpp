#include "core/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace schema {

bool hasColumn(QSqlDatabase &db, const QString &table, const QString &column)
{
    return db.record(table).indexOf(column) >= 0;
}

const QList<Step> &steps()
{
    // Each new table or column of a later version gets one step here.
    static const QList<Step> all{};
    return all;
}

StoreStatus upgrade(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (steps().isEmpty())
        return {};
    if (!db.transaction())
        return StoreStatus::failure(QStringLiteral("升级数据库失败（%1）").arg(db.lastError().text()));
    for (const Step &step : steps()) {
        const StoreStatus s = step.apply(db);
        if (!s) {
            db.rollback();
            return StoreStatus::failure(QStringLiteral("升级数据库失败：%1（%2）")
                                            .arg(QString::fromLatin1(step.name), s.message));
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return StoreStatus::failure(QStringLiteral("升级数据库失败（%1）").arg(why));
    }
    return {};
}

} // namespace schema
