#include "workspace/billopen.h"
#include "app/uitext.h"

#include "core/appstate.h"
#include "core/billtemplate.h"
#include "core/templatestore.h"
#include "core/units.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/fieldcontrols.h"

#include <QLoggingCategory>
#include <QSet>
#include <algorithm>

Q_LOGGING_CATEGORY(lcOpen, "billprint.open")

namespace opening {

QString controlTag(const QWidget *control)
{
    return control ? control->property("Tag").toString() : QString();
}

void setControlTag(QWidget *control, const QString &key)
{
    control->setProperty("Tag", key);
}

QRect controlTwips(const QWidget *control)
{
    return control ? control->property("twipsRect").toRect() : QRect();
}

void setControlTwips(QWidget *control, const QRect &twips, double scale)
{
    control->setProperty("twipsRect", twips);
    control->setGeometry(units::twipsToPixels(twips.x(), scale), units::twipsToPixels(twips.y(), scale),
                         units::twipsToPixels(twips.width(), scale),
                         units::twipsToPixels(twips.height(), scale));
}

} // namespace opening

using namespace opening;

namespace {

template <class C, class F>
void forEachControl(ControlSet<C> &set, F &&f)
{
    for (int i = 0; i < set.count(); ++i)
        if (C *c = set.at(i))
            f(c);
}

template <class F>
void forEachField(FieldControls &controls, F &&f)
{
    forEachControl(controls.labels, f);
    forEachControl(controls.checks, f);
    forEachControl(controls.dates, f);
    forEachControl(controls.texts, f);
    forEachControl(controls.moneys, f);
}

} // namespace

BillOpener::BillOpener(AppState &state, FieldControls &controls, BillSurface *surface,
                       QWidget *frameHost)
    : m_state(state), m_controls(controls), m_surface(surface), m_frameHost(frameHost)
{
}

bool BillOpener::fail(const Status &status)
{
    m_status = status;
    qCWarning(lcOpen).noquote() << status.message;
    return false;
}

FieldWidget *BillOpener::control(int kind, int index) const
{
    switch (kind) {
    case KindLabel: return m_controls.labels.at(index);
    case KindCheck: return m_controls.checks.at(index);
    case KindDate: return m_controls.dates.at(index);
    case KindText: return m_controls.texts.at(index);
    case KindMoney: return m_controls.moneys.at(index);
    default: return nullptr;
    }
}

FieldWidget *BillOpener::controlFor(int kind, int index)
{
    auto make = [&](auto &set) -> FieldWidget * {
        const bool existed = set.exists(index);
        FieldWidget *c = set.create(index, m_surface);
        if (c && !existed && controlCreated)
            controlCreated(kind, index, c);
        return c;
    };
    switch (kind) {
    case KindLabel: return make(m_controls.labels);
    case KindCheck: return make(m_controls.checks);
    case KindDate: return make(m_controls.dates);
    case KindText: return make(m_controls.texts);
    case KindMoney: return make(m_controls.moneys);
    default: return nullptr;
    }
}

QWidget *BillOpener::frameFor(int slot)
{
    const bool existed = m_controls.frames.exists(slot);
    DesignCtl *f = m_controls.frames.create(slot, m_surface);
    if (f && !existed && frameCreated)
        frameCreated(slot, f);
    return f;
}

