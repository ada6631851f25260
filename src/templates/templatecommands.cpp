#include "templates/templatecommands.h"
#include "app/uitext.h"

#include "app/filedialogs.h"
#include "app/mainmenu.h"
#include "core/appstate.h"
#include "core/templatefile.h"
#include "templates/templatedialogs.h"
#include "templates/treepopup.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>

namespace {

const QString ClassPrefix = QStringLiteral("cKey");
const QString BillPrefix = QStringLiteral("bKey");

// Asks a question with the given buttons; the index of the one clicked, or
// the escape button's when the box is closed.
int ask(QWidget *parent, const QString &title, const QString &text, const QStringList &buttons, int preferred,
        int escape)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton *> pushed;
    for (const QString &b : buttons)
        pushed << box.addButton(b, QMessageBox::ActionRole);
    box.setDefaultButton(pushed.at(preferred));
    box.setEscapeButton(pushed.at(escape));
    box.exec();
    const qsizetype i = pushed.indexOf(qobject_cast<QPushButton *>(box.clickedButton()));
    return i < 0 ? escape : int(i);
}

// A file name made of a template's names.
QString fileNameFor(const TemplateRef &ref)
{
    QString name = ref.className + QLatin1Char('-') + ref.templateName;
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    return name + QStringLiteral(".json");
}

} // namespace

TemplateCommands *TemplateCommands::attach(MDIMain &window, TreePopup &popup)
{
    auto *c = new TemplateCommands(window, popup);
    c->setParent(&window);
    return c;
}

TemplateCommands::TemplateCommands(MDIMain &window, TreePopup &popup) : m_win(window), m_popup(popup)
{
    connect(&window, &MDIMain::popupItemClicked, this, &TemplateCommands::itemClicked);
    connect(&window, &MDIMain::templateOpened, this, [this](const QString &table, int) { m_openTable = table; });
    connect(&window, &MDIMain::templateClosed, this, [this] { m_openTable.clear(); });
    if (QMenu *menu = window.menus().group(MenuHost::Popup).menu)
        connect(menu, &QMenu::aboutToShow, this, &TemplateCommands::updateItems);
    if (window.tree())
        window.tree()->viewport()->installEventFilter(this);
    chooseExportFile = [this](const QString &suggested) {
        QString path = filedialogs::getSaveFileName(&m_win, QStringLiteral("导出模板"), suggested,
                                                    QStringLiteral("模板文件 (*.json)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".json");
        return path;
    };
    chooseImportFile = [this] {
        return filedialogs::getOpenFileName(&m_win, QStringLiteral("导入模板"), QDir::homePath(),
                                            QStringLiteral("模板文件 (*.json);;所有文件 (*)"));
    };
}

bool TemplateCommands::eventFilter(QObject *watched, QEvent *event)
{
    // The pop-up menu acts on the node under the pointer, or on none when
    // it was opened beside the nodes.
    if (event->type() == QEvent::ContextMenu && m_win.tree() && watched == m_win.tree()->viewport()) {
        auto *e = static_cast<QContextMenuEvent *>(event);
        const QTreeWidgetItem *item = e->reason() == QContextMenuEvent::Mouse ? m_win.tree()->itemAt(e->pos())
                                                                             : m_win.tree()->currentItem();
        m_targetKey = TemplateTree::nodeKey(item);
        m_targetFromMenu = true;
    }
    return QObject::eventFilter(watched, event);
}

TemplateCommands::Node TemplateCommands::target() const
{
    const TemplateTree *tree = m_win.tree();
    if (!tree)
        return {};
    const QTreeWidgetItem *item = m_targetFromMenu ? (m_targetKey.isEmpty() ? nullptr : tree->findByKey(m_targetKey))
                                                   : tree->currentItem();
    const QString key = TemplateTree::nodeKey(item);
    if (key.startsWith(ClassPrefix))
        return {item->text(0), {}};
    if (key.startsWith(BillPrefix) && item->parent())
        return {item->parent()->text(0), item->text(0)};
    return {};
}

void TemplateCommands::updateItems()
{
    const Node node = target();
    const MenuHost &menus = m_win.menus();
    auto enable = [&menus](int item, bool on) {
        if (QAction *a = menus.item(MenuHost::Popup, item))
            a->setEnabled(on);
    };
    enable(RenameItem, node.isClass() || node.isTemplate());
    enable(DeleteItem, node.isClass() || node.isTemplate());
    enable(ExportItem, node.isTemplate());
}

TemplateManager TemplateCommands::manager() const
{
    return TemplateManager(m_win.state().DbConnection);
}

void TemplateCommands::itemClicked(int index)
{
    switch (index) {
    case NewClassItem: NewClass(); break;
    case NewTemplateItem: NewTemplate(); break;
    case RenameItem: Rename(); break;
    case DeleteItem: Delete(); break;
    case ExportItem: ExportTemplate(); break;
    case ImportItem: ImportTemplate(); break;
    default: break;
    }
    m_targetFromMenu = false;
}

bool TemplateCommands::refuseWhileDesigning(const QString &command)
{
    if (m_win.state().DesignMode == 0)
        return false;
    QMessageBox::information(&m_win, QStringLiteral("注意"),
                             QStringLiteral("正在设计模板。请先用“结束设计并保存”结束设计，再%1。").arg(command));
    return true;
}

void TemplateCommands::report(const QString &title, const StoreStatus &status)
{
    if (!status)
        QMessageBox::warning(&m_win, title, uitext::failure(QStringLiteral("%1没有完成。").arg(title), status.message));
}

QTreeWidgetItem *TemplateCommands::findNode(const TemplateRef &ref) const
{
    const TemplateTree *tree = m_win.tree();
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *c = tree->topLevelItem(i);
        if (c->text(0) != ref.className)
            continue;
        if (ref.templateName.isEmpty())
            return c;
        for (int j = 0; j < c->childCount(); ++j)
            if (c->child(j)->text(0) == ref.templateName)
                return c->child(j);
    }
    return nullptr;
}

void TemplateCommands::refreshTree(const TemplateRef &select)
{
    TemplateTree *tree = m_win.tree();
    if (!tree)
        return;
    QStringList expanded;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->isExpanded())
            expanded << tree->topLevelItem(i)->text(0);
    tree->RefreshTree(TemplateStore(m_win.state().DbConnection));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *c = tree->topLevelItem(i);
        c->setExpanded(expanded.contains(c->text(0)) || c->text(0) == select.className);
    }
    m_targetFromMenu = false;
    if (QTreeWidgetItem *node = findNode(select)) {
        tree->setCurrentItem(node);
        tree->scrollToItem(node);
        m_win.TreeViewCtl_NodeClick();
    } else {
        m_win.state().SelectedClass = TreeSelection{};
        m_win.state().SelectedBill = TreeSelection{};
    }
}

