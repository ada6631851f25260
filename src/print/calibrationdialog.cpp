#include "print/calibrationdialog.h"
#include "app/uitext.h"
#include "print/printersettings.h"
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString Attention = QStringLiteral("注意");
}

CalibrationDialog::CalibrationDialog(const QString &connection, int billWidth, int billHeight,
                                     const QString &printer, QWidget *parent)
    : QDialog(parent), m_store(connection), m_page(CalibrationPage::forBill(billWidth, billHeight))
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(QStringLiteral("打印机校准"));

    m_printers = new QComboBox(this);
    m_printers->addItems(PrinterSettings::PrinterNames() + QStringList{PrinterSettings::PdfChoice()});
    const int chosen = m_printers->findText(printer);
    m_printers->setCurrentIndex(chosen >= 0 ? chosen : 0);
    m_current = new QLabel(this);
    auto *print = new QPushButton(QStringLiteral("打印校准页"), this);
    print->setObjectName(QStringLiteral("CmdCalibrationPage"));

    const double a = m_page.crossAt;
    m_crossX = addMeasure(a, a - 30.0, a + 30.0);
    m_crossY = addMeasure(a, a - 30.0, a + 30.0);
    m_horizontal = addMeasure(m_page.horizontalSpan, m_page.horizontalSpan * 0.8, m_page.horizontalSpan * 1.2);
    m_vertical = addMeasure(m_page.verticalSpan, m_page.verticalSpan * 0.8, m_page.verticalSpan * 1.2);
    m_result = new QLabel(this);
    m_result->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("打印机"), m_printers);
    form->addRow(QStringLiteral("当前校准"), m_current);
    form->addRow(QString(), print);
    const QString cross = QStringLiteral("%1/%1").arg(a, 0, 'f', 0);
    form->addRow(QStringLiteral("十字 %1 到左边（毫米）").arg(cross), m_crossX);
    form->addRow(QStringLiteral("十字 %1 到上边（毫米）").arg(cross), m_crossY);
    form->addRow(QStringLiteral("横向两十字间距（标称 %1 毫米）").arg(m_page.horizontalSpan, 0, 'f', 0), m_horizontal);
    form->addRow(QStringLiteral("纵向两十字间距（标称 %1 毫米）").arg(m_page.verticalSpan, 0, 'f', 0), m_vertical);
    form->addRow(QStringLiteral("校准结果"), m_result);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *save = buttons->addButton(QStringLiteral("保存校准"), QDialogButtonBox::AcceptRole);
    QPushButton *clear = buttons->addButton(QStringLiteral("清除校准"), QDialogButtonBox::ResetRole);
    QPushButton *close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    save->setObjectName(QStringLiteral("CmdSaveCalibration"));
    clear->setObjectName(QStringLiteral("CmdClearCalibration"));
    // Saving keeps the dialog open only when it fails.
    connect(save, &QPushButton::clicked, this, [this] {
        if (saveCalibration())
            accept();
    });
    connect(clear, &QPushButton::clicked, this, &CalibrationDialog::clearCalibration);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &CalibrationDialog::printPage);
    connect(m_printers, &QComboBox::currentIndexChanged, this, &CalibrationDialog::showCurrent);

    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("先在所选打印机上打印校准页（不带校准），再用直尺量出下列数值。"), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addLayout(form);
    layout->addWidget(buttons);
    showCurrent();
    showResult();
}

QDoubleSpinBox *CalibrationDialog::addMeasure(double nominal, double low, double high)
{
    auto *box = new QDoubleSpinBox(this);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(low, high);
    box->setValue(nominal);
    box->setSuffix(QStringLiteral(" 毫米"));
    connect(box, &QDoubleSpinBox::valueChanged, this, &CalibrationDialog::showResult);
    return box;
}

QString CalibrationDialog::printerName() const
{
    return m_printers->currentText();
}

CalibrationMeasurement CalibrationDialog::measurement() const
{
    return CalibrationMeasurement{m_crossX->value(), m_crossY->value(), m_horizontal->value(),
                                  m_vertical->value()};
}

void CalibrationDialog::setMeasurement(const CalibrationMeasurement &m)
{
    m_crossX->setValue(m.crossX);
    m_crossY->setValue(m.crossY);
    m_horizontal->setValue(m.horizontal);
    m_vertical->setValue(m.vertical);
}

void CalibrationDialog::showCurrent()
{
    std::optional<PrinterCalibration> c;
    const StoreStatus s = m_store.load(printerName(), c);
    if (!s)
        m_current->setText(uitext::failure(QStringLiteral("无法读取校准"), s.message));
    else
        m_current->setText(c && !c->isIdentity() ? c->summary() : QStringLiteral("未校准"));
}

void CalibrationDialog::showResult()
{
    QString why;
    const auto c = calibration::compute(printerName(), m_page, measurement(), &why);
    m_result->setText(c ? c->summary() : why);
}

bool CalibrationDialog::printPage()
{
    QPrinter printer(QPrinter::HighResolution);
    const QString name = printerName();
    if (name == PrinterSettings::PdfChoice()) {
        const QString path = m_pdfFileName.isEmpty() ? PrinterSettings::AskPdfFileName(this) : m_pdfFileName;
        if (path.isEmpty())
            return false;
        PrinterSettings::SelectPdf(printer, path);
    } else if (!PrinterSettings::SelectPrinter(printer, name)) {
        showMessage(QStringLiteral("找不到打印机“%1”").arg(name), true);
        return false;
    }
    const PrintStatus st = calibration::printPage(printer, m_page);
    if (!st.ok())
        showMessage(QStringLiteral("%1\n%2").arg(st.status().error).arg(st.message()), true);
    return st.ok();
}

bool CalibrationDialog::saveCalibration()
{
    QString why;
    const auto c = calibration::compute(printerName(), m_page, measurement(), &why);
    if (!c) {
        showMessage(why, true);
        return false;
    }
    const StoreStatus s = m_store.save(*c);
    if (!s) {
        showMessage(uitext::failure(QStringLiteral("校准没有保存"), s.message), true);
        return false;
    }
    showCurrent();
    emit calibrationChanged(c->printerName);
    return true;
}

bool CalibrationDialog::clearCalibration()
{
    const StoreStatus s = m_store.remove(printerName());
    if (!s) {
        showMessage(uitext::failure(QStringLiteral("校准没有清除"), s.message), true);
        return false;
    }
    showCurrent();
    emit calibrationChanged(printerName());
    return true;
}

void CalibrationDialog::showMessage(const QString &text, bool error)
{
    if (m_message) {
        m_message(Attention, text, error);
        return;
    }
    if (error)
        QMessageBox::warning(this, Attention, text);
    else
        QMessageBox::information(this, Attention, text);
}
