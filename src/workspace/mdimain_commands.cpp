// The main window's commands: tree clicks, toolbar, view and help menus,
// the tool box, and opening a template in the fill-in or design look.
#include "workspace/mdimain.h"

#include "core/appstate.h"
#include "core/templatestore.h"
#include "fields/moneyctl.h"
#include "app/toolbox.h"
#include "core/units.h"
#include "news/about.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/helpviewer.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

// ---- tree ---------------------------------------------------------------

void MDIMain::TreeViewCtl_NodeClick()
{
    m_nodeClicked = true;
    m_tree->NodeClick(m_state);
}

void MDIMain::TreeViewCtl_DblClick()
{
    if (m_tree->nodeCount() == 0)
        return;
    if (!TemplateTree::nodeKey(m_tree->currentItem()).startsWith(QLatin1String("bKey")))
        return;
    // Opening a template ends a design in progress, once its changes are
    // settled; without anyone to settle them the design stays.
    if (m_state.DesignMode != 0 && !(confirmLeaveDesign && confirmLeaveDesign()))
        return;
    m_state.Registry.reset();
    UnloadCtl();
    const QString table = m_tree->DblClickTable(m_state);
    if (table.isEmpty())
        return;
    ReadAddCtl(table, 0);
    if (m_opener->lastStatus().error == BillOpener::TemplateGone) {
        RefreshTemplateTree();
        return;
    }
    // Today's date stands in the dates the clerk would type, when asked.
    fillTodaysDate();
    // The clerk starts typing at once: the first field of the bill takes
    // the keys, as if reached with Tab.
    if (QWidget *first = m_opener->firstTabStop())
        first->setFocus(Qt::TabFocusReason);
}

void MDIMain::RefreshTemplateTree()
{
    m_tree->RefreshTree(TemplateStore(m_state.DbConnection));
    m_tree->NodeClick(m_state);
}

