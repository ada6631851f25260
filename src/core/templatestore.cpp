#include "core/templatestore.h"
#include "core/sqlhelpers.h"
#include "core/sqldialect.h"
#include <QLoggingCategory>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>


namespace {

// Side table that keeps one description per history column.
const char *const DescriptionTable = "ColumnDescriptions";

StoreStatus queryFailure(const QSqlQuery &q, const QString &what) { return sql::failure(q, what); }

using sql::run;

QString textOf(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }

std::optional<QString> optionalText(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toString();
}

} // namespace

// The keys a save gives the fields that it writes: slots 0, 1, 2, ... in
// slot order, whatever gaps the registry has.
QMap<QString, QString> TemplateStore::denseKeys(const FieldRegistry &registry)
{
    QMap<QString, QString> keys;
    int slot = 0;
    for (int s = 0; s < registry.count(); ++s) {
        const FieldRecord &r = registry.at(s);
        if (isFieldKind(r.kind) && !r.props().isEmpty())
            keys.insert(registry.keyOf(s), FieldKey::make(slot++, r.kind, r.index));
    }
    return keys;
}

TemplateStore::TemplateStore(const QString &connectionName) : m_connection(connectionName) {}

QSqlDatabase TemplateStore::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool TemplateStore::isOpen() const
{
    return !m_connection.isEmpty() && QSqlDatabase::contains(m_connection) && database().isOpen();
}

QString TemplateStore::templateTable(const QString &className, const QString &billName)
{
    return className + QLatin1Char('_') + billName;
}

QString TemplateStore::historyTable(const QString &templateTable)
{
    return QStringLiteral("H_") + templateTable;
}

QString TemplateStore::quoteIdentifier(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

bool TemplateStore::tableExists(const QString &table) const
{
    if (!isOpen())
        return false;
    return sqldialect::tables(database()).contains(table);
}

StoreStatus TemplateStore::ReadTemplate(const QString &table, FieldRegistry &registry) const
{
    if (!isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    // One pass over the table in key and property order; a field is read
    // when it has a key-0 row.
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!run(q, QStringLiteral("SELECT \"cKey\", \"cName\", \"cType\", \"cValue\" FROM %1 "
                               "ORDER BY \"cKey\" ASC, CAST(\"cType\" AS INTEGER) ASC").arg(quoteIdentifier(table))))
        return queryFailure(q, QStringLiteral("reading template %1").arg(table));
    QList<QPair<QString, PropertyList>> fields;
    while (q.next()) {
        const QString key = textOf(q.value(0));
        if (fields.isEmpty() || fields.last().first != key)
            fields.append({key, PropertyList()});
        fields.last().second.append({qint16(q.value(2).toInt()), textOf(q.value(1)), textOf(q.value(3))});
    }
    // A damaged page ends the rows early with an error, never quietly.
    if (q.lastError().isValid())
        return queryFailure(q, QStringLiteral("reading template %1").arg(table));
    q.finish();

    // Each field goes to the slot its key names; slots between them stay
    // empty records, which nothing shows, prints or saves.
    for (const auto &[key, list] : std::as_const(fields)) {
        if (!findEntry(list, 0))
            continue;
        if (!FieldKey::parse(key))
            return StoreStatus::failure(QStringLiteral("template %1 has a malformed field key \"%2\"").arg(table, key), 13);
        if (int e = registry.RegistryCtl(key, list, 0, FieldRegistry::Add))
            return StoreStatus::failure(QStringLiteral("could not register field %1").arg(key), e);
        registry.at(FieldKey::parse(key)->slot).storedKey = key;
    }
    return {};
}

StoreStatus TemplateStore::templateVersion(const QString &table, qint64 &version) const
{
    version = 0;
    if (!tableExists(QLatin1String(VersionTable)))
        return {};
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"version\" FROM \"%1\" WHERE \"templateTable\"=?").arg(QLatin1String(VersionTable)),
             {table}))
        return queryFailure(q, QStringLiteral("reading the version of %1").arg(table));
    if (q.next())
        version = q.value(0).toLongLong();
    return {};
}

