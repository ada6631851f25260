#include "core/templatemanager.h"
#include "core/registersearch.h"
#include "core/sqlhelpers.h"
#include "core/sqldialect.h"
#include "core/units.h"

#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>

Q_LOGGING_CATEGORY(lcManage, "billprint.templates")

namespace {

using sql::run;

constexpr int MaxNameLength = 50;  // the name columns of the class and template lists
constexpr int MaxTableBytes = 63;  // the longest table name a PostgreSQL store keeps whole
const QString BillKey = QStringLiteral("00000000");

QString quoted(const QString &name) { return TemplateStore::quoteIdentifier(name); }

StoreStatus refuse(const QString &message) { return StoreStatus::failure(message); }

// One transaction, rolled back unless committed. Queries must be finished
// before it ends, so every statement runs on a query of its own.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db) : m_db(db) { m_open = m_db.transaction(); }
    ~Transaction()
    {
        if (m_open)
            m_db.rollback();
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    StoreStatus begun() const
    {
        if (StoreStatus w = sql::writable(m_db); !w)
            return w;
        return m_open ? StoreStatus{}
                      : refuse(QStringLiteral("无法开始写入数据库：%1").arg(m_db.lastError().text()));
    }
    StoreStatus commit()
    {
        if (!m_db.commit())
            return refuse(QStringLiteral("无法写入数据库：%1").arg(m_db.lastError().text()));
        m_open = false;
        return {};
    }

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

StoreStatus exec(QSqlDatabase db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery q(db);
    if (!run(q, statement, values))
        return sql::failure(q, QStringLiteral("写入数据库失败"));
    return {};
}

// The first column of every row a query returns.
StoreStatus firstColumn(QSqlDatabase db, const QString &statement, const QVariantList &values,
                        QVariantList &out)
{
    out.clear();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!run(q, statement, values))
        return sql::failure(q, QStringLiteral("读取数据库失败"));
    while (q.next())
        out << q.value(0);
    return {};
}

// SQLite compares table names without regard to case.
QString existingTable(QSqlDatabase db, const QString &name)
{
    const QStringList tables = sqldialect::tables(db);
    for (const QString &t : tables)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return {};
}

bool hasTable(QSqlDatabase db, const QString &name) { return !existingTable(db, name).isEmpty(); }

// A table name taken by another table than `own` (the one being renamed).
bool tableTaken(QSqlDatabase db, const QString &name, const QString &own)
{
    const QString found = existingTable(db, name);
    return !found.isEmpty() && found != own;
}

// The tables and columns that hold a template's table name (or its
// register's): column descriptions and scanned forms. Printer calibrations
// belong to printers and name no template.
struct NameReference {
    const char *table;
    const char *column;
    bool history; // holds the register's name rather than the template's
};
constexpr NameReference References[] = {
    {"ColumnDescriptions", "tableName", true},
    {"FormBackground", "templateTable", false},
    {"TemplateVersions", "templateTable", false},
};

StoreStatus createTemplateTable(QSqlDatabase db, const QString &table)
{
    return exec(db, QStringLiteral("CREATE TABLE %1 (\"cKey\" VARCHAR(50), \"cName\" VARCHAR(50), "
                                   "\"cType\" SMALLINT, \"cValue\" VARCHAR(50))").arg(quoted(table)));
}

StoreStatus createRegister(QSqlDatabase db, const QString &table, const QStringList &columns)
{
    QString list = QStringLiteral("\"WriteDate\" VARCHAR(20)");
    for (const QString &c : columns)
        list += QStringLiteral(", %1 VARCHAR(200)").arg(quoted(c));
    return exec(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table), list));
}

StoreStatus insertRecord(QSqlDatabase db, const QString &table, const TemplateRecord &record)
{
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (\"cKey\",\"cName\",\"cType\",\"cValue\") VALUES (?,?,?,?)")
                       .arg(quoted(table))))
        return sql::failure(q, QStringLiteral("写入模板失败"));
    for (const PropertyEntry &e : record.props) {
        q.addBindValue(record.key);
        q.addBindValue(e.name.isNull() ? QStringLiteral("") : e.name);
        q.addBindValue(int(e.key));
        q.addBindValue(e.value.isNull() ? QStringLiteral("") : e.value);
        if (!q.exec())
            return sql::failure(q, QStringLiteral("写入模板字段 %1 失败").arg(record.key));
    }
    return {};
}

