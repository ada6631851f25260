#include "core/sheetvalue.h"

#include <QTime>

#include <charconv>
#include <cmath>

namespace sheetvalue {

namespace {

using Kind = NumberFormat::Kind;

constexpr int MaxNumberText = 400; // characters of a number in a file
constexpr int MaxExponent = 400;
constexpr int LastSerial1900 = 2958465; // 9999-12-31
constexpr int LastSerial1904 = 2957003;

NumberFormat fixed(int decimals)
{
    return {Kind::Fixed, decimals};
}

// The first section of a format code ("0.00;[Red]-0.00" gives "0.00")
// with quoted texts, escaped characters, fills, spaces and [colour] or
// [condition] brackets taken out; `elapsed` tells whether a bracket held
// an elapsed-time code such as [h].
QString bareSection(const QString &code, bool &elapsed)
{
    QString bare;
    elapsed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u';')
            break;
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            i = end < 0 ? code.size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1).toLower();
            if (!inside.isEmpty() && inside.count(inside.at(0)) == inside.size()
                && (inside.at(0) == u'h' || inside.at(0) == u'm' || inside.at(0) == u's'))
                elapsed = true;
            i = end < 0 ? code.size() : end;
        } else {
            bare += c;
        }
    }
    return bare.toLower().remove(QStringLiteral("general"));
}

bool hasPlaceholder(const QString &bare)
{
    return bare.contains(u'0') || bare.contains(u'#') || bare.contains(u'?');
}

// Adds one in the last place of a digit string, carrying.
QByteArray incremented(QByteArray digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return '1' + digits;
}

Decimal normalised(Decimal d)
{
    qsizetype lead = 0;
    while (lead < d.digits.size() && d.digits.at(lead) == '0')
        ++lead;
    d.digits.remove(0, lead);
    while (!d.digits.isEmpty() && d.digits.endsWith('0')) {
        d.digits.chop(1);
        ++d.exponent;
    }
    if (d.digits.isEmpty()) {
        d.negative = false;
        d.exponent = 0;
    }
    return d;
}

QString timeText(const Decimal &value)
{
    const double day = value.plain(0).toDouble();
    const qint64 seconds = qint64(std::llround((day - std::floor(day)) * 86400.0)) % 86400;
    return QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

NumberFormat builtinFormat(int id)
{
    switch (id) {
    case 1: case 3: case 5: case 6: case 37: case 38: case 41: case 42: return fixed(0);
    case 2: case 4: case 7: case 8: case 39: case 40: case 43: case 44: return fixed(2);
    case 9: return {Kind::Percent, 0};
    case 10: return {Kind::Percent, 2};
    case 14: case 15: case 16: case 17: case 22: case 27: case 28: case 29: case 30: case 31: case 36:
    case 50: case 51: case 52: case 53: case 54: case 57: case 58: return {Kind::Date, 0};
    case 18: case 19: case 20: case 21: case 32: case 33: case 34: case 35: case 45: case 46: case 47:
    case 55: case 56: return {Kind::Time, 0};
    default: return {};
    }
}

NumberFormat formatOf(const QString &code)
{
    bool elapsed = false;
    const QString bare = bareSection(code, elapsed);
    if (bare.contains(u'y') || bare.contains(u'd'))
        return {Kind::Date, 0};
    if (elapsed || bare.contains(u'h') || bare.contains(u's'))
        return {Kind::Time, 0};
    if (bare.contains(u'm') && !hasPlaceholder(bare))
        return {Kind::Date, 0}; // a month alone
    // Scientific notation, fractions and text show the number as it is.
    if (!hasPlaceholder(bare) || bare.contains(u'e') || bare.contains(u'/'))
        return {};
    int decimals = 0;
    if (const qsizetype point = bare.indexOf(u'.'); point >= 0)
        for (qsizetype i = point + 1; i < bare.size(); ++i) {
            const QChar c = bare.at(i);
            if (c == u'0' || c == u'#' || c == u'?')
                ++decimals;
            else if (c != u',')
                break;
        }
    return {bare.contains(u'%') ? Kind::Percent : Kind::Fixed, decimals};
}

std::optional<Decimal> Decimal::parse(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > MaxNumberText)
        return std::nullopt;
    Decimal d;
    qsizetype i = 0;
    if (text.at(0) == u'-' || text.at(0) == u'+') {
        d.negative = text.at(0) == u'-';
        ++i;
    }
    bool point = false;
    int mantissaDigits = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            d.digits += char(c.unicode());
            ++mantissaDigits;
            if (point)
                --d.exponent;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size()) {
        if (text.at(i) != u'e' && text.at(i) != u'E')
            return std::nullopt;
        bool ok = false;
        const int e = text.mid(i + 1).toInt(&ok);
        if (!ok || text.mid(i + 1).startsWith(u' ') || std::abs(e) > MaxExponent)
            return std::nullopt;
        d.exponent += e;
    }
    return normalised(d);
}

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        return {};
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return {};
    return parse(QString::fromLatin1(buffer, end - buffer)).value_or(Decimal{});
}

