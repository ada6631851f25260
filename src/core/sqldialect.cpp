#include "core/sqldialect.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace sqldialect {

namespace {

QString quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

Status failed(const QSqlQuery &q, const QString &what)
{
    return Status::failure(QStringLiteral("%1: %2").arg(what, q.lastError().text()));
}

// Runs a catalog query and collects its first column.
QStringList firstColumn(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(statement);
    for (const QVariant &v : values)
        q.addBindValue(v);
    QStringList out;
    if (q.exec())
        while (q.next())
            out << q.value(0).toString();
    return out;
}

bool isDefinition(const QString &statement)
{
    static const QRegularExpression head(QStringLiteral("^\\s*(CREATE|ALTER)\\s+TABLE\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    return head.match(statement).hasMatch();
}

// The columns of an SQLite table with PRAGMA table_info (names cannot be
// bound there; the quoted name is safe).
Status fileColumns(const QSqlDatabase &db, const QString &table, QList<Column> &out)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        return failed(q, QStringLiteral("reading the columns of %1").arg(table));
    while (q.next())
        out.append({q.value(1).toString(), q.value(2).toString(), q.value(5).toInt() > 0});
    return {};
}

Status serverColumns(const QSqlDatabase &db, const QString &table, QList<Column> &out)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
        "EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = c.oid AND i.indisprimary "
        "AND a.attnum = ANY(i.indkey)) "
        "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = current_schema() AND c.relname = ? AND a.attnum > 0 AND NOT a.attisdropped "
        "ORDER BY a.attnum"));
    q.addBindValue(table);
    if (!q.exec())
        return failed(q, QStringLiteral("reading the columns of %1").arg(table));
    while (q.next())
        out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toBool()});
    return {};
}

QString adaptFor(bool server, const QString &statement)
{
    if (!server || !isDefinition(statement))
        return statement;
    static const QRegularExpression varchar(QStringLiteral("\\bVARCHAR\\s*\\(\\s*\\d+\\s*\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression blob(QStringLiteral("\\bBLOB\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression serial(
        QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY(\\s+AUTOINCREMENT)?\\b"),
        QRegularExpression::CaseInsensitiveOption);
    auto words = [&](QString part) {
        part.replace(varchar, QStringLiteral("VARCHAR"));
        part.replace(blob, QStringLiteral("BYTEA"));
        part.replace(serial, QStringLiteral("BIGSERIAL PRIMARY KEY"));
        return part;
    };
    // Only the words outside quoted names and texts change: a template may
    // well be called "BLOB".
    QString out, plain;
    QChar quote;
    for (const QChar c : statement) {
        if (quote.isNull() && (c == QLatin1Char('"') || c == QLatin1Char('\''))) {
            out += words(plain);
            plain.clear();
            quote = c;
            out += c;
        } else if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar(); // a doubled quote closes and reopens: same result
        } else {
            plain += c;
        }
    }
    return out + words(plain);
}

} // namespace

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

QString adapt(const QSqlDatabase &db, const QString &statement)
{
    return adaptFor(isServer(db), statement);
}

QString adapt(const QSqlQuery &q, const QString &statement)
{
    return adaptFor(q.driver() && q.driver()->dbmsType() == QSqlDriver::PostgreSQL, statement);
}


QStringList tables(const QSqlDatabase &db)
{
    if (isServer(db))
        return firstColumn(db, QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n "
                                              "ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                                              "AND c.relkind IN ('r', 'p') ORDER BY c.relname COLLATE \"C\""));
    // Ordinary tables only: the register's search index is a virtual
    // table with shadow tables of its own ("NAME_data" ...), none of them
    // the program's data.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QStringList names;
    QStringList virtuals;
    if (q.exec(QStringLiteral("SELECT name, sql LIKE 'CREATE VIRTUAL%' FROM sqlite_master WHERE type = 'table' "
                              "AND substr(name, 1, 7) <> 'sqlite_' ORDER BY name")))
        while (q.next())
            (q.value(1).toBool() ? virtuals : names) << q.value(0).toString();
    if (!virtuals.isEmpty())
        names.removeIf([&virtuals](const QString &name) {
            return std::any_of(virtuals.cbegin(), virtuals.cend(), [&name](const QString &v) {
                return name.startsWith(v + QLatin1Char('_'));
            });
        });
    return names;
}

Status columns(const QSqlDatabase &db, const QString &table, QList<Column> &out)
{
    out.clear();
    return isServer(db) ? serverColumns(db, table, out) : fileColumns(db, table, out);
}

QStringList columnNames(const QSqlDatabase &db, const QString &table)
{
    QList<Column> list;
    columns(db, table, list);
    QStringList names;
    for (const Column &c : std::as_const(list))
        names << c.name;
    return names;
}

QString portableType(const QString &declared, bool server)
{
    const QString t = declared.trimmed().toUpper();
    if (t.contains(QLatin1String("INT"))) {
        if (t == QLatin1String("SMALLINT"))
            return t;
        return server ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    }
    static const QRegularExpression sized(QStringLiteral("\\((\\d+)\\)"));
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB"))) {
        const auto m = sized.match(t);
        return m.hasMatch() ? QStringLiteral("VARCHAR(%1)").arg(m.captured(1)) : QStringLiteral("TEXT");
    }
    if (t.contains(QLatin1String("BLOB")) || t == QLatin1String("BYTEA"))
        return server ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")))
        return QStringLiteral("DOUBLE PRECISION");
    if (t.contains(QLatin1String("NUMERIC")) || t.contains(QLatin1String("DECIMAL")))
        return QStringLiteral("NUMERIC");
    if (t.startsWith(QLatin1String("BOOL")))
        return server ? QStringLiteral("BOOLEAN") : QStringLiteral("INTEGER");
    return QStringLiteral("TEXT");
}

QStringList indexDefinitions(const QSqlDatabase &db)
{
    if (isServer(db))
        return {};
    return firstColumn(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' "
                                          "AND sql IS NOT NULL ORDER BY name"));
}

int maxIdentifierBytes(const QSqlDatabase &db)
{
    return isServer(db) ? 63 : 0;
}

Status probe(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    const QString statement = isServer(db) ? QStringLiteral("SELECT 1")
                                           : QStringLiteral("SELECT COUNT(*) FROM sqlite_master");
    if (!q.exec(statement))
        return Status::failure(q.lastError().text().isEmpty() ? QStringLiteral("not a database")
                                                              : q.lastError().text());
    return {};
}

Status lockForSetup(const QSqlDatabase &db)
{
    if (!isServer(db))
        return {};
    QSqlQuery q(db);
    // One number for "setting up billprint's tables"; released at commit.
    if (!q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(2064121901)")))
        return failed(q, QStringLiteral("waiting for another workstation"));
    return {};
}

Status lockForNumbering(const QSqlDatabase &db, const QString &table)
{
    if (!isServer(db))
        return {};
    QSqlQuery q(db);
    // Readers go on; a second numbering writer waits for this one's commit.
    if (!q.exec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(quoted(table))))
        return failed(q, QStringLiteral("waiting to number a row of %1").arg(table));
    return {};
}

Status resyncSerial(const QSqlDatabase &db, const QString &table, const QString &column)
{
    if (!isServer(db))
        return {};
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), COALESCE(MAX(%1), 0) + 1, false) "
                             "FROM %2").arg(quoted(column), quoted(table)));
    q.addBindValue(quoted(table));
    q.addBindValue(column);
    if (!q.exec())
        return failed(q, QStringLiteral("numbering %1").arg(table));
    return {};
}

} // namespace sqldialect
