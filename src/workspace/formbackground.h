#pragma once
// The scanned paper form on the bill surface: the layer that paints it under
// the fields and the commands that load, place and remove it.
#include "core/formbackground.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class MDIMain;

// Paints the background under the field controls of the bill surface; it
// lets every mouse event through to the surface.
class FormBackgroundLayer : public QWidget {
    Q_OBJECT
public:
    explicit FormBackgroundLayer(QWidget *surface);
    void setBackground(const std::optional<FormBackground> &bg);
    const QImage &image() const { return m_image; }
    void setScale(double scale);
    double scale() const { return m_scale; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<FormBackground> m_bg;
    QImage m_image;
    double m_scale = 1.0;
};

// The background of the template open on the main window: loads it when a
// template opens, shows it in design mode or when the view menu's item asks,
// and offers its commands on the bill surface's context menu in design mode.
class FormBackgroundController : public QObject {
    Q_OBJECT
public:
    static FormBackgroundController *attach(MDIMain &window);
    explicit FormBackgroundController(MDIMain &window);

    // The open template's table and its background, if any.
    QString table() const { return m_table; }
    const std::optional<FormBackground> &background() const { return m_bg; }
    FormBackgroundLayer *layer() const { return m_layer; }

    // Commands (design mode). Each stores at once; a failure changes nothing.
    StoreStatus loadFile(const QString &path);
    StoreStatus setPlacement(const FormBackground &placement); // dpi, offsets, opacity
    StoreStatus removeBackground();
    // Shows a placement without storing it (the settings dialog's live view).
    void preview(const FormBackground &placement);

    // Shows a message box: title, text, and whether it reports an error.
    std::function<void(const QString &title, const QString &text, bool error)> showMessage;

public slots:
    void templateOpened(const QString &table, int design);
    void templateClosed();
    void refresh();

private:
    void contextMenu(const QPoint &at);
    void chooseFile();
    void openSettings();
    void report(const StoreStatus &s);

    MDIMain &m_win;
    QPointer<FormBackgroundLayer> m_layer;
    QString m_table;
    std::optional<FormBackground> m_bg;
};
