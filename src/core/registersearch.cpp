#include "core/registersearch.h"

#include "core/billregister.h"
#include "core/sqldialect.h"
#include "core/sqlhelpers.h"
#include "core/templatestore.h"

#include <QLoggingCategory>
#include <QSqlError>
#include <QUuid>

Q_LOGGING_CATEGORY(lcSearch, "billprint.search")

namespace registersearch {

namespace {

// A search that finds fewer candidates than this many per row wanted sorts
// them; one that finds more reads the register newest first instead.
constexpr int CandidatesPerRow = 50;
// More trigrams of a long text narrow the candidates no further.
constexpr int MaxTrigrams = 24;
// Rows of the server's search column filled per statement.
constexpr int FillChunk = 2000;

// The file's index: an FTS5 table named after a random tag, and a partial
// index of the history table's voided rows with the tag as its name. The
// index belongs to the table (it follows a rename and goes with a drop,
// and a copy of the table's rows does not take it), so the tag tells which
// FTS table holds this table's rows.
const QString FileTagPrefix = QStringLiteral("regsearch_");
const QString FileTextSuffix = QStringLiteral("_text");

QString q(const QString &name)
{
    return TemplateStore::quoteIdentifier(name);
}

QString q(const char *name)
{
    return q(QString::fromLatin1(name));
}

// "…" LIKE pattern for a text anywhere in a value, with the wildcards of
// the text itself escaped.
QString containing(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    t.replace(QLatin1Char('%'), QLatin1String("\\%"));
    t.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + t + QLatin1Char('%');
}

// The search as it has always been: the text column or the void reason.
QString plainSql()
{
    return QStringLiteral("(%1 LIKE ? ESCAPE '\\' OR LOWER(%2) LIKE ? ESCAPE '\\')")
        .arg(q(billregister::TextColumn), q(billregister::ReasonColumn));
}

Condition plain(const QString &lowered, bool newestFirst = false)
{
    const QString pattern = containing(lowered);
    return {plainSql(), {pattern, pattern}, newestFirst};
}

QStringList firstColumn(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QStringList out;
    if (sql::run(query, statement, values))
        while (query.next())
            out << query.value(0).toString();
    return out;
}

// A savepoint around the making of an index: a statement the store refuses
// (a missing module, no right) undoes the index's parts, not the caller's
// transaction.
class Savepoint {
public:
    explicit Savepoint(QSqlDatabase &db) : m_db(db) { m_open = exec(QStringLiteral("SAVEPOINT bp_search")); }
    ~Savepoint()
    {
        if (m_open)
            giveUp();
    }
    bool open() const { return m_open; }
    bool release()
    {
        m_open = false;
        return exec(QStringLiteral("RELEASE SAVEPOINT bp_search"));
    }
    void giveUp()
    {
        m_open = false;
        exec(QStringLiteral("ROLLBACK TO SAVEPOINT bp_search"));
        exec(QStringLiteral("RELEASE SAVEPOINT bp_search"));
    }

private:
    bool exec(const QString &statement)
    {
        QSqlQuery query(m_db);
        return query.exec(statement);
    }
    QSqlDatabase &m_db;
    bool m_open = false;
};

// Runs statements in order; false (logged) at the first the store refuses.
bool runAll(QSqlDatabase &db, const QStringList &statements, const QString &table)
{
    QSqlQuery query(db);
    for (const QString &s : statements)
        if (!sql::run(query, s)) {
            qCInfo(lcSearch) << "no search index for" << table << ":" << query.lastError().text();
            return false;
        }
    return true;
}

QString randomTag()
{
    return QUuid::createUuid().toString(QUuid::Id128).left(16);
}

// ---- the file ----------------------------------------------------------------

// The FTS table that holds the rows of `table`, or empty.
QString fileTextTable(const QSqlDatabase &db, const QString &table)
{
    const QStringList tags = firstColumn(db,
                                         QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                                        "AND tbl_name = ? COLLATE NOCASE AND substr(name, 1, 10) = ?"),
                                         {table, FileTagPrefix});
    for (const QString &tag : tags) {
        const QString text = tag + FileTextSuffix;
        if (!firstColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"), {text})
                 .isEmpty())
            return text;
    }
    return {};
}

Status fileDrop(QSqlDatabase &db, const QString &table)
{
    QSqlQuery query(db);
    const QStringList tags = firstColumn(db,
                                         QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                                        "AND tbl_name = ? COLLATE NOCASE AND substr(name, 1, 10) = ?"),
                                         {table, FileTagPrefix});
    for (const QString &tag : tags)
        if (!sql::run(query, QStringLiteral("DROP TABLE IF EXISTS %1").arg(q(tag + FileTextSuffix)))
            || !sql::run(query, QStringLiteral("DROP INDEX IF EXISTS %1").arg(q(tag))))
            return sql::failure(query, QStringLiteral("dropping the search index of %1").arg(table));
    return {};
}

