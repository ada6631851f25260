#pragma once
// A small billprint database for window tests: classes, templates, menu
// texts and template tables, written with plain SQL into a temporary file.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

namespace testdb {

struct Row {
    QString key;
    int type;
    QString name;
    QVariant value;
};

inline bool exec(QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning("SQL failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// Opens (creating) a database file on its own connection and runs f on it.
template <class F>
bool build(const QString &path, F f)
{
    const QString name = QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            // One transaction: a sync per statement makes building slow.
            db.transaction();
            ok = f(db);
            ok = db.commit() && ok;
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

inline bool createSchema(QSqlDatabase &db)
{
    return exec(db, QStringLiteral("CREATE TABLE \"AppInfo\"(\"appName\" TEXT, \"appValue\" TEXT)"))
        && exec(db, QStringLiteral("CREATE TABLE \"ClassList\"(\"cKey\" INTEGER, \"cName\" TEXT)"))
        && exec(db, QStringLiteral("CREATE TABLE \"BillList\"(\"bKey\" INTEGER, \"bName\" TEXT, \"cKey\" INTEGER)"))
        && exec(db, QStringLiteral("CREATE TABLE \"LanguageSet\"(\"LName\" TEXT, \"LType\" INTEGER, "
                                   "\"LCaptionCHJ\" TEXT, \"LValue\" TEXT)"));
}

inline bool addTemplateTable(QSqlDatabase &db, const QString &table, const QList<Row> &rows)
{
    if (!exec(db, QStringLiteral("CREATE TABLE \"%1\"(\"cKey\" VARCHAR(50), \"cName\" VARCHAR(50), "
                                 "\"cType\" SMALLINT, \"cValue\" VARCHAR(50))").arg(table)))
        return false;
    for (const Row &r : rows)
        if (!exec(db, QStringLiteral("INSERT INTO \"%1\" VALUES(?,?,?,?)").arg(table),
                  {r.key, r.name, r.type, r.value}))
            return false;
    return true;
}

inline bool addMenuRows(QSqlDatabase &db, const QString &group, const QList<QPair<QString, QVariant>> &rows)
{
    for (int i = 0; i < rows.size(); ++i)
        if (!exec(db, QStringLiteral("INSERT INTO \"LanguageSet\" VALUES(?,?,?,?)"),
                  {group, i, rows.at(i).first, rows.at(i).second}))
            return false;
    return true;
}

// A bill record and fields of every kind: the label, text, date and check
// at control 1, the money field at control 2 with three column positions.
inline QList<Row> sampleTemplate()
{
    return {
        {"00000000", 0, "票据", "转账支票"},
        {"00000000", 3, "宽", "12000"},
        {"00000000", 4, "高", "5000"},
        {"00000000", 9, "底色", "16777215"},
        {"00104001", 0, "标签", "收款人"},
        {"00104001", 1, "左", "300"},
        {"00104001", 2, "上", "450"},
        {"00104001", 3, "宽", "1500"},
        {"00104001", 4, "高", "300"},
        {"00104001", 5, "字号", "12pt"},
        {"00208002", 0, "金额", "金额"},
        {"00208002", 1, "左", "6000"},
        {"00208002", 2, "上", "1050"},
        {"00208002", 3, "宽", "3000"},
        {"00208002", 4, "高", "405"},
        {"00208002", 20, "起始位", "十"},
        {"00208002", 100, "列0", "300"},
        {"00208002", 101, "列1", "600"},
        {"00208002", 102, "列2", "900"},
        {"00307001", 0, "用途", "用途"},
        {"00307001", 1, "左", "300"},
        {"00307001", 2, "上", "1500"},
        {"00307001", 3, "宽", "4000"},
        {"00307001", 4, "高", "300"},
        {"00307001", 6, "长度", "20"},
        {"00406001", 0, "日期", "出票日期"},
        {"00406001", 1, "左", "300"},
        {"00406001", 2, "上", "150"},
        {"00406001", 3, "宽", "3000"},
        {"00406001", 4, "高", "300"},
        {"00505001", 0, "现金", "现金"},
        {"00505001", 1, "左", "8000"},
        {"00505001", 2, "上", "150"},
        {"00505001", 3, "宽", "900"},
        {"00505001", 4, "高", "300"},
    };
}

// n fields, a fifth each of label, check, date, text and money.
inline QList<Row> largeTemplate(int n)
{
    QList<Row> rows = {{"00000000", 0, "票据", "大"}, {"00000000", 3, "宽", "12758"},
                       {"00000000", 4, "高", "4536"}};
    const int kinds[] = {4, 5, 6, 7, 8};
    for (int s = 1; s <= n; ++s) {
        const int kind = kinds[s % 5];
        const QString key = QStringLiteral("%1%2%3").arg(s, 3, 10, QLatin1Char('0'))
                                .arg(kind, 2, 10, QLatin1Char('0'))
                                .arg(s / 5 + 1, 3, 10, QLatin1Char('0'));
        rows << Row{key, 0, "名", QStringLiteral("栏%1").arg(s)}
             << Row{key, 1, "左", QString::number((s % 10) * 1200)}
             << Row{key, 2, "上", QString::number((s / 10) * 220)}
             << Row{key, 3, "宽", "1100"} << Row{key, 4, "高", "200"};
        if (kind == 8)
            rows << Row{key, 20, "起始位", "万"};
    }
    return rows;
}

} // namespace testdb
