#include "commandline.h"

#include "core/dateformat.h"

namespace cli {

namespace {

int usage(const QString &why)
{
    err(QStringLiteral("billprint date: %1\n"
                       "usage: billprint date STYLE DIGITS\n"
                       "  STYLE   the 14-character date style code, e.g. 04010501060107\n"
                       "  DIGITS  the date as typed, e.g. 20261206\n")
            .arg(why));
    return ExitUsage;
}

} // namespace

// billprint date STYLE DIGITS: the date as a date field with that style code
// shows it. A style code that names no order, or digits that are no date
// in that order (20260230, 1, 99999999), are usage errors: nothing is printed.
int runDate(const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("STYLE and DIGITS are needed"));
    const QString &code = args.at(0);
    const QString &digits = args.at(1);
    const dateformat::DateStyle style = dateformat::parseDateStyle(code);
    if (code.size() != 14 || !dateformat::isDigitString(code) || style.order < 1 || style.order > 6)
        return usage(QStringLiteral("\"%1\" is not a date style code").arg(code.left(60)));
    if (!dateformat::isRealDate(style, digits))
        return usage(QStringLiteral("\"%1\" is not a date for the style %2").arg(digits.left(60), code));
    out(dateformat::FormatDate(style, digits) + QLatin1Char('\n'));
    return ExitOk;
}

} // namespace cli
