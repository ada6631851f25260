// Two designers on one template: a save finds out whether the template was
// saved by someone else since the design opened (its version in the
// database moved on) and asks what to do instead of writing over it; and a
// template renamed or deleted elsewhere meanwhile can still take the
// design as a new template.
#include "templates/treepopup.h"

#include "core/appstate.h"
#include "core/templatemanager.h"
#include "core/units.h"
#include "workspace/designmode.h"
#include "workspace/designundo.h"
#include "workspace/history.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QMessageBox>
#include <QStatusBar>
#include <QPushButton>

void TreePopup::rememberVersion()
{
    qint64 version = 0;
    if (TemplateStore(m_win.state().DbConnection).templateVersion(m_designTable, version))
        m_designVersion = version;
    else
        m_designVersion.reset(); // unknown: the save checks nothing
}

TreePopup::ConflictAnswer TreePopup::askAboutConflict() const
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("注意"),
                    QStringLiteral("模板“%1/%2”在您开始设计之后已被别人修改并保存。\n"
                                   "覆盖：用您的设计替换别人的修改；另存为副本：把您的设计存为新模板，"
                                   "别人的修改保留；取消：继续设计，什么也不保存。")
                        .arg(m_designClass.left(60), m_designBill.left(60)),
                    QMessageBox::NoButton, &m_win);
    box.setObjectName(QStringLiteral("DesignConflictBox"));
    QPushButton *overwrite = box.addButton(QStringLiteral("覆盖"), QMessageBox::DestructiveRole);
    QPushButton *copy = box.addButton(QStringLiteral("另存为副本"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(copy);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return ConflictAnswer::Overwrite;
    if (box.clickedButton() == copy)
        return ConflictAnswer::SaveCopy;
    return ConflictAnswer::Cancel;
}

StoreStatus TreePopup::freeName(TemplateRef &to, bool ownFirst) const
{
    const TemplateManager manager(m_win.state().DbConnection);
    to = {m_designClass, QString()};
    StoreStatus s = StoreStatus::failure(QStringLiteral("没有可用的副本名称"));
    for (int n = ownFirst ? 0 : 1; n < 100 && !s.ok(); ++n) {
        to.templateName = n == 0 ? m_designBill
                                 : m_designBill + QStringLiteral(" 副本") + (n > 1 ? QString::number(n) : QString());
        s = manager.checkNewTemplate(to);
        if (!s.ok() && manager.findTemplate(to) == std::nullopt && n > 0)
            break; // refused for another reason than a taken name
    }
    return s;
}

bool TreePopup::saveAsCopy()
{
    AppState &st = m_win.state();
    const TemplateManager manager(st.DbConnection);
    const TemplateRef from{m_designClass, m_designBill};
    TemplateRef to;
    StoreStatus s = freeName(to, false);
    // The copy takes the stored template's table, register and scanned
    // form; the design then goes over its fields.
    if (s)
        s = manager.copyTemplate(from, to);
    if (s)
        s = TemplateStore(st.DbConnection).WriteTemplate(to.table(), st.Registry);
    if (!s) {
        if (showError)
            showError(s);
        return false;
    }
    adopt(to);
    return true;
}

TreePopup::GoneAnswer TreePopup::askAboutGone(const TemplateRef &as) const
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("注意"),
                    QStringLiteral("模板“%1/%2”已不在数据库中（可能已被另一台电脑重命名或删除）。\n"
                                   "存为新模板：把您的设计存为新模板“%3/%4”；取消：继续设计，什么也不保存。")
                        .arg(m_designClass.left(60), m_designBill.left(60), as.className.left(60),
                             as.templateName.left(60)),
                    QMessageBox::NoButton, &m_win);
    box.setObjectName(QStringLiteral("DesignGoneBox"));
    QPushButton *save = box.addButton(QStringLiteral("存为新模板"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == save ? GoneAnswer::SaveNew : GoneAnswer::Cancel;
}

bool TreePopup::saveGone()
{
    AppState &st = m_win.state();
    const TemplateManager manager(st.DbConnection);
    TemplateRef to;
    StoreStatus s = freeName(to, true);
    if (s && askAboutGone(to) == GoneAnswer::Cancel)
        return false;
    if (s && !manager.findClass(to.className))
        s = manager.createClass(to.className);
    // A blank template of a size it accepts; the design then replaces all
    // its rows, the bill's size among them.
    auto mm = [](int twips) {
        return qBound(TemplateManager::MinPaperMm, units::twipsToMm(twips), TemplateManager::MaxPaperMm);
    };
    const QSize bill = m_design.billSize();
    if (s)
        s = manager.createTemplate(to, mm(bill.width()), mm(bill.height()));
    if (s) {
        s = TemplateStore(st.DbConnection).WriteTemplate(to.table(), st.Registry);
        if (!s) // no blank template is left behind
            manager.deleteTemplate(to, TemplateManager::Removal::DropAll);
    }
    if (!s) {
        if (showError)
            showError(s);
        return false;
    }
    adopt(to);
    m_win.statusBar()->showMessage(QStringLiteral("模板“%1”已保存").arg(to.templateName), 10000);
    return true;
}

void TreePopup::adopt(const TemplateRef &to)
{
    AppState &st = m_win.state();
    m_designTable = to.table();
    m_designClass = to.className;
    m_designBill = to.templateName;
    m_designName = to.templateName;
    rememberVersion();
    m_design.history().markSaved();
    if (StoreStatus synced = history::SyncHistoryColumns(st, m_designTable); !synced && showError)
        showError(synced);
    if (TemplateTree *tree = m_win.tree()) {
        tree->RefreshTree(TemplateStore(st.DbConnection));
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *c = tree->topLevelItem(i);
            for (int j = 0; c->text(0) == m_designClass && j < c->childCount(); ++j)
                if (c->child(j)->text(0) == m_designBill) {
                    c->setExpanded(true);
                    tree->setCurrentItem(c->child(j));
                }
        }
    }
    st.SelectedClass.text = m_designClass;
    st.SelectedBill.text = m_designBill;
}
