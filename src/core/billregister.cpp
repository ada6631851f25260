#include "core/billregister.h"

#include "core/billentry.h"
#include "core/exactamount.h"
#include "core/registersearch.h"
#include "core/sqlhelpers.h"
#include "core/templatestore.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include "core/sqldialect.h"
#include <QSqlRecord>

#include <pwd.h>
#include <unistd.h>

namespace billregister {

namespace {

QString q(const QString &name)
{
    return TemplateStore::quoteIdentifier(name);
}

QString q(const char *name)
{
    return q(QString::fromLatin1(name));
}

QSqlDatabase dbOf(const QString &connection)
{
    return QSqlDatabase::database(connection, false);
}

// The register's own columns and their types.
const QList<QPair<const char *, const char *>> &ownColumns()
{
    static const QList<QPair<const char *, const char *>> all{
        {NumberColumn, "INTEGER"},         {StatusColumn, "VARCHAR(20)"},
        {ReasonColumn, "VARCHAR(200)"},    {VoidedColumn, "VARCHAR(20)"},
        {PrinterColumn, "VARCHAR(200)"},   {CopiesColumn, "INTEGER"},
        {UserColumn, "VARCHAR(200)"},      {TextColumn, "TEXT"},
    };
    return all;
}

QStringList columnsOf(const QSqlDatabase &db, const QString &table)
{
    return sqldialect::columnNames(db, table);
}

Status addColumn(QSqlDatabase &db, const QString &table, const QString &column, const QString &type)
{
    QSqlQuery query(db);
    if (!sql::run(query, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(q(table), q(column), type)))
        return sql::failure(query, QStringLiteral("adding column %1 to %2").arg(column, table));
    return {};
}

bool isKeyColumn(const QString &name)
{
    static const QRegularExpression eight(QStringLiteral("^\\d{8}$"));
    return eight.match(name).hasMatch();
}

// How many of the latest rows the payee book counts.
constexpr int RecentRows = 20000;

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

// The WHERE clause for a filter over the template's columns, and its values;
// `text` is the condition of the text search, when there is one.
QString whereClause(const BillTemplate &t, const Filter &f, QVariantList &values, const QStringList &existing,
                    const std::optional<registersearch::Condition> &text)
{
    QStringList parts;
    const QString date = q(DateColumn);
    if (f.from.isValid()) {
        parts << date + QStringLiteral(" >= ?");
        values << f.from.toString(Qt::ISODate);
    }
    if (f.to.isValid()) {
        parts << date + QStringLiteral(" < ?");
        values << f.to.addDays(1).toString(Qt::ISODate);
    }
    if (text) {
        parts << text->sql;
        values << text->values;
    }
    if (!f.amount.trimmed().isEmpty()) {
        QStringList any;
        const QString amount = amountText(f.amount);
        for (const TemplateField &field : t.fields())
            if (field.kind == KindMoney && existing.contains(field.key)) {
                any << q(field.key) + QStringLiteral(" = ?");
                values << amount;
            }
        parts << (any.isEmpty() ? QStringLiteral("1 = 0") : QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')'));
    }
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

} // namespace

Notifier &Notifier::instance()
{
    static Notifier notifier;
    return notifier;
}

QString osUser()
{
    for (const char *name : {"USER", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    // A session without them (a service, a cron job): the account itself.
    if (const passwd *pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return {};
}

bool recorded(const TemplateField &f)
{
    return f.kind == KindCheck || f.kind == KindDate || f.kind == KindText || f.kind == KindMoney;
}

QString amountText(const QString &typed)
{
    QString t = typed.trimmed();
    t.remove(QLatin1Char(','));
    t.remove(QChar(0xFF0C));
    t.remove(QChar(0xFFE5));
    t.remove(QChar(0x00A5));
    t.remove(QLatin1Char(' '));
    const std::optional<exact::Amount> a = exact::parse(t);
    if (!a)
        return {};
    QString text = exact::formatHashDot00(*a);
    if (text.startsWith(QLatin1Char('.')))
        text.prepend(QLatin1Char('0'));
    else if (text.startsWith(QLatin1String("-.")))
        text.insert(1, QLatin1Char('0'));
    return text;
}

QString valueOf(const BillDocument &doc, const TemplateField &f)
{
    switch (f.kind) {
    case KindMoney: {
        if (doc.columns(f.key).join(QString()).trimmed().isEmpty())
            return {};
        const std::optional<exact::Amount> a = doc.amount(f.key);
        return a ? amountText(exact::plain(*a)) : QString();
    }
    case KindDate: {
        const QString typed = doc.typedDate(f.key);
        return typed.isEmpty() ? doc.text(f.key) : typed;
    }
    case KindCheck: return doc.isChecked(f.key) ? QStringLiteral("√") : QString();
    default: return doc.text(f.key);
    }
}

QStringList refill(BillDocument &doc, const Entry &entry)
{
    QStringList refused;
    const BillTemplate t = doc.billTemplate();
    for (const TemplateField &f : t.fields()) {
        // Copies, chains and sums are the rules' to fill.
        if (!recorded(f) || (f.source && !f.source->trimmed().isEmpty()) || t.showsAmount(f))
            continue;
        doc.clear(f.key);
        const QString value = entry.values.value(f.key);
        if (value.isEmpty())
            continue;
        if (!entry::enter(doc, f.key, value))
            refused << f.key;
    }
    return refused;
}

Register::Register(const QString &connectionName, const QString &templateTable)
    : m_connection(connectionName), m_history(TemplateStore::historyTable(templateTable))
{
}

Status Register::prepare(const BillTemplate &t) const
{
    QSqlDatabase db = dbOf(m_connection);
    if (!db.isOpen())
        return Status::failure(QStringLiteral("the database is not open"));
    QStringList existing = columnsOf(db, m_history);
    QStringList missing;
    for (const TemplateField &f : t.fields())
        if (recorded(f) && !existing.contains(f.key))
            missing << f.key;
    if (missing.isEmpty() && existing.contains(QString::fromLatin1(TextColumn))
        && existing.contains(QString::fromLatin1(DateColumn)))
        return {};
    if (Status w = sql::writable(db); !w)
        return w;
    if (!db.transaction())
        return Status::failure(db.lastError().text());
    // Workstations printing at once on a server change the table one after
    // another; what the first added, the next finds there.
    Status s = sqldialect::lockForSetup(db);
    if (s) {
        existing = columnsOf(db, m_history);
        missing.removeIf([&existing](const QString &key) { return existing.contains(key); });
        s = prepareTable(db, m_history);
    }
    for (const QString &key : std::as_const(missing))
        if (s)
            s = addColumn(db, m_history, key, QStringLiteral("VARCHAR(200)"));
    return sql::endTransaction(db, s);
}

Status prepareTable(QSqlDatabase &db, const QString &historyTable)
{
    QStringList existing = columnsOf(db, historyTable);
    QSqlQuery query(db);
    if (existing.isEmpty()) {
        if (!sql::run(query, QStringLiteral("CREATE TABLE %1 (%2 VARCHAR(20))").arg(q(historyTable), q(DateColumn))))
            return sql::failure(query, QStringLiteral("creating the register %1").arg(historyTable));
        existing << QString::fromLatin1(DateColumn);
    }
    bool added = false;
    if (!existing.contains(QString::fromLatin1(DateColumn)))
        if (Status s = addColumn(db, historyTable, QString::fromLatin1(DateColumn), QStringLiteral("VARCHAR(20)")); !s)
            return s;
    for (const auto &[name, type] : ownColumns())
        if (!existing.contains(QString::fromLatin1(name))) {
            if (Status s = addColumn(db, historyTable, QString::fromLatin1(name), QString::fromLatin1(type)); !s)
                return s;
            added = true;
        }
    if (!added)
        return {};
    // Newest first is how the register is read, and rows are numbered and
    // voided by number: indexes keep both quick.
    if (!sql::run(query, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3, %4)")
                             .arg(q(historyTable + QStringLiteral("_written")), q(historyTable), q(DateColumn),
                                  q(NumberColumn)))
        || !sql::run(query, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                                .arg(q(historyTable + QStringLiteral("_number")), q(historyTable), q(NumberColumn))))
        return sql::failure(query, QStringLiteral("indexing the register %1").arg(historyTable));
    return registersearch::ensure(db, historyTable);
}

// The statements that add rows to the register, prepared once for the
// rows of one transaction (a batch adds a thousand bills with them).
struct Register::Writer {
    QSqlQuery number;
    QSqlQuery insert;
    QStringList columns; // the INSERT's columns as prepared
    registersearch::Feed search;

    Writer(const QSqlDatabase &db, const QString &history) : number(db), insert(db), search(db, history) {}
};

Status Register::addRow(const BillDocument &doc, const PrintInfo &info) const
{
    QSqlDatabase db = dbOf(m_connection);
    // Bills printed at once from several workstations get numbers of their own.
    if (Status s = sqldialect::lockForNumbering(db, m_history); !s)
        return s;
    if (!m_writer) {
        m_writer = std::make_shared<Writer>(db, m_history);
        m_writer->number.setForwardOnly(true);
        m_writer->number.prepare(QStringLiteral("SELECT MAX(%1) FROM %2").arg(q(NumberColumn), q(m_history)));
    }
    Writer &w = *m_writer;
    if (!w.number.exec() || !w.number.next())
        return sql::failure(w.number, QStringLiteral("numbering the register %1").arg(m_history));
    const qint64 number = w.number.value(0).toLongLong() + 1;
    w.number.finish();
    QStringList columns{QString::fromLatin1(DateColumn), QString::fromLatin1(NumberColumn),
                        QString::fromLatin1(StatusColumn), QString::fromLatin1(PrinterColumn),
                        QString::fromLatin1(CopiesColumn), QString::fromLatin1(UserColumn)};
    QVariantList values{now(), number, Printed, info.printer, info.copies, osUser()};
    QStringList texts{info.printer, osUser()};
    for (const TemplateField &f : doc.billTemplate().fields())
        if (recorded(f)) {
            columns << f.key;
            const QString value = valueOf(doc, f);
            values << value;
            if (!value.isEmpty())
                texts << value;
        }
    // One text of every value for the search, which its index is fed from.
    const QString text = texts.join(QLatin1Char('\n')).toLower();
    columns << QString::fromLatin1(TextColumn);
    values << text;
    w.search.addColumns(columns, values, text);
    if (columns != w.columns) {
        QStringList quoted;
        for (const QString &c : std::as_const(columns))
            quoted << q(c);
        const QString marks = QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','));
        w.columns.clear();
        if (!w.insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(q(m_history), quoted.join(QLatin1Char(',')), marks)))
            return sql::failure(w.insert, QStringLiteral("recording the bill in %1").arg(m_history));
        w.columns = columns;
    }
    for (const QVariant &v : std::as_const(values))
        w.insert.addBindValue(v);
    if (!w.insert.exec())
        return sql::failure(w.insert, QStringLiteral("recording the bill in %1").arg(m_history));
    return w.search.rowAdded(w.insert, text);
}

