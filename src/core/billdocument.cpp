#include "core/billdocument.h"

#include "core/dateformat.h"
#include "core/fillrules.h"
#include "core/moneyvalue.h"
#include "core/textlines.h"

#include <algorithm>

namespace {

FieldValue emptyValue(const TemplateField &f)
{
    FieldValue v;
    if (f.kind == KindMoney)
        v.columns = QStringList(f.columns.count, QString());
    return v;
}

const QString TickMark = QStringLiteral("√");

} // namespace

BillDocument::BillDocument(QObject *parent)
    : QObject(parent), m_rules(std::make_unique<FillRules>(*this))
{
}

BillDocument::~BillDocument()
{
    // The rules hold a reference to this document; they go first.
    m_rules.reset();
}

void BillDocument::setTemplate(const BillTemplate &t)
{
    m_template = t;
    m_open = true;
    m_values.clear();
    m_lines.clear();
    for (const TemplateField &f : m_template.fields())
        m_values.insert(f.key, emptyValue(f));
    emit templateChanged();
}

void BillDocument::updateTemplate(const BillTemplate &t)
{
    QHash<QString, FieldValue> old = std::move(m_values);
    m_template = t;
    m_open = true;
    m_values.clear();
    m_lines.clear();
    for (const TemplateField &f : m_template.fields()) {
        FieldValue v = old.value(f.key, emptyValue(f));
        if (f.kind == KindMoney && v.columns.size() != f.columns.count)
            v = emptyValue(f);
        m_values.insert(f.key, v);
    }
    emit templateChanged();
}

void BillDocument::close()
{
    m_template = BillTemplate();
    m_open = false;
    m_values.clear();
    m_lines.clear();
    emit templateChanged();
}

const FieldValue *BillDocument::value(const QString &key) const
{
    const auto it = m_values.constFind(key);
    return it == m_values.cend() ? nullptr : &*it;
}

FieldValue *BillDocument::valueOf(const QString &key, FieldKind kind)
{
    const TemplateField *f = field(key);
    if (!f || f->kind != kind)
        return nullptr;
    const auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &*it;
}

void BillDocument::changed(const QString &key)
{
    m_lines.remove(key);
    emit valueChanged(key);
}

QString BillDocument::text(const QString &key) const
{
    const TemplateField *f = field(key);
    const FieldValue *v = value(key);
    if (!f || !v)
        return {};
    switch (f->kind) {
    case KindLabel: return f->name;
    case KindMoney: return moneyNumber(key);
    default: return v->text;
    }
}

bool BillDocument::isChecked(const QString &key) const
{
    const FieldValue *v = value(key);
    return v && v->text == TickMark;
}

bool BillDocument::isSingleBox(const QString &key) const
{
    const TemplateField *f = field(key);
    return f && f->kind == KindMoney && !f->byColumns() && f->columns.count == 1;
}

QStringList BillDocument::columns(const QString &key) const
{
    const FieldValue *v = value(key);
    return v ? v->columns : QStringList();
}

QString BillDocument::moneyNumber(const QString &key) const
{
    return money::number(columns(key));
}

std::optional<exact::Amount> BillDocument::amount(const QString &key) const
{
    return money::yuan(columns(key), isSingleBox(key));
}

QString BillDocument::moneyChinese(const QString &key, QString *error) const
{
    return money::chinese(columns(key), isSingleBox(key), error);
}

QString BillDocument::moneyEnglish(const QString &key) const
{
    return money::english(columns(key), isSingleBox(key));
}

QString BillDocument::overflowOf(const QString &key) const
{
    const FieldValue *v = value(key);
    return v ? v->overflow : QString();
}

QStringList BillDocument::lines(const QString &key) const
{
    const TemplateField *f = field(key);
    const FieldValue *v = value(key);
    if (!f || !v || f->kind != KindText)
        return {};
    const auto cached = m_lines.constFind(key);
    if (cached != m_lines.cend())
        return *cached;
    const QStringList broken = textlines::breakLines(v->text, f->printSize(), f->rect.width());
    m_lines.insert(key, broken);
    return broken;
}

bool BillDocument::overflows(const QString &key) const
{
    const TemplateField *f = field(key);
    if (!f || f->kind != KindText)
        return false;
    const FieldValue *v = value(key);
    if (!v || v->text.isEmpty())
        return false;
    return lines(key).size() > textlines::linesThatFit(f->printSize(), f->rect.height());
}

