#pragma once
// The selection frame laid over a field in design mode.
//
// The frame is a widget with the field's left and top and a size 100 twips
// larger than the field's, so that its three handles sit just outside the
// field's right and bottom edges. It has two looks, chosen by UserState:
//
//  - handles look (0): three dark-blue squares at the bottom centre, the
//    bottom-right corner and the right centre; everything else is masked
//    away, so the field below stays visible and takes the mouse;
//  - outline look (non-zero): a one-pixel black outline, the inside cut
//    away; used while a field is dragged or resized.
//
// The frame never moves or resizes itself. It forwards the mouse input of
// its handles as nine signals (Button 1/2/4, Shift 1 Shift 2 Ctrl 4 Alt,
// X and Y in whole twips relative to the handle that took the input).
//
// Geometry is kept in whole twips relative to the parent widget; the pixel
// geometry follows from it through the unit helper and the frame's scale.
#include <QLabel>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QWidget>

class DesignCtl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int UserState READ userState WRITE setUserState)
    Q_PROPERTY(QString Tag READ tag WRITE setTag)
    Q_PROPERTY(QString ToolTipText READ toolTip WRITE setToolTip)
    Q_PROPERTY(int Left READ twipsLeft WRITE setTwipsLeft)
    Q_PROPERTY(int Top READ twipsTop WRITE setTwipsTop)
    Q_PROPERTY(int Width READ twipsWidth WRITE setTwipsWidth)
    Q_PROPERTY(int Height READ twipsHeight WRITE setTwipsHeight)

public:
    // Side of a handle, in twips.
    static constexpr int HandleSize = 100;
    // Strip at the right and bottom left out of the outline, in pixels.
    static constexpr int OutlineStrip = 6;

    enum class Handle { Bottom, Corner, Right };

    explicit DesignCtl(QWidget *parent = nullptr);
    ~DesignCtl() override;

    // Look: 0 handles, anything else outline. Reading gives FrameState.
    void setUserState(int usV);
    int userState() const { return m_frameState; }
    int frameState() const { return m_frameState; }
    // Inner width and height in whole twips, rewritten at every resize.
    QSize frameSize() const { return m_frameSize; }

    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // Placement in twips, relative to the parent widget.
    QRect twipsRect() const { return m_twips; }
    void setTwipsRect(int left, int top, int width, int height);
    void setTwipsRect(const QRect &r) { setTwipsRect(r.x(), r.y(), r.width(), r.height()); }
    void moveTwips(int left, int top);
    int twipsLeft() const { return m_twips.x(); }
    int twipsTop() const { return m_twips.y(); }
    int twipsWidth() const { return m_twips.width(); }
    int twipsHeight() const { return m_twips.height(); }
    void setTwipsLeft(int v) { moveTwips(v, m_twips.y()); }
    void setTwipsTop(int v) { moveTwips(m_twips.x(), v); }
    void setTwipsWidth(int v) { setTwipsRect(m_twips.x(), m_twips.y(), v, m_twips.height()); }
    void setTwipsHeight(int v) { setTwipsRect(m_twips.x(), m_twips.y(), m_twips.width(), v); }

    // Lays the frame over a field whose rectangle is `field` in twips:
    // same left and top, 100 twips wider and higher.
    void coverField(const QRect &field);

    // Pixels per twip relative to 15 twips a pixel (1 at normal size).
    double scale() const { return m_scale; }
    void setScale(double scale);

    // The handles, named "LabelB", "LabelR" and "LabelM".
    QLabel *BottomCtl() const { return m_bottom; }
    QLabel *MoveCtl() const { return m_move; }
    QLabel *RightCtl() const { return m_right; }

    // Whether the handles show (the handles look) or not (outline look).
    bool handlesShown() const { return !m_opaque; }

    // Where a handle belongs for a frame of inner size w x h twips.
    static QRect handleTwipsRect(Handle which, int w, int h);

signals:
    void BMouseDown(int Button, int Shift, int X, int Y);
    void BMouseMove(int Button, int Shift, int X, int Y);
    void BMouseUp(int Button, int Shift, int X, int Y);
    void MMouseDown(int Button, int Shift, int X, int Y);
    void MMouseMove(int Button, int Shift, int X, int Y);
    void MMouseUp(int Button, int Shift, int X, int Y);
    void RMouseDown(int Button, int Shift, int X, int Y);
    void RMouseMove(int Button, int Shift, int X, int Y);
    void RMouseUp(int Button, int Shift, int X, int Y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLabel *createHandle(const char *name, Qt::CursorShape cursor);
    void CreateHandles();
    void PlaceHandles();
    void ShowHandles(bool visible);
    void FreeRegions();
    void BuildOutline();
    void applyMask(const QRegion &region);
    void applyLook();
    void frameResized();
    QRegion handlesRegion() const;
    QRect twipsToPixels(const QRect &twips) const;
    bool forwardHandleEvent(Handle which, QEvent *event);

    int m_frameState = 0;
    QSize m_frameSize;
    QRect m_twips;
    double m_scale = 1.0;
    QString m_tag;
    QRegion m_outerRegion;
    QRegion m_innerRegion;
    QLabel *m_bottom = nullptr;
    QLabel *m_move = nullptr;
    QLabel *m_right = nullptr;
    bool m_opaque = false;
};
