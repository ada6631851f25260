#include "core/propvalue.h"

#include "core/units.h"

#include <QRegularExpression>
#include <climits>

namespace propvalue {

std::optional<int> strictWhole(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v > double(INT_MAX) || v < double(INT_MIN))
        return std::nullopt;
    return int(units::roundHalfEven(v));
}

double leadingNumber(const QString &text)
{
    // Blanks anywhere are skipped, as the stored texts were read.
    QString t;
    t.reserve(text.size());
    for (const QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            t += c;
    if (t.isEmpty())
        return 0.0;
    // The usual case, a plain whole number, without the pattern.
    bool plain = true;
    for (const QChar c : std::as_const(t))
        plain = plain && c >= u'0' && c <= u'9';
    if (plain && t.size() < 10)
        return double(t.toInt());
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch())
        return 0.0;
    QString n = m.captured(0);
    n.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    bool ok = false;
    const double v = n.toDouble(&ok);
    if (ok)
        return v;
    // An exponent out of range: keep the number before it.
    return m.captured(1).toDouble();
}

int whole(const QString &text)
{
    const double v = leadingNumber(text);
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    return int(units::roundHalfEven(v));
}

quint32 colour(const QString &text)
{
    const double v = leadingNumber(text);
    if (v >= 4294967296.0 || v <= -2147483649.0)
        return 0;
    return quint32(qint64(units::roundHalfEven(v)));
}

bool isYes(const QString &text)
{
    return text == QStringLiteral("是");
}

} // namespace propvalue
