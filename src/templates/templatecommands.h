#pragma once
// The template commands of the tree's pop-up menu: "新建类别", "新建模板",
// "重命名", "删除", "导出模板..." and "导入模板...". They act on the node the
// menu was opened on, ask for names and confirmations, run the store
// operation (one transaction each) and bring the tree, and the template
// open on the bill surface, in line with the store.
#include "core/templatemanager.h"

#include <QObject>
#include <functional>
#include <optional>

class MDIMain;
class QTreeWidgetItem;
class TreePopup;

class TemplateCommands : public QObject {
    Q_OBJECT
public:
    enum Item { NewClassItem = 0, NewTemplateItem = 1, RenameItem = 2, DeleteItem = 3, ExportItem = 9, ImportItem = 10 };

    // Creates the handler for the window's pop-up menu; a new template
    // opens for design through `popup`. Owned by the window.
    static TemplateCommands *attach(MDIMain &window, TreePopup &popup);
    TemplateCommands(MDIMain &window, TreePopup &popup);

    void itemClicked(int index);
    void NewClass();
    void NewTemplate();
    void Rename();
    void Delete();
    void ExportTemplate();
    void ImportTemplate();

    // The file to write a template to (given a suggested path) and the file
    // to read one from; empty when the user cancels. The defaults ask with
    // the file dialog.
    std::function<QString(const QString &suggested)> chooseExportFile;
    std::function<QString()> chooseImportFile;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The node the command acts on: the one the menu was opened on, else
    // the tree's current node.
    struct Node {
        QString className;
        QString templateName; // empty for a class node
        bool isClass() const { return !className.isEmpty() && templateName.isEmpty(); }
        bool isTemplate() const { return !templateName.isEmpty(); }
        TemplateRef ref() const { return {className, templateName}; }
    };
    Node target() const;
    void updateItems();
    TemplateManager manager() const;
    bool refuseWhileDesigning(const QString &command);
    void report(const QString &title, const StoreStatus &status);
    // Fills the tree again, keeps the open classes open and selects `select`
    // (a class when its template name is empty) as a click would.
    void refreshTree(const TemplateRef &select);
    QTreeWidgetItem *findNode(const TemplateRef &ref) const;
    // The template open on the bill surface, when it is one of `among`.
    std::optional<TemplateRef> openTemplate() const;
    void reopen(const std::optional<TemplateRef> &ref);
    void removeTemplate(const TemplateRef &ref);
    QString freeName(const TemplateRef &taken) const;

    MDIMain &m_win;
    TreePopup &m_popup;
    QString m_targetKey;          // key of the node the menu was opened on
    bool m_targetFromMenu = false;
    QString m_openTable;          // the template on the bill surface
};
