#pragma once
// Corrections to the templates the program ships, carried into databases
// made by an earlier version: the captions that ran into their fields and
// the "人民币" the cheques printed before the amount in words although the
// forms print it themselves. A template is corrected only where it still
// holds what was delivered, so a template its keeper has changed stays as
// it is; once corrected, nothing matches any more and the step does nothing.
#include "core/templatestore.h"

#include <QSqlDatabase>

namespace shippedfixes {

// One template row: its value as delivered and as shipped now. A row whose
// two values are the same only has to be as delivered for its group to apply.
struct Row {
    const char *table;
    const char *key;
    int type;
    const char *delivered;
    const char *now;
};

// Groups of rows that change together: all of a group, or none of it.
const QList<QList<Row>> &groups();

// The upgrade step.
StoreStatus apply(QSqlDatabase &db);

} // namespace shippedfixes