Status Register::record(const BillDocument &doc, const PrintInfo &info) const
{
    // A bill made up in memory, not opened from a stored template, has no
    // register to go into.
    if (m_history == TemplateStore::historyTable(QString()))
        return {};
    if (Status s = prepare(doc.billTemplate()); !s)
        return s;
    if (Status s = begin(); !s)
        return s;
    if (Status s = addRow(doc, info); !s) {
        rollback();
        return s;
    }
    return commit();
}

Status Register::begin() const
{
    m_writer.reset();
    QSqlDatabase db = dbOf(m_connection);
    if (!db.isOpen())
        return Status::failure(QStringLiteral("the database is not open"));
    if (Status w = sql::writable(db); !w)
        return w;
    if (!db.transaction())
        return Status::failure(QStringLiteral("recording the bill: %1").arg(db.lastError().text()));
    return {};
}

Status Register::add(const BillDocument &doc, const PrintInfo &info) const
{
    return addRow(doc, info);
}

Status Register::commit() const
{
    m_writer.reset();
    QSqlDatabase db = dbOf(m_connection);
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return Status::failure(QStringLiteral("recording the bill: %1").arg(why));
    }
    emit Notifier::instance().changed(m_history);
    return {};
}

void Register::rollback() const
{
    m_writer.reset();
    dbOf(m_connection).rollback();
}

