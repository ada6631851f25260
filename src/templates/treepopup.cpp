#include "templates/treepopup.h"

#include "app/mainmenu.h"
#include "core/appstate.h"
#include "workspace/billopen.h"
#include "workspace/designmode.h"
#include "workspace/designundo.h"
#include "workspace/history.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

TreePopup *TreePopup::attach(MDIMain &window, DesignMode &design)
{
    auto *p = new TreePopup(window, design);
    p->setParent(&window);
    connect(&window, &MDIMain::popupItemClicked, p, &TreePopup::tvPopupMenuS_Click);
    if (QMenu *menu = window.menus().group(MenuHost::Popup).menu)
        connect(menu, &QMenu::aboutToShow, p, &TreePopup::updateItems);
    window.confirmLeaveDesign = [p] {
        if (!p->settleDesign())
            return false;
        p->leaveDesign(false);
        return true;
    };
    return p;
}

TreePopup::TreePopup(MDIMain &window, DesignMode &design) : m_win(window), m_design(design)
{
    showError = [this](const StoreStatus &s) { history::showError(&m_win, s); };
}

namespace {
// How long a report in the status bar stays.
constexpr int StatusMessageMs = 10000;
} // namespace

QString TreePopup::selectedTable() const
{
    const AppState &st = m_win.state();
    if (st.SelectedBill.text.isEmpty() || st.SelectedClass.text.isEmpty())
        return {};
    return TemplateStore::templateTable(st.SelectedClass.text, st.SelectedBill.text);
}

void TreePopup::updateItems()
{
    const MenuHost &menus = m_win.menus();
    if (QAction *a = menus.item(MenuHost::Popup, DesignItem))
        a->setEnabled(!selectedTable().isEmpty());
    if (QAction *a = menus.item(MenuHost::Popup, EndDesignItem))
        a->setEnabled(m_win.state().DesignMode != 0);
}

void TreePopup::tvPopupMenuS_Click(int index)
{
    if (index == DesignItem)
        DesignTemplate();
    else if (index == EndDesignItem)
        EndDesign();
}

TreePopup::Answer TreePopup::askToSave()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("设计模板"), QStringLiteral("保存对模板的修改吗？"),
                    QMessageBox::NoButton, &m_win);
    box.setObjectName(QStringLiteral("SaveDesignBox"));
    QPushButton *save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return Answer::Save;
    if (box.clickedButton() == discard)
        return Answer::Discard;
    return Answer::Cancel;
}

bool TreePopup::settleDesign()
{
    if (m_win.state().DesignMode == 0 || m_designTable.isEmpty() || !m_design.history().isModified())
        return true;
    switch (askToSave()) {
    case Answer::Save: return saveDesign();
    case Answer::Discard: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

bool TreePopup::designIsWhole() const
{
    const FieldRegistry &reg = m_win.state().Registry;
    return m_openedWhole && !reg.isEmpty() && reg.at(0).kind == KindBill && !reg.at(0).props().isEmpty();
}

bool TreePopup::saveDesign()
{
    AppState &st = m_win.state();
    if (!designIsWhole()) {
        QMessageBox::warning(&m_win, QStringLiteral("注意"),
                             QStringLiteral("模板“%1”没有完整打开，设计没有保存，模板保持原样。").arg(m_designTable));
        return false;
    }
    // The template is written first, in one transaction: when that fails the
    // user keeps the design on the screen and the stored template its rows.
    // A template saved by someone else since the design opened is never
    // written over without asking.
    StoreStatus saved = TemplateStore(st.DbConnection).WriteTemplate(m_designTable, st.Registry, m_designVersion);
    if (saved.error == TemplateStore::TemplateMissing)
        return saveGone();
    if (saved.error == TemplateStore::ChangedElsewhere) {
        switch (askAboutConflict()) {
        case ConflictAnswer::Overwrite:
            saved = TemplateStore(st.DbConnection).WriteTemplate(m_designTable, st.Registry);
            break;
        case ConflictAnswer::SaveCopy: return saveAsCopy();
        case ConflictAnswer::Cancel: return false;
        }
    }
    if (!saved) {
        if (showError)
            showError(saved);
        return false;
    }
    rememberVersion();
    m_design.history().markSaved();
    const StoreStatus synced = history::SyncHistoryColumns(st, m_designTable);
    if (!synced && showError)
        showError(synced);
    m_win.statusBar()->showMessage(QStringLiteral("模板“%1”已保存").arg(m_designName), StatusMessageMs);
    return true;
}

void TreePopup::leaveDesign(bool reopen)
{
    AppState &st = m_win.state();
    const QString table = m_designTable;
    m_designTable.clear();
    st.DesignMode = 0;
    m_win.EnterFillMode(); // closes the tool box, fields live, frames hidden
    st.CurrentTool = 0;
    m_design.designEnded();
    st.Registry.reset();
    m_win.UnloadCtl();
    if (reopen && !table.isEmpty())
        m_win.ReadAddCtl(table, 0);
}

void TreePopup::DesignTemplate()
{
    AppState &st = m_win.state();
    // A design could never be saved: say so before any work is done.
    if (st.DatabaseReadOnly) {
        QMessageBox::warning(&m_win, QStringLiteral("注意"),
                             QStringLiteral("数据库是只读的（没有写入 %1 或其文件夹的权限），不能设计模板。")
                                 .arg(st.DatabasePath));
        return;
    }
    // A design in progress is settled before another (or the same) opens.
    if (!settleDesign())
        return;
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
    m_designTable = table;
    m_designClass = st.SelectedClass.text;
    m_designBill = st.SelectedBill.text;
    rememberVersion();
    m_designName = st.SelectedBill.text;
    m_openedWhole = false;
    if (!table.isEmpty()) {
        m_win.EnterDesignLook();
        m_win.ReadAddCtl(table, 1);
        if (m_win.opener().lastStatus().error == BillOpener::TemplateGone) {
            // Renamed or deleted elsewhere: nothing to design; the tree
            // shows what there is now.
            leaveDesign(false);
            m_win.RefreshTemplateTree();
            return;
        }
        m_openedWhole = m_win.opener().lastStatus().ok();
        const auto k = FieldKey::parse(current);
        if (k && k->slot <= st.Registry.lastSlot() && st.Registry.keyOf(k->slot) == current)
            st.CurrentKey = current;
    }
    m_win.opener().enableFields(false);
    m_design.HideAllFrames(false);
    if (FieldKey::parse(st.CurrentKey) && !st.Registry.isEmpty())
        m_design.CtlActivate(st.CurrentKey);
    m_design.placing().BillDrawLine(0);
    m_design.designStarted();
}

bool TreePopup::EndDesign()
{
    if (m_win.state().DesignMode == 0)
        return false;
    if (!m_designTable.isEmpty()) {
        if (!designIsWhole()) {
            // Nothing the designer could have meant to keep: the stored
            // template stays as it is and opens again.
            QMessageBox::warning(&m_win, QStringLiteral("注意"),
                                 QStringLiteral("模板“%1”没有完整打开，设计没有保存，模板保持原样。")
                                     .arg(m_designTable));
            leaveDesign(true);
            return false;
        }
        if (!saveDesign())
            return false;
    }
    leaveDesign(true);
    return true;
}
