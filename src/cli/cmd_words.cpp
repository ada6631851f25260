#include "commandline.h"
#include "core/amountwords.h"
#include "options.h"

namespace cli {

namespace {

const QString WordsUsage = QStringLiteral(
    "usage: billprint words chinese AMOUNT [--places N]\n"
    "       billprint words english AMOUNT\n");

int usageError(const QString &why)
{
    err(QStringLiteral("billprint words: %1\n").arg(why) + WordsUsage);
    return ExitUsage;
}

int printResult(const words::WordsResult &r, const QString &amount)
{
    // The English words of a too long amount are the text "Overflow 21":
    // that is what a field shows, so it is printed like any other result.
    if (!r.ok() && r.text.isEmpty()) {
        err(QStringLiteral("billprint words: cannot convert \"%1\": %2\n").arg(amount.left(60), r.message));
        return ExitUsage;
    }
    out(r.text + QLatin1Char('\n'));
    return ExitOk;
}

} // namespace

int runWords(const QStringList &args)
{
    const Options o = parseOptions(args, {QStringLiteral("places")});
    if (!o.error.isEmpty())
        return usageError(o.error);
    const QString language = o.words.value(0);
    if (language != QLatin1String("chinese") && language != QLatin1String("english"))
        return usageError(language.isEmpty()
                              ? QStringLiteral("say \"chinese\" or \"english\"")
                              : QStringLiteral("unknown language \"%1\"").arg(language));
    if (o.words.size() < 2)
        return usageError(QStringLiteral("the amount is missing"));
    if (o.words.size() > 2)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(o.words.at(2)));
    const QString amount = o.words.at(1);

    if (language == QLatin1String("english")) {
        if (o.has(QStringLiteral("places")))
            return usageError(QStringLiteral("--places applies to chinese only"));
        return printResult(words::MoneyToEnglish(amount), amount);
    }
    int places = 2;
    if (o.has(QStringLiteral("places"))) {
        bool ok = false;
        places = o.value(QStringLiteral("places")).toInt(&ok);
        if (!ok || places < 0 || places > words::MaxChinesePlaces)
            return usageError(QStringLiteral("--places takes 0 to %1, not \"%2\"")
                                  .arg(words::MaxChinesePlaces)
                                  .arg(o.value(QStringLiteral("places"))));
    }
    return printResult(words::MoneyToChinese(amount, places), amount);
}

} // namespace cli
