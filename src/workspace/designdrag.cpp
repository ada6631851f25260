// Design mode: the press, move, release and key handlers of the fields, the
// bill surface and the frame handles, and the drags, drops and nudges they
// start.
#include "workspace/designmode.h"

#include "core/appstate.h"
#include "fields/moneyctl.h"
#include "workspace/billopen.h"
#include "workspace/designundo.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"

#include <climits>

namespace {
constexpr int KeyLeft = 37;
constexpr int KeyUp = 38;
constexpr int KeyRight = 39;
constexpr int KeyDown = 40;
constexpr int KeyDelete = 46;
constexpr int KeyShift = 16;
constexpr int KeyCtrl = 17;
constexpr int KeyAlt = 18;
constexpr int ShiftKey = 1;
constexpr int CtrlKey = 2;

bool isArrow(int keyCode) { return keyCode >= KeyLeft && keyCode <= KeyDown; }
} // namespace

// ---- drags ----------------------------------------------------------------

void DesignMode::BeginFieldDrag(const QString &key, int shift)
{
    const auto k = FieldKey::parse(key);
    if (!k || (shift != 0 && shift != ShiftKey && shift != CtrlKey))
        return;
    if (shift == 0) {
        if (SelectedCount >= 2)
            SelectedCount = 0; // a plain press ends a multiple selection
        HideAllFrames(false);
    }
    DesignCtl *f = frame(k->slot);
    if (!f)
        return;
    f->setUserState(1);
    f->setTwipsRect(DragStartRect.x(), DragStartRect.y(), DragStartRect.width() + FrameMargin,
                    DragStartRect.height() + FrameMargin);
    f->raise();
    f->show();
}

void DesignMode::DragFields(const QString &key, int x, int y)
{
    const auto k = FieldKey::parse(key);
    DesignCtl *f = k ? frame(k->slot) : nullptr;
    if (!f)
        return;
    // The field stays on the bill, whichever way the pointer goes.
    const QRect at = keepInside(QRect(x + DragStartRect.x() - DragStart.x(), y + DragStartRect.y() - DragStart.y(),
                                      DragStartRect.width(), DragStartRect.height()));
    f->moveTwips(at.x(), at.y());
    ShowPointerPosition(at.x(), at.y(), false);
}

void DesignMode::DropFields(const QString &key, int shift)
{
    FieldRegistry &reg = state().Registry;
    const auto k = FieldKey::parse(key);
    if (reg.isEmpty() || !k || k->slot > reg.lastSlot())
        return;
    const int d = k->slot;
    // The field follows its frame (left and top; the size stays).
    auto follow = [this, &reg](int s) {
        const FieldKey fk{s, reg.at(s).kind, reg.at(s).index};
        const DesignCtl *f = frame(s);
        if (!f || fk.kind == KindBill)
            return; // the bill surface keeps its place in the window
        QRect r = fieldRect(fk);
        r.moveTo(f->twipsRect().topLeft());
        placeField(fk, r);
    };
    if (shift == 0) {
        for (int s = 0; s <= reg.lastSlot(); ++s)
            if (s != d && reg.at(s).selected == 1)
                MarkSelected(0, s, true);
        follow(d);
        if (DesignCtl *f = frame(d)) {
            f->setUserState(0);
            f->show();
        }
        writeBack(d, true);
        return;
    }
    if (shift != ShiftKey && shift != CtrlKey)
        return;
    SelectedCount = 0;
    for (int s = 0; s <= reg.lastSlot(); ++s) {
        if (s == d || reg.at(s).selected < 1)
            continue;
        if (DesignCtl *f = frame(s))
            f->setUserState(1);
        follow(s);
        writeBack(s, true);
        ++SelectedCount;
    }
    writeBack(d, true);
    if (DesignCtl *f = frame(d)) {
        f->raise();
        f->show();
    }
    ++SelectedCount;
}

// ---- keys -----------------------------------------------------------------

