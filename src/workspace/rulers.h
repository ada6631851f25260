#pragma once
// Millimetre rulers along the top and the left of the bill surface: a tick
// every 5 mm, a longer tick numbered in centimetres every 10 mm.
//
// The tick arithmetic is plain code (namespace rulers); RulerBox is a
// widget that keeps what was drawn on it in a pixmap and repaints from it;
// PropertiesCls draws the three rulers the layout asks for.
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QPainter;

namespace rulers {

// 5 mm in tenths of a twip (283.5 twips): counting in tenths keeps the
// running distance exact.
constexpr long long TickStepTenths = 2835;
constexpr int LongTick = 200;      // twips
constexpr int ShortTick = 100;     // twips
constexpr int Thickness = 200;     // twips: ticks stand on this edge
constexpr int LabelInset = 40;     // twips: vertical labels start left of the edge
constexpr int VerticalZero = 200;  // twips: a vertical ruler's 0 below its top

struct Tick {
    int k = 0;        // tick number from 0; even ticks are centimetres
    int pos = 0;      // position along the ruler in whole twips
    int length = 0;   // LongTick or ShortTick
    QString label;    // centimetre number, or empty for a short tick

    bool operator==(const Tick &) const = default;
};

// The label printed at tick k: the centimetre number with a blank where a
// sign would stand (" 0", " 1", ...), empty for odd k.
QString tickLabel(int k);

// Ticks covering `length` twips from `start`: tick k lies at
// start + k * 283.5 * zoom rounded to whole twips (halves to even), and
// ticks are made while k * 283.5 * zoom <= length. A length of 0 still gives
// the tick at 0; a negative length gives none. At a zoom other than 1 the
// ruler measures the bill as the zoomed surface shows it: 5 mm of the bill
// lie 283.5 * zoom screen twips apart.
QList<Tick> ticks(long long start, long long length, double zoom = 1.0);

// Ticks of a horizontal ruler whose 0 lies at x = rL.
inline QList<Tick> horizontalTicks(int rL, int rW, double zoom = 1.0) { return ticks(rL, rW, zoom); }
// Ticks of a vertical ruler: 0 lies 200 twips below the top, moved by rM
// (the vertical scroll position, 0 or negative).
inline QList<Tick> verticalTicks(int rH, int rM, double zoom = 1.0)
{
    return ticks(VerticalZero + (long long)rM, rH, zoom);
}

// Draws ticks and labels with the painter's pen and font; coordinates are
// twips converted to pixels at `scale`.
void paintHorizontal(QPainter &painter, const QList<Tick> &ticks, double scale = 1.0);
// rL: the x of the ruler's left edge; ticks stand on its right edge rL + 200.
void paintVertical(QPainter &painter, const QList<Tick> &ticks, int rL, double scale = 1.0);

} // namespace rulers

// A drawing surface that keeps its drawing: what is drawn goes into a
// pixmap, and the widget repaints from it. Its back colour is the button
// face, its fore colour the text colour; both come from the palette.
class RulerBox : public QWidget {
    Q_OBJECT
public:
    explicit RulerBox(QWidget *parent = nullptr);

    // Wipes the kept drawing to the back colour.
    void clear();
    // Setting the back colour wipes the drawing, as on any drawing surface.
    void setBackColor(const QColor &colour);
    QColor backColor() const;
    QColor foreColor() const;

    double scale() const { return m_scale; }
    void setScale(double scale);

    // The kept drawing; call update() after painting on it directly.
    QPixmap &image() { return m_image; }
    const QPixmap &image() const { return m_image; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPixmap m_image;
    double m_scale = 1.0;
};

// Draws the millimetre rulers. Keeps no state between calls; every method
// wipes its target first and returns 0.
class PropertiesCls {
public:
    // Horizontal ruler: distance 0 at x = rL, covering rW twips.
    static int RulerPicT(RulerBox &rPic, int rL, int rW, double zoom = 1.0);
    // Vertical ruler with its left edge at rL, covering rH twips, distance 0
    // 200 twips below the top moved by rM.
    static int RulerPicL(RulerBox &rPic, int rL, int rH, int rM, double zoom = 1.0);
    // Vertical ruler on the main window's own surface, distance 0 at
    // rT + 200, covering the window's recorded inner height.
    static int RulerFrm(RulerBox &rFrm, int rL, int rT, int innerHeight, double zoom = 1.0);
};
