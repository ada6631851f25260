#include "print/printpreview.h"
#include "core/appstate.h"
#include "core/units.h"
#include "core/billrenderer.h"
#include "print/calibrationdialog.h"
#include "print/printersettings.h"
#include "core/printitems.h"
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

const QString WindowName = QStringLiteral("PrintPreview");
const QString Attention = QStringLiteral("注意");
constexpr int BarHeight = 400;       // twips
constexpr int PrinterListLeft = 7700;
constexpr int PrinterListMargin = 9700; // W minus this is the printer list's width
constexpr int NarrowPrinterList = 3000;
constexpr int CalibrateWidth = 1000; // the "校准" button after the printer list
constexpr int PaperCodeA4 = 9;

int px(int twips) { return units::twipsToPixels(twips); }

void setPointSize(QWidget *w, int points)
{
    QFont f = w->font();
    f.setPointSize(points);
    w->setFont(f);
}

void setBackground(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// A text read as a number and cut to a whole number ("3" is 3, "x" is 0).
int wholeNumberOf(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[-+]?\\d+"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(0).trimmed().toInt() : 0;
}

} // namespace

// ---- preview surface -----------------------------------------------------

PreviewSurface::PreviewSurface(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PictureC"));
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Base));
    setPalette(p);
    setAutoFillBackground(true);
}

void PreviewSurface::Cls()
{
    m_picture.fill(palette().color(QPalette::Window));
    update();
}

void PreviewSurface::setUnderlay(const std::optional<FormBackground> &bg)
{
    m_underlay = bg;
    m_underlayImage = QImage();
    if (m_underlay && !formbackground::decode(m_underlay->image, m_underlayImage))
        m_underlay.reset();
}

void PreviewSurface::drawItems(const PrintItems &items)
{
    if (items.isEmpty())
        return;
    setGeometry(0, 0, px(items.first().left), px(items.first().top));
    const qreal ratio = devicePixelRatioF();
    m_picture = QPixmap(qMax(1, qRound(width() * ratio)), qMax(1, qRound(height() * ratio)));
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(palette().color(QPalette::Window));
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setTransform(BillRenderer::twipsTransform(units::TwipsPerInch / units::TwipsPerPixel,
                                                      units::TwipsPerInch / units::TwipsPerPixel));
    if (m_underlay)
        formbackground::paint(painter, *m_underlay, m_underlayImage);
    BillRenderer::paint(painter, items);
    painter.end();
    show();
    update();
}

void PreviewSurface::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

// ---- window --------------------------------------------------------------

PrintPreview::PrintPreview(AppState &state, QWidget *parent, ClientSizeSource clientSize)
    : QWidget(parent), m_state(state), m_clientSize(std::move(clientSize))
{
    setObjectName(WindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    Form_Load();
}

PrintPreview *PrintPreview::Open(AppState &state, QWidget *parent, ClientSizeSource clientSize)
{
    PrintPreview *preview = nullptr;
    if (parent && state.IsWindowOpen(WindowName)) {
        for (PrintPreview *p : parent->findChildren<PrintPreview *>(Qt::FindDirectChildrenOnly))
            if (!p->m_unloaded)
                preview = p;
    }
    if (!preview)
        preview = new PrintPreview(state, parent, std::move(clientSize));
    preview->show();
    preview->raise();
    return preview;
}

PrintPreview::~PrintPreview()
{
    Form_Unload();
}

void PrintPreview::Form_Load()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenPixels = screen ? screen->size() : QSize();
    m_screenSize = {int(units::pixelsToTwips(screenPixels.width())),
                    int(units::pixelsToTwips(screenPixels.height()))};
    setGeometry(0, 0, screenPixels.width(), screenPixels.height());
    setWindowTitle(QStringLiteral("打印预览"));
    setBackground(this, Qt::black);
    m_state.RegisterWindow(WindowName, true);

    m_picture = new PreviewSurface(this);
    m_picture->hide();
    m_picture->Cls();

    readPrinterNames();
    // The bill open on the surface, whatever the tree has selected since.
    if (m_state.Bill.isOpen()) {
        const QString table = m_state.Bill.billTemplate().table();
        ReadCtlData(table);
        if (m_state.FormBackgroundShown) {
            std::optional<FormBackground> bg;
            FormBackgroundStore(m_state.DbConnection).load(table, bg);
            m_picture->setUnderlay(bg);
        }
        drawPreview();
    }
    buildSettingsBar();
    snapToClient();
}

