#pragma once
// The commands of the template tree's pop-up menu: item 5 opens the
// selected template for design, item 7 ends the design, saves the template
// that was opened for design, brings its history columns in line and
// reopens it for filling in. Other items do nothing here.
//
// A design with changes is never dropped without asking: designing again,
// opening another template and closing the window first ask whether to
// save it.
#include "core/templatemanager.h"
#include "core/templatestore.h"

#include <QObject>
#include <functional>

class DesignMode;
class MDIMain;

class TreePopup : public QObject {
    Q_OBJECT
public:
    enum Item { DesignItem = 5, EndDesignItem = 7 };
    // The answers to "保存对模板的修改吗？".
    enum class Answer { Save, Discard, Cancel };
    // The answers when the template was saved elsewhere since the design
    // opened: write over it, save the design as a new template, or keep
    // designing.
    enum class ConflictAnswer { Overwrite, SaveCopy, Cancel };
    // The answers when the template was renamed or deleted elsewhere since
    // the design opened: save the design as a new template, or keep
    // designing.
    enum class GoneAnswer { SaveNew, Cancel };

    // Creates the handler for the window's pop-up menu and connects it to
    // MDIMain::popupItemClicked. Owned by the window.
    static TreePopup *attach(MDIMain &window, DesignMode &design);

    TreePopup(MDIMain &window, DesignMode &design);

    void tvPopupMenuS_Click(int index);
    // Item 5.
    void DesignTemplate();
    // Item 7: only while a design is open. When the template cannot be
    // saved the error is shown and the design stays open, unchanged; returns
    // false then (and when no design is open).
    bool EndDesign();

    // The selected template's table, or empty when no template is selected.
    QString selectedTable() const;
    // The table of the template open for design, or empty.
    QString designedTable() const { return m_designTable; }

    // Settles a design with unsaved changes: asks, saves when told to. True
    // when the caller may go on (saved, dropped, or nothing to save).
    bool settleDesign();

    // Shows a failed save or history update; the default shows the error
    // box titled "注意". Tests replace it.
    std::function<void(const StoreStatus &)> showError;

private:
    void updateItems();
    Answer askToSave();
    // Writes the design over its template and its history columns.
    bool saveDesign();
    // Leaves design mode without saving; reopens the designed template for
    // filling in when `reopen`.
    void leaveDesign(bool reopen);
    // True when the registry holds the whole template that was opened, so
    // that writing it cannot empty or cut the stored template.
    bool designIsWhole() const;

    // When someone else saved the template since the design opened.
    ConflictAnswer askAboutConflict() const;
    // Saves the design as a new template beside the one designed, which
    // then becomes the template open for design.
    bool saveAsCopy();
    // When the template was renamed or deleted elsewhere: asks, and saves
    // the design as a new template of its name (or the first free "NAME
    // 副本…") when told to.
    bool saveGone();
    GoneAnswer askAboutGone(const TemplateRef &as) const;
    // The first free name of the designed template's class: its own name
    // first when `ownFirst`, then "NAME 副本", "NAME 副本2", ...; false
    // with the reason when none can be had.
    StoreStatus freeName(TemplateRef &to, bool ownFirst) const;
    // The design was saved as template `to`: it becomes the template open
    // for design, and the tree shows and selects it.
    void adopt(const TemplateRef &to);
    // The template's version now, remembered as the one the design is at.
    void rememberVersion();

    MDIMain &m_win;
    DesignMode &m_design;
    QString m_designTable;
    QString m_designClass; // class and template names of the designed template
    QString m_designBill;
    std::optional<qint64> m_designVersion; // its version when opened or last saved
    QString m_designName; // the template's name as the tree shows it
    bool m_openedWhole = false;
};
