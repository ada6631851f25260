#include "app/database.h"
#include "commandline.h"
#include "options.h"
#include <QApplication>
#include <QMessageBox>

namespace cli {

int runWindow(int argc, char *argv[], const QStringList &args)
{
    QApplication app(argc, argv);
    const Options o = parseOptions(args, {QStringLiteral("db")});
    if (!o.error.isEmpty() || !o.words.isEmpty()) {
        err(QStringLiteral("billprint: %1\nusage: billprint [--db PATH]\n")
                .arg(o.error.isEmpty() ? QStringLiteral("unexpected argument \"%1\"").arg(o.words.first()) : o.error));
        return ExitUsage;
    }
    AppState state;
    StartUp(state, o.value(QStringLiteral("db")), QCoreApplication::applicationDirPath());
    if (!state.DatabaseError.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("注意"),
                             QStringLiteral("无法打开数据库：%1\n%2").arg(state.DatabasePath, state.DatabaseError));
    return app.exec();
}

} // namespace cli