// Moves the template's version on by one inside the save's transaction.
// With `expected`, only from that version: the row is changed with a
// condition on its old value, so of two saves from the same version one
// wins and the other finds no row to change, on any SQL server.
static StoreStatus bumpVersion(QSqlDatabase db, const QString &table, std::optional<qint64> expected)
{
    const QString versions = TemplateStore::quoteIdentifier(QLatin1String(TemplateStore::VersionTable));
    qint64 current = 0;
    if (StoreStatus s = TemplateStore(db.connectionName()).templateVersion(table, current); !s)
        return s;
    if (expected && *expected != current)
        return StoreStatus::failure(QStringLiteral("template %1 was saved elsewhere (version %2, opened at %3)")
                                        .arg(table).arg(current).arg(*expected),
                                    TemplateStore::ChangedElsewhere);
    QSqlQuery q(db);
    if (current == 0) {
        if (!run(q, QStringLiteral("INSERT INTO %1 (\"templateTable\",\"version\") VALUES (?,1)").arg(versions), {table}))
            return StoreStatus::failure(QStringLiteral("template %1 was saved elsewhere at the same time").arg(table),
                                        TemplateStore::ChangedElsewhere);
        return {};
    }
    if (!run(q, QStringLiteral("UPDATE %1 SET \"version\"=? WHERE \"templateTable\"=? AND \"version\"=?").arg(versions),
             {current + 1, table, current}))
        return queryFailure(q, QStringLiteral("moving on the version of %1").arg(table));
    if (q.numRowsAffected() != 1)
        return StoreStatus::failure(QStringLiteral("template %1 was saved elsewhere at the same time").arg(table),
                                    TemplateStore::ChangedElsewhere);
    return {};
}

StoreStatus TemplateStore::WriteTemplate(const QString &table, const FieldRegistry &registry,
                                         std::optional<qint64> expectedVersion) const
{
    if (!isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    // On a shared server another workstation may have renamed or deleted
    // the template since it was opened here.
    if (!tableExists(table))
        return StoreStatus::failure(
            QStringLiteral("模板“%1”已不在数据库中（可能已被另一台电脑重命名或删除），没有保存").arg(table),
            TemplateMissing);
    QSqlDatabase db = database();
    if (StoreStatus w = sql::writable(db); !w)
        return w;
    if (!db.transaction())
        return StoreStatus::failure(QStringLiteral("could not start saving %1: %2").arg(table, db.lastError().text()));
    const QString t = quoteIdentifier(table);
    QSqlQuery q(db);
    auto fail = [&](const QString &what) {
        StoreStatus s = queryFailure(q, what);
        q.finish();
        db.rollback();
        return s;
    };
    if (tableExists(QLatin1String(VersionTable))) {
        if (StoreStatus v = bumpVersion(db, table, expectedVersion); !v) {
            db.rollback();
            return v;
        }
    }
    if (!run(q, QStringLiteral("DELETE FROM %1").arg(t)))
        return fail(QStringLiteral("saving template %1").arg(table));
    const QString insert =
        QStringLiteral("INSERT INTO %1 (\"cKey\",\"cName\",\"cType\",\"cValue\") VALUES (?,?,?,?)").arg(t);
    if (!registry.isEmpty() && !q.prepare(insert))
        return fail(QStringLiteral("saving template %1").arg(table));
    const QMap<QString, QString> newKeys = denseKeys(registry);
    for (int s = 0; s < registry.count(); ++s) {
        const FieldRecord &r = registry.at(s);
        if (!isFieldKind(r.kind) || r.props().isEmpty())
            continue;
        const QString key = newKeys.value(registry.keyOf(s));
        for (PropertyEntry e : r.props()) {
            if (isLinkKey(e.key) && newKeys.contains(e.value.trimmed()))
                e.value = newKeys.value(e.value.trimmed());
            q.addBindValue(key);
            // Empty texts are stored as '' rather than Null.
            q.addBindValue(e.name.isNull() ? QStringLiteral("") : e.name);
            q.addBindValue(int(e.key));
            q.addBindValue(e.value.isNull() ? QStringLiteral("") : e.value);
            if (!q.exec())
                return fail(QStringLiteral("saving field %1 of %2").arg(key, table));
        }
    }
    q.finish();
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return StoreStatus::failure(QStringLiteral("could not save %1: %2").arg(table, why));
    }
    return {};
}

