#pragma once
// The bill register's text search index: the one place where the search
// for "any text" differs between the file and the server.
//
// The search itself is always the same condition: the row's text column
// ("RegText", every value of the bill in lower case) or its void reason
// contains the typed text, LIKE with the wildcards escaped. An index only
// narrows down the rows that condition is tried on, so the rows found are
// the same with or without it:
//  - on the file, an FTS5 table with the trigram tokenizer holds the text
//    of each row under the row's rowid; rows added by a program that does
//    not feed it (rowids above the highest it holds) and voided rows are
//    always tried;
//  - on the server, a column "RegSearch" holds the text in a form whose
//    every character is a letter or digit to pg_trgm (a database created
//    with the C locale sees no letters in Chinese text), under a GIN
//    trigram index; rows without it (added by an older program) and voided
//    rows are always tried.
// A store that cannot keep an index (no FTS5, pg_trgm not installed and no
// right to install it) is searched as before, row by row.
#include "core/result.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

namespace registersearch {

// The server's column that holds the searchable form of the text.
inline constexpr const char *SearchColumn = "RegSearch";

// Gives a history table its search index when it has none, inside the
// caller's transaction: built from the rows already there. A store that
// cannot keep one is left as it is (and that is no failure).
Status ensure(QSqlDatabase &db, const QString &historyTable);

// ensure() for every history table, and the file's indexes whose table is
// gone are dropped.
Status ensureAll(QSqlDatabase &db);

// Drops the index of a history table that is about to be dropped, inside
// the caller's transaction.
Status drop(QSqlDatabase &db, const QString &historyTable);

// True when the table's text search goes through an index.
bool indexed(const QSqlDatabase &db, const QString &historyTable);

// The text as the server's search column holds it: every character that
// is not ASCII as three or four base-36 digits, the rest as it is. A text
// that contains another holds its form too, so a LIKE pattern in this form
// finds a superset of the rows.
QString serverForm(const QString &text);

// Feeds the index while the register adds rows: found once for a run of
// rows in one transaction.
class Feed {
public:
    Feed(const QSqlDatabase &db, const QString &historyTable);
    ~Feed();
    Feed(const Feed &) = delete;
    Feed &operator=(const Feed &) = delete;

    // Columns and values the new row needs beside its own (the server's
    // search column), from the row's text as it goes into "RegText".
    void addColumns(QStringList &columns, QVariantList &values, const QString &rowText) const;
    // After `insert` put a row in, its text `rowText`: indexes it, and any
    // row a program that does not feed the index added since.
    Status rowAdded(const QSqlQuery &insert, const QString &rowText);

private:
    struct Statements;
    QSqlDatabase m_db;
    QString m_history;
    QString m_textTable; // the file's FTS table, empty when there is none
    bool m_serverColumn = false;
    std::unique_ptr<Statements> m_statements;
    // The highest rowid the FTS table holds, once read: within the
    // transaction nobody else writes the file.
    qint64 m_highest = -1;
};

// The part of a WHERE clause that finds the rows whose text or void reason
// contains `lowered` (trimmed, lower case, not empty), with its values.
struct Condition {
    QString sql;
    QVariantList values;
    // The text is in so many rows that reading them newest first, with
    // the condition checked on each, finds the rows wanted sooner than
    // sorting every row that holds it.
    bool newestFirst = false;
};
// `wanted`: the number of rows the caller reads from the newest on (its
// offset and limit), 0 for all of them.
Condition textCondition(const QSqlDatabase &db, const QString &historyTable, const QString &lowered, int wanted);

} // namespace registersearch