QString Register::selectList(const BillTemplate &t) const
{
    QStringList columns;
    for (const char *c : {DateColumn, NumberColumn, StatusColumn, ReasonColumn, VoidedColumn, PrinterColumn,
                          CopiesColumn, UserColumn})
        columns << q(c);
    const QStringList existing = columnsOf(dbOf(m_connection), m_history);
    for (const TemplateField &f : t.fields())
        if (recorded(f))
            columns << (existing.contains(f.key) ? q(f.key) : QStringLiteral("NULL"));
    return columns.join(QLatin1Char(','));
}

Entry Register::readEntry(const QSqlQuery &query, const BillTemplate &t) const
{
    Entry e;
    e.written = query.value(0).toString();
    e.number = query.value(1).toLongLong();
    e.status = query.value(2).toString() == Voided ? Voided : Printed;
    e.reason = query.value(3).toString();
    e.voided = query.value(4).toString();
    e.printer = query.value(5).toString();
    e.copies = query.value(6).isNull() ? 1 : query.value(6).toInt();
    e.user = query.value(7).toString();
    int i = 8;
    for (const TemplateField &f : t.fields())
        if (recorded(f))
            e.values.insert(f.key, query.value(i++).toString());
    return e;
}

Result<QList<Entry>> Register::rows(const BillTemplate &t, const Filter &filter, int limit, int offset) const
{
    QSqlDatabase db = dbOf(m_connection);
    // Reading needs no new column: a database that cannot be written (a
    // copy on a read-only share) is still read as it is.
    prepare(t);
    const QString text = filter.text.trimmed();
    const bool amount = !filter.amount.trimmed().isEmpty();
    std::optional<registersearch::Condition> found;
    if (!text.isEmpty())
        found = registersearch::textCondition(db, m_history, text.toLower(),
                                              limit > 0 && !amount ? limit + std::max(0, offset) : 0);
    QVariantList values;
    const QString where = whereClause(t, filter, values, columnsOf(db, m_history), found);
    // A search that finds its rows apart from the order sorts what it
    // finds; walking the newest-first index would fetch each row by itself.
    const bool scans = (found && !found->newestFirst) || amount;
    const QString order = scans ? QStringLiteral("%1 || '' DESC, %2 + 0 DESC") : QStringLiteral("%1 DESC, %2 DESC");
    QString statement = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                            .arg(selectList(t), q(m_history), where, order.arg(q(DateColumn), q(NumberColumn)));
    if (limit > 0)
        statement += QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(std::max(0, offset));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sql::run(query, statement, values))
        return sql::failure(query, QStringLiteral("reading the register %1").arg(m_history));
    QList<Entry> entries;
    while (query.next())
        entries << readEntry(query, t);
    return entries;
}

