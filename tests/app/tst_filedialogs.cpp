// The program's file dialogs on the folder that holds the open database:
// browsing it must leave the program's SQLite locks alone, so that another
// process does not miss a save the program makes afterwards.
#include "app/filedialogs.h"
#include "core/appstate.h"
#include "core/database.h"
#include "core/templatemanager.h"

#include <QFileSystemModel>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

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
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
