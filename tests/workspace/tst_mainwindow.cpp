// The main window on a temporary database: tree, opening templates, the
// print button, view toggles, splitter and shutdown.
#include "testdb.h"

#include "core/appstate.h"
#include "core/database.h"
#include "core/templatemanager.h"
#include "app/toolbox.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/mdimain.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include "core/units.h"
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <memory>

using testdb::Row;

namespace {

// Closes the next message box and hands back its title and text.
struct MessageCatcher {
    QString title;
    QString text;
    void arm()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    void poll()
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->close();
            return;
        }
        QTimer::singleShot(10, [this] { poll(); });
    }
};

QTreeWidgetItem *nodeByText(TemplateTree *tree, const QString &text)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == text)
            return *it;
    return nullptr;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadBuildsPanesAndMenus();
    void treeFromRows_data();
    void treeFromRows();
    void nodeClickRecordsSelection();
    void printNeedsASelection();
    void openingCreatesControls();
    void billWithoutSizeKeepsPreviousSize();
    void designOpeningDisablesAndFrames();
    void openingStopsOnBadRowsWithoutCrash_data();
    void openingStopsOnBadRowsWithoutCrash();
    void templateGoneElsewhere_data();
    void templateGoneElsewhere();
    void damagedDatabaseSaysSo();
    void unloadCtlLeavesOnlyElementsZero();
    void viewTogglesRelayout();
    void splitterDragStopsAtLimit();
    void scrollingMovesBillAndFrame();
    void toolBoxFromViewMenu();
    void shutdownClosesToolBoxAndDatabase();
    void helpOpensShippedPages();

private:
    void makeDatabase(const std::function<bool(QSqlDatabase &)> &extra = {});
    void openWindow();
    void doubleClick(const QString &text);
    // The text of the "注意" box over the window, once it shows; empty when
    // none shows. The box is closed.
    QString noticeText();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MDIMain> m_win;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("BillDB.db"));
    m_state = std::make_unique<AppState>();
}

void TestMainWindow::cleanup()
{
    m_win.reset();
    CloseDatabase(*m_state);
    m_state.reset();
    m_dir.reset();
}

void TestMainWindow::makeDatabase(const std::function<bool(QSqlDatabase &)> &extra)
{
    const bool ok = testdb::build(m_path, [&](QSqlDatabase &db) {
        using testdb::exec;
        bool good = testdb::createSchema(db)
                    && exec(db, "INSERT INTO \"AppInfo\" VALUES('appTitle','测试票据')")
                    && exec(db, "INSERT INTO \"AppInfo\" VALUES('appHomePage','www.example.cn')")
                    && exec(db, "INSERT INTO \"ClassList\" VALUES(1,'支票')")
                    && exec(db, "INSERT INTO \"ClassList\" VALUES(2,'进账单')")
                    && exec(db, "INSERT INTO \"BillList\" VALUES(1,'转账支票',1)")
                    && exec(db, "INSERT INTO \"BillList\" VALUES(2,'现金支票',1)")
                    && exec(db, "INSERT INTO \"BillList\" VALUES(3,'坏模板',2)")
                    && exec(db, "INSERT INTO \"BillList\" VALUES(4,'缺表',2)")
                    && testdb::addMenuRows(db, "mViewSub",
                                           {{"工具栏", "是"}, {"目录", "是"}, {"控件箱", "是"},
                                            {"-", "否"}, {"状态栏", "是"}, {"-", "否"},
                                            {"历史", "是"}})
                    && testdb::addMenuRows(db, "mHelpSub", {{"帮助", "是"}, {"关于", "是"}})
                    && testdb::addMenuRows(db, "tvPopupMenuS",
                                           {{"刷新", "是"}, {"隐藏", QVariant()}})
                    && testdb::addTemplateTable(db, "支票_转账支票", testdb::sampleTemplate())
                    && testdb::addTemplateTable(db, "支票_现金支票",
                                                {{"00000000", 0, "票据", "现金支票"},
                                                 {"00104001", 0, "标签", "付款"},
                                                 {"00104001", 1, "左", "100"}})
                    && testdb::addTemplateTable(db, "进账单_坏模板",
                                                {{"00000000", 0, "票据", "坏"},
                                                 {"00104001", 0, "标签", "好"},
                                                 {"00104001", 1, "左", "100"},
                                                 {"00207002", 0, "文本", "坏"},
                                                 {"00207002", 1, "左", "一百"}})
                    && exec(db, "INSERT INTO \"BillList\" VALUES(5,'远模板',2)")
                    && testdb::addTemplateTable(db, "进账单_远模板",
                                                {{"00000000", 0, "票据", "远"},
                                                 {"00104001", 0, "标签", "好"},
                                                 {"00104001", 1, "左", "100"},
                                                 {"00207002", 0, "文本", "远"},
                                                 {"00207002", 1, "左", "2147483600"}})
                    && exec(db, "INSERT INTO \"BillList\" VALUES(6,'宽栏模板',2)")
                    && testdb::addTemplateTable(db, "进账单_宽栏模板",
                                                {{"00000000", 0, "票据", "宽栏"},
                                                 {"00104001", 0, "标签", "好"},
                                                 {"00104001", 1, "左", "100"},
                                                 {"00208002", 0, "金额", "宽栏"},
                                                 {"00208002", 1, "左", "100"},
                                                 {"00208002", 2, "上", "100"},
                                                 {"00208002", 23, "列宽", "99999999999"}});
        return good && (!extra || extra(db));
    });
    QVERIFY(ok);
}

