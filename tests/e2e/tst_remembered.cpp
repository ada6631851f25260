// What the program keeps between runs, as a clerk meets it: the window's
// size and place, the tree's width dragged with the mouse, the printer
// picked in the preview and the folder a file dialog was last used in come
// back in the next run; a first run starts on the system's choices. Also
// the status bar's report after printing.
#include "app/filedialogs.h"
#include "app/remembered.h"
#include "core/appstate.h"
#include "core/database.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "../typing.h"

namespace {

using typing::choose;

} // namespace

class TestRemembered : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    std::unique_ptr<MDIMain> m_win;

    // One run of the window: open, shown and active.
    void start()
    {
        m_win = std::make_unique<MDIMain>(m_state);
        m_win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
        m_win->activateWindow();
        QApplication::setActiveWindow(m_win.get());
    }
    // The clerk closes the window; the database stays for the next run.
    void finish()
    {
        m_win->close();
        m_win.reset();
        StartUp(m_state, m_dir.filePath(QStringLiteral("DB/BillDB.db")), m_dir.path());
    }
    QWidget *splitter() const { return m_win->findChild<QWidget *>(QStringLiteral("PictureCtlL")); }

    // Answers the next file dialog: types the file name and presses Return.
    // Waits for the dialog however long a slow (sanitized) build takes to
    // show and activate it (a late activation of the main window can take
    // the focus back, and Return then reaches no default button), so the
    // modal loop is never left without an answer.
    static void answerFileDialog(const QString &path, QString *shownFolder, int triesLeft = 500)
    {
        QTimer::singleShot(20, [path, shownFolder, triesLeft] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            const bool shown = dialog && dialog->isVisible();
            if (shown && QApplication::activeWindow() != dialog)
                dialog->activateWindow(); // as a click on its title bar would; keys go to the active window
            if (!shown || QApplication::activeWindow() != dialog) {
                if (triesLeft > 0)
                    answerFileDialog(path, shownFolder, triesLeft - 1);
                return;
            }
            *shownFolder = dialog->directory().absolutePath();
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->clear();
            typing::typeText(name, path);
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("billprint"));
        QCoreApplication::setApplicationName(QStringLiteral("billprint"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("config")));
        remembered::setEnabled(true);
        StartUp(m_state, m_dir.filePath(QStringLiteral("DB/BillDB.db")), m_dir.path());
        QVERIFY2(m_state.DatabaseError.isEmpty(), qPrintable(m_state.DatabaseError));
    }
    void cleanupTestCase()
    {
        m_win.reset();
        CloseDatabase(m_state);
        remembered::setEnabled(false);
    }

    void windowAndTreeComeBack()
    {
        start();
        const QSize firstSize = m_win->size();
        const int fittedTree = m_state.SplitterLeft;
        // The clerk makes the window bigger, moves it and drags the
        // splitter 60 pixels to the right.
        m_win->setGeometry(QRect(QPoint(40, 30), QSize(1200, 800)));
        QTRY_COMPARE(m_win->size(), QSize(1200, 800));
        QWidget *bar = splitter();
        const QPoint grip(bar->width() / 2, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QTest::mouseMove(bar, grip + QPoint(60, 0));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(60, 0));
        const int dragged = m_state.SplitterLeft;
        QVERIFY2(dragged > fittedTree, qPrintable(QStringLiteral("%1 -> %2").arg(fittedTree).arg(dragged)));
        const QRect geometry = m_win->geometry();
        finish();

        start();
        QCOMPARE(m_win->geometry(), geometry);
        QVERIFY(m_win->size() != firstSize);
        QCOMPARE(m_state.SplitterLeft, dragged);
        finish();
    }

    // The preview starts on the system's default printer (or the first
    // entry) until the clerk picks one; then on the one picked.
    void printerComesBack()
    {
        start();
        auto *preview = new PrintPreview(m_state, m_win->centralWidget());
        preview->show();
        const QStringList names = PrinterSettings::PrinterNames();
        const QString system = PrinterSettings::DefaultPrinterName();
        const QString first = names.contains(system) ? system : names.value(0, PrinterSettings::PdfChoice());
        QCOMPARE(preview->currentPrinter(), first);
        QCOMPARE(preview->CmbPrintersC()->currentText(), first);
        QComboBox *list = preview->CmbPrintersC();
        choose(list, list->count() - 1);
        QCOMPARE(preview->currentPrinter(), PrinterSettings::PdfChoice());
        preview->close();
        finish();

        start();
        preview = new PrintPreview(m_state, m_win->centralWidget());
        preview->show();
        QCOMPARE(preview->currentPrinter(), PrinterSettings::PdfChoice());
        QCOMPARE(preview->CmbPrintersC()->currentText(), PrinterSettings::PdfChoice());
        preview->close();
        finish();
    }

    // A file dialog opens where it was last used, also in the next run; a
    // suggested file name keeps its name there.
    void fileDialogFolderComesBack()
    {
        const QString folder = m_dir.filePath(QStringLiteral("导出"));
        QVERIFY(QDir().mkpath(folder));
        start();
        QString shown;
        answerFileDialog(folder + QStringLiteral("/转账支票.json"), &shown);
        const QString chosen = filedialogs::getSaveFileName(m_win.get(), QStringLiteral("导出模板"),
                                                            QStringLiteral("转账支票.json"),
                                                            QStringLiteral("模板文件 (*.json)"));
        QCOMPARE(chosen, folder + QStringLiteral("/转账支票.json"));
        QVERIFY(shown != folder);
        finish();

        start();
        std::unique_ptr<QFileDialog> again(filedialogs::create(m_win.get(), QStringLiteral("导出模板"),
                                                               QStringLiteral("现金支票.json"),
                                                               QStringLiteral("模板文件 (*.json)"),
                                                               QFileDialog::AcceptSave));
        QCOMPARE(again->directory().absolutePath(), folder);
        // Another dialog keeps its own folder.
        std::unique_ptr<QFileDialog> other(filedialogs::create(m_win.get(), QStringLiteral("导入模板"), QDir::homePath(),
                                                               QString(), QFileDialog::AcceptOpen));
        QCOMPARE(other->directory().absolutePath(), QDir::homePath());
        again.reset();
        other.reset();
        finish();
    }

    // After a print the status bar names the bill and where it went.
    void statusBarReportsThePrint()
    {
        start();
        TemplateTree *tree = m_win->tree();
        tree->setFocus();
        tree->setCurrentItem(tree->topLevelItem(0));
        for (int i = 0; i < 20 && tree->currentItem()->text(0) != QStringLiteral("支票"); ++i)
            QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Right);
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(m_state.Bill.isOpen());
        typing::typeText(QApplication::focusWidget(), QStringLiteral("20261207"));

        const QString pdf = m_dir.filePath(QStringLiteral("cheque.pdf"));
        auto *preview = new PrintPreview(m_state, m_win->centralWidget());
        QStringList messages;
        preview->setMessageSink([&](const QString &, const QString &text, bool) { messages << text; });
        preview->setQuestionSink([](const QString &, const QString &) { return true; });
        preview->show();
        choose(preview->CmbPrintersC(), preview->CmbPrintersC()->count() - 1);
        preview->setPdfFileName(pdf);
        QTest::mouseClick(preview->findChild<QWidget *>(QStringLiteral("CmdPrintC")), Qt::LeftButton);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0)));
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(m_win->statusBar()->currentMessage(), QStringLiteral("已打印 转账支票 到 %1").arg(pdf));
        preview->close();
        finish();
    }
};

QTEST_MAIN(TestRemembered)
#include "tst_remembered.moc"
