// Menus from the interface texts, the main toolbar and the tool box.
#include "../workspace/testdb.h"

#include "core/appstate.h"
#include "core/database.h"
#include "app/mainmenu.h"
#include "app/toolbox.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

class TestMainMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void itemsFromRowsInTypeOrder();
    void countsEveryGroup();
    void unsizedNamesDoNothing();
    void otherLevelsDoNothing();
    void yesValues_data();
    void yesValues();
    void toolbarButtons();
    void toolBoxLifecycle();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<QMainWindow> m_window;
    MenuHost m_host;
};

void TestMainMenu::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(QStringLiteral("menus.db"));
    QVERIFY(testdb::build(path, [](QSqlDatabase &db) {
        using testdb::exec;
        const QString insert = QStringLiteral("INSERT INTO \"LanguageSet\" VALUES(?,?,?,?)");
        // Help rows stored out of order; one Null value.
        return testdb::createSchema(db)
               && exec(db, insert, {"mHelpSub", 2, "网站", "是"})
               && exec(db, insert, {"mHelpSub", 0, "帮助主题", "是"})
               && exec(db, insert, {"mHelpSub", 1, "关于", QVariant()})
               && exec(db, insert, {"mViewSub", 0, "工具栏", "是"})
               && exec(db, insert, {"mViewSub", 1, "目录", "否"})
               && exec(db, insert, {"mFileSub", 0, "文件", QVariant()})
               && exec(db, insert, {"tvPopupMenuS", 0, "设计", "True"});
    }));
    m_state = std::make_unique<AppState>();
    QCOMPARE(OpenDatabase(*m_state, path), 0);
    m_state->InitMenuNames();
    m_window = std::make_unique<QMainWindow>();
    m_host = createMenuHost(m_window->menuBar(), m_window.get());
}

void TestMainMenu::cleanup()
{
    m_window.reset();
    CloseDatabase(*m_state);
    m_state.reset();
}

void TestMainMenu::itemsFromRowsInTypeOrder()
{
    MainMenuCls menus(*m_state);
    QCOMPARE(menus.MenuAdd(m_host), 0);
    QCOMPARE(menus.MenuShow(1, m_host), 0);
    const QList<QAction *> &help = m_host.group(MenuHost::Help).items;
    QCOMPARE(help.size(), 3);
    QCOMPARE(help.at(0)->text(), QStringLiteral("帮助主题"));
    QCOMPARE(help.at(1)->text(), QStringLiteral("关于"));
    QCOMPARE(help.at(2)->text(), QStringLiteral("网站"));
    QVERIFY(help.at(0)->isVisible());
    QVERIFY(!help.at(1)->isVisible()); // Null hides
    QVERIFY(help.at(2)->isVisible());
    QVERIFY(!m_host.item(MenuHost::View, 1)->isVisible());
    QCOMPARE(m_host.group(MenuHost::Help).menu->actions().size(), 3);

    // Menus whose items do not come from the texts keep their one item and
    // stay hidden.
    QCOMPARE(m_host.group(MenuHost::File).items.size(), 1);
    QCOMPARE(m_host.item(MenuHost::File, 0)->text(), QStringLiteral("文件子"));
    QVERIFY(!m_host.group(MenuHost::File).menu->menuAction()->isVisible());
    QVERIFY(!m_host.group(MenuHost::Setup).menu->menuAction()->isVisible());
    QVERIFY(m_host.group(MenuHost::Help).menu->menuAction()->isVisible());
    QCOMPARE(m_host.group(MenuHost::Popup).menu->title(), QStringLiteral("目录菜单"));
}

void TestMainMenu::countsEveryGroup()
{
    MainMenuCls menus(*m_state);
    QCOMPARE(menus.MenuAdd(m_host), 0);
    QCOMPARE(m_state->MenuCounts, (QList<qint16>{1, 0, 0, 0, 2, 0, 3, 1}));
    // A group without rows keeps its item 0.
    QCOMPARE(m_host.group(MenuHost::Setup).items.size(), 1);
}

