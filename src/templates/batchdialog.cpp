#include "templates/batchdialog.h"
#include "app/filedialogs.h"

#include "core/appstate.h"
#include "core/calibration.h"
#include "core/tablesource.h"
#include "core/formbackground.h"
#include "core/units.h"
#include "print/printersettings.h"
#include "print/printjob.h"
#include "print/printpreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor BadCell(255, 190, 190);
const QColor PrintedRow(200, 235, 200);
constexpr int MaxCopies = 99;

QString tooltipOf(const QList<batch::Problem> &problems)
{
    QStringList reasons;
    for (const batch::Problem &p : problems)
        reasons << p.reason;
    return reasons.join(u'\n');
}

} // namespace

BatchDialog::BatchDialog(AppState &state, const TemplateRef &ref, QWidget *parent)
    : QDialog(parent), m_state(state), m_ref(ref)
{
    setObjectName(QStringLiteral("BatchDialog"));
    setWindowTitle(QStringLiteral("批量打印 - %1").arg(ref.display()));
    const Result<BillTemplate> t = batch::loadTemplate(state.DbConnection, ref);
    if (t)
        m_doc.setTemplate(*t);
    buildWindow();
    if (!t)
        m_summary->setText(t.message());
    chooseTableFile = [this] {
        return filedialogs::getOpenFileName(this, QStringLiteral("选择表格文件"), QDir::homePath(),
                                            QStringLiteral("电子表格 (*.xlsx *.xls *.et *.csv *.txt);;"
                                                           "Excel 工作簿 (*.xlsx *.xls);;WPS 表格 (*.et);;"
                                                           "CSV 文件 (*.csv *.txt);;所有文件 (*)"));
    };
    choosePdfFile = [this] {
        QString path = filedialogs::getSaveFileName(this, PrinterSettings::PdfChoice(),
                                                    QDir::home().filePath(m_ref.templateName + QStringLiteral(".pdf")),
                                                    QStringLiteral("PDF (*.pdf)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".pdf");
        return path;
    };
    showMessage = [this](const QString &title, const QString &text, bool error) {
        QMessageBox box(error ? QMessageBox::Warning : QMessageBox::Information, title, text, QMessageBox::Ok, this);
        box.exec();
    };
}

BatchDialog::~BatchDialog()
{
    // Closing ends an edit in progress, which must not reach a dialog
    // being taken apart.
    disconnect(m_table, nullptr, this, nullptr);
}

void BatchDialog::buildWindow()
{
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("表格文件："), this));
    m_path = new QLineEdit(this);
    m_path->setReadOnly(true);
    m_path->setPlaceholderText(QStringLiteral("每行一张票据，第一行是栏目名称或栏目的键"));
    top->addWidget(m_path, 1);
    m_choose = new QPushButton(QStringLiteral("选择文件..."), this);
    m_choose->setObjectName(QStringLiteral("chooseButton"));
    connect(m_choose, &QPushButton::clicked, this, &BatchDialog::chooseFile);
    top->addWidget(m_choose);
    // A workbook of several sheets: the clerk picks the sheet to print.
    m_sheetLabel = new QLabel(QStringLiteral("工作表："), this);
    top->addWidget(m_sheetLabel);
    m_sheets = new QComboBox(this);
    m_sheets->setObjectName(QStringLiteral("sheetBox"));
    connect(m_sheets, &QComboBox::activated, this, &BatchDialog::chooseSheet);
    top->addWidget(m_sheets);
    m_sheetLabel->hide();
    m_sheets->hide();

    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("rowsTable"));
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::cellChanged, this, &BatchDialog::cellEdited);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });

    m_preview = new PreviewSurface;
    // The scanned form, when the template has one, under the texts.
    std::optional<FormBackground> form;
    if (m_doc.isOpen() && FormBackgroundStore(m_state.DbConnection).load(m_doc.billTemplate().table(), form).ok())
        m_preview->setUnderlay(form);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(m_preview);
    scroll->setWidgetResizable(false);
    scroll->setBackgroundRole(QPalette::Dark);
    m_rowNote = new QLabel(this);
    m_rowNote->setWordWrap(true);
    auto *previewBox = new QWidget(this);
    auto *previewLayout = new QVBoxLayout(previewBox);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(m_rowNote);
    previewLayout->addWidget(scroll, 1);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(previewBox);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("打印机："), this));
    m_printers = new QComboBox(this);
    m_printers->addItems(PrinterSettings::PrinterNames());
    m_printers->addItem(PrinterSettings::PdfChoice());
    if (const int i = m_printers->findText(PrinterSettings::DefaultPrinterName()); i >= 0)
        m_printers->setCurrentIndex(i);
    bottom->addWidget(m_printers, 1);
    bottom->addWidget(new QLabel(QStringLiteral("每张份数："), this));
    m_copies = new QSpinBox(this);
    m_copies->setRange(1, MaxCopies);
    bottom->addWidget(m_copies);
    m_calibrated = new QCheckBox(QStringLiteral("按打印机校准"), this);
    m_calibrated->setChecked(true);
    bottom->addWidget(m_calibrated);
    bottom->addStretch();
    m_print = new QPushButton(QStringLiteral("全部打印"), this);
    m_print->setObjectName(QStringLiteral("printButton"));
    m_print->setEnabled(false);
    connect(m_print, &QPushButton::clicked, this, &BatchDialog::printAll);
    bottom->addWidget(m_print);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    // Return in the table or an editor never presses a button: printing
    // starts only from a click (or Space on the focused button).
    for (QPushButton *b : {m_choose, m_print, close})
        b->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);
    m_summary->setText(QStringLiteral("请选择表格文件：Excel 或 WPS 工作簿（.xlsx、.xls、.et）或 CSV 文件。"));
    resize(1100, 700);
    // Room for the whole bill under the table where the screen allows.
    const int bill = units::twipsToPixels(m_doc.billTemplate().height().value_or(4536));
    const int preview = std::min(bill + m_rowNote->sizeHint().height() + 24, height() / 2);
    split->setSizes({height() - preview, preview});
}