int BillOpener::ReadAddCtl(const QString &table, int design)
{
    m_status = {};
    const TemplateStore store(m_state.DbConnection);
    // Renamed or deleted on another workstation since the tree listed it.
    if (store.isOpen() && !store.tableExists(table)) {
        fail(Status::failure(QStringLiteral("模板“%1”已不在数据库中（可能已被另一台电脑重命名或删除）。").arg(table),
                             TemplateGone));
        return 0;
    }
    const StoreStatus st = store.ReadTemplate(table, m_state.Registry);
    if (!st) {
        fail(Status::failure(uitext::failure(QStringLiteral("无法打开模板 %1").arg(table), st.message), st.error));
        return 0;
    }
    Result<BillTemplate> t = BillTemplate::fromRegistry(m_state.Registry);
    if (!t) {
        fail(Status::failure(uitext::failure(QStringLiteral("无法打开模板 %1").arg(table), t.message())));
        return 0;
    }
    t.value().setTable(table);
    m_state.Bill.setTemplate(t.value());
    m_surface->setBackColor(BillSurface::OpenColor);
    const FieldRegistry &registry = m_state.Registry;
    for (int s = 0; s <= registry.lastSlot(); ++s) {
        if (s != 0) {
            QWidget *frame = frameFor(s);
            if (frame->parentWidget() != m_surface)
                frame->setParent(m_surface);
        }
        const FieldRecord &record = registry.at(s);
        if (record.props().isEmpty())
            continue;
        bool ok = true;
        if (record.kind == KindBill)
            ok = applyBill(s, registry.keyOf(s), design != 0);
        else if (const TemplateField *f = m_state.Bill.billTemplate().atSlot(s))
            ok = applyField(*f, design != 0);
        if (!ok)
            return 0;
    }
    m_surface->show();
    m_state.CurrentKey = QStringLiteral("00000000");
    if (!design)
        orderTabStops();
    return 0;
}

bool BillOpener::refreshTemplate()
{
    Result<BillTemplate> t = BillTemplate::fromRegistry(m_state.Registry);
    if (!t)
        return fail(Status::failure(uitext::failure(QStringLiteral("无法打开模板"), t.message())));
    t.value().setTable(m_state.Bill.billTemplate().table());
    if (m_state.Bill.isOpen())
        m_state.Bill.updateTemplate(t.value());
    else
        m_state.Bill.setTemplate(t.value());
    return true;
}

bool BillOpener::applyBill(int slot, const QString &key, bool design)
{
    const BillTemplate &t = m_state.Bill.billTemplate();
    DesignCtl *frame = m_controls.frames.at(slot);
    frame->setScale(m_scale);
    setControlTag(frame, key);
    m_surface->setTag(key);
    frame->setToolTip(t.name());
    m_surface->setToolTip(t.name());
    if (const auto w = t.width()) {
        m_state.BillRect[2] = *w;
        frame->setTwipsWidth(*w + 100);
        m_surface->resize(units::twipsToPixels(*w, m_scale), m_surface->height());
    }
    if (const auto h = t.height()) {
        m_state.BillRect[3] = *h;
        frame->setTwipsHeight(*h + 100);
        m_surface->resize(m_surface->width(), units::twipsToPixels(*h, m_scale));
    }
    if (const auto colour = t.background())
        m_surface->setBackColor(*colour);
    if (design)
        frame->show();
    return true;
}

bool BillOpener::applyField(const TemplateField &f, bool design)
{
    FieldWidget *control = controlFor(f.kind, f.index);
    if (!control)
        return fail(Status::failure(QStringLiteral("字段 %1 没有控件").arg(f.key)));
    if (control->parentWidget() != m_surface)
        control->setParent(m_surface);
    DesignCtl *frame = m_controls.frames.at(f.slot);
    frame->setScale(m_scale);
    setControlTag(frame, f.key);
    setControlTag(control, f.key);
    frame->setToolTip(f.name);
    control->setToolTip(f.name);
    frame->setTwipsLeft(f.rect.left());
    frame->setTwipsTop(f.rect.top());
    frame->setTwipsWidth(f.rect.width() + 100);
    frame->setTwipsHeight(f.rect.height() + 100);
    control->setScale(m_scale);
    setControlTwips(control, f.rect, m_scale);
    control->applyField(f);
    control->bind(&m_state.Bill, f.key);
    frame->setVisible(design);
    control->UserEnabled(!design);
    control->show();
    return true;
}

