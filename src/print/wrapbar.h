#pragma once
// A bar of small groups of controls (a caption with its box, a row of
// buttons) laid out from left to right, which moves the groups that do not
// fit onto a further row instead of squeezing or cutting them. One group may
// stretch to fill its row; the last group stands at the right end of its row.
#include <QList>
#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;

class WrapBar : public QWidget {
    Q_OBJECT
public:
    explicit WrapBar(QWidget *parent = nullptr);

    // Puts the widgets, in order, into one group at the end of the bar and
    // returns the group. A stretching group takes the room its row leaves;
    // within it the widget at `stretchIndex` grows.
    QWidget *addGroup(const QList<QWidget *> &widgets, bool stretch = false, int stretchIndex = -1);

    // Spreads the groups over as few rows as a bar `width` pixels wide
    // allows and applies the layout at once.
    void arrange(int width);

    int rowCount() const { return int(m_rows.size()); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<int> rowsFor(int width) const;
    int groupWidth(int index) const;
    void rebuild(const QList<int> &assignment);

    QVBoxLayout *m_column = nullptr;
    QList<QHBoxLayout *> m_rows;
    QList<QWidget *> m_groups;
    QList<int> m_assignment; // row of each group
    int m_stretchGroup = -1;
};
