#include "workspace/lockkeys.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace lockkeys {
// Reads the X server's keyboard indicators (lockkeys_x11.cpp, kept apart
// because Xlib's macros clash with Qt's names); false when it cannot.
bool readX11(LockKeyState &state);
} // namespace lockkeys

LockKeySource systemLockKeys()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return [] {
            LockKeyState state;
            return lockkeys::readX11(state) ? std::optional<LockKeyState>(state) : std::nullopt;
        };
    return [] { return std::optional<LockKeyState>(); };
}

LockKeyPanels::LockKeyPanels(QLabel *caps, QLabel *num, LockKeySource source, QObject *parent)
    : QObject(parent), m_caps(caps), m_num(num), m_source(std::move(source)), m_poll(new QTimer(this))
{
    connect(m_poll, &QTimer::timeout, this, &LockKeyPanels::refresh);
    m_poll->start(PollMs);
    if (qApp)
        qApp->installEventFilter(this);
    refresh();
}

void LockKeyPanels::setSource(LockKeySource source)
{
    m_source = std::move(source);
    refresh();
}

void LockKeyPanels::refresh()
{
    const std::optional<LockKeyState> now = m_source ? m_source() : std::nullopt;
    if (m_everShown && now == m_shown)
        return;
    m_everShown = true;
    m_shown = now;
    show(m_caps, now ? std::optional<bool>(now->caps) : std::nullopt, QStringLiteral("大写锁定"));
    show(m_num, now ? std::optional<bool>(now->num) : std::nullopt, QStringLiteral("数字锁定"));
}

void LockKeyPanels::show(QLabel *label, std::optional<bool> on, const QString &name)
{
    if (!label)
        return;
    label->setEnabled(on.value_or(false));
    if (!on)
        label->setToolTip(QStringLiteral("%1：无法读取").arg(name));
    else
        label->setToolTip(QStringLiteral("%1：%2").arg(name, *on ? QStringLiteral("开") : QStringLiteral("关")));
}

bool LockKeyPanels::eventFilter(QObject *watched, QEvent *event)
{
    // The lock keys change the state when they are pressed; read it as soon
    // as the key comes back up, and whenever the program gets the keyboard.
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock)
            QTimer::singleShot(0, this, &LockKeyPanels::refresh);
    } else if (event->type() == QEvent::ApplicationActivate) {
        refresh();
    }
    return QObject::eventFilter(watched, event);
}
