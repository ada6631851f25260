#include "timercls.h"

#include <QTimerEvent>

TimerRegistry::TimerRegistry(QObject *parent) : QObject(parent) {}

TimerRegistry::~TimerRegistry()
{
    // QObject kills our event-loop timers itself; the owners notice through
    // their QPointer to us that there is nothing left to stop.
    m_entries.clear();
}

QString TimerRegistry::Key(int timerId)
{
    return QStringLiteral("ID:") + QString::number(timerId);
}

int TimerRegistry::StartTimer(TimerCls *owner, int intervalMs)
{
    if (!owner || intervalMs < 1)
        return 0;
    const int id = startTimer(intervalMs);
    if (id != 0)
        m_entries.insert(Key(id), owner);
    return id;
}

void TimerRegistry::StopTimer(int timerId)
{
    if (timerId == 0)
        return;
    killTimer(timerId);
    m_entries.remove(Key(timerId));
}

TimerCls *TimerRegistry::Find(int timerId) const
{
    return m_entries.value(Key(timerId));
}

QStringList TimerRegistry::Keys() const
{
    return m_entries.keys();
}

bool TimerRegistry::TimerCallback(int timerId)
{
    TimerCls *owner = Find(timerId);
    if (!owner)
        return false;
    emit owner->Timer();
    return true;
}

void TimerRegistry::timerEvent(QTimerEvent *event)
{
    TimerCallback(event->timerId());
}

TimerCls::TimerCls(TimerRegistry &registry, QObject *parent)
    : QObject(parent), m_registry(&registry)
{
}

TimerCls::~TimerCls()
{
    stopSystemTimer();
}

void TimerCls::SetInterval(int ms)
{
    m_interval = ms;
    // Restart so that a running timer takes the new period.
    stopSystemTimer();
    SetEnabled(m_enabled);
}

void TimerCls::SetEnabled(bool on)
{
    if (!on) {
        stopSystemTimer();
        m_enabled = false;
        return;
    }
    if (m_timerId != 0)
        return;
    if (m_interval < 1) {
        m_enabled = true;
        return;
    }
    startSystemTimer();
}

void TimerCls::startSystemTimer()
{
    if (!m_registry)
        return;
    m_timerId = m_registry->StartTimer(this, m_interval);
    if (m_timerId != 0)
        m_enabled = true;
}

void TimerCls::stopSystemTimer()
{
    if (m_timerId == 0)
        return;
    if (m_registry)
        m_registry->StopTimer(m_timerId);
    m_timerId = 0;
}
