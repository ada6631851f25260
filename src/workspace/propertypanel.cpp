#include "workspace/propertypanel.h"

#include "core/appstate.h"
#include "core/propkeys.h"
#include "core/propvalue.h"
#include "fields/fieldwidget.h"
#include "workspace/designmode.h"
#include "workspace/designundo.h"
#include "workspace/mdimain.h"
#include "workspace/propertyvalues.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace propertyvalues;

namespace {

// The kinds whose fields print, and so can be kept off the paper.
const QList<int> PrintedKinds{KindCheck, KindDate, KindText, KindMoney};
const QList<int> PlacedKinds{KindLabel, KindCheck, KindDate, KindText, KindMoney};
const QList<int> AllKinds{KindBill, KindLabel, KindCheck, KindDate, KindText, KindMoney};

QString kindName(int kind)
{
    switch (kind) {
    case KindBill: return QStringLiteral("票据");
    case KindLabel: return QStringLiteral("标签");
    case KindCheck: return QStringLiteral("复选框");
    case KindDate: return QStringLiteral("日期");
    case KindText: return QStringLiteral("文本");
    case KindMoney: return QStringLiteral("金额");
    default: return QStringLiteral("字段");
    }
}

bool isGeometry(int key)
{
    return key >= prop::Left && key <= prop::Height;
}

// The kinds of field a link of `key` on a field of `kind` may name.
QList<int> linkKinds(int key, int kind)
{
    if (key == prop::SumTarget)
        return {KindMoney, KindText};
    if (kind == KindText)
        return {KindMoney, KindText};
    return {kind}; // a money or date field copies one of its own kind
}

QIcon swatch(const QColor &colour)
{
    QPixmap p(16, 16);
    p.fill(colour);
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(p);
}

} // namespace

PropertyPanel *PropertyPanel::attach(DesignMode &design)
{
    auto *panel = new PropertyPanel(design, &design.window());
    design.window().addDockWidget(Qt::RightDockWidgetArea, panel);
    QObject::connect(&design, &DesignMode::selectionChanged, panel, &PropertyPanel::refresh);
    panel->refresh();
    return panel;
}