void BatchDialog::chooseFile()
{
    const QString path = chooseTableFile ? chooseTableFile() : QString();
    if (!path.isEmpty())
        loadFile(path);
}

void BatchDialog::chooseSheet(int index)
{
    if (index >= 0 && !m_file.isEmpty())
        loadFile(m_file, m_sheets->itemText(index));
}

bool BatchDialog::refuse(const QString &text)
{
    m_summary->setText(text);
    showMessage(QStringLiteral("批量打印"), text, true);
    return false;
}

void BatchDialog::clearTable()
{
    const QSignalBlocker block(m_table);
    m_table->clear();
    m_table->setRowCount(0);
    m_table->setColumnCount(0);
    m_rows.clear();
    m_problemCount.clear();
    m_lastPrinted.clear();
    m_filler.reset();
    m_print->setEnabled(false);
    m_rowNote->clear();
}

bool BatchDialog::loadFile(const QString &path, const QString &sheet)
{
    clearTable();
    m_file = path;
    m_path->setText(QDir::toNativeSeparators(path));
    if (!m_doc.isOpen())
        return refuse(m_summary->text());
    const Result<std::shared_ptr<batch::TableSource>> opened = batch::openTable(path, sheet);
    if (!opened)
        return refuse(opened.message());
    batch::TableSource &source = **opened;
    const auto *workbook = dynamic_cast<const batch::SheetSource *>(&source);
    {
        const QSignalBlocker block(m_sheets);
        m_sheets->clear();
        if (workbook) {
            m_sheets->addItems(workbook->sheetNames());
            m_sheets->setCurrentText(workbook->sheetName());
        }
        m_sheets->setVisible(m_sheets->count() > 1);
        m_sheetLabel->setVisible(m_sheets->count() > 1);
    }
    QList<batch::HeaderProblem> problems;
    m_header = batch::matchHeader(m_doc.billTemplate(), source.headerCells(), problems);
    if (!problems.isEmpty() || m_header.columns.isEmpty()) {
        QStringList lines;
        for (const batch::HeaderProblem &p : problems)
            lines << QStringLiteral("第 %1 列“%2”：%3").arg(p.column + 1).arg(p.header, p.reason);
        return refuse(QStringLiteral("%1第 %2 行（表头）与模板“%3”的栏目对不上：\n%4")
                          .arg(workbook ? QStringLiteral("工作表“%1”").arg(workbook->sheetName()) : QStringLiteral("CSV 文件"))
                          .arg(source.headerRow())
                          .arg(m_ref.display(),
                               lines.isEmpty() ? QStringLiteral("没有一列是模板的栏目") : lines.join(u'\n')));
    }
    // The bills: every row after the header that is not blank.
    batch::Row row;
    while (source.next(row))
        if (!row.isBlank())
            m_rows << row;
    if (!source.status()) {
        m_rows.clear();
        return refuse(source.status().message);
    }
    m_filler.emplace(m_doc, m_header);
    fillTable(source.headerCells());
    m_description = source.description();
    for (int r = 0; r < m_table->rowCount(); ++r)
        checkRow(r);
    updateSummary();
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(0, 0);
    return true;
}

