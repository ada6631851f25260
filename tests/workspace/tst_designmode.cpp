// Design mode with the mouse and the keys on the sample template: selecting,
// dragging, resizing by the handles, nudging, multiple selection, and the
// registry following every completed change.
#include "designfixture.h"
#include "workspace/surfacesketch.h"

#include <QLabel>

namespace {
// Slots of the sample template.
constexpr int DateSlot = 1;
constexpr int TextSlot = 3;      // 1700, 1000, 5200 x 330
constexpr int OtherTextSlot = 5; // 1700, 1600, 5200 x 330
} // namespace

class TestDesignMode : public QObject {
    Q_OBJECT
    DesignFixture f;

    void setField(int slot, const QRect &r)
    {
        const QString key = f.state->Registry.keyOf(slot);
        f.design->ApplyFieldRect(key, r.x(), r.y(), r.width(), r.height());
        f.frame(slot)->coverField(r);
        f.design->writeBack(slot, true);
    }
    void expectField(int slot, const QRect &r)
    {
        QCOMPARE(f.controlRect(f.control(slot)), r);
        QCOMPARE(f.frameRect(slot), r.adjusted(0, 0, 100, 100));
        QCOMPARE(QRect(f.prop(slot, 1), f.prop(slot, 2), f.prop(slot, 3), f.prop(slot, 4)), r);
        QCOMPARE(f.record(slot).selected, qint16(1));
    }
    void click(int slot, Qt::KeyboardModifiers mods = {})
    {
        QWidget *c = f.control(slot);
        QTest::mousePress(c, Qt::LeftButton, mods, QPoint(5, 5));
        QTest::mouseRelease(c, Qt::LeftButton, mods, QPoint(5, 5));
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        f.openForDesign();
        QCOMPARE(f.state->Registry.count(), 8);
    }
    void cleanup() { f.close(); }

