#include "core/appstate.h"
#include "news/newscls.h"
#include "news/newsticker.h"
#include "newsserver.h"
#include "urlcatcher.h"
#include "moc_urlcatcher.cpp"

#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray ChineseNews = QByteArray::fromHex("bdf1c8d5d0c2cec5a3bac8cbc3f1b1d2bbe3c2cacec8b6a8a1a3");
const QString ChineseText = QString::fromUtf8("今日新闻：人民币汇率稳定。");

bool isConsoleColour(const QColor &c)
{
    const auto &colours = NewsTicker::ConsoleColours();
    return std::find(colours.begin(), colours.end(), c) != colours.end();
}

} // namespace

class TestNewsTicker : public QObject {
    Q_OBJECT
private slots:
    void tickShowsChineseNewsInAConsoleColour();
    void failedFetchLeavesEmptyLine_data();
    void failedFetchLeavesEmptyLine();
    void slowServerIsNotAskedTwice();
    void timerDrivesTheTicks();
    void coloursVary();
    void markupIsShownAsText();
    void replyShowsAsOneLine_data();
    void replyShowsAsOneLine();
    void clickOpensDownloadPage_data();
    void clickOpensDownloadPage();
};

void TestNewsTicker::tickShowsChineseNewsInAConsoleColour()
{
    NewsServer server(NewsServer::Mode::Serve, ChineseNews);
    AppState state;
    state.AppNewsServer = server.Address();
    NewsTicker ticker(state);
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    ticker.NewsTimer_Timer();
    QVERIFY(shown.wait(5000));
    QCOMPARE(ticker.text(), ChineseText);
    QVERIFY(isConsoleColour(ticker.palette().color(QPalette::WindowText)));
    QCOMPARE(ticker.palette().color(QPalette::Window), NewsTicker::Background());
}

void TestNewsTicker::failedFetchLeavesEmptyLine_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("configured");
    using M = NewsServer::Mode;
    QTest::newRow("no server configured") << int(M::Serve) << false;
    QTest::newRow("closes at once") << int(M::CloseAtOnce) << true;
    QTest::newRow("never answers") << int(M::NeverAnswer) << true;
    QTest::newRow("not found") << int(M::NotFound) << true;
}

void TestNewsTicker::failedFetchLeavesEmptyLine()
{
    QFETCH(int, mode);
    QFETCH(bool, configured);
    NewsServer server(NewsServer::Mode(mode), "unused");
    AppState state;
    if (configured)
        state.AppNewsServer = server.Address();
    NewsTicker ticker(state);
    ticker.SetFetchTimeout(300);
    ticker.setText(QStringLiteral("yesterday's news"));
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    ticker.NewsTimer_Timer();
    QVERIFY(shown.wait(5000));
    QCOMPARE(ticker.text(), QString());
    QVERIFY(!ticker.IsFetching());
}

void TestNewsTicker::slowServerIsNotAskedTwice()
{
    NewsServer server(NewsServer::Mode::NeverAnswer);
    AppState state;
    state.AppNewsServer = server.Address();
    NewsTicker ticker(state);
    ticker.SetFetchTimeout(400);
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    ticker.NewsTimer_Timer();
    QTRY_COMPARE(server.Connections(), 1);
    ticker.NewsTimer_Timer();
    ticker.NewsTimer_Timer();
    QVERIFY(ticker.IsFetching());
    QVERIFY(shown.wait(5000));
    QTest::qWait(50);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(server.Connections(), 1);
}

void TestNewsTicker::timerDrivesTheTicks()
{
    NewsServer server(NewsServer::Mode::Serve, ChineseNews);
    AppState state;
    state.AppNewsServer = server.Address();
    NewsTicker ticker(state);
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    ticker.start();
    QVERIFY(ticker.NewsTimer());
    QCOMPARE(ticker.NewsTimer()->Interval(), 60000);
    QCOMPARE(ticker.Timers().Keys(),
             QStringList{QStringLiteral("ID:") + QString::number(ticker.NewsTimer()->TimerId())});
    QTest::qWait(100);
    QCOMPARE(shown.count(), 0); // the first text comes one interval after start
    ticker.NewsTimer()->SetInterval(20);
    QTRY_VERIFY(shown.count() >= 2);
    QCOMPARE(ticker.text(), ChineseText);
    ticker.stop();
    QCOMPARE(ticker.NewsTimer(), nullptr);
    QCOMPARE(ticker.Timers().Count(), 0);
}

