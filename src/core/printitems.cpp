#include "core/printitems.h"
#include "core/billdocument.h"
#include "core/billrenderer.h"
#include "core/moneylayout.h"
#include "core/propvalue.h"
#include "core/units.h"
#include <QLoggingCategory>
#include <QRegularExpression>
#include <optional>

Q_LOGGING_CATEGORY(lcPrintItems, "billprint.print.items")

namespace {

// Gap between the currency sign and the field when no column is free for it.
constexpr int SignGap = 50;

bool isBlank(const QString &s) { return s.trimmed().isEmpty(); }

qint32 roundedTwips(double v) { return qint32(units::roundHalfEven(v)); }

qint32 leadingWhole(const QString &text) { return qint32(propvalue::whole(text)); }

// What every printed field needs: position, font size and colour.
struct PrintedField {
    qint32 left = 0;
    qint32 top = 0;
    qint16 size = 9;
    qint32 colour = 0;

    explicit PrintedField(const TemplateField &f)
        : left(f.rect.left()), top(f.rect.top()), size(qint16(f.printSize())),
          colour(qint32(f.fontColour.value_or(0)))
    {
    }
    PrintItem item(qint32 atLeft, const QString &text) const
    {
        return PrintItem{atLeft, top, colour, size, text};
    }
};

void addSingle(const PrintedField &f, const QString &v, PrintItems &out)
{
    if (!isBlank(v))
        out.append(f.item(f.left, v));
}

void addText(const PrintedField &f, const QString &all, const QStringList &broken, PrintItems &out)
{
    if (isBlank(all))
        return;
    const QStringList lines = broken.isEmpty() ? all.split(QLatin1Char('\n')) : broken;
    const double h = BillRenderer::lineHeight(f.size);
    PrintItem item = f.item(f.left, lines.first());
    out.append(item);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        item.top = roundedTwips(item.top + h);
        item.text = lines.at(k);
        out.append(item);
    }
}

// Left edge of a sign whose last character stands in the column at `column`.
qint32 signInColumn(const PrintedField &f, qint32 column, const QString &sign)
{
    return roundedTwips(column + f.left - BillRenderer::textWidth(sign.chopped(1), f.size));
}

void addMoneyColumns(const PrintedField &f, const QString &n, const QList<int> &p,
                     const QString &sign, PrintItems &out)
{
    if (p.isEmpty()) {
        qCWarning(lcPrintItems) << "money field at" << f.left << f.top
                                << "has no column positions; its amount is not printed";
        return;
    }
    const qsizetype u = p.size() - 1;
    if (!sign.isEmpty()) {
        const qint32 left = n.size() < u
            ? signInColumn(f, p.at(n.size()), sign)
            : roundedTwips(f.left - BillRenderer::textWidth(sign, f.size) - SignGap);
        out.append(f.item(left, sign));
    }
    for (qsizetype i = 0; i < n.size(); ++i) {
        if (i > u) {
            qCWarning(lcPrintItems) << "money amount" << n << "has more digits than columns";
            break;
        }
        out.append(f.item(p.at(i) + f.left, QString(n.at(n.size() - 1 - i))));
    }
}

void addEmptyMoneySign(const PrintedField &f, const TemplateField &field, const QList<int> &p,
                       PrintItems &out)
{
    if (isBlank(field.startUnit) || isBlank(field.signUnit) || isBlank(field.sign) || p.isEmpty())
        return;
    qsizetype k = moneyUnitNames().indexOf(field.signUnit);
    if (k < 0)
        k = qMax(0, leadingWhole(field.signUnit));
    k = qMin(k, p.size() - 1);
    out.append(f.item(signInColumn(f, p.at(k), field.sign), field.sign));
}

void addMoney(const PrintedField &f, const TemplateField &field, const QString &digits, PrintItems &out)
{
    const QString n = normaliseAmount(digits);
    const QList<int> p = field.columns.printPositions();
    if (!amountAboveZero(n)) {
        addEmptyMoneySign(f, field, p, out);
        return;
    }
    if (field.byColumns()) {
        addMoneyColumns(f, n, p, field.sign, out);
        return;
    }
    if (!field.sign.isEmpty())
        out.append(f.item(roundedTwips(f.left - BillRenderer::textWidth(field.sign, f.size)), field.sign));
    out.append(f.item(f.left, n));
}

} // namespace

const QStringList &moneyUnitNames()
{
    // The money field's own unit list: index i is the column i places to
    // the left of the fen column.
    return moneylayout::UnitNames();
}

QString normaliseAmount(const QString &digits)
{
    static const QRegularExpression plain(QStringLiteral("^([-+]?)(\\d*)(?:\\.(\\d*))?$"));
    const QString t = digits.trimmed();
    const QRegularExpressionMatch m = plain.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) {
        bool ok = false;
        const double v = t.toDouble(&ok);
        return ok ? QString::number(v, 'g', 15) : QStringLiteral("0");
    }
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    QString fraction = m.captured(3);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString n = fraction.isEmpty() ? whole : whole + QLatin1Char('.') + fraction;
    if (m.captured(1) == QLatin1String("-") && n != QLatin1String("0"))
        n.prepend(QLatin1Char('-'));
    return n;
}

bool amountAboveZero(const QString &normalised)
{
    if (normalised.startsWith(QLatin1Char('-')))
        return false;
    for (QChar c : normalised)
        if (c.isDigit() && c != QLatin1Char('0'))
            return true;
    return false;
}

PrintItems BuildPrintItems(const BillDocument &document)
{
    PrintItems out;
    if (!document.isOpen())
        return out;
    const BillTemplate &t = document.billTemplate();
    if (t.isEmpty())
        return out;
    PrintItem bill;
    bill.left = t.width().value_or(0);
    bill.top = t.height().value_or(0);
    bill.text = t.name();
    out.append(bill);
    for (const TemplateField &field : t.fields()) {
        if (field.kind < KindCheck || field.kind > KindMoney || field.notPrinted)
            continue;
        if (!field.placed) {
            qCWarning(lcPrintItems) << "field" << field.key << "has no numeric position; not printed";
            continue;
        }
        const PrintedField f(field);
        switch (field.kind) {
        case KindCheck: addSingle(f, document.text(field.key), out); break;
        case KindDate: addSingle(f, document.text(field.key), out); break;
        case KindText: addText(f, document.text(field.key), document.lines(field.key), out); break;
        case KindMoney: addMoney(f, field, document.moneyNumber(field.key), out); break;
        default: break;
        }
    }
    return out;
}