PropertyPanel::PropertyPanel(DesignMode &design, QWidget *parent)
    : QDockWidget(QStringLiteral("属性"), parent), m_design(design)
{
    setObjectName(QStringLiteral("PropertyBox"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto *content = new QWidget;
    auto *box = new QVBoxLayout(content);
    m_title = new QLabel(content);
    m_title->setObjectName(QStringLiteral("propTitle"));
    m_title->setWordWrap(true);
    box->addWidget(m_title);
    m_form = new QFormLayout;
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    box->addLayout(m_form);
    m_refusal = new QLabel(content);
    m_refusal->setObjectName(QStringLiteral("propRefusal"));
    m_refusal->setWordWrap(true);
    m_refusal->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_refusal->hide();
    box->addWidget(m_refusal);
    box->addStretch(1);

    addRow(prop::Name, Editor::Line, QStringLiteral("propName"), AllKinds);
    addRow(prop::Left, Editor::Line, QStringLiteral("propLeft"), PlacedKinds);
    addRow(prop::Top, Editor::Line, QStringLiteral("propTop"), PlacedKinds);
    addRow(prop::Width, Editor::Line, QStringLiteral("propWidth"), AllKinds);
    addRow(prop::Height, Editor::Line, QStringLiteral("propHeight"), AllKinds);
    addRow(prop::FontSize, Editor::Line, QStringLiteral("propFontSize"), PlacedKinds);
    addRow(prop::FontColour, Editor::Colour, QStringLiteral("propFontColour"), PlacedKinds);
    addRow(prop::BackColour, Editor::Colour, QStringLiteral("propBackColour"), AllKinds);
    addRow(prop::TextAlign, Editor::Combo, QStringLiteral("propTextAlign"), {KindCheck});
    addRow(prop::CharLength, Editor::Line, QStringLiteral("propCharLength"), {KindDate, KindText});
    addRow(prop::Code, Editor::Combo, QStringLiteral("propDateStyle"), {KindDate});
    m_dateExample = new QLabel(content);
    m_dateExample->setObjectName(QStringLiteral("propDateExample"));
    m_form->addRow(QStringLiteral("今天显示为"), m_dateExample);
    addRow(prop::Code, Editor::Combo, QStringLiteral("propDisplayCode"), {KindText});
    addRow(prop::Source, Editor::Combo, QStringLiteral("propSource"), {KindDate, KindText, KindMoney});
    addRow(prop::Previous, Editor::Combo, QStringLiteral("propPrevious"), {KindText});
    addRow(prop::SumTarget, Editor::Combo, QStringLiteral("propSumTarget"), {KindText, KindMoney});
    addRow(prop::Prefix, Editor::Line, QStringLiteral("propPrefix"), {KindText});
    addRow(prop::Suffix, Editor::Line, QStringLiteral("propSuffix"), {KindText});
    addRow(prop::StartUnit, Editor::Combo, QStringLiteral("propStartUnit"), {KindMoney});
    addRow(prop::Sign, Editor::Line, QStringLiteral("propSign"), {KindMoney});
    addRow(prop::SignUnit, Editor::Combo, QStringLiteral("propSignUnit"), {KindMoney});
    addRow(prop::NotPrinted, Editor::Check, QStringLiteral("propPrinted"), PrintedKinds);
    addRow(prop::EmptyAfterPrint, Editor::Check, QStringLiteral("propEmptyAfterPrint"), PrintedKinds);

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    setWidget(scroll);
    setMinimumWidth(250);

    chooseColour = [this](const QColor &initial, const QString &title) {
        return QColorDialog::getColor(initial, this, title, QColorDialog::DontUseNativeDialog);
    };
}

QString PropertyPanel::propertyName(int kind, int key)
{
    return propertyvalues::propertyName(kind, key);
}

QString PropertyPanel::refusal() const
{
    return m_refusal->isHidden() ? QString() : m_refusal->text();
}

QWidget *PropertyPanel::editor(int key) const
{
    const int kind = m_slot >= 0 ? m_design.state().Registry.at(m_slot).kind : -1;
    for (const Row &r : m_rows)
        if (r.key == key && r.kinds.contains(kind))
            return r.editor;
    return nullptr;
}

QWidget *PropertyPanel::addRow(int key, Editor type, const QString &name, const QList<int> &kinds)
{
    QWidget *w = nullptr;
    switch (type) {
    case Editor::Line: {
        auto *edit = new QLineEdit;
        connect(edit, &QLineEdit::editingFinished, this, [this, key, edit] { lineEdited(key, edit); });
        edit->installEventFilter(this);
        w = edit;
        break;
    }
    case Editor::Combo: {
        auto *combo = new QComboBox;
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(8);
        connect(combo, &QComboBox::activated, this, [this, key, combo] { comboChosen(key, combo); });
        if (name == QLatin1String("propDateStyle"))
            connect(combo, &QComboBox::highlighted, this, [this, combo](int i) {
                m_dateExample->setText(dateExample(combo->itemData(i).toString(), QDate::currentDate()));
            });
        w = combo;
        break;
    }
    case Editor::Check: {
        auto *box = new QCheckBox(key == prop::NotPrinted ? QStringLiteral("打印到纸上") : QStringLiteral("清除内容"));
        connect(box, &QCheckBox::clicked, this, [this, key, box] { checkClicked(key, box); });
        w = box;
        break;
    }
    case Editor::Colour: {
        auto *button = new QPushButton;
        connect(button, &QPushButton::clicked, this, [this, key, button] { colourClicked(key, button); });
        w = button;
        break;
    }
    }
    w->setObjectName(name);
    m_form->addRow(labelFor(key, kinds.first()), w);
    m_rows.append({key, type, w, kinds});
    return w;
}

bool PropertyPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A line keeps Ctrl+Z and Ctrl+Y for the typing it has not yet given to
    // the field; with nothing of its own to undo or redo (a value taken with
    // Return is shown afresh) the keys go to the design's undo and redo.
    if (event->type() == QEvent::ShortcutOverride)
        if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->matches(QKeySequence::Undo) && !edit->isUndoAvailable())
                || (key->matches(QKeySequence::Redo) && !edit->isRedoAvailable())
                || (key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) && !edit->isRedoAvailable()))
                return true;
        }
    return QDockWidget::eventFilter(watched, event);
}

