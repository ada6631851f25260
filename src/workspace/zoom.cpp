// Zooming the bill surface, in design and fill-in mode alike: the view
// menu's items with Ctrl++, Ctrl+- and Ctrl+0, Ctrl + wheel over the bill,
// and the zoom shown in the status bar. The fields are shown again at the
// new scale; what is stored stays in exact twips.
#include "workspace/mdimain.h"

#include "core/appstate.h"
#include "workspace/billsurface.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <array>

namespace {

// The zoom steps, from 50 % to 400 %.
constexpr std::array<double, 9> Steps{0.5, 0.67, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};

QString percent(double zoom)
{
    return QStringLiteral("%1%").arg(qRound(zoom * 100));
}

} // namespace

void MDIMain::createZoomActions()
{
    QMenu *view = m_menus.group(MenuHost::View).menu;
    auto add = [this, view](const QString &text, const QString &name, const QList<QKeySequence> &keys,
                            auto slot) {
        auto *a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        if (view)
            view->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    if (view)
        view->addSeparator();
    add(QStringLiteral("放大"), QStringLiteral("zoomIn"),
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &MDIMain::zoomIn);
    add(QStringLiteral("缩小"), QStringLiteral("zoomOut"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        &MDIMain::zoomOut);
    add(QStringLiteral("实际大小"), QStringLiteral("zoomReset"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
        [this] { setZoom(1.0); });
    m_zoomLabel = new QLabel(percent(m_zoom), m_statusBar);
    m_zoomLabel->setObjectName(QStringLiteral("Zoom"));
    m_zoomLabel->setToolTip(QStringLiteral("票面缩放（Ctrl + 滚轮）"));
    m_statusBar->addPermanentWidget(m_zoomLabel);
    // Wheel events over the fields reach the window before the fields.
    qApp->installEventFilter(this);
}

void MDIMain::zoomIn()
{
    for (double step : Steps)
        if (step > m_zoom + 0.001) {
            setZoom(step);
            return;
        }
}

void MDIMain::zoomOut()
{
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
        if (*it < m_zoom - 0.001) {
            setZoom(*it);
            return;
        }
}

void MDIMain::setZoom(double zoom)
{
    zoom = qBound(MinZoom, zoom, MaxZoom);
    if (qAbs(zoom - m_zoom) < 0.0001)
        return;
    m_zoom = zoom;
    m_opener->setScale(zoom);
    if (m_surface)
        m_surface->setScale(zoom);
    if (m_zoomLabel)
        m_zoomLabel->setText(percent(zoom));
    // Every field, frame and money column again at the new scale.
    if (m_surface && !m_surface->isHidden())
        for (int s = 0; s <= m_state.Registry.lastSlot(); ++s)
            m_opener->applyRecord(s);
    LayoutPanes(m_splitterX);
    emit zoomChanged(zoom);
}
