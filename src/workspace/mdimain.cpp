#include "workspace/mdimain.h"

#include "core/appstate.h"
#include "core/billentry.h"
#include "core/database.h"
#include "core/templatestore.h"
#include "app/toolbox.h"
#include "app/uitext.h"
#include "core/units.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "news/newsticker.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/helpviewer.h"
#include "workspace/lockkeys.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

Q_LOGGING_CATEGORY(lcMain, "billprint.mainwindow")

MDIMain::MDIMain(AppState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("MDIMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1024, 700);

    // Before the load: the top menus with their items 0.
    m_menus = createMenuHost(menuBar(), this);
    m_client = new RulerBox(this);
    m_client->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(m_client);

    // The load, in order.
    BuildMenus();
    createToolBar();
    createStatusBar();
    createTree();
    createPanes();
    createScrollBars();
    createFieldControls();
    createZoomActions();
    // The panes follow the client area, which a dock beside it narrows.
    m_client->installEventFilter(this);
    m_state.SplitterLeft = treeFitWidth();
    LayoutPanes(m_state.SplitterLeft);
    restoreRemembered();
    EnterFillMode();
    m_state.RegisterWindow(QStringLiteral("MDIMain"), true);
    recordBarSizes();
    tickViewItems();
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, this, &MDIMain::showHelp);
    // A database the user cannot write is shown, and only shown.
    setWindowTitle(m_state.DatabaseReadOnly ? QStringLiteral("%1 [只读]").arg(m_state.AppTitle) : m_state.AppTitle);
    startNews();
    m_loaded = true;
}

MDIMain::~MDIMain()
{
    Form_Unload();
}

QWidget *MDIMain::billSurface() const
{
    return m_surface;
}

QLabel *MDIMain::statusPanel(int number) const
{
    return number >= 1 && number <= 6 ? m_panels[number - 1] : nullptr;
}

// ---- load ---------------------------------------------------------------

void MDIMain::BuildMenus()
{
    MainMenuCls builder(m_state);
    if (int err = builder.MenuAdd(m_menus))
        qCWarning(lcMain) << "menus: counting failed with" << err;
    if (int err = builder.MenuShow(1, m_menus))
        qCWarning(lcMain) << "menus: reading failed with" << err;
    connectMenuItems();
}

void MDIMain::connectMenuItems()
{
    const QList<QAction *> &view = m_menus.group(MenuHost::View).items;
    for (int i = 0; i < view.size(); ++i) {
        QAction *a = view.at(i);
        const bool toggles = i == ViewToolBar || i == ViewTree || i == ViewToolBox
                             || i == ViewStatusBar || i == ViewHistory || i == ViewFormBackground;
        a->setCheckable(toggles);
        connect(a, &QAction::triggered, this, [this, a, i, toggles](bool checked) {
            if (toggles) {
                // The handler decides the new state from the state before the click.
                const QSignalBlocker block(a);
                a->setChecked(!checked);
            }
            mViewSub_Click(i);
        });
    }
    const QList<QAction *> &help = m_menus.group(MenuHost::Help).items;
    for (int i = 0; i < help.size(); ++i)
        connect(help.at(i), &QAction::triggered, this, [this, i] { mHelpSub_Click(i); });
    // The setup menu shows when one of its items does.
    const QList<QAction *> &setup = m_menus.group(MenuHost::Setup).items;
    bool setupShown = false;
    for (int i = 0; i < setup.size(); ++i) {
        connect(setup.at(i), &QAction::triggered, this, [this, i] { emit setupItemClicked(i); });
        setupShown = setupShown || setup.at(i)->isVisible();
    }
    // A switch of this program's own, known by its caption wherever it stands.
    if (QAction *today = todaysDateItem()) {
        today->setCheckable(true);
        today->setChecked(QSettings().value(QStringLiteral("fill/todaysDate"), true).toBool());
        connect(today, &QAction::toggled, this,
                [](bool on) { QSettings().setValue(QStringLiteral("fill/todaysDate"), on); });
    }
    m_menus.group(MenuHost::Setup).menu->menuAction()->setVisible(setupShown);
    const QList<QAction *> &popup = m_menus.group(MenuHost::Popup).items;
    for (int i = 0; i < popup.size(); ++i)
        connect(popup.at(i), &QAction::triggered, this, [this, i] { emit popupItemClicked(i); });
}

