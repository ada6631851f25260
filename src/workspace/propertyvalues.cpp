#include "workspace/propertyvalues.h"

#include "core/billtemplate.h"
#include "core/dateformat.h"
#include "core/moneylayout.h"
#include "core/propkeys.h"
#include "core/units.h"

#include <QHash>
#include <cmath>
#include <QRegularExpression>

namespace propertyvalues {

namespace {

constexpr int MinSide = 113; // 2 mm

QString mmText(int twips) { return millimetres(twips); }

// The least millimetres, to 0.1 mm, that give at least `twips` when typed
// (the nearest tenth could fall short of it and be refused in turn).
QString leastMmText(int twips)
{
    int tenths = int(std::ceil(twips * 10.0 / units::TwipsPerMm));
    while (tenths > 0 && units::mmToTwips((tenths - 1) / 10.0) >= twips)
        --tenths;
    return QString::number(tenths / 10.0, 'f', 1);
}

} // namespace

QString dateExample(const QString &code, const QDate &today)
{
    // A style of the year, month or day alone takes only those digits.
    const int order = dateformat::parseDateStyle(code).order;
    const QString digits = today.toString(order == 1   ? QStringLiteral("yyyy")
                                          : order == 2 ? QStringLiteral("MM")
                                          : order == 3 ? QStringLiteral("dd")
                                                       : QStringLiteral("yyyyMMdd"));
    return dateformat::FormatDate(code, digits).value_or(QString());
}

QList<Choice> dateStyles(const QDate &today)
{
    // Order (2), year code and separator, month code and separator, day
    // code and separator, two digits each.
    static const QStringList codes{
        QStringLiteral("04010501060107"), // 2026年03月07日
        QStringLiteral("04010502060207"), // 2026年3月7日
        QStringLiteral("04050503060307"), // 贰零贰陆年零叁月零柒日
        QStringLiteral("04050003000300"), // 贰零贰陆 零叁 零柒 (boxes on the cheque)
        QStringLiteral("04090505060507"), // 二○二六年○三月○七日
        QStringLiteral("04010101010100"), // 2026-03-07
        QStringLiteral("04010201020100"), // 2026/03/07
        QStringLiteral("04010401040100"), // 2026.03.07
        QStringLiteral("05010001020102"), // 07/03/2026
        QStringLiteral("06010007000103"), // March 07, 2026
        QStringLiteral("01010000000000"), // 2026
        QStringLiteral("02000001000000"), // 03
        QStringLiteral("03000000000100"), // 07
    };
    QList<Choice> out;
    for (const QString &c : codes)
        out.append({QStringLiteral("%1（%2）").arg(dateExample(c, today).trimmed(), c), c});
    return out;
}

QList<Choice> displayCodes()
{
    return {{QStringLiteral("（不显示金额）"), QString()},
            {QStringLiteral("金额，以分为单位（123450）"), QStringLiteral("0100")},
            {QStringLiteral("金额，元和两位小数（1234.50）"), QStringLiteral("0101")},
            {QStringLiteral("中文大写（壹仟贰佰叁拾肆元伍角整）"), QStringLiteral("0102")},
            {QStringLiteral("英文（ONE THOUSAND ...）"), QStringLiteral("0103")}};
}

QList<Choice> moneyUnits(const QString &blank)
{
    QList<Choice> out{{blank, QString()}};
    for (const QString &u : moneylayout::UnitNames())
        out.append({u, u});
    return out;
}

QList<Choice> linkTargets(const FieldRegistry &registry, int self, const QList<int> &kinds)
{
    QList<Choice> out{{QStringLiteral("（无）"), QString()}};
    QHash<QString, int> seen;
    QList<int> found;
    for (int s = 0; s <= registry.lastSlot(); ++s) {
        const FieldRecord &r = registry.at(s);
        if (s == self || !kinds.contains(r.kind) || r.props().isEmpty())
            continue;
        ++seen[r.value(prop::Name)];
        found << s;
    }
    for (int s : std::as_const(found)) {
        const QString name = registry.at(s).value(prop::Name);
        const QString shown = name.isEmpty() ? QStringLiteral("（无名）") : name;
        out.append({seen.value(name) > 1 ? QStringLiteral("%1（第 %2 栏）").arg(shown).arg(s) : shown,
                    registry.keyOf(s)});
    }
    return out;
}

QString millimetres(int twips)
{
    return QString::number(units::twipsToMm(twips), 'f', 1);
}

std::optional<int> parseMillimetres(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QChar(u'，'), QLatin1Char('.')).replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression unit(QStringLiteral("\\s*(mm|毫米)$"), QRegularExpression::CaseInsensitiveOption);
    t.remove(unit);
    bool ok = false;
    const double mm = t.toDouble(&ok);
    if (!ok || !std::isfinite(mm) || qAbs(mm) > 1.0e6)
        return std::nullopt;
    return int(units::mmToTwips(mm));
}

