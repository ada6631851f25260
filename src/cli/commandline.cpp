#include "commandline.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <unistd.h>

namespace cli {

void out(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fflush(stderr);
}

static QStringList argumentsOf(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// Qt wants a private runtime folder and warns on stderr without one; give
// it one so that the commands' stderr carries only their own messages.
static void ensureRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/billprint-runtime-%1").arg(::getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

int run(int argc, char *argv[])
{
    ensureRuntimeDir();
    const QStringList args = argumentsOf(argc, argv);
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("words")) {
        QCoreApplication app(argc, argv);
        return runWords(rest);
    }
    if (command == QLatin1String("date")) {
        QCoreApplication app(argc, argv);
        return runDate(rest);
    }
    if (command == QLatin1String("templates")) {
        QCoreApplication app(argc, argv);
        return runTemplates(rest);
    }
    if (command == QLatin1String("template")) {
        QCoreApplication app(argc, argv);
        return runTemplate(rest);
    }
    if (command == QLatin1String("fill"))
        return runFill(rest);
    if (command == QLatin1String("batch"))
        return runBatch(rest);
    if (command == QLatin1String("history"))
        return runHistory(rest);
    if (!command.isEmpty() && !command.startsWith(QLatin1String("--"))) {
        err(QStringLiteral("billprint: unknown command \"%1\"\n"
                           "usage: billprint [--db PATH] | words | date | templates | template | fill | batch | history\n")
                .arg(command));
        return ExitUsage;
    }
    return runWindow(argc, argv, args);
}

} // namespace cli
