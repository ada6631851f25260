#include "workspace/history.h"
#include "app/uitext.h"

#include "core/appstate.h"
#include "core/billregister.h"

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

StoreStatus SyncHistoryColumns(AppState &state, const QString &table)
{
    if (state.Registry.isEmpty())
        return {};
    // The save numbered the fields densely: each column follows its field
    // from the key it was read under to the key it was saved under.
    FieldRegistry &reg = state.Registry;
    const QMap<QString, QString> saved = TemplateStore::denseKeys(reg);
    QMap<QString, QString> renamed;
    QStringList keys;
    QStringList names;
    for (int s = 0; s < reg.count(); ++s) {
        const FieldRecord &r = reg.at(s);
        if (!hasColumn(r.kind) || r.props().isEmpty())
            continue;
        const QString key = saved.value(reg.keyOf(s));
        if (!r.storedKey.isEmpty())
            renamed.insert(r.storedKey, key);
        keys << key;
        names << r.value(0);
    }
    const QString history = TemplateStore::historyTable(table);
    qCInfo(lcHistory) << "register columns of" << history << "follow" << renamed;
    if (StoreStatus s = billregister::followKeys(state.DbConnection, history, renamed, keys); !s)
        return s;
    // A second save in the same design starts from the keys saved now.
    for (int s = 0; s < reg.count(); ++s)
        if (isFieldKind(reg.at(s).kind) && !reg.at(s).props().isEmpty())
            reg.at(s).storedKey = saved.value(reg.keyOf(s));
    return TemplateStore(state.DbConnection).DescribeColumns(history, keys, names);
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
