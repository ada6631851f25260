#pragma once
// The few places where SQLite and PostgreSQL differ. Everything else the
// program says to its store is one code path: bound values, quoted names,
// column types both understand. Statements pass through adapt() before they
// run, and the catalog (which tables and columns there are) is read here.
#include "core/result.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace sqldialect {

// True for a connection to a PostgreSQL server.
bool isServer(const QSqlDatabase &db);

// The statement as the connection's database wants it. On a server:
// VARCHAR(n) in a table definition becomes VARCHAR (SQLite never enforced
// the length, so longer texts must fit on the server too), BLOB becomes
// BYTEA and an auto-numbered INTEGER PRIMARY KEY a BIGSERIAL one.
QString adapt(const QSqlDatabase &db, const QString &statement);
QString adapt(const QSqlQuery &q, const QString &statement);

// The program's tables (not the database's own, nor virtual tables and
// their shadow tables), sorted by name. Qt's
// driver list on a server leaves out names such as "Inv..." and qualifies
// others by schema; this reads the current schema itself.
QStringList tables(const QSqlDatabase &db);

// One column of a table, in the table's order: its name, its declared type
// (as a definition on either database understands it) and whether it is
// the table's primary key.
struct Column {
    QString name;
    QString type;
    bool primaryKey = false;
};
Status columns(const QSqlDatabase &db, const QString &table, QList<Column> &out);
QStringList columnNames(const QSqlDatabase &db, const QString &table);

// The type a column declared on one database gets on the other.
QString portableType(const QString &declared, bool server);

// Index definitions of the store (CREATE INDEX statements), for copying.
QStringList indexDefinitions(const QSqlDatabase &db);

// The longest table or column name in bytes of UTF-8 (0: no limit). A
// server cuts longer names short, which would make two names one.
int maxIdentifierBytes(const QSqlDatabase &db);

// Checks that the connection reads as a database at all.
Status probe(const QSqlDatabase &db);

// Within a transaction: waits until no other workstation sets up the same
// empty server database (a no-op on a file, which is opened by one program).
Status lockForSetup(const QSqlDatabase &db);

// Within a transaction that numbers a new row from the largest number in
// `table`: keeps other workstations from taking the same number until the
// transaction ends (they wait). A file is written by one writer at a time
// anyway; there it does nothing.
Status lockForNumbering(const QSqlDatabase &db, const QString &table);

// After rows with explicit numbers went into an auto-numbered column: the
// next number follows the largest one (a no-op on a file).
Status resyncSerial(const QSqlDatabase &db, const QString &table, const QString &column);

} // namespace sqldialect
