#include "core/storecopy.h"
#include "core/sqldialect.h"
#include "core/sqlhelpers.h"
#include "core/templatestore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace storecopy {

namespace {

QString quoted(const QString &name) { return TemplateStore::quoteIdentifier(name); }

// The column that numbers the rows by itself: a table's only key column,
// when it holds whole numbers. Empty for none.
QString serialKey(const QList<sqldialect::Column> &columns)
{
    QString key;
    int keys = 0;
    for (const sqldialect::Column &c : columns)
        if (c.primaryKey) {
            ++keys;
            if (sqldialect::portableType(c.type, true).contains(QLatin1String("INT")))
                key = c.name;
        }
    return keys == 1 ? key : QString();
}

// CREATE TABLE for `table` on the target, from the source's columns.
QString definition(const QString &table, const QList<sqldialect::Column> &columns, bool server)
{
    const QString serial = serialKey(columns);
    QStringList parts;
    QStringList keys;
    for (const sqldialect::Column &c : columns) {
        if (c.name == serial) {
            parts << QStringLiteral("%1 %2").arg(quoted(c.name), server ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                                                        : QStringLiteral("INTEGER PRIMARY KEY"));
            continue;
        }
        parts << QStringLiteral("%1 %2").arg(quoted(c.name), sqldialect::portableType(c.type, server));
        if (c.primaryKey)
            keys << quoted(c.name);
    }
    if (!keys.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QLatin1Char(',')));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table), parts.join(QStringLiteral(", ")));
}

Status copyRows(const QSqlDatabase &from, const QSqlDatabase &to, const QString &table,
                const QList<sqldialect::Column> &columns, qint64 &rows)
{
    QStringList names;
    for (const sqldialect::Column &c : columns)
        names << quoted(c.name);
    QSqlQuery read(from);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1Char(',')), quoted(table))))
        return sql::failure(read, QStringLiteral("读取表 %1 失败").arg(table));
    QSqlQuery write(to);
    if (!write.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(quoted(table), names.join(QLatin1Char(',')),
                                QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')))))
        return sql::failure(write, QStringLiteral("写入表 %1 失败").arg(table));
    rows = 0;
    while (read.next()) {
        for (int i = 0; i < names.size(); ++i)
            write.addBindValue(read.value(i));
        if (!write.exec())
            return sql::failure(write, QStringLiteral("写入表 %1 的第 %2 行失败").arg(table).arg(rows + 1));
        ++rows;
    }
    if (read.lastError().isValid())
        return sql::failure(read, QStringLiteral("读取表 %1 失败").arg(table));
    // Rows added later are numbered after the copied ones.
    if (const QString key = serialKey(columns); !key.isEmpty())
        return sqldialect::resyncSerial(to, table, key);
    return {};
}

Status copyTables(const QSqlDatabase &from, const QSqlDatabase &to, QList<TableRows> &copied)
{
    const bool server = sqldialect::isServer(to);
    QSqlQuery q(to);
    for (const QString &table : sqldialect::tables(from)) {
        QList<sqldialect::Column> columns;
        if (Status s = sqldialect::columns(from, table, columns); !s)
            return s;
        if (!sql::run(q, definition(table, columns, server)))
            return sql::failure(q, QStringLiteral("建立表 %1 失败").arg(table));
        TableRows done{table, 0};
        if (Status s = copyRows(from, to, table, columns, done.rows); !s)
            return s;
        copied << done;
    }
    for (const QString &index : sqldialect::indexDefinitions(from))
        if (!sql::run(q, index))
            return sql::failure(q, QStringLiteral("建立索引失败"));
    return {};
}

} // namespace

Status copyAll(const QSqlDatabase &from, const QSqlDatabase &to, QList<TableRows> &copied)
{
    copied.clear();
    if (!sqldialect::tables(to).isEmpty())
        return Status::failure(QStringLiteral("目标数据库中已经有数据表；为免覆盖，只复制到空的数据库"));
    QSqlDatabase target = to;
    if (!target.transaction())
        return Status::failure(QStringLiteral("无法开始复制：%1").arg(target.lastError().text()));
    Status s = copyTables(from, to, copied);
    if (s && !target.commit())
        s = Status::failure(QStringLiteral("无法完成复制：%1").arg(target.lastError().text()));
    if (!s) {
        target.rollback();
        copied.clear();
    }
    return s;
}

Status countRows(const QSqlDatabase &db, QList<TableRows> &counts)
{
    counts.clear();
    QSqlQuery q(db);
    for (const QString &table : sqldialect::tables(db)) {
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(table))) || !q.next())
            return sql::failure(q, QStringLiteral("数表 %1 的行失败").arg(table));
        counts << TableRows{table, q.value(0).toLongLong()};
    }
    return {};
}

} // namespace storecopy
