// The main window as a clerk sees it, on the shipped database: panes that
// follow the bars at once, a bill that scrolls inside its workspace, a
// readable tree, the CAPS and NUM panels, and the shipped templates.
#include "core/appstate.h"
#include "core/database.h"
#include "core/templatestore.h"
#include "core/units.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/lockkeys.h"
#include "workspace/mdimain.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QToolBar>
#include <memory>

namespace {

QTreeWidgetItem *nodeByText(TemplateTree *tree, const QString &text)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == text)
            return *it;
    return nullptr;
}

// Every field control on the bill surface (element 0 of a set counts when
// the template uses it).
template <class Set>
void addOnSurface(QList<QWidget *> &all, Set &set, const QWidget *surface)
{
    for (int i = 0; i < set.count(); ++i)
        if (set.exists(i) && set.at(i)->parentWidget() == surface && !set.at(i)->isHidden())
            all << set.at(i);
}

QList<QWidget *> fieldControls(FieldControls &c, const QWidget *surface)
{
    QList<QWidget *> all;
    addOnSurface(all, c.labels, surface);
    addOnSurface(all, c.checks, surface);
    addOnSurface(all, c.dates, surface);
    addOnSurface(all, c.texts, surface);
    addOnSurface(all, c.moneys, surface);
    return all;
}

// The control on the surface whose tooltip (the field's name) is `name`.
QWidget *fieldNamed(FieldControls &c, const QWidget *surface, const QString &name)
{
    for (QWidget *w : fieldControls(c, surface))
        if (w->toolTip() == name)
            return w;
    return nullptr;
}

// The lines a caption wraps to in a box `width` pixels wide.
QStringList wrappedLines(const QFont &font, int width, const QString &text)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

} // namespace

class TestWindowLook : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void barTogglesRelayAtOnce_data();
    void barTogglesRelayAtOnce();
    void scrolledBillStaysInItsWorkspace();
    void treeReadable_data();
    void treeReadable();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
    void lockKeyPanelsFollowTheKeyboard();
    void lockKeysUnknownOffscreen();
    void shippedLabelsFitTheirCaptions();
    void chequeWordsLeaveOutPrintedPrefix_data();
    void chequeWordsLeaveOutPrintedPrefix();

private:
    void openWindow(int width, int height);
    // Opens a template as the clerk does: expand, then double-click its node.
    void doubleClick(const QString &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MDIMain> m_win;
};

void TestWindowLook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_state = std::make_unique<AppState>();
}

void TestWindowLook::cleanup()
{
    m_win.reset();
    CloseDatabase(*m_state);
    m_state.reset();
    m_dir.reset();
}

void TestWindowLook::openWindow(int width, int height)
{
    // A fresh default database, as the first start creates it.
    StartUp(*m_state, m_dir->filePath(QStringLiteral("DB/BillDB.db")), m_dir->path());
    QVERIFY2(m_state->DatabaseError.isEmpty(), qPrintable(m_state->DatabaseError));
    m_win = std::make_unique<MDIMain>(*m_state);
    m_win->resize(width, height);
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
}

void TestWindowLook::doubleClick(const QString &text)
{
    TemplateTree *tree = m_win->tree();
    QTreeWidgetItem *item = nodeByText(tree, text);
    QVERIFY2(item, qPrintable(text));
    tree->expandAll();
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    QVERIFY2(m_win->surface()->isVisible(), qPrintable(text));
}

void TestWindowLook::windowFitsTheScreen_data()
{
    QTest::addColumn<QSize>("before");
    QTest::addColumn<bool>("shrinks");
    // The usual size on a large screen stays; one larger than the screen (a
    // high scale factor, a small laptop) is made to fit.
    QTest::newRow("fits") << QSize(400, 300) << false;
    QTest::newRow("too wide") << QSize(4000, 300) << true;
    QTest::newRow("too tall") << QSize(400, 3000) << true;
}

