#pragma once
// The bill register: every printed bill as one row of its template's history
// table ("H_" + table). Each field's value goes into the column named by the
// field's key; the register's own columns say when and where it printed,
// who printed it and whether it was voided. Rows are never deleted: a voided
// row stays, marked, with its reason.
//
// Statements are plain SQL with bound values and quoted names, so that any
// Qt SQL driver the store runs on takes them.
#include "core/billdocument.h"
#include "core/result.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace billregister {

// The register's own columns beside "WriteDate" and the field keys.
inline constexpr const char *NumberColumn = "RegNo";
inline constexpr const char *StatusColumn = "RegStatus";
inline constexpr const char *ReasonColumn = "RegReason";
inline constexpr const char *VoidedColumn = "RegVoided";
inline constexpr const char *PrinterColumn = "RegPrinter";
inline constexpr const char *CopiesColumn = "RegCopies";
inline constexpr const char *UserColumn = "RegUser";
// Every value of the row, the printer and the user in one lower-case text,
// so that a search for any text reads one column.
inline constexpr const char *TextColumn = "RegText";
inline constexpr const char *DateColumn = "WriteDate";

// How a row stands.
inline const QString Printed = QStringLiteral("printed");
inline const QString Voided = QStringLiteral("void");

// Where and how often a bill was printed.
struct PrintInfo {
    QString printer;
    int copies = 1;
};

// One row of the register.
struct Entry {
    qint64 number = 0;   // 0 for a row written before the register kept numbers
    QString written;     // local date and time, "2026-12-08T09:30:00"
    QString status;      // Printed or Voided
    QString reason;      // why it was voided
    QString voided;      // when it was voided
    QString printer;
    int copies = 1;
    QString user;
    QHash<QString, QString> values; // field key -> the value as the clerk typed it

    bool isVoid() const { return status == Voided; }
};

// What the history window and the command line search for; empty parts
// match everything.
struct Filter {
    QDate from;
    QDate to;
    QString text;   // in any field, the printer or the user
    QString amount; // an amount in any money field, typed as a clerk types it
};

// Told whenever a register gained or changed rows, so that the windows
// showing it read it again.
class Notifier : public QObject {
    Q_OBJECT
public:
    static Notifier &instance();
signals:
    void changed(const QString &historyTable);
};

// The operating system's user name.
QString osUser();

// The fields that have a column: checks, dates, texts and money.
bool recorded(const TemplateField &f);
// The value of a field as the register keeps it: money as its amount with
// two decimals ("1234.50"), a date as typed, a text with its lines, a check
// "√" or "".
QString valueOf(const BillDocument &doc, const TemplateField &f);
// An amount as a clerk types it ("1,234.5", "￥1234.50") in the register's
// form ("1234.50"); empty when it is no amount.
QString amountText(const QString &typed);

// Enters a row's values into the bill as a clerk would type them. Fields
// that copy or compute another one's value (a source link, a sum) follow by
// themselves and are skipped. Returns the keys that could not take their
// value (the template changed since).
QStringList refill(BillDocument &doc, const Entry &entry);

class Register {
public:
    Register(const QString &connectionName, const QString &templateTable);

    QString historyTable() const { return m_history; }

    // Adds what the table lacks: the register's own columns and a column for
    // every recorded field of the template.
    Status prepare(const BillTemplate &t) const;

    // Records one printed bill in a transaction of its own. A bill whose
    // template was not read from the store (no table) records nothing.
    Status record(const BillDocument &doc, const PrintInfo &info) const;

    // Records bills inside the caller's transaction: begin, add each, then
    // commit or rollback.
    Status begin() const;
    Status add(const BillDocument &doc, const PrintInfo &info) const;
    Status commit() const;
    void rollback() const;

    // The rows that match, newest first; `limit` 0 means all, `offset`
    // skips the newest ones.
    Result<QList<Entry>> rows(const BillTemplate &t, const Filter &filter, int limit = 0, int offset = 0) const;
    // Marks a row as voided with the reason. Fails for a row voided already
    // or one that does not exist.
    Status voidRow(qint64 number, const QString &reason) const;

    // The different values printed in a field, most often printed first,
    // counted over the latest 20,000 prints.
    Result<QStringList> pastValues(const QString &key, int limit = 200) const;
    // The newest row in which the field held exactly this value.
    std::optional<Entry> latestWith(const BillTemplate &t, const QString &key, const QString &value) const;

private:
    struct Writer;
    Status addRow(const BillDocument &doc, const PrintInfo &info) const;
    QString selectList(const BillTemplate &t) const;
    Entry readEntry(const class QSqlQuery &q, const BillTemplate &t) const;

    QString m_connection;
    QString m_history;
    mutable std::shared_ptr<Writer> m_writer; // while rows are added in a transaction
};

// Gives a history table the register's own columns (creating the table when
// it is missing), inside the caller's transaction.
Status prepareTable(QSqlDatabase &db, const QString &historyTable);

// After a design save renumbered the template's fields: the register's
// columns follow their fields (old key -> new key), in one transaction.
// Columns of fields that were deleted keep their rows under a name no key
// takes ("00307000_1"); a new key that had no column gets one.
Status followKeys(const QString &connectionName, const QString &historyTable,
                  const QMap<QString, QString> &renamed, const QStringList &currentKeys);

} // namespace billregister

namespace billregister {

// The exports' header row: time, status, reason, printer, copies, user,
// then each recorded field by its name.
QStringList exportHeader(const BillTemplate &t);
// The rows as CSV for spreadsheet programs: UTF-8 with a byte-order mark,
// a header row (time, status, reason, printer, copies, user, then each
// field by its name), CRLF line ends, quotes where a value needs them.
QByteArray csv(const BillTemplate &t, const QList<Entry> &entries);
// {"template": name, "rows": [{"written", "status", "fields": [{"key",
// "name", "text"}]}]}, the rows in the order given.
QByteArray json(const QString &templateName, const BillTemplate &t, const QList<Entry> &entries);
// "已打印" or "作废".
QString statusText(const Entry &e);

} // namespace billregister
