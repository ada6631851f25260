#include "print/wrapbar.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace {
constexpr int BarMargin = 4;   // pixels around the rows
constexpr int GroupGap = 12;   // between groups
constexpr int InnerGap = 4;    // between a caption and its box
} // namespace

WrapBar::WrapBar(QWidget *parent) : QWidget(parent), m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(BarMargin, BarMargin / 2, BarMargin, BarMargin / 2);
    m_column->setSpacing(BarMargin / 2);
}

QWidget *WrapBar::addGroup(const QList<QWidget *> &widgets, bool stretch, int stretchIndex)
{
    auto *group = new QWidget(this);
    auto *row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(InnerGap);
    for (int i = 0; i < widgets.size(); ++i)
        row->addWidget(widgets.at(i), i == stretchIndex ? 1 : 0);
    if (stretch) {
        group->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        m_stretchGroup = int(m_groups.size());
    }
    m_groups.append(group);
    rebuild(rowsFor(width()));
    return group;
}

int WrapBar::groupWidth(int index) const
{
    const QWidget *g = m_groups.at(index);
    return index == m_stretchGroup ? g->minimumSizeHint().width() : g->sizeHint().width();
}

QList<int> WrapBar::rowsFor(int width) const
{
    // Greedy: a group goes on the current row while it fits, else it opens
    // the next one. The first group of a row always stays there.
    const int room = width - 2 * BarMargin;
    QList<int> rows;
    int row = 0;
    int used = 0;
    for (int i = 0; i < m_groups.size(); ++i) {
        const int w = groupWidth(i);
        if (used > 0 && used + GroupGap + w > room) {
            ++row;
            used = 0;
        }
        used += (used > 0 ? GroupGap : 0) + w;
        rows.append(row);
    }
    return rows;
}

void WrapBar::rebuild(const QList<int> &assignment)
{
    if (assignment == m_assignment && !m_rows.isEmpty())
        return;
    m_assignment = assignment;
    for (QHBoxLayout *row : std::as_const(m_rows)) {
        while (row->count() > 0)
            delete row->takeAt(0); // the groups stay: only the layout items go
        m_column->removeItem(row);
        delete row;
    }
    m_rows.clear();
    const int rowCount = assignment.isEmpty() ? 0 : assignment.last() + 1;
    for (int r = 0; r < rowCount; ++r) {
        auto *row = new QHBoxLayout;
        row->setSpacing(GroupGap);
        m_column->addLayout(row);
        m_rows.append(row);
    }
    for (int i = 0; i < m_groups.size(); ++i) {
        QHBoxLayout *row = m_rows.at(assignment.at(i));
        const bool last = i == m_groups.size() - 1;
        const bool rowStretches = m_stretchGroup >= 0 && assignment.at(m_stretchGroup) == assignment.at(i);
        // The last group stands at its row's right end.
        if (last && !rowStretches)
            row->addStretch(1);
        row->addWidget(m_groups.at(i), i == m_stretchGroup ? 1 : 0);
    }
    for (int r = 0; r < rowCount; ++r) {
        const bool holdsLast = !m_groups.isEmpty() && assignment.last() == r;
        const bool holdsStretch = m_stretchGroup >= 0 && assignment.at(m_stretchGroup) == r;
        if (!holdsLast && !holdsStretch)
            m_rows.at(r)->addStretch(1);
    }
}

void WrapBar::arrange(int width)
{
    rebuild(rowsFor(width));
    m_column->activate();
}

void WrapBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        arrange(event->size().width());
}
