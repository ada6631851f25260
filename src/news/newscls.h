#pragma once
// Fetches the publisher's news line: an HTTP GET of <server>/news.txt, whose
// body is GB2312 text. The fetch never blocks the window: GetPage() starts it
// and PageReady() delivers the text, or the empty string when it could not be
// fetched (no server, refused, timed out, HTTP error, or larger than the cap).
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// GB2312 bytes to text. Bytes that are not GB2312 (a stray high byte, a lead
// byte without its trail byte, an unassigned code) become U+FFFD each, so
// that the text around them survives and the damage stays visible.
QString NewsToText(const QByteArray &bytes);

class NewsCls : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 10000;
    static constexpr qint64 MaxBytes = 64 * 1024;

    // net: the access manager to use; when null the object makes its own.
    explicit NewsCls(QNetworkAccessManager *net = nullptr, QObject *parent = nullptr);
    ~NewsCls() override;

    // The news address for a configured server address: "/news.txt" appended
    // (http:// assumed when no scheme is given). Invalid or non-HTTP → empty.
    static QUrl NewsAddress(const QString &server);

    // Starts fetching; PageReady follows exactly once, never from inside this
    // call. Returns false (and does nothing) while a fetch is still running.
    bool GetPage(const QString &server);
    bool IsBusy() const { return m_busy; }

    // Whole-fetch deadline in milliseconds (DefaultTimeoutMs unless changed).
    void SetTimeout(int ms) { m_timeoutMs = ms; }

signals:
    void PageReady(const QString &text);

private:
    void onReadyRead();
    void onFinished();
    void fail();
    void finish(const QString &text);

    QNetworkAccessManager *m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer *m_deadline = nullptr;
    QByteArray m_body;
    int m_timeoutMs = DefaultTimeoutMs;
    bool m_busy = false;
    bool m_failed = false;
};
