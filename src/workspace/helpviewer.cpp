#include "workspace/helpviewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("帮助"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    auto *back = new QPushButton(QStringLiteral("后退"), this);
    auto *home = new QPushButton(QStringLiteral("目录"), this);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(home, &QPushButton::clicked, this, [this] { showPage(homePage()); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    back->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *box = new QVBoxLayout(this);
    box->addLayout(buttons);
    box->addWidget(m_browser);
    resize(640, 520);
    showPage(homePage());
}

QUrl HelpViewer::homePage()
{
    const QFileInfo installed(QCoreApplication::applicationDirPath()
                              + QStringLiteral("/../share/billprint/help/index.html"));
    if (installed.isFile())
        return QUrl::fromLocalFile(installed.canonicalFilePath());
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

void HelpViewer::showPage(const QUrl &page)
{
    m_browser->setSource(page);
}