// While a bill is filled in, Tab (and Return in a one-line field) leads from
// its last field back to its first, and Shift+Tab from the first to the
// last, so that every field comes round again. The window's own chain would
// go on to whatever widget follows the last field, and the tree is no stop
// on the way: Return there would open the template again, empty.
bool MDIMain::focusNextPrevChild(bool next)
{
    QWidget *first = m_opener ? m_opener->firstTabStop() : nullptr;
    QWidget *last = m_opener ? m_opener->lastTabStop() : nullptr;
    QWidget *from = QApplication::focusWidget();
    if (m_state.DesignMode == 0 && first && last && from) {
        QWidget *end = next ? last : first;
        if (from == end || end->isAncestorOf(from)) {
            (next ? first : last)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QMainWindow::focusNextPrevChild(next);
}

int MDIMain::ReadAddCtl(const QString &table, int design)
{
    m_opener->ReadAddCtl(table, design);
    // A template that cannot be opened (a damaged table, places beyond the
    // bounds) says why; the surface stays empty.
    if (!m_opener->lastStatus().ok())
        showNotice(m_opener->lastStatus().message);
    // The bill may have changed size: place it and its bars again.
    if (m_splitter)
        LayoutPanes(m_splitterX);
    emit templateOpened(table, design);
    return 0;
}

int MDIMain::UnloadCtl()
{
    const int result = m_opener->UnloadCtl();
    emit templateClosed();
    return result;
}

void MDIMain::EnterFillMode()
{
    if (m_state.IsWindowOpen(QStringLiteral("ToolBox")) && m_toolBox) {
        m_toolBox->hide();
        m_toolBox->close();
    }
    ShowToolButton(1, true);
    ShowToolButton(2, true);
    m_opener->hideFrames();
    m_opener->enableFields(true);
}

void MDIMain::EnterDesignLook()
{
    ShowToolButton(1, false);
    m_opener->hideFrames();
    m_opener->enableFields(false);
}

void MDIMain::ShowToolButton(int number, bool visible)
{
    if (m_toolBar)
        ToolBarCls::ShowToolButton(m_toolBar, number, visible);
}

// ---- toolbar ------------------------------------------------------------

void MDIMain::showNotice(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("注意"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MDIMain::ToolBarCtl_ButtonClick(QAction *button)
{
    const QString caption = button->text();
    if (caption == QStringLiteral("打印")) {
        // The bill open on the surface prints, whatever the tree has
        // selected since; with none open there is nothing to print.
        if (!m_state.Bill.isOpen()) {
            QMessageBox::information(this, QStringLiteral("注意"),
                                     QStringLiteral("未选中要打印的票据！"));
            return;
        }
        emit printRequested();
    } else if (caption == QStringLiteral("退出")) {
        // Closing asks about a design with changes; the mode ends only
        // when the window really closes.
        if (close())
            m_state.DesignMode = 0;
    }
}

// ---- view menu ----------------------------------------------------------

void MDIMain::mViewSub_Click(int index)
{
    switch (index) {
    case ViewToolBar: toggleBar(m_toolBar, ViewToolBar, ToolBarSize); break;
    case ViewTree: toggleTree(); break;
    case ViewToolBox: openToolBox(); break;
    case ViewStatusBar: toggleBar(m_statusBar, ViewStatusBar, StatusBarSize); break;
    case ViewHistory:
        if (QAction *a = m_menus.item(MenuHost::View, ViewHistory)) {
            a->setChecked(!a->isChecked());
            emit historyToggled(a->isChecked());
        }
        break;
    case ViewFormBackground:
        if (QAction *a = m_menus.item(MenuHost::View, ViewFormBackground)) {
            a->setChecked(!a->isChecked());
            m_state.FormBackgroundShown = a->isChecked();
            emit formBackgroundToggled(a->isChecked());
        }
        break;
    default: break;
    }
}

void MDIMain::toggleBar(QWidget *bar, int item, std::array<int, 2> &size)
{
    QAction *a = m_menus.item(MenuHost::View, item);
    if (!bar || !a)
        return;
    if (a->isChecked()) {
        bar->hide();
        a->setChecked(false);
        size[1] = 0;
    } else {
        bar->show();
        size[1] = int(units::pixelsToTwips(bar->sizeHint().height()));
        a->setChecked(true);
    }
    relayoutAfterBarToggle();
}

void MDIMain::toggleTree()
{
    QAction *a = m_menus.item(MenuHost::View, ViewTree);
    if (!a || !m_tree)
        return;
    if (a->isChecked()) {
        m_tree->hide();
        a->setChecked(false);
        m_splitter->setCursor(Qt::ArrowCursor);
        SplitterDrag = 0;
        LayoutPanes(0);
    } else {
        a->setChecked(true);
        m_tree->show();
        m_splitter->setCursor(Qt::SizeHorCursor);
        LayoutPanes(m_state.SplitterLeft);
    }
}

void MDIMain::openToolBox()
{
    QAction *a = m_menus.item(MenuHost::View, ViewToolBox);
    if (m_toolBox) {
        m_toolBox->close();
        return;
    }
    m_toolBox = new ToolBox(m_state, this);
    connect(m_toolBox, &ToolBox::BillDrawLine, this, &MDIMain::guideLinesRequested);
    connect(m_toolBox, &ToolBox::unloaded, this, [this] {
        if (QAction *item = m_menus.item(MenuHost::View, ViewToolBox))
            item->setChecked(false);
    });
    // At the right of the bill's area, clear of the property pane beside it.
    const QSize box = m_toolBox->sizeHint();
    m_toolBox->move(m_client->mapToGlobal(QPoint(qMax(0, m_client->width() - box.width() - 20), 30)));
    m_toolBox->show();
    if (a)
        a->setChecked(true);
}

// ---- help ---------------------------------------------------------------

void MDIMain::mHelpSub_Click(int index)
{
    if (index == HelpFile)
        showHelp();
    else if (index == HelpAbout)
        About::showModal(m_state, this);
}

void MDIMain::showHelp()
{
    if (!m_help)
        m_help = new HelpViewer(this);
    m_help->showPage(HelpViewer::homePage());
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

// ---- field events of filling in -----------------------------------------

// Releasing the mouse over a money column stores the positions of all its
// columns as keys 100 + i, the last column first, and marks the field
// selected; the bill takes the changed template.
void MDIMain::MoneyCtl_TMouseUp(int index, int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    MoneyCtl *money = m_controls.moneys.at(index);
    if (!money)
        return;
    const QString key = opening::controlTag(money);
    m_state.CurrentKey = key;
    const QList<int> columnX = money->UserGetMoneyColX();
    PropertyList entries;
    const int u = int(columnX.size()) - 1;
    for (int i = 0; i <= u; ++i)
        entries.append(PropertyEntry{qint16(100 + i), QString(), QString::number(columnX.at(u - i))});
    if (m_state.Registry.RegistryCtl(key, entries, 1, FieldRegistry::Update) == 0) {
        m_opener->refreshTemplate();
        emit moneyColumnsStored();
    }
}
