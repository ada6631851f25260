#include "core/billentry.h"

#include "core/billdocument.h"
#include "core/dateformat.h"
#include "core/moneyvalue.h"
#include "core/textvalue.h"

namespace entry {

std::optional<bool> checkWord(const QString &value)
{
    const QString v = value.trimmed().toLower();
    if (v == QStringLiteral("√") || v == QLatin1String("1") || v == QStringLiteral("是")
        || v == QLatin1String("yes") || v == QLatin1String("true"))
        return true;
    if (v.isEmpty() || v == QLatin1String("0") || v == QStringLiteral("否") || v == QLatin1String("no")
        || v == QLatin1String("false"))
        return false;
    return std::nullopt;
}

namespace {

Status refuse(const QString &message, int code = UsageError)
{
    return Status::failure(message, code);
}

// The value as a clerk types it into a date field: one character at a time,
// each one added to what the box shows then (the field may format itself
// on the way).
void typeDate(BillDocument &doc, const QString &key, const QString &value)
{
    doc.setDateText(key, QString());
    for (const QChar c : value)
        doc.setDateText(key, doc.text(key) + c);
}

// The amount without separators, currency sign or full-width digits.
QString plainAmount(const QString &value)
{
    QString t;
    for (const QChar c : value.trimmed()) {
        const QChar d = money::typedDigit(c);
        if (!d.isNull())
            t += d;
        else if (c == u'.' || c == QChar(0xFF0E))
            t += u'.';
    }
    return t;
}

Status typeMoney(BillDocument &doc, const TemplateField &f, const QString &value)
{
    if (value.trimmed().isEmpty()) { // an empty value empties the field
        doc.setColumns(f.key, {});
        return {};
    }
    const std::optional<exact::Amount> yuan = money::parseTyped(value);
    if (!yuan)
        return refuse(QStringLiteral("\"%1\" is not an amount in yuan such as 1234.56").arg(value));
    if (doc.isSingleBox(f.key)) {
        doc.setColumns(f.key, {plainAmount(value)});
        return {};
    }
    const std::optional<QStringList> columns = money::columnsFor(*yuan, f.columns.count);
    if (!columns)
        return refuse(QStringLiteral("%1 has more digits than the %2 columns of field %3")
                          .arg(value)
                          .arg(f.columns.count)
                          .arg(f.key),
                      CannotPrint);
    doc.setColumns(f.key, *columns);
    return {};
}

} // namespace

Status enter(BillDocument &doc, const QString &key, const QString &value)
{
    const TemplateField *f = key.size() == 8 ? doc.field(key) : nullptr;
    if (!f)
        return refuse(QStringLiteral("no field with the key \"%1\"").arg(key));
    switch (f->kind) {
    case KindLabel:
        return refuse(QStringLiteral("field %1 is a label and takes no input").arg(key));
    case KindCheck: {
        const std::optional<bool> tick = checkWord(value);
        if (!tick)
            return refuse(QStringLiteral("\"%1\" is not a value for the check field %2 (use √, 1, 是, yes, "
                                         "true or 0, 否, no, false, or nothing)")
                              .arg(value, key));
        doc.setChecked(key, *tick);
        return {};
    }
    case KindDate:
        typeDate(doc, key, value);
        return {};
    case KindText:
        // Typing stops at the field's length limit.
        doc.setText(key, f->charLength > 0 ? textvalue::left(value, f->charLength) : value);
        return {};
    case KindMoney:
        return typeMoney(doc, *f, value);
    default:
        return refuse(QStringLiteral("no field with the key \"%1\"").arg(key));
    }
}

void fillDate(BillDocument &doc, const QDate &date)
{
    QStringList keys;
    for (const TemplateField &f : doc.billTemplate().fields())
        if (f.kind == KindDate && f.code && (!f.source || f.source->trimmed().isEmpty())
            && doc.text(f.key).isEmpty())
            keys << f.key;
    for (const QString &key : std::as_const(keys)) {
        const TemplateField *f = doc.field(key);
        if (!f)
            continue;
        QString digits;
        switch (dateformat::parseDateStyle(*f->code).order) {
        case 1: digits = date.toString(QStringLiteral("yyyy")); break;
        case 2: digits = date.toString(QStringLiteral("MM")); break;
        case 3: digits = date.toString(QStringLiteral("dd")); break;
        case 4:
        case 5:
        case 6: digits = date.toString(QStringLiteral("yyyyMMdd")); break;
        default: continue;
        }
        if (f->hasCharLength && digits.size() > f->charLength)
            continue;
        typeDate(doc, key, digits);
    }
}

} // namespace entry
