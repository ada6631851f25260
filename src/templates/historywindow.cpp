#include "templates/historywindow.h"
#include "core/registerxlsx.h"

#include "app/filedialogs.h"
#include "app/mainmenu.h"
#include "core/appstate.h"
#include "core/templatestore.h"
#include "workspace/billsurface.h"
#include "workspace/mdimain.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QFileInfo>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The columns before and after the fields.
enum LeadColumn { WrittenColumn, StatusColumn, LeadColumns };
const QStringList TrailHeaders{QStringLiteral("打印机"), QStringLiteral("份数"), QStringLiteral("操作员"),
                               QStringLiteral("作废原因"), QStringLiteral("作废时间")};

QString trailText(const billregister::Entry &e, int column)
{
    switch (column) {
    case 0: return e.printer;
    case 1: return QString::number(e.copies);
    case 2: return e.user;
    case 3: return e.reason;
    default: return e.voided;
    }
}

// Asks why a row is voided: a reason must be given.
QString askReason(QWidget *parent, const billregister::Entry &e)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("VoidDialog"));
    dialog.setWindowTitle(QStringLiteral("作废"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("作废 %1 打印的这张票据。作废原因：").arg(QString(e.written).replace(QLatin1Char('T'), QLatin1Char(' '))), &dialog));
    auto *reason = new QLineEdit(&dialog);
    reason->setObjectName(QStringLiteral("reasonEdit"));
    reason->setMaxLength(200);
    layout->addWidget(reason);
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *ok = buttons->addButton(QStringLiteral("作废"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setEnabled(false);
    QObject::connect(reason, &QLineEdit::textChanged, ok,
                     [ok](const QString &t) { ok->setEnabled(!t.trimmed().isEmpty()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return reason->text().trimmed();
}

} // namespace

// ---- the model ------------------------------------------------------------

Status RegisterModel::load(const QString &connection, const BillTemplate &t, const billregister::Filter &filter)
{
    beginResetModel();
    m_connection = connection;
    m_template = t;
    m_filter = filter;
    m_fields.clear();
    for (const TemplateField &f : t.fields())
        if (billregister::recorded(f))
            m_fields << f;
    const Result<QList<billregister::Entry>> page =
        billregister::Register(connection, t.table()).rows(t, filter, PageRows, 0);
    m_rows = page ? *page : QList<billregister::Entry>();
    m_more = page && m_rows.size() == PageRows;
    endResetModel();
    return page ? Status{} : page.status();
}

void RegisterModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_fields.clear();
    m_template = BillTemplate();
    m_more = false;
    endResetModel();
}

int RegisterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RegisterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LeadColumns + int(m_fields.size()) + int(TrailHeaders.size());
}

QVariant RegisterModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const billregister::Entry &e = m_rows.at(index.row());
    const int c = index.column();
    if (role == Qt::ForegroundRole && e.isVoid())
        return QColor(Qt::gray);
    if (role == Qt::FontRole && e.isVoid()) {
        QFont f;
        f.setStrikeOut(c != StatusColumn);
        return f;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (c == WrittenColumn)
        return QString(e.written).replace(QLatin1Char('T'), QLatin1Char(' '));
    if (c == StatusColumn)
        return billregister::statusText(e);
    const int field = c - LeadColumns;
    if (field < m_fields.size())
        return e.values.value(m_fields.at(field).key);
    return trailText(e, field - int(m_fields.size()));
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == WrittenColumn)
        return QStringLiteral("打印时间");
    if (section == StatusColumn)
        return QStringLiteral("状态");
    const int field = section - LeadColumns;
    if (field < m_fields.size())
        return m_fields.at(field).name;
    return TrailHeaders.value(field - int(m_fields.size()));
}

bool RegisterModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more;
}

void RegisterModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_more)
        return;
    const Result<QList<billregister::Entry>> page =
        billregister::Register(m_connection, m_template.table()).rows(m_template, m_filter, PageRows, int(m_rows.size()));
    m_more = page && page->size() == PageRows;
    if (!page || page->isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page->size() - 1));
    m_rows += *page;
    endInsertRows();
}

const billregister::Entry *RegisterModel::entry(int row) const
{
    return row >= 0 && row < m_rows.size() ? &m_rows.at(row) : nullptr;
}

Result<QList<billregister::Entry>> RegisterModel::allRows() const
{
    if (!m_more)
        return m_rows;
    return billregister::Register(m_connection, m_template.table()).rows(m_template, m_filter);
}

// ---- the window -----------------------------------------------------------