StoreStatus TemplateStore::ListHistoryColumns(const QString &table, QStringList &names) const
{
    names.clear();
    if (!isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    QStringList columns = sqldialect::columnNames(database(), table);
    if (columns.isEmpty())
        return StoreStatus::failure(QStringLiteral("table %1 does not exist").arg(table));
    // The catalog lists columns by name.
    std::stable_sort(columns.begin(), columns.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    for (int i = 0; i + 1 < columns.size(); ++i)
        names << (columns.at(i) == QLatin1String("WriteDate") ? QString() : columns.at(i));
    return {};
}

static StoreStatus ensureDescriptionTable(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"tableName\" VARCHAR(255), "
                               "\"columnName\" VARCHAR(255), \"description\" VARCHAR(255))")
                    .arg(QLatin1String(DescriptionTable))))
        return queryFailure(q, QStringLiteral("creating the column description table"));
    return {};
}

StoreStatus TemplateStore::DescribeColumns(const QString &table, const QStringList &columns,
                                           const QStringList &values) const
{
    if (!isOpen())
        return StoreStatus::failure(QStringLiteral("the database is not open"));
    QSqlDatabase db = database();
    if (StoreStatus s = ensureDescriptionTable(db); !s)
        return s;
    if (!db.transaction())
        return StoreStatus::failure(db.lastError().text());
    QSqlQuery q(db);
    for (int i = 0; i < columns.size(); ++i) {
        const QString del = QStringLiteral("DELETE FROM \"%1\" WHERE \"tableName\"=? AND \"columnName\"=?")
                                .arg(QLatin1String(DescriptionTable));
        const QString ins = QStringLiteral("INSERT INTO \"%1\" (\"tableName\",\"columnName\",\"description\") "
                                           "VALUES (?,?,?)").arg(QLatin1String(DescriptionTable));
        if (!run(q, del, {table, columns.at(i)}) || !run(q, ins, {table, columns.at(i), values.value(i)})) {
            StoreStatus s = queryFailure(q, QStringLiteral("describing the columns of %1").arg(table));
            q.finish();
            db.rollback();
            return s;
        }
    }
    q.finish();
    db.commit();
    return {};
}

QString TemplateStore::columnDescription(const QString &table, const QString &column) const
{
    if (!isOpen() || !tableExists(QLatin1String(DescriptionTable)))
        return {};
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"description\" FROM \"%1\" WHERE \"tableName\"=? AND \"columnName\"=?")
                    .arg(QLatin1String(DescriptionTable)), {table, column}) || !q.next())
        return {};
    return textOf(q.value(0));
}

StoreStatus TemplateStore::readAppInfo(QList<AppInfoRow> &rows) const
{
    rows.clear();
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"appName\", \"appValue\" FROM \"AppInfo\"")))
        return queryFailure(q, QStringLiteral("reading the application record"));
    while (q.next())
        rows.append({textOf(q.value(0)), optionalText(q.value(1))});
    return {};
}

// A key read from the store as a number; nothing for NULL or a text that is
// not a whole number.
static std::optional<qint64> numberOf(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

// One left-out row for a message, its values cut to 60 characters.
static QString describeRow(const QSqlQuery &q, int columns)
{
    QStringList parts;
    for (int i = 0; i < columns; ++i) {
        const QVariant v = q.value(i);
        parts << QStringLiteral("%1=%2").arg(q.record().fieldName(i),
                                            v.isNull() ? QStringLiteral("NULL") : v.toString().left(60));
    }
    return parts.join(QStringLiteral(", "));
}

StoreStatus TemplateStore::listClasses(QList<ClassRow> &rows, QStringList *leftOut) const
{
    rows.clear();
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"cKey\", \"cName\" FROM \"ClassList\"")))
        return queryFailure(q, QStringLiteral("reading the classes"));
    while (q.next()) {
        const std::optional<qint64> key = numberOf(q.value(0));
        if (!key || q.value(1).isNull()) {
            if (leftOut)
                *leftOut << QStringLiteral("ClassList: %1").arg(describeRow(q, 2));
            continue;
        }
        rows.append({*key, q.value(1).toString()});
    }
    if (q.lastError().isValid())
        return queryFailure(q, QStringLiteral("reading the classes"));
    return {};
}

