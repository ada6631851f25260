#pragma once
// The linking rules of a bill being filled in: sums, amount display chains,
// text overflow chains, money and date copies, date formatting and the
// money columns' positions. They read the field registry and act on the
// field controls through their public operations only, so the main window,
// the command line and the tests drive the same code.
//
// Setting a linked field raises that field's own change event, which comes
// back here and runs that field's rules before the first rule goes on. A
// money or text field whose rules are already running is not entered again
// (a field that is its own sum target, a copy or chain cycle); a date field
// is, once per new text, since formatting itself changes its text. The
// cascade stops at MaxCascadeDepth, so a bad link ends instead of looping.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct AppState;
struct FieldControls;
struct FieldRecord;
class QWidget;
class MoneyCtl;
class TextCtl;
class DateCtl;

namespace fillrules {

// Minimum number of typed characters at which a date field with this style
// code formats itself; nullopt when it never does.
std::optional<int> dateMinimumLength(const QString &styleCode);

// Formats a text with the grouping pattern of an amount display code: groups
// of `groupSize` characters, each followed by `spaces` blanks.
QString groupText(const QString &text, int groupSize, int spaces);

// The amount display text of a conversion value (positions 3-4 of an amount
// display code) for money digits; the Chinese and English words are asked
// for only when needed. nullopt for a conversion value that keeps the text.
struct AmountTexts {
    QString digits;                  // UserGetMoneyNumber
    std::function<QString()> chinese; // UserGetMoneyToChinese
    std::function<QString()> english; // UserGetMoneyToEnglish
};
std::optional<QString> displayText(const QString &conversion, const AmountTexts &amount);

// A sum shown in a money field of `count` columns: the "#.00" text without
// its point and leading zeros, right-aligned and cut to the rightmost
// `count` digits; the columns to its left empty.
QStringList sumColumns(const QString &formatted, int count);
// A copied amount in a money field of `count` columns: the digits without
// leading zeros, cut to the rightmost `count` or padded with zeros, then
// every column left of the first digit above 0 emptied.
QStringList copyColumns(const QString &digits, int count);
// A number property (capacity, lengths, code parts): the leading number of
// the text rounded to a whole number, 0 when there is none.
int wholeValue(const QString &text);

} // namespace fillrules

class FillRules : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxCascadeDepth = 64;

    FillRules(AppState &state, FieldControls &controls, QObject *parent = nullptr);

    // The four field events; the argument is the control index of the field.
    void MoneyCtl_TChange(int index);
    void MoneyCtl_TMouseUp(int index);
    void TextCtl_TBChange(int index);
    void DateCtl_DTBChange(int index);

    // Connects a field control's change events to the rules, index bound
    // (for hosts other than the main window, which calls the rules from its
    // own handlers). Labels and checks have no rules.
    void connectField(int kind, int index, QWidget *control);

    // Times a cascade was cut by the guard since construction.
    int cutCount() const { return m_cuts; }

private:
    class Activation;

    // The changed field: its key (Tag) and registry record, or nothing when
    // the rules have nothing to do for it.
    struct Source {
        QString key;
        int slot = 0;
        int index = 0;
        const FieldRecord *record = nullptr;
    };
    std::optional<Source> sourceOf(QWidget *control, int index, bool needProperties) const;

    void runSum(const Source &s);
    void sumIntoText(const QString &target, const QString &sum);
    void sumIntoMoney(const QString &target, const QString &sum);
    void runAmountChains(const Source &m, MoneyCtl *money);
    void runAmountChain(int headSlot, const QString &k, MoneyCtl *money, QString &display);
    void runTextChain(const Source &s, const QString &text);
    void runMoneyCopies(const Source &m, MoneyCtl *money);
    void runDateRule(const Source &d, DateCtl *date);
    void clearText(int index);
    void setText(int index, const QString &text);

    AppState &m_state;
    FieldControls &m_controls;
    QList<QString> m_active; // fields whose rules are running, outermost first
    int m_cuts = 0;
};