void TestWindowLook::windowFitsTheScreen()
{
    QFETCH(QSize, before);
    QFETCH(bool, shrinks);
    StartUp(*m_state, m_dir->filePath(QStringLiteral("DB/BillDB.db")), m_dir->path());
    m_win = std::make_unique<MDIMain>(*m_state);
    m_win->resize(before);
    m_win->fitToScreen();
    const QRect free = m_win->screen()->availableGeometry();
    if (!shrinks) {
        QCOMPARE(m_win->size(), before);
        return;
    }
    QVERIFY2(free.contains(m_win->geometry()),
             qPrintable(QStringLiteral("%1 not inside %2").arg(QVariant(m_win->geometry()).toString(),
                                                           QVariant(free).toString())));
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
    QVERIFY(m_win->statusBar()->isVisible());
    QVERIFY(free.contains(m_win->statusBar()->mapToGlobal(m_win->statusBar()->rect().bottomRight())));
}

void TestWindowLook::barTogglesRelayAtOnce_data()
{
    QTest::addColumn<int>("item");
    QTest::newRow("toolbar") << int(MDIMain::ViewToolBar);
    QTest::newRow("status bar") << int(MDIMain::ViewStatusBar);
}

void TestWindowLook::barTogglesRelayAtOnce()
{
    QFETCH(int, item);
    openWindow(1000, 640);
    QWidget *client = m_win->centralWidget();
    // Without going back to the event loop, the tree and the splitter reach
    // the client's bottom edge after each click, and the client fills the
    // room the bar left or took.
    for (int click = 0; click < 2; ++click) {
        m_win->mViewSub_Click(item);
        QCOMPARE(m_win->tree()->geometry().bottom(), client->height() - 1);
        QCOMPARE(m_win->splitter()->geometry().bottom(), client->height() - 1);
        QCOMPARE(m_win->tree()->y(), 0);
        const int bars = (m_win->toolBarCtl()->isHidden() ? 0 : m_win->toolBarCtl()->height())
                         + (m_win->statusBarCtl()->isHidden() ? 0 : m_win->statusBarCtl()->height());
        QCOMPARE(client->height() + bars + m_win->menuBar()->height(), m_win->height());
        QCOMPARE(m_win->ClientSize[1], int(units::pixelsToTwips(client->height() + bars)));
    }
}

void TestWindowLook::scrolledBillStaysInItsWorkspace()
{
    openWindow(700, 360);
    doubleClick(QStringLiteral("转账支票"));
    QScrollBar *h = m_win->hScrollBar();
    QScrollBar *v = m_win->vScrollBar();
    QTRY_VERIFY2(h->isVisible() && v->isVisible(),
                 qPrintable(QStringLiteral("window %1x%2, client %3x%4, bill %5x%6")
                                .arg(m_win->width()).arg(m_win->height())
                                .arg(m_win->centralWidget()->width()).arg(m_win->centralWidget()->height())
                                .arg(m_state->BillRect[2]).arg(m_state->BillRect[3])));
    h->setValue(h->maximum());
    v->setValue(v->maximum());

    // The bill lies in the viewport, which shares no pixel with the tree,
    // the splitter or the top ruler.
    QWidget *client = m_win->centralWidget();
    QWidget *view = m_win->billViewport();
    QVERIFY(view->isAncestorOf(m_win->surface()));
    QVERIFY(view->isAncestorOf(m_win->controls().frames.at(0)));
    for (QWidget *pane : {static_cast<QWidget *>(m_win->tree()), static_cast<QWidget *>(m_win->splitter()),
                          static_cast<QWidget *>(m_win->topRuler())})
        QVERIFY2(!view->geometry().intersects(pane->geometry()), qPrintable(pane->objectName()));
    // On screen: none of the tree's or the rulers' pixels show the bill.
    const QImage shot = client->grab().toImage();
    const QColor bill = m_win->surface()->palette().color(QPalette::Window);
    const auto billPixels = [&](const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); y += 2)
            for (int x = r.left(); x <= r.right(); x += 2)
                n += shot.pixelColor(x, y) == bill;
        return n;
    };
    QCOMPARE(billPixels(m_win->tree()->geometry()), 0);
    QCOMPARE(billPixels(m_win->splitter()->geometry()), 0);
    QCOMPARE(billPixels(m_win->topRuler()->geometry().intersected(client->rect())), 0);
    QVERIFY(billPixels(view->geometry()) > 100); // the bill is still seen
    // The top ruler, scrolled with the bill, passes under the tree: the
    // tree's first row is seen whole.
    QVERIFY(m_win->topRuler()->x() < 0);
    const QRect firstRow = m_win->tree()->visualItemRect(m_win->tree()->topLevelItem(0));
    const QPoint inClient = m_win->tree()->viewport()->mapTo(client, firstRow.center());
    QCOMPARE(client->childAt(inClient)->window(), static_cast<QWidget *>(m_win.get()));
    QVERIFY(m_win->tree()->isAncestorOf(client->childAt(inClient)));
}

