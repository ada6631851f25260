#pragma once
// "批量打印..." in the setup menu (for the template selected in the tree)
// and in the tree's pop-up menu (for the template right-clicked): opens the
// batch dialog for that template.
#include "core/templatemanager.h"

#include <QObject>
#include <functional>
#include <optional>

class BatchDialog;
class MDIMain;

class BatchCommand : public QObject {
    Q_OBJECT
public:
    enum Item { SetupItem = 1, PopupItem = 12 };

    // Creates the handler for the window's menus. Owned by the window.
    static BatchCommand *attach(MDIMain &window);
    explicit BatchCommand(MDIMain &window);

    // Opens the dialog for a template (not blocking); nullptr, with the
    // reason shown, while a template is being designed.
    BatchDialog *open(const TemplateRef &ref);

    // Shows why the command cannot run; the default is a message box.
    std::function<void(const QString &)> showMessage;

signals:
    void dialogOpened(BatchDialog *dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fromSetupMenu();
    void fromPopupMenu();
    void updateItem();
    // The template node the pop-up menu was opened on.
    std::optional<TemplateRef> popupTarget() const;

    MDIMain &m_win;
    QString m_targetKey; // the node the pop-up menu was opened on
    bool m_targetFromMenu = false;
};