std::optional<TemplateRef> TemplateCommands::openTemplate() const
{
    const TemplateTree *tree = m_win.tree();
    for (int i = 0; tree && !m_openTable.isEmpty() && i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *c = tree->topLevelItem(i);
        for (int j = 0; j < c->childCount(); ++j) {
            const TemplateRef ref{c->text(0), c->child(j)->text(0)};
            if (ref.table() == m_openTable)
                return ref;
        }
    }
    return std::nullopt;
}

void TemplateCommands::reopen(const std::optional<TemplateRef> &ref)
{
    m_win.state().Registry.reset();
    m_win.UnloadCtl();
    if (ref)
        m_win.ReadAddCtl(ref->table(), 0);
}

// ---- commands ------------------------------------------------------------------

void TemplateCommands::NewClass()
{
    const TemplateManager m = manager();
    NameDialog dialog(QStringLiteral("新建类别"), QStringLiteral("新类别的名称："), QString(), &m_win);
    dialog.setCheck([&m](const QString &, const QString &name) { return m.checkNewClass(name).message; });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StoreStatus s = m.createClass(dialog.name());
    report(QStringLiteral("新建类别"), s);
    if (s)
        refreshTree({dialog.name(), {}});
}

void TemplateCommands::NewTemplate()
{
    if (refuseWhileDesigning(QStringLiteral("新建模板")))
        return;
    const TemplateManager m = manager();
    QList<ClassRow> rows;
    TemplateStore(m_win.state().DbConnection).listClasses(rows);
    QStringList classes;
    QList<TemplateRef> templates;
    for (const ClassRow &c : std::as_const(rows)) {
        if (classes.contains(c.cName))
            continue;
        classes << c.cName;
        for (const QString &t : m.templatesOf(c.cName))
            templates.append({c.cName, t});
    }
    if (classes.isEmpty()) {
        QMessageBox::information(&m_win, QStringLiteral("新建模板"),
                                 QStringLiteral("还没有类别。请先用“新建类别”建一个类别。"));
        return;
    }
    const Node node = target();
    NewTemplateDialog dialog(classes, node.className, templates, &m_win);
    if (node.isTemplate())
        dialog.offerSource(node.ref());
    dialog.setCheck([&m](const QString &c, const QString &name) { return m.checkNewTemplate({c, name}).message; });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const NewTemplateRequest r = dialog.request();
    const StoreStatus s = r.copy ? m.copyTemplate(r.source, r.ref) : m.createTemplate(r.ref, r.widthMm, r.heightMm);
    report(QStringLiteral("新建模板"), s);
    if (!s)
        return;
    refreshTree(r.ref);
    m_popup.DesignTemplate(); // the new template opens for design
}

