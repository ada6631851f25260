#include "core/moneyvalue.h"

#include "core/amountwords.h"

#include <QRegularExpression>

namespace money {

QString number(const QStringList &columns)
{
    QString digits;
    for (const QString &text : columns) {
        const bool blank = text.trimmed().isEmpty() || !words::IsAmountNumeric(text);
        digits += blank ? QStringLiteral("0") : text;
    }
    return digits;
}

std::optional<exact::Amount> yuan(const QStringList &columns, bool singleBox)
{
    if (singleBox) {
        const QString text = columns.value(0).trimmed();
        if (text.isEmpty())
            return exact::Amount{};
        static const QRegularExpression plain(QStringLiteral("^(\\d+\\.?\\d{0,2}|\\.\\d{1,2})$"));
        if (!plain.match(text).hasMatch())
            return std::nullopt;
        return exact::parse(text);
    }
    return exact::fromMoneyDigits(number(columns));
}

QString fenDigits(const exact::Amount &yuan)
{
    const auto fen = exact::multiply(exact::rounded(yuan, 2), exact::Amount{100, 0});
    return fen ? exact::plain(exact::rounded(*fen, 0)) : QStringLiteral("0");
}

namespace {

// The amount with two decimals and a leading zero: "1234.56", "0.50".
QString twoDecimals(const exact::Amount &yuan)
{
    const QString t = exact::formatHashDot00(yuan);
    return t.startsWith(u'.') ? u'0' + t : t;
}

} // namespace

QString chinese(const QStringList &columns, bool singleBox, QString *error)
{
    if (error)
        error->clear();
    QString amount;
    if (singleBox) {
        const auto y = yuan(columns, true);
        if (!y || !y->aboveZero())
            return {};
        amount = twoDecimals(*y);
    } else {
        amount = number(columns);
    }
    const words::WordsResult r = words::MoneyToChinese(amount, 2);
    if (error && !r.ok() && r.status != words::WordsStatus::NotNumeric)
        *error = r.message;
    return r.text;
}

QString english(const QStringList &columns, bool singleBox)
{
    if (singleBox) {
        const auto y = yuan(columns, true);
        if (!y || !y->aboveZero())
            return {};
        return words::MoneyToEnglish(twoDecimals(*y)).text;
    }
    // The last two columns are cents: 1234.56 typed into the columns is One
    // Thousand ... Dollars And Fifty-Six Cent, not a hundred times that.
    const QString digits = number(columns).rightJustified(3, u'0');
    return words::MoneyToEnglish(digits.chopped(2) + QLatin1Char('.') + digits.right(2)).text;
}

QChar typedDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c;
    if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
        return QChar(u'0' + (c.unicode() - 0xFF10));
    return QChar();
}

std::optional<exact::Amount> parseTyped(const QString &text)
{
    QString t;
    for (const QChar c : text.trimmed()) {
        const QChar d = typedDigit(c);
        if (!d.isNull())
            t += d;
        else if (c == u'.' || c == QChar(0xFF0E))
            t += u'.';
        else if (c == u',' || c == QChar(0xFF0C))
            t += u',';
        else if ((c == u'¥' || c == QChar(0xFFE5)) && t.isEmpty())
            continue; // a currency sign before the amount
        else
            return std::nullopt;
    }
    // Thousands separators only where they group three digits: "12,50" is
    // not an amount of this program.
    static const QRegularExpression plain(
        QStringLiteral("^((\\d{1,3}(,\\d{3})+|\\d+)(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (!plain.match(t).hasMatch())
        return std::nullopt;
    t.remove(u',');
    return exact::parse(t);
}

std::optional<QStringList> columnsFor(const exact::Amount &yuan, int count)
{
    QString fen = fenDigits(yuan);
    if (fen == QLatin1String("0"))
        return QStringList(count, QString());
    if (fen.size() > count)
        return std::nullopt;
    QStringList columns(count - fen.size(), QString());
    for (const QChar c : std::as_const(fen))
        columns << QString(c);
    return columns;
}

QString singleBoxText(const exact::Amount &yuan)
{
    return exact::plain(exact::rounded(yuan, 2));
}

} // namespace money