Status fileEnsure(QSqlDatabase &db, const QString &table)
{
    if (!fileTextTable(db, table).isEmpty())
        return {};
    // A tag left without its FTS table (a copied store) names nothing.
    if (Status s = fileDrop(db, table); !s)
        return s;
    Savepoint point(db);
    if (!point.open())
        return {};
    const QString tag = FileTagPrefix + randomTag();
    const QString text = q(tag + FileTextSuffix);
    const QString column = q(billregister::TextColumn);
    // Contentless (the text stays in the register) and without positions:
    // a search asks for rows that hold all the trigrams of the typed text
    // and checks each candidate with LIKE.
    if (!runAll(db,
                {QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, tokenize='trigram', content='', detail='none')")
                     .arg(text, column),
                 QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT rowid, %2 FROM %3").arg(text, column, q(table)),
                 QStringLiteral("CREATE INDEX %1 ON %2 (%3) WHERE %4 IS NOT NULL")
                     .arg(q(tag), q(table), q(billregister::NumberColumn), q(billregister::ReasonColumn))},
                table)) {
        point.giveUp();
        return {};
    }
    point.release();
    return {};
}

Status fileDropOrphans(QSqlDatabase &db)
{
    const QStringList texts = firstColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                             "AND substr(name, 1, 10) = ? AND name LIKE '%\\_text' ESCAPE '\\'"),
                                          {FileTagPrefix});
    QSqlQuery query(db);
    for (const QString &text : texts) {
        const QString tag = text.chopped(FileTextSuffix.size());
        if (!firstColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name = ?"), {tag})
                 .isEmpty())
            continue;
        if (!sql::run(query, QStringLiteral("DROP TABLE %1").arg(q(text))))
            return sql::failure(query, QStringLiteral("dropping the search index %1").arg(text));
    }
    return {};
}

// The FTS query for the rows that hold every trigram of the text; empty
// when the text has fewer than three characters (or characters the index
// does not take), which the index cannot find.
QString fileMatch(const QString &lowered)
{
    QList<char32_t> points;
    for (qsizetype i = 0; i < lowered.size(); ++i) {
        const QChar c = lowered.at(i);
        if (c.unicode() < 0x20 || c.unicode() == 0xFFFD)
            return {};
        if (c.isHighSurrogate() && i + 1 < lowered.size() && lowered.at(i + 1).isLowSurrogate()) {
            points << QChar::surrogateToUcs4(c, lowered.at(i + 1));
            ++i;
        } else if (c.isSurrogate()) {
            return {};
        } else {
            points << c.unicode();
        }
    }
    QStringList grams;
    for (qsizetype i = 0; i + 3 <= points.size() && grams.size() < MaxTrigrams; ++i) {
        QString gram = QString::fromUcs4(points.constData() + i, 3);
        gram.replace(QLatin1Char('"'), QLatin1String("\"\""));
        gram = QLatin1Char('"') + gram + QLatin1Char('"');
        if (!grams.contains(gram))
            grams << gram;
    }
    return grams.join(QStringLiteral(" AND "));
}

