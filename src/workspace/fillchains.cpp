// The chained text fields: an amount shown over several text fields, and a
// text that overflows from one text field into the next.
#include "workspace/fillrules.h"

#include "core/appstate.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "core/exactamount.h"
#include "workspace/fieldcontrols.h"

using fillrules::wholeValue;

namespace fillrules {

QString groupText(const QString &text, int groupSize, int spaces)
{
    if (groupSize < 1)
        return text;
    const QString gap(std::max(0, spaces), u' ');
    QString grouped;
    for (qsizetype i = 0; i < text.size(); i += groupSize)
        grouped += text.mid(i, groupSize) + gap;
    return grouped;
}

std::optional<QString> displayText(const QString &conversion, const AmountTexts &amount)
{
    if (conversion == QLatin1String("00") || conversion == QLatin1String("01")) {
        const auto yuan = exact::fromMoneyDigits(amount.digits);
        if (!yuan || !yuan->aboveZero())
            return QString();
        if (conversion == QLatin1String("00")) {
            const auto fen = exact::multiply(*yuan, exact::Amount{100, 0});
            return fen ? exact::plain(exact::rounded(*fen, 0)) : QString();
        }
        const QString text = exact::formatHashDot00(*yuan);
        return text.startsWith(u'.') ? u'0' + text : text;
    }
    if (conversion == QLatin1String("02"))
        return amount.chinese ? amount.chinese() : QString();
    if (conversion == QLatin1String("03"))
        return amount.english ? amount.english() : QString();
    return std::nullopt;
}

} // namespace fillrules

namespace {

// The properties a chain member is read with, each the first entry with its
// key; a member needs all of those its chain asks for.
struct ChainProps {
    const PropertyEntry *capacity = nullptr; // 6
    const PropertyEntry *code = nullptr;     // 11
    const PropertyEntry *source = nullptr;   // 12
    const PropertyEntry *previous = nullptr; // 13
    const PropertyEntry *prefix = nullptr;   // 15
    const PropertyEntry *suffix = nullptr;   // 16

    bool complete(bool withCode) const
    {
        return capacity && (code || !withCode) && source && previous && prefix && suffix;
    }
    int room() const
    {
        const qint64 r = qint64(wholeValue(capacity->value)) - prefix->value.size() - suffix->value.size();
        return int(std::clamp<qint64>(r, 0, INT_MAX));
    }
};

ChainProps chainPropsOf(const PropertyList &list)
{
    ChainProps p;
    auto take = [](const PropertyEntry *&slot, const PropertyEntry &e) {
        if (!slot)
            slot = &e;
    };
    for (const PropertyEntry &e : list) {
        switch (e.key) {
        case 6: take(p.capacity, e); break;
        case 11: take(p.code, e); break;
        case 12: take(p.source, e); break;
        case 13: take(p.previous, e); break;
        case 15: take(p.prefix, e); break;
        case 16: take(p.suffix, e); break;
        default: break;
        }
    }
    return p;
}

QString trimmedLeft(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    return text.mid(i);
}

} // namespace

// ---- amount display chains ----------------------------------------------------

void FillRules::runAmountChains(const Source &m, MoneyCtl *money)
{
    const FieldRegistry &registry = m_state.Registry;
    QList<int> heads;
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &r = registry.at(slot);
        if (r.kind != KindText)
            continue;
        const PropertyEntry *source = findEntry(r.props(), 12);
        const PropertyEntry *previous = findEntry(r.props(), 13);
        if (source && previous && !source->value.trimmed().isEmpty()
            && source->value.mid(3, 2) == QLatin1String("08") && previous->value == source->value
            && source->value == m.key)
            heads << slot;
    }
    QString display;
    for (int head : std::as_const(heads))
        runAmountChain(head, m.key, money, display);
}

void FillRules::runAmountChain(int headSlot, const QString &k, MoneyCtl *money, QString &display)
{
    const FieldRegistry &registry = m_state.Registry;
    const fillrules::AmountTexts amount{money->UserGetMoneyNumber(),
                                        [money] { return money->UserGetMoneyToChinese(); },
                                        [money] { return money->UserGetMoneyToEnglish(); }};
    QString predecessor = k;
    int consumed = 0;
    int slot = headSlot;
    QList<int> visited;
    while (slot < registry.count()) {
        const FieldRecord &r = registry.at(slot);
        const ChainProps p = r.kind == KindText ? chainPropsOf(r.props()) : ChainProps{};
        if (!p.complete(true) || p.source->value.trimmed().isEmpty() || p.source->value != k
            || p.previous->value != predecessor) {
            ++slot;
            continue;
        }
        // A member reached a second time closes a loop in the chain: stop.
        if (visited.contains(slot))
            break;
        visited << slot;
        const QString memberKey = registry.keyOf(slot);
        const int memberIndex = r.index;
        const bool head = predecessor == k;
        predecessor = memberKey;
        const QString code = p.code->value;
        const int room = p.room();
        const QString prefix = p.prefix->value;
        const QString suffix = p.suffix->value;
        if (code.startsWith(QLatin1String("01")))
            display = fillrules::displayText(code.mid(2, 2), amount).value_or(display);
        if (code.mid(4, 2) == QLatin1String("01"))
            display = fillrules::groupText(display, wholeValue(code.mid(6, 2)) + 1,
                                           wholeValue(code.mid(8, 2)) + 1);
        // Setting a member's text may run that member's own rules; the
        // registry is not changed by them, so the record read above stays.
        const QString part = display.size() < consumed + 1 ? QString() : display.mid(consumed, room);
        if (part.isEmpty()) {
            clearText(memberIndex);
            slot = head ? 0 : slot + 1;
            continue;
        }
        setText(memberIndex, trimmedLeft(prefix + part + suffix));
        consumed += room;
        slot = 0;
    }
}

// ---- text overflow chain -------------------------------------------------------

void FillRules::runTextChain(const Source &s, const QString &text)
{
    const FieldRegistry &registry = m_state.Registry;
    QString predecessor = s.key;
    int consumed = 0;
    int slot = 0;
    QList<int> visited;
    while (slot < registry.count()) {
        const FieldRecord &r = registry.at(slot);
        const ChainProps p = r.kind == KindText && r.index != s.index ? chainPropsOf(r.props()) : ChainProps{};
        if (!p.complete(false) || p.source->value != s.key || p.previous->value != predecessor) {
            ++slot;
            continue;
        }
        if (visited.contains(slot))
            break;
        visited << slot;
        predecessor = registry.keyOf(slot);
        const int room = p.room();
        const QString part = text.size() < consumed + 1 ? QString() : text.mid(consumed, room);
        if (part.isEmpty()) {
            clearText(r.index);
            ++slot;
            continue;
        }
        setText(r.index, p.prefix->value + part + p.suffix->value);
        consumed += room;
        slot = 0;
    }
}