void DesignMode::nudgeOne(int slot, int dx, int dy, bool resize)
{
    FieldRegistry &reg = state().Registry;
    DesignCtl *f = frame(slot);
    if (!f || slot > reg.lastSlot())
        return;
    const FieldKey k{slot, reg.at(slot).kind, reg.at(slot).index};
    const QRect fr = f->twipsRect();
    if (resize) {
        // Never below 2 mm (a field already smaller does not shrink), a
        // field does not grow past the bill's edge, and the bill does not
        // shrink past its fields.
        const int w0 = fr.width() - FrameMargin;
        const int h0 = fr.height() - FrameMargin;
        const QSize room = k.kind == KindBill ? QSize(INT_MAX, INT_MAX) : roomAt(fr.topLeft());
        const QSize least = k.kind == KindBill ? billLeast() : QSize(MinFieldSize, MinFieldSize);
        const int w = dx == 0 ? w0 : qBound(qMin(w0, least.width()), w0 + dx, qMax(w0, room.width()));
        const int h = dy == 0 ? h0 : qBound(qMin(h0, least.height()), h0 + dy, qMax(h0, room.height()));
        const QRect r(fr.x(), fr.y(), w, h);
        placeField(k, r);
        if (k.kind != KindBill) // frame 0 follows the bill's new size by itself
            f->coverField(r);
        writeBack(slot, true);
        return;
    }
    QRect r = fieldRect(k);
    r.moveTo(fr.x() + dx, fr.y() + dy);
    placeField(k, r);
    f->moveTwips(r.x(), r.y());
    writeBack(slot, false);
    ShowPointerPosition(r.x(), r.y(), false);
    clearDrawing();
}

void DesignMode::NudgeFields(const QString &key, int keyCode, int shift)
{
    const auto k = FieldKey::parse(key);
    if (!k || !isArrow(keyCode) || (shift != ShiftKey && shift != CtrlKey))
        return;
    int dx = keyCode == KeyLeft ? -NudgeStep : keyCode == KeyRight ? NudgeStep : 0;
    int dy = keyCode == KeyUp ? -NudgeStep : keyCode == KeyDown ? NudgeStep : 0;
    const bool resize = shift == ShiftKey;
    FieldRegistry &reg = state().Registry;
    QList<int> targets;
    if (SelectedCount < 2) {
        targets << k->slot;
    } else {
        for (int s = 0; s <= reg.lastSlot(); ++s)
            if (reg.at(s).selected >= 1)
                targets << s;
    }
    if (!resize) {
        // A move stops at the bill's edges: the step is cut so that no field
        // of the selection leaves the bill.
        const QSize bill = billSize();
        for (int s : targets)
            if (const DesignCtl *f = frame(s)) {
                const QRect r = f->twipsRect().adjusted(0, 0, -FrameMargin, -FrameMargin);
                dx = qMax(dx, -r.x());
                dy = qMax(dy, -r.y());
                dx = qMin(dx, qMax(0, bill.width() - r.x() - r.width()));
                dy = qMin(dy, qMax(0, bill.height() - r.y() - r.height()));
            }
        if (dx == 0 && dy == 0)
            return;
    }
    for (int s : targets)
        nudgeOne(s, dx, dy, resize);
}

// ---- fields ---------------------------------------------------------------

void DesignMode::ApplyFieldRect(const QString &key, int left, int top, int width, int height)
{
    const auto k = FieldKey::parse(key);
    if (!k)
        return;
    placeField(*k, QRect(left, top, width, height));
    focusField(*k, false);
}

void DesignMode::leaveMoneyField(const QString &newKey)
{
    AppState &st = state();
    if (st.CurrentKey == newKey)
        return;
    const auto old = FieldKey::parse(st.CurrentKey);
    if (!old || old->kind != KindMoney)
        return;
    if (auto *m = qobject_cast<MoneyCtl *>(fieldControl(KindMoney, old->index)))
        m->UserEdit(false);
    if (old->slot <= st.Registry.lastSlot())
        st.Registry.RegistryCtl(st.CurrentKey, {{28, {}, QStringLiteral("否")}}, 1,
                                FieldRegistry::Update);
}