Condition fileCondition(const QSqlDatabase &db, const QString &table, const QString &lowered, int wanted)
{
    const QString match = fileMatch(lowered);
    const QString text = match.isEmpty() ? QString() : fileTextTable(db, table);
    if (text.isEmpty())
        return plain(lowered);
    if (wanted > 0) {
        const qint64 cap = qint64(wanted) * CandidatesPerRow;
        QSqlQuery count(db);
        if (sql::run(count, QStringLiteral("SELECT COUNT(*) FROM (SELECT rowid FROM %1 WHERE %1 MATCH ? LIMIT ?)").arg(q(text)),
                     {match, cap + 1})
            && count.next() && count.value(0).toLongLong() > cap)
            return plain(lowered, true);
    }
    // The candidates: rows the index holds the trigrams for, rows above
    // the highest it holds (added by a program that does not feed it), and
    // the voided rows (their reason is searched too).
    Condition c = plain(lowered);
    c.sql = QStringLiteral("rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ? "
                           "UNION ALL SELECT rowid FROM %2 WHERE rowid > "
                           "COALESCE((SELECT rowid FROM %1 ORDER BY rowid DESC LIMIT 1), 0) "
                           "UNION ALL SELECT rowid FROM %2 WHERE %3 IS NOT NULL) AND %4")
                .arg(q(text), q(table), q(billregister::ReasonColumn), c.sql);
    c.values.prepend(match);
    return c;
}

// ---- the server --------------------------------------------------------------

struct ServerIndexes {
    bool trigrams = false;   // GIN trigram index on the search column
    bool unfilled = false;   // partial index of rows without a search text
    bool voided = false;     // partial index of the voided rows
    bool complete() const { return trigrams && unfilled && voided; }
};

ServerIndexes serverIndexes(const QSqlDatabase &db, const QString &table)
{
    ServerIndexes found;
    const QString search = q(SearchColumn);
    const QStringList definitions = firstColumn(
        db,
        QStringLiteral("SELECT pg_get_indexdef(i.indexrelid) FROM pg_index i JOIN pg_class t ON t.oid = i.indrelid "
                       "JOIN pg_namespace n ON n.oid = t.relnamespace "
                       "WHERE n.nspname = current_schema() AND t.relname = ? AND i.indisvalid"),
        {table});
    for (const QString &d : definitions) {
        if (d.contains(QLatin1String("USING gin")) && d.contains(QLatin1Char('(') + search + QLatin1Char(' '))
            && d.contains(QLatin1String("gin_trgm_ops")))
            found.trigrams = true;
        if (d.contains(QStringLiteral("WHERE (%1 IS NULL)").arg(search)))
            found.unfilled = true;
        if (d.contains(QStringLiteral("WHERE (%1 IS NOT NULL)").arg(q(billregister::ReasonColumn))))
            found.voided = true;
    }
    return found;
}

