// Placing the main window's panes, scrolling the bill and dragging the
// splitter. The arithmetic is in layout.cpp; this file moves the widgets.
#include "workspace/mdimain.h"

#include "core/appstate.h"
#include "app/toolbox.h"
#include "core/units.h"
#include "news/newsticker.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/rulers.h"
#include "workspace/templatetree.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

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

void MDIMain::LayoutPanes(int x)
{
    if (!m_splitter)
        return;
    const layout::PaneInput in{innerWidth(), innerHeight(), toolBarHeight(), statusBarHeight(),
                               m_state.BillRect[2], m_state.BillRect[3]};
    m_plan = layout::LayoutPanes(in, x);
    m_splitterX = x;
    ClientSize = {in.W, in.H};
    ToolBarSize[1] = in.th;
    StatusBarSize[1] = in.sh;

    placePane(m_tree, m_plan.tree);
    placePane(m_splitter, m_plan.splitter);
    placePane(m_rulerTop, m_plan.topRuler);
    m_state.BillRect[0] = m_plan.bill.left;
    m_state.BillRect[1] = m_plan.bill.top;
    placePane(m_surface, m_plan.bill);
    if (DesignCtl *frame0 = m_controls.frames.at(0)) {
        frame0->setTwipsRect(m_plan.bill.left, m_plan.bill.top - in.th, m_plan.bill.width + 100,
                             m_plan.bill.height + 100);
        frame0->raise();
    }
    drawRulers();
    applyScrollBar(m_hScroll, m_plan.hbar);
    applyScrollBar(m_vScroll, m_plan.vbar);
}

void MDIMain::drawRulers()
{
    const layout::RulerPlan &r = m_plan.rulers;
    PropertiesCls::RulerFrm(*m_client, r.frameLeft, r.frameTop - toolBarHeight(), ClientSize[1]);
    if (m_rulerTop)
        PropertiesCls::RulerPicT(*m_rulerTop, r.topStart, r.topLength);
    if (m_splitter)
        PropertiesCls::RulerPicL(*m_splitter, r.sideLeft, r.sideLength, r.sideShift);
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
    bar->raise();
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
        m_surface->move(px, m_surface->y());
    if (DesignCtl *frame0 = m_controls.frames.at(0))
        frame0->moveTwips(value, frame0->twipsTop());
}

void MDIMain::VScrollBarCtl_Change(int position)
{
    const int v = layout::thumbToValue(m_plan.vbar, position);
    if (m_splitter)
        PropertiesCls::RulerPicL(*m_splitter, 0, 3 * ClientSize[1], v);
    const int th = toolBarHeight();
    const int top = layout::billTopAtScroll(th, v) - th; // in the client's coordinates
    if (m_surface)
        m_surface->move(units::twipsToPixels(m_state.BillRect[0]), units::twipsToPixels(top));
    if (DesignCtl *frame0 = m_controls.frames.at(0))
        frame0->moveTwips(m_state.BillRect[0], top);
}

void MDIMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!m_splitter)
        return;
    LayoutPanes(m_splitterX);
    placeNewsLabel();
}

void MDIMain::placeNewsLabel()
{
    if (!m_news || !m_client)
        return;
    // Bottom right of the client area, 200 twips in from both edges.
    const int margin = units::twipsToPixels(200);
    m_news->adjustSize();
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
    LayoutPanes(m_state.SplitterLeft);
    SplitterDrag = 0;
}
