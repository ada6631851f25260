#pragma once
// The main window: toolbar, status bar, template tree, millimetre rulers,
// the bill surface with its field controls, the splitter and the scroll
// bars. It builds itself in a fixed order when it loads and takes itself
// apart in a fixed order when it closes (closing it ends the program).
#include "app/mainmenu.h"
#include "app/toolbox.h"
#include "workspace/billopen.h"
#include "workspace/fieldcontrols.h"
#include "workspace/helpviewer.h"
#include "workspace/layout.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class BillSurface;
class DesignCtl;
class LockKeyPanels;
class NewsTicker;
class QLabel;
class QScrollBar;
class QStatusBar;
class QToolBar;
class RulerBox;
class TemplateTree;
struct AppState;

class MDIMain : public QMainWindow {
    Q_OBJECT
public:
    // View menu items with a fixed meaning.
    enum ViewItem {
        ViewToolBar = 0,
        ViewTree = 1,
        ViewToolBox = 2,
        ViewStatusBar = 4,
        ViewHistory = 6,
        ViewFormBackground = 7 // the scanned form also while filling in and in the preview
    };
    enum HelpItem { HelpFile = 0, HelpAbout = 1 };
    // Caption of the setup item that fills today's date into a bill opened
    // for filling in (on by default; remembered for the user).
    static QString TodaysDateCaption();

    explicit MDIMain(AppState &state, QWidget *parent = nullptr);
    ~MDIMain() override;

    AppState &state() { return m_state; }
    FieldControls &controls() { return m_controls; }
    QWidget *billSurface() const;
    BillSurface *surface() const { return m_surface; }
    BillOpener &opener() { return *m_opener; }
    TemplateTree *tree() const { return m_tree; }
    QToolBar *toolBarCtl() const { return m_toolBar; }
    QStatusBar *statusBarCtl() const { return m_statusBar; }
    // Panel 1..6 of the status bar, or nullptr.
    QLabel *statusPanel(int number) const;
    // Keeps the CAPS and NUM panels in step with the keyboard.
    LockKeyPanels *lockKeys() const { return m_lockKeys; }
    RulerBox *topRuler() const { return m_rulerTop; }
    RulerBox *splitter() const { return m_splitter; }
    QScrollBar *hScrollBar() const { return m_hScroll; }
    QScrollBar *vScrollBar() const { return m_vScroll; }
    // The part of the workspace right of the splitter and below the top
    // ruler: the bill surface and its frame lie in it and are cut at its
    // edges when scrolled.
    QWidget *billViewport() const { return m_viewport; }
    MenuHost &menus() { return m_menus; }
    ToolBox *toolBox() const { return m_toolBox; }
    NewsTicker *newsLabel() const { return m_news; }

    // Recorded sizes in twips (width, height); the bars' heights are 0 while
    // the bars are hidden.
    std::array<int, 2> ClientSize{0, 0};
    std::array<int, 2> ToolBarSize{0, 0};
    std::array<int, 2> StatusBarSize{0, 0};
    qint16 SplitterDrag = 0;
    // The splitter's current left edge in twips.
    int splitterPosition() const { return m_splitterX; }
    const layout::PanePlan &lastLayout() const { return m_plan; }

    // Opening and closing a template on the bill surface.
    int ReadAddCtl(const QString &table, int design);
    int UnloadCtl();
    void EnterFillMode();
    void EnterDesignLook();
    void ShowToolButton(int number, bool visible);

    // Places every pane for a splitter left edge x (twips).
    void LayoutPanes(int x);

    // The bill surface's zoom: 1.0 shows a bill at its size on a 96-dpi
    // screen. Fields, frames, rulers and the pointer position follow it;
    // the stored twips do not change.
    static constexpr double MinZoom = 0.5;
    static constexpr double MaxZoom = 4.0;
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    // One step up or down the zoom scale (Ctrl++ / Ctrl+-, Ctrl+wheel).
    void zoomIn();
    void zoomOut();