int PrintPreview::ReadCtlData(const QString &)
{
    m_items = BuildPrintItems(m_state.Bill);
    return 0;
}

void PrintPreview::drawPreview()
{
    if (m_items.isEmpty())
        return;
    setCaption(QStringLiteral("票据(%1)打印预览---当前打印机为：%2").arg(m_items.first().text, m_currentPrinter));
    m_picture->drawItems(m_items);
}

void PrintPreview::readPrinterNames()
{
    m_printerNames = PrinterSettings::PrinterNames();
    // The print goes where the printer list points; it starts on its first entry.
    m_currentPrinter = m_printerNames.isEmpty() ? PrinterSettings::PdfChoice() : m_printerNames.first();
}

QLabel *PrintPreview::LblTC(int index) const
{
    return index >= 0 && index < int(m_labels.size()) ? m_labels[index] : nullptr;
}

void PrintPreview::placeInBar(QWidget *w, int left, int width, int height)
{
    w->setGeometry(px(left), 0, px(width), px(height));
}

QLabel *PrintPreview::addLabel(int index, int left, int width, int height, const QString &caption)
{
    auto *label = new QLabel(caption, m_bar);
    label->setObjectName(QStringLiteral("LblTC%1").arg(index));
    label->setAttribute(Qt::WA_TranslucentBackground);
    setPointSize(label, 12);
    placeInBar(label, left, width, height);
    m_labels[index] = label;
    return label;
}

QComboBox *PrintPreview::addList(int left, int width, const QStringList &items, int choice,
                                 int fontSize)
{
    auto *list = new QComboBox(m_bar);
    list->setEditable(false);
    // Narrow lists: a slim arrow leaves room for the choice's text.
    list->setStyleSheet(QStringLiteral("QComboBox { padding: 0px 0px 0px 1px; }"));
    list->addItems(items);
    list->setCurrentIndex(choice);
    setPointSize(list, fontSize);
    placeInBar(list, left, width, BarHeight);
    return list;
}

QLineEdit *PrintPreview::addTextBox(int left, int maxLength, const QString &text, bool enabled)
{
    auto *box = new QLineEdit(m_bar);
    box->setFrame(false);
    box->setTextMargins(0, 0, 0, 0);
    box->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
    box->setMaxLength(maxLength);
    box->setText(text);
    box->setEnabled(enabled);
    box->setCursorPosition(0);
    setPointSize(box, 12);
    placeInBar(box, left, 500, BarHeight);
    return box;
}

QPushButton *PrintPreview::addButton(int left, const QString &caption)
{
    auto *button = new QPushButton(caption, m_bar);
    placeInBar(button, left, 1000, BarHeight);
    return button;
}