void TestMainWindow::openWindow()
{
    StartUp(*m_state, m_path, m_dir->path());
    QVERIFY2(m_state->DatabaseError.isEmpty(), qPrintable(m_state->DatabaseError));
    m_win = std::make_unique<MDIMain>(*m_state);
    m_win->resize(900, 600);
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
}

QString TestMainWindow::noticeText()
{
    QMessageBox *box = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        for (QMessageBox *b : m_win->findChildren<QMessageBox *>())
            if (b->isVisible())
                box = b;
        return box != nullptr;
    }, 2000);
    if (!shown)
        return {};
    const QString text = box->windowTitle() + QLatin1Char(':') + box->text();
    box->close();
    return text;
}

void TestMainWindow::doubleClick(const QString &text)
{
    QTreeWidgetItem *item = nodeByText(m_win->tree(), text);
    QVERIFY(item);
    m_win->tree()->setCurrentItem(item);
    m_win->TreeViewCtl_NodeClick();
    m_win->TreeViewCtl_DblClick();
}

void TestMainWindow::loadBuildsPanesAndMenus()
{
    makeDatabase();
    openWindow();
    QCOMPARE(m_win->windowTitle(), QStringLiteral("测试票据"));
    for (const char *name : {"ToolBarCtl", "StatusBarCtl", "TreeViewCtl", "PictureCtlT",
                             "PictureCtlD", "PictureCtlL", "HScrollBarCtl", "VScrollBarCtl"})
        QVERIFY2(m_win->findChild<QWidget *>(QLatin1String(name)), name);
    QCOMPARE(m_state->OpenWindows, QStringList{QStringLiteral("MDIMain")});
    QCOMPARE(m_win->statusPanel(6)->text(), QStringLiteral("www.example.cn"));
    QCOMPARE(m_win->statusPanel(2)->objectName(), QStringLiteral("Num"));

    MenuHost &m = m_win->menus();
    QCOMPARE(m.group(MenuHost::View).items.size(), 7);
    QVERIFY(m.item(MenuHost::View, 0)->isChecked());
    QVERIFY(m.item(MenuHost::View, 1)->isChecked());
    QVERIFY(m.item(MenuHost::View, 4)->isChecked()); // more than six view items
    QVERIFY(!m.item(MenuHost::View, 3)->isVisible());
    QVERIFY(!m.item(MenuHost::Popup, 1)->isVisible()); // Null value hides
    QVERIFY(!m.group(MenuHost::File).menu->menuAction()->isVisible());
    QVERIFY(m.group(MenuHost::View).menu->menuAction()->isVisible());

    // Bill at the default size, laid out right of the splitter below the ruler.
    QCOMPARE(m_state->BillRect[2], 12758);
    QCOMPARE(m_win->splitterPosition(), m_win->treeFitWidth());
    QCOMPARE(m_state->BillRect[0], m_win->splitterPosition() + 200);
    QVERIFY(m_win->surface()->isHidden());
}

