// The bill register in the window, as a clerk uses it: bills printed from
// the preview are recorded (and failed or cancelled prints are not), the
// history window finds them, fills the bill again and voids them, exports
// them, the register survives a redesign that renumbers the fields, and the
// payee book offers the payees printed before.
#include "../typing.h"
#include "../workspace/designfixture.h"
#include "modalscript.h"
#include "core/billregister.h"
#include "core/csvreader.h"
#include "core/xlsxreader.h"
#include "print/printpreview.h"
#include "templates/historywindow.h"
#include "templates/payeebook.h"
#include "templates/treepopup.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>

using typing::typeText;

namespace {

const QString Cheques = QStringLiteral("支票");
const QString Transfer = QStringLiteral("转账支票");
const QString Payee = QStringLiteral("01107002");
const QString Account = QStringLiteral("01307003");
const QString Bank = QStringLiteral("00907001");
const QString Password = QStringLiteral("02107007");

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT
    DesignFixture f;
    TreePopup *popup = nullptr;
    HistoryCommand *history = nullptr;
    PayeeBook *book = nullptr;
    QStringList messages;

    QSqlDatabase db() { return QSqlDatabase::database(f.state->DbConnection); }
    QString pdf(const QString &name) { return f.dir->filePath(name + QStringLiteral(".pdf")); }

