#pragma once
// A label that reports clicks, and the one way the news module opens a web
// address in the user's browser.
#include <QLabel>

// Opens address in the browser with the busy cursor shown meanwhile.
// An empty address does nothing. Returns whether the browser was asked.
bool OpenAddress(const QString &address);

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    // A left press and release both inside the label.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
