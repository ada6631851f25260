#include "core/fillrules.h"

#include "core/billdocument.h"
#include "core/moneyvalue.h"
#include "core/propvalue.h"
#include "core/textvalue.h"
#include "core/dateformat.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRules, "billprint.fillrules", QtWarningMsg)

namespace fillrules {

int wholeValue(const QString &text)
{
    return propvalue::whole(text);
}

std::optional<int> dateMinimumLength(const QString &styleCode)
{
    static const QList<int> years{4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1};
    static const QList<int> months{2, 1, 2, 2, 2, 2, 2, 2};
    static const QList<int> days{2, 1, 2, 2, 2, 2};
    const double order = propvalue::leadingNumber(styleCode.mid(0, 2));
    auto lookUp = [&styleCode](const QList<int> &table, int position) -> std::optional<int> {
        const double code = propvalue::leadingNumber(styleCode.mid(position, 2));
        if (code >= 1 && code <= table.size() && code == double(int(code)))
            return table.at(int(code) - 1);
        return std::nullopt;
    };
    if (order == 1)
        return lookUp(years, 2);
    if (order == 2)
        return lookUp(months, 6);
    if (order == 3)
        return lookUp(days, 10);
    if (order == 4)
        return 8;
    return std::nullopt;
}

namespace {

// Digits right-aligned in `count` columns, the columns to their left empty.
std::optional<QStringList> rightAligned(const QString &digits, int count)
{
    if (digits.size() > count)
        return std::nullopt;
    QStringList columns(count - digits.size(), QString());
    for (const QChar c : digits)
        columns << QString(c);
    return columns;
}

} // namespace

std::optional<QStringList> sumColumns(const QString &formatted, int count)
{
    QString digits = formatted;
    digits.remove(u'.');
    int first = 0;
    while (first < digits.size() && !(digits.at(first) >= u'1' && digits.at(first) <= u'9'))
        ++first;
    return rightAligned(digits.mid(first), count);
}

std::optional<QStringList> copyColumns(const QString &fenDigits, int count)
{
    QString n = fenDigits;
    int first = 0;
    while (first < n.size() && n.at(first) == u'0')
        ++first;
    return rightAligned(n.mid(first), count);
}

} // namespace fillrules

// Marks a field's rules as running for the lifetime of the object; refused
// (allowed() false) when they already run further up or the cascade is too
// deep.
class FillRules::Activation {
public:
    Activation(FillRules &rules, const QString &key) : m_rules(rules)
    {
        if (rules.m_active.contains(key) || rules.m_active.size() >= MaxCascadeDepth) {
            ++rules.m_cuts;
            qCDebug(lcRules) << "cascade cut at" << key << "after" << rules.m_active;
            return;
        }
        rules.m_active.append(key);
        m_allowed = true;
    }
    ~Activation()
    {
        if (m_allowed)
            m_rules.m_active.removeLast();
    }
    Activation(const Activation &) = delete;
    Activation &operator=(const Activation &) = delete;
    bool allowed() const { return m_allowed; }

private:
    FillRules &m_rules;
    bool m_allowed = false;
};

FillRules::FillRules(BillDocument &document) : m_doc(document)
{
    QObject::connect(&document, &BillDocument::valueChanged, &document,
                     [this](const QString &key) { fieldChanged(key); });
}

void FillRules::fieldChanged(const QString &key)
{
    const TemplateField *f = m_doc.field(key);
    if (!f)
        return;
    // The field is copied: the rules may not change the template, but a
    // view reacting to a change might replace it.
    const TemplateField field = *f;
    switch (field.kind) {
    case KindMoney: moneyChanged(field); break;
    case KindText: textChanged(field); break;
    case KindDate: dateChanged(field); break;
    default: break;
    }
}

void FillRules::moneyChanged(const TemplateField &m)
{
    Activation run(*this, m.key);
    if (!run.allowed())
        return;
    runSum(m);
    runAmountChains(m);
    runMoneyCopies(m);
}

void FillRules::textChanged(const TemplateField &s)
{
    Activation run(*this, s.key);
    if (!run.allowed())
        return;
    runSum(s);
    runTextChain(s, m_doc.text(s.key));
}

void FillRules::dateChanged(const TemplateField &d)
{
    // A date field that formats itself reports the change, and its rules run
    // again on the formatted text (its copies receive it). Only a run on the
    // same text as one already under way is a loop.
    Activation run(*this, d.key + QChar(0x1f) + m_doc.text(d.key));
    if (!run.allowed())
        return;
    runDateRule(d);
}

// ---- sum ------------------------------------------------------------------

namespace {

// What a text field adds to a sum: its number times the two factors,
// computed exactly when all three are numbers, else the leading number of
// what the field gives as its sum value.
std::optional<exact::Amount> textContribution(const QString &all, const QString &f1, const QString &f2)
{
    if (textvalue::isNumeric(all) && textvalue::isNumeric(f1) && textvalue::isNumeric(f2)) {
        const auto a = exact::parse(all);
        const auto b = exact::parse(f1);
        const auto c = exact::parse(f2);
        if (a && b && c)
            if (const auto ab = exact::multiply(*a, *b))
                return exact::multiply(*ab, *c);
    }
    return exact::leadingNumber(textvalue::sumValue(all, f1, f2));
}

// The field a sum target key names: a field of the key's kind whose control
// index is the key's last three digits.
const TemplateField *targetOf(const BillDocument &doc, const QString &target)
{
    const std::optional<FieldKey> k = FieldKey::parse(target);
    if (!k)
        return nullptr;
    for (const TemplateField &f : doc.billTemplate().fields())
        if (f.kind == k->kind && f.index == k->index)
            return &f;
    return nullptr;
}

} // namespace