void PrintPreview::buildSettingsBar()
{
    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("BottomPBC"));
    setBackground(m_bar, QColor(0x80, 0x80, 0x80));

    const int w = clientSize()[0];
    const bool haveBill = !m_items.isEmpty();
    // Millimetres with at most one decimal: "225", "80", "212.5".
    const auto mm = [](int twips) {
        QString text = QString::number(units::twipsToMm(twips), 'f', 1);
        if (text.endsWith(QLatin1String(".0")))
            text.chop(2);
        return text;
    };

    addLabel(0, 0, 500, 400, QStringLiteral("方向"));
    m_orientation = addList(500, 800, {QStringLiteral("纵向"), QStringLiteral("横向")}, 1, 12);
    m_orientation->setObjectName(QStringLiteral("CmbOrientationC"));
    addLabel(1, 1300, 1100, 400, QStringLiteral("宽度_毫米"));
    m_paperWidth = addTextBox(2400, 6, haveBill ? mm(m_items.first().left) : QString(), false);
    m_paperWidth->setObjectName(QStringLiteral("TxtPaperWidthC"));
    addLabel(2, 2900, 500, 500, QStringLiteral("高度"));
    m_paperHeight = addTextBox(3400, 6, haveBill ? mm(m_items.first().top) : QString(), false);
    m_paperHeight->setObjectName(QStringLiteral("TxtPaperHeightC"));
    addLabel(3, 3900, 500, 400, QStringLiteral("张数"));
    m_copies = addTextBox(4400, 1, QStringLiteral("1"), true);
    m_copies->setObjectName(QStringLiteral("TxtCopiesC"));
    addLabel(4, 4900, 500, 400, QStringLiteral("色彩"));
    m_colourMode = addList(5400, 800, {QStringLiteral("单色"), QStringLiteral("彩色")}, 0, 12);
    m_colourMode->setObjectName(QStringLiteral("CmbColorModeC"));
    addLabel(5, 6200, 500, 400, QStringLiteral("质量"));
    m_quality = addList(6700, 500,
                        {QStringLiteral("草"), QStringLiteral("低"), QStringLiteral("中"),
                         QStringLiteral("高")},
                        0, 12);
    m_quality->setObjectName(QStringLiteral("CmbQualityC"));
    addLabel(6, 7200, 500, 400, QStringLiteral("设备"));
    const int listWidth = w - PrinterListMargin - CalibrateWidth > 0 ? w - PrinterListMargin - CalibrateWidth
                                                                      : NarrowPrinterList;
    m_printers = addList(PrinterListLeft, listWidth,
                         m_printerNames + QStringList{PrinterSettings::PdfChoice()}, 0, 10);
    m_printers->setObjectName(QStringLiteral("CmbPrintersC"));
    m_calibrate = addButton(PrinterListLeft + listWidth, QStringLiteral("校准"));
    m_calibrate->setObjectName(QStringLiteral("CmdCalibrateC"));
    m_print = addButton(w - 2000, QStringLiteral("打印"));
    m_print->setObjectName(QStringLiteral("CmdPrintC"));
    m_close = addButton(w - 1000, QStringLiteral("关闭"));
    m_close->setObjectName(QStringLiteral("CmdCloseC"));

    connect(m_printers, &QComboBox::activated, this, &PrintPreview::CmbPrintersC_Click);
    connect(m_print, &QPushButton::clicked, this, &PrintPreview::CmdPrint_Click);
    connect(m_close, &QPushButton::clicked, this, &PrintPreview::CmdClose_Click);
    connect(m_calibrate, &QPushButton::clicked, this, &PrintPreview::CmdCalibrate_Click);
    for (QWidget *child : m_bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
    m_bar->show();
}

std::array<int, 2> PrintPreview::clientSize() const
{
    if (m_clientSize)
        return m_clientSize();
    const QWidget *p = parentWidget();
    if (!p)
        return m_screenSize;
    return {int(units::pixelsToTwips(p->width())), int(units::pixelsToTwips(p->height()))};
}

void PrintPreview::snapToClient()
{
    const std::array<int, 2> c = clientSize();
    const QRect wanted(0, 0, px(c[0]), px(c[1]));
    if (geometry() != wanted)
        setGeometry(wanted);
    if (m_bar)
        m_bar->setGeometry(0, height() - px(BarHeight), width(), px(BarHeight));
}

void PrintPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    snapToClient();
}

void PrintPreview::CmbPrintersC_Click(int index)
{
    if (!m_printers || index < 0)
        return;
    const QString chosen = m_printers->itemText(index);
    const qsizetype found = m_printerNames.indexOf(chosen);
    if (found >= 0)
        m_currentPrinter = m_printerNames.at(found);
    else if (chosen == PrinterSettings::PdfChoice())
        m_currentPrinter = chosen;
    else
        return;
    setCaption(m_currentPrinter);
}

void PrintPreview::CmdCalibrate_Click()
{
    const int width = m_items.isEmpty() ? 0 : m_items.first().left;
    const int height = m_items.isEmpty() ? 0 : m_items.first().top;
    auto *dialog = new CalibrationDialog(m_state.DbConnection, width, height, m_currentPrinter, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &CalibrationDialog::calibrationChanged, this, [this] { setCaption(m_caption); });
    dialog->open();
}

QTransform PrintPreview::calibrationInForce() const
{
    return CalibrationStore(m_state.DbConnection).inForce(m_currentPrinter).transform();
}

