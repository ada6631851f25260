#pragma once
// Bringing a database made by an earlier version of the program up to what
// this version keeps: tables and columns it adds, each step idempotent, all
// of them in one transaction. A database that cannot be written is left as
// it is (the features that need the new tables then say so).
#include "core/templatestore.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace schema {

// One upgrade step: checks what is there and adds what is missing.
struct Step {
    const char *name;
    std::function<StoreStatus(QSqlDatabase &)> apply;
};

// The steps, in the order they run.
const QList<Step> &steps();

// Runs every step in one transaction; a failing step rolls all back.
StoreStatus upgrade(const QString &connectionName);

// Adds an item to a menu group of the interface texts after its last one,
// unless an item with that caption is there already (shown: "是").
StoreStatus addMenuItem(QSqlDatabase &db, const QString &group, const QString &caption);

// True when `table` has a column named `column`.
bool hasColumn(QSqlDatabase &db, const QString &table, const QString &column);

} // namespace schema