void TestMainWindow::treeFromRows_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QStringList>("expected"); // "class" or "class/template", tree order
    QTest::addColumn<QString>("leftOut");      // what the "注意" box names, or "" for no box

    const QStringList complete{"支票", "支票/转账支票", "支票/现金支票", "进账单", "进账单/坏模板",
                               "进账单/缺表", "进账单/远模板", "进账单/宽栏模板"};
    QTest::newRow("complete") << QStringList{} << complete << "";
    // A row without number or name is left out and named; the rest shows.
    QTest::newRow("class without name")
        << QStringList{"INSERT INTO \"ClassList\" VALUES(3,NULL)"} << complete << "cKey=3, cName=NULL";
    QTest::newRow("class without number")
        << QStringList{"INSERT INTO \"ClassList\" VALUES(NULL,'无号')"} << complete << "cKey=NULL, cName=无号";
    QTest::newRow("class number not a number")
        << QStringList{"INSERT INTO \"ClassList\" VALUES('三','字号')"} << complete << "cKey=三";
    QTest::newRow("template without name")
        << QStringList{"INSERT INTO \"BillList\" VALUES(9,NULL,1)"} << complete << "bKey=9, bName=NULL";
    QTest::newRow("template class not a number")
        << QStringList{"INSERT INTO \"BillList\" VALUES(9,'坏类号','x')"} << complete << "cKey=x";
    QTest::newRow("template of no class")
        << QStringList{"INSERT INTO \"BillList\" VALUES(9,'孤儿',7)"} << complete << "";
}

void TestMainWindow::treeFromRows()
{
    QFETCH(QStringList, statements);
    makeDatabase([&](QSqlDatabase &db) {
        for (const QString &s : statements)
            if (!testdb::exec(db, s))
                return false;
        return true;
    });
    openWindow();
    QStringList seen;
    for (QTreeWidgetItemIterator it(m_win->tree()); *it; ++it)
        seen << ((*it)->parent() ? (*it)->parent()->text(0) + "/" + (*it)->text(0) : (*it)->text(0));
    QFETCH(QStringList, expected);
    QCOMPARE(seen, expected);
    QFETCH(QString, leftOut);
    const QString notice = noticeText();
    if (leftOut.isEmpty())
        QVERIFY2(notice.isEmpty(), qPrintable(notice));
    else
        QVERIFY2(notice.startsWith(QStringLiteral("注意:")) && notice.contains(leftOut), qPrintable(notice));
}

void TestMainWindow::nodeClickRecordsSelection()
{
    makeDatabase();
    openWindow();
    TemplateTree *tree = m_win->tree();
    tree->setCurrentItem(nodeByText(tree, "现金支票"));
    m_win->TreeViewCtl_NodeClick();
    QCOMPARE(m_state->SelectedBill.key, QStringLiteral("bKey2"));
    QCOMPARE(m_state->SelectedBill.text, QStringLiteral("现金支票"));
    QCOMPARE(m_state->SelectedBill.index, 4); // classes first, then templates
    QCOMPARE(m_state->SelectedClass.key, QStringLiteral("cKey1"));
    QCOMPARE(m_state->SelectedClass.index, 1);

    tree->setCurrentItem(nodeByText(tree, "进账单"));
    m_win->TreeViewCtl_NodeClick();
    QCOMPARE(m_state->SelectedClass.text, QStringLiteral("进账单"));
    QVERIFY(m_state->SelectedBill.key.isEmpty());
    // A double click on a class opens nothing.
    m_win->TreeViewCtl_DblClick();
    QVERIFY(m_state->Registry.isEmpty());
}

void TestMainWindow::printNeedsASelection()
{
    makeDatabase();
    openWindow();
    QSignalSpy print(m_win.get(), &MDIMain::printRequested);
    QAction *printButton = ToolBarCls::button(m_win->toolBarCtl(), 1);
    QCOMPARE(printButton->text(), QStringLiteral("打印"));

    MessageCatcher catcher;
    catcher.arm();
    printButton->trigger();
    QCOMPARE(catcher.title, QStringLiteral("注意"));
    QCOMPARE(catcher.text, QStringLiteral("未选中要打印的票据！"));
    QCOMPARE(print.count(), 0);

    // A class node selected: still no bill to print.
    m_win->tree()->setCurrentItem(nodeByText(m_win->tree(), "支票"));
    m_win->TreeViewCtl_NodeClick();
    catcher.arm();
    printButton->trigger();
    QCOMPARE(catcher.text, QStringLiteral("未选中要打印的票据！"));
    QCOMPARE(print.count(), 0);

    // A bill open: it prints, whatever node is clicked since.
    doubleClick("转账支票");
    m_win->tree()->setCurrentItem(nodeByText(m_win->tree(), "支票"));
    m_win->TreeViewCtl_NodeClick();
    printButton->trigger();
    QCOMPARE(print.count(), 1);
    QVERIFY(m_state->Bill.isOpen());
    QCOMPARE(m_state->Bill.billTemplate().table(), QStringLiteral("支票_转账支票"));
}

