#include "core/sqlhelpers.h"
#include <QLoggingCategory>
#include <QSqlError>
#include "core/sqldialect.h"

Q_LOGGING_CATEGORY(lcSql, "billprint.sql")

namespace sql {

StoreStatus writable(const QSqlDatabase &db)
{
    if (!db.connectOptions().contains(QLatin1String("QSQLITE_OPEN_READONLY")))
        return {};
    return StoreStatus::failure(QStringLiteral("数据库是只读的（没有写入这个文件或其文件夹的权限），不能保存修改：%1")
                                    .arg(db.databaseName()),
                                ReadOnlyError);
}

StoreStatus endTransaction(QSqlDatabase &db, const StoreStatus &s)
{
    if (!s) {
        db.rollback();
        return s;
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return StoreStatus::failure(why);
    }
    return {};
}

bool run(QSqlQuery &q, const QString &statement, const QVariantList &values)
{
    // A server prepares only queries and row changes, not table definitions.
    if (values.isEmpty())
        return q.exec(sqldialect::adapt(q, statement));
    if (!q.prepare(sqldialect::adapt(q, statement)))
        return false;
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

namespace {

// "what: detail", or for a Chinese sentence "what（detail）": the driver's
// message is the technical detail after it.
QString withDetail(const QString &what, const QString &detail)
{
    for (const QChar c : what)
        if (c.script() == QChar::Script_Han)
            return QStringLiteral("%1（%2）").arg(what, detail);
    return QStringLiteral("%1: %2").arg(what, detail);
}

} // namespace

StoreStatus failure(const QSqlQuery &q, const QString &what)
{
    const QSqlError e = q.lastError();
    const QString text = e.text().trimmed().isEmpty() ? QStringLiteral("unknown error") : e.text();
    qCWarning(lcSql) << what << text;
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return StoreStatus::failure(withDetail(what, text), ok && code ? code : 1);
}

StoreStatus replaceRow(QSqlDatabase db, const QString &table, const QStringList &columns,
                       const QVariantList &values, const QString &what)
{
    if (StoreStatus w = writable(db); !w)
        return w;
    QStringList quoted;
    for (const QString &c : columns)
        quoted << TemplateStore::quoteIdentifier(c);
    const QString t = TemplateStore::quoteIdentifier(table);
    if (!db.transaction())
        return StoreStatus::failure(withDetail(what, db.lastError().text()));
    QSqlQuery q(db);
    const bool done =
        run(q, QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(t, quoted.first()), {values.value(0)})
        && run(q,
               QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(t, quoted.join(QLatin1Char(',')),
                        QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))),
               values);
    if (!done) {
        const StoreStatus s = failure(q, what);
        q.finish();
        db.rollback();
        return s;
    }
    q.finish();
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return StoreStatus::failure(withDetail(what, why));
    }
    return {};
}

} // namespace sql