StoreStatus TemplateStore::listBills(QList<BillRow> &rows, QStringList *leftOut) const
{
    rows.clear();
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"bKey\", \"bName\", \"cKey\" FROM \"BillList\"")))
        return queryFailure(q, QStringLiteral("reading the templates"));
    while (q.next()) {
        const std::optional<qint64> key = numberOf(q.value(0));
        const std::optional<qint64> classKey = numberOf(q.value(2));
        if (!key || !classKey || q.value(1).isNull()) {
            if (leftOut)
                *leftOut << QStringLiteral("BillList: %1").arg(describeRow(q, 3));
            continue;
        }
        rows.append({*key, q.value(1).toString(), *classKey});
    }
    if (q.lastError().isValid())
        return queryFailure(q, QStringLiteral("reading the templates"));
    return {};
}

StoreStatus TemplateStore::countLanguageGroup(const QString &group, int &count) const
{
    count = 0;
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT COUNT(*) AS C FROM \"LanguageSet\" WHERE \"LName\"=?"), {group}))
        return queryFailure(q, QStringLiteral("counting the interface texts of %1").arg(group));
    if (q.next())
        count = q.value(0).toInt();
    return {};
}

static StoreStatus readLanguageRows(QSqlDatabase db, const QString &sql, const QString &group,
                                    QList<LanguageRow> &rows)
{
    rows.clear();
    QSqlQuery q(db);
    if (!run(q, sql, {group}))
        return queryFailure(q, QStringLiteral("reading the interface texts of %1").arg(group));
    while (q.next())
        rows.append({textOf(q.value(0)), qint16(q.value(1).toInt()), textOf(q.value(2)),
                     optionalText(q.value(3))});
    return {};
}

StoreStatus TemplateStore::readMenuGroup(const QString &group, QList<LanguageRow> &rows) const
{
    return readLanguageRows(database(),
                            QStringLiteral("SELECT \"LName\", \"LType\", \"LCaptionCHJ\", \"LValue\" FROM "
                                           "\"LanguageSet\" WHERE \"LName\"=? ORDER BY \"LName\" ASC,\"LType\" ASC"),
                            group, rows);
}

StoreStatus TemplateStore::readPropertyGroup(const QString &group, PropertyList &list) const
{
    list.clear();
    QList<LanguageRow> rows;
    StoreStatus s = readLanguageRows(database(),
                                     QStringLiteral("SELECT \"LName\", \"LType\", \"LCaptionCHJ\", \"LValue\" FROM "
                                                    "\"LanguageSet\" WHERE \"LName\"=? ORDER BY \"LType\" ASC"),
                                     group, rows);
    for (const LanguageRow &r : rows)
        list.append({r.LType, r.LCaptionCHJ, r.LValue.value_or(QString())});
    return s;
}

StoreStatus TemplateStore::addHistoryColumns(const QString &historyTable, const QStringList &columns) const
{
    if (columns.isEmpty())
        return {};
    QSqlDatabase db = database();
    if (!db.transaction())
        return StoreStatus::failure(db.lastError().text());
    QSqlQuery q(db);
    for (const QString &c : columns) {
        // One column a statement: the portable form of ALTER TABLE ... ADD COLUMN.
        if (!run(q, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 VARCHAR(200)")
                        .arg(quoteIdentifier(historyTable), quoteIdentifier(c)))) {
            StoreStatus s = queryFailure(q, QStringLiteral("adding column %1 to %2").arg(c, historyTable));
            q.finish();
            db.rollback();
            return s;
        }
    }
    q.finish();
    if (!db.commit())
        return StoreStatus::failure(db.lastError().text());
    return {};
}

StoreStatus TemplateStore::readAppValue(const QString &name, QString &value) const
{
    value.clear();
    QSqlQuery q(database());
    if (!run(q, QStringLiteral("SELECT \"appValue\" FROM \"AppInfo\" WHERE \"appName\"=?"), {name}))
        return queryFailure(q, QStringLiteral("reading %1").arg(name));
    while (q.next())
        value = textOf(q.value(0)); // the last of duplicate rows wins
    return {};
}

StoreStatus TemplateStore::writeAppValue(const QString &name, const QString &value) const
{
    return sql::replaceRow(database(), QStringLiteral("AppInfo"),
                           {QStringLiteral("appName"), QStringLiteral("appValue")}, {name, value},
                           QStringLiteral("writing %1").arg(name));
}