void BatchDialog::fillTable(const QStringList &headerCells)
{
    const QSignalBlocker block(m_table);
    int columns = int(headerCells.size());
    for (const batch::Row &row : std::as_const(m_rows))
        columns = std::max(columns, int(row.cells.size()));
    m_table->setColumnCount(columns);
    m_table->setRowCount(int(m_rows.size()));
    for (int c = 0; c < columns; ++c) {
        const QString name = headerCells.value(c).trimmed();
        auto *item = new QTableWidgetItem(name.isEmpty() ? QStringLiteral("（第 %1 列）").arg(c + 1) : name);
        const auto column = std::find_if(m_header.columns.cbegin(), m_header.columns.cend(),
                                         [c](const batch::Column &x) { return x.index == c; });
        if (column != m_header.columns.cend())
            item->setToolTip(QStringLiteral("栏目 %1").arg(column->key));
        else
            item->setToolTip(QStringLiteral("这一列不填到票据上"));
        m_table->setHorizontalHeaderItem(c, item);
    }
    for (int r = 0; r < m_rows.size(); ++r) {
        m_table->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(m_rows.at(r).number)));
        for (int c = 0; c < columns; ++c)
            m_table->setItem(r, c, new QTableWidgetItem(m_rows.at(r).cells.value(c)));
    }
    m_problemCount = QList<int>(m_rows.size(), 0);
    m_table->resizeColumnsToContents();
}

void BatchDialog::cellEdited(int row, int column)
{
    if (m_updating || row < 0 || row >= m_rows.size())
        return;
    QStringList &cells = m_rows[row].cells;
    const QString text = m_table->item(row, column) ? m_table->item(row, column)->text() : QString();
    // A cell beyond a short row's end: the row grows to hold it.
    while (cells.size() <= column && !text.isEmpty())
        cells << QString();
    if (column < cells.size())
        cells[column] = text;
    // What the clerk typed stands for the cell now.
    m_rows[row].refused.remove(column);
    checkRow(row);
    updateSummary();
    if (row == m_table->currentRow())
        showRow(row);
}

void BatchDialog::checkRow(int row)
{
    if (!m_filler || row < 0 || row >= m_rows.size())
        return;
    const QList<batch::Problem> problems = m_filler->fill(m_rows.at(row));
    m_problemCount[row] = int(problems.size());
    markRow(row, problems);
}

void BatchDialog::markRow(int row, const QList<batch::Problem> &problems)
{
    m_updating = true;
    for (int c = 0; c < m_table->columnCount(); ++c) {
        QTableWidgetItem *item = m_table->item(row, c);
        if (!item)
            continue;
        QList<batch::Problem> here;
        for (const batch::Problem &p : problems)
            if (p.column == c)
                here << p;
        item->setBackground(here.isEmpty() ? QBrush() : QBrush(BadCell));
        item->setToolTip(tooltipOf(here));
    }
    // Problems of the row as a whole, or of a field no column fills, mark
    // the row's number.
    QList<batch::Problem> rowWide;
    for (const batch::Problem &p : problems)
        if (p.column < 0 || p.column >= m_table->columnCount())
            rowWide << p;
    if (QTableWidgetItem *header = m_table->verticalHeaderItem(row)) {
        header->setBackground(rowWide.isEmpty() ? QBrush() : QBrush(BadCell));
        header->setToolTip(rowWide.isEmpty() ? QString() : tooltipOf(rowWide));
    }
    m_updating = false;
}

int BatchDialog::badRows() const
{
    return int(std::count_if(m_problemCount.cbegin(), m_problemCount.cend(), [](int n) { return n > 0; }));
}

void BatchDialog::updateSummary()
{
    const int bad = badRows();
    QString text = QStringLiteral("%1，%2 张票据").arg(m_description).arg(m_rows.size());
    if (bad > 0)
        text += QStringLiteral("，其中 %1 张有问题：标红的单元格不能这样打印（鼠标停在上面可看原因，双击可修改）。"
                               "全部改正后才能打印。")
                    .arg(bad);
    else if (!m_rows.isEmpty())
        text += QStringLiteral("，都可以打印。");
    else
        text += QStringLiteral("：表头下面没有票据。");
    m_summary->setText(text);
    m_print->setEnabled(bad == 0 && !m_rows.isEmpty());
}

