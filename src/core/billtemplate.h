#pragma once
// A template as the program uses it: the bill and its fields with their
// properties read once, by one reader, into typed values. Built from the
// field registry whenever a template is opened (and again when design mode
// changes the registry); everything that fills in, shows or prints a bill
// reads this instead of walking property lists.
#include "core/fieldregistry.h"
#include "core/propkeys.h"
#include "core/result.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// A text property that links or decorates: present (possibly empty) or not.
using OptText = std::optional<QString>;

// The digit columns of a money field, in twips from the field's left edge.
struct MoneyColumns {
    int count = 1;            // 1..18; 1 with no (or an unknown) highest unit
    int columnWidth = 567;    // every column's width
    int separatorWidth = 28;  // every separator bar's width
    quint32 lineColour = 0;   // the bars' colour
    bool sameSpacing = false; // spread evenly over the field
    bool draggable = false;   // columns can be dragged sideways
    QList<int> stored;        // keys 100+ as stored: the fen column first
    QList<int> columnX;       // where each column stands, leftmost first
    QList<int> separatorX;    // where each separator stands, leftmost first

    // Where the digits print, the fen column first: the stored positions,
    // else the columns as they stand when they do stand side by side;
    // empty when neither (the digits would stack on each other).
    QList<int> printPositions() const;
};

struct TemplateField {
    int slot = 0;
    FieldKind kind = KindBill;
    int index = 0;      // control index within its kind
    QString key;        // eight-digit field key, from the current slot, kind and index
    QString name;       // 0: caption or tooltip

    // 1-4: place and size. `placed` is false when left or top is not a whole
    // number (such a field is shown but never printed).
    QRect rect;
    bool placed = false;

    std::optional<int> fontSize; // 5, when it names a usable size (1..32767 points)
    int charLength = 0;          // 6, as its leading number
    bool hasCharLength = false;
    std::optional<quint32> fontColour; // 8
    std::optional<quint32> backColour; // 9
    QString textAlign;           // 10 (check)

    OptText code;     // 11: amount display code (text) or date style (date)
    OptText source;   // 12
    OptText previous; // 13
    OptText prefix;   // 15
    OptText suffix;   // 16
    OptText factor1;  // 24
    OptText factor2;  // 25
    OptText sumTarget; // 26
    bool notPrinted = false;      // 30 "是"
    bool emptyAfterPrint = false; // 31 "是"

    // Money only.
    QString startUnit; // 20, as stored (blank: one box for the whole amount)
    QString signUnit;  // 21
    QString sign;      // 22
    MoneyColumns columns;

    // Font size on paper: the stored size, else the printer's 9 points.
    int printSize() const { return fontSize.value_or(9); }
    // True for a money field whose amount prints column by column.
    bool byColumns() const { return kind == KindMoney && !startUnit.trimmed().isEmpty(); }
};

class BillTemplate {
public:
    // Positions and sizes further than this from the bill's corner are refused.
    static constexpr int MaxTwips = 1000000;

    // Reads every record of the registry. A position or size that is not a
    // whole number, or lies beyond MaxTwips, is an error naming the field.
    static Result<BillTemplate> fromRegistry(const FieldRegistry &registry);

    bool isEmpty() const { return m_fields.isEmpty() && !m_hasBill; }
    // The template table it was read from ("class_template"), when known.
    QString table() const { return m_table; }
    void setTable(const QString &table) { m_table = table; }
    // The bill record.
    QString name() const { return m_name; }
    std::optional<int> width() const { return m_width; }
    std::optional<int> height() const { return m_height; }
    std::optional<quint32> background() const { return m_background; }
    bool hasBill() const { return m_hasBill; }

    // Fields (kinds 4-8 with properties), in slot order.
    const QList<TemplateField> &fields() const { return m_fields; }
    // The field with this key, or nullptr.
    const TemplateField *field(const QString &key) const;
    // The field at this slot, or nullptr.
    const TemplateField *atSlot(int slot) const;
    // Position of a field in fields(), or -1.
    int indexOfKey(const QString &key) const;
    // True for a field the linking rules fill with an amount: a text field
    // that shows a money field's amount (in figures or in words), a money
    // field that copies another, the target of a sum. Nothing typed into it
    // may disagree with the amount it shows.
    bool showsAmount(const TemplateField &f) const;

private:
    // Builds the lookups below from the finished field list (the only
    // place the list is made is fromRegistry).
    void buildLookups();

    QString m_table;
    QString m_name;
    std::optional<int> m_width;
    std::optional<int> m_height;
    std::optional<quint32> m_background;
    bool m_hasBill = false;
    QList<TemplateField> m_fields;
    // Position in m_fields by key and by slot (the first field wins), and
    // the (kind, control index) pairs that sums name as their target: a
    // bill of a thousand fields looks its fields up without walking them.
    QHash<QString, int> m_byKey;
    QHash<int, int> m_bySlot;
    QSet<QPair<int, int>> m_sumTargets;
};

// The digit columns of a money field read from its properties (keys 18-36
// and 100+) for a field of the given width.
MoneyColumns readMoneyColumns(const PropertyList &props, int fieldWidth);
