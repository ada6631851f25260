// The chained text fields: an amount shown over several text fields, and a
// text that overflows from one text field into the next.
#include "core/billdocument.h"
#include "core/fillrules.h"
#include "core/textvalue.h"

#include <climits>

using fillrules::wholeValue;

namespace fillrules {

QString groupText(const QString &text, int groupSize, int spaces)
{
    if (groupSize < 1)
        return text;
    const QString gap(std::max(0, spaces), u' ');
    // Groups of characters as people see them, never half an emoji.
    const int length = textvalue::length(text);
    QString grouped;
    for (int i = 0; i < length; i += groupSize)
        grouped += textvalue::mid(text, i, groupSize) + gap;
    return grouped;
}

std::optional<QString> displayText(const QString &conversion, const AmountTexts &amount)
{
    if (conversion == QLatin1String("00") || conversion == QLatin1String("01")) {
        if (!amount.yuan || !amount.yuan->aboveZero())
            return QString();
        if (conversion == QLatin1String("00")) {
            const auto fen = exact::multiply(*amount.yuan, exact::Amount{100, 0});
            return fen ? exact::plain(exact::rounded(*fen, 0)) : QString();
        }
        const QString text = exact::formatHashDot00(*amount.yuan);
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

// A member's share of the chain: its capacity less its prefix and suffix.
int room(const TemplateField &f)
{
    const qint64 r = qint64(f.charLength) - textvalue::length(f.prefix.value_or(QString()))
                     - textvalue::length(f.suffix.value_or(QString()));
    return int(std::clamp<qint64>(r, 0, INT_MAX));
}

bool chainMember(const TemplateField &f, bool withCode)
{
    return f.kind == KindText && f.hasCharLength && (f.code || !withCode) && f.source && f.previous
           && f.prefix && f.suffix;
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

void FillRules::runAmountChains(const TemplateField &m)
{
    const QList<TemplateField> &fields = m_doc.billTemplate().fields();
    QList<int> heads;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const TemplateField &f = fields.at(i);
        if (f.kind == KindText && f.source && f.previous && !f.source->trimmed().isEmpty()
            && f.source->mid(3, 2) == QLatin1String("08") && *f.previous == *f.source
            && *f.source == m.key)
            heads << int(i);
    }
    QString display;
    for (int head : std::as_const(heads))
        runAmountChain(head, m, display);
}

void FillRules::runAmountChain(int headPosition, const TemplateField &m, QString &display)
{
    const QString k = m.key;
    const fillrules::AmountTexts amount{m_doc.amount(k), [this, k] { return m_doc.moneyChinese(k); },
                                        [this, k] { return m_doc.moneyEnglish(k); }};
    // A copy: setting a member's text runs its own rules, which never change
    // the template, but the list is not held across them by reference.
    const QList<TemplateField> fields = m_doc.billTemplate().fields();
    QString predecessor = k;
    int consumed = 0;
    qsizetype i = headPosition;
    QList<qsizetype> visited;
    while (i < fields.size()) {
        const TemplateField &f = fields.at(i);
        if (!chainMember(f, true) || f.source->trimmed().isEmpty() || *f.source != k
            || *f.previous != predecessor) {
            ++i;
            continue;
        }
        // A member reached a second time closes a loop in the chain: stop.
        if (visited.contains(i))
            break;
        visited << i;
        const bool head = predecessor == k;
        predecessor = f.key;
        const QString code = *f.code;
        if (code.startsWith(QLatin1String("01")))
            display = fillrules::displayText(code.mid(2, 2), amount).value_or(display);
        if (code.mid(4, 2) == QLatin1String("01"))
            display = fillrules::groupText(display, wholeValue(code.mid(6, 2)) + 1,
                                           wholeValue(code.mid(8, 2)) + 1);
        const int share = room(f);
        const QString part = textvalue::length(display) < consumed + 1
                                 ? QString()
                                 : textvalue::mid(display, consumed, share);
        if (part.isEmpty()) {
            setText(f, QString());
            i = head ? 0 : i + 1;
            continue;
        }
        setText(f, trimmedLeft(*f.prefix + part + *f.suffix));
        consumed += share;
        i = 0;
    }
}

// ---- text overflow chain -------------------------------------------------------

void FillRules::runTextChain(const TemplateField &s, const QString &text)
{
    const QList<TemplateField> fields = m_doc.billTemplate().fields();
    QString predecessor = s.key;
    int consumed = 0;
    qsizetype i = 0;
    QList<qsizetype> visited;
    while (i < fields.size()) {
        const TemplateField &f = fields.at(i);
        if (!chainMember(f, false) || f.index == s.index || *f.source != s.key
            || *f.previous != predecessor) {
            ++i;
            continue;
        }
        if (visited.contains(i))
            break;
        visited << i;
        predecessor = f.key;
        const int share = room(f);
        const QString part = textvalue::length(text) < consumed + 1
                                 ? QString()
                                 : textvalue::mid(text, consumed, share);
        if (part.isEmpty()) {
            setText(f, QString());
            ++i;
            continue;
        }
        setText(f, *f.prefix + part + *f.suffix);
        consumed += share;
        i = 0;
    }
}
