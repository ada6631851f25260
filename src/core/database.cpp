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

// The folders of `dir` that do not exist yet, the outermost first.
static QStringList missingFolders(const QString &dir)
{
    QStringList missing;
    for (QString d = QDir::cleanPath(dir); !QFileInfo::exists(d); d = QFileInfo(d).absolutePath()) {
        missing.prepend(d);
        if (QFileInfo(d).absolutePath() == d)
            break;
    }
    return missing;
}

StoreStatus ensureExists(const QString &path)
{
    if (isServerUrl(path))
        return {}; // an empty server database is set up when it is opened
    const QFileInfo info(path);
    if (info.exists())
        return {};
    // A link to a missing file: creating a database through it would put a
    // file wherever the link points, and removing a failed one the link.
    if (info.isSymLink())
        return StoreStatus::failure(QStringLiteral("%1 is a link to %2, which does not exist")
                                        .arg(path, info.symLinkTarget()));
    const QStringList newFolders = missingFolders(info.absolutePath());
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
    if (!status) {
        // A half-made file would later look like a broken database. Only
        // what this run made goes: the file and the folders made for it.
        if (QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
            QFile::remove(path);
        for (auto it = newFolders.crbegin(); it != newFolders.crend(); ++it)
            QDir().rmdir(*it);
    }
    return status;
}

StoreStatus checkUsable(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (sqldialect::isServer(db)) {
        if (StoreStatus s = sqldialect::probe(db); !s)
            return s;
    } else {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            const bool damaged = q.lastError().nativeErrorCode() == QLatin1String("11"); // SQLITE_CORRUPT
            return StoreStatus::failure(q.lastError().text().isEmpty() ? QStringLiteral("not a database")
                                                                        : q.lastError().text(),
                                        damaged ? DamagedError : 1);
        }
        q.finish();
        if (StoreStatus intact = checkIntegrity(connectionName); !intact)
            return intact;
    }
    const QStringList tables = sqldialect::tables(db);
    QStringList missing;
    for (const char *t : {"AppInfo", "ClassList", "BillList", "LanguageSet"})
        if (!tables.contains(QLatin1String(t)))
            missing << QLatin1String(t);
    if (!missing.isEmpty())
        return StoreStatus::failure(QStringLiteral("the tables %1 are missing").arg(missing.join(QStringLiteral(", "))));
    return {};
}

StoreStatus checkIntegrity(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    QSqlQuery q(db);
    // The quick check reads every page once without comparing indexes with
    // their tables: a few milliseconds for the shipped database.
    QStringList problems;
    if (!q.exec(QStringLiteral("PRAGMA quick_check(5)")))
        problems << q.lastError().text();
    while (q.isActive() && q.next()) {
        const QString line = q.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (problems.isEmpty() && q.lastError().isValid())
        problems << q.lastError().text();
    q.finish();
    if (problems.isEmpty())
        return {};
    return StoreStatus::failure(QStringLiteral("the file is damaged (%1)").arg(problems.join(QStringLiteral("; ")).left(300)),
                                DamagedError);
}

bool isWritable(const QString &path)
{
    // The journal is a file beside the database: its folder must be writable too.
    const QFileInfo info(path);
    return info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
}

} // namespace database

// A database that an earlier version switched to write-ahead logging goes
// back to a rollback journal: a WAL database cannot be read by a user who
// cannot write its folder (an installation owned by root).
static void useRollbackJournal(QSqlDatabase &db)
{
    QSqlQuery pragma(db);
    if (pragma.exec(QStringLiteral("PRAGMA journal_mode")) && pragma.next()
        && pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
        pragma.finish();
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=DELETE")))
            qCWarning(lcDb) << "cannot leave write-ahead logging:" << pragma.lastError().text();
    }
}

// Opens the connection `name` on `path`, read-only when asked; the status's
// error is DamagedError for a damaged file. `unchanging` opens the file as
// one nobody writes meanwhile, the only way SQLite reads a database left in
// write-ahead mode from a folder the user cannot write.
static StoreStatus openConnection(const QString &name, const QString &path, bool readOnly, OpenMode mode,
                                  bool unchanging = false)
{
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.close();
    db.setDatabaseName(unchanging ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1")
                                  : path);
    if (readOnly)
        db.setConnectOptions(unchanging ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI")
                                        : QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        return StoreStatus::failure(QStringLiteral("cannot open %1: %2").arg(path, db.lastError().text()));
    if (mode == OpenMode::AsIs)
        return {};
    StoreStatus s = database::checkUsable(name);
    if (!s)
        return StoreStatus::failure(QStringLiteral("%1 is not a usable billprint database: %2").arg(path, s.message),
                                    s.error);
    if (!readOnly) {
        useRollbackJournal(db);
        if (StoreStatus up = schema::upgrade(name); !up)
            qCWarning(lcDb) << up.message;
    }
    return {};
}

// Opens the file; on failure the reason goes to state.DatabaseError. A file
// the user cannot write opens read-only and untouched.
static void openFile(AppState &state, const QString &name, const QString &path, OpenMode mode)
{
    if (!QFileInfo(path).isFile()) {
        state.DatabaseError = QStringLiteral("the database file %1 does not exist").arg(path);
        return;
    }
    const bool readOnly = !database::isWritable(path);
    state.DbConnection = name;
    StoreStatus s = openConnection(name, path, readOnly, mode);
    if (!s && readOnly && s.error != database::DamagedError)
        s = openConnection(name, path, readOnly, mode, true);
    if (!s) {
        state.DatabaseError = s.message;
        state.DatabaseDamaged = s.error == database::DamagedError;
        return;
    }
    state.DatabaseReadOnly = readOnly;
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
    state.DatabaseDamaged = false;
    state.DatabaseReadOnly = false;
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
