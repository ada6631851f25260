// The program's file dialogs on the folder that holds the open database:
// browsing it must leave the program's SQLite locks alone, so that another
// process does not miss a save the program makes afterwards.
#include "app/filedialogs.h"
#include "core/appstate.h"
#include "core/database.h"
#include "core/templatemanager.h"

#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "../templates/modalscript.h"

namespace {

// Runs the program's command line; its standard output, or a failure.
QString runProgram(const QStringList &args, bool *ok)
{
    QProcess p;
    p.start(qEnvironmentVariable("BILLPRINT_EXE"), args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        qWarning("billprint %s: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT
private slots:
    void browsingTheDatabaseFolderKeepsTheLocks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("save (PDF, template export)") << int(QFileDialog::AcceptSave);
        QTest::newRow("open (scan, template import)") << int(QFileDialog::AcceptOpen);
    }
    void browsingTheDatabaseFolderKeepsTheLocks()
    {
        QFETCH(int, mode);
        if (qEnvironmentVariableIsEmpty("BILLPRINT_EXE"))
            QSKIP("BILLPRINT_EXE names no program to run beside this one");
        QTemporaryDir dir;
        AppState st;
        StartUp(st, dir.filePath(QStringLiteral("DB/BillDB.db")), dir.path());
        auto closeDatabase = qScopeGuard([&st] { CloseDatabase(st); });
        QVERIFY2(st.DatabaseError.isEmpty(), qPrintable(st.DatabaseError));
        const QString db = st.DatabasePath;
        const TemplateManager m(st.DbConnection);
        QVERIFY(m.createClass(QStringLiteral("甲类")).ok());

        // The dialog lists the folder with the database and has told its type.
        std::unique_ptr<QFileDialog> dialog(filedialogs::create(nullptr, QStringLiteral("PDF 文件"),
                                                                QFileInfo(db).absolutePath(),
                                                                QStringLiteral("PDF (*.pdf)"),
                                                                QFileDialog::AcceptMode(mode)));
        dialog->setViewMode(QFileDialog::Detail);
        dialog->show();
        auto *model = dialog->findChild<QFileSystemModel *>();
        QVERIFY(model);
        QTRY_VERIFY_WITH_TIMEOUT(!model->type(model->index(db)).isEmpty(), 10000);
        QTest::qWait(200);

        // Another process opens the database and closes it again.
        bool ok = false;
        runProgram({QStringLiteral("templates"), QStringLiteral("--db"), db}, &ok);
        QVERIFY(ok);

        // A save made now is there for the other process.
        QVERIFY(m.createTemplate({QStringLiteral("甲类"), QStringLiteral("乙单")}, 100, 50).ok());
        const QString listed = runProgram({QStringLiteral("templates"), QStringLiteral("--db"), db}, &ok);
        QVERIFY(ok);
        QVERIFY2(listed.contains(QStringLiteral("甲类/乙单")), qPrintable(listed));
    }

    // The name a user types without its extension is the file that is
    // written: one that exists already is only replaced when the user says so.
    void savingOverAFileAsksFirst_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("PDF typed without .pdf") << "PDF (*.pdf)" << "bill" << true << "";
        QTest::newRow("PDF typed with .pdf") << "PDF (*.pdf)" << "bill.pdf" << true << "";
        QTest::newRow("new PDF typed without .pdf") << "PDF (*.pdf)" << "other" << false << "other.pdf";
        QTest::newRow("CSV typed without .csv") << "CSV (*.csv)" << "list" << true << "";
        QTest::newRow("other extension kept") << "CSV (*.csv)" << "report.txt" << false << "report.txt";
    }
    void savingOverAFileAsksFirst()
    {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(bool, asks);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        for (const char *name : {"bill.pdf", "list.csv"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("kept");
        }
        ModalScript script;
        script.on(QStringLiteral("QFileDialog"), [typed](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setFocus();
            ModalScript::type(edit, typed);
            // Pressed once this step is over: the question it may raise is
            // answered by the next step.
            QMetaObject::invokeMethod(
                edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); }, Qt::QueuedConnection);
        });
        if (asks) {
            // "No": back to the dialog, which the user then cancels.
            script.on(QStringLiteral("QMessageBox"), [](QWidget *w) {
                static_cast<QMessageBox *>(w)->button(QMessageBox::No)->click();
            });
            script.on(QStringLiteral("QFileDialog"), [](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        }
        const QString result = filedialogs::getSaveFileName(nullptr, QStringLiteral("保存"), dir.path(), filter);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join(QLatin1Char('\n'))));
        QCOMPARE(result, chosen.isEmpty() ? QString() : dir.filePath(chosen));
        QFile kept(dir.filePath(QStringLiteral("bill.pdf")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("kept"));
    }
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