QString PropertyPanel::labelFor(int key, int kind) const
{
    switch (key) {
    case prop::Name:
        return kind == KindBill ? QStringLiteral("票据名称")
               : kind == KindLabel || kind == KindCheck ? QStringLiteral("标题")
                                                        : QStringLiteral("名称");
    case prop::Left: return QStringLiteral("左边距（毫米）");
    case prop::Top: return QStringLiteral("上边距（毫米）");
    case prop::Width: return QStringLiteral("宽度（毫米）");
    case prop::Height: return QStringLiteral("高度（毫米）");
    case prop::CharLength: return kind == KindDate ? QStringLiteral("格式化长度") : QStringLiteral("最大长度");
    case prop::Code: return kind == KindDate ? QStringLiteral("日期格式") : QStringLiteral("显示金额");
    case prop::Source: return kind == KindText ? QStringLiteral("来源字段") : QStringLiteral("复制来源");
    case prop::SignUnit: return QStringLiteral("空白时符号位置");
    case prop::NotPrinted: return QStringLiteral("打印");
    case prop::EmptyAfterPrint: return QStringLiteral("打印后");
    default: return propertyName(kind, key);
    }
}

// ---- showing -----------------------------------------------------------------

void PropertyPanel::refresh()
{
    const AppState &st = m_design.state();
    const auto key = FieldKey::parse(st.CurrentKey);
    const bool designing = st.DesignMode != 0 && !st.Registry.isEmpty();
    m_slot = designing && key && key->slot <= st.Registry.lastSlot() ? key->slot : -1;
    const FieldRecord *record = m_slot >= 0 ? &st.Registry.at(m_slot) : nullptr;
    if (record && record->props().isEmpty()) {
        record = nullptr;
        m_slot = -1;
    }
    widget()->setEnabled(record != nullptr);
    const int kind = record ? record->kind : -1;
    m_title->setText(record ? QStringLiteral("%1：%2").arg(kindName(kind), record->value(prop::Name))
                            : QStringLiteral("没有选中字段"));
    m_filling = true;
    for (const Row &row : std::as_const(m_rows)) {
        const bool shown = record && row.kinds.contains(kind);
        m_form->setRowVisible(row.editor, shown);
        if (!shown)
            continue;
        if (auto *label = qobject_cast<QLabel *>(m_form->labelForField(row.editor)))
            label->setText(labelFor(row.key, kind));
        fill(row, *record);
    }
    m_form->setRowVisible(m_dateExample, kind == KindDate);
    if (kind == KindDate)
        m_dateExample->setText(dateExample(record->value(prop::Code), QDate::currentDate()));
    m_filling = false;
}

