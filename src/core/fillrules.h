#pragma once
// The linking rules of a bill being filled in: sums, amount display chains,
// text overflow chains, money and date copies, and date formatting. They
// act on the bill document: each change of a money, text or date field runs
// that field's rules, which set the linked fields through the document.
//
// Setting a linked field announces that field's own change, which runs that
// field's rules before the first rule goes on. A money or text field whose
// rules are already running is not entered again (a field that is its own
// sum target, a copy or chain cycle); a date field is, once per new text,
// since formatting itself changes its text. The cascade stops at
// MaxCascadeDepth, so a bad link ends instead of looping.
#include "core/exactamount.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class BillDocument;
struct TemplateField;

namespace fillrules {

// Minimum number of typed characters at which a date field with this style
// code formats itself; nullopt when it never does. A month or day in short
// Chinese (codes 4 and 6) waits for both digits: "1" may still become 12.
std::optional<int> dateMinimumLength(const QString &styleCode);

// Formats a text with the grouping pattern of an amount display code: groups
// of `groupSize` characters, each followed by `spaces` blanks.
QString groupText(const QString &text, int groupSize, int spaces);

// The amount display text of a conversion value (positions 3-4 of an amount
// display code); the Chinese and English words are asked for only when
// needed. nullopt for a conversion value that keeps the text.
struct AmountTexts {
    std::optional<exact::Amount> yuan;
    std::function<QString()> chinese;
    std::function<QString()> english;
};
std::optional<QString> displayText(const QString &conversion, const AmountTexts &amount);

// A sum shown in a money field of `count` columns: the "#.00" text without
// its point and leading zeros, right-aligned; nullopt when it has more
// digits than the field has columns.
std::optional<QStringList> sumColumns(const QString &formatted, int count);
// A copied amount (fen digits) in a money field of `count` columns,
// right-aligned, every column left of the first digit above 0 empty;
// nullopt when it has more digits than the field has columns.
std::optional<QStringList> copyColumns(const QString &fenDigits, int count);
// A number property (capacity, lengths, code parts): the leading number of
// the text rounded to a whole number, 0 when there is none.
int wholeValue(const QString &text);

} // namespace fillrules

class FillRules {
public:
    static constexpr int MaxCascadeDepth = 64;

    explicit FillRules(BillDocument &document);
    FillRules(const FillRules &) = delete;
    FillRules &operator=(const FillRules &) = delete;

    // Runs the rules of the field whose value changed.
    void fieldChanged(const QString &key);

    // Times a cascade was cut by the guard since construction.
    int cutCount() const { return m_cuts; }

private:
    class Activation;

    void moneyChanged(const TemplateField &m);
    void textChanged(const TemplateField &s);
    void dateChanged(const TemplateField &d);

    void runSum(const TemplateField &s);
    void sumIntoText(const QString &target, const QString &sum);
    void sumIntoMoney(const QString &target, const std::optional<exact::Amount> &sum);
    void runAmountChains(const TemplateField &m);
    void runAmountChain(int headPosition, const TemplateField &m, QString &display);
    void runTextChain(const TemplateField &s, const QString &text);
    void runMoneyCopies(const TemplateField &m);
    void runDateRule(const TemplateField &d);
    void setText(const TemplateField &f, const QString &text);

    BillDocument &m_doc;
    QList<QString> m_active; // fields whose rules are running, outermost first
    int m_cuts = 0;
};
