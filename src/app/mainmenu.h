#pragma once
// The main window's menus and toolbar. The items of the view, setup, help
// and pop-up menus take their captions and visibility from the interface
// texts (LanguageSet), so the wording lives in the database.
#include <QList>
#include <QString>
#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;
struct AppState;

// One item array of the window: its top menu and items, item 0 first.
struct MenuGroup {
    QString name;            // "mViewSub" ...
    QMenu *menu = nullptr;
    QList<QAction *> items;
};

// The eight item arrays in the order of AppState::MenuNames.
struct MenuHost {
    enum Group { File = 0, Bill, Edit, Format, View, Setup, Help, Popup, GroupCount };
    std::array<MenuGroup, GroupCount> groups;

    MenuGroup &group(Group g) { return groups[g]; }
    QAction *item(Group g, int i) const;
};

// Creates the eight top menus with their item 0 (design-time captions) on
// the menu bar; the pop-up menu is a free-standing menu owned by `owner`.
// File, bill, edit, format, setup and the pop-up menu start hidden.
MenuHost createMenuHost(QMenuBar *bar, QWidget *owner);

class MainMenuCls {
public:
    explicit MainMenuCls(AppState &state);

    // Counts each group's interface texts into MenuCounts and creates items
    // 1..count-1 of the view, setup, help and pop-up arrays. Returns 0 or the
    // error number of a failed query.
    int MenuAdd(MenuHost &host);
    // With level 1: captions and visibility of the view, setup, help and
    // pop-up items from their rows. Other levels do nothing.
    int MenuShow(int level, MenuHost &host);

    // An interface text's yes/no value.
    static bool isYes(const QString &value);

private:
    int showGroup(MenuHost &host, MenuHost::Group g);

    AppState &m_state;
};

class ToolBarCls {
public:
    // Adds the "打印" and "退出" buttons and gives the bar its look.
    static void mToolBarAddButtons(QToolBar *bar);
    // 0: the whole toolbar; 1..33: the button of that number; else nothing.
    static void ShowToolButton(QToolBar *bar, int number, bool visible);
    // Button `number` (from 1) of the bar, or nullptr.
    static QAction *button(QToolBar *bar, int number);
};