bool hasTrigrams(QSqlDatabase &db)
{
    if (!firstColumn(db, QStringLiteral("SELECT extname FROM pg_extension WHERE extname = 'pg_trgm'")).isEmpty())
        return true;
    // A trusted extension: the owner of the database may add it.
    Savepoint point(db);
    QSqlQuery query(db);
    if (point.open() && query.exec(QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm")))
        return point.release();
    qCInfo(lcSearch) << "pg_trgm is not installed and cannot be:" << query.lastError().text();
    return false;
}

// Fills the search column of the rows that have none, the table read in
// slices of its physical order; the rows go in through a temporary table
// and one joined UPDATE.
bool serverFill(QSqlDatabase &db, const QString &table)
{
    QSqlQuery query(db);
    const QString search = q(SearchColumn);
    if (!sql::run(query, QStringLiteral("SELECT 1 FROM %1 WHERE %2 IS NULL LIMIT 1").arg(q(table), search)))
        return false;
    if (!query.next())
        return true;
    query.finish();
    const QString fill = QStringLiteral("bp_search_fill");
    if (!runAll(db,
                {QStringLiteral("DROP TABLE IF EXISTS pg_temp.%1").arg(fill),
                 QStringLiteral("CREATE TEMPORARY TABLE %1 (id TID, text TEXT) ON COMMIT DROP").arg(fill)},
                table))
        return false;
    QString after = QStringLiteral("(0,0)");
    QSqlQuery read(db);
    QSqlQuery insert(db);
    for (;;) {
        if (!sql::run(read, QStringLiteral("SELECT ctid::text, %1 FROM %2 WHERE ctid > ?::tid AND %3 IS NULL "
                                           "ORDER BY ctid LIMIT %4")
                                .arg(q(billregister::TextColumn), q(table), search)
                                .arg(FillChunk),
                      {after}))
            return false;
        QVariantList values;
        while (read.next()) {
            after = read.value(0).toString();
            values << after << (read.value(1).isNull() ? QString(QLatin1String("")) : serverForm(read.value(1).toString()));
        }
        read.finish();
        if (values.isEmpty())
            break;
        QStringList rows(values.size() / 2, QStringLiteral("(?::tid, ?)"));
        if (!sql::run(insert, QStringLiteral("INSERT INTO %1 (id, text) VALUES %2").arg(fill, rows.join(QLatin1Char(','))),
                      values))
            return false;
    }
    return runAll(db,
                  {QStringLiteral("UPDATE %1 AS h SET %2 = f.text FROM %3 AS f WHERE h.ctid = f.id").arg(q(table), search, fill),
                   QStringLiteral("DROP TABLE %1").arg(fill)},
                  table);
}

Status serverEnsure(QSqlDatabase &db, const QString &table)
{
    ServerIndexes have = serverIndexes(db, table);
    if (!have.trigrams && !hasTrigrams(db))
        return {};
    Savepoint point(db);
    if (!point.open())
        return {};
    // Made before: only rows an older program added lack their text (no
    // change to the table, which would wait for every workstation's work).
    if (have.complete()) {
        if (!serverFill(db, table))
            point.giveUp();
        else
            point.release();
        return {};
    }
    const QString search = q(SearchColumn);
    QStringList first{QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2 TEXT").arg(q(table), search)};
    if (!have.unfilled)
        first << QStringLiteral("CREATE INDEX %1 ON %2 (%3) WHERE %4 IS NULL")
                     .arg(q(QStringLiteral("bp_unsearched_") + randomTag()), q(table), q(billregister::NumberColumn), search);
    QStringList then;
    if (!have.trigrams)
        then << QStringLiteral("CREATE INDEX %1 ON %2 USING gin (%3 gin_trgm_ops)")
                    .arg(q(QStringLiteral("bp_search_") + randomTag()), q(table), search);
    if (!have.voided)
        then << QStringLiteral("CREATE INDEX %1 ON %2 (%3) WHERE %4 IS NOT NULL")
                    .arg(q(QStringLiteral("bp_voided_") + randomTag()), q(table), q(billregister::NumberColumn),
                         q(billregister::ReasonColumn));
    if (!runAll(db, first, table) || !serverFill(db, table) || !runAll(db, then, table)) {
        point.giveUp();
        return {};
    }
    point.release();
    return {};
}

// True when pg_trgm finds a trigram in the pattern: a run of three letters
// or digits, which every character of the server's form outside ASCII is.
bool hasServerTrigram(const QString &form)
{
    int run = 0;
    for (const QChar c : form) {
        const bool word = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        run = word ? run + 1 : 0;
        if (run >= 3)
            return true;
    }
    return false;
}

Condition serverCondition(const QSqlDatabase &db, const QString &table, const QString &lowered, int wanted)
{
    if (!hasServerTrigram(serverForm(lowered)) || !serverIndexes(db, table).complete())
        return plain(lowered);
    const QString pattern = serverForm(containing(lowered));
    const QString search = q(SearchColumn);
    if (wanted > 0) {
        const qint64 cap = qint64(wanted) * CandidatesPerRow;
        QSqlQuery count(db);
        if (sql::run(count,
                     QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM %1 WHERE %2 LIKE ? ESCAPE '\\' LIMIT ?) AS c")
                         .arg(q(table), search),
                     {pattern, cap + 1})
            && count.next() && count.value(0).toLongLong() > cap)
            return plain(lowered, true);
    }
    // The candidates: rows whose search text holds the pattern's, rows
    // without a search text (added by an older program) and voided rows.
    Condition c = plain(lowered);
    c.sql = QStringLiteral("(%1 LIKE ? ESCAPE '\\' OR %1 IS NULL OR %2 IS NOT NULL) AND %3")
                .arg(search, q(billregister::ReasonColumn), c.sql);
    c.values.prepend(pattern);
    return c;
}

} // namespace

QString serverForm(const QString &text)
{
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out += c;
            continue;
        }
        char32_t point = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            point = QChar::surrogateToUcs4(c, text.at(++i));
        const int width = point < 36 * 36 * 36 ? 3 : 4;
        QString code(width, QLatin1Char('0'));
        for (int d = width - 1; d >= 0; --d, point /= 36)
            code[d] = QLatin1Char(digits[point % 36]);
        out += code;
    }
    return out;
}

Status ensure(QSqlDatabase &db, const QString &historyTable)
{
    return sqldialect::isServer(db) ? serverEnsure(db, historyTable) : fileEnsure(db, historyTable);
}