    // Asked before the design in progress is left by opening another
    // template or closing the window; false keeps the design (and the
    // window) open. Set by the design commands.
    std::function<bool()> confirmLeaveDesign;
    // The tree's width (twips) that shows its longest name, kept between
    // the splitter's least position and a third of the window.
    int treeFitWidth() const;
    // Opens the help at its first page (what F1 does).
    void showHelp();
    // A "注意" box over the window that does not wait for its answer.
    void showNotice(const QString &text);
    HelpViewer *helpViewer() const { return m_help; }

signals:
    // "打印" with a template selected: the print preview should open.
    void printRequested();
    // The bill surface's guide lines should be redrawn in this mode.
    void guideLinesRequested(int mode);
    // An item of the tree's pop-up menu was chosen.
    void popupItemClicked(int index);
    // View item 6: the history window should be shown or hidden.
    void historyToggled(bool show);
    // View item 7: the scanned form shown while filling in, or not.
    void formBackgroundToggled(bool show);
    // An item of the setup menu was chosen.
    void setupItemClicked(int index);
    // A template was opened on the bill surface (design non-zero for
    // design), or the surface was cleared.
    void templateOpened(const QString &table, int design);
    void templateClosed();
    // A field control or selection frame was created for an opening.
    void fieldCreated(int kind, int index, QWidget *control);
    void frameCreated(int slot, DesignCtl *frame);
    // Mouse and key input of the field controls, for design mode.
    void fieldMouseDown(int kind, int index, int button, int shift, int x, int y);
    void fieldMouseMove(int kind, int index, int button, int shift, int x, int y);
    void fieldMouseUp(int kind, int index, int button, int shift, int x, int y);
    void fieldKeyDown(int kind, int index, int keyCode, int shift);
    // A money field's column positions were stored into its record.
    void moneyColumnsStored();
    // The bill surface's zoom changed.
    void zoomChanged(double zoom);

public:
    // Shrinks the window to the screen's free area when it is larger (a
    // small screen, a high scale factor), so the status bar and the
    // preview's buttons stay on screen.
    void fitToScreen();

public slots:
    void TreeViewCtl_NodeClick();
    void TreeViewCtl_DblClick();
    // Fills the tree again from the database (a template renamed or deleted
    // elsewhere goes away); the selection is taken from it afresh.
    void RefreshTemplateTree();
    void ToolBarCtl_ButtonClick(QAction *button);
    void mViewSub_Click(int index);
    void mHelpSub_Click(int index);

    // A money column was released: its field's column positions are stored.
    void MoneyCtl_TMouseUp(int index, int button, int shift, int x, int y);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Tab and Shift+Tab go round the bill's fields.
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Load, in order.
    void BuildMenus();
    void createToolBar();
    void createStatusBar();
    void createTree();
    void createPanes();
    void createScrollBars();
    void createFieldControls();
    void recordBarSizes();
    void tickViewItems();
    void startNews();
    // The size and place of the window and the tree's width of the last run.
    void restoreRemembered();
    void keepForNextRun();
    // Unload, in order.
    void Form_Unload();
    void closeListedWindows();
    void removeRuntimeControls();

    void connectMenuItems();
    void connectField(int kind, int index, QWidget *control);
    void connectFrame(int slot, DesignCtl *frame);
    void openToolBox();
    void toggleBar(QWidget *bar, int item, std::array<int, 2> &size);
    void toggleTree();

    void fillTodaysDate();
    QAction *todaysDateItem();

    // Layout helpers.
    int innerWidth() const;
    int innerHeight() const;
    int toolBarHeight() const;
    int statusBarHeight() const;
    void placePane(QWidget *w, const layout::TwipRect &r);
    void placeInViewport(QWidget *w, int left, int top);
    void relayoutAfterBarToggle();
    // Where the splitter goes in a layout: the fitted width while the tree
    // is shown and the user has not dragged it, else where it stands.
    int splitterForLayout();
    void applyScrollBar(QScrollBar *bar, const layout::ScrollBarPlan &plan);
    void drawRulers();
    void HScrollBarCtl_Change(int position);
    void VScrollBarCtl_Change(int position);
    void PictureCtlL_MouseDown(QMouseEvent *event);
    void PictureCtlL_MouseMove(QMouseEvent *event);
    void PictureCtlL_MouseUp();
    void placeNewsLabel();
    void showPointer(int x, int y);
    void updateClock();
    void createZoomActions();
    // Frame 0 (the bill's) over the surface, at the zoom.
    void placeBillFrame();

    AppState &m_state;
    FieldControls m_controls;
    MenuHost m_menus;
    RulerBox *m_client = nullptr; // the window's own surface
    QToolBar *m_toolBar = nullptr;
    QStatusBar *m_statusBar = nullptr;
    std::array<QLabel *, 6> m_panels{};
    TemplateTree *m_tree = nullptr;
    RulerBox *m_rulerTop = nullptr;
    BillSurface *m_surface = nullptr;
    RulerBox *m_splitter = nullptr;
    QScrollBar *m_hScroll = nullptr;
    QScrollBar *m_vScroll = nullptr;
    QWidget *m_viewport = nullptr;
    LockKeyPanels *m_lockKeys = nullptr;
    NewsTicker *m_news = nullptr;
    QPointer<ToolBox> m_toolBox;
    QPointer<HelpViewer> m_help;
    std::unique_ptr<BillOpener> m_opener;
    layout::PanePlan m_plan;
    int m_splitterX = layout::DefaultSplitterLeft;
    double m_zoom = 1.0;
    QLabel *m_zoomLabel = nullptr;
    // How far the scroll bars have moved the bill from its laid-out place
    // (twips on the screen).
    QPoint m_billShift;
    // The splitter follows the tree's names until the user drags it.
    bool m_splitterFitsTree = true;
    bool m_nodeClicked = false;
    bool m_loaded = false;
    bool m_unloaded = false;
};
