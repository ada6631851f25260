// Design mode around the surface: the undo history with its edit menu, the
// property panel, showing records again after they changed, and the bounds
// every field keeps to.
#include "workspace/designmode.h"

#include "app/mainmenu.h"
#include "core/appstate.h"
#include "core/propkeys.h"
#include "core/propvalue.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/designctl.h"
#include "workspace/designundo.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"
#include "workspace/propertypanel.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

void DesignMode::createEditActions()
{
    m_history = new DesignHistory(*this);
    m_history->setParent(this);
    connect(m_history, &DesignHistory::changed, this, &DesignMode::selectionChanged);

    m_undo = new QAction(QStringLiteral("撤销"), &m_win);
    m_undo->setObjectName(QStringLiteral("editUndo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = new QAction(QStringLiteral("重做"), &m_win);
    m_redo->setObjectName(QStringLiteral("editRedo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m_delete = new QAction(QStringLiteral("删除字段"), &m_win);
    m_delete->setObjectName(QStringLiteral("editDelete"));
    // The keys work while the tool box (a window of its own) is the active
    // window too; edits in a text box keep their own undo.
    for (QAction *a : {m_undo, m_redo}) {
        a->setEnabled(false);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    // On the window as well, so that the keys work with the menu hidden.
    m_win.addAction(m_undo);
    m_win.addAction(m_redo);
    // A drag still held is no step yet; undoing under it would hand the
    // drag to whichever field the undo makes current.
    connect(m_undo, &QAction::triggered, this, [this] {
        if (!mouseHolds())
            m_history->undo();
    });
    connect(m_redo, &QAction::triggered, this, [this] {
        if (!mouseHolds())
            m_history->redo();
    });
    connect(m_delete, &QAction::triggered, this, [this] {
        if (!mouseHolds() && m_placing->DeleteCurrent())
            m_history->commit(QStringLiteral("删除字段"));
    });
    QUndoStack &stack = m_history->stack();
    auto update = [this, &stack] {
        const bool designing = state().DesignMode != 0;
        m_undo->setEnabled(designing && stack.canUndo());
        m_redo->setEnabled(designing && stack.canRedo());
        m_undo->setText(stack.canUndo() ? QStringLiteral("撤销%1").arg(stack.undoText()) : QStringLiteral("撤销"));
        m_redo->setText(stack.canRedo() ? QStringLiteral("重做%1").arg(stack.redoText()) : QStringLiteral("重做"));
    };
    connect(&stack, &QUndoStack::indexChanged, this, update);
    connect(&stack, &QUndoStack::cleanChanged, this, update);
    connect(this, &DesignMode::selectionChanged, this, update);

    MenuGroup &edit = m_win.menus().group(MenuHost::Edit);
    if (edit.menu) {
        // Item 0 is the menu's placeholder; the design commands follow it.
        for (QAction *a : std::as_const(edit.items))
            a->setVisible(false);
        edit.menu->addAction(m_undo);
        edit.menu->addAction(m_redo);
        edit.menu->addSeparator();
        edit.menu->addAction(m_delete);
    }
}

void DesignMode::showDesignMenus(bool show)
{
    if (QMenu *edit = m_win.menus().group(MenuHost::Edit).menu)
        edit->menuAction()->setVisible(show);
    m_delete->setEnabled(show);
    emit selectionChanged();
}

void DesignMode::designStarted()
{
    m_fieldPressed = false;
    HandleDrag = NoHandle;
    PressButton = 0;
    m_history->reset();
    if (!m_panel)
        m_panel = PropertyPanel::attach(*this);
    m_panel->show();
    showDesignMenus(true);
}

void DesignMode::designEnded()
{
    m_history->reset();
    if (m_panel)
        m_panel->hide();
    showDesignMenus(false);
}

// ---- showing the registry again -------------------------------------------

void DesignMode::showRecords(const QList<int> &which)
{
    bool bill = false;
    for (int s : which) {
        m_win.opener().applyRecord(s);
        bill = bill || s == 0;
    }
    if (bill) // the bill's size moves the panes and scroll bars
        m_win.LayoutPanes(m_win.splitterPosition());
}

void DesignMode::showAllRecords()
{
    FieldControls &c = m_win.controls();
    const FieldRegistry &reg = state().Registry;
    while (c.frames.count() - 1 > reg.lastSlot() && c.frames.count() > 1)
        c.frames.destroy(c.frames.count() - 1);
    auto prune = [&reg](auto &set, int kind) {
        for (int i = set.count() - 1; i >= 0; --i) {
            const int s = reg.slotOf(kind, i);
            if (s >= 0 && !reg.at(s).props().isEmpty())
                continue;
            if (i > 0)
                set.destroy(i);
            else if (auto *first = set.at(0))
                first->hide();
        }
    };
    prune(c.labels, KindLabel);
    prune(c.checks, KindCheck);
    prune(c.dates, KindDate);
    prune(c.texts, KindText);
    prune(c.moneys, KindMoney);
    for (int s = 0; s <= reg.lastSlot(); ++s)
        m_win.opener().applyRecord(s);
    m_win.LayoutPanes(m_win.splitterPosition());
}

void DesignMode::selectSlots(const QList<int> &which, bool focus)
{
    AppState &st = state();
    if (st.Registry.isEmpty())
        return;
    QList<int> valid;
    for (int s : which)
        valid << qBound(0, s, st.Registry.lastSlot());
    if (valid.size() <= 1) {
        const int slot = valid.value(0, 0);
        st.CurrentKey = st.Registry.keyOf(slot);
        SelectedCount = 0;
        if (focus) {
            CtlActivate(st.CurrentKey);
            return;
        }
        HideAllFrames(false);
        if (DesignCtl *f = frame(slot)) {
            f->setUserState(0);
            f->raise();
            f->show();
        }
        MarkSelected(0, 0, false);
        MarkSelected(1, slot, true);
        emit selectionChanged();
        return;
    }
    HideAllFrames(false);
    MarkSelected(0, 0, false);
    for (int s : std::as_const(valid)) {
        MarkSelected(1, s, true);
        if (DesignCtl *f = frame(s)) {
            f->setUserState(1);
            f->raise();
        }
    }
    SelectedCount = qint16(valid.size());
    st.CurrentKey = st.Registry.keyOf(valid.first());
    emit selectionChanged();
}

void DesignMode::keepSelection()
{
    const AppState &st = state();
    if (st.DesignMode == 0 || st.Registry.isEmpty())
        return;
    QList<int> selected;
    for (int s = 0; s <= st.Registry.lastSlot(); ++s)
        if (st.Registry.at(s).selected)
            selected << s;
    const auto current = FieldKey::parse(st.CurrentKey);
    if (SelectedCount >= 2 && selected.size() >= 2)
        selectSlots(selected);
    else
        selectSlots({current ? current->slot : 0});
}

void DesignMode::keepDrag()
{
    const FieldRegistry &reg = state().Registry;
    const auto current = FieldKey::parse(state().CurrentKey);
    const int held = HandleDrag != NoHandle ? m_handleSlot : current ? current->slot : -1;
    HideAllFrames(false);
    for (int s = 0; s <= reg.lastSlot(); ++s) {
        if (s != held && !(SelectedCount >= 2 && reg.at(s).selected >= 1))
            continue;
        if (DesignCtl *f = frame(s)) {
            f->setUserState(1);
            f->raise();
            f->show();
        }
    }
}

bool DesignMode::setProperties(int slot, const QList<QPair<int, QString>> &values, const QString &what, int merge)
{
    FieldRegistry &reg = state().Registry;
    if (slot < 0 || slot > reg.lastSlot() || reg.at(slot).props().isEmpty())
        return false;
    // What the designer did before this edit is a step of its own.
    m_history->commit(QStringLiteral("修改"));
    const int kind = reg.at(slot).kind;
    for (const auto &[key, value] : values) {
        reg.setEntry(slot, key, PropertyPanel::propertyName(kind, key), value);
        if (key == prop::StartUnit) {
            // The stored column positions belong to the old number of columns.
            reg.at(slot).props().removeIf([](const PropertyEntry &e) { return e.key >= prop::FirstColumn; });
        }
    }
    showRecords({slot});
    // The field stays selected; the keyboard stays where the designer is.
    selectSlots({slot}, false);
    m_history->commit(QStringLiteral("“%1”").arg(what), merge);
    return true;
}

void DesignMode::commitGeometry(const QString &what)
{
    m_history->commit(what, what == QStringLiteral("微调") ? DesignHistory::NudgeMerge : DesignHistory::NoMerge);
}

// ---- bounds ---------------------------------------------------------------

QSize DesignMode::billSize() const
{
    const AppState &st = m_win.state();
    return QSize(st.BillRect[2], st.BillRect[3]);
}

QRect DesignMode::keepInside(const QRect &r) const
{
    const QSize bill = billSize();
    QRect out = r;
    out.moveLeft(qMax(0, qMin(r.x(), bill.width() - r.width())));
    out.moveTop(qMax(0, qMin(r.y(), bill.height() - r.height())));
    return out;
}

QSize DesignMode::fieldsReach() const
{
    const FieldRegistry &reg = m_win.state().Registry;
    QSize reach(0, 0);
    for (int s = 1; s <= reg.lastSlot(); ++s) {
        const FieldRecord &r = reg.at(s);
        if (r.kind == KindBill || r.props().isEmpty())
            continue;
        auto twips = [&r](int key) { return propvalue::strictWhole(r.value(key)).value_or(0); };
        reach = reach.expandedTo(QSize(twips(prop::Left) + twips(prop::Width), twips(prop::Top) + twips(prop::Height)));
    }
    return reach;
}

QSize DesignMode::billLeast() const
{
    const QSize bill = billSize();
    const QSize reach = fieldsReach();
    return QSize(qMax(MinFieldSize, qMin(bill.width(), reach.width())),
                 qMax(MinFieldSize, qMin(bill.height(), reach.height())));
}

QSize DesignMode::roomAt(const QPoint &at) const
{
    const QSize bill = billSize();
    return QSize(qMax(MinFieldSize, bill.width() - at.x()), qMax(MinFieldSize, bill.height() - at.y()));
}