Status Register::voidRow(qint64 number, const QString &reason) const
{
    QSqlDatabase db = dbOf(m_connection);
    QSqlQuery query(db);
    if (!sql::run(query,
                  QStringLiteral("UPDATE %1 SET %2=?, %3=?, %4=? WHERE %5=? AND (%2 IS NULL OR %2<>?)")
                      .arg(q(m_history), q(StatusColumn), q(ReasonColumn), q(VoidedColumn), q(NumberColumn)),
                  {Voided, reason, now(), number, Voided}))
        return sql::failure(query, QStringLiteral("voiding row %1 of %2").arg(number).arg(m_history));
    if (query.numRowsAffected() != 1)
        return Status::failure(QStringLiteral("登记簿中没有第 %1 行，或它已经作废。").arg(number));
    emit Notifier::instance().changed(m_history);
    return {};
}

Result<QStringList> Register::pastValues(const QString &key, int limit) const
{
    QSqlDatabase db = dbOf(m_connection);
    if (!columnsOf(db, m_history).contains(key))
        return QStringList();
    const QString c = q(key);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The latest prints count: a payee of years ago does not crowd the list.
    if (!sql::run(query, QStringLiteral("SELECT %1, COUNT(*) FROM (SELECT %1 FROM %2 ORDER BY %4 DESC, %5 DESC "
                                        "LIMIT %6) AS recent WHERE %1 IS NOT NULL AND %1<>'' "
                                        "GROUP BY %1 ORDER BY COUNT(*) DESC, %1 LIMIT %3")
                             .arg(c, q(m_history))
                             .arg(limit)
                             .arg(q(DateColumn), q(NumberColumn))
                             .arg(RecentRows)))
        return sql::failure(query, QStringLiteral("reading the past values of %1").arg(key));
    QStringList values;
    while (query.next())
        values << query.value(0).toString();
    return values;
}