StoreStatus nextNumber(QSqlDatabase db, const QString &table, const QString &column, qint64 &next)
{
    QVariantList v;
    if (StoreStatus s = firstColumn(db, QStringLiteral("SELECT MAX(%1) FROM %2").arg(quoted(column), quoted(table)),
                                    {}, v);
        !s)
        return s;
    next = qMax<qint64>(0, v.value(0).toLongLong()) + 1;
    return {};
}

StoreStatus insertClass(QSqlDatabase db, const QString &name, qint64 &cKey)
{
    if (StoreStatus s = nextNumber(db, QStringLiteral("ClassList"), QStringLiteral("cKey"), cKey); !s)
        return s;
    return exec(db, QStringLiteral("INSERT INTO \"ClassList\" (\"cKey\",\"cName\") VALUES (?,?)"), {cKey, name});
}

StoreStatus insertBill(QSqlDatabase db, const QString &name, qint64 cKey)
{
    qint64 bKey = 0;
    if (StoreStatus s = nextNumber(db, QStringLiteral("BillList"), QStringLiteral("bKey"), bKey); !s)
        return s;
    return exec(db, QStringLiteral("INSERT INTO \"BillList\" (\"bKey\",\"bName\",\"cKey\") VALUES (?,?,?)"),
                {bKey, name, cKey});
}

// Renames a table; a change of case only goes through a free name, as
// SQLite takes the new name for the old table's own.
StoreStatus renameTable(QSqlDatabase db, const QString &from, const QString &to)
{
    const QString rename = QStringLiteral("ALTER TABLE %1 RENAME TO %2");
    if (from.compare(to, Qt::CaseInsensitive) == 0 && from != to) {
        const QString between = QStringLiteral("rename_") + QUuid::createUuid().toString(QUuid::Id128);
        if (StoreStatus s = exec(db, rename.arg(quoted(from), quoted(between))); !s)
            return s;
        return exec(db, rename.arg(quoted(between), quoted(to)));
    }
    return exec(db, rename.arg(quoted(from), quoted(to)));
}

// The rows of other tables that name the template or its register follow.
StoreStatus moveReferences(QSqlDatabase db, const TemplateRef &from, const TemplateRef &to)
{
    for (const NameReference &r : References) {
        const QString table = QString::fromLatin1(r.table);
        if (!hasTable(db, table))
            continue;
        const QString oldName = r.history ? from.historyTable() : from.table();
        const QString newName = r.history ? to.historyTable() : to.table();
        if (StoreStatus s = exec(db, QStringLiteral("UPDATE %1 SET %2=? WHERE %2=?")
                                         .arg(quoted(table), quoted(QString::fromLatin1(r.column))),
                                 {newName, oldName});
            !s)
            return s;
    }
    return {};
}

StoreStatus dropReferences(QSqlDatabase db, const TemplateRef &ref)
{
    for (const NameReference &r : References) {
        const QString table = QString::fromLatin1(r.table);
        if (!hasTable(db, table))
            continue;
        if (StoreStatus s = exec(db, QStringLiteral("DELETE FROM %1 WHERE %2=?")
                                         .arg(quoted(table), quoted(QString::fromLatin1(r.column))),
                                 {r.history ? ref.historyTable() : ref.table()});
            !s)
            return s;
    }
    return {};
}

// Renames the template's table and register and what names them.
StoreStatus moveTables(QSqlDatabase db, const TemplateRef &from, const TemplateRef &to)
{
    for (const auto &[oldName, newName] :
         {std::pair{from.table(), to.table()}, std::pair{from.historyTable(), to.historyTable()}}) {
        const QString existing = existingTable(db, oldName);
        if (existing.isEmpty())
            continue;
        if (StoreStatus s = renameTable(db, existing, newName); !s)
            return s;
    }
    return moveReferences(db, from, to);
}

// The bill's name follows the template's where it was the same.
StoreStatus renameBill(QSqlDatabase db, const QString &table, const QString &from, const QString &to)
{
    return exec(db, QStringLiteral("UPDATE %1 SET \"cValue\"=? WHERE \"cKey\"=? AND \"cType\"=0 AND \"cValue\"=?")
                        .arg(quoted(table)),
                {to, BillKey, from});
}

} // namespace