void TestMainWindow::openingCreatesControls()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    FieldControls &c = m_win->controls();
    QVERIFY(m_win->surface()->isVisible());
    QCOMPARE(m_win->surface()->backColor(), 16777215u);
    QCOMPARE(m_win->surface()->tag(), QStringLiteral("00000000"));
    QCOMPARE(m_state->BillRect[2], 12000);
    QCOMPARE(m_state->BillRect[3], 5000);
    QCOMPARE(m_win->surface()->size(), QSize(800, 333));
    QCOMPARE(c.frames.at(0)->twipsRect().size(), QSize(12100, 5100));
    QCOMPARE(m_state->CurrentKey, QStringLiteral("00000000"));

    LabelCtl *label = c.labels.at(1);
    QVERIFY(label);
    QCOMPARE(label->parentWidget(), m_win->billSurface());
    QCOMPARE(label->UserGetLabelCaption(), QStringLiteral("收款人"));
    QCOMPARE(label->toolTip(), QStringLiteral("收款人"));
    QCOMPARE(label->geometry(), QRect(20, 30, 100, 20));
    QCOMPARE(opening::controlTwips(label), QRect(300, 450, 1500, 300));
    QCOMPARE(opening::controlTag(label), QStringLiteral("00104001"));
    QVERIFY(label->isVisible());

    MoneyCtl *money = c.moneys.at(2);
    QVERIFY(money);
    QVERIFY(c.moneys.at(1) == nullptr); // only the indexes the template names
    QCOMPARE(money->UserGetMoneyCount(), 4);  // up to "十"
    QCOMPARE(money->UserGetMoneyColX().mid(0, 3), (QList<int>{900, 600, 300}));
    QVERIFY(money->TxtCol(0)->isEnabled());

    DesignCtl *frame = c.frames.at(2);
    QVERIFY(frame);
    QCOMPARE(frame->tag(), QStringLiteral("00208002"));
    QCOMPARE(frame->twipsRect(), QRect(6000, 1050, 3100, 505));
    QVERIFY(frame->isHidden());

    QCOMPARE(c.texts.at(1)->toolTip(), QStringLiteral("用途"));
    QCOMPARE(c.dates.at(1)->toolTip(), QStringLiteral("出票日期"));
    QCOMPARE(c.checks.at(1)->UserGetCheckCaption(), QStringLiteral("现金"));
    QVERIFY(c.texts.at(1)->isLive());
}

void TestMainWindow::billWithoutSizeKeepsPreviousSize()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    QCOMPARE(m_state->BillRect[2], 12000);
    doubleClick("现金支票");
    QCOMPARE(m_state->BillRect[2], 12000);
    QCOMPARE(m_state->BillRect[3], 5000);
    QVERIFY(m_win->controls().moneys.at(2) == nullptr); // the previous bill's fields are gone
    QCOMPARE(m_win->controls().labels.at(1)->UserGetLabelCaption(), QStringLiteral("付款"));
}

void TestMainWindow::designOpeningDisablesAndFrames()
{
    makeDatabase();
    openWindow();
    m_win->tree()->setCurrentItem(nodeByText(m_win->tree(), "转账支票"));
    m_win->TreeViewCtl_NodeClick();
    m_win->EnterDesignLook();
    QVERIFY(!ToolBarCls::button(m_win->toolBarCtl(), 1)->isVisible());
    m_state->DesignMode = 1;
    m_win->ReadAddCtl(QStringLiteral("支票_转账支票"), 1);
    FieldControls &c = m_win->controls();
    QVERIFY(!c.labels.at(1)->isLive());
    QVERIFY(!c.moneys.at(2)->TxtCol(0)->isEnabled());
    for (int slot = 0; slot <= 5; ++slot)
        QVERIFY2(c.frames.at(slot)->isVisible(), qPrintable(QString::number(slot)));
    // A double click in design mode opens nothing.
    m_win->TreeViewCtl_DblClick();
    QVERIFY(c.frames.at(3)->isVisible());

    m_state->DesignMode = 0;
    m_win->EnterFillMode();
    QVERIFY(c.labels.at(1)->isLive());
    QVERIFY(c.frames.at(3)->isHidden());
    QVERIFY(ToolBarCls::button(m_win->toolBarCtl(), 1)->isVisible());
}