void DesignMode::Field_MouseDown(int kind, int index, int button, int shift, int x, int y)
{
    AppState &st = state();
    if (st.DesignMode < 1)
        return;
    QWidget *c = fieldControl(kind, index);
    const QString tag = opening::controlTag(c);
    const auto k = FieldKey::parse(tag);
    if (!k)
        return;
    leaveMoneyField(tag);
    st.CurrentKey = tag;
    m_history->endRun();
    MarkSelected(0, k->slot, true);
    if (button == 1) {
        if (st.CurrentTool <= 1) {
            m_fieldPressed = true;
            DragStartRect = opening::controlTwips(c);
            DragStart = QPoint(x, y);
            BeginFieldDrag(tag, shift);
        }
    } else {
        HideAllFrames(false);
        DropFields(tag, shift);
    }
    emit selectionChanged();
}

void DesignMode::Field_MouseMove(int, int, int button, int shift, int x, int y)
{
    const AppState &st = state();
    if (st.DesignMode > 0 && st.CurrentTool <= 1 && button == 1 && shift == 0)
        DragFields(st.CurrentKey, x, y);
    clearDrawing();
}

void DesignMode::Field_MouseUp(int, int, int button, int shift, int, int)
{
    const AppState &st = state();
    if (button == 1)
        m_fieldPressed = false;
    if (st.DesignMode >= 1 && st.CurrentTool <= 1 && button == 1) {
        DropFields(st.CurrentKey, shift);
        commitGeometry(QStringLiteral("移动"));
    }
}

void DesignMode::Field_KeyDown(int kind, int index, int keyCode, int shift)
{
    AppState &st = state();
    if (st.DesignMode < 1)
        return;
    const QString tag = opening::controlTag(fieldControl(kind, index));
    const auto k = FieldKey::parse(tag);
    if (!k)
        return;
    st.CurrentKey = tag;
    if (st.CurrentTool > 1)
        return;
    MarkSelected(0, 0, true);
    MarkSelected(1, k->slot, true);
    if (isArrow(keyCode) && (shift == ShiftKey || shift == CtrlKey)) {
        NudgeFields(st.CurrentKey, keyCode, shift);
        commitGeometry(QStringLiteral("微调"));
    } else if (keyCode == KeyDelete && shift == 0 && !mouseHolds()) {
        if (m_placing->DeleteCurrent())
            m_history->commit(QStringLiteral("删除字段"));
    }
    emit selectionChanged();
}

// ---- the bill surface -----------------------------------------------------

void DesignMode::Surface_MouseDown(int button, int shift, int x, int y)
{
    AppState &st = state();
    if (st.DesignMode != 1) {
        SelectedCount = 0;
        return;
    }
    PressButton = qint16(button);
    if (button != 1)
        return;
    m_history->endRun();
    HideAllFrames(false);
    MarkSelected(0, 0, false);
    SelectedCount = 1;
    if (shift != 0 && shift != ShiftKey)
        return;
    if (st.CurrentTool < 2) {
        BillSurface *s = m_win.surface();
        const auto k = FieldKey::parse(s ? s->tag() : QString());
        if (!k)
            return;
        DragStartRect = fieldRect(*k);
        DragStart = QPoint(x, y);
        st.CurrentKey = k->text();
        BeginFieldDrag(st.CurrentKey, shift);
        emit selectionChanged();
    } else {
        DrawRect[0] = x;
        DrawRect[1] = y;
    }
}

void DesignMode::Surface_MouseMove(int, int, int x, int y)
{
    const AppState &st = state();
    if (st.DesignMode < 1)
        return;
    if (st.CurrentTool > 1 && PressButton == 1) {
        DrawRect[2] = x;
        DrawRect[3] = y;
    }
    ShowPointerPosition(x, y, true);
}

