#pragma once
// A small periodic timer object on top of QTimer.
//
// Every running timer is entered in a TimerRegistry under the key "ID:" +
// its timer id; a tick goes through the registry, which raises the Timer
// signal of the TimerCls entered under that id. The registry is an ordinary
// object: the application owns one, and a test can build several side by
// side.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class TimerCls;

class TimerRegistry : public QObject {
    Q_OBJECT
public:
    explicit TimerRegistry(QObject *parent = nullptr);
    ~TimerRegistry() override;

    // "ID:" followed by the timer id in decimal, e.g. "ID:4097".
    static QString Key(int timerId);

    // Starts the owner's timer; enters it and returns the id, or returns 0
    // when no timer could be started.
    int StartTimer(TimerCls *owner, int intervalMs);
    // Stops the timer entered under the id and removes its entry.
    void StopTimer(int timerId);

    TimerCls *Find(int timerId) const;
    QStringList Keys() const;
    qsizetype Count() const { return m_entries.size(); }

    // Raises the Timer signal of the object entered under timerId.
    // Returns false when no object is entered under that id.
    bool TimerCallback(int timerId);

private:
    QHash<QString, QPointer<TimerCls>> m_entries;
};

class TimerCls : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
public:
    explicit TimerCls(TimerRegistry &registry, QObject *parent = nullptr);
    ~TimerCls() override;

    int Interval() const { return m_interval; }
    // Stores the period (ms) and applies the enabled flag again; a running
    // timer is restarted so that the new period takes effect at once.
    void SetInterval(int ms);

    bool Enabled() const { return m_enabled; }
    // true starts the timer (nothing runs while Interval is below 1, but the
    // flag is kept so that a later Interval starts it); false stops it.
    void SetEnabled(bool on);

    // Id of the running event-loop timer, 0 when none runs.
    int TimerId() const { return m_timerId; }

signals:
    void Timer();

private:
    friend class TimerRegistry;
    void startSystemTimer();
    void stopSystemTimer();

    QPointer<TimerRegistry> m_registry;
    QTimer m_timer;
    int m_timerId = 0;
    int m_interval = 0;
    bool m_enabled = false;
};
