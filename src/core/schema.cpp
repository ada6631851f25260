#include "core/schema.h"
#include "core/billregister.h"
#include "core/registersearch.h"
#include "core/shippedfixes.h"
#include "core/sqldialect.h"
#include "core/sqlhelpers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace schema {

namespace {

StoreStatus run(QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery q(db);
    if (!sql::run(q, statement, values))
        return StoreStatus::failure(q.lastError().text());
    return {};
}

// The tree's pop-up menu gains the template commands: "新建类别" to "删除"
// (items 0 to 3, delivered hidden while they had nothing behind them) are
// shown with their separators, and "导出模板..." and "导入模板..." follow
// "结束设计并保存". Only a menu as delivered (items 0 to 7, nothing after)
// is changed: the menu's items are numbered by position, and rows added to
// a menu laid out otherwise would shift the commands. Once the export item
// is there the step is done, so items hidden again later stay hidden.
StoreStatus templateMenu(QSqlDatabase &db)
{
    const QString group = QStringLiteral("tvPopupMenuS");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"LType\" FROM \"LanguageSet\" WHERE \"LName\"=? ORDER BY \"LType\""));
    q.addBindValue(group);
    if (!q.exec())
        return StoreStatus::failure(q.lastError().text());
    QList<int> items;
    while (q.next())
        items << q.value(0).toInt();
    q.finish();
    if (items != QList<int>{0, 1, 2, 3, 4, 5, 6, 7})
        return {};
    const QString show = QStringLiteral("UPDATE \"LanguageSet\" SET \"LValue\"=? WHERE \"LName\"=? AND \"LType\"=?");
    for (int item : {0, 1, 2, 3, 4, 6})
        if (StoreStatus s = run(db, show, {QStringLiteral("是"), group, item}); !s)
            return s;
    const QString add = QStringLiteral("INSERT INTO \"LanguageSet\" (\"LName\",\"LType\",\"LCaptionCHJ\",\"LValue\") "
                                       "VALUES (?,?,?,?)");
    const QList<QPair<int, QString>> added{{8, QStringLiteral("-")},
                                           {9, QStringLiteral("导出模板...")},
                                           {10, QStringLiteral("导入模板...")}};
    for (const auto &[item, caption] : added)
        if (StoreStatus s = run(db, add, {group, item, caption, QStringLiteral("是")}); !s)
            return s;
    return {};
}

// The menu items of a group in position order.
StoreStatus menuItems(QSqlDatabase &db, const QString &group, QList<int> &items)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"LType\" FROM \"LanguageSet\" WHERE \"LName\"=? ORDER BY \"LType\""));
    q.addBindValue(group);
    if (!q.exec())
        return StoreStatus::failure(q.lastError().text());
    items.clear();
    while (q.next())
        items << q.value(0).toInt();
    return {};
}

StoreStatus addMenuItems(QSqlDatabase &db, const QString &group, const QList<QPair<int, QString>> &added)
{
    const QString add = QStringLiteral("INSERT INTO \"LanguageSet\" (\"LName\",\"LType\",\"LCaptionCHJ\",\"LValue\") "
                                       "VALUES (?,?,?,?)");
    for (const auto &[item, caption] : added)
        if (StoreStatus s = run(db, add, {group, item, caption, QStringLiteral("是")}); !s)
            return s;
    return {};
}

// Batch printing joins the setup menu after "打印机校准..." and the tree's
// pop-up menu after "导入模板...". As with the template commands, only menus
// laid out as delivered change, since items are numbered by position.
StoreStatus batchMenu(QSqlDatabase &db)
{
    const QString setup = QStringLiteral("mSetupSub");
    const QString popup = QStringLiteral("tvPopupMenuS");
    const QString caption = QStringLiteral("批量打印...");
    QList<int> items;
    if (StoreStatus s = menuItems(db, setup, items); !s)
        return s;
    if (items == QList<int>{0})
        if (StoreStatus s = addMenuItems(db, setup, {{1, caption}}); !s)
            return s;
    if (StoreStatus s = menuItems(db, popup, items); !s)
        return s;
    if (items == QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
        return addMenuItems(db, popup, {{11, QStringLiteral("-")}, {12, caption}});
    return {};
}

// The field kinds that print gain the switch "不打印" (key 30) in their
// default property groups, so that newly placed fields carry it. A group
// that has the key already keeps its row.
StoreStatus notPrintedKey(QSqlDatabase &db)
{
    for (const char *group : {"cCheck", "cDate", "cText", "cMoney"}) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT COUNT(*) FROM \"LanguageSet\" WHERE \"LName\"=? AND \"LType\"=?"));
        q.addBindValue(QString::fromLatin1(group));
        q.addBindValue(30);
        if (!q.exec() || !q.next())
            return StoreStatus::failure(q.lastError().text());
        const bool there = q.value(0).toInt() > 0;
        q.finish();
        if (there)
            continue;
        if (StoreStatus s = run(db,
                                QStringLiteral("INSERT INTO \"LanguageSet\" (\"LName\",\"LType\",\"LCaptionCHJ\",\"LValue\") "
                                               "VALUES (?,?,?,?)"),
                                {QString::fromLatin1(group), 30, QStringLiteral("不打印"), QStringLiteral("否")});
            !s)
            return s;
    }
    return {};
}

