#pragma once
// "批量打印...": a spreadsheet's rows printed as bills of one template. The
// clerk chooses the file (an Excel or WPS workbook, or a CSV file; a
// workbook of several sheets offers them to choose from), sees its rows in
// a table with every cell that
// keeps a bill from printing marked red (the reason in its tooltip), mends
// cells in place, looks at any row on the bill, and prints all rows to the
// chosen printer with a progress bar and a cancel button.
#include "core/batch.h"
#include "core/billdocument.h"
#include "core/templatemanager.h"

#include <QDialog>
#include <functional>
#include <optional>

class PreviewSurface;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
struct AppState;

class BatchDialog : public QDialog {
    Q_OBJECT
public:
    BatchDialog(AppState &state, const TemplateRef &ref, QWidget *parent = nullptr);
    ~BatchDialog() override;

    // Reads a workbook's sheet (the one named, or the first shown) or a
    // CSV file into the table and checks every row. False (the table
    // emptied, the reason shown) when it cannot be read or its header does
    // not name the template's fields.
    bool loadFile(const QString &path, const QString &sheet = {});

    // The file to read and the PDF file to write; empty when the user
    // cancels. The defaults ask with the file dialog.
    std::function<QString()> chooseTableFile;
    std::function<QString()> choosePdfFile;
    // Shows a message (title, text, whether it reports a failure); the
    // default is a message box.
    std::function<void(const QString &, const QString &, bool)> showMessage;

    // Rows whose bill cannot be printed as they stand.
    int badRows() const;
    int bills() const { return int(m_rows.size()); }
    // The rows printed by the last print, in spreadsheet numbers.
    const QList<int> &lastPrinted() const { return m_lastPrinted; }

    QTableWidget *table() const { return m_table; }
    QPushButton *chooseButton() const { return m_choose; }
    QComboBox *sheetBox() const { return m_sheets; }
    QPushButton *printButton() const { return m_print; }
    QComboBox *printerBox() const { return m_printers; }
    QSpinBox *copiesBox() const { return m_copies; }
    QCheckBox *calibratedBox() const { return m_calibrated; }
    PreviewSurface *preview() const { return m_preview; }
    QLabel *summaryLabel() const { return m_summary; }
    QLabel *rowLabel() const { return m_rowNote; }

signals:
    // After a print: the rows printed (none when nothing was).
    void printed(const QList<int> &rows);

private:
    void buildWindow();
    void chooseFile();
    void chooseSheet(int index);
    bool refuse(const QString &text);
    void clearTable();
    void fillTable(const QStringList &headerCells);
    void cellEdited(int row, int column);
    void checkRow(int row);
    void markRow(int row, const QList<batch::Problem> &problems);
    void updateSummary();
    void showRow(int row);
    void printAll();
    std::unique_ptr<batch::PageSink> openSink(const QString &printer, int copies);
    void report(const batch::Outcome &outcome, int copies);

    AppState &m_state;
    TemplateRef m_ref;
    BillDocument m_doc;
    batch::Header m_header;
    std::optional<batch::Filler> m_filler;
    QList<batch::Row> m_rows;         // the bills, as the table holds them
    QList<int> m_problemCount;        // per table row
    QList<int> m_lastPrinted;
    QString m_file;        // the file read
    QString m_description; // what was read: the CSV's encoding, the sheet
    bool m_updating = false;

    QLineEdit *m_path = nullptr;
    QPushButton *m_choose = nullptr;
    QLabel *m_sheetLabel = nullptr;
    QComboBox *m_sheets = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_table = nullptr;
    PreviewSurface *m_preview = nullptr;
    QLabel *m_rowNote = nullptr;
    QComboBox *m_printers = nullptr;
    QSpinBox *m_copies = nullptr;
    QCheckBox *m_calibrated = nullptr;
    QPushButton *m_print = nullptr;
};
