#pragma once
// What design mode draws on the bill surface: the red guide lines through
// the pointer and the dotted rubber band of a field being drawn. The sketch
// lies under the field controls (as drawing on the surface itself would) and
// lets the mouse through; it follows the surface's size.
#include <QRect>
#include <QWidget>
#include <optional>

class SurfaceSketch : public QWidget {
    Q_OBJECT
public:
    // Creates the sketch as the lowest child of `surface`.
    explicit SurfaceSketch(QWidget *surface);

    // Clears everything drawn.
    void clear();
    // Red lines through (x, y) twips, across a bill of w x h twips.
    void setGuides(int x, int y, int w, int h);
    // A dotted box between two corners, in twips (any order).
    void setBox(const QPoint &a, const QPoint &b);

    bool hasGuides() const { return m_guide.has_value(); }
    std::optional<QRect> box() const { return m_box; }
    QPoint guidePoint() const { return m_guide.value_or(QPoint()); }

    void setScale(double scale) { m_scale = scale; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int px(int twips) const;

    std::optional<QPoint> m_guide;
    QSize m_bill;
    std::optional<QRect> m_box;
    double m_scale = 1.0;
};
