#include "print/printpreview.h"
#include "core/billregister.h"
#include "app/remembered.h"
#include "core/appstate.h"
#include "core/units.h"
#include "core/billrenderer.h"
#include "print/calibrationdialog.h"
#include "print/printersettings.h"
#include "core/printitems.h"
#include "core/templatestore.h"
#include <QCloseEvent>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QStatusBar>
#include <QMainWindow>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include "print/wrapbar.h"

namespace {

const QString WindowName = QStringLiteral("PrintPreview");
const QString Attention = QStringLiteral("注意");
constexpr int BarHeight = 400;       // twips: the least height of the bar's controls
constexpr int PrinterListChars = 12; // the printer list's least width, in characters
constexpr int PaperCodeA4 = 9;
const QColor CaptionBack(0x1f, 0x3a, 0x5f);
const QColor ReadOnlyBack(0xe8, 0xe8, 0xe8);

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
    m_items.clear();
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
    m_items = items;
    resize(px(items.first().left), px(items.first().top));
    show();
    update();
}

// Paints the window colour, the scanned form and the items into `area`
// (surface pixels) only; the painter clips to it.
void PreviewSurface::paintBill(QPainter &painter, const QRect &area) const
{
    painter.fillRect(area, palette().color(QPalette::Window));
    if (m_items.isEmpty())
        return;
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setTransform(BillRenderer::twipsTransform(units::TwipsPerInch / units::TwipsPerPixel,
                                                      units::TwipsPerInch / units::TwipsPerPixel),
                         true);
    if (m_underlay)
        formbackground::paint(painter, *m_underlay, m_underlayImage);
    BillRenderer::paint(painter, m_items);
}

void PreviewSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintBill(painter, event->rect());
}

