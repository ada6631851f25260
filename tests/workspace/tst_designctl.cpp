// The selection frame: its two looks as widget masks, the handles' places,
// the mouse reaching the field through the see-through parts, and the nine
// handle events.
#include "workspace/designctl.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TstDesignCtl : public QObject {
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void tinyOutlineShowsNothing();
    void handlePlaces_data();
    void handlePlaces();
    void handlesFollowSizeAfterOutline();
    void outlineFollowsResize();
    void smallTwipChangeUpdatesFrameSize();
    void pixelResizeFollowsTwips();
    void coverField();
    void clickReachesField_data();
    void clickReachesField();
    void handleEvents_data();
    void handleEvents();
    void handleDragSurvivesOutline();
};

namespace {

QRegion outline(int w, int h)
{
    return QRegion(0, 0, w - 6, h - 6).subtracted(QRegion(1, 1, w - 8, h - 8));
}

} // namespace

void TstDesignCtl::masks_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("state");
    QTest::addColumn<QRegion>("expected");

    // 1100 twips = 73 px; handles are 7 px, clipped at the frame's edge.
    QRegion handles;
    handles += QRect(33, 67, 7, 6);
    handles += QRect(67, 67, 6, 6);
    handles += QRect(67, 33, 6, 7);
    QTest::newRow("handles 1100") << 1100 << 1100 << 1.0 << 0 << handles;
    QTest::newRow("outline 1100") << 1100 << 1100 << 1.0 << 1 << outline(73, 73);
    QTest::newRow("outline any non-zero") << 1500 << 900 << 1.0 << -3 << outline(100, 60);
    QTest::newRow("handles 100: one square") << 100 << 100 << 1.0 << 0 << QRegion(0, 0, 7, 7);
    QTest::newRow("outline 100: one pixel") << 100 << 100 << 1.0 << 1 << QRegion(0, 0, 1, 1);

    QRegion doubled;
    doubled += QRect(67, 133, 13, 13);
    doubled += QRect(133, 133, 13, 13);
    doubled += QRect(133, 67, 13, 13);
    QTest::newRow("handles at scale 2") << 1100 << 1100 << 2.0 << 0 << doubled;
    QTest::newRow("outline at scale 2") << 1100 << 1100 << 2.0 << 1 << outline(147, 147);
}

void TstDesignCtl::masks()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(double, scale);
    QFETCH(int, state);
    QFETCH(QRegion, expected);

    DesignCtl frame;
    frame.setScale(scale);
    frame.setTwipsRect(0, 0, w, h);
    frame.setUserState(state);
    QCOMPARE(frame.frameState(), state);
    QCOMPARE(frame.mask(), expected);
    QCOMPARE(frame.handlesShown(), state == 0);
    QCOMPARE(frame.MoveCtl()->autoFillBackground(), state == 0);
}

// An empty mask would mean no mask: the whole frame opaque over its field.
void TstDesignCtl::tinyOutlineShowsNothing()
{
    DesignCtl frame;
    frame.setTwipsRect(0, 0, 90, 90);   // 6 x 6 px, all of it the cut-away strip
    frame.setUserState(1);
    QVERIFY(!frame.mask().isEmpty());
    QVERIFY(frame.mask().intersected(frame.rect()).isEmpty());
}

void TstDesignCtl::handlePlaces_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QRect>("bottom");
    QTest::addColumn<QRect>("corner");
    QTest::addColumn<QRect>("right");

    QTest::newRow("1100 x 1100") << 1100 << 1100 << QRect(500, 1000, 100, 100)
                                 << QRect(1000, 1000, 100, 100) << QRect(1000, 500, 100, 100);
    QTest::newRow("100 x 100: all at the corner") << 100 << 100 << QRect(0, 0, 100, 100)
                                                  << QRect(0, 0, 100, 100) << QRect(0, 0, 100, 100);
    // (1101 - 100) / 2 = 500.5 and (601 - 100) / 2 = 250.5: halves to even.
    QTest::newRow("odd sizes") << 1101 << 601 << QRect(500, 501, 100, 100)
                               << QRect(1001, 501, 100, 100) << QRect(1001, 250, 100, 100);
    QTest::newRow("wide") << 3100 << 400 << QRect(1500, 300, 100, 100)
                          << QRect(3000, 300, 100, 100) << QRect(3000, 150, 100, 100);
}

