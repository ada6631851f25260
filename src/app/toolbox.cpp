#include "app/toolbox.h"

#include "core/appstate.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct Tool {
    int number;
    const char *caption;
};

constexpr Tool kTools[] = {
    {1, "指针"}, {4, "标签"}, {5, "复选框"}, {6, "日期"}, {7, "文本"}, {8, "金额"},
};

// A small drawn icon per tool, so the box reads at a glance.
QIcon toolIcon(int number)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    switch (number) {
    case 1: { // arrow pointer
        const QPointF arrow[] = {{6, 3}, {6, 19}, {10, 15}, {13, 21}, {15, 20}, {12, 14}, {18, 14}};
        p.setBrush(Qt::white);
        p.drawPolygon(arrow, 7);
        break;
    }
    case 4: // label: a letter
        p.setFont(QFont(QStringLiteral("Sans"), 13, QFont::Bold));
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("A"));
        break;
    case 5: // check box with a tick
        p.drawRect(4, 4, 16, 16);
        p.drawPolyline(QPolygonF({{7, 12}, {11, 16}, {17, 7}}));
        break;
    case 6: // calendar
        p.drawRect(3, 5, 18, 16);
        p.drawLine(3, 10, 21, 10);
        p.drawLine(8, 3, 8, 7);
        p.drawLine(16, 3, 16, 7);
        break;
    case 7: // text box
        p.drawRect(2, 6, 20, 12);
        p.drawLine(6, 9, 6, 15);
        break;
    case 8: // money columns
        p.drawRect(2, 6, 20, 12);
        for (int x = 7; x < 22; x += 5)
            p.drawLine(x, 6, x, 18);
        break;
    default:
        break;
    }
    return QIcon(pm);
}

} // namespace

ToolBox::ToolBox(AppState &state, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_state(state)
{
    setObjectName(QStringLiteral("ToolBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("控件箱"));

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBarCtl"));
    m_toolBar->setOrientation(Qt::Vertical);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_group = new QActionGroup(this);
    m_group->setExclusive(true);
    for (const Tool &t : kTools) {
        QAction *a = m_toolBar->addAction(toolIcon(t.number), QString::fromUtf8(t.caption));
        a->setCheckable(true);
        a->setData(t.number);
        a->setObjectName(QStringLiteral("Tool%1").arg(t.number));
        m_group->addAction(a);
    }
    connect(m_toolBar, &QToolBar::actionTriggered, this, &ToolBox::ButtonClick);

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(2, 2, 2, 2);
    box->addWidget(m_toolBar);

    TBButtonsValue(Pointer);
    m_state.RegisterWindow(QStringLiteral("ToolBox"), true);
    m_state.CurrentTool = Pointer;
}

ToolBox::~ToolBox()
{
    unload();
}

QString ToolBox::toolCaption(int number)
{
    for (const Tool &t : kTools)
        if (t.number == number)
            return QString::fromUtf8(t.caption);
    return {};
}

QAction *ToolBox::button(int number) const
{
    if (!m_toolBar)
        return nullptr;
    for (QAction *a : m_toolBar->actions())
        if (a->data().toInt() == number)
            return a;
    return nullptr;
}

void ToolBox::TBButtonsValue(int number)
{
    if (QAction *a = button(number))
        a->setChecked(true);
}

void ToolBox::ButtonClick(QAction *clicked)
{
    // The tool is the number of the first button carrying the clicked
    // button's caption.
    for (QAction *a : m_toolBar->actions()) {
        if (a->text() != clicked->text())
            continue;
        m_state.CurrentTool = qint16(a->data().toInt());
        a->setChecked(true);
        setWindowTitle(a->text());
        break;
    }
    emit BillDrawLine(m_state.CurrentTool == Pointer ? 0 : 2);
}

void ToolBox::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void ToolBox::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    hide();
    emit BillDrawLine(0);
    delete m_toolBar;
    m_toolBar = nullptr;
    m_state.RegisterWindow(QStringLiteral("ToolBox"), false);
    emit unloaded();
    m_state.CurrentTool = 0;
}