void PropertyPanel::fill(const Row &row, const FieldRecord &record)
{
    const QString value = record.value(row.key);
    switch (row.type) {
    case Editor::Line: {
        auto *edit = static_cast<QLineEdit *>(row.editor);
        QString text = value;
        if (isGeometry(row.key)) {
            const int twips = row.key == prop::Width && record.kind == KindBill ? m_design.billSize().width()
                              : row.key == prop::Height && record.kind == KindBill
                                  ? m_design.billSize().height()
                                  : propvalue::strictWhole(value).value_or(0);
            text = millimetres(twips);
        }
        edit->setText(text);
        edit->setCursorPosition(0);
        m_shown.insert(edit, text);
        break;
    }
    case Editor::Combo: fillCombo(row, record); break;
    case Editor::Check: {
        auto *box = static_cast<QCheckBox *>(row.editor);
        box->setChecked(row.key == prop::NotPrinted ? !propvalue::isYes(value) : propvalue::isYes(value));
        break;
    }
    case Editor::Colour: {
        auto *button = static_cast<QPushButton *>(row.editor);
        const QColor c = fields::oleColor(propvalue::colour(value));
        button->setIcon(swatch(c));
        button->setText(c.name());
        button->setProperty("colour", c);
        break;
    }
    }
}

void PropertyPanel::fillCombo(const Row &row, const FieldRecord &record)
{
    auto *combo = static_cast<QComboBox *>(row.editor);
    const QString value = record.value(row.key).trimmed();
    QList<Choice> choices;
    switch (row.key) {
    case prop::Code:
        choices = record.kind == KindDate ? dateStyles(QDate::currentDate()) : displayCodes();
        break;
    case prop::Source:
    case prop::Previous:
    case prop::SumTarget:
        choices = linkTargets(m_design.state().Registry, m_slot, linkKinds(row.key, record.kind));
        break;
    case prop::StartUnit: choices = moneyUnits(QStringLiteral("（单格，整个金额）")); break;
    case prop::SignUnit: choices = moneyUnits(QStringLiteral("（不显示）")); break;
    case prop::TextAlign:
        choices = {{QStringLiteral("左"), QStringLiteral("左")},
                   {QStringLiteral("中"), QStringLiteral("中")},
                   {QStringLiteral("右"), QStringLiteral("右")}};
        break;
    default: break;
    }
    combo->clear();
    for (const Choice &c : std::as_const(choices))
        combo->addItem(c.text, c.value);
    int at = combo->findData(value);
    if (at < 0) { // a value the list does not offer stays as it is
        combo->addItem(QStringLiteral("（其它：%1）").arg(value), value);
        at = combo->count() - 1;
    }
    combo->setCurrentIndex(at);
}

// ---- editing -----------------------------------------------------------------

QString PropertyPanel::valueOfLine(int key, const QString &text, QString &refusal) const
{
    const FieldRecord &record = m_design.state().Registry.at(m_slot);
    if (isGeometry(key)) {
        const auto twips = parseMillimetres(text);
        if (!twips) {
            refusal = QStringLiteral("“%1”不是毫米数。").arg(text.trimmed());
            return {};
        }
        const QRect field(propvalue::strictWhole(record.value(prop::Left)).value_or(0),
                          propvalue::strictWhole(record.value(prop::Top)).value_or(0),
                          propvalue::strictWhole(record.value(prop::Width)).value_or(0),
                          propvalue::strictWhole(record.value(prop::Height)).value_or(0));
        const bool bill = record.kind == KindBill;
        const GeometryCheck c =
            checkGeometry(field, key, *twips, m_design.billSize(), bill, bill ? m_design.billLeast() : QSize());
        refusal = c.refusal;
        return QString::number(*twips);
    }
    auto whole = [&](const QString &what, int least, int most) {
        const auto v = parseWhole(text);
        if (!v || *v < least || *v > most)
            refusal = wholeRefusal(what, least, most);
        return v ? QString::number(*v) : QString();
    };
    switch (key) {
    case prop::FontSize: return whole(QStringLiteral("字号"), 1, 200);
    case prop::CharLength:
        return whole(labelFor(key, record.kind), record.kind == KindDate ? 1 : 0,
                     record.kind == KindDate ? 40 : 9999);
    case prop::Sign:
        if (text.trimmed().size() > 4)
            refusal = QStringLiteral("货币符号最多 4 个字。");
        return text.trimmed();
    case prop::Name:
        if (text.trimmed().isEmpty())
            refusal = QStringLiteral("名称不能为空。");
        else if (text.size() > 50)
            refusal = QStringLiteral("名称最多 50 个字。");
        return text.trimmed();
    default:
        if (text.size() > 50)
            refusal = QStringLiteral("最多 50 个字。");
        return text;
    }
}