void TstDesignCtl::handlePlaces()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QRect, bottom);
    QFETCH(QRect, corner);
    QFETCH(QRect, right);

    using H = DesignCtl::Handle;
    QCOMPARE(DesignCtl::handleTwipsRect(H::Bottom, w, h), bottom);
    QCOMPARE(DesignCtl::handleTwipsRect(H::Corner, w, h), corner);
    QCOMPARE(DesignCtl::handleTwipsRect(H::Right, w, h), right);

    DesignCtl frame;
    frame.setTwipsRect(300, 450, w, h);
    QCOMPARE(frame.frameSize(), QSize(w, h));
    auto px = [](const QRect &r) {
        return QRect(qRound(r.x() / 15.0), qRound(r.y() / 15.0), 7, 7);
    };
    QCOMPARE(frame.BottomCtl()->geometry(), px(bottom));
    QCOMPARE(frame.MoveCtl()->geometry(), px(corner));
    QCOMPARE(frame.RightCtl()->geometry(), px(right));
    QCOMPARE(frame.BottomCtl()->objectName(), QStringLiteral("LabelB"));
    QCOMPARE(frame.MoveCtl()->objectName(), QStringLiteral("LabelR"));
    QCOMPARE(frame.RightCtl()->objectName(), QStringLiteral("LabelM"));
}

void TstDesignCtl::handlesFollowSizeAfterOutline()
{
    DesignCtl frame;
    frame.setTwipsRect(0, 0, 1100, 1100);
    frame.setUserState(1);
    frame.setTwipsRect(0, 0, 2600, 1600);
    frame.setUserState(0);
    QCOMPARE(frame.MoveCtl()->geometry(), QRect(167, 100, 7, 7));
    QCOMPARE(frame.BottomCtl()->geometry(), QRect(83, 100, 7, 7));
    QCOMPARE(frame.RightCtl()->geometry(), QRect(167, 50, 7, 7));
    QVERIFY(frame.mask().contains(QPoint(170, 103)));
    QVERIFY(!frame.mask().contains(QPoint(10, 10)));
}