void TestWindowLook::treeReadable_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("longName");
    QTest::addColumn<bool>("cut"); // wider than a third of the window
    QTest::newRow("shipped names, 1366") << 1366 << QString() << false;
    QTest::newRow("long name, 1366") << 1366 << QStringLiteral("中国工商银行北京分行营业部进账单（回单联）") << false;
    QTest::newRow("long name, 800") << 800 << QStringLiteral("中国工商银行北京分行营业部进账单（回单联）第二联第三联")
                                    << true;
}

void TestWindowLook::treeReadable()
{
    QFETCH(int, width);
    QFETCH(QString, longName);
    QFETCH(bool, cut);
    openWindow(width, 600);
    TemplateTree *tree = m_win->tree();
    // The tree has the window's normal font, not the rulers' small one.
    const QFont normal = QApplication::font(tree);
    QCOMPARE(tree->font().pointSizeF(), normal.pointSizeF());
    QCOMPARE(tree->font().pixelSize(), normal.pixelSize());
    QVERIFY(tree->font().pixelSize() != 10);

    if (!longName.isEmpty()) {
        // A template renamed to a long name; the tree is filled again and
        // the splitter follows its names.
        const int before = m_win->splitterPosition();
        QSqlQuery q(QSqlDatabase::database(m_state->DbConnection));
        QVERIFY(q.prepare(QStringLiteral("UPDATE \"BillList\" SET \"bName\"=? WHERE \"bKey\"=?")));
        q.addBindValue(longName);
        q.addBindValue(1);
        QVERIFY(q.exec());
        QCOMPARE(tree->RefreshTree(TemplateStore(m_state->DbConnection)), 0);
        QTRY_VERIFY(m_win->splitterPosition() > before);
        QCOMPARE(m_win->splitterPosition(), m_win->treeFitWidth());
    }
    tree->expandAll();
    const int third = m_win->centralWidget()->width() / 3;
    QVERIFY(tree->width() <= third + 1);
    QVERIFY(tree->width() >= units::twipsToPixels(1000));
    bool anyCut = false;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QRect r = tree->visualItemRect(*it);
        const int textRight = r.left() + tree->fontMetrics().horizontalAdvance((*it)->text(0));
        const bool cut = textRight > tree->viewport()->width();
        anyCut = anyCut || cut;
        // Only a name wider than a third of the window may be cut.
        if (cut)
            QVERIFY2(tree->width() >= third - 1, qPrintable((*it)->text(0)));
    }
    QCOMPARE(anyCut, cut);
}

void TestWindowLook::lockKeyPanelsFollowTheKeyboard()
{
    openWindow(1000, 640);
    LockKeyState keyboard{false, true};
    m_win->lockKeys()->setSource([&keyboard] { return std::optional<LockKeyState>(keyboard); });
    QLabel *caps = m_win->statusPanel(1);
    QLabel *num = m_win->statusPanel(2);
    QCOMPARE(caps->text(), QStringLiteral("CAPS"));
    QVERIFY(!caps->isEnabled());
    QVERIFY(num->isEnabled());
    QVERIFY(num->toolTip().endsWith(QStringLiteral("开")));

    // Caps Lock pressed in the program: the panel follows as the key comes up.
    keyboard.caps = true;
    QTest::keyClick(m_win->tree(), Qt::Key_CapsLock);
    QTRY_VERIFY_WITH_TIMEOUT(caps->isEnabled(), LockKeyPanels::PollMs / 2);
    // Num Lock switched off while another program had the keyboard.
    keyboard.num = false;
    QTRY_VERIFY(!num->isEnabled());
    QVERIFY(num->toolTip().endsWith(QStringLiteral("关")));
}