// ---- names -------------------------------------------------------------------

int TemplateRecord::kind() const
{
    const std::optional<FieldKey> k = FieldKey::parse(key);
    return k ? k->kind : -1;
}

TemplateManager::TemplateManager(const QString &connectionName) : m_connection(connectionName) {}

QString TemplateManager::deletedClass()
{
    return QStringLiteral("已删除");
}

QList<PaperPreset> TemplateManager::paperPresets()
{
    return {
        {QStringLiteral("支票"), 225.0, 80.0},
        {QStringLiteral("进账单"), 212.0, 102.0},
        {QStringLiteral("电汇凭证"), 220.0, 110.0},
    };
}

QString TemplateManager::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("名称不能为空");
    if (name != name.trimmed())
        return QStringLiteral("名称的开头和结尾不能是空格");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            return QStringLiteral("名称不能含有换行或控制字符");
    if (name.size() > MaxNameLength)
        return QStringLiteral("名称不能超过 %1 个字符").arg(MaxNameLength);
    return {};
}

std::optional<ClassRow> TemplateManager::findClass(const QString &name) const
{
    QList<ClassRow> classes;
    TemplateStore(m_connection).listClasses(classes);
    for (const ClassRow &c : std::as_const(classes))
        if (c.cName == name)
            return c;
    return std::nullopt;
}

std::optional<BillRow> TemplateManager::findTemplate(const TemplateRef &ref) const
{
    const std::optional<ClassRow> c = findClass(ref.className);
    if (!c)
        return std::nullopt;
    QList<BillRow> bills;
    TemplateStore(m_connection).listBills(bills);
    for (const BillRow &b : std::as_const(bills))
        if (b.cKey == c->cKey && b.bName == ref.templateName)
            return b;
    return std::nullopt;
}

QStringList TemplateManager::templatesOf(const QString &className) const
{
    QStringList names;
    const std::optional<ClassRow> c = findClass(className);
    if (!c)
        return names;
    QList<BillRow> bills;
    TemplateStore(m_connection).listBills(bills);
    for (const BillRow &b : std::as_const(bills))
        if (b.cKey == c->cKey)
            names << b.bName;
    return names;
}

StoreStatus TemplateManager::printedCount(const TemplateRef &ref, qint64 &count) const
{
    count = 0;
    QSqlDatabase db = TemplateStore(m_connection).database();
    const QString table = existingTable(db, ref.historyTable());
    if (table.isEmpty())
        return {};
    QVariantList v;
    if (StoreStatus s = firstColumn(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted(table)), {}, v); !s)
        return s;
    count = v.value(0).toLongLong();
    return {};
}

