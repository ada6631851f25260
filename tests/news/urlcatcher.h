#pragma once
// Stands in for the browser: takes the addresses the program asks to open and
// notes the cursor shape that was showing at that moment.
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QUrl>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~UrlCatcher() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> opened;
    QList<Qt::CursorShape> cursors; // Qt::ArrowCursor when no override was set

public slots:
    void open(const QUrl &url)
    {
        opened.append(url);
        const QCursor *c = QGuiApplication::overrideCursor();
        cursors.append(c ? c->shape() : Qt::ArrowCursor);
    }
};
