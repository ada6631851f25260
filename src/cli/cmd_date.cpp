#include "commandline.h"

#include "core/dateformat.h"

namespace cli {

// billprint date STYLE DIGITS: the date as a date field with that style code
// shows it. Digits that are not a digit string leave a field unchanged, so
// nothing is printed for them.
int runDate(const QStringList &args)
{
    if (args.size() != 2) {
        err(QStringLiteral("usage: billprint date STYLE DIGITS\n"
                           "  STYLE   the 14-character date style code, e.g. 04010501060107\n"
                           "  DIGITS  the date as typed, e.g. 20261206\n"));
        return ExitUsage;
    }
    if (const std::optional<QString> shown = dateformat::FormatDate(args.at(0), args.at(1)))
        out(*shown + QLatin1Char('\n'));
    return ExitOk;
}

} // namespace cli
