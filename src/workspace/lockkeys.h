#pragma once
// The status bar's CAPS and NUM panels: they show whether Caps Lock and
// Num Lock are on. The state comes from a source function so that tests can
// hand in their own; the system's source reads the keyboard indicators of
// the X server and knows nothing on other platforms (offscreen, Wayland).
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QLabel;
class QTimer;

struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool operator==(const LockKeyState &) const = default;
};

// Reads the current state; nullopt when it cannot be known.
using LockKeySource = std::function<std::optional<LockKeyState>()>;

// The keyboard's own indicators where the platform lets us read them.
LockKeySource systemLockKeys();

// Keeps the two panels in step with the source: at once, after a lock key
// was pressed in the program, when the program becomes active, and on a
// short poll for changes made while another program had the keyboard.
// A panel shows its text normally while its lock is on and greyed while it
// is off or unknown.
class LockKeyPanels : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMs = 300;

    LockKeyPanels(QLabel *caps, QLabel *num, LockKeySource source, QObject *parent = nullptr);

    void setSource(LockKeySource source);
    // Reads the source and shows what it says.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show(QLabel *label, std::optional<bool> on, const QString &name);

    QPointer<QLabel> m_caps;
    QPointer<QLabel> m_num;
    LockKeySource m_source;
    QTimer *m_poll = nullptr;
    std::optional<LockKeyState> m_shown;
    bool m_everShown = false;
};
