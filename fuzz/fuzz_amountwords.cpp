// The amount reader and both conversions to words on any text: never a
// crash; an amount the reader takes goes into columns and comes back the
// same; Chinese words use only the numerals and units; English words end in
// " Only" (or are the overflow text) and hold only letters, blanks and
// hyphens; a result either has words or says why not.
#include "core/amountwords.h"
#include "core/moneyvalue.h"
#include "fuzzcommon.h"

namespace {

const QString ChineseLetters = QStringLiteral("零壹贰叁肆伍陆柒捌玖圆拾佰仟万亿兆角分厘整负");

void checkChinese(const QString &amount, int places)
{
    const words::WordsResult r = words::MoneyToChinese(amount, places);
    fuzz::check(r.ok() || !r.message.isEmpty(), QStringLiteral("chinese: a failure without a message"));
    fuzz::check(r.ok() || r.text.isEmpty() || r.status == words::WordsStatus::TooManyDigits,
                QStringLiteral("chinese: words with a failure"));
    for (const QChar c : r.text)
        fuzz::check(ChineseLetters.contains(c), QStringLiteral("chinese: \"%1\" in %2").arg(c).arg(r.text));
}

void checkEnglish(const QString &amount)
{
    const words::WordsResult r = words::MoneyToEnglish(amount);
    fuzz::check(r.ok() || !r.message.isEmpty(), QStringLiteral("english: a failure without a message"));
    if (!r.ok() || r.text.isEmpty())
        return;
    fuzz::check(r.text.endsWith(QLatin1String(" Only")) || r.text == words::EnglishOverflowText,
                QStringLiteral("english: %1").arg(r.text));
    for (const QChar c : r.text)
        fuzz::check(c.isLetter() || c == u' ' || c == u'-' || c.isDigit(),
                    QStringLiteral("english: \"%1\" in %2").arg(c).arg(r.text));
}

void checkTyped(const QString &typed)
{
    const std::optional<exact::Amount> yuan = money::parseTyped(typed);
    if (!yuan)
        return;
    const std::optional<QStringList> columns = money::columnsFor(*yuan, 20);
    if (!columns)
        return;
    const std::optional<exact::Amount> back = money::yuan(*columns, false);
    fuzz::check(back && money::fenDigits(*back) == money::fenDigits(*yuan),
                QStringLiteral("\"%1\" came back from the columns as another amount").arg(typed));
    const std::optional<exact::Amount> single = money::yuan({money::singleBoxText(*yuan)}, true);
    fuzz::check(single && money::fenDigits(*single) == money::fenDigits(*yuan),
                QStringLiteral("\"%1\" came back from a single box as another amount").arg(typed));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString amount = fuzz::text(data, size);
    for (int places = -1; places <= 4; ++places)
        checkChinese(amount, places);
    checkEnglish(amount);
    checkTyped(amount);
    return 0;
}