void PrintPreview::setCaption(const QString &caption)
{
    m_caption = caption;
    const PrinterCalibration c = CalibrationStore(m_state.DbConnection).inForce(m_currentPrinter);
    setWindowTitle(c.isIdentity() ? caption : QStringLiteral("%1（已校准：%2）").arg(caption, c.summary()));
}

PrintJobOptions PrintPreview::jobOptions() const
{
    PrintJobOptions o;
    o.orientation = m_orientation->currentIndex() + 1;
    o.paperCode = PaperCodeA4;
    o.copies = wholeNumberOf(m_copies->text());
    o.colourMode = m_colourMode->currentIndex() + 1;
    o.quality = m_quality->currentIndex() + 1;
    return o;
}

bool PrintPreview::selectionMade() const
{
    return m_state.Bill.isOpen();
}

bool PrintPreview::preparePrinter(QPrinter &printer)
{
    if (m_currentPrinter != PrinterSettings::PdfChoice()) {
        if (PrinterSettings::SelectPrinter(printer, m_currentPrinter))
            return true;
        showMessage(Attention,
                    QStringLiteral("%1\n找不到打印机“%2”").arg(PrintErrorNumber).arg(m_currentPrinter),
                    true);
        return false;
    }
    QString path = m_pdfFileName;
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, PrinterSettings::PdfChoice(), QString(),
                                            QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty())
            return false;
        if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            path += QStringLiteral(".pdf");
    }
    PrinterSettings::SelectPdf(printer, path);
    return true;
}

bool PrintPreview::billPrintable()
{
    if (!selectionMade()) {
        showMessage(Attention, QStringLiteral("未选中要打印的票据！"), false);
        return false;
    }
    QStringList blocking;
    QStringList asking;
    for (const BillProblem &p : m_state.Bill.problems())
        (p.blocks() ? blocking : asking) << p.message;
    if (!blocking.isEmpty()) {
        showMessage(Attention, QStringLiteral("这张票据不能这样打印：\n%1").arg(blocking.join(u'\n')), true);
        return false;
    }
    if (m_items.size() <= 1 || m_state.Bill.isBlank()) {
        showMessage(Attention, QStringLiteral("票据上没有要打印的内容。"), false);
        return false;
    }
    if (!asking.isEmpty()
        && !ask(Attention, QStringLiteral("%1\n仍然打印吗？").arg(asking.join(u'\n'))))
        return false;
    return true;
}

void PrintPreview::CmdPrint_Click()
{
    if (!m_orientation || !billPrintable())
        return;
    const PrintJobOptions options = jobOptions();
    if (options.copies <= 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!preparePrinter(printer))
        return;
    const PrintStatus status = PrintBillItems(printer, m_items, options, calibrationInForce());
    if (!status.ok()) {
        showMessage(Attention, QStringLiteral("%1\n%2").arg(status.status().error).arg(status.message()), true);
        return;
    }
    // Only a print that went through empties the fields marked for it.
    m_state.Bill.emptyAfterPrint();
    emit printed();
}

void PrintPreview::CmdClose_Click()
{
    close();
}

void PrintPreview::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void PrintPreview::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    hide();
    m_printerNames.clear();
    m_items.clear();
    m_screenSize = {0, 0};
    for (QLabel *&label : m_labels) {
        if (label)
            label->deleteLater();
        label = nullptr;
    }
    for (QWidget *w : std::initializer_list<QWidget *>{m_orientation, m_paperWidth, m_paperHeight,
                                                       m_copies, m_colourMode, m_quality,
                                                       m_printers, m_print, m_close, m_calibrate,
                                                       m_bar, m_picture})
        if (w)
            w->deleteLater();
    m_orientation = m_colourMode = m_quality = m_printers = nullptr;
    m_paperWidth = m_paperHeight = m_copies = nullptr;
    m_print = m_close = m_calibrate = nullptr;
    m_bar = nullptr;
    m_picture = nullptr;
    m_state.RegisterWindow(WindowName, false);
}

bool PrintPreview::ask(const QString &title, const QString &text)
{
    if (m_question)
        return m_question(title, text);
    return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void PrintPreview::showMessage(const QString &title, const QString &text, bool error)
{
    if (m_message) {
        m_message(title, text, error);
        return;
    }
    if (error)
        QMessageBox::warning(this, title, text, QMessageBox::Ok);
    else
        QMessageBox::information(this, title, text);
}