void TestMainWindow::openingStopsOnBadRowsWithoutCrash_data()
{
    QTest::addColumn<QString>("bill");
    QTest::addColumn<bool>("labelMade");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing table") << "缺表" << false << "模板“进账单_缺表”已不在数据库中";
    // Checked whole before any control is made: nothing half-opened.
    QTest::newRow("position not a number") << "坏模板" << false << "“一百”";
    // Places far beyond any paper would overflow the layout: refused.
    QTest::newRow("position beyond the bounds") << "远模板" << false << "“2147483600”";
    QTest::newRow("money column beyond the bounds") << "宽栏模板" << false << "“99999999999”";
}

void TestMainWindow::openingStopsOnBadRowsWithoutCrash()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    QFETCH(QString, bill);
    doubleClick(bill);
    QVERIFY(m_win->surface()->isHidden());
    QVERIFY(!m_win->opener().lastError().isEmpty());
    // The clerk is told why, not only the log.
    QFETCH(QString, why);
    const QString notice = noticeText();
    QVERIFY2(notice.startsWith(QStringLiteral("注意:")) && notice.contains(why), qPrintable(notice));
    QFETCH(bool, labelMade);
    QCOMPARE(m_win->controls().labels.at(1) != nullptr, labelMade);
    // The next opening works as usual.
    doubleClick("转账支票");
    QVERIFY(m_win->surface()->isVisible());
    QVERIFY(m_win->opener().lastError().isEmpty());
}

void TestMainWindow::templateGoneElsewhere_data()
{
    QTest::addColumn<QString>("renamedTo"); // empty: deleted
    QTest::newRow("renamed") << "现金支票（新）";
    QTest::newRow("deleted") << "";
}

// Another workstation renames or deletes a template after this window
// listed it: opening it says so in Chinese, and the tree shows the
// templates as they are now.
void TestMainWindow::templateGoneElsewhere()
{
    QFETCH(QString, renamedTo);
    makeDatabase();
    openWindow();
    {
        AppState other;
        QCOMPARE(OpenDatabase(other, m_path), 0);
        const TemplateManager m(other.DbConnection);
        const TemplateRef cash{QStringLiteral("支票"), QStringLiteral("现金支票")};
        QVERIFY(renamedTo.isEmpty() ? m.deleteTemplate(cash, TemplateManager::Removal::DropAll).ok()
                                    : m.renameTemplate(cash, renamedTo).ok());
        CloseDatabase(other);
    }
    TemplateTree *tree = m_win->tree();
    QTreeWidgetItem *stale = nodeByText(tree, QStringLiteral("现金支票"));
    QVERIFY(stale);
    stale->parent()->setExpanded(true);
    tree->scrollToItem(stale);
    const QPoint at = tree->visualItemRect(stale).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    const QString notice = noticeText();
    QVERIFY2(notice.startsWith(QStringLiteral("注意:模板“支票_现金支票”已不在数据库中")), qPrintable(notice));
    QVERIFY(m_win->surface()->isHidden());
    QVERIFY(!nodeByText(tree, QStringLiteral("现金支票")));
    QCOMPARE(nodeByText(tree, renamedTo) != nullptr, !renamedTo.isEmpty());
    QVERIFY(nodeByText(tree, QStringLiteral("转账支票"))->parent()->isExpanded());
    QCOMPARE(m_state->SelectedBill.text, QString());
}

