// Batch printing in the window, as a clerk uses it: "批量打印..." from the
// tree's pop-up menu and the setup menu, a GBK spreadsheet with bad rows
// marked, mended in the table by typing, previewed, printed with a progress
// bar, and a print cancelled part way.
#include "../workspace/designfixture.h"
#include "modalscript.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "templates/batchcommand.h"
#include "templates/batchdialog.h"
#include "templates/templatecommands.h"
#include "templates/treepopup.h"
#include "workspace/templatetree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTableWidget>

namespace {

const QColor BadCell(255, 190, 190);

// Twenty transfer cheques saved as GBK; row 6 has an amount with a letter O
// for a zero, row 14 the 31st of February.
QByteArray twentyCheques()
{
    QString text = QStringLiteral("收款人,小写金额,出票日期,用途\r\n");
    for (int i = 1; i <= 20; ++i) {
        const QString amount = i == 5 ? QStringLiteral("1O0.00") : QStringLiteral("\"%1,%2.50\"").arg(i).arg(100 + i);
        const QString date = i == 13 ? QStringLiteral("2026-02-31") : QStringLiteral("2026-12-%1").arg(i, 2, 10, QLatin1Char('0'));
        text += QStringLiteral("第%1供应商有限公司,%2,%3,货款\r\n").arg(i).arg(amount, date);
    }
    QStringEncoder gbk("GB18030");
    return gbk.encode(text);
}

int pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    if (!p.waitForFinished(30000))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestBatchDialog : public QObject {
    Q_OBJECT
    DesignFixture f;
    BatchCommand *command = nullptr;
    QPointer<BatchDialog> dialog;
    QStringList messages;
    QString csv;
    QString pdf;

    TemplateTree *tree() { return f.win->tree(); }
    QMenu *popup() { return f.win->menus().group(MenuHost::Popup).menu; }
    QTableWidget *table() { return dialog->table(); }

    QTreeWidgetItem *node(const QString &cls, const QString &bill = {})
    {
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem *c = tree()->topLevelItem(i);
            if (c->text(0) != cls)
                continue;
            if (bill.isEmpty())
                return c;
            c->setExpanded(true);
            for (int j = 0; j < c->childCount(); ++j)
                if (c->child(j)->text(0) == bill)
                    return c->child(j);
        }
        return nullptr;
    }
    bool rightClick(QTreeWidgetItem *at)
    {
        QWidget *vp = tree()->viewport();
        const QPoint p = tree()->visualItemRect(at).center();
        QTest::mouseClick(vp, Qt::RightButton, {}, p);
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, vp->mapToGlobal(p));
        QApplication::sendEvent(vp, &e);
        return QTest::qWaitFor([this] { return popup()->isVisible(); }, 2000);
    }
    void choose(int index)
    {
        QAction *a = f.win->menus().item(MenuHost::Popup, index);
        QTest::mouseClick(popup(), Qt::LeftButton, {}, popup()->actionGeometry(a).center());
    }
    // The batch dialog for the transfer cheque, opened from the pop-up menu.
    void openForCheque(bool withFileDialog = false)
    {
        QVERIFY(rightClick(node("支票", "转账支票")));
        choose(BatchCommand::PopupItem);
        QTRY_VERIFY(dialog);
        dialog->showMessage = [this](const QString &, const QString &text, bool) { messages << text; };
        if (!withFileDialog)
            dialog->chooseTableFile = [this] { return csv; };
        dialog->choosePdfFile = [this] { return pdf; };
        dialog->resize(1200, 720);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
    }
    void loadTwenty()
    {
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(twentyCheques());
        file.close();
        QTest::mouseClick(dialog->chooseButton(), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), 20);
    }
    bool isBad(int row, int column) { return table()->item(row, column)->background().color() == BadCell; }
    // Double-click the cell, replace its text by typing, Return.
    void retype(int row, int column, const QString &text)
    {
        const QRect r = table()->visualItemRect(table()->item(row, column));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, r.center());
        QLineEdit *editor = table()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view takes the edit once the event loop runs.
        QTRY_COMPARE(table()->item(row, column)->text(), text);
    }
    void choosePdfPrinter()
    {
        QComboBox *printers = dialog->printerBox();
        printers->setFocus();
        // Down to the last entry, the PDF choice, as a clerk picks it.
        while (printers->currentIndex() < printers->count() - 1)
            QTest::keyClick(printers, Qt::Key_Down);
        QCOMPARE(printers->currentText(), PrinterSettings::PdfChoice());
    }
    void screenshot(const QString &name)
    {
        const QString dir = qEnvironmentVariable("BILLPRINT_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        // The whole screen, so that a dialog over the batch dialog shows too,
        // once the screen has caught up.
        QTest::qWait(300);
        QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        if (shot.isNull() || QGuiApplication::platformName() != QLatin1String("xcb"))
            shot = dialog->grab();
        shot.save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        TemplateCommands::attach(*f.win, *TreePopup::attach(*f.win, *f.design));
        command = BatchCommand::attach(*f.win);
        command->showMessage = [this](const QString &text) { messages << text; };
        connect(command, &BatchCommand::dialogOpened, this, [this](BatchDialog *d) { dialog = d; });
        dialog = nullptr;
        messages.clear();
        csv = f.dir->filePath(QStringLiteral("pay.csv"));
        pdf = f.dir->filePath(QStringLiteral("pay.pdf"));
    }
    void cleanup()
    {
        delete dialog;
        f.close();
    }

    void menusOfferBatchPrinting()
    {
        QAction *setup = f.win->menus().item(MenuHost::Setup, BatchCommand::SetupItem);
        QVERIFY(setup && setup->isVisible());
        QCOMPARE(setup->text(), QStringLiteral("批量打印..."));
        QVERIFY(rightClick(node("支票")));
        QAction *item = f.win->menus().item(MenuHost::Popup, BatchCommand::PopupItem);
        QCOMPARE(item->text(), QStringLiteral("批量打印..."));
        QVERIFY(!item->isEnabled()); // a class is no template
        popup()->hide();
        // The setup menu needs a template chosen in the tree first.
        setup->trigger();
        QVERIFY(!dialog);
        QCOMPARE(messages.size(), 1);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          tree()->visualItemRect(node("结算凭证", "进账单")).center());
        setup->trigger();
        QTRY_VERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("批量打印 - 结算凭证/进账单"));
    }

    void gbkFileWithTwoBadRowsMendedAndPrinted()
    {
        openForCheque();
        QVERIFY(!dialog->printButton()->isEnabled());
        loadTwenty();
        QCOMPARE(table()->verticalHeaderItem(4)->text(), QStringLiteral("6")); // spreadsheet row numbers
        QCOMPARE(dialog->badRows(), 2);
        QVERIFY(isBad(4, 1));
        QVERIFY(table()->item(4, 1)->toolTip().contains(QStringLiteral("不是金额")));
        QVERIFY(isBad(12, 2));
        QVERIFY(table()->item(12, 2)->toolTip().contains(QStringLiteral("20260231 不存在")));
        QVERIFY(!isBad(4, 0) && !isBad(3, 1) && !isBad(12, 1));
        QVERIFY(dialog->summaryLabel()->text().contains(QStringLiteral("GB18030")));
        QVERIFY(dialog->summaryLabel()->text().contains(QStringLiteral("2 张有问题")));
        QVERIFY(!dialog->printButton()->isEnabled());

        // Looking at a bad row and at a good one on the bill.
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, table()->visualItemRect(table()->item(12, 0)).center());
        QVERIFY(dialog->rowLabel()->text().contains(QStringLiteral("第 14 行不能这样打印")));
        const QImage bad = dialog->preview()->picture();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, table()->visualItemRect(table()->item(2, 0)).center());
        QCOMPARE(dialog->rowLabel()->text(), QStringLiteral("第 4 行"));
        QVERIFY(!dialog->preview()->picture().isNull());
        QVERIFY(dialog->preview()->picture() != bad);
        screenshot(QStringLiteral("batch-marked"));

        retype(4, 1, QStringLiteral("100.00"));
        QVERIFY(!isBad(4, 1));
        QCOMPARE(dialog->badRows(), 1);
        QVERIFY(!dialog->printButton()->isEnabled());
        retype(12, 2, QStringLiteral("20261213"));
        QVERIFY(!isBad(12, 2));
        QCOMPARE(dialog->badRows(), 0);
        QVERIFY(dialog->printButton()->isEnabled());
        QVERIFY(dialog->summaryLabel()->text().contains(QStringLiteral("都可以打印")));

        choosePdfPrinter();
        dialog->copiesBox()->setFocus();
        QTest::keyClick(dialog->copiesBox(), Qt::Key_Up); // two copies of each
        QCOMPARE(dialog->copiesBox()->value(), 2);
        QTest::mouseClick(dialog->printButton(), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("已打印全部 20 张票据（40 页）")), qPrintable(messages.first()));
        QVERIFY(messages.first().contains(QStringLiteral("第 2–21 行")));
        QCOMPARE(dialog->lastPrinted().size(), 20);
        QCOMPARE(table()->verticalHeaderItem(0)->toolTip(), QStringLiteral("已打印"));
        screenshot(QStringLiteral("batch-printed"));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QCOMPARE(pdfPages(pdf), 40);
    }

    // A cancel stops after the bill being printed; the message says which
    // bills went out, and the PDF holds exactly those.
    void cancelStopsAfterTheCurrentBill()
    {
        openForCheque();
        loadTwenty();
        retype(4, 1, QStringLiteral("100"));
        retype(12, 2, QStringLiteral("2026-12-13"));
        QVERIFY(dialog->printButton()->isEnabled());
        choosePdfPrinter();
        // The clerk clicks 取消 while the third bill is printed.
        QTimer clerk;
        connect(&clerk, &QTimer::timeout, this, [&] {
            auto *progress = dialog->findChild<QProgressDialog *>(QStringLiteral("BatchProgress"));
            if (!progress || !progress->isVisible() || progress->value() < 3 || progress->wasCanceled())
                return;
            screenshot(QStringLiteral("batch-progress"));
            ModalScript::clickButton(progress, QStringLiteral("取消"));
        });
        clerk.start(0);
        QTest::mouseClick(dialog->printButton(), Qt::LeftButton);
        clerk.stop();
        QCOMPARE(dialog->lastPrinted(), (QList<int>{2, 3, 4}));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first(), QStringLiteral("已取消。已打印第 2–4 行的 3 张票据，其余 17 张没有打印。"));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QCOMPARE(pdfPages(pdf), 3);
    }

    // An Excel workbook chosen in the file dialog as a clerk does (the
    // workbooks offered first): its first sheet's rows as the cells show
    // them; another sheet picked in the sheet box, with a formula's error
    // marked red and mended by typing; printed, its amount on the page and
    // in the register.
    void workbookChosenInTheFileDialog()
    {
        openForCheque(true);
        const QString book = f.dir->filePath(QStringLiteral("付款清单.xlsx"));
        QVERIFY(QFile::copy(QStringLiteral(QT_TESTCASE_SOURCEDIR "/fixtures/cheques-lo.xlsx"), book));
        QStringList offered;
        {
            ModalScript script;
            script.on(QStringLiteral("QFileDialog"), [&](QWidget *d) {
                offered = static_cast<QFileDialog *>(d)->nameFilters();
                auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                edit->setFocus();
                // The file's whole path, as a clerk pastes it, then Return
                // (twice when a completion for the name is open).
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, book, Qt::NoModifier);
                QPointer<QLineEdit> target(edit);
                QTimer::singleShot(0, edit, [target] {
                    for (int i = 0; i < 2 && target && target->isVisible(); ++i)
                        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target.data(), Qt::Key_Return);
                });
            });
            QTest::mouseClick(dialog->chooseButton(), Qt::LeftButton);
            QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join(u'\n')));
        }
        QVERIFY2(offered.value(0).startsWith(QStringLiteral("电子表格 (*.xlsx *.xls *.et")), qPrintable(offered.join(u';')));
        QCOMPARE(table()->rowCount(), 3);
        QCOMPARE(table()->verticalHeaderItem(2)->text(), QStringLiteral("5")); // the sheet's own row numbers
        QCOMPARE(table()->item(0, 1)->text(), QStringLiteral("1234.10"));
        QCOMPARE(table()->item(1, 1)->text(), QStringLiteral("0.3")); // 0.1 + 0.2 by a formula
        QCOMPARE(table()->item(0, 2)->text(), QStringLiteral("2026-12-07"));
        QVERIFY(dialog->sheetBox()->isVisible());
        QCOMPARE(dialog->sheetBox()->currentText(), QStringLiteral("付款"));
        QVERIFY2(dialog->summaryLabel()->text().startsWith(QStringLiteral("工作表“付款”，3 张票据")),
                 qPrintable(dialog->summaryLabel()->text()));
        screenshot(QStringLiteral("batch-workbook"));

        // The third sheet, picked with the keyboard.
        dialog->sheetBox()->setFocus();
        QTest::keyClick(dialog->sheetBox(), Qt::Key_Down);
        QTest::keyClick(dialog->sheetBox(), Qt::Key_Down);
        QCOMPARE(dialog->sheetBox()->currentText(), QStringLiteral("有错"));
        QCOMPARE(table()->rowCount(), 1);
        QVERIFY(isBad(0, 1));
        QCOMPARE(table()->item(0, 1)->toolTip(), QStringLiteral("单元格是公式的错误值 #DIV/0!"));
        QVERIFY(!dialog->printButton()->isEnabled());
        retype(0, 1, QStringLiteral("2715.90"));
        QVERIFY(!isBad(0, 1));
        QVERIFY(dialog->printButton()->isEnabled());

        choosePdfPrinter();
        QTest::mouseClick(dialog->printButton(), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("已打印全部 1 张票据")), qPrintable(messages.first()));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QProcess p;
            p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QVERIFY(p.waitForFinished(30000));
            const QString text = QString::fromUtf8(p.readAllStandardOutput());
            QVERIFY2(text.contains(QStringLiteral("杭州西湖茶业有限公司")) && text.contains(QStringLiteral("贰仟柒佰壹拾伍圆玖角整")),
                     qPrintable(text));
        }
        QSqlQuery q(QSqlDatabase::database(f.state->DbConnection));
        QVERIFY(q.exec(QStringLiteral("SELECT \"01107002\", \"01508000\" FROM \"H_支票_转账支票\"")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("杭州西湖茶业有限公司"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("2715.90"));
        QVERIFY(!q.next());
    }

    // A workbook that cannot be read: the reason shown, nothing loaded.
    void encryptedWorkbookIsRefused()
    {
        openForCheque();
        csv = QStringLiteral(QT_TESTCASE_SOURCEDIR "/fixtures/encrypted.xlsx");
        QTest::mouseClick(dialog->chooseButton(), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("已加密")), qPrintable(messages.first()));
        QVERIFY(!dialog->sheetBox()->isVisible());
        QVERIFY(!dialog->printButton()->isEnabled());
    }

    void headerThatNamesNoFieldIsRefused()
    {
        openForCheque();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("收款人,付款人\n甲,乙\n");
        file.close();
        QTest::mouseClick(dialog->chooseButton(), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("第 2 列“付款人”：模板里没有这个名字的栏目")),
                 qPrintable(messages.first()));
        QVERIFY(!dialog->printButton()->isEnabled());
    }
};

QTEST_MAIN(TestBatchDialog)
#include "tst_batchdialog.moc"
