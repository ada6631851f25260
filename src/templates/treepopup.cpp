#include "templates/treepopup.h"

#include "core/appstate.h"
#include "app/toolbox.h"
#include "workspace/designmode.h"
#include "workspace/history.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"

#include <QAction>

TreePopup *TreePopup::attach(MDIMain &window, DesignMode &design)
{
    auto *p = new TreePopup(window, design);
    p->setParent(&window);
    connect(&window, &MDIMain::popupItemClicked, p, &TreePopup::tvPopupMenuS_Click);
    return p;
}

TreePopup::TreePopup(MDIMain &window, DesignMode &design) : m_win(window), m_design(design)
{
    showError = [this](const StoreStatus &s) { history::showError(&m_win, s); };
}

QString TreePopup::selectedTable() const
{
    const AppState &st = m_win.state();
    if (st.SelectedBill.text.isEmpty() || st.SelectedClass.text.isEmpty())
        return {};
    return TemplateStore::templateTable(st.SelectedClass.text, st.SelectedBill.text);
}

void TreePopup::tvPopupMenuS_Click(int index)
{
    if (index == DesignItem)
        DesignTemplate();
    else if (index == EndDesignItem)
        EndDesign();
}

void TreePopup::DesignTemplate()
{
    AppState &st = m_win.state();
    st.DesignMode = 1;
    st.CurrentTool = 0;
    st.Registry.reset();
    QAction *history = m_win.menus().item(MenuHost::View, MDIMain::ViewHistory);
    if (history && history->isChecked())
        m_win.mViewSub_Click(MDIMain::ViewHistory);
    m_win.UnloadCtl();
    const QString table = selectedTable();
    // Opening sets the current key to the bill; a design reopened keeps the
    // field it had current when that field is still there.
    const QString current = st.CurrentKey;
    if (!table.isEmpty()) {
        m_win.EnterDesignLook();
        m_win.ReadAddCtl(table, 1);
        const auto k = FieldKey::parse(current);
        if (k && k->slot <= st.Registry.lastSlot() && st.Registry.keyOf(k->slot) == current)
            st.CurrentKey = current;
    }
    m_win.opener().enableFields(false);
    m_design.HideAllFrames(false);
    if (FieldKey::parse(st.CurrentKey) && !st.Registry.isEmpty())
        m_design.CtlActivate(st.CurrentKey);
    m_design.placing().BillDrawLine(0);
}

bool TreePopup::EndDesign()
{
    AppState &st = m_win.state();
    const QString table = selectedTable();
    // The template is written first, in one transaction: when that fails the
    // user keeps the design on the screen and the stored template its rows.
    if (!table.isEmpty()) {
        const StoreStatus saved = TemplateStore(st.DbConnection).WriteTemplate(table, st.Registry);
        if (!saved) {
            if (showError)
                showError(saved);
            return false;
        }
    }
    st.DesignMode = 0;
    m_win.EnterFillMode(); // closes the tool box, fields live, frames hidden
    st.CurrentTool = 0;
    if (!table.isEmpty()) {
        const StoreStatus synced = history::SyncHistoryColumns(st, table);
        if (!synced && showError)
            showError(synced);
    }
    st.Registry.reset();
    m_win.UnloadCtl();
    if (!table.isEmpty())
        m_win.ReadAddCtl(table, 0);
    return true;
}