// A page of random bytes in the middle of the file: the window says the
// file is damaged instead of showing an empty tree.
void TestMainWindow::damagedDatabaseSaysSo()
{
    makeDatabase();
    {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 pages = f.size() / 4096;
        QVERIFY(pages >= 3);
        f.seek(pages / 2 * 4096);
        QByteArray noise(4096, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        f.write(noise);
    }
    StartUp(*m_state, m_path, m_dir->path());
    QVERIFY(m_state->DbConnection.isEmpty());
    QVERIFY(m_state->DatabaseDamaged);
    m_win = std::make_unique<MDIMain>(*m_state);
    m_win->show();
    const QString notice = noticeText();
    QVERIFY2(notice.contains(QStringLiteral("已损坏")) && notice.contains(m_path), qPrintable(notice));
}

void TestMainWindow::unloadCtlLeavesOnlyElementsZero()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    FieldControls &c = m_win->controls();
    c.texts.at(0)->UserSetTextBox(QStringLiteral("残留"));
    m_win->UnloadCtl();
    QCOMPARE(c.labels.count(), 1);
    QCOMPARE(c.moneys.count(), 1);
    QCOMPARE(c.frames.count(), 1);
    QVERIFY(c.texts.at(0)->UserGetTextAll().isEmpty());
    QVERIFY(c.frames.at(0)->isHidden());
    QVERIFY(c.labels.at(0)->isHidden());
    QVERIFY(m_win->surface()->isHidden());
    QVERIFY(!m_state->Registry.isEmpty()); // callers empty the registry themselves
}

void TestMainWindow::viewTogglesRelayout()
{
    makeDatabase();
    openWindow();
    const int th = m_win->ToolBarSize[1];
    QVERIFY(th > 0);
    m_win->mViewSub_Click(MDIMain::ViewToolBar);
    QVERIFY(m_win->toolBarCtl()->isHidden());
    QVERIFY(!m_win->menus().item(MenuHost::View, 0)->isChecked());
    QCOMPARE(m_win->ToolBarSize[1], 0);
    QCOMPARE(m_win->lastLayout().bill.top, 200);

    m_win->mViewSub_Click(MDIMain::ViewTree);
    QVERIFY(m_win->tree()->isHidden());
    QCOMPARE(m_state->BillRect[0], 200);
    QCOMPARE(m_win->splitter()->cursor().shape(), Qt::ArrowCursor);
    m_win->mViewSub_Click(MDIMain::ViewTree);
    QCOMPARE(m_state->BillRect[0], m_state->SplitterLeft + 200);

    m_win->mViewSub_Click(MDIMain::ViewStatusBar);
    QVERIFY(m_win->statusBarCtl()->isHidden());
    QCOMPARE(m_win->StatusBarSize[1], 0);
    m_win->mViewSub_Click(MDIMain::ViewToolBar);
    QVERIFY(m_win->menus().item(MenuHost::View, 0)->isChecked());
    QVERIFY(m_win->ToolBarSize[1] > 0);
}

void TestMainWindow::splitterDragStopsAtLimit()
{
    makeDatabase();
    openWindow();
    RulerBox *splitter = m_win->splitter();
    const int start = m_win->splitterPosition();
    const int toLimit = units::twipsToPixels(1000 - start) - 20; // past the limit
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(5, 50));
    QCOMPARE(m_win->SplitterDrag, qint16(1));
    QTest::mouseMove(splitter, QPoint(toLimit, 50));
    QCOMPARE(m_win->splitterPosition(), 1000);
    QTest::mouseMove(splitter, QPoint(40, 50));
    QCOMPARE(m_win->splitterPosition(), 1600);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(40, 50));
    QCOMPARE(m_win->SplitterDrag, qint16(0));
    QCOMPARE(m_state->SplitterLeft, 1600);
    QCOMPARE(m_state->BillRect[0], 1800);
    QCOMPARE(m_win->tree()->width(), units::twipsToPixels(1600));
    // Once dragged, the splitter stays where the user put it.
    m_win->resize(1000, 640);
    QTRY_COMPARE(m_win->ClientSize[0], int(units::pixelsToTwips(m_win->centralWidget()->width())));
    QCOMPARE(m_win->splitterPosition(), 1600);

    // With the tree hidden the splitter does not drag.
    m_win->mViewSub_Click(MDIMain::ViewTree);
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(5, 50));
    QCOMPARE(m_win->SplitterDrag, qint16(0));
}

