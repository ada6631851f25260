// Zooming the bill surface with the keys and Ctrl + wheel, in design and
// fill-in mode: fields, frames, rulers and the pointer position follow the
// zoom, drags and placing convert the mouse at the zoom, and what is stored
// stays in exact twips.
#include "designfixture.h"
#include "core/units.h"
#include "workspace/propertypanel.h"
#include "workspace/rulers.h"

#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {
constexpr int TextSlot = 3; // 1700, 1000, 5200 x 330

void wheel(QWidget *w, int delta, Qt::KeyboardModifiers mods)
{
    const QPointF at(5, 5);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}
} // namespace

class TestZoom : public QObject {
    Q_OBJECT
    DesignFixture f;

    void zoomTo(double zoom)
    {
        while (f.win->zoom() < zoom - 0.001)
            QTest::keyClick(f.win.get(), Qt::Key_Plus, Qt::ControlModifier);
        while (f.win->zoom() > zoom + 0.001)
            QTest::keyClick(f.win.get(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), zoom);
    }

private slots:
    void init() { QVERIFY(f.open()); }
    void cleanup() { f.close(); }

    void keysAndWheelStayWithinBounds()
    {
        f.openForDesign();
        QTest::keyClick(f.win.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), 1.25);
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(f.win.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), 4.0);
        for (int i = 0; i < 12; ++i)
            wheel(f.control(TextSlot), -120, Qt::ControlModifier); // over a field
        QCOMPARE(f.win->zoom(), 0.5);
        wheel(f.win->surface(), 120, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), 0.67);
        wheel(f.win->surface(), 120, Qt::NoModifier); // a plain wheel does not zoom
        QCOMPARE(f.win->zoom(), 0.67);
        QTest::keyClick(f.win.get(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), 1.0);
        QCOMPARE(f.win->findChild<QLabel *>(QStringLiteral("Zoom"))->text(), QStringLiteral("100%"));
    }

    void everythingFollowsTheZoom_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("50 %") << 0.5;
        QTest::newRow("200 %") << 2.0;
        QTest::newRow("400 %") << 4.0;
    }
    void everythingFollowsTheZoom()
    {
        QFETCH(double, zoom);
        f.openForDesign();
        QTest::mouseClick(f.control(TextSlot), Qt::LeftButton, {}, QPoint(3, 3));
        zoomTo(zoom);
        const QRect r(1700, 1000, 5200, 330);
        auto px = [zoom](int twips) { return units::twipsToPixels(twips, zoom); };
        QCOMPARE(f.control(TextSlot)->geometry(), QRect(px(1700), px(1000), px(5200), px(330)));
        QCOMPARE(f.frame(TextSlot)->geometry().topLeft(), QPoint(px(1700), px(1000)));
        QCOMPARE(f.frame(TextSlot)->width(), px(5300));
        QVERIFY(f.frame(TextSlot)->isVisible()); // still the field selected
        QVERIFY(!f.frame(1)->isVisible());
        QCOMPARE(f.win->surface()->size(), QSize(px(12758), px(4536)));
        // Frame 0 sits with the surface, its handles at the bill's edges.
        QCOMPARE(f.frame(0)->pos(), f.win->surface()->pos());
        QCOMPARE(f.frame(0)->width(), px(12858));
        // Nothing stored moved.
        QCOMPARE(QRect(f.prop(TextSlot, 1), f.prop(TextSlot, 2), f.prop(TextSlot, 3), f.prop(TextSlot, 4)), r);
        QCOMPARE(f.controlRect(f.control(TextSlot)), r);
        // The pointer over the surface reads in the bill's millimetres.
        const QPointF at(px(567), px(1134));
        QMouseEvent move(QEvent::MouseMove, at, f.win->surface()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(f.win->surface(), &move);
        const int tx = int(units::pixelsToTwips(px(567), zoom));
        const int ty = int(units::pixelsToTwips(px(1134), zoom));
        QVERIFY(qAbs(tx - 567) <= 15 / zoom && qAbs(ty - 1134) <= 15 / zoom);
        QCOMPARE(f.win->statusPanel(5)->text(), QStringLiteral("毫米(%1)").arg(DesignMode::pointerText(tx, ty)));
        // The top ruler's 1 cm tick stands 1 cm of the bill from its 0.
        const QList<rulers::Tick> ticks = rulers::horizontalTicks(0, 3000, zoom);
        QCOMPARE(ticks.value(2).pos, int(units::roundHalfEven(567 * zoom)));
    }

    void dragsAndPlacingAtTheZoom()
    {
        f.openForDesign();
        zoomTo(2.0);
        // 30 pixels at 200 % are 225 twips.
        QWidget *c = f.control(TextSlot);
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(c, QPoint(40, 20));
        QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(40, 20));
        QCOMPARE(f.prop(TextSlot, 1), 1700 + 225);
        QCOMPARE(f.prop(TextSlot, 2), 1000 + 75);
        // The corner handle 20 pixels right: 150 twips wider.
        QLabel *corner = f.frame(TextSlot)->MoveCtl();
        QTest::mousePress(corner, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseMove(corner, QPoint(22, 2));
        QTest::mouseRelease(corner, Qt::LeftButton, {}, QPoint(22, 2));
        QCOMPARE(f.prop(TextSlot, 3), 5200 + 150);
        QCOMPARE(f.prop(TextSlot, 4), 330);
        // A click with the money tool at pixel (100, 400): 750, 3000 twips.
        f.state->CurrentTool = KindMoney;
        QTest::mouseClick(f.win->surface(), Qt::LeftButton, {}, QPoint(100, 400));
        const int placed = f.state->Registry.lastSlot();
        QCOMPARE(f.prop(placed, 1), 750);
        QCOMPARE(f.prop(placed, 2), 3000);
        QCOMPARE(f.control(placed)->width(), units::twipsToPixels(f.prop(placed, 3), 2.0));
    }

    void zoomWhileDragging_data()
    {
        QTest::addColumn<bool>("byHandle");
        QTest::addColumn<QRect>("after");
        // The pointer ends at pixel (620, 120) of the bill at 125 %: twips
        // (7440, 1440). The grip was 30 twips into the field, or into the
        // corner handle, whose left and top edges were at 6900 and 1330.
        QTest::newRow("field dragged") << false << QRect(7410, 1410, 5200, 330);
        QTest::newRow("corner handle dragged") << true << QRect(1700, 1000, 5710, 410);
    }
    // The wheel turned with Ctrl in the middle of a drag: the drag goes on
    // at the new zoom, the field ending where the pointer leaves it and its
    // frame keeping the outline look of a drag until the release.
    void zoomWhileDragging()
    {
        QFETCH(bool, byHandle);
        QFETCH(QRect, after);
        f.openForDesign();
        QTest::mouseClick(f.control(TextSlot), Qt::LeftButton, {}, QPoint(4, 4));
        QWidget *grip = byHandle ? static_cast<QWidget *>(f.frame(TextSlot)->MoveCtl()) : f.control(TextSlot);
        const QPoint start(2, 2);
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        QTest::mouseMove(grip, start + QPoint(10, 5));
        // Ctrl goes down on the field with the keyboard, then the wheel
        // turns over the bill beside the outline.
        QWidget *keys = QApplication::focusWidget() ? QApplication::focusWidget() : f.win->surface();
        QTest::keyPress(keys, Qt::Key_Control, Qt::ControlModifier);
        wheel(f.win->surface(), 120, Qt::ControlModifier);
        QTest::keyRelease(keys, Qt::Key_Control);
        QCOMPARE(f.win->zoom(), 1.25);
        QCOMPARE(f.state->CurrentKey, f.state->Registry.keyOf(TextSlot));
        // The pointer goes on over the bill, wherever the grip now lies.
        QWidget *bill = f.win->surface();
        const QPoint end(620, 120);
        for (const QPoint p : {end - QPoint(20, 10), end - QPoint(10, 5), end})
            QTest::mouseMove(grip, grip->mapFrom(bill, p));
        // To the pixel: one pixel at 125 % is 12 twips.
        auto near = [](const QRect &a, const QRect &b) {
            return qAbs(a.left() - b.left()) <= 12 && qAbs(a.top() - b.top()) <= 12
                   && qAbs(a.width() - b.width()) <= 12 && qAbs(a.height() - b.height()) <= 12;
        };
        QCOMPARE(f.frame(TextSlot)->userState(), 1);
        QVERIFY(near(f.frameRect(TextSlot), after.adjusted(0, 0, 100, 100)));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFrom(bill, end));
        const QRect stored(f.prop(TextSlot, 1), f.prop(TextSlot, 2), f.prop(TextSlot, 3), f.prop(TextSlot, 4));
        QVERIFY2(near(stored, after), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(stored.left()).arg(stored.top())
                                                      .arg(stored.width()).arg(stored.height())));
        QCOMPARE(f.frameRect(TextSlot), stored.adjusted(0, 0, 100, 100));
        QCOMPARE(f.frame(TextSlot)->userState(), 0);
    }

    void modifierAloneKeepsTheField_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("ctrl") << int(Qt::Key_Control);
        QTest::newRow("shift") << int(Qt::Key_Shift);
        QTest::newRow("alt") << int(Qt::Key_Alt);
    }
    // Holding Ctrl for Ctrl + wheel (or Shift for Shift + click) with the
    // bill's keyboard: the field clicked stays the current one.
    void modifierAloneKeepsTheField()
    {
        QFETCH(int, key);
        f.openForDesign();
        QTest::mouseClick(f.control(TextSlot), Qt::LeftButton, {}, QPoint(4, 4));
        BillSurface *bill = f.win->surface();
        bill->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(bill));
        QTest::keyPress(bill, Qt::Key(key));
        wheel(bill, 120, Qt::ControlModifier);
        QTest::keyRelease(bill, Qt::Key(key));
        QCOMPARE(f.state->CurrentKey, f.state->Registry.keyOf(TextSlot));
        QCOMPARE(f.design->panel()->slot(), TextSlot);
        QVERIFY(f.frame(TextSlot)->isVisible());
        // Shift with an arrow still makes the bill current and resizes it.
        QTest::keyClick(bill, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00000000"));
        QCOMPARE(f.prop(0, 4), 4536 - 6);
    }

    void fillingInZooms()
    {
        f.doubleClickNode(QStringLiteral("通用票据"), QStringLiteral("通用凭证"));
        QVERIFY(f.state->Bill.isOpen());
        const QString key = f.state->Registry.keyOf(TextSlot);
        f.state->Bill.setText(key, QStringLiteral("张三"));
        const int before = f.control(TextSlot)->width();
        wheel(f.control(TextSlot), 120, Qt::ControlModifier);
        QCOMPARE(f.win->zoom(), 1.25);
        QCOMPARE(f.control(TextSlot)->width(), units::twipsToPixels(5200, 1.25));
        QVERIFY(f.control(TextSlot)->width() > before);
        QCOMPARE(f.state->Bill.text(key), QStringLiteral("张三"));
        QVERIFY(!f.frame(TextSlot)->isVisible());
    }
};

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
