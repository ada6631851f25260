#pragma once
// Small helpers shared by every table the program keeps: a statement with
// bound values, a failed query as a status, and the replace-one-row save.
#include "core/templatestore.h"
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace sql {

// The error number of a change refused because the database is read-only
// (SQLite's own number for it).
inline constexpr int ReadOnlyError = 8;

// Refuses a change to a database opened read-only (one the user cannot
// write), with a message saying so; fine otherwise.
StoreStatus writable(const QSqlDatabase &db);

// Prepares `statement`, binds `values` in order and runs it (without values:
// runs it as it is, as a server cannot prepare a table definition).
bool run(QSqlQuery &q, const QString &statement, const QVariantList &values = {});

// The failed query as a status: "what: the driver's message" (for a Chinese
// sentence "what（the driver's message）"); logged.
StoreStatus failure(const QSqlQuery &q, const QString &what);

// Ends the transaction open on `db`: commits when `s` is fine, rolls back
// otherwise (and when the commit fails). Returns `s`, or the commit's failure.
StoreStatus endTransaction(QSqlDatabase &db, const StoreStatus &s);

// Replaces the rows of `table` whose `keyColumn` equals values[0] with one
// row of `columns` (keyColumn first) holding `values`, in one transaction:
// on failure the old row stays.
StoreStatus replaceRow(QSqlDatabase db, const QString &table, const QStringList &columns,
                       const QVariantList &values, const QString &what);

} // namespace sql
