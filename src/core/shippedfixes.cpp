#include "core/shippedfixes.h"
#include "core/sqldialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace shippedfixes {

namespace {

const char *const TransferCheque = "支票_转账支票";
const char *const CashCheque = "支票_现金支票";

// "人民币（大写）" beside the cheque's two boxes for the amount in words: on
// two lines, "人民币" over "（大写）", ending before the boxes begin.
QList<Row> chequeCaption(const char *table)
{
    return {{table, "01404007", 0, "人民币（大写）", "人民币（大写）"},
            {table, "01404007", 1, "3515", "3515"},
            {table, "01404007", 2, "1588", "1588"},
            {table, "01404007", 3, "1160", "750"},
            {table, "01404007", 4, "284", "454"},
            {table, "01404007", 5, "8", "8"}};
}

// The form prints "人民币" before the box: the words go in alone.
QList<Row> chequeWords(const char *table)
{
    return {{table, "01404007", 0, "人民币（大写）", "人民币（大写）"},
            {table, "01607004", 15, "人民币", ""}};
}

// "金额 人民币（大写）" on the slips: "金额 人民币" over "（大写）".
QList<Row> slipCaption(const char *table, const char *key, const char *top)
{
    return {{table, key, 0, "金额 人民币（大写）", "金额 人民币（大写）"},
            {table, key, 1, "454", "454"},
            {table, key, 2, top, top},
            {table, key, 3, "1640", "960"},
            {table, key, 4, "284", "454"},
            {table, key, 5, "8", "8"}};
}

QString quotedTable(const char *table)
{
    return QStringLiteral("\"%1\"").arg(QString::fromUtf8(table));
}

// True when every row holds its delivered value; false also when the
// template is not there.
bool asDelivered(QSqlDatabase &db, const QList<Row> &group, StoreStatus &status)
{
    const QStringList tables = sqldialect::tables(db);
    QSqlQuery q(db);
    for (const Row &r : group) {
        if (!tables.contains(QString::fromUtf8(r.table)))
            return false;
        q.prepare(QStringLiteral("SELECT \"cValue\" FROM %1 WHERE \"cKey\"=? AND \"cType\"=?").arg(quotedTable(r.table)));
        q.addBindValue(QString::fromLatin1(r.key));
        q.addBindValue(r.type);
        if (!q.exec()) {
            status = StoreStatus::failure(q.lastError().text());
            return false;
        }
        const bool same = q.next() && q.value(0).toString() == QString::fromUtf8(r.delivered) && !q.next();
        q.finish();
        if (!same)
            return false;
    }
    return true;
}

} // namespace

const QList<QList<Row>> &groups()
{
    static const QList<QList<Row>> all{
        chequeCaption(TransferCheque),
        chequeCaption(CashCheque),
        chequeWords(TransferCheque),
        chequeWords(CashCheque),
        slipCaption("结算凭证_进账单", "01704009", "2608"),
        slipCaption("结算凭证_电汇凭证", "02604012", "3062"),
        {{"通用票据_通用凭证", "00404001", 0, "人民币（大写）：", "人民币（大写）"},
         {"通用票据_通用凭证", "00404001", 1, "500", "500"},
         {"通用票据_通用凭证", "00404001", 3, "1320", "1180"},
         {"通用票据_通用凭证", "00404001", 5, "8", "8"}},
    };
    return all;
}

StoreStatus apply(QSqlDatabase &db)
{
    for (const QList<Row> &group : groups()) {
        StoreStatus status;
        if (!asDelivered(db, group, status)) {
            if (!status)
                return status;
            continue;
        }
        QSqlQuery q(db);
        for (const Row &r : group) {
            if (qstrcmp(r.delivered, r.now) == 0)
                continue;
            q.prepare(QStringLiteral("UPDATE %1 SET \"cValue\"=? WHERE \"cKey\"=? AND \"cType\"=?").arg(quotedTable(r.table)));
            q.addBindValue(QString::fromUtf8(r.now));
            q.addBindValue(QString::fromLatin1(r.key));
            q.addBindValue(r.type);
            if (!q.exec())
                return StoreStatus::failure(q.lastError().text());
        }
    }
    return {};
}

} // namespace shippedfixes
