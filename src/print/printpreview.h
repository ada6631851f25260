#pragma once
// The print preview: a child window over the whole bill workspace with its
// caption shown along the top (what is printed, on which printer, and the
// calibration in force), the bill's printable content drawn at its real size
// and scrollable, and a settings bar along the bottom edge (orientation,
// paper size, copies, colour mode, quality, printer) with the Calibrate,
// Print and Close buttons. The window covers its parent and follows it when
// it is resized. Every opening starts from the same initial choices; the
// items are read once, when the window loads.
#include "core/printitems.h"
#include "print/printjob.h"
#include "core/formbackground.h"
#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class WrapBar;
struct AppState;

// The preview surface: keeps the items drawn on it and paints the part of
// them that is on screen, so that a bill of any size needs no image larger
// than the window shows.
class PreviewSurface : public QWidget {
    Q_OBJECT
public:
    explicit PreviewSurface(QWidget *parent = nullptr);
    void Cls();
    // Sizes the surface to the bill and draws the items on it.
    void drawItems(const PrintItems &items);
    // The surface as it paints `area` (the whole surface when empty), for
    // a look at what it shows.
    QImage picture(const QRect &area = {}) const;
    // The scanned form drawn under the items on screen; it is never printed.
    void setUnderlay(const std::optional<FormBackground> &bg);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintBill(QPainter &painter, const QRect &area) const;

    PrintItems m_items;
    std::optional<FormBackground> m_underlay;
    QImage m_underlayImage;
};

class PrintPreview : public QWidget {
    Q_OBJECT
public:
    // Shows a message box: title, text, and whether it reports an error.
    using MessageSink = std::function<void(const QString &title, const QString &text, bool error)>;
    // Asks a yes/no question; true for yes.
    using QuestionSink = std::function<bool(const QString &title, const QString &text)>;

    // Loads the window on `parent` (the main window's workspace), which it
    // covers; without a parent it takes the screen's size.
    PrintPreview(AppState &state, QWidget *parent);
    ~PrintPreview() override;

    // What the toolbar's print command does while a bill is open: shows the
    // one preview on `parent` without blocking, loading it unless one is
    // already open there (that one is brought to the front).
    static PrintPreview *Open(AppState &state, QWidget *parent);

    // Reads the print items of the bill open on the surface (the bill
    // document); the table name is not used. Returns 0.
    int ReadCtlData(const QString &table);

    const PrintItems &items() const { return m_items; }
    const QStringList &printerNames() const { return m_printerNames; }
    // The device the next print goes to: a queue name or the PDF choice.
    QString currentPrinter() const { return m_currentPrinter; }
    std::array<int, 2> screenSize() const { return m_screenSize; }

    // The file the PDF choice prints into without asking; empty to ask.
    void setPdfFileName(const QString &path) { m_pdfFileName = path; }
    void setMessageSink(MessageSink sink) { m_message = std::move(sink); }
    void setQuestionSink(QuestionSink sink) { m_question = std::move(sink); }

    // Controls, by their names.
    PreviewSurface *PictureC() const { return m_picture; }
    // The caption as the clerk sees it, along the top of the window.
    QLabel *LblCaptionC() const { return m_captionLabel; }
    QScrollArea *PictureScrollC() const { return m_scroll; }
    QWidget *BottomPBC() const;
    WrapBar *settingsBar() const { return m_bar; }
    QLabel *LblTC(int index) const;
    QComboBox *CmbOrientationC() const { return m_orientation; }
    QLineEdit *TxtPaperWidthC() const { return m_paperWidth; }
    QLineEdit *TxtPaperHeightC() const { return m_paperHeight; }
    QLineEdit *TxtCopiesC() const { return m_copies; }
    QComboBox *CmbColorModeC() const { return m_colourMode; }
    QComboBox *CmbQualityC() const { return m_quality; }
    QComboBox *CmbPrintersC() const { return m_printers; }
    QPushButton *CmdPrintC() const { return m_print; }
    QPushButton *CmdCloseC() const { return m_close; }
    // "校准": the calibration dialog for the current printer.
    QPushButton *CmdCalibrateC() const { return m_calibrate; }

    // The settings the bar holds now.
    PrintJobOptions jobOptions() const;

public slots:
    void CmdPrint_Click();
    void CmdClose_Click();
    void CmbPrintersC_Click(int index);
    // Opens the calibration dialog (window-modal, not blocking).
    void CmdCalibrate_Click();

signals:
    // A print finished (the fields marked for it have been emptied).
    void printed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Tab and Shift+Tab go round the preview's own controls.
    bool focusNextPrevChild(bool next) override;

private:
    void Form_Load();
    void Form_Unload();
    void drawPreview();
    void readPrinterNames();
    void buildSettingsBar();
    void buildCaption();
    QLabel *addLabel(int index, const QString &caption);
    QComboBox *addList(const QString &name, const QStringList &items, int choice, int fontSize);
    QLineEdit *addTextBox(const QString &name, int maxLength, const QString &text, bool enabled);
    QPushButton *addButton(const QString &name, const QString &caption);
    void snapToParent();
    bool selectionMade() const;
    bool preparePrinter(class QPrinter &printer);
    // The status bar of the main window names the bill printed and where.
    void reportPrinted(const class QPrinter &printer);
    void showMessage(const QString &title, const QString &text, bool error);
    bool ask(const QString &title, const QString &text);
    // False, after telling the clerk why, when the bill must not print as it
    // stands (a problem field, nothing to print); a text running past its box
    // prints when the clerk says so.
    bool billPrintable();
    // The window's caption, with a note when the current printer is
    // calibrated; the caption shown on top always names the bill as well.
    void setCaption(const QString &caption);
    void showCaption();
    QTransform calibrationInForce() const;

    AppState &m_state;
    MessageSink m_message;
    QuestionSink m_question;
    std::array<int, 2> m_screenSize{0, 0};
    QStringList m_printerNames;
    PrintItems m_items;
    QString m_currentPrinter;
    QString m_pdfFileName;
    QString m_caption; // the caption without the calibration note
    bool m_unloaded = false;

    PreviewSurface *m_picture = nullptr;
    QLabel *m_captionLabel = nullptr;
    QScrollArea *m_scroll = nullptr;
    WrapBar *m_bar = nullptr;
    std::array<QLabel *, 7> m_labels{};
    QComboBox *m_orientation = nullptr;
    QLineEdit *m_paperWidth = nullptr;
    QLineEdit *m_paperHeight = nullptr;
    QLineEdit *m_copies = nullptr;
    QComboBox *m_colourMode = nullptr;
    QComboBox *m_quality = nullptr;
    QComboBox *m_printers = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_calibrate = nullptr;
};
