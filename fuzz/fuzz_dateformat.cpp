// The date formatter on any style code and digits (the input's first line is
// the style, the rest the digits): never a crash, never a lone surrogate,
// and digits are taken exactly when they are a digit string.
#include "core/dateformat.h"
#include "fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString input = fuzz::text(data, size);
    const qsizetype newline = input.indexOf(u'\n');
    const QString style = newline < 0 ? input.left(14) : input.left(newline);
    const QString digits = newline < 0 ? input.mid(14) : input.mid(newline + 1);

    const std::optional<QString> shown = dateformat::FormatDate(style, digits);
    fuzz::check(shown.has_value() == dateformat::isDigitString(digits),
                QStringLiteral("digits \"%1\" taken or refused wrongly").arg(digits));
    if (shown)
        fuzz::check(fuzz::wellFormed(*shown), QStringLiteral("a lone surrogate from \"%1\"").arg(input));
    const dateformat::DateStyle parsed = dateformat::parseDateStyle(style);
    if (dateformat::isRealDate(parsed, digits))
        fuzz::check(fuzz::wellFormed(dateformat::FormatDate(parsed, digits)),
                    QStringLiteral("a lone surrogate from \"%1\"").arg(input));
    for (int code = -1; code < 12; ++code) {
        dateformat::FormatYear(digits, code);
        dateformat::FormatMonth(digits, code);
        dateformat::FormatDay(digits, code);
        dateformat::MonthToEnglish(digits, code);
    }
    return 0;
}