QString MDIMain::TodaysDateCaption()
{
    return QStringLiteral("打开票据时填入今天的日期");
}

QAction *MDIMain::todaysDateItem()
{
    for (QAction *a : m_menus.group(MenuHost::Setup).items)
        if (a->text() == TodaysDateCaption())
            return a;
    return nullptr;
}

void MDIMain::fillTodaysDate()
{
    QAction *today = todaysDateItem();
    if (today && today->isChecked())
        entry::fillDate(m_state.Bill, QDate::currentDate());
}

void MDIMain::createToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBarCtl"));
    m_toolBar->setMinimumHeight(units::twipsToPixels(50) + 24);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    ToolBarCls::mToolBarAddButtons(m_toolBar);
    connect(m_toolBar, &QToolBar::actionTriggered, this, &MDIMain::ToolBarCtl_ButtonClick);
}

void MDIMain::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarCtl"));
    setStatusBar(m_statusBar);
    struct Panel {
        const char *key;
        QString text;
    };
    const Panel panels[6] = {{"Caps", QStringLiteral("CAPS")},
                             {"Num", QStringLiteral("NUM")},
                             {"Date", QString()},
                             {"Time", QString()},
                             {"Location", QString()},
                             {"Text", m_state.AppHomePage}};
    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(panels[i].text, m_statusBar);
        label->setObjectName(QString::fromLatin1(panels[i].key));
        label->setFrameShape(i == 5 ? QFrame::NoFrame : QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(i == 4 ? 160 : 70);
        label->setAlignment(Qt::AlignCenter);
        if (i == 5)
            m_statusBar->addPermanentWidget(label);
        else
            m_statusBar->addWidget(label);
        m_panels[i] = label;
    }
    m_lockKeys = new LockKeyPanels(m_panels[0], m_panels[1], systemLockKeys(), this);
    auto *clock = new QTimer(m_statusBar);
    connect(clock, &QTimer::timeout, this, &MDIMain::updateClock);
    clock->start(1000);
    updateClock();
    m_statusBar->setVisible(true);
}

void MDIMain::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    if (m_panels[2])
        m_panels[2]->setText(now.date().toString(QStringLiteral("yyyy-MM-dd")));
    if (m_panels[3])
        m_panels[3]->setText(now.time().toString(QStringLiteral("HH:mm:ss")));
}

void MDIMain::createTree()
{
    m_tree = new TemplateTree(m_client);
    // The client draws its ruler in a small font; the tree keeps the
    // window's own.
    QFont normal = QApplication::font(m_tree);
    normal.setResolveMask(QFont::AllPropertiesResolved);
    m_tree->setFont(normal);
    // The one column is as wide as its longest shown name: the tree scrolls
    // sideways only when a name is wider than the pane.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    if (int err = m_tree->ShowTree(TemplateStore(m_state.DbConnection)))
        qCWarning(lcMain) << "tree: reading failed with" << err;
    // A database that did not open, or a tree that could not show
    // everything, says so once the window is up.
    QString problem = m_tree->problem();
    // A server's refusal was shown at start-up with the offer of the local file.
    if (!m_state.DatabaseError.isEmpty() && !database::isServerUrl(m_state.DatabasePath))
        problem = uitext::failure((m_state.DatabaseDamaged ? QStringLiteral("数据库文件“%1”已损坏，模板和票据都不能使用。")
                                                           : QStringLiteral("无法打开数据库“%1”，模板和票据都不能使用。"))
                                      .arg(database::displayName(m_state.DatabasePath)),
                                  m_state.DatabaseError);
    if (!problem.isEmpty())
        QTimer::singleShot(0, this, [this, problem] { showNotice(problem); });
    // Names added or renamed later fit the tree too, once the tree is filled.
    auto *refit = new QTimer(this);
    refit->setSingleShot(true);
    connect(refit, &QTimer::timeout, this, [this] {
        if (m_splitter && m_loaded)
            LayoutPanes(splitterForLayout());
    });
    const auto namesChanged = [refit] { refit->start(0); };
    connect(m_tree->model(), &QAbstractItemModel::rowsInserted, refit, namesChanged);
    connect(m_tree->model(), &QAbstractItemModel::dataChanged, refit, namesChanged);
    connect(m_tree, &QTreeWidget::itemClicked, this, &MDIMain::TreeViewCtl_NodeClick);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &MDIMain::TreeViewCtl_DblClick);
    // Enter on a node: the node the keyboard reached is the selection, then
    // it opens as a double click opens it.
    connect(m_tree, &TemplateTree::openRequested, this, [this] {
        TreeViewCtl_NodeClick();
        TreeViewCtl_DblClick();
    });
    connect(m_tree, &TemplateTree::popupRequested, this, [this](const QPoint &at) {
        QMenu *popup = m_menus.group(MenuHost::Popup).menu;
        for (QAction *a : popup->actions())
            if (a->isVisible()) {
                popup->popup(at);
                return;
            }
    });
    m_tree->setVisible(true);
}

