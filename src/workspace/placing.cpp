#include "workspace/placing.h"

#include "core/appstate.h"
#include "core/propkeys.h"
#include "core/propvalue.h"
#include "core/templatestore.h"
#include "app/toolbox.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/designmode.h"
#include "workspace/mdimain.h"
#include "workspace/surfacesketch.h"

#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcPlacing, "billprint.placing")

namespace {
// New fields show in the system window colour with black text until the
// template is opened again.
constexpr quint32 WindowColor = 0x80000005;

template <class C>
void setColours(QWidget *control)
{
    auto *c = static_cast<C *>(control);
    c->UserBackColor(WindowColor);
    c->UserFontColor(0);
}

void newFieldColours(int kind, QWidget *control)
{
    if (!control)
        return;
    switch (kind) {
    case KindLabel: setColours<LabelCtl>(control); break;
    case KindCheck: setColours<CheckCtl>(control); break;
    case KindDate: setColours<DateCtl>(control); break;
    case KindText: setColours<TextCtl>(control); break;
    case KindMoney: setColours<MoneyCtl>(control); break;
    default: break;
    }
}

void setValue(PropertyList &list, int key, const QString &value)
{
    for (PropertyEntry &e : list)
        if (e.key == key) {
            e.value = value;
            return;
        }
}
} // namespace

