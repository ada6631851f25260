#include "core/database.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include "core/schema.h"
#include "core/units.h"

Q_LOGGING_CATEGORY(lcDb, "billprint.database")

namespace database {

QString resolvePath(const QString &dbArgument, const QString &programDir)
{
    if (!dbArgument.isEmpty())
        return QFileInfo(dbArgument).absoluteFilePath();
    const QString beside = QDir(programDir).filePath(QStringLiteral("DB/BillDB.db"));
    if (QFileInfo::exists(beside))
        return beside;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(dataHome).filePath(QStringLiteral("billprint/DB/BillDB.db"));
}

// Splits the SQL script into statements: each ends with ';' at a line's end.
static QStringList statementsOf(const QString &script)
{
    QStringList statements;
    QString current;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("--")) || trimmed.isEmpty())
            continue;
        current += line + QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            statements << current.trimmed().chopped(1);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

StoreStatus createDefaultSchema(const QString &connectionName)
{
    QFile f(QStringLiteral(":/default.sql"));
    if (!f.open(QIODevice::ReadOnly))
        return StoreStatus::failure(QStringLiteral("the default database is missing from the program"));
    const QString script = QString::fromUtf8(f.readAll());
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.transaction())
        return StoreStatus::failure(db.lastError().text());
    QSqlQuery q(db);
    for (const QString &sql : statementsOf(script)) {
        if (!q.exec(sql)) {
            const QString why = q.lastError().text();
            q.finish();
            db.rollback();
            return StoreStatus::failure(QStringLiteral("creating the default database: %1").arg(why));
        }
    }
    q.finish();
    if (!db.commit())
        return StoreStatus::failure(db.lastError().text());
    return {};
}

StoreStatus ensureExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return {};
    if (!QDir().mkpath(info.absolutePath()))
        return StoreStatus::failure(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    const QString name = QStringLiteral("billprint-create-%1").arg(quintptr(&info), 0, 16);
    StoreStatus status;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            status = StoreStatus::failure(QStringLiteral("cannot create %1: %2").arg(path, db.lastError().text()));
        else
            status = createDefaultSchema(name);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!status)
        QFile::remove(path); // a half-made file would later look like a broken database
    return status;
}

StoreStatus checkUsable(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")))
        return StoreStatus::failure(q.lastError().text().isEmpty() ? QStringLiteral("not a database")
                                                                    : q.lastError().text());
    q.finish();
    const QStringList tables = db.tables(QSql::Tables);
    QStringList missing;
    for (const char *t : {"AppInfo", "ClassList", "BillList", "LanguageSet"})
        if (!tables.contains(QLatin1String(t)))
            missing << QLatin1String(t);
    if (!missing.isEmpty())
        return StoreStatus::failure(QStringLiteral("the tables %1 are missing").arg(missing.join(QStringLiteral(", "))));
    return {};
}

} // namespace database

// Write-ahead logging: a save commits without rewriting the file, and a
// crash mid-save cannot damage older data. Only for a file already known to
// be a billprint database, which this then changes.
static void useWriteAheadLog(QSqlDatabase &db, const QString &path)
{
    if (!QFileInfo(path).isWritable())
        return;
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
}

int OpenDatabase(AppState &state, const QString &path)
{
    CloseDatabase(state);
    state.DatabaseError.clear();
    const QString name = QStringLiteral("billprint-%1").arg(quintptr(&state), 0, 16);
    if (!QFileInfo(path).isFile()) {
        state.DatabaseError = QStringLiteral("the database file %1 does not exist").arg(path);
        return 3;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!QFileInfo(path).isWritable())
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            state.DatabaseError = QStringLiteral("cannot open %1: %2").arg(path, db.lastError().text());
        } else {
            state.DbConnection = name;
            StoreStatus s = database::checkUsable(name);
            if (!s)
                state.DatabaseError = QStringLiteral("%1 is not a usable billprint database: %2").arg(path, s.message);
            else if (QFileInfo(path).isWritable()) {
                useWriteAheadLog(db, path);
                if (StoreStatus up = schema::upgrade(name); !up)
                    qCWarning(lcDb) << up.message;
            }
        }
    }
    if (!state.DatabaseError.isEmpty()) {
        qCWarning(lcDb) << state.DatabaseError;
        CloseDatabase(state);
        return 3;
    }
    return 0;
}

int CloseDatabase(AppState &state)
{
    if (state.DbConnection.isEmpty())
        return 0;
    {
        QSqlDatabase db = QSqlDatabase::database(state.DbConnection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(state.DbConnection);
    state.DbConnection.clear();
    return 0;
}

QString ReadAppInfo(AppState &state, int level, int what, const QString &value)
{
    if (level >= 1 || what != 100 || state.DbConnection.isEmpty())
        return value;
    QList<AppInfoRow> rows;
    if (!TemplateStore(state.DbConnection).readAppInfo(rows))
        return value;
    QString last = value;
    for (const AppInfoRow &row : rows) {
        const QString v = row.appValue.value_or(QString());
        const QString &n = row.appName;
        if (n == QLatin1String("appTitle")) state.AppTitle = v;
        else if (n == QLatin1String("appVersion")) state.AppVersion = v;
        else if (n == QLatin1String("appPhone")) state.AppPhone = v;
        else if (n == QLatin1String("appAddress")) state.AppAddress = v;
        else if (n == QLatin1String("appHomePage")) state.AppHomePage = v;
        else if (n == QLatin1String("appDownLoadPage")) state.AppDownLoadPage = v;
        else if (n == QLatin1String("appNewsServer")) state.AppNewsServer = v;
        else if (n == QLatin1String("appLanguage")) {
            const QString lang = row.appValue.value_or(QStringLiteral("1"));
            state.AppLanguage = qint16(lang.trimmed().isEmpty() ? 1 : lang.trimmed().toInt());
        } else
            continue;
        last = v;
    }
    return last;
}

void StartUp(AppState &state, const QString &dbArgument, const QString &programDir)
{
    state.DatabasePath = database::resolvePath(dbArgument, programDir);
    StoreStatus created = database::ensureExists(state.DatabasePath);
    if (!created)
        state.DatabaseError = created.message;
    else
        OpenDatabase(state, state.DatabasePath);
    state.InitMenuNames();
    ReadAppInfo(state, 0, 100, QString());
    state.BillRect[2] = int(units::roundHalfEven(12757.5));
    state.BillRect[3] = 4536;
    state.SplitterLeft = 1000;
}