// Whether the template's tables could take these names: short enough,
// not reserved, and not another table's (the renamed template's own
// tables excepted).
static StoreStatus checkTableNames(QSqlDatabase db, const TemplateRef &ref, const TemplateRef *renamed = nullptr)
{
    if (ref.historyTable().toUtf8().size() > MaxTableBytes)
        return refuse(QStringLiteral("“%1”的名称太长：类别名与模板名合起来不能超过 %2 个字节（约 20 个汉字）")
                          .arg(ref.display())
                          .arg(MaxTableBytes - 3));
    if (ref.table().startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return refuse(QStringLiteral("类别名不能以“sqlite”开头"));
    for (const QString &name : {ref.table(), ref.historyTable()}) {
        const QString own = renamed ? existingTable(db, name == ref.table() ? renamed->table()
                                                                            : renamed->historyTable())
                                    : QString();
        if (tableTaken(db, name, own))
            return refuse(QStringLiteral("“%1”的表名“%2”已被占用（类别名与模板名之间以“_”相连，"
                                         "可能与另一个模板重名），请换一个名称")
                              .arg(ref.display(), existingTable(db, name)));
    }
    return {};
}

StoreStatus TemplateManager::checkNewClass(const QString &name) const
{
    if (const QString why = nameProblem(name); !why.isEmpty())
        return refuse(QStringLiteral("类别名不可用：%1").arg(why));
    if (findClass(name))
        return refuse(QStringLiteral("类别“%1”已存在").arg(name));
    return {};
}

StoreStatus TemplateManager::checkNewTemplate(const TemplateRef &ref) const
{
    if (const QString why = nameProblem(ref.templateName); !why.isEmpty())
        return refuse(QStringLiteral("模板名不可用：%1").arg(why));
    if (findTemplate(ref))
        return refuse(QStringLiteral("模板“%1”已存在").arg(ref.display()));
    return checkTableNames(TemplateStore(m_connection).database(), ref);
}

// ---- creating ----------------------------------------------------------------

StoreStatus TemplateManager::createClass(const QString &name) const
{
    if (StoreStatus s = checkNewClass(name); !s)
        return s;
    QSqlDatabase db = TemplateStore(m_connection).database();
    Transaction t(db);
    if (StoreStatus s = t.begun(); !s)
        return s;
    qint64 cKey = 0;
    if (StoreStatus s = insertClass(db, name, cKey); !s)
        return s;
    return t.commit();
}

StoreStatus TemplateManager::createTemplate(const TemplateRef &ref, double widthMm, double heightMm) const
{
    const std::optional<ClassRow> c = findClass(ref.className);
    if (!c)
        return refuse(QStringLiteral("类别“%1”不存在").arg(ref.className));
    if (StoreStatus s = checkNewTemplate(ref); !s)
        return s;
    for (const double mm : {widthMm, heightMm})
        if (!(mm >= MinPaperMm && mm <= MaxPaperMm))
            return refuse(QStringLiteral("纸张的宽和高须在 %1 到 %2 毫米之间").arg(MinPaperMm).arg(MaxPaperMm));
    const TemplateStore store(m_connection);
    TemplateRecord bill{BillKey, {}};
    store.readPropertyGroup(QStringLiteral("cBill"), bill.props);
    auto set = [&bill](int key, const QString &name, const QString &value) {
        for (PropertyEntry &e : bill.props)
            if (e.key == key) {
                e.value = value;
                return;
            }
        bill.props.append({qint16(key), name, value});
        std::stable_sort(bill.props.begin(), bill.props.end(),
                         [](const PropertyEntry &a, const PropertyEntry &b) { return a.key < b.key; });
    };
    set(0, QStringLiteral("票据名称"), ref.templateName);
    set(3, QStringLiteral("宽度"), QString::number(units::mmToTwips(widthMm)));
    set(4, QStringLiteral("高度"), QString::number(units::mmToTwips(heightMm)));

    QSqlDatabase db = store.database();
    Transaction t(db);
    StoreStatus s = t.begun();
    if (s)
        s = createTemplateTable(db, ref.table());
    if (s)
        s = insertRecord(db, ref.table(), bill);
    if (s)
        s = createRegister(db, ref.historyTable(), {});
    if (s)
        s = insertBill(db, ref.templateName, c->cKey);
    return s ? t.commit() : s;
}

StoreStatus TemplateManager::copyTemplate(const TemplateRef &from, const TemplateRef &to) const
{
    QSqlDatabase db = TemplateStore(m_connection).database();
    const QString source = existingTable(db, from.table());
    if (!findTemplate(from) || source.isEmpty())
        return refuse(QStringLiteral("模板“%1”不存在").arg(from.display()));
    const std::optional<ClassRow> c = findClass(to.className);
    if (!c)
        return refuse(QStringLiteral("类别“%1”不存在").arg(to.className));
    if (StoreStatus s = checkNewTemplate(to); !s)
        return s;
    const QString columns = QStringLiteral("\"cKey\",\"cName\",\"cType\",\"cValue\"");
    Transaction t(db);
    StoreStatus s = t.begun();
    if (s)
        s = createTemplateTable(db, to.table());
    if (s)
        s = exec(db, QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(quoted(to.table()), columns,
                                                                               quoted(source)));
    if (s)
        s = renameBill(db, to.table(), from.templateName, to.templateName);
    // The register keeps its columns but none of the source's printed bills.
    if (const QString history = existingTable(db, from.historyTable()); s && !history.isEmpty())
        s = exec(db, QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2 WHERE 1=0")
                         .arg(quoted(to.historyTable()), quoted(history)));
    else if (s)
        s = createRegister(db, to.historyTable(), {});
    if (s && hasTable(db, QStringLiteral("ColumnDescriptions")))
        s = exec(db, QStringLiteral("INSERT INTO \"ColumnDescriptions\" (\"tableName\",\"columnName\",\"description\") "
                                    "SELECT ?, \"columnName\", \"description\" FROM \"ColumnDescriptions\" "
                                    "WHERE \"tableName\"=?"),
                 {to.historyTable(), from.historyTable()});
    if (s && hasTable(db, formbackground::tableName()))
        s = exec(db, QStringLiteral("INSERT INTO %1 (\"templateTable\",\"image\",\"dpi\",\"offsetX\",\"offsetY\",\"opacity\") "
                                    "SELECT ?, \"image\",\"dpi\",\"offsetX\",\"offsetY\",\"opacity\" FROM %1 "
                                    "WHERE \"templateTable\"=?")
                         .arg(quoted(formbackground::tableName())),
                 {to.table(), from.table()});
    if (s)
        s = insertBill(db, to.templateName, c->cKey);
    return s ? t.commit() : s;
}

// ---- renaming ----------------------------------------------------------------

StoreStatus TemplateManager::checkRenameClass(const QString &from, const QString &to) const
{
    if (!findClass(from))
        return refuse(QStringLiteral("类别“%1”不存在").arg(from));
    if (from == to)
        return {};
    if (StoreStatus s = checkNewClass(to); !s)
        return s;
    QSqlDatabase db = TemplateStore(m_connection).database();
    for (const QString &name : templatesOf(from)) {
        const TemplateRef old{from, name};
        if (StoreStatus s = checkTableNames(db, {to, name}, &old); !s)
            return s;
    }
    return {};
}

StoreStatus TemplateManager::renameClass(const QString &from, const QString &to) const
{
    if (StoreStatus s = checkRenameClass(from, to); !s || from == to)
        return s;
    const std::optional<ClassRow> c = findClass(from);
    QSqlDatabase db = TemplateStore(m_connection).database();
    const QStringList templates = templatesOf(from);
    Transaction t(db);
    StoreStatus s = t.begun();
    for (const QString &name : templates)
        if (s)
            s = moveTables(db, {from, name}, {to, name});
    if (s)
        s = exec(db, QStringLiteral("UPDATE \"ClassList\" SET \"cName\"=? WHERE \"cKey\"=? AND \"cName\"=?"),
                 {to, c->cKey, from});
    return s ? t.commit() : s;
}

StoreStatus TemplateManager::checkRenameTemplate(const TemplateRef &from, const QString &newName) const
{
    if (!findTemplate(from))
        return refuse(QStringLiteral("模板“%1”不存在").arg(from.display()));
    if (from.templateName == newName)
        return {};
    const TemplateRef to{from.className, newName};
    if (const QString why = nameProblem(newName); !why.isEmpty())
        return refuse(QStringLiteral("模板名不可用：%1").arg(why));
    if (findTemplate(to))
        return refuse(QStringLiteral("模板“%1”已存在").arg(to.display()));
    return checkTableNames(TemplateStore(m_connection).database(), to, &from);
}

StoreStatus TemplateManager::renameTemplate(const TemplateRef &from, const QString &newName) const
{
    if (StoreStatus s = checkRenameTemplate(from, newName); !s || from.templateName == newName)
        return s;
    const std::optional<BillRow> b = findTemplate(from);
    const TemplateRef to{from.className, newName};
    QSqlDatabase db = TemplateStore(m_connection).database();
    Transaction t(db);
    StoreStatus s = t.begun();
    if (s)
        s = moveTables(db, from, to);
    if (s && hasTable(db, to.table()))
        s = renameBill(db, to.table(), from.templateName, newName);
    if (s)
        s = exec(db, QStringLiteral("UPDATE \"BillList\" SET \"bName\"=? WHERE \"bKey\"=? AND \"bName\"=? AND \"cKey\"=?"),
                 {newName, b->bKey, from.templateName, b->cKey});
    return s ? t.commit() : s;
}

// ---- deleting ----------------------------------------------------------------

StoreStatus TemplateManager::deleteClass(const QString &name) const
{
    const std::optional<ClassRow> c = findClass(name);
    if (!c)
        return refuse(QStringLiteral("类别“%1”不存在").arg(name));
    if (const qsizetype n = templatesOf(name).size())
        return refuse(QStringLiteral("类别“%1”中还有 %2 个模板，请先删除或移走它们").arg(name).arg(n));
    QSqlDatabase db = TemplateStore(m_connection).database();
    Transaction t(db);
    StoreStatus s = t.begun();
    if (s)
        s = exec(db, QStringLiteral("DELETE FROM \"ClassList\" WHERE \"cKey\"=? AND \"cName\"=?"), {c->cKey, name});
    return s ? t.commit() : s;
}

// A free name for a template moved among the deleted ones: its name with
// its class in brackets, shortened to fit a table name and numbered when
// taken.
static std::optional<TemplateRef> deletedName(const TemplateManager &m, QSqlDatabase db, const TemplateRef &ref)
{
    QString base = QStringLiteral("%1（%2）").arg(ref.templateName, ref.className);
    auto fits = [](const QString &name) {
        const TemplateRef r{TemplateManager::deletedClass(), name + QStringLiteral(" 999")};
        return TemplateManager::nameProblem(r.templateName).isEmpty() && r.historyTable().toUtf8().size() <= MaxTableBytes;
    };
    while (!base.isEmpty() && !fits(base))
        base.chop(1);
    base = base.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("模板");
    for (int n = 1; n < 1000; ++n) {
        const TemplateRef candidate{TemplateManager::deletedClass(),
                                    n == 1 ? base : QStringLiteral("%1 %2").arg(base).arg(n)};
        if (!m.findTemplate(candidate) && checkTableNames(db, candidate, &ref))
            return candidate;
    }
    return std::nullopt;
}

StoreStatus TemplateManager::deleteTemplate(const TemplateRef &ref, Removal how, TemplateRef *movedTo) const
{
    if (movedTo)
        *movedTo = {};
    const std::optional<BillRow> b = findTemplate(ref);
    if (!b)
        return refuse(QStringLiteral("模板“%1”不存在").arg(ref.display()));
    qint64 printed = 0;
    if (StoreStatus s = printedCount(ref, printed); !s)
        return s;
    QSqlDatabase db = TemplateStore(m_connection).database();
    const bool move = how == Removal::KeepPrinted && printed > 0;
    if (move && ref.className == deletedClass())
        return refuse(QStringLiteral("模板“%1”已在“%2”类别中，登记簿中有 %3 张已打印的票据")
                          .arg(ref.display(), deletedClass())
                          .arg(printed));
    const std::optional<TemplateRef> free = move ? deletedName(*this, db, ref) : std::nullopt;
    if (move && !free)
        return refuse(QStringLiteral("在“%1”类别中找不到空闲的名称").arg(deletedClass()));
    const TemplateRef target = free.value_or(TemplateRef{});
    const std::optional<ClassRow> deleted = findClass(deletedClass());
    const QVariantList billRow{b->bKey, ref.templateName, b->cKey};

    Transaction t(db);
    StoreStatus s = t.begun();
    if (move) {
        qint64 cKey = deleted ? deleted->cKey : 0;
        if (s && !deleted)
            s = insertClass(db, deletedClass(), cKey);
        if (s)
            s = moveTables(db, ref, target);
        if (s)
            s = exec(db, QStringLiteral("UPDATE \"BillList\" SET \"bName\"=?, \"cKey\"=? "
                                        "WHERE \"bKey\"=? AND \"bName\"=? AND \"cKey\"=?"),
                     QVariantList{target.templateName, cKey} + billRow);
    } else {
        if (const QString history = existingTable(db, ref.historyTable()); s && !history.isEmpty())
            s = registersearch::drop(db, history);
        for (const QString &name : {ref.table(), ref.historyTable()})
            if (const QString table = existingTable(db, name); s && !table.isEmpty())
                s = exec(db, QStringLiteral("DROP TABLE %1").arg(quoted(table)));
        if (s)
            s = dropReferences(db, ref);
        if (s)
            s = exec(db, QStringLiteral("DELETE FROM \"BillList\" WHERE \"bKey\"=? AND \"bName\"=? AND \"cKey\"=?"),
                     billRow);
    }
    if (s)
        s = t.commit();
    if (s && movedTo)
        *movedTo = target;
    return s;
}

// ---- content -----------------------------------------------------------------

StoreStatus TemplateManager::readContent(const TemplateRef &ref, TemplateContent &out) const
{
    out = TemplateContent{ref, {}, {}, std::nullopt};
    QSqlDatabase db = TemplateStore(m_connection).database();
    const QString table = existingTable(db, ref.table());
    if (!findTemplate(ref) || table.isEmpty())
        return refuse(QStringLiteral("模板“%1”不存在").arg(ref.display()));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!run(q, QStringLiteral("SELECT \"cKey\",\"cName\",\"cType\",\"cValue\" FROM %1 "
                               "ORDER BY \"cKey\" ASC, CAST(\"cType\" AS INTEGER) ASC").arg(quoted(table))))
        return sql::failure(q, QStringLiteral("读取模板“%1”失败").arg(ref.display()));
    QList<TemplateRecord> records;
    while (q.next()) {
        const QString key = q.value(0).toString();
        if (records.isEmpty() || records.last().key != key)
            records.append({key, {}});
        records.last().props.append({qint16(q.value(2).toInt()), q.value(1).toString(), q.value(3).toString()});
    }
    q.finish();
    bool haveBill = false;
    for (const TemplateRecord &r : std::as_const(records)) {
        if (!findEntry(r.props, 0))
            continue; // never read as a field
        const int kind = r.kind();
        if (kind < 0)
            return refuse(QStringLiteral("模板“%1”中的字段编号“%2”不是八位数字").arg(ref.display(), r.key));
        if (kind == KindBill) {
            if (haveBill)
                return refuse(QStringLiteral("模板“%1”有不止一个票据记录").arg(ref.display()));
            out.bill = r;
            haveBill = true;
        } else if (kind >= KindLabel && kind <= KindMoney) {
            out.fields.append(r);
        }
    }
    if (!haveBill)
        return refuse(QStringLiteral("模板“%1”没有票据记录（纸张大小）").arg(ref.display()));
    return FormBackgroundStore(m_connection).load(ref.table(), out.background);
}