void TstDesignCtl::outlineFollowsResize()
{
    QWidget window;
    window.resize(300, 200);
    auto *frame = new DesignCtl(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    frame->setTwipsRect(0, 0, 1100, 1100);
    frame->setUserState(1);
    frame->setTwipsRect(0, 0, 3000, 1500);
    QCOMPARE(frame->mask(), outline(200, 100));
    frame->resize(60, 40);   // by pixels, as a layout might
    QCOMPARE(frame->frameSize(), QSize(900, 600));
    QCOMPARE(frame->mask(), outline(60, 40));
}

void TstDesignCtl::smallTwipChangeUpdatesFrameSize()
{
    DesignCtl frame;
    frame.setTwipsRect(0, 0, 1100, 1100);
    frame.setTwipsRect(0, 0, 1102, 1100);   // still 73 px wide
    QCOMPARE(frame.frameSize(), QSize(1102, 1100));
    QCOMPARE(frame.twipsRect(), QRect(0, 0, 1102, 1100));
    QCOMPARE(frame.BottomCtl()->geometry().x(), 33);   // left 501
}

void TstDesignCtl::pixelResizeFollowsTwips()
{
    QWidget window;
    window.resize(300, 200);
    auto *frame = new DesignCtl(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    frame->setGeometry(10, 20, 150, 90);
    QCOMPARE(frame->twipsRect(), QRect(150, 300, 2250, 1350));
    QCOMPARE(frame->frameSize(), QSize(2250, 1350));
    QCOMPARE(frame->property("Width").toInt(), 2250);
    frame->setProperty("Left", 600);
    QCOMPARE(frame->pos(), QPoint(40, 20));
    QCOMPARE(frame->twipsLeft(), 600);
}

void TstDesignCtl::coverField()
{
    DesignCtl frame;
    frame.coverField(QRect(1200, 600, 3000, 300));
    QCOMPARE(frame.twipsRect(), QRect(1200, 600, 3100, 400));
    QCOMPARE(frame.geometry(), QRect(80, 40, 207, 27));
    frame.setProperty("Tag", QStringLiteral("00107001"));
    QCOMPARE(frame.tag(), QStringLiteral("00107001"));
}

void TstDesignCtl::clickReachesField_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QPoint>("at");   // in the window
    QTest::addColumn<bool>("fieldClicked");
    QTest::addColumn<bool>("handlePressed");

    // Field at (20, 20) 200 x 100 px; frame over it 7 px larger.
    QTest::newRow("handles look, inside") << 0 << QPoint(100, 60) << true << false;
    QTest::newRow("handles look, near the edge") << 0 << QPoint(215, 115) << true << false;
    QTest::newRow("handles look, on the corner handle") << 0 << QPoint(223, 123) << false << true;
    QTest::newRow("outline look, inside") << 1 << QPoint(100, 60) << true << false;
    QTest::newRow("outline look, handle place cut away") << 1 << QPoint(223, 123) << false << false;
    QTest::newRow("outline look, on the outline") << 1 << QPoint(20, 60) << false << false;
}

void TstDesignCtl::clickReachesField()
{
    QFETCH(int, state);
    QFETCH(QPoint, at);
    QFETCH(bool, fieldClicked);
    QFETCH(bool, handlePressed);

    QWidget window;
    window.resize(400, 300);
    auto *field = new QPushButton(QStringLiteral("field"), &window);
    field->setGeometry(20, 20, 200, 100);
    auto *frame = new DesignCtl(&window);
    frame->coverField(QRect(300, 300, 3000, 1500));
    frame->setUserState(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy clicked(field, &QPushButton::clicked);
    QSignalSpy pressed(frame, &DesignCtl::MMouseDown);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(clicked.count(), fieldClicked ? 1 : 0);
    QCOMPARE(pressed.count(), handlePressed ? 1 : 0);
}

void TstDesignCtl::handleEvents_data()
{
    QTest::addColumn<int>("handle");   // 0 bottom, 1 corner, 2 right
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("shift");

    QTest::newRow("bottom") << 0 << Qt::KeyboardModifiers() << 0;
    QTest::newRow("corner with Shift") << 1 << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
    QTest::newRow("right with Ctrl") << 2 << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
}

void TstDesignCtl::handleEvents()
{
    QFETCH(int, handle);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, shift);

    QWidget window;
    window.resize(300, 200);
    auto *frame = new DesignCtl(&window);
    frame->setTwipsRect(150, 150, 1600, 1600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QLabel *handles[] = {frame->BottomCtl(), frame->MoveCtl(), frame->RightCtl()};
    using Sig = void (DesignCtl::*)(int, int, int, int);
    const Sig signals_[3][3] = {
        {&DesignCtl::BMouseDown, &DesignCtl::BMouseMove, &DesignCtl::BMouseUp},
        {&DesignCtl::MMouseDown, &DesignCtl::MMouseMove, &DesignCtl::MMouseUp},
        {&DesignCtl::RMouseDown, &DesignCtl::RMouseMove, &DesignCtl::RMouseUp},
    };
    QList<QSignalSpy *> spies;
    for (const auto &trio : signals_)
        for (Sig s : trio)
            spies.append(new QSignalSpy(frame, s));

    QLabel *target = handles[handle];
    // The handle is first in the stacking order; the press must lift it.
    handles[(handle + 1) % 3]->raise();
    bool onTopAtPress = false;
    connect(frame, signals_[handle][0], frame, [&](int, int, int, int) {
        onTopAtPress = frame->children().last() == target;
    });

    QTest::mousePress(target, Qt::LeftButton, mods, QPoint(2, 3));
    QTest::mouseMove(target, QPoint(4, 5));
    QTest::mouseRelease(target, Qt::LeftButton, mods, QPoint(4, 5));

    QVERIFY(onTopAtPress);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(spies[i]->count(), i / 3 == handle ? 1 : 0);
    const QList<QVariant> down = spies[handle * 3]->first();
    QCOMPARE(down, (QList<QVariant>{1, shift, 30, 45}));
    QCOMPARE(spies[handle * 3 + 1]->first().at(0).toInt(), 1);   // button held
    QCOMPARE(spies[handle * 3 + 1]->first().at(2).toInt(), 60);
    const QList<QVariant> up = spies[handle * 3 + 2]->first();
    QCOMPARE(up, (QList<QVariant>{1, shift, 60, 75}));
    qDeleteAll(spies);
}

// The workspace switches the frame to its outline look as soon as a handle
// is pressed, hiding the handles; the drag must still report to the end.
void TstDesignCtl::handleDragSurvivesOutline()
{
    QWidget window;
    window.resize(300, 200);
    auto *frame = new DesignCtl(&window);
    frame->setTwipsRect(300, 300, 1600, 1600);   // 20,20 .. 127,127 px
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    connect(frame, &DesignCtl::RMouseDown, frame, [frame] { frame->setUserState(1); });
    QSignalSpy moves(frame, &DesignCtl::RMouseMove);
    QSignalSpy ups(frame, &DesignCtl::RMouseUp);

    const QPoint handleAt = frame->mapTo(&window, frame->RightCtl()->geometry().topLeft());
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, handleAt + QPoint(1, 1));
    QCOMPARE(frame->frameState(), 1);
    QTest::mouseMove(window.windowHandle(), handleAt + QPoint(41, 1));
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, handleAt + QPoint(61, 1));

    // The window system may add moves of its own; the drag's move is there,
    // with the button held.
    bool dragMoveSeen = false;
    for (const QList<QVariant> &m : moves)
        dragMoveSeen |= m.at(0).toInt() == 1 && m.at(2).toInt() == 41 * 15;
    QVERIFY(dragMoveSeen);
    QCOMPARE(ups.count(), 1);
    QCOMPARE(ups.first().at(2).toInt(), 61 * 15);
}

QTEST_MAIN(TstDesignCtl)
#include "tst_designctl.moc"
