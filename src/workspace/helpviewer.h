#pragma once
// The program's help: HTML pages compiled into the program, shown in a
// small browser window of their own.
#include <QDialog>
#include <QUrl>

class QTextBrowser;

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    // The first page of the help.
    static QUrl homePage() { return QUrl(QStringLiteral("qrc:/help/index.html")); }

    explicit HelpViewer(QWidget *parent = nullptr);
    void showPage(const QUrl &page);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
