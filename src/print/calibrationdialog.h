#pragma once
// The printer calibration dialog: choose a printer, print the calibration
// page on it, type what the ruler shows and store the computed offset and
// scale for that printer (or clear them).
#include "print/calibrationpage.h"
#include <QDialog>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    // Shows a message box: title, text, and whether it reports an error.
    using MessageSink = std::function<void(const QString &title, const QString &text, bool error)>;

    // `connection`: the template store's connection; the bill's size in
    // twips sizes the page; `printer` is chosen first (a queue name or the
    // PDF choice).
    CalibrationDialog(const QString &connection, int billWidth, int billHeight, const QString &printer,
                      QWidget *parent = nullptr);

    QString printerName() const;
    const CalibrationPage &page() const { return m_page; }
    CalibrationMeasurement measurement() const;
    void setMeasurement(const CalibrationMeasurement &m);

    // The file the PDF choice prints the page into without asking.
    void setPdfFileName(const QString &path) { m_pdfFileName = path; }
    void setMessageSink(MessageSink sink) { m_message = std::move(sink); }

    QComboBox *printerList() const { return m_printers; }
    QLabel *currentLabel() const { return m_current; }
    QLabel *resultLabel() const { return m_result; }

public slots:
    // Prints the page, uncalibrated, on the chosen printer.
    bool printPage();
    // Computes from the typed values and stores; false, with a message,
    // when the values are implausible or the store fails.
    bool saveCalibration();
    // Removes the chosen printer's calibration.
    bool clearCalibration();

signals:
    // The stored calibration of a printer changed.
    void calibrationChanged(const QString &printerName);

private:
    QDoubleSpinBox *addMeasure(double nominal, double low, double high);
    void showCurrent();
    void showResult();
    void showMessage(const QString &text, bool error);

    CalibrationStore m_store;
    CalibrationPage m_page;
    QString m_pdfFileName;
    MessageSink m_message;
    QComboBox *m_printers = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_result = nullptr;
    QDoubleSpinBox *m_crossX = nullptr;
    QDoubleSpinBox *m_crossY = nullptr;
    QDoubleSpinBox *m_horizontal = nullptr;
    QDoubleSpinBox *m_vertical = nullptr;
};