Placing::Placing(DesignMode &design) : m_design(design)
{
    confirm = [this](const QString &question) {
        return QMessageBox::question(&m_design.window(), QStringLiteral("注意"), question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               == QMessageBox::Yes;
    };
}

QString Placing::groupOf(int kind)
{
    switch (kind) {
    case KindBill: return QStringLiteral("cBill");
    case KindLabel: return QStringLiteral("cLabel");
    case KindCheck: return QStringLiteral("cCheck");
    case KindDate: return QStringLiteral("cDate");
    case KindText: return QStringLiteral("cText");
    case KindMoney: return QStringLiteral("cMoney");
    default: return {};
    }
}

QString Placing::LastKeyOfKind(const FieldRegistry &registry, int kind)
{
    if (registry.isEmpty())
        return {};
    const int u = registry.lastSlot();
    for (int s = u; s >= 0; --s)
        if (registry.at(s).kind == kind)
            return FieldKey::make(u, kind, registry.at(s).index);
    return QStringLiteral("%1").arg(u, 3, 10, QLatin1Char('0'));
}

QString Placing::newKey(const FieldRegistry &registry, int kind)
{
    const QString last = LastKeyOfKind(registry, kind);
    // Missing characters read as 0.
    const int slot = last.left(3).toInt() + 1;
    const bool sameKind = last.size() >= 5 && last.mid(3, 2).toInt() == kind;
    const int index = sameKind ? last.right(3).toInt() + 1 : 0;
    return FieldKey::make(slot, kind, index);
}

int Placing::fail(int error, const QString &message)
{
    m_lastError = message;
    qCWarning(lcPlacing) << message;
    return error;
}

int Placing::AddDelCtl(QString &adcKey, int adcYN, QString &adcN)
{
    m_lastError.clear();
    const auto k = FieldKey::parse(adcKey);
    if (!k)
        return fail(FieldRegistry::ErrType, QStringLiteral("\"%1\" is not a field key").arg(adcKey));
    if (adcYN == 0)
        return deleteField(adcKey);
    const QString group = groupOf(k->kind);
    if (group.isEmpty())
        return fail(FieldRegistry::ErrType, QStringLiteral("no field kind %1").arg(k->kind));
    AppState &st = m_design.state();
    PropertyList list;
    const StoreStatus read = TemplateStore(st.DbConnection).readPropertyGroup(group, list);
    if (!read)
        return fail(read.error ? read.error : 1, read.message);

    const std::array<int, 4> &r = m_design.DrawRect;
    QRect place(qMin(r[0], r[2]), qMin(r[1], r[3]), qAbs(r[2] - r[0]), qAbs(r[3] - r[1]));
    if (k->kind != KindBill)
        place = fieldPlace(place, list);
    if (k->kind == KindBill) {
        for (PropertyEntry &e : list)
            if (e.key == 0) {
                e.value = adcN;
                break;
            }
    } else {
        setValue(list, 1, QString::number(place.x()));
        setValue(list, 2, QString::number(place.y()));
        setValue(list, 3, QString::number(place.width()));
        setValue(list, 4, QString::number(place.height()));
    }
    if (int err = st.Registry.RegistryCtl(adcKey, list, 1, FieldRegistry::Add))
        return fail(err, QStringLiteral("could not add %1 to the registry").arg(adcKey));
    MDIMain &win = m_design.window();
    if (!win.opener().applyRecord(k->slot))
        return fail(1, win.opener().lastError());
    if (k->kind == KindBill) {
        win.LayoutPanes(win.splitterPosition());
        return 0;
    }
    QWidget *control = m_design.fieldControl(k->kind, k->index);
    newFieldColours(k->kind, control);
    // The frame covers the rectangle even where the record lacks a key 1 to 4.
    if (DesignCtl *f = m_design.frame(k->slot))
        f->coverField(place);
    if (control)
        opening::setControlTwips(control, place, win.opener().scale());
    return 0;
}

QRect Placing::fieldPlace(const QRect &drawn, const PropertyList &defaults) const
{
    const int least = DesignMode::MinFieldSize;
    const QSize bill = m_design.billSize();
    QRect r = drawn;
    if (drawn.width() < least && drawn.height() < least) {
        // A click: the kind's usual size at the point clicked, moved in from
        // the bill's edges where it would stick out.
        r.setSize(QSize(propvalue::strictWhole(entryValue(defaults, prop::Width)).value_or(1200),
                        propvalue::strictWhole(entryValue(defaults, prop::Height)).value_or(300)));
    } else {
        // A rectangle drawn past the bill's edge ends at the edge.
        r = r.intersected(QRect(QPoint(0, 0), bill));
        if (r.isEmpty())
            r = QRect(drawn.topLeft(), QSize(0, 0));
    }
    r.setWidth(qMin(qMax(least, r.width()), qMax(least, bill.width())));
    r.setHeight(qMin(qMax(least, r.height()), qMax(least, bill.height())));
    return m_design.keepInside(r);
}

int Placing::deleteField(const QString &key)
{
    AppState &st = m_design.state();
    FieldRegistry &reg = st.Registry;
    const auto k = FieldKey::parse(key);
    const int last = reg.lastSlot();
    // The bill surface (slot 0) is never removed: the template needs it.
    if (!k || k->slot < 1 || k->slot > last)
        return fail(FieldRegistry::ErrSubscript, QStringLiteral("no field %1 to delete").arg(key));
    int highest = -1;
    for (const FieldRecord &rec : reg.records())
        if (rec.kind == k->kind)
            highest = qMax(highest, int(rec.index));
    if (int err = reg.RegistryCtl(key, {}, 0, FieldRegistry::Remove))
        return fail(err, QStringLiteral("could not remove %1 from the registry").arg(key));

    // The last control of the kind and the last frame go; element 0 is
    // only hidden. The records from slot d on are shown again by the
    // controls and frames of their new numbers, each with its own look.
    MDIMain &win = m_design.window();
    FieldControls &c = win.controls();
    auto drop = [highest](auto &set) {
        if (highest > 0)
            set.destroy(highest);
        else if (auto *first = set.at(0))
            first->hide();
    };
    switch (k->kind) {
    case KindLabel: drop(c.labels); break;
    case KindCheck: drop(c.checks); break;
    case KindDate: drop(c.dates); break;
    case KindText: drop(c.texts); break;
    case KindMoney: drop(c.moneys); break;
    default: break;
    }
    c.frames.destroy(last);
    for (int s = k->slot; s <= reg.lastSlot(); ++s)
        win.opener().applyRecord(s);
    const int select = qMin(k->slot, reg.lastSlot());
    st.CurrentKey = reg.keyOf(select);
    m_design.CtlActivate(st.CurrentKey);
    return 0;
}

int Placing::BillDrawLine(int cmsV)
{
    if (QWidget *s = m_design.window().billSurface())
        s->setCursor(cmsV == 2 ? Qt::CrossCursor : Qt::ArrowCursor);
    m_design.clearDrawing();
    return 0;
}

void Placing::PlaceOnRelease(int x, int y)
{
    AppState &st = m_design.state();
    m_design.DrawRect[2] = x;
    m_design.DrawRect[3] = y;
    st.CurrentKey = newKey(st.Registry, st.CurrentTool);
    QString key = st.CurrentKey;
    QString name;
    AddDelCtl(key, 1, name);
    BillDrawLine(0);
    if (ToolBox *box = m_design.window().toolBox())
        box->TBButtonsValue(ToolBox::Pointer);
    if (FieldKey::parse(st.CurrentKey))
        m_design.CtlActivate(st.CurrentKey);
    st.CurrentTool = st.IsWindowOpen(QStringLiteral("ToolBox")) ? 1 : 0;
}

bool Placing::DeleteCurrent()
{
    AppState &st = m_design.state();
    if (st.DesignMode < 1 || st.CurrentTool > 1)
        return false;
    const auto k = FieldKey::parse(st.CurrentKey);
    if (!k || k->slot < 1 || k->slot > st.Registry.lastSlot())
        return false;
    const QString name = st.Registry.at(k->slot).value(0);
    if (!confirm || !confirm(QStringLiteral("删除字段“%1”吗？").arg(name)))
        return false;
    QString key = st.CurrentKey;
    QString none;
    return AddDelCtl(key, 0, none) == 0;
}
