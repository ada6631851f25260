#pragma once
// The commands of the template tree's pop-up menu: item 5 opens the
// selected template for design, item 7 ends the design, saves the template,
// brings its history columns in line and reopens it for filling in. Other
// items do nothing.
#include "core/templatestore.h"

#include <QObject>
#include <functional>

class DesignMode;
class MDIMain;

class TreePopup : public QObject {
    Q_OBJECT
public:
    enum Item { DesignItem = 5, EndDesignItem = 7 };

    // Creates the handler for the window's pop-up menu and connects it to
    // MDIMain::popupItemClicked. Owned by the window.
    static TreePopup *attach(MDIMain &window, DesignMode &design);

    TreePopup(MDIMain &window, DesignMode &design);

    void tvPopupMenuS_Click(int index);
    // Item 5.
    void DesignTemplate();
    // Item 7. When the template cannot be saved the error is shown and the
    // design stays open, unchanged; returns false then.
    bool EndDesign();

    // The selected template's table, or empty when no template is selected.
    QString selectedTable() const;

    // Shows a failed save or history update; the default shows the error
    // box titled "注意". Tests replace it.
    std::function<void(const StoreStatus &)> showError;

private:
    MDIMain &m_win;
    DesignMode &m_design;
};
