// Placing the main window's panes, scrolling the bill and dragging the
// splitter. The arithmetic is in layout.cpp; this file moves the widgets.
#include "workspace/mdimain.h"
#include "app/remembered.h"

#include "core/appstate.h"
#include "app/toolbox.h"
#include "core/units.h"
#include "news/newsticker.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidgetItemIterator>
#include <QWheelEvent>

namespace {
constexpr quint32 DragColor = 0x808080; // red, green and blue 128
}

int MDIMain::toolBarHeight() const
{
    return m_toolBar && m_toolBar->isVisibleTo(this)
               ? int(units::pixelsToTwips(m_toolBar->height()))
               : 0;
}

int MDIMain::statusBarHeight() const
{
    return m_statusBar && m_statusBar->isVisibleTo(this)
               ? int(units::pixelsToTwips(m_statusBar->height()))
               : 0;
}

// The inner area counts from the toolbar's top to the status bar's bottom;
// the client widget lies between the two bars.
int MDIMain::innerWidth() const
{
    return int(units::pixelsToTwips(m_client->width()));
}

int MDIMain::innerHeight() const
{
    return int(units::pixelsToTwips(m_client->height())) + toolBarHeight() + statusBarHeight();
}

void MDIMain::placePane(QWidget *w, const layout::TwipRect &r)
{
    if (!w)
        return;
    const int th = toolBarHeight();
    w->setGeometry(units::twipsToPixels(r.left), units::twipsToPixels(r.top - th),
                   units::twipsToPixels(r.width), units::twipsToPixels(r.height));
}

// Places a widget of the viewport at a position in the window's inner
// coordinates (twips).
void MDIMain::placeInViewport(QWidget *w, int left, int top)
{
    if (w && m_viewport)
        w->move(units::twipsToPixels(left) - m_viewport->x(),
                units::twipsToPixels(top - toolBarHeight()) - m_viewport->y());
}

void MDIMain::LayoutPanes(int x)
{
    if (!m_splitter)
        return;
    // The layout places the bill at the size it has on the screen.
    auto onScreen = [this](int twips) { return int(units::roundHalfEven(twips * m_zoom)); };
    const layout::PaneInput in{innerWidth(), innerHeight(), toolBarHeight(), statusBarHeight(),
                               onScreen(m_state.BillRect[2]), onScreen(m_state.BillRect[3])};
    m_plan = layout::LayoutPanes(in, x);
    m_splitterX = x;
    ClientSize = {in.W, in.H};
    ToolBarSize[1] = in.th;
    StatusBarSize[1] = in.sh;

    placePane(m_tree, m_plan.tree);
    placePane(m_splitter, m_plan.splitter);
    placePane(m_rulerTop, m_plan.topRuler);
    // The viewport takes the rest of the client below the top ruler; the
    // scroll bars lie over its right and bottom edges.
    const int viewLeft = units::twipsToPixels(m_plan.bill.left);
    const int viewTop = units::twipsToPixels(m_plan.bill.top - in.th);
    m_viewport->setGeometry(viewLeft, viewTop, std::max(0, m_client->width() - viewLeft),
                            std::max(0, m_client->height() - viewTop));
    m_state.BillRect[0] = m_plan.bill.left;
    m_state.BillRect[1] = m_plan.bill.top;
    if (m_surface) {
        m_surface->resize(units::twipsToPixels(m_plan.bill.width), units::twipsToPixels(m_plan.bill.height));
        placeInViewport(m_surface, m_plan.bill.left, m_plan.bill.top);
    }
    m_billShift = QPoint();
    placeBillFrame();
    drawRulers();
    applyScrollBar(m_hScroll, m_plan.hbar);
    applyScrollBar(m_vScroll, m_plan.vbar);
}

void MDIMain::placeBillFrame()
{
    // Frame 0 lies over the surface in the viewport, moved as far as the
    // scroll bars have moved the bill; like every other frame it counts in
    // the bill's own twips at the zoom.
    DesignCtl *frame0 = m_controls.frames.at(0);
    if (!frame0)
        return;
    frame0->setScale(m_zoom);
    frame0->setTwipsRect(int(units::roundHalfEven(m_billShift.x() / m_zoom)),
                         int(units::roundHalfEven(m_billShift.y() / m_zoom)), m_state.BillRect[2] + 100,
                         m_state.BillRect[3] + 100);
    frame0->raise();
}

