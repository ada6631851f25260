#include "newscls.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

Q_LOGGING_CATEGORY(lcNews, "billprint.news")

namespace {

constexpr uchar SubstituteByte = 0x1A; // what the decoder yields for unmapped codes

bool isLeadByte(uchar b) { return b >= 0xA1 && b <= 0xFE; }
bool isTrailByte(uchar b) { return b >= 0xA1 && b <= 0xFE; }

// Decodes a run of well-formed GB2312 (ASCII without 0x1A, and byte pairs).
QString decodeRun(QByteArrayView run)
{
    if (run.isEmpty())
        return {};
    QStringDecoder decoder("GB2312", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        // No GB2312 tables at hand: keep ASCII, mark every pair as unreadable.
        QString out;
        for (qsizetype i = 0; i < run.size(); ++i) {
            const uchar b = static_cast<uchar>(run[i]);
            out += b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter);
            i += b < 0x80 ? 0 : 1;
        }
        return out;
    }
    QString out = decoder.decode(run);
    // The run holds no 0x1A byte, so a U+001A can only be the decoder's own
    // substitute for a code it cannot map.
    out.replace(QChar(SubstituteByte), QChar(QChar::ReplacementCharacter));
    return out;
}

} // namespace

QString NewsToText(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const uchar b = static_cast<uchar>(bytes[i]);
        if (b < 0x80 && b != SubstituteByte) {
            ++i;
            continue;
        }
        if (isLeadByte(b) && i + 1 < n && isTrailByte(static_cast<uchar>(bytes[i + 1]))) {
            i += 2;
            continue;
        }
        out += decodeRun(QByteArrayView(bytes).sliced(runStart, i - runStart));
        out += b == SubstituteByte ? QChar(SubstituteByte) : QChar(QChar::ReplacementCharacter);
        runStart = ++i;
    }
    out += decodeRun(QByteArrayView(bytes).sliced(runStart, n - runStart));
    return out;
}

NewsCls::NewsCls(QNetworkAccessManager *net, QObject *parent)
    : QObject(parent), m_net(net ? net : new QNetworkAccessManager(this)),
      m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        qCInfo(lcNews) << "news fetch timed out after" << m_timeoutMs << "ms";
        fail();
    });
}

NewsCls::~NewsCls()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

QUrl NewsCls::NewsAddress(const QString &server)
{
    QString base = server.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base.isEmpty())
        return {};
    if (!base.contains(QLatin1String("://")))
        base.prepend(QLatin1String("http://"));
    const QUrl url(base + QLatin1String("/news.txt"), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

bool NewsCls::GetPage(const QString &server)
{
    if (m_busy)
        return false;
    m_busy = true;
    m_failed = false;
    m_body.clear();

    const QUrl url = NewsAddress(server);
    if (url.isEmpty()) {
        qCInfo(lcNews) << "no usable news server address:" << server;
        QTimer::singleShot(0, this, [this] { finish(QString()); });
        return true;
    }
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(5);
    m_reply = m_net->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &NewsCls::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &NewsCls::onFinished);
    m_deadline->start(m_timeoutMs);
    return true;
}

void NewsCls::onReadyRead()
{
    if (!m_reply || m_failed)
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > MaxBytes) {
        qCInfo(lcNews) << "news text announced too large:" << length.toLongLong();
        fail();
        return;
    }
    m_body += m_reply->read(MaxBytes + 1 - m_body.size());
    if (m_body.size() > MaxBytes) {
        qCInfo(lcNews) << "news text larger than" << MaxBytes << "bytes";
        fail();
    }
}

void NewsCls::onFinished()
{
    if (!m_reply || m_failed)
        return;
    onReadyRead();
    if (m_failed)
        return;
    if (m_reply->error() != QNetworkReply::NoError) {
        qCInfo(lcNews) << "news fetch failed:" << m_reply->errorString();
        fail();
        return;
    }
    finish(NewsToText(m_body));
}

void NewsCls::fail()
{
    if (m_failed)
        return;
    m_failed = true;
    // abort() may re-enter onFinished, which sees m_failed and leaves.
    if (m_reply)
        m_reply->abort();
    finish(QString());
}

void NewsCls::finish(const QString &text)
{
    m_deadline->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_body.clear();
    m_busy = false;
    emit PageReady(text);
}
