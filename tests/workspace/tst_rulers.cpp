// Millimetre rulers: the tick table and what lands on the kept drawing.
#include "workspace/rulers.h"

#include <QImage>
#include <QTest>

class TstRulers : public QObject {
    Q_OBJECT

private slots:
    void ticks_data();
    void ticks();
    void labels_data();
    void labels();
    void horizontalDrawing();
    void verticalDrawingFollowsScroll();
    void formRulerStartsBelowOffset();
    void backColourWipesDrawing();
    void drawnBeforeShown();
};

void TstRulers::ticks_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<double>("zoom");

    QTest::newRow("length 0 keeps the zero tick") << 0 << 0 << QList<int>{0} << 1.0;
    QTest::newRow("negative length: nothing") << 0 << -1 << QList<int>{} << 1.0;
    // 283.5 rounds up to 284, 850.5 down to 850 (halves to even).
    QTest::newRow("1000 twips") << 0 << 1000 << QList<int>{0, 284, 567, 850} << 1.0;
    QTest::newRow("shifted start") << 500 << 1000 << QList<int>{500, 784, 1067, 1350} << 1.0;
    QTest::newRow("end exactly on a tick") << 0 << 567 << QList<int>{0, 284, 567} << 1.0;
    QTest::newRow("end just short of a tick") << 0 << 566 << QList<int>{0, 284} << 1.0;
    // A vertical ruler scrolled by -500: 0 lies at 200 - 500 = -300, and
    // -16.5 rounds to -16.
    QTest::newRow("vertical, scrolled") << -300 << 1000 << QList<int>{-300, -16, 267, 550} << 1.0;
    QTest::newRow("odd start, halves") << 1 << 600 << QList<int>{1, 284, 568} << 1.0;
    // Zoomed, 5 mm of the bill lie 283.5 x zoom screen twips apart.
    QTest::newRow("200 %") << 0 << 1200 << QList<int>{0, 567, 1134} << 2.0;
    QTest::newRow("50 %") << 0 << 300 << QList<int>{0, 142, 284} << 0.5;
    QTest::newRow("400 %, scrolled") << -300 << 2300 << QList<int>{-300, 834, 1968} << 4.0;
}

void TstRulers::ticks()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QList<int>, positions);
    QFETCH(double, zoom);

    const QList<rulers::Tick> got = rulers::ticks(start, length, zoom);
    QList<int> gotPositions;
    for (const rulers::Tick &t : got) {
        gotPositions.append(t.pos);
        QCOMPARE(t.length, t.k % 2 == 0 ? rulers::LongTick : rulers::ShortTick);
        QCOMPARE(t.label, rulers::tickLabel(t.k));
    }
    QCOMPARE(gotPositions, positions);
}

void TstRulers::labels_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("label");

    QTest::newRow("0 cm") << 0 << QStringLiteral(" 0");
    QTest::newRow("short tick") << 1 << QString();
    QTest::newRow("1 cm") << 2 << QStringLiteral(" 1");
    QTest::newRow("10 cm") << 20 << QStringLiteral(" 10");
    QTest::newRow("29.7 cm side") << 59 << QString();
}

void TstRulers::labels()
{
    QFETCH(int, k);
    QFETCH(QString, label);
    QCOMPARE(rulers::tickLabel(k), label);
}

namespace {

bool isFore(const RulerBox &box, int x, int y)
{
    return box.image().toImage().pixelColor(x, y) == box.foreColor();
}

bool isBack(const RulerBox &box, int x, int y)
{
    return box.image().toImage().pixelColor(x, y) == box.backColor();
}

} // namespace

void TstRulers::horizontalDrawing()
{
    RulerBox box;
    box.resize(300, 14);
    QCOMPARE(PropertiesCls::RulerPicT(box, 0, 4000), 0);
    // Short tick at 284 twips (19 px) stands in the lower half only.
    QVERIFY(isFore(box, 19, 12));
    QVERIFY(isBack(box, 19, 3));
    // Long tick at 1134 twips (76 px) spans the height; the 2 cm label is
    // to its right, near the top.
    QVERIFY(isFore(box, 76, 12));
    QVERIFY(isFore(box, 76, 1));
    QVERIFY(isBack(box, 72, 12));
    // Nothing beyond the covered length (4000 twips = 267 px).
    for (int x = 270; x < 300; ++x)
        QVERIFY(isBack(box, x, 12));
}

void TstRulers::verticalDrawingFollowsScroll()
{
    RulerBox box;
    box.resize(14, 200);
    QCOMPARE(PropertiesCls::RulerPicL(box, 0, 3000, -500), 0);
    // Zero at -300 twips: out of sight. Long tick at 267 twips (18 px).
    QVERIFY(isFore(box, 12, 18));
    QVERIFY(isFore(box, 1, 18));
    // Short tick at 550 twips (37 px) only on the right half.
    QVERIFY(isFore(box, 10, 37));
    QVERIFY(isBack(box, 3, 37));

    // Redrawn unscrolled, the zero tick sits 200 twips (13 px) down and the
    // old drawing is gone.
    PropertiesCls::RulerPicL(box, 0, 3000, 0);
    QVERIFY(isFore(box, 1, 13));
    QVERIFY(isBack(box, 10, 37));
}

void TstRulers::formRulerStartsBelowOffset()
{
    RulerBox box;
    box.resize(40, 100);
    // Left edge 300 twips (20 px), zero at 450 + 200 twips (43 px).
    QCOMPARE(PropertiesCls::RulerFrm(box, 300, 450, 1000), 0);
    QVERIFY(isFore(box, 22, 43));
    QVERIFY(isFore(box, 32, 43));
    QVERIFY(isBack(box, 36, 43));
}

void TstRulers::backColourWipesDrawing()
{
    RulerBox box;
    box.resize(100, 14);
    PropertiesCls::RulerPicT(box, 0, 1500);
    box.setBackColor(QColor(128, 128, 128));
    const QImage img = box.image().toImage();
    for (int x = 0; x < 100; x += 7)
        QCOMPARE(img.pixelColor(x, 12), QColor(128, 128, 128));
}

// The layout draws the rulers while the window is still being built, before
// the boxes have ever been shown at their size.
void TstRulers::drawnBeforeShown()
{
    QWidget window;
    auto *box = new RulerBox(&window);
    box->setGeometry(0, 0, 300, 14);
    PropertiesCls::RulerPicT(*box, 0, 4000);
    window.resize(300, 14);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shown = box->grab().toImage();
    // The 7 cm tick at 3969 twips (265 px), far beyond a default-sized box.
    QCOMPARE(shown.pixelColor(265, 12), box->foreColor());
    QCOMPARE(shown.pixelColor(268, 12), box->backColor());
}

QTEST_MAIN(TstRulers)
#include "tst_rulers.moc"