Decimal Decimal::significant(int keep) const
{
    if (digits.size() <= keep)
        return *this;
    Decimal d = *this;
    const bool up = keep >= 0 && digits.at(keep) >= '5';
    d.digits.truncate(std::max(keep, 0));
    d.exponent += int(digits.size()) - std::max(keep, 0);
    if (up)
        d.digits = incremented(d.digits.isEmpty() ? QByteArray("0") : d.digits);
    return normalised(d);
}

Decimal Decimal::decimals(int places) const
{
    if (exponent >= -places)
        return *this;
    const int drop = -places - exponent;
    if (drop > digits.size())
        return {};
    return significant(int(digits.size()) - drop);
}

int Decimal::integerDigits() const
{
    return std::max(0, int(digits.size()) + exponent);
}

QString Decimal::plain(int places) const
{
    QString whole;
    QString fraction;
    const QString all = QString::fromLatin1(digits);
    if (digits.isEmpty()) {
        whole = QStringLiteral("0");
    } else if (exponent >= 0) {
        whole = all + QString(exponent, u'0');
    } else {
        const int point = int(digits.size()) + exponent;
        whole = point > 0 ? all.left(point) : QStringLiteral("0");
        fraction = point > 0 ? all.mid(point) : QString(-point, u'0') + all;
    }
    if (fraction.size() < places)
        fraction += QString(places - fraction.size(), u'0');
    return (negative ? QStringLiteral("-") : QString()) + whole
           + (fraction.isEmpty() ? QString() : QStringLiteral(".") + fraction);
}

std::optional<QDate> serialDate(const Decimal &serial, bool date1904, bool *leapBug)
{
    if (leapBug)
        *leapBug = false;
    if (serial.negative || serial.integerDigits() > 8)
        return std::nullopt;
    const int day = serial.integerDigits() == 0 ? 0 : serial.plain(0).section(u'.', 0, 0).toInt();
    if (date1904)
        return day <= LastSerial1904 ? std::optional(QDate(1904, 1, 1).addDays(day)) : std::nullopt;
    if (day < 1 || day > LastSerial1900)
        return std::nullopt;
    if (day == 60) {
        if (leapBug)
            *leapBug = true;
        return std::nullopt;
    }
    return QDate(1899, 12, day < 60 ? 31 : 30).addDays(day);
}

NumberText numberText(const Decimal &value, const NumberFormat &format, bool date1904)
{
    switch (format.kind) {
    case Kind::Date: {
        bool leapBug = false;
        if (const std::optional<QDate> d = serialDate(value, date1904, &leapBug))
            return {d->toString(Qt::ISODate), {}};
        if (leapBug)
            return {QStringLiteral("1900-02-29"),
                    QStringLiteral("日期 1900-02-29 不存在（电子表格把 1900 年当作了闰年）")};
        return {value.significant(SignificantDigits).plain(),
                QStringLiteral("日期值 %1 不是一个日期").arg(value.significant(SignificantDigits).plain())};
    }
    case Kind::Time:
        return {timeText(value), {}};
    default:
        break;
    }
    if (value.integerDigits() > SignificantDigits) {
        const QString shown = value.significant(SignificantDigits).plain();
        return {shown, QStringLiteral("数字 %1 超过 %2 位，电子表格只保存 %2 位有效数字，后面的位数已经变成了 0："
                                      "请把这一列设为文本格式后重新输入")
                           .arg(shown)
                           .arg(SignificantDigits)};
    }
    Decimal v = value.significant(SignificantDigits);
    if (format.kind == Kind::Percent) {
        if (!v.digits.isEmpty())
            v.exponent += 2;
        return {v.decimals(format.decimals).plain(format.decimals) + u'%', {}};
    }
    if (format.kind == Kind::Fixed)
        return {v.decimals(format.decimals).plain(format.decimals), {}};
    return {v.plain(), {}};
}

QString decodeEscapes(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

} // namespace sheetvalue