int MDIMain::treeFitWidth() const
{
    if (!m_tree)
        return layout::DefaultSplitterLeft;
    // The widest name with its indentation, the item's margins, the frame
    // and room for a vertical scroll bar.
    const QFontMetrics fm(m_tree->font());
    const int margin = 2 * (m_tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_tree) + 1);
    int widest = 0;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        int depth = m_tree->rootIsDecorated() ? 1 : 0;
        for (const QTreeWidgetItem *p = (*it)->parent(); p; p = p->parent())
            ++depth;
        widest = std::max(widest, fm.horizontalAdvance((*it)->text(0)) + depth * m_tree->indentation());
    }
    const int chrome = margin + 2 * m_tree->frameWidth()
                       + m_tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_tree);
    const int wanted = int(units::pixelsToTwips(widest + chrome));
    const int third = innerWidth() / 3;
    return layout::clampSplitter(std::min(wanted, std::max(third, layout::SplitterMargin)), innerWidth());
}

void MDIMain::drawRulers()
{
    const layout::RulerPlan &r = m_plan.rulers;
    PropertiesCls::RulerFrm(*m_client, r.frameLeft, r.frameTop - toolBarHeight(), ClientSize[1], m_zoom);
    if (m_rulerTop)
        PropertiesCls::RulerPicT(*m_rulerTop, r.topStart, r.topLength, m_zoom);
    if (m_splitter)
        PropertiesCls::RulerPicL(*m_splitter, r.sideLeft, r.sideLength, r.sideShift, m_zoom);
}

void MDIMain::applyScrollBar(QScrollBar *bar, const layout::ScrollBarPlan &plan)
{
    if (!bar)
        return;
    if (!plan.visible) {
        bar->hide();
        return;
    }
    {
        const QSignalBlocker block(bar);
        placePane(bar, plan.rect);
        bar->setRange(0, layout::thumbRange(plan));
        bar->setPageStep(std::max(plan.largeChange, 1));
        bar->setSingleStep(std::max(plan.largeChange / 10, 1));
        bar->setValue(layout::valueToThumb(plan, plan.value));
    }
    // The bars were made after the viewport and so lie over it; raising them
    // would lift them over a preview laid on the workspace too.
    bar->show();
}

void MDIMain::HScrollBarCtl_Change(int position)
{
    const int value = layout::thumbToValue(m_plan.hbar, position);
    m_state.BillRect[0] = value;
    const int px = units::twipsToPixels(value);
    if (m_rulerTop)
        m_rulerTop->move(px, m_rulerTop->y());
    if (m_surface)
        m_surface->move(px - m_viewport->x(), m_surface->y());
    m_billShift.setX(value - m_plan.bill.left);
    placeBillFrame();
}

void MDIMain::VScrollBarCtl_Change(int position)
{
    const int v = layout::thumbToValue(m_plan.vbar, position);
    if (m_splitter)
        PropertiesCls::RulerPicL(*m_splitter, 0, 3 * ClientSize[1], v, m_zoom);
    const int top = layout::billTopAtScroll(toolBarHeight(), v);
    placeInViewport(m_surface, m_state.BillRect[0], top);
    m_billShift.setY(top - m_plan.bill.top);
    placeBillFrame();
}

int MDIMain::splitterForLayout()
{
    if (!m_tree || m_tree->isHidden() || !m_splitterFitsTree)
        return m_splitterX;
    m_state.SplitterLeft = treeFitWidth();
    return m_state.SplitterLeft;
}

void MDIMain::restoreRemembered()
{
    const QByteArray geometry = remembered::value(remembered::WindowGeometry).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    // A width the clerk dragged the splitter to; without one the tree fits
    // its names.
    bool ok = false;
    const int width = remembered::value(remembered::TreeWidth).toInt(&ok);
    if (!ok || width <= 0)
        return;
    m_state.SplitterLeft = std::max(width, layout::SplitterMargin);
    m_splitterFitsTree = false;
    LayoutPanes(m_state.SplitterLeft);
}

