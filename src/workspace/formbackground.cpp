#include "workspace/formbackground.h"
#include "app/uitext.h"
#include "app/filedialogs.h"
#include "core/appstate.h"
#include "core/units.h"
#include "workspace/billsurface.h"
#include "workspace/formbackgrounddialog.h"
#include "workspace/mdimain.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

Q_LOGGING_CATEGORY(lcBackground, "billprint.formbackground")

FormBackgroundLayer::FormBackgroundLayer(QWidget *surface) : QWidget(surface)
{
    setObjectName(QStringLiteral("FormBackgroundLayer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(surface->rect());
    surface->installEventFilter(this);
    hide();
}

void FormBackgroundLayer::setBackground(const std::optional<FormBackground> &bg)
{
    m_bg = bg;
    m_image = QImage();
    if (m_bg && !formbackground::decode(m_bg->image, m_image))
        m_bg.reset();
    update();
}

void FormBackgroundLayer::setScale(double scale)
{
    m_scale = scale > 0 ? scale : 1.0;
    update();
}

bool FormBackgroundLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void FormBackgroundLayer::paintEvent(QPaintEvent *)
{
    if (!m_bg || m_image.isNull())
        return;
    QPainter painter(this);
    const double perTwip = m_scale / units::TwipsPerPixel;
    painter.scale(perTwip, perTwip);
    formbackground::paint(painter, *m_bg, m_image);
}

// ---- controller --------------------------------------------------------------

FormBackgroundController *FormBackgroundController::attach(MDIMain &window)
{
    auto *c = new FormBackgroundController(window);
    c->setParent(&window);
    return c;
}

FormBackgroundController::FormBackgroundController(MDIMain &window) : m_win(window)
{
    BillSurface *surface = window.surface();
    m_layer = new FormBackgroundLayer(surface);
    surface->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(surface, &QWidget::customContextMenuRequested, this, &FormBackgroundController::contextMenu);
    connect(&window, &MDIMain::templateOpened, this, &FormBackgroundController::templateOpened);
    connect(&window, &MDIMain::templateClosed, this, &FormBackgroundController::templateClosed);
    connect(&window, &MDIMain::formBackgroundToggled, this, &FormBackgroundController::refresh);
    // The scan is drawn at the surface's zoom, like the fields over it.
    connect(&window, &MDIMain::zoomChanged, this, [this](double zoom) {
        if (m_layer)
            m_layer->setScale(zoom);
    });
    showMessage = [this](const QString &title, const QString &text, bool error) {
        if (error)
            QMessageBox::warning(&m_win, title, text);
        else
            QMessageBox::information(&m_win, title, text);
    };
}

void FormBackgroundController::templateOpened(const QString &table, int)
{
    m_table = table;
    const StoreStatus s = FormBackgroundStore(m_win.state().DbConnection).load(table, m_bg);
    if (!s)
        qCWarning(lcBackground) << s.message;
    refresh();
}

void FormBackgroundController::templateClosed()
{
    m_table.clear();
    m_bg.reset();
    refresh();
}

void FormBackgroundController::refresh()
{
    if (!m_layer)
        return;
    const AppState &st = m_win.state();
    m_layer->setScale(m_win.surface()->scale());
    m_layer->setBackground(m_bg);
    const bool shown = m_bg && (st.DesignMode != 0 || st.FormBackgroundShown);
    m_layer->setVisible(shown);
    m_layer->lower();
}

void FormBackgroundController::preview(const FormBackground &placement)
{
    if (!m_bg || !m_layer)
        return;
    FormBackground shown = *m_bg;
    shown.dpi = placement.dpi;
    shown.offsetX = placement.offsetX;
    shown.offsetY = placement.offsetY;
    shown.opacity = placement.opacity;
    m_layer->setBackground(shown);
}

StoreStatus FormBackgroundController::loadFile(const QString &path)
{
    if (m_table.isEmpty())
        return StoreStatus::failure(QStringLiteral("没有打开的模板"));
    FormBackground bg;
    if (StoreStatus s = formbackground::readImageFile(path, bg); !s)
        return s;
    if (m_bg) { // a new scan of the same form keeps its opacity
        bg.opacity = m_bg->opacity;
    }
    if (StoreStatus s = FormBackgroundStore(m_win.state().DbConnection).save(m_table, bg); !s)
        return s;
    m_bg = bg;
    refresh();
    return {};
}

StoreStatus FormBackgroundController::setPlacement(const FormBackground &placement)
{
    if (!m_bg)
        return StoreStatus::failure(QStringLiteral("这个模板没有纸样背景"));
    FormBackground bg = *m_bg;
    bg.dpi = qBound(formbackground::MinDpi, placement.dpi, formbackground::MaxDpi);
    bg.offsetX = placement.offsetX;
    bg.offsetY = placement.offsetY;
    bg.opacity = qBound(formbackground::MinOpacity, placement.opacity, 1.0);
    if (StoreStatus s = FormBackgroundStore(m_win.state().DbConnection).save(m_table, bg); !s)
        return s;
    m_bg = bg;
    refresh();
    return {};
}

StoreStatus FormBackgroundController::removeBackground()
{
    if (m_table.isEmpty())
        return {};
    if (StoreStatus s = FormBackgroundStore(m_win.state().DbConnection).remove(m_table); !s)
        return s;
    m_bg.reset();
    refresh();
    return {};
}

void FormBackgroundController::contextMenu(const QPoint &at)
{
    if (m_win.state().DesignMode == 0 || m_table.isEmpty())
        return;
    QMenu menu(&m_win);
    menu.addAction(QStringLiteral("载入纸样背景..."), this, &FormBackgroundController::chooseFile);
    QAction *settings = menu.addAction(QStringLiteral("纸样背景设置..."), this, &FormBackgroundController::openSettings);
    QAction *remove = menu.addAction(QStringLiteral("移除纸样背景"), this, [this] { report(removeBackground()); });
    settings->setEnabled(m_bg.has_value());
    remove->setEnabled(m_bg.has_value());
    menu.exec(m_win.surface()->mapToGlobal(at));
}

void FormBackgroundController::chooseFile()
{
    const QString path = filedialogs::getOpenFileName(&m_win, QStringLiteral("载入纸样背景"), QString(),
                                                      QStringLiteral("图像 (*.png *.jpg *.jpeg)"));
    if (!path.isEmpty())
        report(loadFile(path));
}

void FormBackgroundController::openSettings()
{
    if (!m_bg)
        return;
    FormBackgroundDialog dialog(*m_bg, &m_win);
    connect(&dialog, &FormBackgroundDialog::placementChanged, this, &FormBackgroundController::preview);
    if (dialog.exec() == QDialog::Accepted)
        report(setPlacement(dialog.placement()));
    else
        refresh(); // back to the stored placement
}

void FormBackgroundController::report(const StoreStatus &s)
{
    if (!s && showMessage)
        showMessage(QStringLiteral("注意"), uitext::failure(QStringLiteral("纸样背景没有保存"), s.message), true);
}
