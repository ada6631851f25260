// Pane placement arithmetic of the main window.
#include "workspace/layout.h"

#include <QTest>

using namespace layout;

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void horizontalBar_data();
    void horizontalBar();
    void verticalBar_data();
    void verticalBar();
    void panesFollowSplitter();
    void negativeRoomGivesZeroHeight();
    void splitterClamp_data();
    void splitterClamp();
    void reversedRangeThumbMapping();
};

void TestLayout::horizontalBar_data()
{
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("bw");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("largeChange");

    QTest::newRow("bill wider than window") << 10000 << 1000 << 12758 << true << 1200 << 8800
                                            << 1200 << -3958 << 128;
    QTest::newRow("tree hidden") << 10000 << 0 << 12758 << true << 200 << 9800 << 200 << -2958
                                 << 128;
    QTest::newRow("bill fits") << 20000 << 1000 << 12758 << false << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("bill exactly fits") << 13958 << 1000 << 12758 << false << 0 << 0 << 0 << 0
                                       << 0;
    QTest::newRow("bill starts outside window") << 1100 << 1000 << 12758 << false << 0 << 0 << 0
                                                << 0 << 0;
    QTest::newRow("large step rounds half to even") << 1000 << 0 << 1250 << true << 200 << 800
                                                    << 200 << -450 << 12;
}

void TestLayout::horizontalBar()
{
    QFETCH(int, W);
    QFETCH(int, x);
    QFETCH(int, bw);
    const PanePlan p = LayoutPanes({W, 8000, 600, 400, bw, 4536}, x);
    QFETCH(bool, visible);
    QCOMPARE(p.hbar.visible, visible);
    if (!visible)
        return;
    QFETCH(int, left);
    QFETCH(int, width);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, largeChange);
    QCOMPARE(p.hbar.rect, (TwipRect{left, 8000 - 400 - 200, width, 200}));
    QCOMPARE(p.hbar.minimum, minimum);
    QCOMPARE(p.hbar.maximum, maximum);
    QCOMPARE(p.hbar.largeChange, largeChange);
    QCOMPARE(p.hbar.value, minimum);
}

void TestLayout::verticalBar_data()
{
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("H");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("maximum");

    // th 600, sh 400, bill 12758 x 4536
    QTest::newRow("no hbar, bill too tall") << 20000 << 5000 << true << 3800 << -736;
    QTest::newRow("no hbar, bill fits") << 20000 << 5736 << false << 0 << 0;
    QTest::newRow("no hbar, one twip short") << 20000 << 5735 << true << 4535 << -1; // never a rising range
    QTest::newRow("no hbar, no room") << 20000 << 1200 << false << 0 << 0;
    QTest::newRow("hbar, bill too tall") << 10000 << 5000 << true << 3600 << -936;
    QTest::newRow("hbar, fits above the bar") << 10000 << 5936 << false << 0 << 0;
    QTest::newRow("hbar, no room") << 10000 << 1400 << false << 0 << 0;
}

void TestLayout::verticalBar()
{
    QFETCH(int, W);
    QFETCH(int, H);
    const PanePlan p = LayoutPanes({W, H, 600, 400, 12758, 4536}, 1000);
    QFETCH(bool, visible);
    QCOMPARE(p.vbar.visible, visible);
    if (!visible)
        return;
    QFETCH(int, height);
    QFETCH(int, maximum);
    QCOMPARE(p.vbar.rect, (TwipRect{W - 200, 800, 200, height}));
    QCOMPARE(p.vbar.minimum, 0);
    QCOMPARE(p.vbar.maximum, maximum);
    QCOMPARE(p.vbar.largeChange, 45);
    QCOMPARE(p.vbar.value, 0);
}

void TestLayout::panesFollowSplitter()
{
    const PanePlan p = LayoutPanes({10000, 8000, 600, 400, 12758, 4536}, 1500);
    QCOMPARE(p.tree, (TwipRect{0, 600, 1500, 7000}));
    QCOMPARE(p.splitter, (TwipRect{1500, 600, 200, 7000}));
    QCOMPARE(p.topRuler, (TwipRect{1700, 600, 20000, 200}));
    QCOMPARE(p.bill, (TwipRect{1700, 800, 12758, 4536}));
    QCOMPARE(p.rulers.frameLeft, 1500);
    QCOMPARE(p.rulers.frameTop, 600);
    QCOMPARE(p.rulers.topLength, 20000);
    QCOMPARE(p.rulers.sideLength, 7000);
    QCOMPARE(p.rulers.sideShift, 0);

    const PanePlan hidden = LayoutPanes({10000, 8000, 600, 400, 12758, 4536}, 0);
    QCOMPARE(hidden.bill.left, 200);
    QCOMPARE(hidden.tree.width, 0);
}

void TestLayout::negativeRoomGivesZeroHeight()
{
    const PanePlan p = LayoutPanes({10000, 700, 600, 400, 12758, 4536}, 1000);
    QCOMPARE(p.tree.height, 0);
    QCOMPARE(p.splitter.height, 0);
    QCOMPARE(p.rulers.sideLength, -300); // the ruler is told the true length
    QVERIFY(!p.vbar.visible);
}

void TestLayout::splitterClamp_data()
{
    QTest::addColumn<int>("proposed");
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 3000 << 10000 << 3000;
    QTest::newRow("left of the limit") << 400 << 10000 << 1000;
    QTest::newRow("negative") << -50 << 10000 << 1000;
    QTest::newRow("right of the limit") << 9500 << 10000 << 9000;
    QTest::newRow("on the right limit") << 9000 << 10000 << 9000;
    QTest::newRow("window narrower than both margins") << 1500 << 1800 << 800;
}

void TestLayout::splitterClamp()
{
    QFETCH(int, proposed);
    QFETCH(int, W);
    QFETCH(int, expected);
    QCOMPARE(clampSplitter(proposed, W), expected);
}

void TestLayout::reversedRangeThumbMapping()
{
    const PanePlan p = LayoutPanes({10000, 8000, 600, 400, 12758, 4536}, 1000);
    QCOMPARE(thumbRange(p.hbar), 5158);
    QCOMPARE(thumbToValue(p.hbar, 0), 1200);
    QCOMPARE(thumbToValue(p.hbar, 5158), -3958);
    QCOMPARE(valueToThumb(p.hbar, -3958), 5158);
    QCOMPARE(billTopAtScroll(600, 0), 800);
    QCOMPARE(billTopAtScroll(600, -300), 500);
    ScrollBarPlan forward{true, {}, 0, 50, 1, 0};
    QCOMPARE(thumbToValue(forward, 10), 10);
    QCOMPARE(valueToThumb(forward, 10), 10);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