void MDIMain::fitToScreen()
{
    const QScreen *where = screen();
    if (!where)
        return;
    const QRect free = where->availableGeometry();
    // The frame the window manager adds is not known before the first show;
    // leave room for a usual title bar and border.
    const QSize room(std::max(200, free.width() - 16), std::max(200, free.height() - 40));
    const QSize size = this->size().boundedTo(room);
    if (size == this->size() && free.contains(frameGeometry()))
        return;
    resize(size);
    move(free.left() + (free.width() - size.width()) / 2, free.top() + (free.height() - size.height() - 24) / 2);
}

void MDIMain::keepForNextRun()
{
    if (!remembered::enabled() || m_unloaded)
        return;
    remembered::setValue(remembered::WindowGeometry, saveGeometry());
    remembered::setValue(remembered::TreeWidth, m_splitterFitsTree ? QVariant() : QVariant(m_state.SplitterLeft));
}

void MDIMain::relayoutAfterBarToggle()
{
    // The window's own layout gives the client its new height now rather
    // than at the next pass of the event loop, so the panes fill it at once.
    if (layout())
        layout()->activate();
    LayoutPanes(m_splitterX);
}

void MDIMain::placeNewsLabel()
{
    if (!m_news || !m_client)
        return;
    // Bottom right of the client area, 200 twips in from both edges.
    const int margin = units::twipsToPixels(200);
    // One line, never wider than the client: a long line is elided.
    m_news->fitWithin(m_client->width() - 2 * margin);
    m_news->move(m_client->width() - m_news->width() - margin,
                 m_client->height() - m_news->height() - margin);
    // Above the bill, but never over the print preview: its settings bar
    // and buttons take every click meant for them.
    QWidget *preview = m_client->findChild<QWidget *>(QStringLiteral("PrintPreview"), Qt::FindDirectChildrenOnly);
    if (preview && preview->isVisible())
        m_news->stackUnder(preview);
    else
        m_news->raise();
}

void MDIMain::showPointer(int x, int y)
{
    if (m_state.DesignMode == 0 || !statusPanel(5))
        return;
    statusPanel(5)->setText(QStringLiteral("X: %1 mm  Y: %2 mm")
                                .arg(units::twipsToMm(x), 0, 'f', 1)
                                .arg(units::twipsToMm(y), 0, 'f', 1));
}

// ---- splitter drag ------------------------------------------------------

bool MDIMain::eventFilter(QObject *watched, QEvent *event)
{
    // The client changes size with the window, when a bar is shown or
    // hidden and when the property pane docks beside it: the panes follow
    // it at once.
    if (watched == m_client && event->type() == QEvent::Resize && m_splitter && !m_unloaded) {
        LayoutPanes(splitterForLayout());
        placeNewsLabel();
        return false;
    }
    if (event->type() == QEvent::Wheel && m_surface) {
        // Ctrl + wheel over the bill or one of its fields zooms the surface.
        auto *w = qobject_cast<QWidget *>(watched);
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (w && (w == m_surface || m_surface->isAncestorOf(w)) && (wheel->modifiers() & Qt::ControlModifier)) {
            const int steps = wheel->angleDelta().y();
            if (steps > 0)
                zoomIn();
            else if (steps < 0)
                zoomOut();
            return true;
        }
    }
    if (watched == m_splitter && m_splitter) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            PictureCtlL_MouseDown(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseMove:
            PictureCtlL_MouseMove(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseButtonRelease:
            PictureCtlL_MouseUp();
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIMain::PictureCtlL_MouseDown(QMouseEvent *event)
{
    Q_UNUSED(event);
    if (m_splitter->cursor().shape() != Qt::SizeHorCursor)
        return;
    m_splitter->setBackColor(BillSurface::toColor(DragColor));
    SplitterDrag = 1;
}

void MDIMain::PictureCtlL_MouseMove(QMouseEvent *event)
{
    if (!SplitterDrag)
        return;
    const int pointer = int(units::pixelsToTwips(qRound(event->position().x())));
    const int left = layout::clampSplitter(m_splitterX + pointer, ClientSize[0]);
    m_splitterX = left;
    m_splitter->move(units::twipsToPixels(left), m_splitter->y());
}

void MDIMain::PictureCtlL_MouseUp()
{
    if (!SplitterDrag)
        return;
    m_splitter->setBackColor(palette().color(QPalette::Button));
    m_state.SplitterLeft = m_splitterX;
    m_splitterFitsTree = false;
    LayoutPanes(m_state.SplitterLeft);
    SplitterDrag = 0;
}
