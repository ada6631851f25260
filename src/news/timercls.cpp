#include "timercls.h"

TimerRegistry::TimerRegistry(QObject *parent) : QObject(parent) {}

TimerRegistry::~TimerRegistry()
{
    // The owners' timers stop with the registry: ticks have nowhere to go.
    for (const QPointer<TimerCls> &owner : std::as_const(m_entries))
        if (owner)
            owner->m_timer.stop();
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
    owner->m_timer.start(intervalMs);
    const int id = owner->m_timer.timerId();
    if (id > 0)
        m_entries.insert(Key(id), owner);
    else
        owner->m_timer.stop();
    return id > 0 ? id : 0;
}

void TimerRegistry::StopTimer(int timerId)
{
    if (timerId == 0)
        return;
    if (TimerCls *owner = Find(timerId))
        owner->m_timer.stop();
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

TimerCls::TimerCls(TimerRegistry &registry, QObject *parent)
    : QObject(parent), m_registry(&registry)
{
    // A tick goes through the registry, under the id it was entered with.
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_registry)
            m_registry->TimerCallback(m_timerId);
    });
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
    m_timer.stop();
    if (m_timerId == 0)
        return;
    if (m_registry)
        m_registry->StopTimer(m_timerId);
    m_timerId = 0;
}