GeometryCheck checkGeometry(const QRect &field, int key, int twips, const QSize &bill, bool isBill,
                            const QSize &billLeast)
{
    GeometryCheck c{field, {}};
    auto range = [](const QString &what, int least, int most) {
        return QStringLiteral("%1必须在 %2 到 %3 毫米之间。").arg(what, leastMmText(least), mmText(most));
    };
    if (isBill) {
        const int most = BillTemplate::MaxTwips;
        if (key == prop::Width || key == prop::Height) {
            const QString what = key == prop::Width ? QStringLiteral("票据宽度") : QStringLiteral("票据高度");
            const int least = qMax(MinSide, key == prop::Width ? billLeast.width() : billLeast.height());
            if (twips < least || twips > most)
                c.refusal = range(what, least, most);
            else if (key == prop::Width)
                c.rect.setWidth(twips);
            else
                c.rect.setHeight(twips);
        }
        return c;
    }
    switch (key) {
    case prop::Left:
        if (twips < 0 || twips > bill.width() - field.width())
            c.refusal = range(QStringLiteral("左边距"), 0, qMax(0, bill.width() - field.width()));
        else
            c.rect.moveLeft(twips);
        break;
    case prop::Top:
        if (twips < 0 || twips > bill.height() - field.height())
            c.refusal = range(QStringLiteral("上边距"), 0, qMax(0, bill.height() - field.height()));
        else
            c.rect.moveTop(twips);
        break;
    case prop::Width:
        if (twips < MinSide || twips > bill.width() - field.left())
            c.refusal = range(QStringLiteral("宽度"), MinSide, qMax(MinSide, bill.width() - field.left()));
        else
            c.rect.setWidth(twips);
        break;
    case prop::Height:
        if (twips < MinSide || twips > bill.height() - field.top())
            c.refusal = range(QStringLiteral("高度"), MinSide, qMax(MinSide, bill.height() - field.top()));
        else
            c.rect.setHeight(twips);
        break;
    default: break;
    }
    return c;
}

std::optional<int> parseWhole(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

QString wholeRefusal(const QString &what, int least, int most)
{
    return QStringLiteral("%1必须是 %2 到 %3 之间的整数。").arg(what).arg(least).arg(most);
}

quint32 colourValue(const QColor &colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

QString propertyName(int kind, int key)
{
    switch (key) {
    case prop::Name: return kind == KindLabel || kind == KindCheck ? QStringLiteral("标题") : QStringLiteral("名称");
    case prop::Left: return QStringLiteral("左边距");
    case prop::Top: return QStringLiteral("上边距");
    case prop::Width: return QStringLiteral("宽度");
    case prop::Height: return QStringLiteral("高度");
    case prop::FontSize: return QStringLiteral("字号");
    case prop::CharLength: return kind == KindDate ? QStringLiteral("格式化长度") : QStringLiteral("字符长度");
    case prop::FontColour: return QStringLiteral("字体颜色");
    case prop::BackColour: return QStringLiteral("背景颜色");
    case prop::TextAlign: return QStringLiteral("文字对齐");
    case prop::Code: return kind == KindDate ? QStringLiteral("日期格式") : QStringLiteral("金额显示代码");
    case prop::Source: return kind == KindText ? QStringLiteral("来源字段") : QStringLiteral("复制来源");
    case prop::Previous: return QStringLiteral("前一字段");
    case prop::Prefix: return QStringLiteral("前缀");
    case prop::Suffix: return QStringLiteral("后缀");
    case prop::StartUnit: return QStringLiteral("最高位");
    case prop::SignUnit: return QStringLiteral("空白时货币符号位置");
    case prop::Sign: return QStringLiteral("货币符号");
    case prop::SumTarget: return QStringLiteral("合计目标");
    case prop::NotPrinted: return QStringLiteral("不打印");
    case prop::EmptyAfterPrint: return QStringLiteral("打印后清除");
    default: return QStringLiteral("属性%1").arg(key);
    }
}

} // namespace propertyvalues
