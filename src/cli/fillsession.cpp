#include "fillsession.h"

#include "core/templatestore.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/designctl.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace cli {

namespace {

// A key going down and up in a widget, carrying one typed character.
void typeCharacter(QWidget *widget, QChar c)
{
    const int key = c.isDigit() && c.unicode() < 128 ? Qt::Key_0 + (c.unicode() - '0') : Qt::Key_unknown;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &release);
}

// A text as one JSON string literal.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

FillSession::FillSession(AppState &state) : m_state(state), m_host(std::make_unique<QWidget>())
{
    m_host->setObjectName(QStringLiteral("FillHost"));
    m_surface = new BillSurface(m_host.get());
    m_controls.init(m_host.get());
    m_rules = std::make_unique<FillRules>(m_state, m_controls);
    m_rules->connectField(KindDate, 0, m_controls.dates.at(0));
    m_rules->connectField(KindText, 0, m_controls.texts.at(0));
    m_rules->connectField(KindMoney, 0, m_controls.moneys.at(0));
    m_opener = std::make_unique<BillOpener>(m_state, m_controls, m_surface, m_host.get());
    m_opener->controlCreated = [this](int kind, int index, QWidget *control) {
        m_rules->connectField(kind, index, control);
    };
}

FillSession::~FillSession() = default;

bool FillSession::open(const QString &name, QString &why)
{
    TemplateStore store(m_state.DbConnection);
    QList<ClassRow> classes;
    QList<BillRow> bills;
    store.listClasses(classes);
    store.listBills(bills);
    for (const ClassRow &c : std::as_const(classes))
        for (const BillRow &b : std::as_const(bills))
            if (b.cKey == c.cKey && c.cName + QLatin1Char('/') + b.bName == name)
                return open(c.cName, b.bName, why);
    why = QStringLiteral("no template \"%1\" in the database").arg(name);
    return false;
}

bool FillSession::open(const QString &className, const QString &templateName, QString &why)
{
    TemplateStore store(m_state.DbConnection);
    QList<ClassRow> classes;
    QList<BillRow> bills;
    store.listClasses(classes);
    store.listBills(bills);
    bool found = false;
    for (const ClassRow &c : std::as_const(classes))
        for (const BillRow &b : std::as_const(bills))
            found = found || (b.cKey == c.cKey && c.cName == className && b.bName == templateName);
    if (!found) {
        why = QStringLiteral("no template \"%1/%2\" in the database").arg(className, templateName);
        return false;
    }
    m_state.SelectedClass.text = className;
    m_state.SelectedBill.text = templateName;
    // What a double click on the template's node does in fill-in mode.
    m_state.Registry.reset();
    m_opener->UnloadCtl();
    m_opener->ReadAddCtl(className + QLatin1Char('_') + templateName, 0);
    // A template without rows opens as an empty bill, as in the window.
    why = m_opener->lastError();
    return why.isEmpty();
}

QWidget *FillSession::controlOf(const QString &key, int &kind) const
{
    const std::optional<FieldKey> k = FieldKey::parse(key);
    const FieldRegistry &registry = m_state.Registry;
    if (!k || key.size() != 8 || k->slot >= registry.count() || registry.keyOf(k->slot) != key
        || registry.at(k->slot).props().isEmpty())
        return nullptr;
    kind = k->kind;
    switch (kind) {
    case KindLabel: return m_controls.labels.at(k->index);
    case KindCheck: return m_controls.checks.at(k->index);
    case KindDate: return m_controls.dates.at(k->index);
    case KindText: return m_controls.texts.at(k->index);
    case KindMoney: return m_controls.moneys.at(k->index);
    default: return nullptr;
    }
}

