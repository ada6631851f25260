#include "news/timercls.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

class TestTimerCls : public QObject {
    Q_OBJECT
private slots:
    void belowOneStartsNothing_data();
    void belowOneStartsNothing();
    void twoTimersGetOnlyTheirOwnTicks();
    void callbackDispatchesByKey();
    void disablingStopsAndUnregisters();
    void destroyingStopsAndUnregisters();
    void intervalChangeRestartsRunningTimer();
    void disabledTimerStaysOffWhenIntervalSet();
    void registriesSideBySide();
    void registryGoneFirst();
};

void TestTimerCls::belowOneStartsNothing_data()
{
    QTest::addColumn<int>("interval");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -5;
}

void TestTimerCls::belowOneStartsNothing()
{
    QFETCH(int, interval);
    TimerRegistry registry;
    TimerCls timer(registry);
    QSignalSpy ticks(&timer, &TimerCls::Timer);
    timer.SetInterval(interval);
    timer.SetEnabled(true);
    QCOMPARE(timer.TimerId(), 0);
    QVERIFY(timer.Enabled());
    QCOMPARE(registry.Count(), 0);
    QTest::qWait(100);
    QCOMPARE(ticks.count(), 0);
}

void TestTimerCls::twoTimersGetOnlyTheirOwnTicks()
{
    TimerRegistry registry;
    TimerCls fast(registry);
    TimerCls slow(registry);
    QSignalSpy fastTicks(&fast, &TimerCls::Timer);
    QSignalSpy slowTicks(&slow, &TimerCls::Timer);
    fast.SetInterval(10);
    slow.SetInterval(60000);
    fast.SetEnabled(true);
    slow.SetEnabled(true);

    QVERIFY(fast.TimerId() != 0);
    QVERIFY(slow.TimerId() != 0);
    QVERIFY(fast.TimerId() != slow.TimerId());
    QCOMPARE(registry.Count(), 2);
    QTRY_VERIFY(fastTicks.count() >= 3);
    QCOMPARE(slowTicks.count(), 0);
}

void TestTimerCls::callbackDispatchesByKey()
{
    TimerRegistry registry;
    TimerCls a(registry);
    TimerCls b(registry);
    a.SetInterval(60000);
    b.SetInterval(60000);
    a.SetEnabled(true);
    b.SetEnabled(true);
    QSignalSpy aTicks(&a, &TimerCls::Timer);
    QSignalSpy bTicks(&b, &TimerCls::Timer);

    QVERIFY(registry.Keys().contains(QStringLiteral("ID:") + QString::number(a.TimerId())));
    QVERIFY(registry.Keys().contains(QStringLiteral("ID:") + QString::number(b.TimerId())));
    QCOMPARE(registry.Find(a.TimerId()), &a);

    QVERIFY(registry.TimerCallback(b.TimerId()));
    QCOMPARE(aTicks.count(), 0);
    QCOMPARE(bTicks.count(), 1);
    QVERIFY(!registry.TimerCallback(a.TimerId() + b.TimerId() + 1000));
    QCOMPARE(aTicks.count() + bTicks.count(), 1);
}

void TestTimerCls::disablingStopsAndUnregisters()
{
    TimerRegistry registry;
    TimerCls timer(registry);
    QSignalSpy ticks(&timer, &TimerCls::Timer);
    timer.SetInterval(10);
    timer.SetEnabled(true);
    QTRY_VERIFY(ticks.count() >= 1);
    const int id = timer.TimerId();
    timer.SetEnabled(false);
    QCOMPARE(timer.TimerId(), 0);
    QVERIFY(!timer.Enabled());
    QCOMPARE(registry.Find(id), nullptr);
    QCOMPARE(registry.Count(), 0);
    const auto seen = ticks.count();
    QTest::qWait(60);
    QCOMPARE(ticks.count(), seen);
}

void TestTimerCls::destroyingStopsAndUnregisters()
{
    TimerRegistry registry;
    auto timer = std::make_unique<TimerCls>(registry);
    timer->SetInterval(10);
    timer->SetEnabled(true);
    QCOMPARE(registry.Count(), 1);
    const int id = timer->TimerId();
    timer.reset();
    QCOMPARE(registry.Count(), 0);
    QTest::qWait(40); // a stray tick for the dead id would crash here
    QVERIFY(!registry.TimerCallback(id));
}

void TestTimerCls::intervalChangeRestartsRunningTimer()
{
    TimerRegistry registry;
    TimerCls timer(registry);
    QSignalSpy ticks(&timer, &TimerCls::Timer);
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    timer.SetInterval(10);
    QVERIFY(timer.TimerId() != 0);
    QCOMPARE(registry.Count(), 1);
    QTRY_VERIFY(ticks.count() >= 2);

    timer.SetInterval(0); // stops the system timer, keeps the switch on
    QCOMPARE(timer.TimerId(), 0);
    QVERIFY(timer.Enabled());
    QCOMPARE(registry.Count(), 0);
}

void TestTimerCls::disabledTimerStaysOffWhenIntervalSet()
{
    TimerRegistry registry;
    TimerCls timer(registry);
    timer.SetEnabled(true); // Interval 0: only the flag
    timer.SetEnabled(false);
    timer.SetInterval(10);
    QCOMPARE(timer.TimerId(), 0);
    QVERIFY(!timer.Enabled());
    QCOMPARE(registry.Count(), 0);
}

void TestTimerCls::registriesSideBySide()
{
    TimerRegistry first;
    TimerRegistry second;
    TimerCls a(first);
    TimerCls b(second);
    QSignalSpy aTicks(&a, &TimerCls::Timer);
    QSignalSpy bTicks(&b, &TimerCls::Timer);
    a.SetInterval(10);
    b.SetInterval(10);
    a.SetEnabled(true);
    b.SetEnabled(true);
    QCOMPARE(first.Count(), 1);
    QCOMPARE(second.Count(), 1);
    QCOMPARE(first.Find(b.TimerId()), nullptr);
    QTRY_VERIFY(aTicks.count() >= 2 && bTicks.count() >= 2);
}

void TestTimerCls::registryGoneFirst()
{
    auto registry = std::make_unique<TimerRegistry>();
    TimerCls timer(*registry);
    timer.SetInterval(10);
    timer.SetEnabled(true);
    registry.reset();
    timer.SetEnabled(false);
    QCOMPARE(timer.TimerId(), 0);
    timer.SetEnabled(true); // nothing left to start a timer on
    QCOMPARE(timer.TimerId(), 0);
}

QTEST_MAIN(TestTimerCls)
#include "tst_timercls.moc"