StoreStatus TemplateManager::checkImport(const TemplateRef &ref) const
{
    if (!findClass(ref.className))
        if (StoreStatus s = checkNewClass(ref.className); !s)
            return s;
    return checkNewTemplate(ref);
}

StoreStatus TemplateManager::importContent(const TemplateContent &content, const TemplateRef &as) const
{
    if (StoreStatus s = checkImport(as); !s)
        return s;
    const std::optional<ClassRow> c = findClass(as.className);
    QStringList columns;
    QStringList names;
    for (const TemplateRecord &f : content.fields)
        if (f.kind() >= KindCheck && f.kind() <= KindMoney) {
            columns << f.key;
            names << f.name();
        }
    QSqlDatabase db = TemplateStore(m_connection).database();
    Transaction t(db);
    StoreStatus s = t.begun();
    qint64 cKey = c ? c->cKey : 0;
    if (s && !c)
        s = insertClass(db, as.className, cKey);
    if (s)
        s = createTemplateTable(db, as.table());
    if (s)
        s = insertRecord(db, as.table(), content.bill);
    for (const TemplateRecord &f : content.fields)
        if (s)
            s = insertRecord(db, as.table(), f);
    if (s)
        s = createRegister(db, as.historyTable(), columns);
    if (s && !columns.isEmpty()) {
        s = exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS \"ColumnDescriptions\" (\"tableName\" VARCHAR(255), "
                                    "\"columnName\" VARCHAR(255), \"description\" VARCHAR(255))"));
        for (int i = 0; s && i < columns.size(); ++i)
            s = exec(db, QStringLiteral("INSERT INTO \"ColumnDescriptions\" (\"tableName\",\"columnName\",\"description\") "
                                        "VALUES (?,?,?)"),
                     {as.historyTable(), columns.at(i), names.at(i)});
    }
    if (s && content.background) {
        const FormBackground &bg = *content.background;
        s = FormBackgroundStore(m_connection).ensureTable();
        if (s)
            s = exec(db, QStringLiteral("INSERT INTO %1 (\"templateTable\",\"image\",\"dpi\",\"offsetX\",\"offsetY\",\"opacity\") "
                                        "VALUES (?,?,?,?,?,?)").arg(quoted(formbackground::tableName())),
                     {as.table(), bg.image, bg.dpi, bg.offsetX, bg.offsetY, bg.opacity});
    }
    if (s)
        s = insertBill(db, as.templateName, cKey);
    return s ? t.commit() : s;
}