void TemplateCommands::Rename()
{
    if (refuseWhileDesigning(QStringLiteral("重命名")))
        return;
    const Node node = target();
    if (!node.isClass() && !node.isTemplate())
        return;
    const TemplateManager m = manager();
    const bool isClass = node.isClass();
    const QString old = isClass ? node.className : node.templateName;
    NameDialog dialog(isClass ? QStringLiteral("重命名类别") : QStringLiteral("重命名模板"),
                      isClass ? QStringLiteral("类别“%1”的新名称：").arg(old)
                              : QStringLiteral("模板“%1”的新名称：").arg(node.ref().display()),
                      old, &m_win);
    dialog.setCheck([&](const QString &, const QString &name) {
        return (isClass ? m.checkRenameClass(old, name) : m.checkRenameTemplate(node.ref(), name)).message;
    });
    if (dialog.exec() != QDialog::Accepted || dialog.name() == old)
        return;
    const QString name = dialog.name();
    std::optional<TemplateRef> open = openTemplate();
    const StoreStatus s = isClass ? m.renameClass(old, name) : m.renameTemplate(node.ref(), name);
    report(QStringLiteral("重命名"), s);
    if (!s)
        return;
    const bool openMoved = open && (isClass ? open->className == old : *open == node.ref());
    if (openMoved) // the open bill follows its template's new tables
        (isClass ? open->className : open->templateName) = name;
    refreshTree(isClass ? TemplateRef{name, {}} : TemplateRef{node.className, name});
    if (openMoved)
        reopen(open);
}

void TemplateCommands::Delete()
{
    if (refuseWhileDesigning(QStringLiteral("删除")))
        return;
    const Node node = target();
    if (node.isTemplate()) {
        removeTemplate(node.ref());
        return;
    }
    if (!node.isClass())
        return;
    const TemplateManager m = manager();
    if (const qsizetype n = m.templatesOf(node.className).size()) {
        QMessageBox::information(&m_win, QStringLiteral("删除"),
                                 QStringLiteral("类别“%1”中还有 %2 个模板，不能删除。请先删除其中的模板。")
                                     .arg(node.className)
                                     .arg(n));
        return;
    }
    if (ask(&m_win, QStringLiteral("删除"), QStringLiteral("删除类别“%1”吗？").arg(node.className),
            {QStringLiteral("删除"), QStringLiteral("取消")}, 1, 1)
        != 0)
        return;
    const StoreStatus s = m.deleteClass(node.className);
    report(QStringLiteral("删除"), s);
    if (s)
        refreshTree({});
}