QString BillDocument::typedDate(const QString &key) const
{
    const FieldValue *v = value(key);
    return v ? v->typed : QString();
}

bool BillDocument::isNoSuchDate(const QString &key) const
{
    const TemplateField *f = field(key);
    const FieldValue *v = value(key);
    if (!f || !v || f->kind != KindDate || !f->code || !f->hasCharLength)
        return false;
    const QString &t = v->text;
    if (t.isEmpty() || t.size() > f->charLength || !dateformat::isDigitString(t))
        return false;
    const std::optional<int> minimum = fillrules::dateMinimumLength(*f->code);
    if (!minimum || t.size() < *minimum)
        return false;
    return !dateformat::isRealDate(dateformat::parseDateStyle(*f->code), t);
}

bool BillDocument::isIncompleteDate(const QString &key) const
{
    const TemplateField *f = field(key);
    const FieldValue *v = value(key);
    if (!f || !v || f->kind != KindDate || !f->code || !f->hasCharLength)
        return false;
    const QString &t = v->text;
    if (t.isEmpty() || !dateformat::isDigitString(t))
        return false;
    // A field too short for a whole date never gets one; it is not waiting
    // for more digits.
    const std::optional<int> minimum = fillrules::dateMinimumLength(*f->code);
    return minimum && t.size() < *minimum && *minimum <= f->charLength;
}

// The bill filled in again from everything but its computed amounts lets
// the rules compute those afresh; where they differ, the bill says two
// things about its amount.
QList<QPair<QString, QString>> BillDocument::amountsThatDisagree() const
{
    QList<QPair<QString, QString>> out;
    const auto computed = [this](const TemplateField &f) {
        return (f.kind == KindText || f.kind == KindMoney) && m_template.showsAmount(f);
    };
    if (std::none_of(m_template.fields().cbegin(), m_template.fields().cend(), computed))
        return out;
    BillDocument again;
    again.setTemplate(m_template);
    for (const TemplateField &f : m_template.fields()) {
        const FieldValue *v = value(f.key);
        if (!v || computed(f))
            continue;
        if (f.kind == KindText)
            again.setText(f.key, v->text);
        else if (f.kind == KindMoney && !v->overflow.isEmpty())
            again.setOverflow(f.key, v->overflow);
        else if (f.kind == KindMoney)
            again.setColumns(f.key, v->columns);
    }
    for (const TemplateField &f : m_template.fields()) {
        const FieldValue *mine = value(f.key);
        const FieldValue *theirs = again.value(f.key);
        if (!computed(f) || !mine || !theirs)
            continue;
        const bool same = f.kind == KindText
                              ? mine->text == theirs->text
                              : mine->columns == theirs->columns && mine->overflow == theirs->overflow;
        if (!same)
            out.append({f.key, again.text(f.key)});
    }
    return out;
}

bool BillDocument::isBlank() const
{
    for (const TemplateField &f : m_template.fields()) {
        const FieldValue *v = value(f.key);
        if (!v)
            continue;
        if (!v->text.trimmed().isEmpty())
            return false;
        for (const QString &c : v->columns)
            if (!c.trimmed().isEmpty())
                return false;
    }
    return true;
}

