#include "core/database.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include "core/schema.h"
#include "core/sqldialect.h"
#include "core/units.h"

Q_LOGGING_CATEGORY(lcDb, "billprint.database")

namespace database {

bool isServerUrl(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<ServerAddress> parseServerUrl(const QString &url, QString *why)
{
    const QUrl u(url, QUrl::StrictMode);
    ServerAddress a;
    a.user = u.userName(QUrl::FullyDecoded);
    a.password = u.password(QUrl::FullyDecoded);
    a.host = u.host(QUrl::FullyDecoded);
    a.port = u.port(5432);
    a.database = u.path(QUrl::FullyDecoded).mid(1);
    if (!isServerUrl(url) || !u.isValid() || a.host.isEmpty() || a.user.isEmpty() || a.database.isEmpty()
        || a.database.contains(QLatin1Char('/')) || u.hasQuery() || u.hasFragment()) {
        if (why)
            *why = QStringLiteral("服务器地址“%1”不对，应写作 postgresql://用户[:密码]@主机[:端口]/数据库名")
                       .arg(displayName(url));
        return std::nullopt;
    }
    return a;
}

QString displayName(const QString &location)
{
    if (!isServerUrl(location))
        return location;
    QUrl u(location);
    u.setPassword(QString());
    return u.isValid() ? u.toString() : QStringLiteral("postgresql://…");
}

QString resolvePath(const QString &dbArgument, const QString &programDir)
{
    if (isServerUrl(dbArgument))
        return dbArgument;
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
    if (StoreStatus s = sqldialect::lockForSetup(db); !s) {
        db.rollback();
        return s;
    }
    if (!sqldialect::tables(db).isEmpty()) { // another workstation was first
        db.commit();
        return {};
    }
    for (const QString &sql : statementsOf(script)) {
        if (!q.exec(sqldialect::adapt(db, sql))) {
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
    if (isServerUrl(path))
        return {}; // an empty server database is set up when it is opened
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
    if (StoreStatus s = sqldialect::probe(db); !s)
        return s;
    const QStringList tables = sqldialect::tables(db);
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

// Opens the file; on failure the reason goes to state.DatabaseError.
static void openFile(AppState &state, const QString &name, const QString &path, OpenMode mode)
{
    if (!QFileInfo(path).isFile()) {
        state.DatabaseError = QStringLiteral("the database file %1 does not exist").arg(path);
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!QFileInfo(path).isWritable())
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        state.DatabaseError = QStringLiteral("cannot open %1: %2").arg(path, db.lastError().text());
        return;
    }
    state.DbConnection = name;
    if (mode == OpenMode::AsIs)
        return;
    StoreStatus s = database::checkUsable(name);
    if (!s) {
        state.DatabaseError = QStringLiteral("%1 is not a usable billprint database: %2").arg(path, s.message);
        return;
    }
    if (QFileInfo(path).isWritable()) {
        useWriteAheadLog(db, path);
        if (StoreStatus up = schema::upgrade(name); !up)
            qCWarning(lcDb) << up.message;
    }
}

// The server's refusal in words a clerk understands, the server's own
// text after it.
static QString serverReason(const QString &driverText, const database::ServerAddress &a)
{
    const QString t = driverText;
    const QString where = QStringLiteral("%1:%2").arg(a.host).arg(a.port);
    QString reason;
    if (t.contains(QLatin1String("password authentication failed")))
        reason = QStringLiteral("用户名或密码错误（用户“%1”）").arg(a.user);
    else if (t.contains(QLatin1String("no password supplied")))
        reason = QStringLiteral("服务器要求密码，但地址和 ~/.pgpass 中都没有用户“%1”的密码").arg(a.user);
    else if (t.contains(QLatin1String("does not exist")) && t.contains(QLatin1String("database")))
        reason = QStringLiteral("服务器 %1 上没有数据库“%2”").arg(where, a.database);
    else if (t.contains(QLatin1String("does not exist")) && t.contains(QLatin1String("role")))
        reason = QStringLiteral("服务器 %1 上没有用户“%2”").arg(where, a.user);
    else if (t.contains(QLatin1String("translate host name")))
        reason = QStringLiteral("找不到服务器“%1”").arg(a.host);
    else
        reason = QStringLiteral("无法连接到数据库服务器 %1（服务器未启动、地址不对或网络不通）").arg(where);
    return QStringLiteral("%1。服务器的回答：%2").arg(reason, t.simplified());
}

// Opens the server database; an empty one gets the default data.
static void openServer(AppState &state, const QString &name, const QString &url, OpenMode mode)
{
    QString why;
    const std::optional<database::ServerAddress> a = database::parseServerUrl(url, &why);
    if (!a) {
        state.DatabaseError = why;
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db.isValid()) {
        state.DatabaseError = QStringLiteral("本机没有 PostgreSQL 数据库驱动（软件包 libqt6sql6-psql），无法连接服务器");
        return;
    }
    db.setHostName(a->host);
    db.setPort(a->port);
    db.setUserName(a->user);
    if (!a->password.isEmpty())
        db.setPassword(a->password);
    db.setDatabaseName(a->database);
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=billprint;options='-cclient_min_messages=warning'"));
    state.DbConnection = name;
    if (!db.open()) {
        state.DatabaseError = serverReason(db.lastError().text(), *a);
        return;
    }
    if (mode == OpenMode::AsIs)
        return;
    if (sqldialect::tables(db).isEmpty())
        if (StoreStatus s = database::createDefaultSchema(name); !s) {
            state.DatabaseError = QStringLiteral("无法在服务器上建立票据数据库：%1").arg(s.message);
            return;
        }
    if (StoreStatus s = database::checkUsable(name); !s) {
        state.DatabaseError = QStringLiteral("服务器上的数据库“%1”不是票据数据库：%2").arg(a->database, s.message);
        return;
    }
    if (StoreStatus up = schema::upgrade(name); !up)
        qCWarning(lcDb) << up.message;
}

int OpenDatabase(AppState &state, const QString &path, OpenMode mode)
{
    CloseDatabase(state);
    state.DatabaseError.clear();
    const QString name = QStringLiteral("billprint-%1").arg(quintptr(&state), 0, 16);
    if (database::isServerUrl(path))
        openServer(state, name, path, mode);
    else
        openFile(state, name, path, mode);
    if (!state.DatabaseError.isEmpty()) {
        qCWarning(lcDb) << state.DatabaseError;
        if (state.DbConnection.isEmpty())
            QSqlDatabase::removeDatabase(name);
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