void TestNewsTicker::coloursVary()
{
    AppState state; // no server: each tick ends at once with an empty line
    NewsTicker ticker(state);
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    QSet<QRgb> seen;
    for (int i = 0; i < 40; ++i) {
        ticker.NewsTimer_Timer();
        QVERIFY(shown.wait(2000));
        const QColor c = ticker.palette().color(QPalette::WindowText);
        QVERIFY(isConsoleColour(c));
        seen.insert(c.rgb());
    }
    QVERIFY2(seen.size() >= 4, "the colour should be drawn at random among 16");
}

void TestNewsTicker::markupIsShownAsText()
{
    NewsServer server(NewsServer::Mode::Serve, "<b>bold</b>");
    AppState state;
    state.AppNewsServer = server.Address();
    NewsTicker ticker(state);
    QSignalSpy shown(&ticker, &NewsTicker::NewsShown);
    ticker.NewsTimer_Timer();
    QVERIFY(shown.wait(5000));
    QCOMPARE(ticker.text(), QStringLiteral("<b>bold</b>"));
    QCOMPARE(ticker.textFormat(), Qt::PlainText);
}

void TestNewsTicker::replyShowsAsOneLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("line");
    const QByteArray lng(3000, 'x');
    QTest::newRow("many lines") << QByteArray("first news\nsecond\nthird\n") << "first news";
    QTest::newRow("windows lines") << QByteArray("first news\r\nsecond") << "first news";
    QTest::newRow("blank lines before") << QByteArray("\r\n\n  \nfirst news\nsecond") << "first news";
    QTest::newRow("one long line") << lng << QString::fromLatin1(lng);
    QTest::newRow("long lines") << (lng + "\n" + lng) << QString::fromLatin1(lng);
}

// However long or many-lined the reply, the line shows its first line and,
// fitted to the room the window gives it, stays one line within that room.
void TestNewsTicker::replyShowsAsOneLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, line);
    NewsServer server(NewsServer::Mode::Serve, reply);
    AppState state;
    state.AppNewsServer = server.Address();
    QWidget window;
    window.resize(400, 300);
    auto *ticker = new NewsTicker(state, &window);
    QSignalSpy shown(ticker, &NewsTicker::NewsShown);
    ticker->NewsTimer_Timer();
    QVERIFY(shown.wait(5000));
    QCOMPARE(shown.first().first().toString(), line);
    QCOMPARE(ticker->line(), line);
    ticker->fitWithin(300);
    QVERIFY2(ticker->width() <= 300, qPrintable(QString::number(ticker->width())));
    QVERIFY(!ticker->text().contains(u'\n'));
    QVERIFY(ticker->height() < 2 * ticker->fontMetrics().height() + 4);
    if (ticker->fontMetrics().horizontalAdvance(line) > 300)
        QVERIFY(ticker->text().endsWith(QChar(0x2026)));
    else
        QCOMPARE(ticker->text(), line);
}

void TestNewsTicker::clickOpensDownloadPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("opened");
    QTest::newRow("full address") << "http://www.example.com/download" << "http://www.example.com/download";
    QTest::newRow("bare host") << "www.example.com" << "http://www.example.com";
    QTest::newRow("empty") << "" << "";
}

void TestNewsTicker::clickOpensDownloadPage()
{
    QFETCH(QString, page);
    QFETCH(QString, opened);
    UrlCatcher browser;
    AppState state;
    state.AppDownLoadPage = page;
    NewsTicker ticker(state);
    ticker.resize(300, 20);
    ticker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ticker));
    QTest::mouseClick(&ticker, Qt::LeftButton);
    if (opened.isEmpty()) {
        QVERIFY(browser.opened.isEmpty());
    } else {
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(opened)});
        QCOMPARE(browser.cursors, QList<Qt::CursorShape>{Qt::WaitCursor});
    }
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestNewsTicker)
#include "tst_newsticker.moc"