std::optional<Entry> Register::latestWith(const BillTemplate &t, const QString &key, const QString &value) const
{
    QSqlDatabase db = dbOf(m_connection);
    if (!columnsOf(db, m_history).contains(key))
        return std::nullopt;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sql::run(query, QStringLiteral("SELECT %1 FROM %2 WHERE %3=? ORDER BY %4 DESC, %5 DESC LIMIT 1")
                             .arg(selectList(t), q(m_history), q(key), q(DateColumn), q(NumberColumn)),
                  {value})
        || !query.next())
        return std::nullopt;
    return readEntry(query, t);
}

namespace {

Status renameColumn(QSqlDatabase &db, const QString &table, const QString &from, const QString &to)
{
    QSqlQuery query(db);
    if (!sql::run(query, QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3").arg(q(table), q(from), q(to))))
        return sql::failure(query, QStringLiteral("renaming column %1 of %2").arg(from, table));
    const QString descriptions = QStringLiteral("ColumnDescriptions");
    if (!sqldialect::tables(db).contains(descriptions))
        return {};
    if (!sql::run(query, QStringLiteral("UPDATE %1 SET %2=? WHERE %3=? AND %2=?")
                             .arg(q(descriptions), q("columnName"), q("tableName")),
                  {to, table, from}))
        return sql::failure(query, QStringLiteral("renaming the description of %1").arg(from));
    return {};
}

// The moves that take the columns to their new names: every moving column
// goes to a passing name first, so that two columns may swap names.
Status moveColumns(QSqlDatabase &db, const QString &table, const QMap<QString, QString> &moves)
{
    QStringList taken = columnsOf(db, table);
    QMap<QString, QString> passing;
    for (auto it = moves.cbegin(); it != moves.cend(); ++it) {
        QString via = QStringLiteral("moving_") + it.key();
        while (taken.contains(via))
            via += QLatin1Char('_');
        taken << via;
        if (Status s = renameColumn(db, table, it.key(), via); !s)
            return s;
        passing.insert(via, it.value());
    }
    for (auto it = passing.cbegin(); it != passing.cend(); ++it)
        if (Status s = renameColumn(db, table, it.key(), it.value()); !s)
            return s;
    return {};
}

// Where each column goes: a field's column to its new key, the column of a
// deleted field to "key_n", the first such name not taken.
QMap<QString, QString> plannedMoves(const QStringList &existing, const QMap<QString, QString> &renamed)
{
    QMap<QString, QString> moves;
    QSet<QString> targets;
    for (const QString &c : existing) {
        if (!isKeyColumn(c))
            continue;
        if (renamed.contains(c)) {
            if (renamed.value(c) != c)
                moves.insert(c, renamed.value(c));
            continue;
        }
        int n = 1;
        QString aside;
        do
            aside = QStringLiteral("%1_%2").arg(c).arg(n++);
        while (existing.contains(aside) || targets.contains(aside));
        targets.insert(aside);
        moves.insert(c, aside);
    }
    return moves;
}

} // namespace

Status followKeys(const QString &connectionName, const QString &historyTable,
                  const QMap<QString, QString> &renamed, const QStringList &currentKeys)
{
    QSqlDatabase db = dbOf(connectionName);
    if (!db.isOpen())
        return Status::failure(QStringLiteral("the database is not open"));
    const QStringList existing = columnsOf(db, historyTable);
    if (existing.isEmpty())
        return Status::failure(QStringLiteral("table %1 does not exist").arg(historyTable));
    // Only columns of fields that were read from the store move; a column
    // whose field is gone moves aside; one no field claims (a key a new
    // field takes now) moves aside as well.
    QMap<QString, QString> claimed;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it)
        if (existing.contains(it.key()))
            claimed.insert(it.key(), it.value());
    const QMap<QString, QString> moves = plannedMoves(existing, claimed);
    if (!db.transaction())
        return Status::failure(db.lastError().text());
    Status s = moveColumns(db, historyTable, moves);
    if (s) {
        const QStringList now = columnsOf(db, historyTable);
        for (const QString &key : currentKeys)
            if (s && !now.contains(key))
                s = addColumn(db, historyTable, key, QStringLiteral("VARCHAR(200)"));
    }
    return sql::endTransaction(db, s);
}

} // namespace billregister