void TestWindowLook::lockKeysUnknownOffscreen()
{
    // Without an X server the state is unknown: greyed panels, no crash.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("runs on the offscreen platform");
    QVERIFY(!systemLockKeys()());
    openWindow(1000, 640);
    QVERIFY(!m_win->statusPanel(1)->isEnabled());
    QVERIFY(m_win->statusPanel(1)->toolTip().contains(QStringLiteral("无法读取")));
}

void TestWindowLook::shippedLabelsFitTheirCaptions()
{
    openWindow(1366, 768);
    QStringList templates;
    for (QTreeWidgetItemIterator it(m_win->tree()); *it; ++it)
        if (TemplateTree::nodeKey(*it).startsWith(QLatin1String("bKey")))
            templates << (*it)->text(0);
    QVERIFY(templates.size() >= 5);
    QStringList faults;
    for (const QString &name : std::as_const(templates)) {
        doubleClick(name);
        FieldControls &c = m_win->controls();
        const QList<QWidget *> fields = fieldControls(c, m_win->surface());
        for (QWidget *field : fields) {
            auto *label = qobject_cast<LabelCtl *>(field);
            if (!label)
                continue;
            QLabel *inner = label->labelControl();
            const QString caption = label->UserGetLabelCaption();
            const QFontMetrics fm(inner->font());
            // Whole within the label's own box, on as many lines as it wraps to...
            const QRect box = inner->contentsRect();
            const QRect need = fm.boundingRect(box, int(inner->alignment()) | Qt::TextWordWrap, caption);
            if (need.width() > box.width() || need.height() > box.height())
                faults << QStringLiteral("%1: \"%2\" needs %3x%4 px, has %5x%6")
                              .arg(name, caption)
                              .arg(need.width())
                              .arg(need.height())
                              .arg(box.width())
                              .arg(box.height());
            // ...never breaking inside brackets...
            for (const QString &line : wrappedLines(inner->font(), box.width(), caption))
                if (line.count(QChar(0xFF08)) != line.count(QChar(0xFF09)))
                    faults << QStringLiteral("%1: \"%2\" breaks inside brackets at \"%3\"").arg(name, caption, line);
            // ...and that box clear of every other field.
            for (QWidget *other : fields)
                if (other != label && other->geometry().intersects(label->geometry()))
                    faults << QStringLiteral("%1: \"%2\" runs into %3").arg(name, caption, other->toolTip());
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void TestWindowLook::chequeWordsLeaveOutPrintedPrefix_data()
{
    QTest::addColumn<QString>("cheque");
    QTest::newRow("transfer cheque") << QStringLiteral("转账支票");
    QTest::newRow("cash cheque") << QStringLiteral("现金支票");
}

void TestWindowLook::chequeWordsLeaveOutPrintedPrefix()
{
    QFETCH(QString, cheque);
    openWindow(1366, 768);
    doubleClick(cheque);
    // The money field has eleven columns; 1234.56 starts in the sixth.
    auto *money = qobject_cast<MoneyCtl *>(fieldNamed(m_win->controls(), m_win->surface(), QStringLiteral("小写金额")));
    QVERIFY(money);
    QLineEdit *column = money->TxtCol(5);
    QTest::mouseClick(column, Qt::LeftButton);
    for (const QChar digit : QStringLiteral("123456")) {
        QWidget *typing = m_win->focusWidget();
        QVERIFY(typing);
        QTest::keyClicks(typing, QString(digit));
    }
    QCOMPARE(money->UserGetMoneyNumber(), QStringLiteral("00000123456"));
    // The form prints "人民币" before the box: the words go in alone.
    auto *words = qobject_cast<TextCtl *>(fieldNamed(m_win->controls(), m_win->surface(), QStringLiteral("大写金额")));
    QVERIFY(words);
    QCOMPARE(words->UserGetTextAll(), QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分"));
}

QTEST_MAIN(TestWindowLook)
#include "tst_windowlook.moc"