void TestMainWindow::scrollingMovesBillAndFrame()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    m_win->resize(500, 300);
    QTRY_VERIFY(m_win->hScrollBar()->isVisible());
    QVERIFY(m_win->vScrollBar()->isVisible());
    const layout::PanePlan plan = m_win->lastLayout();
    QCOMPARE(plan.hbar.minimum, m_win->splitterPosition() + 200);
    QVERIFY(plan.hbar.maximum < 0);

    // Positions in the client, where the layout counts them.
    QWidget *client = m_win->centralWidget();
    const auto at = [client](QWidget *w) { return w->mapTo(client, QPoint(0, 0)); };
    const int start = plan.hbar.minimum;
    QScrollBar *h = m_win->hScrollBar();
    h->setValue(h->maximum());
    QCOMPARE(m_state->BillRect[0], plan.hbar.maximum);
    QCOMPARE(m_win->controls().frames.at(0)->twipsLeft(), plan.hbar.maximum - start);
    QCOMPARE(at(m_win->surface()).x(), units::twipsToPixels(plan.hbar.maximum));

    QScrollBar *v = m_win->vScrollBar();
    const int topBefore = at(m_win->surface()).y();
    v->setValue(v->maximum());
    QCOMPARE(at(m_win->surface()).y(), topBefore + units::twipsToPixels(plan.vbar.maximum));
    QCOMPARE(m_state->BillRect[1], plan.bill.top); // scrolling leaves the recorded top

    // Laying out again puts the bars back to their start.
    m_win->resize(640, 320);
    QTRY_COMPARE(m_state->BillRect[0], m_win->splitterPosition() + 200);
    QCOMPARE(at(m_win->surface()).y(), topBefore);
}

void TestMainWindow::toolBoxFromViewMenu()
{
    makeDatabase();
    openWindow();
    QSignalSpy lines(m_win.get(), &MDIMain::guideLinesRequested);
    m_win->mViewSub_Click(MDIMain::ViewToolBox);
    ToolBox *box = m_win->toolBox();
    QVERIFY(box);
    QVERIFY(m_state->IsWindowOpen(QStringLiteral("ToolBox")));
    QCOMPARE(m_state->CurrentTool, qint16(1));
    QVERIFY(m_win->menus().item(MenuHost::View, 2)->isChecked());

    box->button(8)->trigger();
    QCOMPARE(m_state->CurrentTool, qint16(8));
    QCOMPARE(box->windowTitle(), ToolBox::toolCaption(8));
    QCOMPARE(lines.takeLast().at(0).toInt(), 2);
    box->button(1)->trigger();
    QCOMPARE(lines.takeLast().at(0).toInt(), 0);

    // The fill-in look closes the tool box.
    m_win->EnterFillMode();
    QTRY_VERIFY(!m_win->toolBox());
    QVERIFY(!m_state->IsWindowOpen(QStringLiteral("ToolBox")));
    QCOMPARE(m_state->CurrentTool, qint16(0));
    QVERIFY(!m_win->menus().item(MenuHost::View, 2)->isChecked());
}

void TestMainWindow::shutdownClosesToolBoxAndDatabase()
{
    makeDatabase();
    openWindow();
    doubleClick("转账支票");
    m_win->mViewSub_Click(MDIMain::ViewToolBox);
    QPointer<ToolBox> box = m_win->toolBox();
    QVERIFY(box);
    ToolBarCls::button(m_win->toolBarCtl(), 2)->trigger(); // 退出
    QVERIFY(box.isNull() || !box->isVisible());
    QVERIFY(m_state->OpenWindows.isEmpty());
    QVERIFY(m_state->DbConnection.isEmpty());
    QVERIFY(m_state->Registry.isEmpty());
    QVERIFY(m_state->MenuNames.isEmpty());
    QVERIFY(!m_win->isVisible());
    QVERIFY(!m_win->billSurface());
    QVERIFY(m_win->controls().labels.at(0)); // element 0 survives the surface
    QCOMPARE(m_win->controls().labels.count(), 1);
}

void TestMainWindow::helpOpensShippedPages()
{
    makeDatabase();
    openWindow();
    m_win->mHelpSub_Click(MDIMain::HelpFile);
    HelpViewer *help = m_win->helpViewer();
    QVERIFY(help && help->isVisible());
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("打开票据")));
    for (const char *page : {"open", "fill", "print", "design"}) {
        help->showPage(QUrl(QStringLiteral("qrc:/help/%1.html").arg(QLatin1String(page))));
        QVERIFY2(help->browser()->toPlainText().size() > 100, page);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
