#pragma once
// Opening and closing the one database connection, the default database
// shipped with the program, and the application record.
#include "core/appstate.h"
#include "core/templatestore.h"
#include <QString>

namespace database {

// The error number of a status for a damaged database file (SQLite's own).
inline constexpr int DamagedError = 11;

// Where the database lives: --db wins; then DB/BillDB.db beside the
// executable when it exists; then $XDG_DATA_HOME/billprint/DB/BillDB.db.
QString resolvePath(const QString &dbArgument, const QString &programDir);

// Creates a new default database at `path` (folders included) when no file
// is there. An existing file is never touched; a link to a missing file is
// refused; after a failure only what this call made is removed.
StoreStatus ensureExists(const QString &path);

// Runs the default database's SQL on an open connection.
StoreStatus createDefaultSchema(const QString &connectionName);

// Checks that the open connection is a usable billprint database: readable,
// not damaged, with the tables the program needs.
StoreStatus checkUsable(const QString &connectionName);

// SQLite's quick check of every page; fails naming the damage.
StoreStatus checkIntegrity(const QString &connectionName);

// True when the user can write the file and the folder that holds it (where
// the journal goes while a change is saved).
bool isWritable(const QString &path);

} // namespace database

// Opens `path` as the state's one connection (closing an open one first).
// On failure the connection is closed and the reason kept in
// state.DatabaseError; returns 0 or an error number. A database the user
// cannot write opens read-only (state.DatabaseReadOnly), untouched.
int OpenDatabase(AppState &state, const QString &path);
int CloseDatabase(AppState &state);

// With level below 1 and what 100, reads the application record into the
// state; returns the last value read (or `value` when nothing was read).
QString ReadAppInfo(AppState &state, int level, int what, const QString &value);

// The start-up steps before the main window: path, connection, menu names,
// application record, default bill size and splitter position.
void StartUp(AppState &state, const QString &dbArgument, const QString &programDir);
