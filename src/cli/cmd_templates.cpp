#include "core/database.h"
#include "commandline.h"
#include "headless.h"
#include "options.h"
#include <QCoreApplication>
#include <QSet>

namespace cli {

int runTemplates(const QStringList &args)
{
    const Options o = parseOptions(args, {QStringLiteral("db")});
    if (!o.error.isEmpty() || !o.words.isEmpty()) {
        err(QStringLiteral("billprint templates: %1\nusage: billprint templates [--db PATH]\n")
                .arg(o.error.isEmpty() ? QStringLiteral("unexpected argument \"%1\"").arg(o.words.first()) : o.error));
        return ExitUsage;
    }
    AppState state;
    if (!openDatabaseFor(state, o.value(QStringLiteral("db")), QStringLiteral("billprint")))
        return ExitCannotOpen;
    TemplateStore store(state.DbConnection);
    QList<ClassRow> classes;
    QList<BillRow> bills;
    QStringList leftOut;
    // A list that cannot be read is an error, never an empty list.
    StoreStatus read = store.listClasses(classes, &leftOut);
    if (read)
        read = store.listBills(bills, &leftOut);
    if (!read) {
        err(QStringLiteral("billprint templates: cannot read %1: %2\n").arg(state.DatabasePath, read.message));
        CloseDatabase(state);
        return ExitCannotOpen;
    }
    for (const QString &row : std::as_const(leftOut))
        err(QStringLiteral("billprint templates: left out a row without number or name: %1\n").arg(row));
    // As in the tree: a class number seen before adds no second node.
    QString text;
    QSet<qint64> seen;
    for (const ClassRow &c : classes) {
        if (seen.contains(c.cKey))
            continue;
        seen.insert(c.cKey);
        for (const BillRow &b : bills)
            if (b.cKey == c.cKey)
                text += c.cName + QLatin1Char('/') + b.bName + QLatin1Char('\n');
    }
    out(text);
    CloseDatabase(state);
    return ExitOk;
}

} // namespace cli