void PropertyPanel::refuse(const QString &message, QLineEdit *edit)
{
    m_refusal->setText(message);
    m_refusal->show();
    QApplication::beep();
    if (edit) // the field keeps its value; the text shows it again
        edit->setText(m_shown.value(edit));
}

void PropertyPanel::lineEdited(int key, QLineEdit *edit)
{
    if (m_filling || m_slot < 0 || edit->text() == m_shown.value(edit))
        return;
    QString refusal;
    const QString value = valueOfLine(key, edit->text(), refusal);
    if (!refusal.isEmpty()) {
        refuse(refusal, edit);
        return;
    }
    const int kind = m_design.state().Registry.at(m_slot).kind;
    // The bill's size is kept where the bill is applied from.
    apply({{key, value}}, labelFor(key, kind).section(QStringLiteral("（"), 0, 0));
}

void PropertyPanel::comboChosen(int key, QComboBox *combo)
{
    if (m_filling || m_slot < 0)
        return;
    const FieldRecord &record = m_design.state().Registry.at(m_slot);
    const QString value = combo->currentData().toString();
    if (value == record.value(key).trimmed() && record.has(key))
        return;
    QList<QPair<int, QString>> values{{key, value}};
    if (record.kind == KindText && (key == prop::Source || key == prop::Previous)) {
        // A chain member is found by its capacity, code, links, prefix and
        // suffix all being there: the missing ones are added empty; a field
        // given a source with no member before it (or that was the first of
        // its chain) is the first of the new chain.
        for (int k : {int(prop::Code), int(prop::Prefix), int(prop::Suffix)})
            if (!record.has(k))
                values.append({k, QString()});
        if (!record.has(prop::CharLength))
            values.append({prop::CharLength, QStringLiteral("20")});
        const QString previous = record.value(prop::Previous).trimmed();
        if (key == prop::Source && (previous.isEmpty() || previous == record.value(prop::Source).trimmed()))
            values.append({prop::Previous, value});
        else if (key == prop::Previous && !record.has(prop::Source))
            values.append({prop::Source, QString()});
    }
    if (record.kind == KindText && key == prop::SumTarget)
        for (int k : {int(prop::Factor1), int(prop::Factor2)})
            if (!record.has(k))
                values.append({k, QStringLiteral("1")});
    // Going down a list with the arrow keys is one choice, one step.
    apply(values, labelFor(key, record.kind), DesignHistory::PropertyMerge + key);
}

void PropertyPanel::checkClicked(int key, QCheckBox *box)
{
    if (m_filling || m_slot < 0)
        return;
    const bool yes = key == prop::NotPrinted ? !box->isChecked() : box->isChecked();
    apply({{key, yes ? QStringLiteral("是") : QStringLiteral("否")}},
          key == prop::NotPrinted ? QStringLiteral("打印") : QStringLiteral("打印后清除"));
}

void PropertyPanel::colourClicked(int key, QPushButton *button)
{
    if (m_filling || m_slot < 0 || !chooseColour)
        return;
    const int kind = m_design.state().Registry.at(m_slot).kind;
    const QColor chosen = chooseColour(button->property("colour").value<QColor>(), labelFor(key, kind));
    if (!chosen.isValid())
        return;
    apply({{key, QString::number(colourValue(chosen))}}, labelFor(key, kind));
}

bool PropertyPanel::apply(QList<QPair<int, QString>> values, const QString &what, int merge)
{
    m_refusal->hide();
    m_refusal->clear();
    return m_design.setProperties(m_slot, values, what, merge);
}
