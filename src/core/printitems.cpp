#include "core/printitems.h"
#include "core/moneylayout.h"
#include "core/units.h"
#include "core/billrenderer.h"
#include <QLoggingCategory>
#include <QRegularExpression>
#include <optional>

Q_LOGGING_CATEGORY(lcPrintItems, "billprint.print.items")

namespace {

enum Key : int {
    KeyName = 0,
    KeyLeft = 1,
    KeyTop = 2,
    KeyWidth = 3,
    KeyHeight = 4,
    KeyFontSize = 5,
    KeyFontColour = 8,
    KeyStartUnit = 20,
    KeySignUnit = 21,
    KeySign = 22,
    KeyEmptyAfterPrint = 31,
    KeyFirstColumn = 100,
};

// Font size of a printed field that names none.
constexpr int DefaultFontSize = 9;
// Largest font size a print item holds.
constexpr int MaxFontSize = 32767;
// Gap between the currency sign and the field when no column is free for it.
constexpr int SignGap = 50;

bool isBlank(const QString &s) { return s.trimmed().isEmpty(); }

// A whole number from a text that must be numeric.
std::optional<qint32> strictWhole(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return qint32(units::roundHalfEven(v));
}

// The number a text starts with, 0 when it starts with none.
double leadingNumber(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

qint32 leadingWhole(const QString &text) { return qint32(units::roundHalfEven(leadingNumber(text))); }

// What every printed field needs: position, font size and colour.
struct PrintedField {
    qint32 left = 0;
    qint32 top = 0;
    qint16 size = DefaultFontSize;
    qint32 colour = 0;

    PrintItem item(qint32 atLeft, const QString &text) const
    {
        return PrintItem{atLeft, top, colour, size, text};
    }
};

std::optional<PrintedField> readPrintedField(const PropertyList &props)
{
    const PropertyEntry *left = findEntry(props, KeyLeft);
    const PropertyEntry *top = findEntry(props, KeyTop);
    if (!left || !top)
        return std::nullopt;
    const auto l = strictWhole(left->value);
    const auto t = strictWhole(top->value);
    if (!l || !t)
        return std::nullopt;
    PrintedField f;
    f.left = *l;
    f.top = *t;
    // A size below one point cannot be set on the drawing surface; the text
    // is then printed in the surface's own size rather than lost.
    if (const PropertyEntry *e = findEntry(props, KeyFontSize)) {
        const qint32 size = leadingWhole(e->value);
        if (size >= 1)
            f.size = qint16(qMin(size, qint32(MaxFontSize)));
    }
    if (const PropertyEntry *e = findEntry(props, KeyFontColour))
        f.colour = leadingWhole(e->value);
    return f;
}

qint32 roundedTwips(double v) { return qint32(units::roundHalfEven(v)); }

void addBill(const PropertyList &props, PrintItem &bill)
{
    bill.left = leadingWhole(entryValue(props, KeyWidth));
    bill.top = leadingWhole(entryValue(props, KeyHeight));
    bill.text = entryValue(props, KeyName);
}

void addSingle(const PrintedField &f, const QString &v, PrintItems &out)
{
    if (!isBlank(v))
        out.append(f.item(f.left, v));
}

void addText(const PrintedField &f, const FieldShown &shown, PrintItems &out)
{
    if (isBlank(shown.textAll))
        return;
    QStringList lines = shown.lines;
    if (lines.isEmpty())
        lines = shown.textAll.split(QLatin1Char('\n'));
    const double h = BillRenderer::lineHeight(f.size);
    PrintItem item = f.item(f.left, lines.first());
    out.append(item);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        item.top = roundedTwips(item.top + h);
        item.text = lines.at(k);
        out.append(item);
    }
}

// Column positions of a money field: the first entry with a key of 100 or
// more is the fen column, each next one the column to its left.
QList<qint32> columnPositions(const PropertyList &props)
{
    QList<qint32> p;
    for (const PropertyEntry &e : props)
        if (e.key >= KeyFirstColumn)
            p.append(leadingWhole(e.value));
    return p;
}

// True when a control's columns (leftmost first) stand side by side.
bool columnsSideBySide(const QList<int> &leftmostFirst)
{
    for (qsizetype i = 1; i < leftmostFirst.size(); ++i)
        if (leftmostFirst.at(i) <= leftmostFirst.at(i - 1))
            return false;
    return true;
}

// Left edge of a sign whose last character stands in the column at `column`.
qint32 signInColumn(const PrintedField &f, qint32 column, const QString &sign)
{
    return roundedTwips(column + f.left - BillRenderer::textWidth(sign.chopped(1), f.size));
}

void addMoneyColumns(const PrintedField &f, const QString &n, const QList<qint32> &p,
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

void addEmptyMoneySign(const PrintedField &f, const PropertyList &props, const QList<qint32> &p,
                       PrintItems &out)
{
    const QString start = entryValue(props, KeyStartUnit);
    const QString unit = entryValue(props, KeySignUnit);
    const QString sign = entryValue(props, KeySign);
    if (isBlank(start) || isBlank(unit) || isBlank(sign) || p.isEmpty())
        return;
    qsizetype k = moneyUnitNames().indexOf(unit);
    if (k < 0)
        k = qMax(0, leadingWhole(unit));
    k = qMin(k, p.size() - 1);
    out.append(f.item(signInColumn(f, p.at(k), sign), sign));
}

void addMoney(const PrintedField &f, const PropertyList &props, const FieldShown &shown,
              PrintItems &out)
{
    const QString n = normaliseAmount(shown.moneyDigits);
    QList<qint32> p = columnPositions(props);
    // An evenly spaced field stores no positions: its control knows them.
    // A field that neither stores nor spaces its columns has them all at
    // its left edge; printing there would stack the digits on each other,
    // so such a field prints no columns.
    if (p.isEmpty() && columnsSideBySide(shown.columnX))
        p = QList<qint32>(shown.columnX.crbegin(), shown.columnX.crend());
    if (!amountAboveZero(n)) {
        addEmptyMoneySign(f, props, p, out);
        return;
    }
    const QString sign = entryValue(props, KeySign);
    if (!isBlank(entryValue(props, KeyStartUnit))) {
        addMoneyColumns(f, n, p, sign, out);
        return;
    }
    if (!sign.isEmpty())
        out.append(f.item(roundedTwips(f.left - BillRenderer::textWidth(sign, f.size)), sign));
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

PrintItems BuildPrintItems(const FieldRegistry &registry, const ShownReader &shown)
{
    PrintItems out;
    if (registry.isEmpty())
        return out;
    out.append(PrintItem{});
    for (const FieldRecord &record : registry.records()) {
        const PropertyList &props = record.props();
        if (props.isEmpty())
            continue;
        if (record.kind == KindBill) {
            addBill(props, out.first());
            continue;
        }
        if (record.kind < KindCheck || record.kind > KindMoney)
            continue;
        const std::optional<PrintedField> f = readPrintedField(props);
        if (!f) {
            qCWarning(lcPrintItems) << "field of kind" << record.kind << "index" << record.index
                                    << "has no numeric position; not printed";
            continue;
        }
        const FieldShown v = shown(record);
        switch (record.kind) {
        case KindCheck: addSingle(*f, v.check, out); break;
        case KindDate: addSingle(*f, v.date, out); break;
        case KindText: addText(*f, v, out); break;
        case KindMoney: addMoney(*f, props, v, out); break;
        default: break;
        }
    }
    return out;
}

QList<int> SlotsToEmptyAfterPrint(const FieldRegistry &registry)
{
    QList<int> found;
    for (int s = 0; s < registry.count(); ++s) {
        const FieldRecord &r = registry.at(s);
        if (r.kind < KindCheck || r.kind > KindMoney)
            continue;
        for (const PropertyEntry &e : r.props()) {
            if (e.key == KeyEmptyAfterPrint && e.value == QStringLiteral("是")) {
                found.append(s);
                break;
            }
        }
    }
    return found;
}