HistoryWindow::HistoryWindow(AppState &state, QWidget *parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("HistoryControl"));
    setWindowTitle(QStringLiteral("历史记录"));
    setModal(false);
    resize(900, 480);
    showMessage = [this](const QString &text, bool error) {
        if (error)
            QMessageBox::warning(this, QStringLiteral("注意"), text);
        else
            QMessageBox::information(this, QStringLiteral("历史记录"), text);
    };
    auto *layout = new QVBoxLayout(this);
    buildSearchBar();
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("registerTable"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Columns fit the first rows; a register of thousands opens at once.
    m_table->horizontalHeader()->setResizeContentsPrecision(RegisterModel::PageRows / 4);
    m_table->setWordWrap(false);
    layout->addWidget(m_table, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    buildButtons();
    connect(m_table, &QTableView::doubleClicked, this, [this] { refillSelected(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    connect(&m_state.Bill, &BillDocument::templateChanged, this, [this] {
        if (isVisible())
            reload();
    });
    // A bill printed (or voided) while the window is open shows at once.
    connect(&billregister::Notifier::instance(), &billregister::Notifier::changed, this,
            [this](const QString &history) {
                if (isVisible() && history == TemplateStore::historyTable(m_state.Bill.billTemplate().table()))
                    reload();
            });
    reload();
}

void HistoryWindow::buildSearchBar()
{
    auto *bar = new QHBoxLayout;
    auto dateBox = [this, bar](const QString &caption, const QString &name, QCheckBox *&use, QDateEdit *&edit) {
        use = new QCheckBox(caption, this);
        use->setObjectName(name + QStringLiteral("Check"));
        edit = new QDateEdit(QDate::currentDate(), this);
        edit->setObjectName(name + QStringLiteral("Date"));
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        connect(use, &QCheckBox::toggled, edit, &QWidget::setEnabled);
        bar->addWidget(use);
        bar->addWidget(edit);
    };
    dateBox(QStringLiteral("从"), QStringLiteral("from"), m_useFrom, m_from);
    dateBox(QStringLiteral("到"), QStringLiteral("to"), m_useTo, m_to);
    bar->addWidget(new QLabel(QStringLiteral("内容"), this));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("textEdit"));
    m_text->setPlaceholderText(QStringLiteral("收款人、账号、用途……"));
    bar->addWidget(m_text, 2);
    bar->addWidget(new QLabel(QStringLiteral("金额"), this));
    m_amount = new QLineEdit(this);
    m_amount->setObjectName(QStringLiteral("amountEdit"));
    m_amount->setPlaceholderText(QStringLiteral("1234.56"));
    bar->addWidget(m_amount, 1);
    auto *find = new QPushButton(QStringLiteral("查找"), this);
    find->setObjectName(QStringLiteral("searchButton"));
    find->setDefault(true);
    bar->addWidget(find);
    connect(find, &QPushButton::clicked, this, &HistoryWindow::search);
    connect(m_text, &QLineEdit::returnPressed, this, &HistoryWindow::search);
    connect(m_amount, &QLineEdit::returnPressed, this, &HistoryWindow::search);
    static_cast<QVBoxLayout *>(layout())->addLayout(bar);
}

void HistoryWindow::buildButtons()
{
    auto *row = new QHBoxLayout;
    row->addWidget(m_status, 1);
    auto button = [this, row](const QString &caption, const QString &name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    m_refill = button(QStringLiteral("重新填写"), QStringLiteral("refillButton"));
    m_void = button(QStringLiteral("作废..."), QStringLiteral("voidButton"));
    m_export = button(QStringLiteral("导出..."), QStringLiteral("exportButton"));
    QPushButton *close = button(QStringLiteral("关闭"), QStringLiteral("closeButton"));
    connect(m_refill, &QPushButton::clicked, this, &HistoryWindow::refillSelected);
    connect(m_void, &QPushButton::clicked, this, &HistoryWindow::voidSelected);
    connect(m_export, &QPushButton::clicked, this, &HistoryWindow::exportShown);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
    updateButtons();
}

billregister::Filter HistoryWindow::filter() const
{
    billregister::Filter f;
    if (m_useFrom->isChecked())
        f.from = m_from->date();
    if (m_useTo->isChecked())
        f.to = m_to->date();
    f.text = m_text->text();
    f.amount = m_amount->text();
    return f;
}

void HistoryWindow::reload()
{
    const BillTemplate &t = m_state.Bill.billTemplate();
    if (!m_state.Bill.isOpen() || t.table().isEmpty()) {
        m_model.clear();
        m_status->setText(QStringLiteral("没有打开票据：双击左边的模板打开一张票据。"));
        setWindowTitle(QStringLiteral("历史记录"));
        updateButtons();
        return;
    }
    setWindowTitle(QStringLiteral("历史记录 - %1").arg(t.name().isEmpty() ? t.table() : t.name()));
    const billregister::Filter f = filter();
    if (!f.amount.trimmed().isEmpty() && billregister::amountText(f.amount).isEmpty()) {
        m_status->setText(QStringLiteral("“%1”不是金额。").arg(f.amount));
        m_model.clear();
        updateButtons();
        return;
    }
    const Status s = m_model.load(m_state.DbConnection, t, f);
    m_table->resizeColumnsToContents();
    if (!s)
        m_status->setText(QStringLiteral("无法读取登记簿：%1").arg(s.message));
    else if (m_model.rowCount() == 0)
        m_status->setText(QStringLiteral("没有找到打印记录。"));
    else
        m_status->setText(m_model.canFetchMore({}) ? QStringLiteral("最新的 %1 张（向下滚动看更多）").arg(m_model.rowCount())
                                                   : QStringLiteral("共 %1 张").arg(m_model.rowCount()));
    updateButtons();
}

void HistoryWindow::search()
{
    reload();
}

const billregister::Entry *HistoryWindow::selectedEntry() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_model.entry(rows.first().row());
}

void HistoryWindow::updateButtons()
{
    const billregister::Entry *e = selectedEntry();
    m_refill->setEnabled(e != nullptr && m_state.DesignMode == 0);
    m_void->setEnabled(e != nullptr && !e->isVoid() && e->number > 0);
    m_export->setEnabled(m_model.rowCount() > 0);
}

void HistoryWindow::refillSelected()
{
    const billregister::Entry *e = selectedEntry();
    if (!e || m_state.DesignMode != 0)
        return;
    const billregister::Entry chosen = *e;
    const QStringList refused = billregister::refill(m_state.Bill, chosen);
    if (!refused.isEmpty())
        showMessage(QStringLiteral("模板改过了，这些字段没有填入：%1").arg(refused.join(QStringLiteral("、"))), true);
    emit refilled();
}

void HistoryWindow::voidSelected()
{
    const billregister::Entry *e = selectedEntry();
    if (!e || e->isVoid())
        return;
    const billregister::Entry chosen = *e;
    const int row = m_table->selectionModel()->selectedRows().first().row();
    const QString reason = askReason(this, chosen);
    if (reason.isEmpty())
        return;
    const Status s =
        billregister::Register(m_state.DbConnection, m_model.billTemplate().table()).voidRow(chosen.number, reason);
    if (!s) {
        showMessage(QStringLiteral("无法作废：%1").arg(s.message), true);
        return;
    }
    reload();
    m_table->selectRow(row);
}

void HistoryWindow::exportShown()
{
    const Result<QList<billregister::Entry>> rows = m_model.allRows();
    if (!rows) {
        showMessage(QStringLiteral("无法读取登记簿：%1").arg(rows.message()), true);
        return;
    }
    QString path = m_exportFile;
    if (path.isEmpty()) {
        // The workbook is offered first; the file's extension decides.
        path = filedialogs::getSaveFileName(this, QStringLiteral("导出"), QString(),
                                            QStringLiteral("Excel 工作簿 (*.xlsx);;CSV (*.csv)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".xlsx");
    }
    if (path.isEmpty())
        return;
    Status s;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(billregister::csv(m_model.billTemplate(), *rows)) < 0
            || !file.commit())
            s = Status::failure(QStringLiteral("无法写入“%1”：%2").arg(path, file.errorString()), 3);
    } else {
        s = billregister::writeXlsx(path, m_model.billTemplate(), *rows);
    }
    if (!s) {
        showMessage(s.message, true);
        return;
    }
    showMessage(QStringLiteral("已导出 %1 张票据到“%2”。").arg(rows->size()).arg(path), false);
}

// ---- the command ----------------------------------------------------------

HistoryCommand *HistoryCommand::attach(MDIMain &window)
{
    auto *c = new HistoryCommand(window);
    c->setParent(&window);
    return c;
}

HistoryCommand::HistoryCommand(MDIMain &window) : m_win(window)
{
    connect(&window, &MDIMain::historyToggled, this, &HistoryCommand::toggled);
    // A right click on the bill being filled in offers its register too.
    if (QWidget *surface = window.surface()) {
        surface->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(surface, &QWidget::customContextMenuRequested, this, &HistoryCommand::billMenu);
    }
}

void HistoryCommand::billMenu(const QPoint &at)
{
    const AppState &st = m_win.state();
    if (st.DesignMode != 0 || !st.Bill.isOpen())
        return;
    QMenu menu(&m_win);
    menu.setObjectName(QStringLiteral("billMenu"));
    menu.addAction(QStringLiteral("历史记录..."), this, [this] {
        if (m_window && m_window->isVisible())
            m_window->raise();
        else if (QAction *a = m_win.menus().item(MenuHost::View, MDIMain::ViewHistory))
            a->trigger();
    });
    menu.exec(m_win.surface()->mapToGlobal(at));
}

void HistoryCommand::toggled(bool show)
{
    AppState &st = m_win.state();
    if (!show || st.DesignMode != 0) {
        if (m_window)
            m_window->close();
        if (show)
            if (QAction *a = m_win.menus().item(MenuHost::View, MDIMain::ViewHistory))
                a->setChecked(false);
        return;
    }
    if (!m_window) {
        m_window = new HistoryWindow(st, &m_win);
        m_window->setWindowFlag(Qt::Window);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_window, &QDialog::finished, this, [this] {
            m_win.state().RegisterWindow(QStringLiteral("HistoryControl"), false);
            if (QAction *a = m_win.menus().item(MenuHost::View, MDIMain::ViewHistory))
                a->setChecked(false);
        });
        connect(m_window, &QObject::destroyed, this, [this] { m_window = nullptr; });
    }
    if (!st.IsWindowOpen(QStringLiteral("HistoryControl")))
        st.RegisterWindow(QStringLiteral("HistoryControl"), true);
    m_window->reload();
    m_window->show();
    m_window->raise();
}
