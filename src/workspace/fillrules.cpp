#include "workspace/fillrules.h"

#include "core/appstate.h"
#include "core/units.h"
#include "fields/datectl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "core/exactamount.h"
#include "workspace/fieldcontrols.h"

#include <QLoggingCategory>
#include <climits>

Q_LOGGING_CATEGORY(lcRules, "billprint.fillrules", QtWarningMsg)

namespace fillrules {

int wholeValue(const QString &text)
{
    const double v = opening::leadingNumber(text);
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    return int(units::roundHalfEven(v));
}

std::optional<int> dateMinimumLength(const QString &styleCode)
{
    static const QList<int> years{4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1};
    static const QList<int> months{2, 1, 2, 1, 2, 1, 2, 2};
    static const QList<int> days{2, 1, 2, 1, 2, 1};
    const double order = opening::leadingNumber(styleCode.mid(0, 2));
    auto lookUp = [&styleCode](const QList<int> &table, int position) -> std::optional<int> {
        const double code = opening::leadingNumber(styleCode.mid(position, 2));
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

QStringList sumColumns(const QString &formatted, int count)
{
    QString digits = formatted;
    digits.remove(u'.');
    int first = 0;
    while (first < digits.size() && !(digits.at(first) >= u'1' && digits.at(first) <= u'9'))
        ++first;
    digits = digits.mid(first).right(count);
    QStringList columns;
    for (int i = 0; i < count - digits.size(); ++i)
        columns << QString();
    for (const QChar c : std::as_const(digits))
        columns << QString(c);
    return columns;
}

QStringList copyColumns(const QString &digits, int count)
{
    QString n = digits;
    int first = 0;
    while (first < n.size() - 1 && n.at(first) == u'0')
        ++first;
    n = n.mid(first);
    if (n.isEmpty())
        n = QStringLiteral("0");
    n = count < n.size() ? n.right(count) : n.rightJustified(count, u'0');
    QStringList columns;
    bool leading = true;
    for (const QChar c : std::as_const(n)) {
        if (leading && c >= u'1' && c <= u'9')
            leading = false;
        columns << (leading ? QString() : QString(c));
    }
    return columns;
}

} // namespace fillrules

using fillrules::wholeValue;

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

FillRules::FillRules(AppState &state, FieldControls &controls, QObject *parent)
    : QObject(parent), m_state(state), m_controls(controls)
{
}

std::optional<FillRules::Source> FillRules::sourceOf(QWidget *control, int index,
                                                     bool needProperties) const
{
    const FieldRegistry &registry = m_state.Registry;
    if (registry.isEmpty() || !control)
        return std::nullopt;
    const QString key = opening::controlTag(control);
    const std::optional<FieldKey> k = FieldKey::parse(key);
    if (!k || k->slot >= registry.count())
        return std::nullopt;
    const FieldRecord &record = registry.at(k->slot);
    if (needProperties && (record.kind != k->kind || record.props().isEmpty()))
        return std::nullopt;
    return Source{key, k->slot, index, &record};
}

void FillRules::MoneyCtl_TChange(int index)
{
    MoneyCtl *money = m_controls.moneys.at(index);
    const std::optional<Source> m = sourceOf(money, index, true);
    if (!m)
        return;
    Activation run(*this, m->key);
    if (!run.allowed())
        return;
    runSum(*m);
    runAmountChains(*m, money);
    runMoneyCopies(*m, money);
}

void FillRules::TextCtl_TBChange(int index)
{
    TextCtl *text = m_controls.texts.at(index);
    const std::optional<Source> s = sourceOf(text, index, true);
    if (!s)
        return;
    Activation run(*this, s->key);
    if (!run.allowed())
        return;
    runSum(*s);
    runTextChain(*s, text->UserGetTextAll());
}

void FillRules::DateCtl_DTBChange(int index)
{
    DateCtl *date = m_controls.dates.at(index);
    const std::optional<Source> d = sourceOf(date, index, false);
    if (!d)
        return;
    // A date field that formats itself reports the change, and its rules run
    // again on the formatted text (its copies receive it). Only a run on the
    // same text as one already under way is a loop.
    Activation run(*this, d->key + QChar(0x1f) + date->UserGetDateTextBox());
    if (!run.allowed())
        return;
    runDateRule(*d, date);
}

// Stores the positions of every column of the money field as keys 100 + i,
// the last column first, and marks the field selected.
void FillRules::MoneyCtl_TMouseUp(int index)
{
    MoneyCtl *money = m_controls.moneys.at(index);
    if (!money)
        return;
    const QString key = opening::controlTag(money);
    m_state.CurrentKey = key;
    const QList<int> columnX = money->UserGetMoneyColX();
    PropertyList entries;
    const int u = int(columnX.size()) - 1;
    for (int i = 0; i <= u; ++i)
        entries.append(PropertyEntry{qint16(100 + i), QString(), QString::number(columnX.at(u - i))});
    const int error = m_state.Registry.RegistryCtl(key, entries, 1, FieldRegistry::Update);
    if (error != 0)
        qCDebug(lcRules) << "column positions of" << key << "not stored, error" << error;
}

void FillRules::connectField(int kind, int index, QWidget *control)
{
    switch (kind) {
    case KindDate:
        connect(static_cast<DateCtl *>(control), &DateCtl::DTBChange, this,
                [this, index] { DateCtl_DTBChange(index); });
        break;
    case KindText:
        connect(static_cast<TextCtl *>(control), &TextCtl::TBChange, this,
                [this, index] { TextCtl_TBChange(index); });
        break;
    case KindMoney: {
        auto *m = static_cast<MoneyCtl *>(control);
        connect(m, &MoneyCtl::TChange, this, [this, index] { MoneyCtl_TChange(index); });
        connect(m, &MoneyCtl::TMouseUp, this, [this, index] { MoneyCtl_TMouseUp(index); });
        break;
    }
    default: break;
    }
}

// ---- sum ------------------------------------------------------------------

namespace {

// What a text field adds to a sum: its number times the two factors,
// computed exactly when all three are numbers, else the leading number of
// what the field gives as its sum value.
std::optional<exact::Amount> textContribution(const TextCtl *text, const QString &f1, const QString &f2)
{
    const QString all = text->UserGetTextAll();
    if (TextCtl::isNumericText(all) && TextCtl::isNumericText(f1) && TextCtl::isNumericText(f2)) {
        const auto a = exact::parse(all);
        const auto b = exact::parse(f1);
        const auto c = exact::parse(f2);
        if (a && b && c)
            if (const auto ab = exact::multiply(*a, *b))
                return exact::multiply(*ab, *c);
    }
    return exact::leadingNumber(text->UserGetSum(f1, f2));
}

struct SumProps {
    const PropertyEntry *f1 = nullptr;
    const PropertyEntry *f2 = nullptr;
    const PropertyEntry *target = nullptr;
};

SumProps sumPropsOf(const PropertyList &list)
{
    SumProps p;
    for (const PropertyEntry &e : list) {
        if (e.key == 24 && !p.f1)
            p.f1 = &e;
        else if (e.key == 25 && !p.f2)
            p.f2 = &e;
        else if (e.key == 26 && !p.target)
            p.target = &e;
        if (p.f1 && p.f2 && p.target)
            break;
    }
    return p;
}

} // namespace

void FillRules::runSum(const Source &s)
{
    const QString t = s.record->value(26);
    if (t.trimmed().size() != 8)
        return;
    const FieldRegistry &registry = m_state.Registry;
    QList<exact::Amount> textParts;
    QList<exact::Amount> moneyParts;
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &r = registry.at(slot);
        if (r.kind == KindText) {
            const SumProps p = sumPropsOf(r.props());
            const TextCtl *text = m_controls.texts.at(r.index);
            if (!p.f1 || !p.f2 || !p.target || p.target->value != t || !text)
                continue;
            const auto v = textContribution(text, p.f1->value, p.f2->value);
            if (v && v->aboveZero())
                textParts << *v;
        } else if (r.kind == KindMoney) {
            const MoneyCtl *money = m_controls.moneys.at(r.index);
            if (!money || !r.has(26) || r.value(26) != t)
                continue;
            const auto v = exact::fromMoneyDigits(money->UserGetMoneyNumber());
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
    const QString formatted = sum ? exact::formatHashDot00(*sum) : QString();
    const QString target = t.trimmed();
    if (target.mid(3, 2) == QLatin1String("07"))
        sumIntoText(target, formatted);
    else if (target.mid(3, 2) == QLatin1String("08"))
        sumIntoMoney(target, formatted);
}

void FillRules::sumIntoText(const QString &target, const QString &sum)
{
    const std::optional<FieldKey> k = FieldKey::parse(target);
    const FieldRegistry &registry = m_state.Registry;
    if (!k || k->slot >= registry.count() || registry.at(k->slot).kind != KindText
        || !m_controls.texts.at(k->index)) {
        qCDebug(lcRules) << "sum target" << target << "names no text field";
        return;
    }
    const PropertyList &list = registry.at(k->slot).props();
    const PropertyEntry *prefix = findEntry(list, 15);
    const PropertyEntry *suffix = findEntry(list, 16);
    if (!findEntry(list, 6) || !prefix || !suffix)
        return;
    setText(k->index, sum.isEmpty() ? QString() : prefix->value + sum + suffix->value);
}

void FillRules::sumIntoMoney(const QString &target, const QString &sum)
{
    const std::optional<FieldKey> k = FieldKey::parse(target);
    MoneyCtl *money = k ? m_controls.moneys.at(k->index) : nullptr;
    if (!money) {
        qCDebug(lcRules) << "sum target" << target << "names no money field";
        return;
    }
    const int count = money->UserGetMoneyCount();
    if (count <= 0)
        return;
    money->UserSetMoneyText(sum.isEmpty() ? QStringList(count, QString())
                                          : fillrules::sumColumns(sum, count));
}

// ---- money copies -------------------------------------------------------------

void FillRules::runMoneyCopies(const Source &m, MoneyCtl *money)
{
    const FieldRegistry &registry = m_state.Registry;
    // A single-box field's amount holds its point: copy its fen digits.
    QString digits = money->UserGetMoneyNumber();
    if (digits.contains(u'.'))
        if (const auto amount = exact::fromMoneyDigits(digits))
            digits = exact::formatHashDot00(*amount).remove(u'.');
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &r = registry.at(slot);
        if (r.kind != KindMoney || r.index == m.index || !r.has(6) || !r.has(12)
            || r.value(12) != m.key)
            continue;
        MoneyCtl *target = m_controls.moneys.at(r.index);
        if (!target)
            continue;
        const int count = target->UserGetMoneyCount();
        if (count <= 0)
            continue;
        target->UserSetMoneyText(fillrules::copyColumns(digits, count));
    }
}

// ---- dates --------------------------------------------------------------------

void FillRules::runDateRule(const Source &d, DateCtl *date)
{
    const FieldRegistry &registry = m_state.Registry;
    const QString typed = date->UserGetDateTextBox();
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &r = registry.at(slot);
        if (r.kind != KindDate)
            continue;
        const PropertyEntry *length = findEntry(r.props(), 6);
        if (r.index == d.index) {
            const PropertyEntry *style = findEntry(r.props(), 11);
            if (!length || !style || typed.isEmpty() || typed.size() > wholeValue(length->value))
                continue;
            const std::optional<int> minimum = fillrules::dateMinimumLength(style->value);
            if (minimum && typed.size() >= *minimum) {
                date->UserSetDateStyle(style->value);
                date->UserSetFormatDate(typed);
            }
            continue;
        }
        const PropertyEntry *from = findEntry(r.props(), 12);
        DateCtl *copy = m_controls.dates.at(r.index);
        if (!length || !from || from->value != d.key || !copy)
            continue;
        copy->UserSetDateTextBox(typed.left(std::max(0, wholeValue(length->value))));
    }
}

// ---- text helpers -------------------------------------------------------------

void FillRules::clearText(int index)
{
    if (TextCtl *text = m_controls.texts.at(index))
        text->UserSetTextBox(QString());
}

void FillRules::setText(int index, const QString &text)
{
    if (TextCtl *t = m_controls.texts.at(index))
        t->UserSetTextBox(text);
}
