#pragma once
// A bill being filled in: a template plus what has been entered into its
// fields. The window's field controls are views of it, the command line and
// batch printing fill it directly, and printing reads it. Every change of a
// value is announced (valueChanged); the linking rules (FillRules) listen and
// set the linked fields, which announce their own changes in turn.
#include "core/billtemplate.h"
#include "core/exactamount.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class FillRules;

// Something that keeps a bill from printing as it stands.
struct BillProblem {
    enum Kind {
        AmountTooLong, // a sum or copy with more digits than the field's columns
        NotAnAmount,   // a single box holding something that is not an amount
        TextTooLong,   // more lines than the text field holds
        NoSuchDate,    // a complete date that does not exist
        IncompleteDate, // fewer digits than the field's date style needs
        AmountMismatch, // a field the rules fill with an amount says otherwise
    };
    Kind kind;
    QString key;     // the field
    QString name;    // its name (property 0), for the message
    QString message; // a sentence for the clerk, naming the field

    // A text that runs past its box may still be printed if the clerk says
    // so; the others never.
    bool blocks() const { return kind != TextTooLong; }
};

// What one field holds.
struct FieldValue {
    QString text;         // text: the whole text; date: the text shown; check: "√" or ""
    QStringList columns;  // money: one text per column, leftmost first
    QString typed;        // date: the digits as typed, before they were formatted
    QString overflow;     // money: an amount the rules could not fit into the columns
};

class BillDocument : public QObject {
    Q_OBJECT
public:
    explicit BillDocument(QObject *parent = nullptr);
    ~BillDocument() override;

    // Opens a template with every field empty (templateChanged).
    void setTemplate(const BillTemplate &t);
    // Takes a changed template (design mode, moved columns) and keeps the
    // values of the fields that keep their key (templateChanged).
    void updateTemplate(const BillTemplate &t);
    // No template: nothing to fill in or print.
    void close();
    bool isOpen() const { return m_open; }
    const BillTemplate &billTemplate() const { return m_template; }

    // ---- reading ----
    const TemplateField *field(const QString &key) const { return m_template.field(key); }
    const FieldValue *value(const QString &key) const;
    // What the field shows as one text: a text field its text, a date field
    // the date shown, a check "√" or "", a label its caption, a money field
    // its digits (moneyNumber).
    QString text(const QString &key) const;
    bool isChecked(const QString &key) const;
    // Money.
    bool isSingleBox(const QString &key) const;
    QStringList columns(const QString &key) const;
    QString moneyNumber(const QString &key) const;
    std::optional<exact::Amount> amount(const QString &key) const;
    QString moneyChinese(const QString &key, QString *error = nullptr) const;
    QString moneyEnglish(const QString &key) const;
    QString overflowOf(const QString &key) const;
    // Text: the lines it shows and prints, broken once in the printing font
    // at the field's width; whether they are more than the field holds.
    QStringList lines(const QString &key) const;
    bool overflows(const QString &key) const;
    // Date: the digits typed into it; whether they name no real date.
    QString typedDate(const QString &key) const;
    bool isNoSuchDate(const QString &key) const;
    // Some digits, but fewer than the field's style needs for a whole date
    // (it stays unformatted: 202612 would print as it stands).
    bool isIncompleteDate(const QString &key) const;

    // The fields the rules fill with an amount (in figures or words, copies,
    // sums) whose value is not what the rules make of the rest of the bill,
    // each with the value it should have: something was entered over them.
    QList<QPair<QString, QString>> amountsThatDisagree() const;

    // True when no field holds anything a clerk entered (a print would put
    // nothing of the bill on paper).
    bool isBlank() const;

    // What keeps the bill from printing as it stands, in slot order.
    QList<BillProblem> problems() const;

    // ---- edits; each returns false when the key names no field of the kind
    // and announces the change when the value changed ----
    bool setText(const QString &key, const QString &text);
    bool setDateText(const QString &key, const QString &text);
    bool setColumns(const QString &key, const QStringList &columns);
    bool setColumn(const QString &key, int column, const QString &text);
    // The amount the rules could not fit: the columns are emptied and the
    // field shows the amount as an overflow. An empty text clears it.
    bool setOverflow(const QString &key, const QString &amountText);
    bool setChecked(const QString &key, bool checked);
    // Empties the field (text, date, check or money).
    bool clear(const QString &key);
    // Empties every field marked to be emptied after printing, in slot
    // order; the rules recompute what depends on them.
    void emptyAfterPrint();
    // Every field empty again.
    void clearAll();

    FillRules &rules() { return *m_rules; }

signals:
    void valueChanged(const QString &key);
    void templateChanged();

private:
    FieldValue *valueOf(const QString &key, FieldKind kind);
    void changed(const QString &key);

    BillTemplate m_template;
    bool m_open = false;
    QHash<QString, FieldValue> m_values;
    mutable QHash<QString, QStringList> m_lines; // broken lines, until the text changes
    std::unique_ptr<FillRules> m_rules;
};
