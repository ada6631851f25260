#include "linklabel.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QUrl>

namespace {

// Shows the busy cursor for as long as it lives, whatever path leaves it.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

bool OpenAddress(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QUrl url = QUrl::fromUserInput(trimmed);
    if (!url.isValid())
        return false;
    BusyCursor busy;
    return QDesktopServices::openUrl(url);
}

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) {}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