void MDIMain::createPanes()
{
    m_rulerTop = new RulerBox(m_client);
    m_rulerTop->setObjectName(QStringLiteral("PictureCtlT"));
    // Scrolled sideways with the bill, the ruler passes under the tree and
    // the splitter, which hide the part left of the bill's workspace.
    if (m_tree)
        m_rulerTop->stackUnder(m_tree);
    m_rulerTop->setVisible(true);

    m_viewport = new QWidget(m_client);
    m_viewport->setObjectName(QStringLiteral("BillViewport"));
    m_surface = new BillSurface(m_viewport);
    m_surface->hide();
    connect(m_surface, &BillSurface::pointerMoved, this, &MDIMain::showPointer);

    m_splitter = new RulerBox(m_client);
    m_splitter->setObjectName(QStringLiteral("PictureCtlL"));
    m_splitter->setCursor(Qt::SizeHorCursor);
    m_splitter->installEventFilter(this);
    m_splitter->setVisible(true);
}

void MDIMain::createScrollBars()
{
    m_hScroll = new QScrollBar(Qt::Horizontal, m_client);
    m_hScroll->setObjectName(QStringLiteral("HScrollBarCtl"));
    m_vScroll = new QScrollBar(Qt::Vertical, m_client);
    m_vScroll->setObjectName(QStringLiteral("VScrollBarCtl"));
    m_hScroll->hide();
    m_vScroll->hide();
    connect(m_hScroll, &QScrollBar::valueChanged, this, &MDIMain::HScrollBarCtl_Change);
    connect(m_vScroll, &QScrollBar::valueChanged, this, &MDIMain::VScrollBarCtl_Change);
}

void MDIMain::createFieldControls()
{
    m_controls.init(m_client);
    connectField(KindLabel, 0, m_controls.labels.at(0));
    connectField(KindCheck, 0, m_controls.checks.at(0));
    connectField(KindDate, 0, m_controls.dates.at(0));
    connectField(KindText, 0, m_controls.texts.at(0));
    connectField(KindMoney, 0, m_controls.moneys.at(0));
    connectFrame(0, m_controls.frames.at(0));

    m_opener = std::make_unique<BillOpener>(m_state, m_controls, m_surface, m_client);
    m_opener->controlCreated = [this](int kind, int index, QWidget *c) {
        connectField(kind, index, c);
        emit fieldCreated(kind, index, c);
    };
    m_opener->frameCreated = [this](int slot, QWidget *f) {
        connectFrame(slot, static_cast<DesignCtl *>(f));
    };
}