void DesignMode::Surface_MouseUp(int, int shift, int x, int y)
{
    AppState &st = state();
    if (st.DesignMode < 1 || PressButton != 1)
        return;
    if (shift == 0 || shift == ShiftKey) {
        if (st.CurrentTool < 2) {
            DropFields(st.CurrentKey, shift);
            commitGeometry(QStringLiteral("移动"));
        } else {
            m_placing->PlaceOnRelease(x, y);
            m_history->commit(QStringLiteral("放置字段"));
        }
    }
    PressButton = 0;
}

void DesignMode::Surface_KeyDown(int keyCode, int shift)
{
    AppState &st = state();
    BillSurface *s = m_win.surface();
    if (st.DesignMode < 1 || !s)
        return;
    // Shift, Ctrl or Alt alone (as before Ctrl + wheel or Shift + click)
    // and keys while the mouse still holds a drag leave the current field
    // as it is: the bill taking over would drop the drag on the bill.
    if (keyCode == KeyShift || keyCode == KeyCtrl || keyCode == KeyAlt || mouseHolds())
        return;
    st.CurrentKey = s->tag();
    if (st.CurrentTool > 1 || !isArrow(keyCode) || shift != ShiftKey)
        return;
    const auto k = FieldKey::parse(st.CurrentKey);
    if (!k)
        return;
    MarkSelected(0, 0, false);
    MarkSelected(1, k->slot, true);
    NudgeFields(st.CurrentKey, keyCode, shift);
    commitGeometry(QStringLiteral("微调"));
    emit selectionChanged();
}

// ---- frame handles --------------------------------------------------------

void DesignMode::Handle_MouseDown(int slot, Handle which, int, int, int x, int y)
{
    const AppState &st = state();
    DesignCtl *f = frame(slot);
    if (st.DesignMode == 0 || st.CurrentTool > 1 || !f)
        return;
    DragStart = QPoint(x, y);
    DragStartRect = f->twipsRect();
    f->setUserState(1);
    HandleDrag = qint16(which);
    m_handleSlot = slot;
}

void DesignMode::Handle_MouseMove(int slot, Handle which, int, int, int x, int y)
{
    const AppState &st = state();
    DesignCtl *f = frame(slot);
    if (st.DesignMode == 0 || st.CurrentTool > 1 || HandleDrag != which || !f)
        return;
    const QSize field = handleDragSize(slot, which, x, y);
    f->setTwipsRect(DragStartRect.x(), DragStartRect.y(), field.width() + FrameMargin,
                    field.height() + FrameMargin);
    clearDrawing();
}

QSize DesignMode::handleDragSize(int slot, Handle which, int x, int y) const
{
    // The dimensions the handle moves stay between 2 mm and the bill's edge
    // (the bill itself has no edge to keep to, but keeps its fields inside).
    const QSize room = slot == 0 ? QSize(INT_MAX, INT_MAX) : roomAt(DragStartRect.topLeft());
    const QSize least = slot == 0 ? billLeast() : QSize(MinFieldSize, MinFieldSize);
    int w = DragStartRect.width() - FrameMargin;
    int h = DragStartRect.height() - FrameMargin;
    if (which != RightHandle)
        h = qBound(least.height(), DragStartRect.height() + y - DragStart.y() - FrameMargin, room.height());
    if (which != BottomHandle)
        w = qBound(least.width(), DragStartRect.width() + x - DragStart.x() - FrameMargin, room.width());
    return QSize(w, h);
}

void DesignMode::Handle_MouseUp(int slot, Handle which, int, int shift, int x, int y)
{
    DesignCtl *f = frame(slot);
    // Only the release of a drag begun on this handle resizes: a stray
    // release would apply the rectangle of an earlier press.
    if (!f || HandleDrag != which)
        return;
    f->setUserState(0);
    const QRect r(DragStartRect.topLeft(), handleDragSize(slot, which, x, y));
    ApplyFieldRect(f->tag(), r.x(), r.y(), r.width(), r.height());
    // The frame takes the field's final size, whatever the last move left.
    if (slot != 0)
        f->coverField(r);
    DropFields(state().CurrentKey, shift);
    HandleDrag = NoHandle;
    commitGeometry(QStringLiteral("改变大小"));
}
