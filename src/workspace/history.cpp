#include "workspace/history.h"
#include "app/uitext.h"

#include "core/appstate.h"

#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcHistory, "billprint.history")

namespace history {

namespace {
bool hasColumn(int kind)
{
    return kind == KindCheck || kind == KindDate || kind == KindText || kind == KindMoney;
}
} // namespace

ColumnPlan planColumns(const FieldRegistry &registry, const QStringList &existing)
{
    ColumnPlan plan;
    for (int s = 0; s < registry.count(); ++s) {
        const FieldRecord &r = registry.at(s);
        if (!hasColumn(r.kind) || r.props().isEmpty())
            continue;
        plan.keys << registry.keyOf(s);
        plan.names << r.value(0);
    }
    QStringList pending = plan.keys;
    for (const QString &column : existing) {
        const qsizetype i = pending.indexOf(column);
        if (i >= 0)
            pending[i].clear();
    }
    for (const QString &key : pending)
        if (!key.trimmed().isEmpty())
            plan.newColumns << key;
    return plan;
}

QString alterStatement(const QString &table, const QStringList &newColumns)
{
    if (newColumns.isEmpty())
        return {};
    QStringList parts;
    for (const QString &c : newColumns)
        parts << c + QStringLiteral(" VARCHAR(200)");
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2;")
        .arg(TemplateStore::historyTable(table), parts.join(QLatin1Char(',')));
}

StoreStatus SyncHistoryColumns(const AppState &state, const QString &table)
{
    if (state.Registry.isEmpty())
        return {};
    const TemplateStore store(state.DbConnection);
    const QString history = TemplateStore::historyTable(table);
    QStringList existing;
    if (StoreStatus s = store.ListHistoryColumns(history, existing); !s)
        return s;
    const ColumnPlan plan = planColumns(state.Registry, existing);
    if (!plan.newColumns.isEmpty()) {
        // The store adds the columns one statement each inside one
        // transaction: all of them or none.
        qCInfo(lcHistory).noquote() << alterStatement(table, plan.newColumns);
        if (StoreStatus s = store.addHistoryColumns(history, plan.newColumns); !s)
            return s;
    }
    return store.DescribeColumns(history, plan.keys, plan.names);
}

QString errorText(const StoreStatus &status)
{
    return QStringLiteral("错误代码(%1)\r\n错误描述:%2")
        .arg(status.error)
        .arg(uitext::failure(QStringLiteral("数据库操作没有完成"), status.message));
}

void showError(QWidget *parent, const StoreStatus &status)
{
    QMessageBox::warning(parent, QStringLiteral("注意"), errorText(status));
}

} // namespace history
