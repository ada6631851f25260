#include "options.h"
#include <QCommandLineParser>

namespace cli {

namespace {

// Words that begin with one dash ("-5") are values such as amounts, never
// options: everything that is not a "--name" option (or the value after one)
// reaches the parser after "--", which ends the options.
QStringList optionsFirst(const QStringList &args, const QStringList &withValue)
{
    QStringList options;
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--")) {
            words += args.mid(i + 1);
            break;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            words << a;
            continue;
        }
        options << a;
        if (!a.contains(QLatin1Char('=')) && withValue.contains(a.mid(2)) && i + 1 < args.size())
            options << args.at(++i);
    }
    return QStringList{QStringLiteral("billprint")} + options + QStringList{QStringLiteral("--")} + words;
}

// An option that takes a value given last, without one: the parser would
// take the "--" put after the options as its value.
QString missingValue(const QStringList &args, const QStringList &withValue)
{
    const QStringList options = args.mid(0, args.indexOf(QStringLiteral("--")));
    if (options.isEmpty() || !options.last().startsWith(QLatin1String("--")))
        return {};
    const QString name = options.last().mid(2);
    return withValue.contains(name) ? QStringLiteral("option --%1 needs a value").arg(name) : QString();
}

QString errorOf(const QCommandLineParser &parser, const QStringList &args, const QStringList &withValue)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("unknown option --%1").arg(parser.unknownOptionNames().first());
    for (const QString &a : args) {
        const QString name = a.mid(2).section(QLatin1Char('='), 0, 0);
        if (a.startsWith(QLatin1String("--")) && !withValue.contains(name) && a.contains(QLatin1Char('=')))
            return QStringLiteral("option --%1 takes no value").arg(name);
    }
    return parser.errorText();
}

} // namespace

Options parseOptions(const QStringList &args, const QStringList &withValue, const QStringList &flags)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const QString &name : withValue)
        parser.addOption(QCommandLineOption(name, QString(), name));
    for (const QString &name : flags)
        parser.addOption(QCommandLineOption(name));
    Options o;
    o.error = missingValue(args, withValue);
    if (!o.error.isEmpty())
        return o;
    if (!parser.parse(optionsFirst(args, withValue))) {
        o.error = errorOf(parser, args, withValue);
        return o;
    }
    for (const QString &name : withValue)
        if (parser.isSet(name))
            o.values[name] = parser.values(name);
    // An empty database path would open whatever the current folder holds.
    if (o.values.value(QStringLiteral("db")).contains(QString())) {
        o.error = QStringLiteral("option --db needs a path, not \"\"");
        return o;
    }
    for (const QString &name : flags)
        if (parser.isSet(name))
            o.values[name] << QString();
    o.words = parser.positionalArguments();
    return o;
}

} // namespace cli