bool FillSession::enter(const QString &key, const QString &value, QString &why)
{
    int kind = 0;
    QWidget *control = controlOf(key, kind);
    if (!control || kind == KindLabel) {
        why = control ? QStringLiteral("field %1 is a label and takes no input").arg(key)
                      : QStringLiteral("no field with the key \"%1\"").arg(key);
        return false;
    }
    switch (kind) {
    case KindCheck: static_cast<CheckCtl *>(control)->UserSetCheckValue(value); break;
    case KindDate: typeDate(control, value); break;
    case KindMoney: {
        // A field without a highest column (key 20) is one box that takes the
        // whole amount, point included.
        const FieldRecord &r = m_state.Registry.at(FieldKey::parse(key)->slot);
        return typeMoney(control, value, r.value(20).trimmed().isEmpty(), why);
    }
    case KindText: {
        auto *text = static_cast<TextCtl *>(control);
        // Typing or pasting stops at the field's length limit.
        const int limit = text->TextBox()->maxLength();
        text->UserSetTextBox(limit > 0 ? value.left(limit) : value);
        break;
    }
    default: break;
    }
    return true;
}

void FillSession::typeDate(QWidget *control, const QString &value)
{
    auto *date = static_cast<DateCtl *>(control);
    date->UserSetDateTextBox(QString());
    for (const QChar c : value)
        typeCharacter(date->DateTextBoxCtl(), c);
}

bool FillSession::typeMoney(QWidget *control, const QString &value, bool singleBox, QString &why)
{
    auto *money = static_cast<MoneyCtl *>(control);
    static const QRegularExpression amount(QStringLiteral("^(\\d*)(?:\\.(\\d{0,2}))?$"));
    if (value.trimmed().isEmpty()) { // an empty value empties the field
        money->UserSetMoneyText(QStringList(money->UserGetMoneyCount(), QString()));
        return true;
    }
    const QRegularExpressionMatch m = amount.match(value.trimmed());
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty())) {
        why = QStringLiteral("\"%1\" is not an amount in yuan such as 1234.56").arg(value);
        return false;
    }
    const int count = money->UserGetMoneyCount();
    if (money->StyleCode() == 1 || (singleBox && count == 1)) {
        money->UserSetMoneyText(QStringList(count, QString()));
        for (const QChar c : value.trimmed())
            typeCharacter(money->TxtCol(0), c);
        return true;
    }
    QString digits = m.captured(1) + m.captured(2).leftJustified(2, u'0');
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.size() > count) {
        why = QStringLiteral("%1 has more digits than the %2 columns of field %3")
                  .arg(value).arg(count).arg(opening::controlTag(money));
        return false;
    }
    money->UserSetMoneyText(QStringList(count, QString()));
    for (int i = 0; i < digits.size(); ++i)
        typeCharacter(money->TxtCol(count - int(digits.size()) + i), digits.at(i));
    return true;
}

QByteArray FillSession::json(const QString &templateName) const
{
    QByteArray out = "{\"template\": " + jsonString(templateName) + ", \"fields\": [";
    const FieldRegistry &registry = m_state.Registry;
    bool first = true;
    for (int slot = 0; slot < registry.count(); ++slot) {
        const FieldRecord &r = registry.at(slot);
        int kind = 0;
        const QWidget *control = r.kind == KindBill ? nullptr : controlOf(registry.keyOf(slot), kind);
        if (!control)
            continue;
        QString shown;
        switch (kind) {
        case KindLabel: shown = static_cast<const LabelCtl *>(control)->UserGetLabelCaption(); break;
        case KindCheck: shown = static_cast<const CheckCtl *>(control)->UserGetCheckValue(); break;
        case KindDate: shown = static_cast<const DateCtl *>(control)->UserGetDateTextBox(); break;
        case KindText: shown = static_cast<const TextCtl *>(control)->UserGetTextAll(); break;
        case KindMoney: shown = static_cast<const MoneyCtl *>(control)->UserGetMoneyNumber(); break;
        default: break;
        }
        out += first ? "" : ", ";
        first = false;
        out += "{\"key\": " + jsonString(registry.keyOf(slot)) + ", \"kind\": "
               + QByteArray::number(kind) + ", \"text\": " + jsonString(shown) + "}";
    }
    return out + "]}\n";
}

} // namespace cli