// Adds `item` to the end of the setup menu when the menu holds exactly the
// items `delivered`, in order: a menu someone changed is left as it is.
StoreStatus addToDeliveredSetupMenu(QSqlDatabase &db, const QStringList &delivered, const QString &item)
{
    const QString setup = QStringLiteral("mSetupSub");
    QSqlQuery q(db);
    if (!sql::run(q, QStringLiteral("SELECT \"LType\", \"LCaptionCHJ\" FROM \"LanguageSet\" WHERE \"LName\"=? "
                                    "ORDER BY \"LType\""), {setup}))
        return StoreStatus::failure(q.lastError().text());
    QList<QPair<int, QString>> rows;
    while (q.next())
        rows.append({q.value(0).toInt(), q.value(1).toString()});
    q.finish();
    QList<QPair<int, QString>> expected;
    for (const QString &caption : delivered)
        expected.append({int(expected.size()), caption});
    if (rows != expected)
        return {};
    return addMenuItem(db, setup, item);
}

// The setup menu gains the switch that fills today's date into a bill's
// date fields when it is opened; only a setup menu as delivered (the
// calibration and batch printing items) is changed.
StoreStatus todaysDateItem(QSqlDatabase &db)
{
    return addToDeliveredSetupMenu(db, {QStringLiteral("打印机校准..."), QStringLiteral("批量打印...")},
                                   QStringLiteral("打开票据时填入今天的日期"));
}

// The setup menu gains the choice of the store (file or server); as with
// the other items, only a setup menu as delivered changes.
StoreStatus storeMenuItem(QSqlDatabase &db)
{
    return addToDeliveredSetupMenu(db,
                                   {QStringLiteral("打印机校准..."), QStringLiteral("批量打印..."),
                                    QStringLiteral("打开票据时填入今天的日期")},
                                   QStringLiteral("数据库服务器..."));
}

// One version number per template table, moved on by every save of a
// design, so that a save can tell whether someone else saved in between.
StoreStatus templateVersions(QSqlDatabase &db)
{
    return run(db, QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"templateTable\" VARCHAR(255) NOT NULL "
                                  "PRIMARY KEY, \"version\" INTEGER NOT NULL)")
                       .arg(QLatin1String(TemplateStore::VersionTable)));
}

// Every template's history table becomes a bill register: it gains the
// columns that number a printed bill, mark it voided and name the printer,
// the copies and the user. Rows and field columns stay as they are.
StoreStatus billRegister(QSqlDatabase &db)
{
    for (const QString &table : sqldialect::tables(db))
        if (table.startsWith(QLatin1String("H_")))
            if (StoreStatus s = billregister::prepareTable(db, table); !s)
                return s;
    return {};
}

} // namespace

StoreStatus addMenuItem(QSqlDatabase &db, const QString &group, const QString &caption)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"LType\", \"LCaptionCHJ\" FROM \"LanguageSet\" WHERE \"LName\"=?"));
    q.addBindValue(group);
    if (!q.exec())
        return StoreStatus::failure(q.lastError().text());
    int last = -1;
    while (q.next()) {
        if (q.value(1).toString() == caption)
            return {};
        last = std::max(last, q.value(0).toInt());
    }
    q.finish();
    return run(db,
               QStringLiteral("INSERT INTO \"LanguageSet\" (\"LName\",\"LType\",\"LCaptionCHJ\",\"LValue\") "
                              "VALUES (?,?,?,?)"),
               {group, last + 1, caption, QStringLiteral("是")});
}

bool hasColumn(QSqlDatabase &db, const QString &table, const QString &column)
{
    return sqldialect::columnNames(db, table).contains(column);
}

const QList<Step> &steps()
{
    // Each new table or column of a later version gets one step here.
    static const QList<Step> all{
        {"template-menu", templateMenu},
        {"shipped-template-captions", shippedfixes::apply},
        {"batch-menu", batchMenu},
        {"setup-todays-date", todaysDateItem},
        {"not-printed-key", notPrintedKey},
        {"bill-register", billRegister},
        {"store-menu", storeMenuItem},
        {"template-versions", templateVersions},
        {"register-search", registersearch::ensureAll},
    };
    return all;
}

StoreStatus upgrade(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (steps().isEmpty())
        return {};
    if (!db.transaction())
        return StoreStatus::failure(QStringLiteral("升级数据库失败（%1）").arg(db.lastError().text()));
    // Workstations starting at once upgrade a shared server one after another.
    if (StoreStatus s = sqldialect::lockForSetup(db); !s) {
        db.rollback();
        return StoreStatus::failure(QStringLiteral("升级数据库失败（%1）").arg(s.message));
    }
    for (const Step &step : steps()) {
        const StoreStatus s = step.apply(db);
        if (!s) {
            db.rollback();
            return StoreStatus::failure(QStringLiteral("升级数据库失败：%1（%2）")
                                            .arg(QString::fromLatin1(step.name), s.message));
        }
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return StoreStatus::failure(QStringLiteral("升级数据库失败（%1）").arg(why));
    }
    return {};
}

} // namespace schema