    // The control of a field on the surface.
    QWidget *fieldControl(const QString &key)
    {
        for (FieldWidget *w : f.win->findChildren<FieldWidget *>())
            if (w->fieldKey() == key && w->isVisible())
                return w->keyboardTarget();
        return nullptr;
    }
    void typeInto(const QString &key, const QString &text)
    {
        QWidget *w = fieldControl(key);
        QVERIFY2(w, qPrintable(key));
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3));
        w->setFocus();
        typeText(w, text);
    }
    // The amount pasted into the money field's columns, as a clerk pastes
    // it from a spreadsheet.
    void pasteAmount(const QString &amount)
    {
        MoneyCtl *money = nullptr;
        for (MoneyCtl *m : f.win->findChildren<MoneyCtl *>())
            if (m->fieldKey() == QStringLiteral("01508000") && m->isVisible())
                money = m;
        QVERIFY(money);
        auto *column = money->findChild<QLineEdit *>();
        QVERIFY(column);
        QTest::mouseClick(column, Qt::LeftButton);
        column->setFocus();
        QGuiApplication::clipboard()->setText(amount);
        QTest::keyClick(column, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(f.state->Bill.moneyNumber(QStringLiteral("01508000")).toLongLong() != 0,
                 qPrintable(f.state->Bill.moneyNumber(QStringLiteral("01508000"))));
    }
    void fillCheque(const QString &payee, const QString &amount)
    {
        f.doubleClickNode(Cheques, Transfer);
        QVERIFY(f.state->Bill.isOpen());
        typeInto(Payee, payee);
        pasteAmount(amount);
    }
    // The preview's "打印" to the PDF choice, into `path` (empty: the file
    // dialog asks).
    void print(const QString &path)
    {
        PrintPreview *p = PrintPreview::Open(*f.state, f.win->centralWidget());
        QVERIFY(p);
        p->setMessageSink([this](const QString &, const QString &text, bool) { messages << text; });
        p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
        p->setPdfFileName(path);
        QTest::mouseClick(p->CmdPrintC(), Qt::LeftButton);
        p->CmdClose_Click();
        QTest::qWait(0);
    }
    QList<billregister::Entry> rows()
    {
        const BillTemplate &t = f.state->Bill.billTemplate();
        const Result<QList<billregister::Entry>> r =
            billregister::Register(f.state->DbConnection, t.table()).rows(t, {});
        return r ? *r : QList<billregister::Entry>();
    }
    HistoryWindow *openHistory()
    {
        f.win->menus().item(MenuHost::View, MDIMain::ViewHistory)->trigger();
        HistoryWindow *w = history->window();
        if (w) {
            w->showMessage = [this](const QString &text, bool) { messages << text; };
            if (!QTest::qWaitForWindowExposed(w))
                return nullptr;
        }
        return w;
    }
    // The text of a cell under the column headed `header`.
    QString cell(HistoryWindow *w, int row, const QString &header)
    {
        QAbstractItemModel *m = w->table()->model();
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->headerData(c, Qt::Horizontal).toString() == header)
                return m->index(row, c).data().toString();
        return QStringLiteral("<no column %1>").arg(header);
    }
    void clickRow(HistoryWindow *w, int row, bool twice = false)
    {
        QTableView *t = w->table();
        const QPoint at = t->visualRect(t->model()->index(row, 0)).center();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, at);
    }
    void search(HistoryWindow *w, const QString &edit, const QString &text)
    {
        auto *line = w->findChild<QLineEdit *>(edit);
        QTest::mouseClick(line, Qt::LeftButton);
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Backspace);
        typeText(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
    QPushButton *button(HistoryWindow *w, const QString &name) { return w->findChild<QPushButton *>(name); }
    // Right-clicks a template and clicks an item of the tree's menu.
    void choose(const QString &billName, int item)
    {
        QWidget *viewport = f.win->tree()->viewport();
        const QPoint at = f.nodePoint(f.node(Cheques, billName));
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &e);
        QMenu *menu = f.win->menus().group(MenuHost::Popup).menu;
        QAction *a = f.win->menus().item(MenuHost::Popup, item);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        menu->hide();
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        popup = TreePopup::attach(*f.win, *f.design);
        popup->showError = [](const StoreStatus &s) { QFAIL(qPrintable(s.message)); };
        history = HistoryCommand::attach(*f.win);
        book = PayeeBook::attach(*f.win);
        messages.clear();
        QApplication::setActiveWindow(f.win.get());
    }
    void cleanup() { f.close(); }

    void printsAreRecordedOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("recorded");
        QTest::newRow("to a PDF file") << "pdf" << 1;
        QTest::newRow("PDF file cannot be written") << "unwritable" << 0;
        QTest::newRow("file dialog cancelled") << "cancel" << 0;
    }
    void printsAreRecordedOnce()
    {
        QFETCH(QString, how);
        QFETCH(int, recorded);
        fillCheque(QStringLiteral("甲公司"), QStringLiteral("1,234.56"));
        ModalScript script;
        if (how == QLatin1String("pdf"))
            print(pdf(QStringLiteral("one")));
        else if (how == QLatin1String("unwritable"))
            print(f.dir->filePath(QStringLiteral("missing/dir/x.pdf")));
        else {
            script.on(QStringLiteral("QFileDialog"), [](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
            print(QString());
        }
        const QList<billregister::Entry> r = rows();
        QCOMPARE(r.size(), recorded);
        QVERIFY2(messages.isEmpty() == (how != QLatin1String("unwritable")), qPrintable(messages.join('|')));
        if (recorded) {
            QCOMPARE(r.first().values.value(Payee), QStringLiteral("甲公司"));
            QCOMPARE(r.first().values.value(QStringLiteral("01508000")), QStringLiteral("1234.56"));
            QCOMPARE(r.first().printer, QStringLiteral("PDF 文件"));
            QCOMPARE(r.first().copies, 1);
        }
    }

    void registerFailureKeepsTheFields_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::newRow("register written") << false;
        QTest::newRow("register cannot be written") << true;
    }
    void registerFailureKeepsTheFields()
    {
        QFETCH(bool, broken);
        // The password is emptied after printing.
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("UPDATE \"支票_转账支票\" SET \"cValue\"='是' WHERE \"cKey\"='%1' AND \"cType\"=31")
                           .arg(Password)));
        if (broken)
            QVERIFY(q.exec(QStringLiteral("CREATE TRIGGER \"full\" BEFORE INSERT ON \"H_支票_转账支票\" "
                                          "BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
        fillCheque(QStringLiteral("甲公司"), QStringLiteral("88"));
        typeInto(Password, QStringLiteral("123456"));
        print(pdf(QStringLiteral("kept")));
        QVERIFY(QFile::exists(pdf(QStringLiteral("kept"))));
        QCOMPARE(rows().size(), broken ? 0 : 1);
        QCOMPARE(messages.size(), broken ? 1 : 0);
        if (broken)
            QVERIFY(messages.first().contains(QStringLiteral("没有记入登记簿")));
        QCOMPARE(f.state->Bill.text(Password), broken ? QStringLiteral("123456") : QString());
    }

    // Another workstation renames the template while the bill is open: the
    // print is refused before anything reaches the printer, and the bill
    // keeps what was typed.
    void templateRenamedElsewhereIsNotPrinted()
    {
        fillCheque(QStringLiteral("甲公司"), QStringLiteral("88"));
        AppState other;
        QCOMPARE(OpenDatabase(other, f.state->DatabasePath), 0);
        {
            QSqlQuery q(QSqlDatabase::database(other.DbConnection));
            QVERIFY(q.exec(QStringLiteral("ALTER TABLE \"支票_转账支票\" RENAME TO \"支票_改名\"")));
        }
        CloseDatabase(other);
        print(pdf(QStringLiteral("gone")));
        QVERIFY(!QFile::exists(pdf(QStringLiteral("gone"))));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("已被改名或删除")), qPrintable(messages.first()));
        QCOMPARE(f.state->Bill.text(Payee), QStringLiteral("甲公司"));
    }

    // Two cheques for two payees; the first found by its amount, filled in
    // again and printed again; the second voided; all three in the CSV file
    // and on the command line.
    void findRefillReprintVoid()
    {
        fillCheque(QStringLiteral("甲公司"), QStringLiteral("1,234.56"));
        print(pdf(QStringLiteral("a")));
        fillCheque(QStringLiteral("乙公司"), QStringLiteral("88"));
        print(pdf(QStringLiteral("b")));
        HistoryWindow *w = openHistory();
        QVERIFY(w);
        QVERIFY(f.state->IsWindowOpen(QStringLiteral("HistoryControl")));
        QCOMPARE(w->table()->model()->rowCount(), 2);
        QCOMPARE(cell(w, 0, QStringLiteral("收款人")), QStringLiteral("乙公司"));
        QCOMPARE(cell(w, 1, QStringLiteral("收款人")), QStringLiteral("甲公司"));

        search(w, QStringLiteral("amountEdit"), QStringLiteral("1234.56"));
        QCOMPARE(w->table()->model()->rowCount(), 1);
        QCOMPARE(cell(w, 0, QStringLiteral("收款人")), QStringLiteral("甲公司"));
        f.doubleClickNode(Cheques, Transfer); // a fresh, empty bill
        QCOMPARE(f.state->Bill.text(Payee), QString());
        clickRow(w, 0, true);
        QCOMPARE(f.state->Bill.text(Payee), QStringLiteral("甲公司"));
        QCOMPARE(f.state->Bill.moneyNumber(QStringLiteral("01508000")).toLongLong(), 123456);
        print(pdf(QStringLiteral("again")));
        QCOMPARE(rows().size(), 3);
        QCOMPARE(w->table()->model()->rowCount(), 2); // the open window shows the new print at once

        search(w, QStringLiteral("amountEdit"), QString());
        QCOMPARE(w->table()->model()->rowCount(), 3);
        QCOMPARE(cell(w, 1, QStringLiteral("收款人")), QStringLiteral("乙公司"));
        clickRow(w, 1);
        QVERIFY(button(w, QStringLiteral("voidButton"))->isEnabled());
        {
            ModalScript script;
            script.on(QStringLiteral("VoidDialog"), [](QWidget *d) {
                auto *reason = d->findChild<QLineEdit *>(QStringLiteral("reasonEdit"));
                ModalScript::type(reason, QStringLiteral("金额写错"));
                ModalScript::clickButton(d, QStringLiteral("作废"));
            });
            QTest::mouseClick(button(w, QStringLiteral("voidButton")), Qt::LeftButton);
        }
        QCOMPARE(cell(w, 1, QStringLiteral("状态")), QStringLiteral("作废"));
        QCOMPARE(cell(w, 1, QStringLiteral("作废原因")), QStringLiteral("金额写错"));
        QCOMPARE(w->table()->model()->rowCount(), 3);
        QVERIFY(!button(w, QStringLiteral("voidButton"))->isEnabled()); // once only

        const QString csvPath = f.dir->filePath(QStringLiteral("register.csv"));
        w->setExportFileName(csvPath);
        QTest::mouseClick(button(w, QStringLiteral("exportButton")), Qt::LeftButton);
        QFile file(csvPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.peek(3) == "\xEF\xBB\xBF");
        CsvReader reader(file);
        QList<QStringList> table;
        QStringList row;
        while (reader.next(row))
            table << row;
        QCOMPARE(table.size(), 4);
        const int payee = int(table.first().indexOf(QStringLiteral("收款人")));
        QCOMPARE(table.at(1).at(payee), QStringLiteral("甲公司"));
        QCOMPARE(table.at(2).at(payee), QStringLiteral("乙公司"));
        QCOMPARE(table.at(2).at(1), QStringLiteral("作废"));

        // The workbook, offered first in the file dialog: a name typed
        // without an extension becomes an .xlsx.
        w->setExportFileName({});
        QStringList offered;
        {
            ModalScript script;
            script.on(QStringLiteral("QFileDialog"), [&](QWidget *d) {
                offered = static_cast<QFileDialog *>(d)->nameFilters();
                auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                edit->setFocus();
                // The path pasted whole, without an extension, then Return.
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, f.dir->filePath(QStringLiteral("登记簿")),
                                    Qt::NoModifier);
                QMetaObject::invokeMethod(edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); }, Qt::QueuedConnection);
            });
            QTest::mouseClick(button(w, QStringLiteral("exportButton")), Qt::LeftButton);
            QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join(u'\n')));
        }
        QCOMPARE(offered.value(0), QStringLiteral("Excel 工作簿 (*.xlsx)"));
        QVERIFY2(messages.last().contains(QStringLiteral("已导出 3 张票据")), qPrintable(messages.last()));
        const QByteArray bytes = [&] {
            QFile book(f.dir->filePath(QStringLiteral("登记簿.xlsx")));
            return book.open(QIODevice::ReadOnly) ? book.readAll() : QByteArray();
        }();
        XlsxReader workbook;
        const Status opened = workbook.open(&bytes);
        QVERIFY2(opened.ok(), qPrintable(opened.message + messages.last()));
        QList<QStringList> sheet;
        spreadsheet::Row sheetRow;
        while (workbook.next(sheetRow))
            sheet << sheetRow.cells;
        QCOMPARE(sheet.size(), 4);
        QCOMPARE(sheet.first(), table.first());
        const int amount = int(sheet.first().indexOf(QStringLiteral("小写金额")));
        QCOMPARE(sheet.at(1).at(payee), QStringLiteral("甲公司"));
        QCOMPARE(sheet.at(1).at(amount), QStringLiteral("1234.56"));
        QCOMPARE(sheet.at(2).at(1), QStringLiteral("作废"));
        QCOMPARE(sheet.at(2).at(2), QStringLiteral("金额写错"));

        if (qEnvironmentVariableIsEmpty("BILLPRINT_EXE"))
            return;
        QProcess p;
        p.start(qEnvironmentVariable("BILLPRINT_EXE"),
                {QStringLiteral("history"), QStringLiteral("--template"), Cheques + '/' + Transfer,
                 QStringLiteral("--db"), f.state->DatabasePath});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QJsonArray list = QJsonDocument::fromJson(p.readAllStandardOutput()).object().value("rows").toArray();
        QStringList statuses;
        for (const QJsonValue &v : list)
            statuses << v.toObject().value("status").toString();
        QCOMPARE(statuses, (QStringList{"printed", "void", "printed"}));
    }

    void designModeClosesTheWindow()
    {
        f.doubleClickNode(Cheques, Transfer);
        QVERIFY(openHistory());
        QPointer<HistoryWindow> w = history->window();
        choose(Transfer, TreePopup::DesignItem);
        QCOMPARE(f.state->DesignMode, qint16(1));
        QTRY_VERIFY(w.isNull() || !w->isVisible());
        QVERIFY(!f.state->IsWindowOpen(QStringLiteral("HistoryControl")));
        QVERIFY(!f.win->menus().item(MenuHost::View, MDIMain::ViewHistory)->isChecked());
        // Asked for while designing, it stays closed.
        f.win->menus().item(MenuHost::View, MDIMain::ViewHistory)->trigger();
        QVERIFY(!history->window() || !history->window()->isVisible());
    }

    // A cheque printed, then an earlier field deleted in the designer: every
    // value of the old row is still read under its field.
    void rowsFollowARedesign()
    {
        fillCheque(QStringLiteral("甲公司"), QStringLiteral("77"));
        typeInto(Account, QStringLiteral("6222020001"));
        typeInto(QStringLiteral("01907006"), QStringLiteral("货款"));
        print(pdf(QStringLiteral("before")));
        choose(Transfer, TreePopup::DesignItem);
        f.design->placing().confirm = [](const QString &) { return true; };
        int extra = -1;
        for (int s = 0; s <= f.state->Registry.lastSlot(); ++s)
            if (f.record(s).value(0) == QStringLiteral("附加信息"))
                extra = s;
        QVERIFY(extra > 0);
        QWidget *c = f.control(extra);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(4, 4));
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Delete);
        choose(Transfer, TreePopup::EndDesignItem);
        QCOMPARE(f.state->DesignMode, qint16(0));
        const BillTemplate &t = f.state->Bill.billTemplate();
        auto keyNamed = [&t](const QString &name) {
            for (const TemplateField &field : t.fields())
                if (field.name == name && field.kind != KindLabel)
                    return field.key;
            return QString();
        };
        QCOMPARE(keyNamed(QStringLiteral("收款人")), QStringLiteral("01007001")); // down a slot and a text index
        HistoryWindow *w = openHistory();
        QVERIFY(w);
        QCOMPARE(cell(w, 0, QStringLiteral("收款人")), QStringLiteral("甲公司"));
        QCOMPARE(cell(w, 0, QStringLiteral("出票人账号")), QStringLiteral("6222020001"));
        QCOMPARE(cell(w, 0, QStringLiteral("用途")), QStringLiteral("货款"));
        QCOMPARE(cell(w, 0, QStringLiteral("小写金额")), QStringLiteral("77.00"));
        clickRow(w, 0, true);
        QCOMPARE(f.state->Bill.text(keyNamed(QStringLiteral("收款人"))), QStringLiteral("甲公司"));
        QCOMPARE(f.state->Bill.text(keyNamed(QStringLiteral("出票人账号"))), QStringLiteral("6222020001"));
    }

    // A template stored with gaps in its field numbers: the save closes the
    // gaps, and the register's columns go with the fields.
    void gapsInTheKeysClosedBySave()
    {
        QSqlQuery q(db());
        // The voucher's payee (slot 3) stored at slot 9, its column too.
        QVERIFY(q.exec(QStringLiteral("UPDATE \"通用票据_通用凭证\" SET \"cKey\"='00907000' WHERE \"cKey\"='00307000'")));
        QVERIFY(q.exec(QStringLiteral("ALTER TABLE \"H_通用票据_通用凭证\" RENAME COLUMN \"00307000\" TO \"00907000\"")));
        f.doubleClickNode(QStringLiteral("通用票据"), QStringLiteral("通用凭证"));
        typeInto(QStringLiteral("00907000"), QStringLiteral("丙公司"));
        print(pdf(QStringLiteral("voucher")));
        QCOMPARE(rows().size(), 1);
        f.selectSample();
        QWidget *viewport = f.win->tree()->viewport();
        const QPoint at = f.nodePoint(f.node(QStringLiteral("通用票据"), QStringLiteral("通用凭证")));
        for (int item : {int(TreePopup::DesignItem), int(TreePopup::EndDesignItem)}) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
            QApplication::sendEvent(viewport, &e);
            QMenu *menu = f.win->menus().group(MenuHost::Popup).menu;
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(f.win->menus().item(MenuHost::Popup, item)).center());
            menu->hide();
        }
        QCOMPARE(f.state->DesignMode, qint16(0));
        const QString payeeKey = f.state->Bill.billTemplate().fields().last().key;
        QCOMPARE(payeeKey, QStringLiteral("00707000"));
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows().first().values.value(payeeKey), QStringLiteral("丙公司"));
    }

    // The payee book: most printed first; choosing one fills the empty
    // fields printed beside it and leaves what the clerk typed.
    void payeeBookCompletes()
    {
        const QList<QStringList> printed{{"上海浦江贸易有限公司", "6222001", "工行上海分行"},
                                         {"上海外高桥物流", "6222002", "建行浦东支行"},
                                         {"上海浦江贸易有限公司", "6222001", "工行上海分行"}};
        for (const QStringList &bill : printed) {
            fillCheque(bill.at(0), QStringLiteral("10"));
            typeInto(Account, bill.at(1));
            typeInto(Bank, bill.at(2));
            print(pdf(QStringLiteral("p")));
        }
        QCOMPARE(rows().size(), 3);
        f.doubleClickNode(Cheques, Transfer);
        typeInto(Bank, QStringLiteral("我自己的银行"));
        typeInto(Payee, QStringLiteral("上海"));
        QAbstractItemView *popupList = book->completer()->popup();
        QTRY_VERIFY(popupList->isVisible());
        QCOMPARE(popupList->model()->rowCount(), 2);
        QCOMPARE(popupList->model()->index(0, 0).data().toString(), QStringLiteral("上海浦江贸易有限公司"));
        QTest::keyClick(popupList, Qt::Key_Down);
        QTest::keyClick(popupList, Qt::Key_Down);
        QTest::keyClick(popupList, Qt::Key_Return);
        QTRY_VERIFY(!popupList->isVisible());
        QCOMPARE(f.state->Bill.text(Payee), QStringLiteral("上海外高桥物流"));
        QCOMPARE(f.state->Bill.text(Account), QStringLiteral("6222002"));
        QCOMPARE(f.state->Bill.text(Bank), QStringLiteral("我自己的银行"));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
