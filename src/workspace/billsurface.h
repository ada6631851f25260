#pragma once
// The bill surface: a plain area of the template's size in its background
// colour, on which the field controls and their selection frames sit. It
// shows no image of the paper form.
#include <QColor>
#include <QWidget>

class BillSurface : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Tag READ tag WRITE setTag)
public:
    // Grey until a template gives it a colour.
    static constexpr quint32 InitialColor = 0xE0E0E0; // red 224, green 224, blue 224
    // The colour a template opens with before its own: red 64, green 128, blue 128.
    static constexpr quint32 OpenColor = 8421440;

    explicit BillSurface(QWidget *parent = nullptr);

    // Background as a 32-bit colour value, red in the low byte.
    void setBackColor(quint32 value);
    quint32 backColor() const { return m_backColor; }
    static QColor toColor(quint32 value);

    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }

signals:
    // Mouse and key input on the surface itself; x and y in twips.
    void MouseDown(qint16 button, qint16 shift, int x, int y);
    void MouseMove(qint16 button, qint16 shift, int x, int y);
    void MouseUp(qint16 button, qint16 shift, int x, int y);
    void KeyDown(qint16 keyCode, qint16 shift);
    // The pointer is at (x, y) twips of the surface (for the status bar).
    void pointerMoved(int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPoint toTwips(const QPointF &p) const;

    quint32 m_backColor = InitialColor;
    QString m_tag;
    double m_scale = 1.0;
};