void TemplateCommands::removeTemplate(const TemplateRef &ref)
{
    const TemplateManager m = manager();
    qint64 printed = 0;
    if (StoreStatus s = m.printedCount(ref, printed); !s) {
        report(QStringLiteral("删除"), s);
        return;
    }
    const QString title = QStringLiteral("删除模板");
    const QString name = ref.display();
    TemplateManager::Removal how = TemplateManager::Removal::DropAll;
    if (printed == 0) {
        if (ask(&m_win, title,
                QStringLiteral("删除模板“%1”吗？\n它的登记簿中没有已打印的票据。删除后无法恢复。").arg(name),
                {QStringLiteral("删除"), QStringLiteral("取消")}, 1, 1)
            != 0)
            return;
    } else if (ref.className == TemplateManager::deletedClass()) {
        if (ask(&m_win, title,
                QStringLiteral("模板“%1”的登记簿中有 %2 张已打印的票据。\n连同这些记录彻底删除它吗？删除后无法恢复。")
                    .arg(name)
                    .arg(printed),
                {QStringLiteral("彻底删除"), QStringLiteral("取消")}, 1, 1)
            != 0)
            return;
    } else {
        if (ask(&m_win, title,
                QStringLiteral("删除模板“%1”吗？\n它的登记簿中有 %2 张已打印的票据。模板将移到“%3”类别，记录都保留。")
                    .arg(name)
                    .arg(printed)
                    .arg(TemplateManager::deletedClass()),
                {QStringLiteral("删除"), QStringLiteral("取消")}, 1, 1)
            != 0)
            return;
        const int second = ask(&m_win, title,
                               QStringLiteral("要连同 %1 张已打印票据的记录彻底删除模板“%2”吗？\n"
                                              "彻底删除后无法恢复；移到“%3”则记录都保留。")
                                   .arg(printed)
                                   .arg(name, TemplateManager::deletedClass()),
                               {QStringLiteral("移到“%1”").arg(TemplateManager::deletedClass()),
                                QStringLiteral("彻底删除"), QStringLiteral("取消")},
                               0, 2);
        if (second == 2)
            return;
        how = second == 1 ? TemplateManager::Removal::DropAll : TemplateManager::Removal::KeepPrinted;
    }
    const bool wasOpen = openTemplate() == std::optional(ref);
    TemplateRef movedTo;
    const StoreStatus s = m.deleteTemplate(ref, how, &movedTo);
    report(title, s);
    if (!s)
        return;
    if (wasOpen)
        reopen(std::nullopt);
    refreshTree(movedTo.className.isEmpty() ? TemplateRef{ref.className, {}} : movedTo);
}

void TemplateCommands::ExportTemplate()
{
    const Node node = target();
    if (!node.isTemplate())
        return;
    const TemplateManager m = manager();
    TemplateContent content;
    if (StoreStatus s = m.readContent(node.ref(), content); !s) {
        report(QStringLiteral("导出模板"), s);
        return;
    }
    const QString path = chooseExportFile ? chooseExportFile(QDir::home().filePath(fileNameFor(node.ref()))) : QString();
    if (path.isEmpty())
        return;
    const StoreStatus s = templatefile::writeFile(path, content);
    report(QStringLiteral("导出模板"), s);
    if (!s)
        return;
    // A design still open is not in the file until it is saved.
    const QString unsaved = m_win.state().DesignMode != 0 && m_popup.designedTable() == node.ref().table()
                                ? QStringLiteral("\n（导出的是上次保存的设计，正在进行的修改不在其中。）")
                                : QString();
    QMessageBox::information(&m_win, QStringLiteral("导出模板"),
                             QStringLiteral("模板“%1”已导出到\n%2").arg(node.ref().display(), path) + unsaved);
}

QString TemplateCommands::freeName(const TemplateRef &taken) const
{
    const TemplateManager m = manager();
    for (int n = 2; n < 100; ++n) {
        const QString name = QStringLiteral("%1 %2").arg(taken.templateName).arg(n);
        if (m.checkImport({taken.className, name}))
            return name;
    }
    return taken.templateName;
}

void TemplateCommands::ImportTemplate()
{
    if (refuseWhileDesigning(QStringLiteral("导入模板")))
        return;
    const QString path = chooseImportFile ? chooseImportFile() : QString();
    if (path.isEmpty())
        return;
    const QString title = QStringLiteral("导入模板");
    TemplateContent content;
    if (StoreStatus s = templatefile::readFile(path, content); !s) {
        report(title, s);
        return;
    }
    const TemplateManager m = manager();
    TemplateRef as = content.name;
    if (const StoreStatus usable = m.checkImport(as); !usable) {
        QList<ClassRow> rows;
        TemplateStore(m_win.state().DbConnection).listClasses(rows);
        QStringList classes;
        for (const ClassRow &c : std::as_const(rows))
            if (!classes.contains(c.cName))
                classes << c.cName;
        if (!classes.contains(as.className))
            classes.prepend(as.className);
        NameDialog dialog(title,
                          QStringLiteral("%1。\n请为导入的模板另取一个名称：").arg(usable.message),
                          freeName(as), &m_win, classes, as.className);
        dialog.setCheck([&m](const QString &c, const QString &name) { return m.checkImport({c, name}).message; });
        if (dialog.exec() != QDialog::Accepted)
            return;
        as = {dialog.className(), dialog.name()};
    }
    const StoreStatus s = m.importContent(content, as);
    report(title, s);
    if (!s)
        return;
    refreshTree(as);
    // The bill on the surface stays as it was; the status bar says where
    // the new template went.
    m_win.statusBar()->showMessage(QStringLiteral("模板“%1”已导入").arg(as.display()), 10000);
}