void MDIMain::connectField(int kind, int index, QWidget *control)
{
    // Mouse and keys of every field serve design mode; a money field's
    // column release stores its column positions.
    auto *c = static_cast<FieldWidget *>(control);
    connect(c, &FieldWidget::MouseDown, this, [=, this](qint16 b, qint16 s, int x, int y) {
        emit fieldMouseDown(kind, index, b, s, x, y);
    });
    connect(c, &FieldWidget::MouseMove, this, [=, this](qint16 b, qint16 s, int x, int y) {
        emit fieldMouseMove(kind, index, b, s, x, y);
    });
    connect(c, &FieldWidget::MouseUp, this, [=, this](qint16 b, qint16 s, int x, int y) {
        emit fieldMouseUp(kind, index, b, s, x, y);
    });
    connect(c, &FieldWidget::KeyDown, this,
            [=, this](qint16 k, qint16 s) { emit fieldKeyDown(kind, index, k, s); });
    if (kind == KindMoney)
        connect(static_cast<MoneyCtl *>(control), &MoneyCtl::TMouseUp, this,
                [this, index](int b, int s, int x, int y) { MoneyCtl_TMouseUp(index, b, s, x, y); });
}

void MDIMain::connectFrame(int slot, DesignCtl *frame)
{
    if (slot == 0)
        frame->setParent(m_viewport);
    emit frameCreated(slot, frame);
}

void MDIMain::recordBarSizes()
{
    ToolBarSize = {int(units::pixelsToTwips(m_toolBar->width())), toolBarHeight()};
    StatusBarSize = {int(units::pixelsToTwips(m_statusBar->width())), statusBarHeight()};
}

void MDIMain::tickViewItems()
{
    const QList<QAction *> &view = m_menus.group(MenuHost::View).items;
    for (int i : {int(ViewToolBar), int(ViewTree)})
        if (QAction *a = m_menus.item(MenuHost::View, i))
            a->setChecked(true);
    if (view.size() - 1 > 5)
        if (QAction *a = m_menus.item(MenuHost::View, ViewStatusBar))
            a->setChecked(true);
}

void MDIMain::startNews()
{
    m_news = new NewsTicker(m_state, m_client);
    // The line shows once there is news to show, placed to fit its text.
    connect(m_news, &NewsTicker::NewsShown, this, [this](const QString &text) {
        m_news->setVisible(!text.isEmpty());
        placeNewsLabel();
    });
    m_news->hide();
    placeNewsLabel();
    m_news->start();
}

// ---- unload -------------------------------------------------------------

void MDIMain::closeEvent(QCloseEvent *event)
{
    // A design with changes is settled first (saved, dropped, or the
    // window stays).
    if (!m_unloaded && m_state.DesignMode != 0 && confirmLeaveDesign && !confirmLeaveDesign()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void MDIMain::Form_Unload()
{
    if (m_unloaded)
        return;
    keepForNextRun();
    m_unloaded = true;
    if (m_news)
        m_news->stop();
    delete m_lockKeys;
    m_lockKeys = nullptr;
    hide();
    closeListedWindows();
    CloseDatabase(m_state);
    m_state.Registry.RegistryCtl(QString(), {}, 0, FieldRegistry::Clear);
    m_state.Registry.reset();
    if (m_opener) {
        m_opener->UnloadCtl();
        m_opener->parkElementsZero();
    }
    removeRuntimeControls();
    m_state.RegisterWindow(QStringLiteral("MDIMain"), false);
    m_state.EraseGlobals();
}

void MDIMain::closeListedWindows()
{
    for (const char *name : {"ToolBox", "PropertyBox", "HistoryControl", "PrintPreview"}) {
        const QString window = QString::fromLatin1(name);
        if (!m_state.IsWindowOpen(window))
            continue;
        QWidget *w = findChild<QWidget *>(window);
        if (!w)
            for (QWidget *top : QApplication::topLevelWidgets())
                if (top->objectName() == window)
                    w = top;
        if (w) {
            w->hide();
            w->close();
        }
        // A window that did not take itself off the list is taken off here.
        m_state.RegisterWindow(window, false);
    }
}

void MDIMain::removeRuntimeControls()
{
    // Toolbar, tree, bill surface, top ruler, status bar, splitter.
    delete m_toolBar;
    m_toolBar = nullptr;
    delete m_tree;
    m_tree = nullptr;
    delete m_surface;
    m_surface = nullptr;
    delete m_rulerTop;
    m_rulerTop = nullptr;
    m_panels.fill(nullptr);
    delete m_statusBar;
    m_statusBar = nullptr;
    delete m_splitter;
    m_splitter = nullptr;
}
