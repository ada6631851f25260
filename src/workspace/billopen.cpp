#include "workspace/billopen.h"

#include "core/appstate.h"
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
#include <QRegularExpression>

Q_LOGGING_CATEGORY(lcOpen, "billprint.open")

namespace opening {

std::optional<int> strictWhole(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v > 2147483647.0 || v < -2147483648.0)
        return std::nullopt;
    return int(units::roundHalfEven(v));
}

double leadingNumber(const QString &text)
{
    QString t = text;
    t.remove(QRegularExpression(QStringLiteral("[ \\t\\r\\n]")));
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch())
        return 0.0;
    QString n = m.captured(0);
    n.replace(QLatin1Char('d'), QLatin1Char('e')).replace(QLatin1Char('D'), QLatin1Char('e'));
    bool ok = false;
    const double v = n.toDouble(&ok);
    if (ok)
        return v;
    // An exponent out of range: keep the number before it.
    return m.captured(1).toDouble();
}

quint32 colorValue(const QString &text)
{
    const double v = leadingNumber(text);
    if (v >= 4294967296.0 || v <= -2147483649.0)
        return 0;
    return quint32(qint64(units::roundHalfEven(v)));
}

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

int whole(const QString &value)
{
    const double v = leadingNumber(value);
    if (v > 2147483647.0 || v < -2147483648.0)
        return 0;
    return int(units::roundHalfEven(v));
}

// Font size, character capacity and colours: shared by every kind.
template <class C>
void applyLook(C *c, int key, const QString &value)
{
    switch (key) {
    case 5: c->UserFontSize(whole(value)); break;
    case 6: c->UserChrLen(whole(value)); break;
    case 8: c->UserFontColor(colorValue(value)); break;
    case 9: c->UserBackColor(colorValue(value)); break;
    default: break;
    }
}

void applyCaption(QWidget *control, int kind, const QString &value)
{
    control->setToolTip(value);
    switch (kind) {
    case KindLabel: static_cast<LabelCtl *>(control)->UserSetLabelCaption(value); break;
    case KindCheck: static_cast<CheckCtl *>(control)->UserSetCheckCaption(value); break;
    case KindDate: static_cast<DateCtl *>(control)->UserToolTip(value); break;
    case KindText: static_cast<TextCtl *>(control)->UserToolTip(value); break;
    case KindMoney: static_cast<MoneyCtl *>(control)->UserToolTip(value); break;
    default: break;
    }
}

void applyMoney(MoneyCtl *m, int key, const QString &value, QList<int> &columns)
{
    const QString yes = QStringLiteral("是");
    switch (key) {
    case 18: m->UserLineWidth(whole(value)); break;
    case 19: m->UserLineColor(colorValue(value)); break;
    case 20: m->UserMoneyStartBit(value); break;
    case 23: m->UserMoneyWidth(whole(value)); break;
    case 28: m->UserEdit(value == yes); break;
    case 36: m->UserMoneySameSpace(value == yes); break;
    default:
        if (key >= 100)
            columns.append(whole(value));
        break;
    }
}

void applyLookOf(QWidget *control, int kind, int key, const QString &value)
{
    switch (kind) {
    case KindLabel: applyLook(static_cast<LabelCtl *>(control), key, value); break;
    case KindCheck:
        applyLook(static_cast<CheckCtl *>(control), key, value);
        if (key == 10)
            static_cast<CheckCtl *>(control)->UserTextAlign(value);
        break;
    case KindDate: applyLook(static_cast<DateCtl *>(control), key, value); break;
    case KindText: applyLook(static_cast<TextCtl *>(control), key, value); break;
    case KindMoney: applyLook(static_cast<MoneyCtl *>(control), key, value); break;
    default: break;
    }
}

void setEnabled(QWidget *control, int kind, bool enabled)
{
    switch (kind) {
    case KindLabel: static_cast<LabelCtl *>(control)->UserEnabled(enabled); break;
    case KindCheck: static_cast<CheckCtl *>(control)->UserEnabled(enabled); break;
    case KindDate: static_cast<DateCtl *>(control)->UserEnabled(enabled); break;
    case KindText: static_cast<TextCtl *>(control)->UserEnabled(enabled); break;
    case KindMoney: static_cast<MoneyCtl *>(control)->UserEnabled(enabled); break;
    default: break;
    }
}

template <class C>
void forEachControl(ControlSet<C> &set, const std::function<void(QWidget *)> &f)
{
    for (int i = 0; i < set.count(); ++i)
        if (C *c = set.at(i))
            f(c);
}

constexpr int kFieldKinds[] = {KindLabel, KindCheck, KindDate, KindText, KindMoney};

} // namespace

BillOpener::BillOpener(AppState &state, FieldControls &controls, BillSurface *surface,
                       QWidget *frameHost)
    : m_state(state), m_controls(controls), m_surface(surface), m_frameHost(frameHost)
{
}

bool BillOpener::fail(const QString &message)
{
    m_lastError = message;
    qCWarning(lcOpen) << message;
    return false;
}

