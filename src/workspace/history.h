#pragma once
// Keeping a template's history table in step with its fields: whenever a
// design is saved, every check, date, text or money field without a column
// gets one (VARCHAR(200), named after the field key), and every field's
// column is described by the field's name. Columns of deleted fields stay.
// The printed bills in it are the bill register (core/billregister.h).
#include "core/templatestore.h"

#include <QString>
#include <QStringList>

class QWidget;
struct AppState;

namespace history {

struct ColumnPlan {
    QStringList keys;       // every field with a column, in slot order
    QStringList names;      // their names (property 0), same order
    QStringList newColumns; // the keys that have no column yet
};

// The columns the registry's fields need, given the existing column names.
ColumnPlan planColumns(const FieldRegistry &registry, const QStringList &existing);
// The statement that adds the new columns, as one line for the log:
// "ALTER TABLE H_T ADD COLUMN k1 VARCHAR(200),k2 VARCHAR(200);", or empty
// when there is nothing to add.
QString alterStatement(const QString &table, const QStringList &newColumns);

// After the registry was saved to template table `table`: the history
// table's columns follow their fields to the keys the save gave them, every
// field gets a column and every column its field's name. The columns of
// deleted fields keep their rows under another name. Stops at the first
// error and returns it.
StoreStatus SyncHistoryColumns(AppState &state, const QString &table);
// The error box's text: "错误代码(n)", a line break, "错误描述:" and the text.
QString errorText(const StoreStatus &status);
// Shows the error box titled "注意" with a warning icon.
void showError(QWidget *parent, const StoreStatus &status);

} // namespace history
