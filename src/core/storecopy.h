#pragma once
// Copying a whole store into another (a desk's file onto the office's
// server): every table with its columns, types, rows and indexes, read from
// the store's own table list, so tables added by later versions come along
// without code of their own.
#include "core/result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace storecopy {

struct TableRows {
    QString table;
    qint64 rows = 0;
};

// Copies every table of `from` into `to`, which must hold no tables, in one
// transaction on `to`: on failure `to` is left as it was. `copied` gets
// each table with the rows copied.
Status copyAll(const QSqlDatabase &from, const QSqlDatabase &to, QList<TableRows> &copied);

// The number of rows of each table of `db`, by name.
Status countRows(const QSqlDatabase &db, QList<TableRows> &counts);

} // namespace storecopy