QImage PreviewSurface::picture(const QRect &area) const
{
    const QRect shown = area.isEmpty() ? rect() : area;
    QImage image(shown.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.translate(-shown.topLeft());
    paintBill(painter, shown);
    return image;
}

// ---- window --------------------------------------------------------------

PrintPreview::PrintPreview(AppState &state, QWidget *parent)
    : QWidget(parent), m_state(state)
{
    setObjectName(WindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    Form_Load();
}

PrintPreview *PrintPreview::Open(AppState &state, QWidget *parent)
{
    PrintPreview *preview = nullptr;
    if (parent && state.IsWindowOpen(WindowName)) {
        for (PrintPreview *p : parent->findChildren<PrintPreview *>(Qt::FindDirectChildrenOnly))
            if (!p->m_unloaded)
                preview = p;
    }
    if (!preview)
        preview = new PrintPreview(state, parent);
    preview->show();
    preview->raise();
    // The keys come to the preview, never to the bill it covers; Return
    // prints.
    if (preview->m_print)
        preview->m_print->setFocus(Qt::OtherFocusReason);
    return preview;
}

bool PrintPreview::focusNextPrevChild(bool next)
{
    // The window's chain goes on into the workspace under the preview: walk
    // it to the next control of the preview that takes Tab.
    QWidget *from = QApplication::focusWidget();
    if (!from || !isAncestorOf(from))
        return QWidget::focusNextPrevChild(next);
    for (QWidget *w = from;;) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == from)
            return true;
        if (isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
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

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildCaption();
    column->addWidget(m_captionLabel);

    // The bill at its real size, scrolled when the window is smaller.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PictureScrollC"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackground(m_scroll->viewport(), Qt::black);
    m_picture = new PreviewSurface;
    m_scroll->setWidget(m_picture);
    m_picture->hide();
    m_picture->Cls();
    column->addWidget(m_scroll, 1);

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
    // The bill may change while it is shown (the history window refills it,
    // a print empties the fields marked for it): the preview shows it as it
    // is, so that the print puts on paper what the register records.
    connect(&m_state.Bill, &BillDocument::valueChanged, this, [this] {
        if (m_unloaded || !m_state.Bill.isOpen())
            return;
        ReadCtlData(m_state.Bill.billTemplate().table());
        drawPreview();
    });
    buildSettingsBar();
    column->addWidget(m_bar);
    showCaption();
    if (parentWidget())
        parentWidget()->installEventFilter(this);
    snapToParent();
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
    // The print goes where the printer list points. It starts on the printer
    // chosen last time, else on the system's default printer, else on its
    // first entry.
    const QString last = remembered::value(remembered::Printer).toString();
    const QString system = PrinterSettings::DefaultPrinterName();
    if (!last.isEmpty() && (m_printerNames.contains(last) || last == PrinterSettings::PdfChoice()))
        m_currentPrinter = last;
    else if (m_printerNames.contains(system))
        m_currentPrinter = system;
    else
        m_currentPrinter = m_printerNames.isEmpty() ? PrinterSettings::PdfChoice() : m_printerNames.first();
}

QLabel *PrintPreview::LblTC(int index) const
{
    return index >= 0 && index < int(m_labels.size()) ? m_labels[index] : nullptr;
}

QWidget *PrintPreview::BottomPBC() const
{
    return m_bar;
}

void PrintPreview::buildCaption()
{
    // Shown like a title bar: the preview lies inside the main window and
    // has no title bar of its own.
    m_captionLabel = new QLabel(this);
    m_captionLabel->setObjectName(QStringLiteral("LblCaptionC"));
    m_captionLabel->setWordWrap(true);
    m_captionLabel->setTextFormat(Qt::PlainText);
    m_captionLabel->setContentsMargins(8, 4, 8, 4);
    QFont f = QApplication::font(m_captionLabel);
    f.setPointSize(std::max(f.pointSize(), 0) + 2);
    f.setBold(true);
    f.setResolveMask(QFont::AllPropertiesResolved);
    m_captionLabel->setFont(f);
    QPalette p = m_captionLabel->palette();
    p.setColor(QPalette::Window, CaptionBack);
    p.setColor(QPalette::WindowText, Qt::white);
    m_captionLabel->setPalette(p);
    m_captionLabel->setAutoFillBackground(true);
}

QLabel *PrintPreview::addLabel(int index, const QString &caption)
{
    auto *label = new QLabel(caption, m_bar);
    label->setObjectName(QStringLiteral("LblTC%1").arg(index));
    label->setAttribute(Qt::WA_TranslucentBackground);
    setPointSize(label, 12);
    m_labels[index] = label;
    return label;
}

QComboBox *PrintPreview::addList(const QString &name, const QStringList &items, int choice, int fontSize)
{
    auto *list = new QComboBox(m_bar);
    list->setObjectName(name);
    list->setEditable(false);
    list->addItems(items);
    list->setCurrentIndex(choice);
    setPointSize(list, fontSize);
    list->setMinimumHeight(px(BarHeight));
    return list;
}

QLineEdit *PrintPreview::addTextBox(const QString &name, int maxLength, const QString &text, bool enabled)
{
    auto *box = new QLineEdit(m_bar);
    box->setObjectName(name);
    box->setFrame(false);
    box->setMaxLength(maxLength);
    box->setText(text);
    box->setEnabled(enabled);
    box->setCursorPosition(0);
    setPointSize(box, 12);
    // Room for every character the box takes, and its text as dark when it
    // only informs as when it can be typed into.
    const QFontMetrics fm(box->font());
    box->setFixedWidth(fm.horizontalAdvance(QString(std::max(maxLength, 2), QLatin1Char('0'))) + 8);
    box->setMinimumHeight(px(BarHeight));
    QPalette p = box->palette();
    p.setColor(QPalette::Disabled, QPalette::Text, p.color(QPalette::Active, QPalette::Text));
    p.setColor(QPalette::Disabled, QPalette::Base, ReadOnlyBack);
    box->setPalette(p);
    return box;
}

QPushButton *PrintPreview::addButton(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, m_bar);
    button->setObjectName(name);
    button->setMinimumHeight(px(BarHeight));
    return button;
}

void PrintPreview::buildSettingsBar()
{
    m_bar = new WrapBar(this);
    m_bar->setObjectName(QStringLiteral("BottomPBC"));
    setBackground(m_bar, QColor(0x80, 0x80, 0x80));
    m_bar->setMinimumHeight(px(BarHeight));

    const bool haveBill = !m_items.isEmpty();
    // Millimetres with at most one decimal: "225", "80", "212.5".
    const auto mm = [](int twips) {
        QString text = QString::number(units::twipsToMm(twips), 'f', 1);
        if (text.endsWith(QLatin1String(".0")))
            text.chop(2);
        return text;
    };

    addLabel(0, QStringLiteral("方向"));
    m_orientation = addList(QStringLiteral("CmbOrientationC"), {QStringLiteral("纵向"), QStringLiteral("横向")}, 1, 12);
    addLabel(1, QStringLiteral("宽度_毫米"));
    m_paperWidth = addTextBox(QStringLiteral("TxtPaperWidthC"), 6, haveBill ? mm(m_items.first().left) : QString(), false);
    addLabel(2, QStringLiteral("高度"));
    m_paperHeight = addTextBox(QStringLiteral("TxtPaperHeightC"), 6, haveBill ? mm(m_items.first().top) : QString(), false);
    addLabel(3, QStringLiteral("张数"));
    m_copies = addTextBox(QStringLiteral("TxtCopiesC"), 1, QStringLiteral("1"), true);
    addLabel(4, QStringLiteral("色彩"));
    m_colourMode = addList(QStringLiteral("CmbColorModeC"), {QStringLiteral("单色"), QStringLiteral("彩色")}, 0, 12);
    addLabel(5, QStringLiteral("质量"));
    m_quality = addList(QStringLiteral("CmbQualityC"),
                        {QStringLiteral("草"), QStringLiteral("低"), QStringLiteral("中"), QStringLiteral("高")}, 0, 12);
    addLabel(6, QStringLiteral("设备"));
    const QStringList printers = m_printerNames + QStringList{PrinterSettings::PdfChoice()};
    m_printers = addList(QStringLiteral("CmbPrintersC"), printers, int(std::max<qsizetype>(0, printers.indexOf(m_currentPrinter))), 10);
    // Long queue names must not push the buttons out of the window.
    m_printers->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_printers->setMinimumContentsLength(PrinterListChars);
    m_printers->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_calibrate = addButton(QStringLiteral("CmdCalibrateC"), QStringLiteral("校准"));
    m_print = addButton(QStringLiteral("CmdPrintC"), QStringLiteral("打印"));
    m_close = addButton(QStringLiteral("CmdCloseC"), QStringLiteral("关闭"));

    m_bar->addGroup({m_labels[0], m_orientation});
    m_bar->addGroup({m_labels[1], m_paperWidth});
    m_bar->addGroup({m_labels[2], m_paperHeight});
    m_bar->addGroup({m_labels[3], m_copies});
    m_bar->addGroup({m_labels[4], m_colourMode});
    m_bar->addGroup({m_labels[5], m_quality});
    m_bar->addGroup({m_labels[6], m_printers, m_calibrate}, true, 1);
    m_bar->addGroup({m_print, m_close});

    connect(m_printers, &QComboBox::activated, this, &PrintPreview::CmbPrintersC_Click);
    connect(m_print, &QPushButton::clicked, this, &PrintPreview::CmdPrint_Click);
    connect(m_close, &QPushButton::clicked, this, &PrintPreview::CmdClose_Click);
    connect(m_calibrate, &QPushButton::clicked, this, &PrintPreview::CmdCalibrate_Click);
}

void PrintPreview::snapToParent()
{
    const QWidget *p = parentWidget();
    const QRect wanted = p ? p->rect() : QRect(QPoint(0, 0), QSize(px(m_screenSize[0]), px(m_screenSize[1])));
    if (geometry() != wanted)
        setGeometry(wanted);
    if (m_bar && layout()) {
        m_bar->arrange(wanted.width());
        layout()->activate();
    }
}

void PrintPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    snapToParent();
}

