#include "workspace/designmode.h"

#include "core/appstate.h"
#include "core/units.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/designundo.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"
#include "workspace/surfacesketch.h"

#include <QLabel>

DesignMode *DesignMode::attach(MDIMain &window)
{
    auto *d = new DesignMode(window);
    d->setParent(&window);
    connect(&window, &MDIMain::fieldMouseDown, d, &DesignMode::Field_MouseDown);
    connect(&window, &MDIMain::fieldMouseMove, d, &DesignMode::Field_MouseMove);
    connect(&window, &MDIMain::fieldMouseUp, d, &DesignMode::Field_MouseUp);
    connect(&window, &MDIMain::fieldKeyDown, d, &DesignMode::Field_KeyDown);
    connect(&window, &MDIMain::frameCreated, d, &DesignMode::connectFrame);
    if (BillSurface *s = window.surface()) {
        connect(s, &BillSurface::MouseDown, d, &DesignMode::Surface_MouseDown);
        connect(s, &BillSurface::MouseMove, d, &DesignMode::Surface_MouseMove);
        connect(s, &BillSurface::MouseUp, d, &DesignMode::Surface_MouseUp);
        connect(s, &BillSurface::KeyDown, d, &DesignMode::Surface_KeyDown);
    }
    // Frames made before this point (frame 0 and any open template's).
    const ControlSet<DesignCtl> &frames = window.controls().frames;
    for (int i = 0; i < frames.count(); ++i)
        if (DesignCtl *f = frames.at(i))
            d->connectFrame(i, f);
    connect(&window, &MDIMain::guideLinesRequested, d,
            [d](int mode) { d->placing().BillDrawLine(mode); });
    // A money field's columns dragged into place are a design change too.
    connect(&window, &MDIMain::moneyColumnsStored, d, [d] {
        if (d->state().DesignMode != 0)
            d->m_history->commit(QStringLiteral("移动金额列"));
    });
    // Opened again at a new zoom, the fields keep the selection they had,
    // and a drag still held goes on.
    connect(&window, &MDIMain::zoomChanged, d, [d] { d->mouseHolds() ? d->keepDrag() : d->keepSelection(); });
    d->createEditActions();
    return d;
}

DesignMode::DesignMode(MDIMain &window) : m_win(window)
{
    m_placing = new Placing(*this);
    if (QWidget *s = window.billSurface())
        m_sketch = new SurfaceSketch(s);
}

DesignMode::~DesignMode()
{
    delete m_placing;
}

AppState &DesignMode::state()
{
    return m_win.state();
}

void DesignMode::connectFrame(int slot, DesignCtl *f)
{
    if (!f || f->property("designConnected").toBool())
        return;
    f->setProperty("designConnected", true);
    // The slot is read from the frame's key when the event arrives: frames
    // keep their objects while their keys are renumbered.
    auto slotOf = [this, f, slot] {
        const auto k = FieldKey::parse(f->tag());
        return k ? k->slot : slot;
    };
    auto wire = [&](auto down, auto move, auto up, Handle which) {
        connect(f, down, this, [=, this](int b, int s, int x, int y) {
            Handle_MouseDown(slotOf(), which, b, s, x, y);
        });
        connect(f, move, this, [=, this](int b, int s, int x, int y) {
            Handle_MouseMove(slotOf(), which, b, s, x, y);
        });
        connect(f, up, this, [=, this](int b, int s, int x, int y) {
            Handle_MouseUp(slotOf(), which, b, s, x, y);
        });
    };
    wire(&DesignCtl::BMouseDown, &DesignCtl::BMouseMove, &DesignCtl::BMouseUp, BottomHandle);
    wire(&DesignCtl::MMouseDown, &DesignCtl::MMouseMove, &DesignCtl::MMouseUp, CornerHandle);
    wire(&DesignCtl::RMouseDown, &DesignCtl::RMouseMove, &DesignCtl::RMouseUp, RightHandle);
}

// ---- helpers --------------------------------------------------------------

QWidget *DesignMode::fieldControl(int kind, int index) const
{
    FieldControls &c = m_win.controls();
    switch (kind) {
    case KindLabel: return c.labels.at(index);
    case KindCheck: return c.checks.at(index);
    case KindDate: return c.dates.at(index);
    case KindText: return c.texts.at(index);
    case KindMoney: return c.moneys.at(index);
    default: return nullptr;
    }
}

DesignCtl *DesignMode::frame(int slot) const
{
    return m_win.controls().frames.at(slot);
}

QRect DesignMode::fieldRect(const FieldKey &k) const
{
    if (k.kind == KindBill) {
        const DesignCtl *f = frame(k.slot);
        const QPoint at = f ? f->twipsRect().topLeft() : QPoint();
        return QRect(at.x(), at.y(), m_win.state().BillRect[2], m_win.state().BillRect[3]);
    }
    return opening::controlTwips(fieldControl(k.kind, k.index));
}