    void dragMovesTheFrameUntilRelease()
    {
        QWidget *c = f.control(TextSlot);
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00307000"));
        QTest::mouseMove(c, QPoint(30, 20)); // 300 right, 150 down
        QCOMPARE(f.frameRect(TextSlot).topLeft(), QPoint(2000, 1150));
        QCOMPARE(f.frame(TextSlot)->userState(), 1);
        QCOMPARE(f.controlRect(c), QRect(1700, 1000, 5200, 330));
        QCOMPARE(f.prop(TextSlot, 1), 1700);
        QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(30, 20));
        expectField(TextSlot, QRect(2000, 1150, 5200, 330));
        QCOMPARE(f.frame(TextSlot)->userState(), 0);
        QVERIFY(f.frame(TextSlot)->isVisible());
        QCOMPARE(f.record(0).selected, qint16(0)); // the bill was deselected
    }

    void handleResize_data()
    {
        QTest::addColumn<int>("handle");
        QTest::addColumn<QPoint>("delta"); // pixels
        QTest::addColumn<QSize>("frameDuring");
        QTest::addColumn<QSize>("fieldAfter");
        // No side goes below 2 mm (113 twips), during the drag or after.
        QTest::newRow("bottom 510 up") << 0 << QPoint(0, -34) << QSize(5300, 213) << QSize(5200, 113);
        QTest::newRow("bottom down") << 0 << QPoint(7, 10) << QSize(5300, 580) << QSize(5200, 480);
        QTest::newRow("right wider") << 2 << QPoint(20, 9) << QSize(5600, 430) << QSize(5500, 330);
        QTest::newRow("right past left") << 2 << QPoint(-400, 0) << QSize(213, 430) << QSize(113, 330);
        // Nor past the bill's right edge (12758 twips): 12758 - 1700.
        QTest::newRow("right past the bill") << 2 << QPoint(900, 0) << QSize(11158, 430) << QSize(11058, 330);
        QTest::newRow("corner") << 1 << QPoint(20, 10) << QSize(5600, 580) << QSize(5500, 480);
    }
    void handleResize()
    {
        QFETCH(int, handle);
        QFETCH(QPoint, delta);
        QFETCH(QSize, frameDuring);
        QFETCH(QSize, fieldAfter);
        click(TextSlot);
        DesignCtl *frame = f.frame(TextSlot);
        QLabel *h = handle == 0 ? frame->BottomCtl() : handle == 1 ? frame->MoveCtl() : frame->RightCtl();
        const QPoint start(2, 2);
        QTest::mousePress(h, Qt::LeftButton, {}, start);
        QCOMPARE(f.design->HandleDrag, qint16(handle == 0 ? 1 : handle == 1 ? 2 : 3));
        QTest::mouseMove(h, start + delta);
        QCOMPARE(f.frameRect(TextSlot).size(), frameDuring);
        QCOMPARE(f.frameRect(TextSlot).topLeft(), QPoint(1700, 1000));
        QCOMPARE(frame->userState(), 1);
        QCOMPARE(f.prop(TextSlot, 3), 5200);
        QTest::mouseRelease(h, Qt::LeftButton, {}, start + delta);
        expectField(TextSlot, QRect(QPoint(1700, 1000), fieldAfter));
        QCOMPARE(frame->userState(), 0);
        QCOMPARE(f.design->HandleDrag, qint16(0));
    }

    void strayHandleReleaseChangesNothing()
    {
        click(TextSlot);
        QLabel *h = f.frame(TextSlot)->MoveCtl();
        QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(f.controlRect(f.control(TextSlot)), QRect(1700, 1000, 5200, 330));
        QCOMPARE(f.prop(TextSlot, 3), 5200);
    }

    void nudge_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifier");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QRect>("start");
        QTest::addColumn<QRect>("expected");
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        const QRect r(1700, 1000, 5200, 330);
        QTest::newRow("ctrl right x5") << int(Qt::Key_Right) << ctrl << 5 << r << r.translated(30, 0);
        QTest::newRow("ctrl down") << int(Qt::Key_Down) << ctrl << 1 << r << r.translated(0, 6);
        QTest::newRow("ctrl up stops at 0") << int(Qt::Key_Up) << ctrl << 2 << QRect(1700, 4, 5200, 330)
                                            << QRect(1700, 0, 5200, 330);
        QTest::newRow("ctrl left at 0") << int(Qt::Key_Left) << ctrl << 1 << QRect(0, 5, 50, 50)
                                        << QRect(0, 5, 50, 50);
        QTest::newRow("shift left stops at 2 mm") << int(Qt::Key_Left) << shift << 1
                                                  << QRect(1700, 1000, 116, 330) << QRect(1700, 1000, 113, 330);
        QTest::newRow("shift left on 3 wide") << int(Qt::Key_Left) << shift << 1
                                              << QRect(1700, 1000, 3, 330) << QRect(1700, 1000, 3, 330);
        QTest::newRow("ctrl right stops at the bill") << int(Qt::Key_Right) << ctrl << 3
                                                      << QRect(7550, 1000, 5200, 330) << QRect(7558, 1000, 5200, 330);
        QTest::newRow("shift down x2") << int(Qt::Key_Down) << shift << 2 << r
                                       << QRect(1700, 1000, 5200, 342);
        QTest::newRow("shift right") << int(Qt::Key_Right) << shift << 1 << r
                                     << QRect(1700, 1000, 5206, 330);
        QTest::newRow("alt ignored") << int(Qt::Key_Right) << int(Qt::AltModifier) << 1 << r << r;
    }
    void nudge()
    {
        QFETCH(int, key);
        QFETCH(int, modifier);
        QFETCH(int, presses);
        QFETCH(QRect, start);
        QFETCH(QRect, expected);
        click(TextSlot);
        setField(TextSlot, start);
        QWidget *c = f.control(TextSlot);
        c->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), c);
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(c, Qt::Key(key), Qt::KeyboardModifiers(modifier));
        expectField(TextSlot, expected);
    }

    void billSurfaceResizesButDoesNotMove()
    {
        BillSurface *s = f.win->surface();
        s->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s));
        const QPoint at = f.frameRect(0).topLeft();
        QTest::keyClick(s, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(f.state->BillRect[3], 4530);
        QCOMPARE(f.prop(0, 4), 4530);
        QCOMPARE(f.frameRect(0).height(), 4630);
        QTest::keyClick(s, Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(s, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(f.state->BillRect[3], 4530);
        QCOMPARE(f.frameRect(0).topLeft(), at);
        QCOMPARE(f.prop(0, 3), 12758);
    }

    void billKeepsItsFieldsInside_data()
    {
        QTest::addColumn<int>("handle"); // 0 bottom, 1 corner, 2 right
        QTest::addColumn<QPoint>("delta"); // pixels
        QTest::addColumn<QSize>("after");
        // The fields of the sample reach 11300 twips right (the money field)
        // and 2730 down (the check box); the bill is 12758 x 4536.
        QTest::newRow("right far left") << 2 << QPoint(-200, 0) << QSize(11300, 4536);
        QTest::newRow("bottom far up") << 0 << QPoint(0, -200) << QSize(12758, 2730);
        QTest::newRow("corner far in") << 1 << QPoint(-300, -300) << QSize(11300, 2730);
        QTest::newRow("right a little") << 2 << QPoint(-20, 0) << QSize(12458, 4536);
        QTest::newRow("right wider") << 2 << QPoint(10, 0) << QSize(12908, 4536);
    }
    // No handle or key makes the bill smaller than the fields on it: a
    // field off the bill could not be seen or taken hold of again.
    void billKeepsItsFieldsInside()
    {
        QFETCH(int, handle);
        QFETCH(QPoint, delta);
        QFETCH(QSize, after);
        QTest::mouseClick(f.win->surface(), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00000000"));
        DesignCtl *frame = f.frame(0);
        QLabel *h = handle == 0 ? frame->BottomCtl() : handle == 1 ? frame->MoveCtl() : frame->RightCtl();
        QTest::mousePress(h, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseMove(h, QPoint(2, 2) + delta);
        QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(2, 2) + delta);
        QCOMPARE(QSize(f.state->BillRect[2], f.state->BillRect[3]), after);
        QCOMPARE(QSize(f.prop(0, 3), f.prop(0, 4)), after);
        // The keys stop at the fields too.
        BillSurface *s = f.win->surface();
        s->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s));
        QTest::keyClick(s, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(s, Qt::Key_Up, Qt::ShiftModifier);
        const QSize keyed(qMax(11300, after.width() - 6), qMax(2730, after.height() - 6));
        QCOMPARE(QSize(f.prop(0, 3), f.prop(0, 4)), keyed);
        for (int slot = 1; slot <= f.state->Registry.lastSlot(); ++slot)
            QVERIFY(QRect(QPoint(0, 0), keyed).contains(QRect(f.prop(slot, 1), f.prop(slot, 2), f.prop(slot, 3),
                                                              f.prop(slot, 4))));
    }

    void multipleSelectionMovesTogether()
    {
        click(TextSlot);
        click(OtherTextSlot, Qt::ShiftModifier);
        click(DateSlot, Qt::ShiftModifier);
        QCOMPARE(f.design->SelectedCount, qint16(3));
        for (int s : {TextSlot, OtherTextSlot, DateSlot}) {
            QCOMPARE(f.frame(s)->userState(), 1);
            QVERIFY(f.frame(s)->isVisible());
            QCOMPARE(f.record(s).selected, qint16(1));
        }
        const int tops[] = {f.prop(TextSlot, 2), f.prop(OtherTextSlot, 2), f.prop(DateSlot, 2)};
        QWidget *date = f.control(DateSlot);
        date->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), date);
        QTest::keyClick(date, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.prop(TextSlot, 2), tops[0] + 6);
        QCOMPARE(f.prop(OtherTextSlot, 2), tops[1] + 6);
        QCOMPARE(f.prop(DateSlot, 2), tops[2] + 6);
        QCOMPARE(f.controlRect(f.control(OtherTextSlot)).top(), tops[1] + 6);
        QCOMPARE(f.prop(2, 2), 1000); // the label beside stays

        click(OtherTextSlot);
        QCOMPARE(f.design->SelectedCount, qint16(0));
        QCOMPARE(f.record(OtherTextSlot).selected, qint16(1));
        QCOMPARE(f.record(TextSlot).selected, qint16(0));
        QCOMPARE(f.record(DateSlot).selected, qint16(0));
        QCOMPARE(f.frame(OtherTextSlot)->userState(), 0);
        QVERIFY(!f.frame(TextSlot)->isVisible());
    }

    void activationFocus_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("takesFocus");
        QTest::newRow("text") << TextSlot << true;
        QTest::newRow("label") << 2 << true; // a label takes the keys that move it
        QTest::newRow("date") << DateSlot << true;
    }
    void activationFocus()
    {
        QFETCH(int, slot);
        QFETCH(bool, takesFocus);
        f.win->surface()->setFocus();
        QTRY_VERIFY(f.win->surface()->hasFocus());
        QCOMPARE(f.design->CtlActivate(f.state->Registry.keyOf(slot)), 0);
        QCOMPARE(f.control(slot)->hasFocus(), takesFocus);
        QCOMPARE(f.frame(slot)->userState(), 0);
        QVERIFY(f.frame(slot)->isVisible());
        for (int s = 0; s < f.state->Registry.count(); ++s)
            QCOMPARE(f.record(s).selected, qint16(s == slot ? 1 : 0));
    }

    void resizedDateTakesNoFocus()
    {
        f.win->surface()->setFocus();
        QTRY_VERIFY(f.win->surface()->hasFocus());
        f.design->ApplyFieldRect(QStringLiteral("00106000"), 100, 100, 900, 300);
        QVERIFY(!f.control(DateSlot)->hasFocus());
        QCOMPARE(f.controlRect(f.control(DateSlot)), QRect(100, 100, 900, 300));
        f.design->ApplyFieldRect(QStringLiteral("00307000"), 100, 600, 900, 300);
        QVERIFY(f.control(TextSlot)->hasFocus());
    }

    void pointerText_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 567.0 << 1134.0 << "10,20";
        QTest::newRow("tenths") << 0.0 << 425.25 << "0,7.5";
        QTest::newRow("rounded") << 697.0 << 56.0 << "12.3,1";
    }
    void pointerText()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, text);
        QCOMPARE(DesignMode::pointerText(x, y), text);
    }

    void pointerShownInStatusAndTip()
    {
        QTest::mouseMove(f.win->surface(), QPoint(567 / 15, 1134 / 15));
        f.design->ShowPointerPosition(567, 1134, true);
        QCOMPARE(f.win->statusPanel(5)->text(), QStringLiteral("毫米(10,20)"));
        QCOMPARE(f.win->surface()->toolTip(), QStringLiteral("(10,20)"));
        QVERIFY(f.design->sketch()->hasGuides());
        QVERIFY(!f.design->sketch()->box()); // no rubber band with the pointer
    }

    void fieldMoveOutsideDesignOnlyClears()
    {
        f.state->DesignMode = 0;
        f.design->sketch()->setGuides(10, 10, 100, 100);
        QWidget *c = f.control(TextSlot);
        QTest::mouseMove(c, QPoint(20, 5));
        QVERIFY(!f.design->sketch()->hasGuides());
        QCOMPARE(f.frameRect(TextSlot).topLeft(), QPoint(1700, 1000));
    }

    void dropWithEmptyRegistryChangesNothing()
    {
        f.state->Registry.reset();
        f.design->DropFields(QStringLiteral("00307000"), 0);
        QVERIFY(f.state->Registry.isEmpty());
    }
};

QTEST_MAIN(TestDesignMode)
#include "tst_designmode.moc"
