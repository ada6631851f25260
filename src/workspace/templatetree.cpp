#include "workspace/templatetree.h"

#include <QKeyEvent>

#include "core/appstate.h"
#include "core/templatestore.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcTree, "billprint.tree")

namespace {

const QString kClassPrefix = QStringLiteral("cKey");
const QString kBillPrefix = QStringLiteral("bKey");

TreeSelection selectionOf(const QTreeWidgetItem *item)
{
    return {TemplateTree::nodeIndex(item), TemplateTree::nodeKey(item), item->text(0)};
}

} // namespace

TemplateTree::TemplateTree(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("TreeViewCtl"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    setIndentation(10); // the tree starts narrow: keep the names in view
}

QString TemplateTree::nodeKey(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

int TemplateTree::nodeIndex(const QTreeWidgetItem *item)
{
    return item ? item->data(0, IndexRole).toInt() : -1;
}

QTreeWidgetItem *TemplateTree::addNode(QTreeWidgetItem *parent, const QString &key,
                                       const QString &text)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    item->setData(0, IndexRole, ++m_nodeCount);
    return item;
}

QTreeWidgetItem *TemplateTree::findByKey(const QString &key) const
{
    for (QTreeWidgetItemIterator it(const_cast<TemplateTree *>(this)); *it; ++it)
        if (nodeKey(*it) == key)
            return *it;
    return nullptr;
}

int TemplateTree::ShowTree(const TemplateStore &store)
{
    m_problem.clear();
    QList<ClassRow> classes;
    QStringList leftOut;
    StoreStatus st = store.listClasses(classes, &leftOut);
    if (!st) {
        qCWarning(lcTree) << "reading the classes:" << st.message;
        m_problem = QStringLiteral("读取模板类别失败：%1").arg(st.message);
        return st.error ? st.error : 1;
    }
    QHash<qint64, QTreeWidgetItem *> classNodes;
    for (const ClassRow &c : classes) {
        const QString key = kClassPrefix + QString::number(c.cKey);
        if (classNodes.contains(c.cKey)) {
            qCWarning(lcTree) << "class number" << c.cKey << "used twice; kept the first";
            continue;
        }
        classNodes.insert(c.cKey, addNode(nullptr, key, c.cName));
    }

    QList<BillRow> bills;
    st = store.listBills(bills, &leftOut);
    if (!st) {
        qCWarning(lcTree) << "reading the templates:" << st.message;
        m_problem = QStringLiteral("读取模板列表失败：%1").arg(st.message);
        return st.error ? st.error : 1;
    }
    for (const BillRow &b : bills) {
        QTreeWidgetItem *parent = classNodes.value(b.cKey);
        if (!parent) {
            qCWarning(lcTree) << "template" << b.bName << "names no class; left out";
            continue;
        }
        addNode(parent, kBillPrefix + QString::number(b.bKey), b.bName);
    }
    if (!leftOut.isEmpty()) {
        qCWarning(lcTree) << "rows left out:" << leftOut;
        m_problem = QStringLiteral("以下记录缺少编号或名称，未显示：\n%1").arg(leftOut.join(QLatin1Char('\n')));
    }
    return 0;
}

int TemplateTree::RefreshTree(const TemplateStore &store)
{
    // The classes open before stay open (found again by name).
    QStringList expanded;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isExpanded())
            expanded << topLevelItem(i)->text(0);
    clear();
    m_nodeCount = 0;
    const int result = ShowTree(store);
    for (int i = 0; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setExpanded(expanded.contains(topLevelItem(i)->text(0)));
    return result;
}

void TemplateTree::NodeClick(AppState &state) const
{
    state.SelectedClass = TreeSelection{};
    state.SelectedBill = TreeSelection{};
    const QTreeWidgetItem *node = currentItem();
    if (m_nodeCount == 0 || !node)
        return;
    const QString key = nodeKey(node);
    if (key.startsWith(kClassPrefix)) {
        state.SelectedClass = selectionOf(node);
    } else if (key.startsWith(kBillPrefix)) {
        state.SelectedBill = selectionOf(node);
        if (const QTreeWidgetItem *parent = node->parent())
            state.SelectedClass = selectionOf(parent);
    }
}

QString TemplateTree::DblClickTable(const AppState &state) const
{
    const QTreeWidgetItem *node = currentItem();
    if (m_nodeCount == 0 || !node || !nodeKey(node).startsWith(kBillPrefix))
        return {};
    if (state.SelectedBill.text.isEmpty() || state.SelectedClass.text.isEmpty())
        return {};
    return TemplateStore::templateTable(state.SelectedClass.text, state.SelectedBill.text);
}

void TemplateTree::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit openRequested();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TemplateTree::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click on a node selects it first, as a left click would: the
    // menu's commands then act on the node the user sees selected.
    if (event->reason() == QContextMenuEvent::Mouse)
        if (QTreeWidgetItem *item = itemAt(viewport()->mapFromGlobal(event->globalPos()))) {
            setCurrentItem(item);
            emit itemClicked(item, 0);
        }
    emit popupRequested(event->globalPos());
    event->accept();
}
