#pragma once
// The tree of template classes with their templates beneath them. A class
// node's key is "cKey" followed by the class number, a template node's
// "bKey" followed by the template number; the first four characters of a key
// tell the node's type.
#include <QTreeWidget>

class TemplateStore;
struct AppState;

class TemplateTree : public QTreeWidget {
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole + 1, IndexRole };

    explicit TemplateTree(QWidget *parent = nullptr);

    // Fills the tree from the class and template lists. A row without
    // number or name is left out; problem() then names it. Returns 0 or the
    // error number of a failed query (the nodes added so far stay, and
    // problem() says what failed).
    int ShowTree(const TemplateStore &store);
    // What the last fill could not show, in words for a "注意" box; empty
    // when every row was shown.
    QString problem() const { return m_problem; }
    // Empties the tree and fills it again (after classes or templates
    // were added, renamed or removed); the classes open stay open.
    int RefreshTree(const TemplateStore &store);

    // Records the selected node in SelectedClass/SelectedBill.
    void NodeClick(AppState &state) const;
    // The template table a double click opens: "class_template" when the
    // selected node is a template and both names are known; empty otherwise.
    QString DblClickTable(const AppState &state) const;

    // Number of nodes (classes and templates).
    int nodeCount() const { return m_nodeCount; }
    static QString nodeKey(const QTreeWidgetItem *item);
    // Position of the node in the order added, from 1.
    static int nodeIndex(const QTreeWidgetItem *item);
    QTreeWidgetItem *findByKey(const QString &key) const;

signals:
    // A right-button press on the tree at this point (for the pop-up menu).
    void popupRequested(const QPoint &globalPos);
    // Enter on the current node: open it as a double click does.
    void openRequested();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &key, const QString &text);

    int m_nodeCount = 0;
    QString m_problem;
};
