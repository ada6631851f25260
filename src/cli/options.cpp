#include "options.h"

namespace cli {

Options parseOptions(const QStringList &args, const QStringList &withValue, const QStringList &flags)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QLatin1String("--")) || a.size() == 2) {
            o.words << a;
            continue;
        }
        QString name = a.mid(2);
        QString inlineValue;
        bool hasInline = false;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
            hasInline = true;
        }
        if (flags.contains(name) && !hasInline) {
            o.values[name] << QString();
        } else if (withValue.contains(name)) {
            if (hasInline) {
                o.values[name] << inlineValue;
            } else if (i + 1 < args.size()) {
                o.values[name] << args.at(++i);
            } else {
                o.error = QStringLiteral("option --%1 needs a value").arg(name);
                return o;
            }
            // An empty path would open whatever the current folder holds.
            if (name == QLatin1String("db") && o.values[name].last().isEmpty()) {
                o.error = QStringLiteral("option --db needs a path, not \"\"");
                return o;
            }
        } else {
            o.error = QStringLiteral("unknown option --%1").arg(name);
            return o;
        }
    }
    return o;
}

} // namespace cli