void BatchDialog::showRow(int row)
{
    if (!m_filler || row < 0 || row >= m_rows.size()) {
        m_rowNote->clear();
        return;
    }
    const QList<batch::Problem> problems = m_filler->fill(m_rows.at(row));
    QStringList lines;
    for (const batch::Problem &p : problems)
        lines << (p.field.isEmpty() ? p.reason : QStringLiteral("%1：%2").arg(p.field, p.reason));
    m_rowNote->setText(lines.isEmpty() ? QStringLiteral("第 %1 行").arg(m_rows.at(row).number)
                                       : QStringLiteral("第 %1 行不能这样打印：%2")
                                             .arg(m_rows.at(row).number)
                                             .arg(lines.join(QStringLiteral("；"))));
    m_preview->drawItems(BuildPrintItems(m_doc));
}

std::unique_ptr<batch::PageSink> BatchDialog::openSink(const QString &printer, int copies)
{
    Q_UNUSED(copies);
    const bool pdf = printer == PrinterSettings::PdfChoice();
    const QString calibrationName = pdf ? calibration::pdfPrinterName() : printer;
    const QTransform calibration = m_calibrated->isChecked()
                                       ? CalibrationStore(m_state.DbConnection).inForce(calibrationName).transform()
                                       : QTransform();
    if (pdf) {
        const QString path = choosePdfFile ? choosePdfFile() : QString();
        if (path.isEmpty())
            return nullptr;
        PdfOptions options;
        options.calibration = calibration;
        return std::make_unique<batch::PdfSink>(path, options);
    }
    auto job = std::make_unique<PrinterBatchJob>(printer, PrintJobOptions{}, calibration);
    if (!job->isValid()) {
        showMessage(QStringLiteral("批量打印"), QStringLiteral("找不到打印机“%1”").arg(printer), true);
        return nullptr;
    }
    return job;
}

void BatchDialog::printAll()
{
    if (!m_filler || badRows() > 0 || m_rows.isEmpty())
        return;
    const int copies = m_copies->value();
    std::unique_ptr<batch::PageSink> sink = openSink(m_printers->currentText(), copies);
    if (!sink)
        return;
    // The bill register records every bill printed, one row each.
    std::unique_ptr<batch::Recorder> recorder = batch::registerRecorder(m_state.DbConnection, m_ref);

    QProgressDialog progress(QStringLiteral("正在打印..."), QStringLiteral("取消"), 0, int(m_rows.size()), this);
    progress.setObjectName(QStringLiteral("BatchProgress"));
    progress.setWindowTitle(QStringLiteral("批量打印"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    batch::ListSource source(m_rows);
    const batch::Outcome outcome =
        batch::print(*m_filler, source, *sink, recorder.get(), {copies}, [&progress](int done, int total) {
            progress.setLabelText(QStringLiteral("已打印 %1 张，共 %2 张").arg(done).arg(total));
            progress.setValue(done);
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.close();
    sink.reset(); // the job is over before the clerk is told
    m_lastPrinted = outcome.printed;
    for (int r = 0; r < m_rows.size(); ++r)
        if (outcome.printed.contains(m_rows.at(r).number))
            if (QTableWidgetItem *header = m_table->verticalHeaderItem(r)) {
                header->setBackground(PrintedRow);
                header->setToolTip(QStringLiteral("已打印"));
            }
    showRow(m_table->currentRow());
    report(outcome, copies);
    emit printed(outcome.printed);
}

void BatchDialog::report(const batch::Outcome &outcome, int copies)
{
    const int done = int(outcome.printed.size());
    const QString which = QStringLiteral("第 %1 行的 %2 张票据").arg(batch::rowRanges(outcome.printed)).arg(done);
    if (outcome.status.ok() && !outcome.cancelled) {
        showMessage(QStringLiteral("批量打印"),
                    QStringLiteral("已打印全部 %1 张票据（%2 页）：%3。").arg(done).arg(done * copies).arg(which),
                    false);
        return;
    }
    QString text = outcome.status.ok() ? QStringLiteral("已取消。") : outcome.status.message + u'\n';
    text += done > 0 ? QStringLiteral("已打印%1，其余 %2 张没有打印。").arg(which).arg(outcome.bills - done)
                     : QStringLiteral("什么也没有打印。");
    showMessage(QStringLiteral("批量打印"), text, !outcome.status.ok());
}
