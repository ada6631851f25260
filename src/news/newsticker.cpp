#include "newsticker.h"

#include "core/appstate.h"
#include "newscls.h"

#include <QNetworkAccessManager>
#include <QRandomGenerator>
#include <QRegularExpression>

NewsTicker::NewsTicker(const AppState &state, QWidget *parent)
    : LinkLabel(parent), m_state(state), m_net(new QNetworkAccessManager(this)),
      m_fetchTimeoutMs(NewsCls::DefaultTimeoutMs)
{
    setObjectName(QStringLiteral("LblNews"));
    // The text comes from the network: never let it be read as markup.
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Background());
    setPalette(pal);
    QFont f = font();
    f.setPointSize(10);
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::WhatsThisCursor);
    connect(this, &LinkLabel::clicked, this, &NewsTicker::openDownLoadPage);
}

NewsTicker::~NewsTicker()
{
    stop();
}

const std::array<QColor, 16> &NewsTicker::ConsoleColours()
{
    static const std::array<QColor, 16> colours{
        QColor(0x00, 0x00, 0x00), QColor(0x00, 0x00, 0x80), QColor(0x00, 0x80, 0x00),
        QColor(0x00, 0x80, 0x80), QColor(0x80, 0x00, 0x00), QColor(0x80, 0x00, 0x80),
        QColor(0x80, 0x80, 0x00), QColor(0xC0, 0xC0, 0xC0), QColor(0x80, 0x80, 0x80),
        QColor(0x00, 0x00, 0xFF), QColor(0x00, 0xFF, 0x00), QColor(0x00, 0xFF, 0xFF),
        QColor(0xFF, 0x00, 0x00), QColor(0xFF, 0x00, 0xFF), QColor(0xFF, 0xFF, 0x00),
        QColor(0xFF, 0xFF, 0xFF)};
    return colours;
}

QColor NewsTicker::Background()
{
    return QColor(0xC0, 0xC0, 0xFF);
}

void NewsTicker::start()
{
    if (m_newsTimer)
        return;
    m_newsTimer = std::make_unique<TimerCls>(m_timers);
    connect(m_newsTimer.get(), &TimerCls::Timer, this, &NewsTicker::NewsTimer_Timer);
    m_newsTimer->SetInterval(NewsInterval);
    m_newsTimer->SetEnabled(true);
}

void NewsTicker::stop()
{
    if (m_newsTimer) {
        m_newsTimer->SetEnabled(false);
        m_newsTimer.reset();
    }
    delete m_news;
}

void NewsTicker::NewsTimer_Timer()
{
    if (m_news)
        return; // the previous fetch is still running
    auto *news = new NewsCls(m_net, this);
    news->SetTimeout(m_fetchTimeoutMs);
    m_news = news;
    connect(news, &NewsCls::PageReady, this, [this, news](const QString &text) {
        news->deleteLater();
        m_news = nullptr;
        showNews(text);
    });
    news->GetPage(m_state.AppNewsServer);
}

QString NewsTicker::firstLine(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral(R"([\r\n\x{2028}\x{2029}\x{0085}\f\v])"));
    for (const QString &line : text.split(lineBreak))
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return {};
}

void NewsTicker::fitWithin(int width)
{
    // What the label adds around its text: frame, margins and indent.
    const int around = sizeHint().width() - fontMetrics().horizontalAdvance(text());
    setText(fontMetrics().elidedText(m_line, Qt::ElideRight, qMax(0, width - around)));
    adjustSize();
    if (this->width() > width)
        resize(qMax(0, width), height());
}

void NewsTicker::showNews(const QString &text)
{
    // One line however long or many-lined the reply: its first line, which
    // the window then elides to the room it has.
    m_line = firstLine(text);
    setText(m_line);
    const auto &colours = ConsoleColours();
    const auto pick = QRandomGenerator::global()->bounded(static_cast<int>(colours.size()));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colours[static_cast<std::size_t>(pick)]);
    setPalette(pal);
    emit NewsShown(m_line);
}

void NewsTicker::openDownLoadPage()
{
    OpenAddress(m_state.AppDownLoadPage);
}
