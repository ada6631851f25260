#pragma once
// The news line of the main window (object name "LblNews"): a light blue,
// underlined label whose text is fetched once a minute and shown in one of
// the 16 console colours; a click opens the publisher's download page.
#include "linklabel.h"
#include "timercls.h"

#include <QColor>
#include <QPointer>
#include <array>
#include <memory>

struct AppState;
class NewsCls;
class QNetworkAccessManager;

class NewsTicker : public LinkLabel {
    Q_OBJECT
public:
    static constexpr int NewsInterval = 60000; // ms between two fetches

    // Reads AppNewsServer and AppDownLoadPage from state at each use; state
    // must outlive the ticker.
    explicit NewsTicker(const AppState &state, QWidget *parent = nullptr);
    ~NewsTicker() override;

    // Creates the news timer (every NewsInterval ms) and enables it. The
    // first text appears one interval after start().
    void start();
    // Disables the news timer and drops it; a fetch under way is abandoned.
    void stop();

    TimerCls *NewsTimer() const { return m_newsTimer.get(); }
    TimerRegistry &Timers() { return m_timers; }
    bool IsFetching() const { return !m_news.isNull(); }
    // Deadline of one fetch (10 s unless changed).
    void SetFetchTimeout(int ms) { m_fetchTimeoutMs = ms; }

    // The text shown for a reply: its first line that holds anything.
    static QString firstLine(const QString &text);
    // The line elided to at most `width` pixels, the label sized to it.
    void fitWithin(int width);
    // The whole line of the last news, before any eliding.
    QString line() const { return m_line; }

    static const std::array<QColor, 16> &ConsoleColours();
    static QColor Background();

public slots:
    // One tick: fetch the news; when it arrives, show it in a random colour.
    // A tick while the previous fetch still runs is skipped.
    void NewsTimer_Timer();

signals:
    // The caption has just been replaced by text, the reply's first line
    // (empty after a failed fetch).
    void NewsShown(const QString &text);

private:
    void showNews(const QString &text);
    void openDownLoadPage();

    const AppState &m_state;
    TimerRegistry m_timers;
    std::unique_ptr<TimerCls> m_newsTimer;
    QNetworkAccessManager *m_net = nullptr;
    QPointer<NewsCls> m_news;
    int m_fetchTimeoutMs;
    QString m_line;
};
