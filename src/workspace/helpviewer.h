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
    // The installed help pages (share/billprint/help beside the program's
    // bin folder), which an administrator may adapt; else the pages built
    // into the program.
    static QUrl homePage();

    explicit HelpViewer(QWidget *parent = nullptr);
    void showPage(const QUrl &page);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