QList<BillProblem> BillDocument::problems() const
{
    QList<BillProblem> out;
    for (const TemplateField &f : m_template.fields()) {
        const QString name = f.name.isEmpty() ? f.key : f.name.left(60);
        if (f.kind == KindMoney) {
            if (const QString over = overflowOf(f.key); !over.isEmpty())
                out << BillProblem{BillProblem::AmountTooLong, f.key, f.name,
                                   QStringLiteral("金额 %1 超出“%2”的 %3 位，无法打印")
                                       .arg(over, name).arg(f.columns.count)};
            else if (!amount(f.key))
                out << BillProblem{BillProblem::NotAnAmount, f.key, f.name,
                                   QStringLiteral("“%1”中的“%2”不是金额").arg(name, columns(f.key).value(0).left(60))};
        } else if (f.kind == KindText && overflows(f.key)) {
            out << BillProblem{BillProblem::TextTooLong, f.key, f.name,
                               QStringLiteral("“%1”的文字有 %2 行，超出了它的范围（只能容纳 %3 行）")
                                   .arg(name)
                                   .arg(lines(f.key).size())
                                   .arg(textlines::linesThatFit(f.printSize(), f.rect.height()))};
        } else if (f.kind == KindDate && isNoSuchDate(f.key)) {
            out << BillProblem{BillProblem::NoSuchDate, f.key, f.name,
                               QStringLiteral("“%1”的日期 %2 不存在").arg(name, text(f.key))};
        } else if (f.kind == KindDate && isIncompleteDate(f.key)) {
            out << BillProblem{BillProblem::IncompleteDate, f.key, f.name,
                               QStringLiteral("“%1”的日期 %2 不完整").arg(name, text(f.key))};
        }
    }
    for (const auto &[key, expected] : amountsThatDisagree()) {
        const TemplateField *f = field(key);
        const QString name = f->name.isEmpty() ? f->key : f->name.left(60);
        out << BillProblem{BillProblem::AmountMismatch, key, f->name,
                           QStringLiteral("“%1”的内容“%2”与金额不符（应为“%3”）")
                               .arg(name, text(key).left(60), expected.left(60))};
    }
    return out;
}

bool BillDocument::setText(const QString &key, const QString &text)
{
    FieldValue *v = valueOf(key, KindText);
    if (!v)
        return false;
    if (v->text != text) {
        v->text = text;
        changed(key);
    }
    return true;
}

bool BillDocument::setDateText(const QString &key, const QString &text)
{
    FieldValue *v = valueOf(key, KindDate);
    if (!v)
        return false;
    if (text.isEmpty() || dateformat::isDigitString(text))
        v->typed = text;
    if (v->text != text) {
        v->text = text;
        changed(key);
    }
    return true;
}

bool BillDocument::setColumns(const QString &key, const QStringList &columns)
{
    FieldValue *v = valueOf(key, KindMoney);
    if (!v)
        return false;
    // Columns beyond the given texts are emptied, never read past the end.
    QStringList next(v->columns.size(), QString());
    for (qsizetype i = 0; i < next.size() && i < columns.size(); ++i)
        next[i] = columns.at(i);
    if (next != v->columns || !v->overflow.isEmpty()) {
        v->columns = next;
        v->overflow.clear();
        changed(key);
    }
    return true;
}

bool BillDocument::setColumn(const QString &key, int column, const QString &text)
{
    FieldValue *v = valueOf(key, KindMoney);
    if (!v || column < 0 || column >= v->columns.size())
        return false;
    if (v->columns.at(column) != text || !v->overflow.isEmpty()) {
        v->columns[column] = text;
        v->overflow.clear();
        changed(key);
    }
    return true;
}

bool BillDocument::setOverflow(const QString &key, const QString &amountText)
{
    FieldValue *v = valueOf(key, KindMoney);
    if (!v)
        return false;
    const QStringList empty(v->columns.size(), QString());
    if (v->overflow != amountText || v->columns != empty) {
        v->overflow = amountText;
        v->columns = empty;
        changed(key);
    }
    return true;
}

bool BillDocument::setChecked(const QString &key, bool checked)
{
    FieldValue *v = valueOf(key, KindCheck);
    if (!v)
        return false;
    const QString text = checked ? TickMark : QString();
    if (v->text != text) {
        v->text = text;
        changed(key);
    }
    return true;
}

bool BillDocument::clear(const QString &key)
{
    const TemplateField *f = field(key);
    if (!f)
        return false;
    switch (f->kind) {
    case KindCheck: return setChecked(key, false);
    case KindDate: return setDateText(key, QString());
    case KindText: return setText(key, QString());
    case KindMoney: return setColumns(key, {});
    default: return false;
    }
}

void BillDocument::emptyAfterPrint()
{
    // Keys first: emptying runs the rules, which must not invalidate the walk.
    QStringList keys;
    for (const TemplateField &f : m_template.fields())
        if (f.emptyAfterPrint && f.kind >= KindCheck && f.kind <= KindMoney)
            keys << f.key;
    for (const QString &key : std::as_const(keys))
        clear(key);
}

void BillDocument::clearAll()
{
    QStringList keys;
    for (const TemplateField &f : m_template.fields())
        keys << f.key;
    for (const QString &key : std::as_const(keys))
        clear(key);
}