namespace billregister {

namespace {

QString csvCell(const QString &value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n'))
        && !value.contains(QLatin1Char('\r')))
        return value;
    QString v = value;
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

QString csvLine(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &c : cells)
        quoted << csvCell(c);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace

QString statusText(const Entry &e)
{
    return e.isVoid() ? QStringLiteral("作废") : QStringLiteral("已打印");
}

QStringList exportHeader(const BillTemplate &t)
{
    QStringList header{QStringLiteral("打印时间"), QStringLiteral("状态"), QStringLiteral("作废原因"),
                       QStringLiteral("打印机"), QStringLiteral("份数"), QStringLiteral("操作员")};
    for (const TemplateField &f : t.fields())
        if (recorded(f))
            header << f.name;
    return header;
}

QByteArray csv(const BillTemplate &t, const QList<Entry> &entries)
{
    QString text = csvLine(exportHeader(t));
    for (const Entry &e : entries) {
        QStringList cells{e.written, statusText(e), e.reason, e.printer, QString::number(e.copies), e.user};
        for (const TemplateField &f : t.fields())
            if (recorded(f))
                cells << e.values.value(f.key);
        text += csvLine(cells);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray json(const QString &templateName, const BillTemplate &t, const QList<Entry> &entries)
{
    QJsonArray rows;
    for (const Entry &e : entries) {
        QJsonArray fields;
        for (const TemplateField &f : t.fields())
            if (recorded(f))
                fields.append(QJsonObject{{QStringLiteral("key"), f.key},
                                          {QStringLiteral("name"), f.name},
                                          {QStringLiteral("text"), e.values.value(f.key)}});
        rows.append(QJsonObject{{QStringLiteral("written"), e.written},
                                {QStringLiteral("status"), e.status},
                                {QStringLiteral("fields"), fields}});
    }
    const QJsonObject root{{QStringLiteral("template"), templateName}, {QStringLiteral("rows"), rows}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace billregister
