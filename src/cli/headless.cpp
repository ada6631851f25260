#include "cli/headless.h"
#include "cli/commandline.h"
#include "core/database.h"

#include <QCoreApplication>

namespace cli {

HeadlessPlatform::HeadlessPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
}

bool openDatabaseFor(AppState &state, const QString &dbArgument, const QString &command)
{
    StartUp(state, dbArgument, QCoreApplication::applicationDirPath());
    if (!state.DbConnection.isEmpty())
        return true;
    err(QStringLiteral("%1: cannot open the database: %2\n").arg(command, state.DatabaseError));
    return false;
}

} // namespace cli