bool BillOpener::applyRecord(int slot)
{
    const FieldRegistry &registry = m_state.Registry;
    if (slot < 0 || slot > registry.lastSlot())
        return false;
    if (!refreshTemplate())
        return false;
    if (slot != 0) {
        QWidget *frame = frameFor(slot);
        if (frame->parentWidget() != m_surface)
            frame->setParent(m_surface);
    }
    const FieldRecord &record = registry.at(slot);
    if (record.props().isEmpty())
        return true;
    const bool design = m_state.DesignMode != 0;
    if (record.kind == KindBill)
        return applyBill(slot, registry.keyOf(slot), design);
    if (const TemplateField *f = m_state.Bill.billTemplate().atSlot(slot))
        return applyField(*f, design);
    return true;
}

void BillOpener::orderTabStops()
{
    const BillTemplate &t = m_state.Bill.billTemplate();
    // Fields only the rules fill: chain members and copies (a source is
    // named) and sum targets.
    QSet<QString> computed;
    for (const TemplateField &f : t.fields()) {
        if (f.source && !f.source->trimmed().isEmpty())
            computed.insert(f.key);
        if (f.sumTarget && f.sumTarget->trimmed().size() == 8)
            for (const TemplateField &g : t.fields())
                if (g.kind == f.sumTarget->trimmed().mid(3, 2).toInt()
                    && g.index == f.sumTarget->trimmed().right(3).toInt())
                    computed.insert(g.key);
    }
    QList<const TemplateField *> stops;
    for (const TemplateField &f : t.fields()) {
        if (f.kind < KindCheck || f.kind > KindMoney)
            continue;
        FieldWidget *c = control(f.kind, f.index);
        if (!c)
            continue;
        const bool stop = !computed.contains(f.key);
        c->keyboardTarget()->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        c->lockTyping(t.showsAmount(f));
        if (stop)
            stops << &f;
    }
    // Reading order: top to bottom, then left to right.
    std::stable_sort(stops.begin(), stops.end(), [](const TemplateField *a, const TemplateField *b) {
        return std::pair(a->rect.top(), a->rect.left()) < std::pair(b->rect.top(), b->rect.left());
    });
    m_stops.clear();
    for (const TemplateField *f : std::as_const(stops))
        m_stops << control(f->kind, f->index)->keyboardTarget();
    for (qsizetype i = 1; i < m_stops.size(); ++i)
        QWidget::setTabOrder(m_stops.at(i - 1), m_stops.at(i));
}

int BillOpener::UnloadCtl()
{
    m_stops.clear();
    m_surface->hide();
    m_state.Bill.close();
    auto clearSet = [this](auto &set) {
        set.destroyAll();
        set.at(0)->bind(nullptr, QString());
        set.at(0)->hide();
        set.at(0)->setParent(m_frameHost);
    };
    clearSet(m_controls.labels);
    m_controls.labels.at(0)->UserSetLabelCaption(QString());
    clearSet(m_controls.checks);
    m_controls.checks.at(0)->UserSetCheckCaption(QString());
    m_controls.checks.at(0)->UserSetCheckValue(QString());
    clearSet(m_controls.dates);
    m_controls.dates.at(0)->UserSetDateTextBox(QString());
    clearSet(m_controls.texts);
    m_controls.texts.at(0)->UserSetTextBox(QString());
    clearSet(m_controls.moneys);
    m_controls.moneys.at(0)->UserSetMoneyCount(0);
    m_controls.frames.destroyAll();
    m_controls.frames.at(0)->hide();
    return 0;
}

void BillOpener::hideFrames()
{
    forEachControl(m_controls.frames, [](QWidget *f) { f->hide(); });
}

void BillOpener::enableFields(bool enabled)
{
    forEachField(m_controls, [enabled](FieldWidget *c) { c->UserEnabled(enabled); });
}

void BillOpener::parkElementsZero()
{
    auto park = [this](auto &set) {
        if (auto *c = set.at(0)) {
            c->hide();
            c->setParent(m_frameHost);
        }
    };
    park(m_controls.labels);
    park(m_controls.checks);
    park(m_controls.dates);
    park(m_controls.texts);
    park(m_controls.moneys);
    park(m_controls.frames);
}
