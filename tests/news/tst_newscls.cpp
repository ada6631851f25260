#include "news/newscls.h"
#include "newsserver.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// "今日新闻：人民币汇率稳定。" in GB2312.
const QByteArray ChineseNews = QByteArray::fromHex(
    "bdf1c8d5d0c2cec5a3bac8cbc3f1b1d2bbe3c2cacec8b6a8a1a3");
const QString ChineseText = QString::fromUtf8("今日新闻：人民币汇率稳定。");
const QChar Bad(QChar::ReplacementCharacter);

QString runFetch(NewsCls &news, const QString &server, int waitMs = 5000)
{
    QSignalSpy ready(&news, &NewsCls::PageReady);
    if (!news.GetPage(server))
        return QStringLiteral("<refused>");
    if (!ready.isEmpty())
        return QStringLiteral("<answered inside GetPage>");
    if (!ready.wait(waitMs))
        return QStringLiteral("<no answer>");
    return ready.takeFirst().at(0).toString();
}

} // namespace

class TestNewsCls : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void address_data();
    void address();
    void fetch_data();
    void fetch();
    void windowKeepsRunningWhileServerIsSilent();
    void secondFetchWhileBusyIsRefused();
    void requestIsGetOfNewsTxt();
};

void TestNewsCls::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("Bank holiday on Monday") << QStringLiteral("Bank holiday on Monday");
    QTest::newRow("chinese") << ChineseNews << ChineseText;
    QTest::newRow("mixed lines") << QByteArray("2024\r\n") + ChineseNews.left(8)
                                 << QStringLiteral("2024\r\n") + ChineseText.left(4);
    QTest::newRow("stray 0xFF") << QByteArray("a\xff" "b") << QStringLiteral("a") + Bad + QStringLiteral("b");
    QTest::newRow("0x80") << QByteArray("\x80") + ChineseNews.left(2) << QString(Bad) + ChineseText.left(1);
    QTest::newRow("lead byte at the end") << ChineseNews.left(3) << ChineseText.left(1) + Bad;
    QTest::newRow("lead with ascii trail") << QByteArray("\xd0" "A") << QString(Bad) + QStringLiteral("A");
    QTest::newRow("raw 0x1A kept") << QByteArray("x\x1ay") << QStringLiteral("x\x1ay");
}

void TestNewsCls::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(NewsToText(bytes), text);
}

void TestNewsCls::address_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("url");
    QTest::newRow("host only") << "news.example.com" << "http://news.example.com/news.txt";
    QTest::newRow("with port and slash") << "http://10.1.2.3:8080/" << "http://10.1.2.3:8080/news.txt";
    QTest::newRow("with path and spaces") << "  https://example.com/bp " << "https://example.com/bp/news.txt";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("blank") << "   " << "";
    QTest::newRow("not http") << "ftp://example.com" << "";
    QTest::newRow("file") << "file:///etc" << "";
}

void TestNewsCls::address()
{
    QFETCH(QString, server);
    QFETCH(QString, url);
    QCOMPARE(NewsCls::NewsAddress(server).toString(), url);
}

void TestNewsCls::fetch_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    using M = NewsServer::Mode;
    const QByteArray atCap(NewsCls::MaxBytes, 'n');
    const QByteArray megabyte(1024 * 1024, 'm');
    QTest::newRow("chinese") << int(M::Serve) << ChineseNews << ChineseText;
    QTest::newRow("chinese, no length") << int(M::ServeNoLength) << ChineseNews << ChineseText;
    QTest::newRow("invalid bytes") << int(M::Serve) << QByteArray("\xff") + ChineseNews.left(4) + "\xd0"
                                   << QString(Bad) + ChineseText.left(2) + Bad;
    QTest::newRow("empty body") << int(M::Serve) << QByteArray() << QString();
    QTest::newRow("exactly the cap") << int(M::Serve) << atCap << QString::fromLatin1(atCap);
    QTest::newRow("megabyte") << int(M::Serve) << megabyte << QString();
    QTest::newRow("megabyte, no length") << int(M::ServeNoLength) << megabyte << QString();
    QTest::newRow("not found") << int(M::NotFound) << QByteArray() << QString();
    QTest::newRow("closes at once") << int(M::CloseAtOnce) << QByteArray() << QString();
    QTest::newRow("never answers") << int(M::NeverAnswer) << QByteArray() << QString();
}

void TestNewsCls::fetch()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    NewsServer server(NewsServer::Mode(mode), body);
    NewsCls news;
    news.SetTimeout(500);
    QCOMPARE(runFetch(news, server.Address()), text);
    QVERIFY(!news.IsBusy());
}

void TestNewsCls::windowKeepsRunningWhileServerIsSilent()
{
    NewsServer server(NewsServer::Mode::NeverAnswer);
    NewsCls news;
    news.SetTimeout(1000);
    QSignalSpy ready(&news, &NewsCls::PageReady);
    bool eventLoopRan = false;
    QTimer::singleShot(20, this, [&] { eventLoopRan = ready.isEmpty(); });
    QVERIFY(news.GetPage(server.Address()));
    QVERIFY(news.IsBusy());
    QVERIFY(ready.wait(5000));
    QVERIFY(eventLoopRan);
    QCOMPARE(ready.first().at(0).toString(), QString());
}

void TestNewsCls::secondFetchWhileBusyIsRefused()
{
    NewsServer server(NewsServer::Mode::NeverAnswer);
    NewsCls news;
    news.SetTimeout(300);
    QSignalSpy ready(&news, &NewsCls::PageReady);
    QVERIFY(news.GetPage(server.Address()));
    QVERIFY(!news.GetPage(server.Address()));
    QVERIFY(ready.wait(5000));
    QTest::qWait(50);
    QCOMPARE(ready.count(), 1);
    QCOMPARE(server.Connections(), 1);
    // Once the first is over, the object fetches again.
    QCOMPARE(runFetch(news, server.Address()), QString());
}

void TestNewsCls::requestIsGetOfNewsTxt()
{
    NewsServer server(NewsServer::Mode::Serve, "ok");
    NewsCls news;
    QCOMPARE(runFetch(news, server.Address() + QStringLiteral("/")), QStringLiteral("ok"));
    QVERIFY2(server.LastRequest().startsWith("GET /news.txt HTTP/1.1\r\n"), server.LastRequest());
}

QTEST_MAIN(TestNewsCls)
#include "tst_newscls.moc"