Status ensureAll(QSqlDatabase &db)
{
    for (const QString &table : sqldialect::tables(db))
        if (table.startsWith(QLatin1String("H_")))
            if (Status s = ensure(db, table); !s)
                return s;
    return sqldialect::isServer(db) ? Status{} : fileDropOrphans(db);
}

Status drop(QSqlDatabase &db, const QString &historyTable)
{
    // The server's indexes go with their table.
    return sqldialect::isServer(db) ? Status{} : fileDrop(db, historyTable);
}

bool indexed(const QSqlDatabase &db, const QString &historyTable)
{
    return sqldialect::isServer(db) ? serverIndexes(db, historyTable).complete()
                                    : !fileTextTable(db, historyTable).isEmpty();
}

Condition textCondition(const QSqlDatabase &db, const QString &historyTable, const QString &lowered, int wanted)
{
    return sqldialect::isServer(db) ? serverCondition(db, historyTable, lowered, wanted)
                                    : fileCondition(db, historyTable, lowered, wanted);
}

// ---- feeding -------------------------------------------------------------------

struct Feed::Statements {
    QSqlQuery highest;
    QSqlQuery addOne;   // the new row, its text as the register wrote it
    QSqlQuery addAfter; // every row above a rowid, read from the register
    QSqlQuery clear;
    explicit Statements(const QSqlDatabase &db) : highest(db), addOne(db), addAfter(db), clear(db) {}
};

Feed::Feed(const QSqlDatabase &db, const QString &historyTable) : m_db(db), m_history(historyTable)
{
    if (sqldialect::isServer(db)) {
        m_serverColumn = sqldialect::columnNames(db, historyTable).contains(QLatin1String(SearchColumn));
        return;
    }
    m_textTable = fileTextTable(db, historyTable);
    if (m_textTable.isEmpty())
        return;
    m_statements = std::make_unique<Statements>(db);
    const QString text = q(m_textTable);
    const QString column = q(billregister::TextColumn);
    if (!m_statements->highest.prepare(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid DESC LIMIT 1").arg(text))
        || !m_statements->addOne.prepare(QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?, ?)").arg(text, column))
        || !m_statements->addAfter.prepare(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT rowid, %2 FROM %3 WHERE rowid > ?")
                                               .arg(text, column, q(historyTable)))
        || !m_statements->clear.prepare(QStringLiteral("INSERT INTO %1 (%1) VALUES ('delete-all')").arg(text)))
        m_textTable.clear();
}

Feed::~Feed() = default;

void Feed::addColumns(QStringList &columns, QVariantList &values, const QString &rowText) const
{
    if (!m_serverColumn)
        return;
    columns << QString::fromLatin1(SearchColumn);
    values << serverForm(rowText);
}

Status Feed::rowAdded(const QSqlQuery &insert, const QString &rowText)
{
    // Only the file's index is fed here (a server asked for the last id
    // would fail the transaction for want of a sequence).
    if (m_textTable.isEmpty())
        return {};
    Statements &s = *m_statements;
    const qint64 rowId = insert.lastInsertId().toLongLong();
    if (m_highest < 0) {
        if (!s.highest.exec())
            return sql::failure(s.highest, QStringLiteral("reading the search index of %1").arg(m_history));
        m_highest = s.highest.next() ? s.highest.value(0).toLongLong() : 0;
        s.highest.finish();
    }
    QSqlQuery *add = &s.addOne;
    if (rowId <= m_highest) {
        // The new row took a number the index still holds: rows were
        // deleted from the end (never by this program); the index is read
        // anew.
        if (!s.clear.exec())
            return sql::failure(s.clear, QStringLiteral("renewing the search index of %1").arg(m_history));
        add = &s.addAfter;
        add->addBindValue(0);
    } else if (rowId > m_highest + 1) {
        // Rows went in that the index does not hold: a program that does
        // not feed it wrote them.
        add = &s.addAfter;
        add->addBindValue(m_highest);
    } else {
        // A single row's INSERT needs no statement savepoint, which would
        // make FTS5 write its pending terms out for every bill.
        add->addBindValue(rowId);
        add->addBindValue(rowText);
    }
    if (!add->exec())
        return sql::failure(*add, QStringLiteral("indexing the bill in %1").arg(m_history));
    m_highest = rowId;
    return {};
}

} // namespace registersearch