void TestMainMenu::unsizedNamesDoNothing()
{
    m_state->MenuNames.clear();
    m_state->MenuCounts.clear();
    MainMenuCls menus(*m_state);
    QCOMPARE(menus.MenuAdd(m_host), 0);
    QCOMPARE(m_host.group(MenuHost::Help).items.size(), 1);
}

void TestMainMenu::otherLevelsDoNothing()
{
    MainMenuCls menus(*m_state);
    QCOMPARE(menus.MenuAdd(m_host), 0);
    QCOMPARE(menus.MenuShow(2, m_host), 0);
    QCOMPARE(m_host.item(MenuHost::Help, 0)->text(), QStringLiteral("帮助子"));
    QCOMPARE(m_host.item(MenuHost::Help, 1)->text(), QString());
}

void TestMainMenu::yesValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("yes");
    QTest::newRow("是") << "是" << true;
    QTest::newRow("否") << "否" << false;
    QTest::newRow("True") << "True" << true;
    QTest::newRow("false") << "false" << false;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("padded yes") << " yes " << true;
}

void TestMainMenu::yesValues()
{
    QFETCH(QString, value);
    QFETCH(bool, yes);
    QCOMPARE(MainMenuCls::isYes(value), yes);
}

void TestMainMenu::toolbarButtons()
{
    QToolBar bar;
    ToolBarCls::mToolBarAddButtons(&bar);
    QAction *print = ToolBarCls::button(&bar, 1);
    QAction *exit = ToolBarCls::button(&bar, 2);
    QVERIFY(print && exit);
    QCOMPARE(print->objectName(), QStringLiteral("tPrint"));
    QCOMPARE(print->text(), QStringLiteral("打印"));
    QCOMPARE(print->toolTip(), QStringLiteral("打印"));
    QCOMPARE(exit->objectName(), QStringLiteral("tExit"));
    QCOMPARE(exit->text(), QStringLiteral("退出"));
    QVERIFY(!ToolBarCls::button(&bar, 3));

    ToolBarCls::ShowToolButton(&bar, 1, false);
    QVERIFY(!print->isVisible());
    ToolBarCls::ShowToolButton(&bar, 34, false); // out of range: nothing
    QVERIFY(exit->isVisible());
    bar.show();
    ToolBarCls::ShowToolButton(&bar, 0, false);
    QVERIFY(bar.isHidden());
}

void TestMainMenu::toolBoxLifecycle()
{
    auto *box = new ToolBox(*m_state);
    QPointer<ToolBox> alive(box);
    QSignalSpy lines(box, &ToolBox::BillDrawLine);
    QSignalSpy unloaded(box, &ToolBox::unloaded);
    QCOMPARE(box->windowTitle(), QStringLiteral("控件箱"));
    QVERIFY(m_state->IsWindowOpen(QStringLiteral("ToolBox")));
    QCOMPARE(m_state->CurrentTool, qint16(1));
    QVERIFY(box->button(1)->isChecked());
    QVERIFY(!box->button(2) && !box->button(3));

    for (int tool : {4, 5, 6, 7, 8}) {
        box->button(tool)->trigger();
        QCOMPARE(m_state->CurrentTool, qint16(tool));
        QVERIFY(box->button(tool)->isChecked());
        QVERIFY(!box->button(1)->isChecked());
        QCOMPARE(lines.takeLast().at(0).toInt(), 2);
    }
    box->TBButtonsValue(1);
    QVERIFY(box->button(1)->isChecked());

    box->close();
    QTRY_VERIFY(alive.isNull());
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(lines.last().at(0).toInt(), 0);
    QVERIFY(!m_state->IsWindowOpen(QStringLiteral("ToolBox")));
    QCOMPARE(m_state->CurrentTool, qint16(0));
}

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
