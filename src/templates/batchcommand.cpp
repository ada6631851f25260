#include "templates/batchcommand.h"

#include "app/mainmenu.h"
#include "core/appstate.h"
#include "templates/batchdialog.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>

BatchCommand *BatchCommand::attach(MDIMain &window)
{
    auto *c = new BatchCommand(window);
    c->setParent(&window);
    return c;
}

BatchCommand::BatchCommand(MDIMain &window) : m_win(window)
{
    connect(&window, &MDIMain::setupItemClicked, this, [this](int index) {
        if (index == SetupItem)
            fromSetupMenu();
    });
    connect(&window, &MDIMain::popupItemClicked, this, [this](int index) {
        if (index == PopupItem)
            fromPopupMenu();
        m_targetFromMenu = false;
    });
    if (QMenu *menu = window.menus().group(MenuHost::Popup).menu)
        connect(menu, &QMenu::aboutToShow, this, &BatchCommand::updateItem);
    if (window.tree())
        window.tree()->viewport()->installEventFilter(this);
    showMessage = [this](const QString &text) {
        QMessageBox::information(&m_win, QStringLiteral("注意"), text);
    };
}

bool BatchCommand::eventFilter(QObject *watched, QEvent *event)
{
    // The pop-up menu acts on the node under the pointer.
    if (event->type() == QEvent::ContextMenu && m_win.tree() && watched == m_win.tree()->viewport()) {
        auto *e = static_cast<QContextMenuEvent *>(event);
        const QTreeWidgetItem *item = e->reason() == QContextMenuEvent::Mouse ? m_win.tree()->itemAt(e->pos())
                                                                             : m_win.tree()->currentItem();
        m_targetKey = TemplateTree::nodeKey(item);
        m_targetFromMenu = true;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<TemplateRef> BatchCommand::popupTarget() const
{
    const TemplateTree *tree = m_win.tree();
    if (!tree)
        return std::nullopt;
    const QTreeWidgetItem *item = m_targetFromMenu ? (m_targetKey.isEmpty() ? nullptr : tree->findByKey(m_targetKey))
                                                   : tree->currentItem();
    if (!item || !item->parent() || !TemplateTree::nodeKey(item).startsWith(QLatin1String("bKey")))
        return std::nullopt;
    return TemplateRef{item->parent()->text(0), item->text(0)};
}

void BatchCommand::updateItem()
{
    if (QAction *a = m_win.menus().item(MenuHost::Popup, PopupItem))
        a->setEnabled(popupTarget().has_value());
}

void BatchCommand::fromPopupMenu()
{
    if (const std::optional<TemplateRef> ref = popupTarget())
        open(*ref);
}

void BatchCommand::fromSetupMenu()
{
    const AppState &st = m_win.state();
    if (st.SelectedClass.text.isEmpty() || st.SelectedBill.text.isEmpty()) {
        showMessage(QStringLiteral("请先在模板树中选中要批量打印的模板。"));
        return;
    }
    open({st.SelectedClass.text, st.SelectedBill.text});
}

BatchDialog *BatchCommand::open(const TemplateRef &ref)
{
    if (m_win.state().DesignMode != 0) {
        showMessage(QStringLiteral("正在设计模板。请先结束设计并保存，再批量打印。"));
        return nullptr;
    }
    auto *dialog = new BatchDialog(m_win.state(), ref, &m_win);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    emit dialogOpened(dialog);
    return dialog;
}
