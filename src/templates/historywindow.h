#pragma once
// "历史记录": the bill register of the template open on the surface, newest
// first, one column per field under its name. The clerk searches by date
// range, any text and amount; opens a row to fill the bill with its values
// again; voids a row with a reason (it stays, marked); exports the rows
// found to an Excel workbook or a CSV file. Rows are read page by page as
// the list scrolls, so that a register of many thousand bills opens at once.
#include "core/billregister.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

class MDIMain;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
struct AppState;

class RegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageRows = 200;

    explicit RegisterModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Reads the first page of the rows that match; false with the reason.
    Status load(const QString &connection, const BillTemplate &t, const billregister::Filter &filter);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    const billregister::Entry *entry(int row) const;
    // Every row that matches, not only those read so far.
    Result<QList<billregister::Entry>> allRows() const;
    const BillTemplate &billTemplate() const { return m_template; }

private:
    QList<const TemplateField *> recordedFields() const;

    QString m_connection;
    BillTemplate m_template;
    billregister::Filter m_filter;
    QList<billregister::Entry> m_rows;
    QList<TemplateField> m_fields;
    bool m_more = false;
};

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(AppState &state, QWidget *parent);

    // Reads the register of the bill open now with the search as it stands.
    void reload();
    void search();
    void refillSelected();
    void voidSelected();
    void exportShown();

    // The file the export writes without asking; empty to ask.
    void setExportFileName(const QString &path) { m_exportFile = path; }
    // Shows a message; the default is a message box.
    std::function<void(const QString &text, bool error)> showMessage;

    RegisterModel &model() { return m_model; }
    QTableView *table() const { return m_table; }

signals:
    // The bill was filled in from a row of the register.
    void refilled();

private:
    void buildSearchBar();
    void buildButtons();
    billregister::Filter filter() const;
    const billregister::Entry *selectedEntry() const;
    void updateButtons();

    AppState &m_state;
    RegisterModel m_model;
    QTableView *m_table = nullptr;
    QCheckBox *m_useFrom = nullptr;
    QCheckBox *m_useTo = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QLineEdit *m_text = nullptr;
    QLineEdit *m_amount = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_refill = nullptr;
    QPushButton *m_void = nullptr;
    QPushButton *m_export = nullptr;
    QString m_exportFile;
};

// The view menu's "历史记录" (and "历史记录..." on the bill's right-click
// menu): shows and hides the history window. Design mode unticks the item,
// which closes the window.
class HistoryCommand : public QObject {
    Q_OBJECT
public:
    static HistoryCommand *attach(MDIMain &window);
    explicit HistoryCommand(MDIMain &window);

    HistoryWindow *window() const { return m_window; }

private:
    void toggled(bool show);
    void billMenu(const QPoint &at);

    MDIMain &m_win;
    HistoryWindow *m_window = nullptr;
};
