#pragma once
// The template store: every statement the program issues against the
// database, on one named Qt SQL connection. Values are bound and table and
// column names quoted, so display texts with quotes, spaces or Chinese work
// as class and template names.
#include "core/fieldregistry.h"
#include "core/result.h"
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// Result of a store operation: ok, or an error number with a readable message.
using StoreStatus = Status;

struct ClassRow {
    qint64 cKey = 0;
    QString cName;
};

struct BillRow {
    qint64 bKey = 0;
    QString bName;
    qint64 cKey = 0;
};

struct LanguageRow {
    QString LName;
    qint16 LType = 0;
    QString LCaptionCHJ;
    std::optional<QString> LValue; // nullopt where the value is Null
};

struct AppInfoRow {
    QString appName;
    std::optional<QString> appValue; // nullopt where the value is Null
};

class TemplateStore {
public:
    explicit TemplateStore(const QString &connectionName);

    // The table of template versions, one row per template table.
    static constexpr const char *VersionTable = "TemplateVersions";
    // The error of a save refused because the template was saved by someone
    // else since the design opened.
    static constexpr int ChangedElsewhere = 409;
    // The error of a save (or an opening) whose template table is gone.
    static constexpr int TemplateMissing = 3;

    QSqlDatabase database() const;
    bool isOpen() const;

    // Table names: class "_" template, and "H_" before that for the history.
    static QString templateTable(const QString &className, const QString &billName);
    static QString historyTable(const QString &templateTable);
    // An identifier in double quotes, embedded quotes doubled.
    static QString quoteIdentifier(const QString &name);

    // Reads every field of the table into the registry (mode 4, flag 0) at
    // the slot its key names, in ascending key order; a field without a
    // key-0 row is not read.
    StoreStatus ReadTemplate(const QString &table, FieldRegistry &registry) const;
    // Replaces the table's rows with the registry's content, in one
    // transaction: a failure leaves the old rows. Fields are numbered
    // densely from slot 000 in slot order, and the keys that link fields
    // (12, 13, 26) follow the new numbers.
    // With `expectedVersion`, the save is refused (error ChangedElsewhere,
    // nothing written) unless the template is still at that version; every
    // save moves the version on by one.
    StoreStatus WriteTemplate(const QString &table, const FieldRegistry &registry,
                              std::optional<qint64> expectedVersion = std::nullopt) const;
    // The template's version: how many saves it has had since versions were
    // kept (0 for none). A designer remembers it when the design opens.
    StoreStatus templateVersion(const QString &table, qint64 &version) const;
    // The keys WriteTemplate gives the registry's fields: current key ->
    // key as saved (numbered densely from slot 000 in slot order).
    static QMap<QString, QString> denseKeys(const FieldRegistry &registry);
    // Column names of a table in catalog order (by name), less the last
    // column; the slot of "WriteDate" stays empty.
    StoreStatus ListHistoryColumns(const QString &table, QStringList &names) const;
    // Sets the description of each column i to values[i].
    StoreStatus DescribeColumns(const QString &table, const QStringList &columns,
                                const QStringList &values) const;
    QString columnDescription(const QString &table, const QString &column) const;

    StoreStatus readAppInfo(QList<AppInfoRow> &rows) const;
    // The classes and templates in table order. A row without a name or
    // with a key that is not a whole number is left out and described in
    // *leftOut; any error of the database (a damaged file) is a failure.
    StoreStatus listClasses(QList<ClassRow> &rows, QStringList *leftOut = nullptr) const;
    StoreStatus listBills(QList<BillRow> &rows, QStringList *leftOut = nullptr) const;
    StoreStatus countLanguageGroup(const QString &group, int &count) const;
    // A menu group's rows, ordered by LName, LType.
    StoreStatus readMenuGroup(const QString &group, QList<LanguageRow> &rows) const;
    // A kind's default property list, ascending LType, Null values empty.
    StoreStatus readPropertyGroup(const QString &group, PropertyList &list) const;
    // Adds VARCHAR(200) columns to a history table in one statement each.
    StoreStatus addHistoryColumns(const QString &historyTable, const QStringList &columns) const;
    bool tableExists(const QString &table) const;

    // Application record rows beyond the ones the program reads at start-up.
    StoreStatus readAppValue(const QString &name, QString &value) const;
    StoreStatus writeAppValue(const QString &name, const QString &value) const;

private:
    QString m_connection;
};
