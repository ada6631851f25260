#pragma once
// Small parser for the subcommands' options: "--name value" pairs,
// repeatable options and plain words.
#include <QMap>
#include <QString>
#include <QStringList>

namespace cli {

struct Options {
    QMap<QString, QStringList> values; // option name (without "--") -> values in order
    QStringList words;                 // arguments that are not options
    QString error;                     // non-empty when the arguments are malformed

    QString value(const QString &name) const { return values.value(name).value(0); }
    bool has(const QString &name) const { return values.contains(name); }
};

// Parses args; `withValue` names the options that take a value, `flags`
// those that do not. Anything else starting with "--" is an error.
Options parseOptions(const QStringList &args, const QStringList &withValue,
                     const QStringList &flags = {});

} // namespace cli