void FillRules::runSum(const TemplateField &s)
{
    if (!s.sumTarget)
        return;
    const QString t = *s.sumTarget;
    if (t.trimmed().size() != 8)
        return;
    QList<exact::Amount> textParts;
    QList<exact::Amount> moneyParts;
    for (const TemplateField &f : m_doc.billTemplate().fields()) {
        if (!f.sumTarget || *f.sumTarget != t)
            continue;
        if (f.kind == KindText && f.factor1 && f.factor2) {
            const auto v = textContribution(m_doc.text(f.key), *f.factor1, *f.factor2);
            if (v && v->aboveZero())
                textParts << *v;
        } else if (f.kind == KindMoney) {
            const auto v = m_doc.amount(f.key);
            if (v && v->aboveZero())
                moneyParts << *v;
        }
    }
    std::optional<exact::Amount> sum;
    for (const exact::Amount &part : textParts + moneyParts) {
        const auto next = sum ? exact::add(*sum, part) : part;
        if (next)
            sum = next;
        else
            qCDebug(lcRules) << "sum into" << t << "too large; a contribution left out";
    }
    const QString target = t.trimmed();
    if (target.mid(3, 2) == QLatin1String("07"))
        sumIntoText(target, sum ? exact::formatHashDot00(*sum) : QString());
    else if (target.mid(3, 2) == QLatin1String("08"))
        sumIntoMoney(target, sum);
}

void FillRules::sumIntoText(const QString &target, const QString &sum)
{
    // The record at the key's slot must be a text field; its prefix and
    // suffix frame the sum in the text field of the key's control index.
    const std::optional<FieldKey> k = FieldKey::parse(target);
    const TemplateField *record = k ? m_doc.billTemplate().atSlot(k->slot) : nullptr;
    const TemplateField *f = targetOf(m_doc, target);
    if (!record || record->kind != KindText || !f) {
        qCDebug(lcRules) << "sum target" << target << "names no text field";
        return;
    }
    if (!record->hasCharLength || !record->prefix || !record->suffix)
        return;
    setText(*f, sum.isEmpty() ? QString() : *record->prefix + sum + *record->suffix);
}

void FillRules::sumIntoMoney(const QString &target, const std::optional<exact::Amount> &sum)
{
    const TemplateField *f = targetOf(m_doc, target);
    if (!f) {
        qCDebug(lcRules) << "sum target" << target << "names no money field";
        return;
    }
    const QString key = f->key;
    const int count = f->columns.count;
    if (!sum) {
        m_doc.setColumns(key, {});
        return;
    }
    const QString formatted = exact::formatHashDot00(*sum);
    if (const auto columns = fillrules::sumColumns(formatted, count))
        m_doc.setColumns(key, *columns);
    else // never cut: the field shows the amount that does not fit
        m_doc.setOverflow(key, formatted.startsWith(u'.') ? u'0' + formatted : formatted);
}

// ---- money copies -------------------------------------------------------------

void FillRules::runMoneyCopies(const TemplateField &m)
{
    const auto yuan = m_doc.amount(m.key);
    const QString fen = yuan && yuan->aboveZero() ? money::fenDigits(*yuan) : QStringLiteral("0");
    QStringList targets;
    for (const TemplateField &f : m_doc.billTemplate().fields())
        if (f.kind == KindMoney && f.index != m.index && f.hasCharLength && f.source && *f.source == m.key)
            targets << f.key;
    for (const QString &key : std::as_const(targets)) {
        const TemplateField *f = m_doc.field(key);
        if (!f)
            continue;
        if (const auto columns = fillrules::copyColumns(fen, f->columns.count))
            m_doc.setColumns(key, *columns);
        else
            m_doc.setOverflow(key, exact::plain(exact::rounded(*yuan, 2)));
    }
}

// ---- dates --------------------------------------------------------------------

void FillRules::runDateRule(const TemplateField &d)
{
    const QString typed = m_doc.text(d.key);
    // The keys first: formatting and copying announce changes whose rules
    // may run before this walk ends.
    QList<TemplateField> dates;
    for (const TemplateField &f : m_doc.billTemplate().fields())
        if (f.kind == KindDate)
            dates << f;
    for (const TemplateField &f : std::as_const(dates)) {
        if (!f.hasCharLength)
            continue;
        if (f.index == d.index) {
            if (!f.code || typed.isEmpty() || typed.size() > f.charLength)
                continue;
            const std::optional<int> minimum = fillrules::dateMinimumLength(*f.code);
            // A date that does not exist is left as typed (the document
            // reports it), never formatted into a wrong or half-empty date.
            if (minimum && typed.size() >= *minimum
                && (!dateformat::isDigitString(typed)
                    || dateformat::isRealDate(dateformat::parseDateStyle(*f.code), typed)))
                if (const auto shown = dateformat::FormatDate(*f.code, typed))
                    m_doc.setDateText(f.key, *shown);
            continue;
        }
        if (!f.source || *f.source != d.key)
            continue;
        m_doc.setDateText(f.key, textvalue::left(typed, std::max(0, f.charLength)));
    }
}

// ---- text helpers -------------------------------------------------------------

void FillRules::setText(const TemplateField &f, const QString &text)
{
    m_doc.setText(f.key, text);
}
