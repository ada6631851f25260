#include "core/appstate.h"
#include "news/about.h"
#include "urlcatcher.h"
#include "moc_urlcatcher.cpp"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

void record(AppState &state, const QString &homePage, const QString &downLoadPage)
{
    state.AppTitle = QString::fromUtf8("银行票据打印");
    state.AppVersion = QStringLiteral("1.0");
    state.AppPhone = QStringLiteral("010-12345678");
    state.AppAddress = QString::fromUtf8("北京市西城区");
    state.AppHomePage = homePage;
    state.AppDownLoadPage = downLoadPage;
}

QLabel *label(const QWidget &w, const char *name)
{
    return w.findChild<QLabel *>(QLatin1String(name));
}

void clickLabel(const QWidget &w, const char *name)
{
    QLabel *l = label(w, name);
    QVERIFY(l);
    QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(2, l->height() / 2));
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void icon();
    void emptyLinkDoesNothing();
    void linkOpensAndBoxStaysOpen_data();
    void linkOpensAndBoxStaysOpen();
};

void TestAbout::labels_data()
{
    QTest::addColumn<QString>("homePage");
    QTest::addColumn<QString>("downLoadPage");
    QTest::newRow("both") << "http://www.example.com" << "http://www.example.com/dl";
    QTest::newRow("empty home page") << "" << "http://www.example.com/dl";
    QTest::newRow("both empty") << "" << "";
}

void TestAbout::labels()
{
    QFETCH(QString, homePage);
    QFETCH(QString, downLoadPage);
    AppState state;
    record(state, homePage, downLoadPage);
    About box(state);
    QCOMPARE(label(box, "lblTVPA")->text(),
             state.AppTitle + "\r\n" + state.AppVersion + "\r\n" + state.AppPhone + "\r\n" + state.AppAddress);
    QCOMPARE(label(box, "lblHomePage")->text(), homePage);
    QCOMPARE(label(box, "lblDownLoadPage")->text(), downLoadPage);
    QCOMPARE(box.findChild<QPushButton *>("cmdOK")->text(), QStringLiteral("OK"));
    QVERIFY(box.isModal());
}

void TestAbout::icon()
{
    AppState state;
    record(state, {}, {});
    About box(state);
    QLabel *icon = label(box, "ImageIcon");
    QVERIFY(icon);
    QVERIFY(!icon->pixmap().isNull());
    QVERIFY(!icon->toolTip().isEmpty());
    QVERIFY(!icon->toolTip().contains(QLatin1Char('\n')));
}

void TestAbout::emptyLinkDoesNothing()
{
    UrlCatcher browser;
    AppState state;
    record(state, {}, QStringLiteral("http://www.example.com/dl"));
    About box(state);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    clickLabel(box, "lblHomePage");
    QVERIFY(browser.opened.isEmpty());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(box.isVisible());
}

void TestAbout::linkOpensAndBoxStaysOpen_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("home page") << QByteArray("lblHomePage") << "http://www.example.com";
    QTest::newRow("download page") << QByteArray("lblDownLoadPage") << "https://www.example.com/dl";
}

void TestAbout::linkOpensAndBoxStaysOpen()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, url);
    UrlCatcher browser;
    AppState state;
    record(state, QStringLiteral("http://www.example.com"),
                                  QStringLiteral("https://www.example.com/dl"));
    bool stillOpen = false;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<About *>(QApplication::activeModalWidget());
        QVERIFY(box);
        clickLabel(*box, name.constData());
        stillOpen = box->isVisible();
        QTest::mouseClick(box->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
    });
    QWidget owner;
    owner.show();
    QCOMPARE(About::showModal(state, &owner), int(QDialog::Accepted));
    QVERIFY(stillOpen);
    QCOMPARE(browser.opened, QList<QUrl>{QUrl(url)});
    QCOMPARE(browser.cursors, QList<Qt::CursorShape>{Qt::WaitCursor});
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
