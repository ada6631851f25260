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
    void stopsAndUnregisters_data();
    void stopsAndUnregisters();
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

    QVERIFY(fast.TimerId() != 0 && slow.TimerId() != 0);
    QVERIFY(fast.TimerId() != slow.TimerId());
    QCOMPARE(registry.Keys().size(), 2);
    QVERIFY(registry.Keys().contains(QStringLiteral("ID:") + QString::number(slow.TimerId())));
    QTRY_VERIFY(fastTicks.count() >= 3);
    QCOMPARE(slowTicks.count(), 0);

    // A callback for one id reaches that owner alone; an unknown id nobody.
    const auto fastSeen = fastTicks.count();
    QVERIFY(registry.TimerCallback(slow.TimerId()));
    QVERIFY(!registry.TimerCallback(fast.TimerId() + slow.TimerId() + 1000));
    QCOMPARE(slowTicks.count(), 1);
    QCOMPARE(fastTicks.count(), fastSeen);
}

void TestTimerCls::stopsAndUnregisters_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("disabled") << false;
    QTest::newRow("destroyed") << true;
}

void TestTimerCls::stopsAndUnregisters()
{
    QFETCH(bool, destroy);
    TimerRegistry registry;
    auto timer = std::make_unique<TimerCls>(registry);
    QSignalSpy ticks(timer.get(), &TimerCls::Timer);
    timer->SetInterval(10);
    timer->SetEnabled(true);
    QTRY_VERIFY(ticks.count() >= 1);
    const int id = timer->TimerId();
    if (destroy) {
        timer.reset();
    } else {
        timer->SetEnabled(false);
        QCOMPARE(timer->TimerId(), 0);
        QVERIFY(!timer->Enabled());
    }
    QCOMPARE(registry.Count(), 0);
    QVERIFY(!registry.TimerCallback(id));
    const auto seen = ticks.count();
    QTest::qWait(50); // a stray tick for the dead id would show here (or crash)
    QCOMPARE(ticks.count(), seen);
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