QWidget *BillOpener::controlFor(int kind, int index)
{
    auto make = [&](auto &set) -> QWidget * {
        const bool existed = set.exists(index);
        QWidget *c = set.create(index, m_surface);
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
    m_lastError.clear();
    const StoreStatus st = TemplateStore(m_state.DbConnection).ReadTemplate(table, m_state.Registry);
    if (!st) {
        fail(QStringLiteral("opening %1: %2").arg(table, st.message));
        return 0;
    }
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
        const QString key = registry.keyOf(s);
        bool ok = true;
        if (record.kind == KindBill)
            ok = applyBill(s, key, record, design != 0);
        else if (record.kind >= KindLabel && record.kind <= KindMoney)
            ok = applyField(s, key, record, design != 0);
        if (!ok)
            return 0;
    }
    m_surface->show();
    m_state.CurrentKey = QStringLiteral("00000000");
    return 0;
}

bool BillOpener::applyBill(int slot, const QString &key, const FieldRecord &record, bool design)
{
    DesignCtl *frame = m_controls.frames.at(slot);
    frame->setScale(m_scale);
    setControlTag(frame, key);
    m_surface->setTag(key);
    for (const PropertyEntry &e : record.props()) {
        switch (e.key) {
        case 0:
            frame->setToolTip(e.value);
            m_surface->setToolTip(e.value);
            break;
        case 3:
        case 4: {
            const std::optional<int> v = strictWhole(e.value);
            if (!v)
                return fail(QStringLiteral("bill size \"%1\" is not a number").arg(e.value));
            if (e.key == 3) {
                m_state.BillRect[2] = *v;
                frame->setTwipsWidth(*v + 100);
                m_surface->resize(units::twipsToPixels(*v, m_scale), m_surface->height());
            } else {
                m_state.BillRect[3] = *v;
                frame->setTwipsHeight(*v + 100);
                m_surface->resize(m_surface->width(), units::twipsToPixels(*v, m_scale));
            }
            break;
        }
        case 9: m_surface->setBackColor(colorValue(e.value)); break;
        default: break;
        }
    }
    if (design)
        frame->show();
    return true;
}

bool BillOpener::applyField(int slot, const QString &key, const FieldRecord &record, bool design)
{
    const int n = record.index;
    QWidget *control = controlFor(record.kind, n);
    if (!control)
        return fail(QStringLiteral("no control %1 of kind %2").arg(n).arg(record.kind));
    if (control->parentWidget() != m_surface)
        control->setParent(m_surface);
    DesignCtl *frame = m_controls.frames.at(slot);
    frame->setScale(m_scale);
    setControlTag(frame, key);
    setControlTag(control, key);

    QRect place = controlTwips(control);
    QList<int> columns;
    for (const PropertyEntry &e : record.props()) {
        if (e.key == 0) {
            frame->setToolTip(e.value);
            applyCaption(control, record.kind, e.value);
        } else if (e.key >= 1 && e.key <= 4) {
            const std::optional<int> v = strictWhole(e.value);
            if (!v)
                return fail(QStringLiteral("field %1: \"%2\" is not a position").arg(key, e.value));
            switch (e.key) {
            case 1: place.moveLeft(*v); frame->setTwipsLeft(*v); break;
            case 2: place.moveTop(*v); frame->setTwipsTop(*v); break;
            case 3: place.setWidth(*v); frame->setTwipsWidth(*v + 100); break;
            default: place.setHeight(*v); frame->setTwipsHeight(*v + 100); break;
            }
            setControlTwips(control, place, m_scale);
        } else if (record.kind == KindMoney) {
            applyLookOf(control, record.kind, e.key, e.value);
            applyMoney(static_cast<MoneyCtl *>(control), e.key, e.value, columns);
        } else {
            applyLookOf(control, record.kind, e.key, e.value);
        }
    }
    if (record.kind == KindMoney && !columns.isEmpty()) {
        // Column positions are handed over last one first.
        std::reverse(columns.begin(), columns.end());
        static_cast<MoneyCtl *>(control)->UserMoneyColX(columns);
    }
    frame->setVisible(design);
    setEnabled(control, record.kind, !design);
    control->show();
    return true;
}

bool BillOpener::applyRecord(int slot)
{
    const FieldRegistry &registry = m_state.Registry;
    if (slot < 0 || slot > registry.lastSlot())
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
    const QString key = registry.keyOf(slot);
    if (record.kind == KindBill)
        return applyBill(slot, key, record, design);
    if (record.kind >= KindLabel && record.kind <= KindMoney)
        return applyField(slot, key, record, design);
    return true;
}

int BillOpener::UnloadCtl()
{
    m_surface->hide();
    auto clearSet = [this](auto &set) {
        set.destroyAll();
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
    auto each = [enabled](auto &set, int kind) {
        forEachControl(set, [=](QWidget *c) { setEnabled(c, kind, enabled); });
    };
    each(m_controls.labels, KindLabel);
    each(m_controls.checks, KindCheck);
    each(m_controls.dates, KindDate);
    each(m_controls.texts, KindText);
    each(m_controls.moneys, KindMoney);
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