void DesignMode::resizeBill(int width, int height)
{
    AppState &st = m_win.state();
    st.BillRect[2] = width;
    st.BillRect[3] = height;
    if (BillSurface *s = m_win.surface()) {
        const double scale = m_win.opener().scale();
        s->resize(units::twipsToPixels(width, scale), units::twipsToPixels(height, scale));
    }
    // Surface, frame 0, rulers and scroll bars follow the new size.
    m_win.LayoutPanes(m_win.splitterPosition());
}

void DesignMode::placeField(const FieldKey &k, const QRect &r)
{
    if (k.kind == KindBill) {
        resizeBill(r.width(), r.height());
        return;
    }
    if (QWidget *c = fieldControl(k.kind, k.index))
        opening::setControlTwips(c, r, m_win.opener().scale());
}

void DesignMode::writeBack(int slot, bool withSize)
{
    const DesignCtl *f = frame(slot);
    if (!f || slot > state().Registry.lastSlot())
        return;
    const QRect r = f->twipsRect();
    PropertyList entries{{1, {}, QString::number(r.x())}, {2, {}, QString::number(r.y())}};
    if (withSize)
        entries << PropertyEntry{3, {}, QString::number(r.width() - FrameMargin)}
                << PropertyEntry{4, {}, QString::number(r.height() - FrameMargin)};
    state().Registry.RegistryCtl(state().Registry.keyOf(slot), entries, 1, FieldRegistry::Update);
}

void DesignMode::focusField(const FieldKey &k, bool dateToo)
{
    if (k.kind == KindBill) {
        if (QWidget *s = m_win.billSurface())
            s->setFocus();
        return;
    }
    if (k.kind == KindDate && !dateToo)
        return;
    if (QWidget *c = fieldControl(k.kind, k.index))
        c->setFocus();
}

void DesignMode::clearDrawing()
{
    if (m_sketch)
        m_sketch->clear();
}

// ---- selection ------------------------------------------------------------

int DesignMode::CtlActivate(const QString &caKey)
{
    const auto k = FieldKey::parse(caKey);
    if (!k)
        return FieldRegistry::ErrType;
    HideAllFrames(false);
    DesignCtl *f = frame(k->slot);
    if (!f)
        return FieldRegistry::ErrSubscript;
    f->setUserState(0);
    f->raise();
    f->show();
    clearDrawing();
    focusField(*k, true);
    MarkSelected(0, 0, false);
    MarkSelected(1, k->slot, true);
    emit selectionChanged();
    return 0;
}

void DesignMode::MarkSelected(int flag, int slot, bool single)
{
    FieldRegistry &reg = state().Registry;
    if (reg.isEmpty())
        return;
    auto mark = [&](int s) {
        if (s < 0 || s > reg.lastSlot())
            return;
        reg.at(s).selected = qint16(flag);
        if (DesignCtl *f = frame(s))
            f->setVisible(flag != 0);
    };
    if (single) {
        mark(slot);
        return;
    }
    for (int s = 0; s <= reg.lastSlot(); ++s)
        mark(s);
}

void DesignMode::HideAllFrames(bool visible)
{
    const ControlSet<DesignCtl> &frames = m_win.controls().frames;
    for (int i = 0; i < frames.count(); ++i)
        if (DesignCtl *f = frames.at(i))
            f->setVisible(visible);
}

// ---- pointer position -----------------------------------------------------

QString DesignMode::pointerText(double x, double y)
{
    auto mm = [](double twips) {
        const double tenths = double(units::roundHalfEven(twips * 100.0 / 567.0));
        return QString::number(tenths / 10.0, 'g', 15);
    };
    return mm(x) + QLatin1Char(',') + mm(y);
}

void DesignMode::ShowPointerPosition(double x, double y, bool draw)
{
    const QString text = pointerText(x, y);
    const AppState &st = state();
    if (draw && m_sketch) {
        m_sketch->clear();
        m_sketch->setScale(m_win.opener().scale());
        if (PressButton == 1 && st.CurrentTool >= 2)
            m_sketch->setBox(QPoint(DrawRect[0], DrawRect[1]), QPoint(int(x), int(y)));
        m_sketch->setGuides(int(x), int(y), st.BillRect[2], st.BillRect[3]);
    }
    if (QWidget *s = m_win.billSurface())
        s->setToolTip(QStringLiteral("(") + text + QStringLiteral(")"));
    if (QLabel *panel = m_win.statusPanel(5))
        panel->setText(QStringLiteral("毫米(") + text + QStringLiteral(")"));
}