bool PrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !m_unloaded)
        snapToParent();
    return QWidget::eventFilter(watched, event);
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
    remembered::setValue(remembered::Printer, m_currentPrinter);
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

namespace {
QString withCalibrationNote(const QString &caption, const PrinterCalibration &c)
{
    return c.isIdentity() ? caption : QStringLiteral("%1（已校准：%2）").arg(caption, c.summary());
}
} // namespace

void PrintPreview::setCaption(const QString &caption)
{
    m_caption = caption;
    setWindowTitle(withCalibrationNote(caption, CalibrationStore(m_state.DbConnection).inForce(m_currentPrinter)));
    showCaption();
}

void PrintPreview::showCaption()
{
    // The window's own caption is never seen inside the main window, and a
    // printer choice leaves only the printer's name in it: the line on top
    // names the bill and the printer the next print goes to.
    if (!m_captionLabel)
        return;
    const QString caption =
        m_items.isEmpty()
            ? QStringLiteral("打印预览---当前打印机为：%1").arg(m_currentPrinter)
            : QStringLiteral("票据(%1)打印预览---当前打印机为：%2").arg(m_items.first().text, m_currentPrinter);
    m_captionLabel->setText(
        withCalibrationNote(caption, CalibrationStore(m_state.DbConnection).inForce(m_currentPrinter)));
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
    const QString path = m_pdfFileName.isEmpty() ? PrinterSettings::AskPdfFileName(this) : m_pdfFileName;
    if (path.isEmpty())
        return false;
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
    // Another workstation may have renamed or deleted the template since it
    // was opened: its register is gone with it, so the bill would print
    // unrecorded.
    const QString table = m_state.Bill.billTemplate().table();
    if (!table.isEmpty() && !m_state.DbConnection.isEmpty()
        && !TemplateStore(m_state.DbConnection).tableExists(table)) {
        showMessage(Attention,
                    QStringLiteral("模板“%1”已被改名或删除（可能是在其他工作站上），这张票据不能打印。\n"
                                   "请在目录中重新打开模板。")
                        .arg(m_items.first().text),
                    true);
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
    reportPrinted(printer);
    // A print that went through is recorded in the bill register; only when
    // both succeeded are the fields marked for it emptied.
    const BillDocument &doc = m_state.Bill;
    const Status recorded = billregister::Register(m_state.DbConnection, doc.billTemplate().table())
                                .record(doc, {m_currentPrinter, options.copies});
    if (!recorded) {
        showMessage(Attention,
                    QStringLiteral("票据已打印，但没有记入登记簿：\n%1").arg(recorded.message), true);
        return;
    }
    m_state.Bill.emptyAfterPrint();
    emit printed();
}

void PrintPreview::reportPrinted(const QPrinter &printer)
{
    // The preview lies inside the main window: its status bar says what went
    // where, and stays visible below the preview.
    auto *main = qobject_cast<QMainWindow *>(window());
    if (!main || !main->statusBar() || m_items.isEmpty())
        return;
    const QString where = printer.outputFileName().isEmpty() ? m_currentPrinter
                                                             : QDir::toNativeSeparators(printer.outputFileName());
    main->statusBar()->showMessage(QStringLiteral("已打印 %1 到 %2").arg(m_items.first().text, where), 10000);
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
                                                       m_bar, m_picture, m_scroll, m_captionLabel})
        if (w)
            w->deleteLater();
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
    m_orientation = m_colourMode = m_quality = m_printers = nullptr;
    m_paperWidth = m_paperHeight = m_copies = nullptr;
    m_print = m_close = m_calibrate = nullptr;
    m_bar = nullptr;
    m_picture = nullptr;
    m_scroll = nullptr;
    m_captionLabel = nullptr;
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
