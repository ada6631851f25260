// The window on a database file the clerk may read but not write: the title
// says so, a design is refused before it starts, and the file stays as it
// was. Run as root the test first becomes the user "nobody", for whom file
// permissions hold (root may write any file).
#include "core/appstate.h"
#include "core/database.h"
#include "templates/treepopup.h"
#include "workspace/designmode.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestReadOnlyWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;
    AppState m_state;
    std::unique_ptr<MDIMain> m_win;
    QByteArray m_before;

    QTreeWidgetItem *node(const QString &className, const QString &billName)
    {
        TemplateTree *tree = m_win->tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *c = tree->topLevelItem(i);
            if (c->text(0) != className)
                continue;
            c->setExpanded(true);
            for (int j = 0; j < c->childCount(); ++j)
                if (c->child(j)->text(0) == billName)
                    return c->child(j);
        }
        return nullptr;
    }
    QMenu *popupMenu() { return m_win->menus().group(MenuHost::Popup).menu; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_db = m_dir.filePath(QStringLiteral("DB/BillDB.db"));
        {
            AppState writer;
            StartUp(writer, m_db, m_dir.path());
            QVERIFY2(writer.DatabaseError.isEmpty(), qPrintable(writer.DatabaseError));
            QVERIFY(!writer.DatabaseReadOnly);
            CloseDatabase(writer);
        }
        // The administrator hands the clerk a file to read only.
        QVERIFY(QFile::setPermissions(m_db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(QFileInfo(m_db).absolutePath(), QFile::ReadOwner | QFile::ExeOwner |
                                                                          QFile::ReadOther | QFile::ExeOther));
        m_before = digest(m_db);
        QVERIFY(!m_before.isEmpty());

        StartUp(m_state, m_db, m_dir.path());
        QVERIFY2(m_state.DatabaseError.isEmpty(), qPrintable(m_state.DatabaseError));
        m_win = std::make_unique<MDIMain>(m_state);
        TreePopup::attach(*m_win, *DesignMode::attach(*m_win));
        m_win->resize(1100, 700);
        m_win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
    }
    void cleanupTestCase()
    {
        m_win.reset();
        CloseDatabase(m_state);
        QFile::setPermissions(QFileInfo(m_db).absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_db, QFile::ReadOwner | QFile::WriteOwner);
    }

    void titleSaysReadOnly()
    {
        QVERIFY(m_state.DatabaseReadOnly);
        QVERIFY2(m_win->windowTitle().endsWith(QStringLiteral("[只读]")), qPrintable(m_win->windowTitle()));
        QCOMPARE(m_win->tree()->topLevelItemCount() > 0, true);
    }

    // Right click on a template, "设计模板": a message says why, no design starts.
    void designIsRefusedBeforeItStarts()
    {
        QTreeWidgetItem *cheque = node(QStringLiteral("支票"), QStringLiteral("转账支票"));
        QVERIFY(cheque);
        QWidget *vp = m_win->tree()->viewport();
        const QPoint p = m_win->tree()->visualItemRect(cheque).center();
        QTest::mouseClick(vp, Qt::RightButton, {}, p);
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, vp->mapToGlobal(p));
        QApplication::sendEvent(vp, &e);
        QTRY_VERIFY_WITH_TIMEOUT(popupMenu()->isVisible(), 2000);

        QString said;
        std::function<void()> answer = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(20, answer);
                return;
            }
            said = box->text();
            box->close();
        };
        QTimer::singleShot(20, answer);
        QAction *design = m_win->menus().item(MenuHost::Popup, TreePopup::DesignItem);
        QTest::mouseClick(popupMenu(), Qt::LeftButton, {}, popupMenu()->actionGeometry(design).center());
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 5000);
        QVERIFY2(said.contains(QStringLiteral("只读")) && said.contains(QStringLiteral("不能设计模板")),
                 qPrintable(said));
        QCOMPARE(m_state.DesignMode, qint16(0));
    }

    // Opening and reading templates leaves the file byte for byte as it was.
    void fileIsUntouched()
    {
        QTreeWidgetItem *cheque = node(QStringLiteral("支票"), QStringLiteral("转账支票"));
        QWidget *vp = m_win->tree()->viewport();
        const QPoint p = m_win->tree()->visualItemRect(cheque).center();
        QTest::mouseClick(vp, Qt::LeftButton, {}, p);
        QTest::mouseDClick(vp, Qt::LeftButton, {}, p);
        QVERIFY(m_state.Bill.isOpen());
        QCOMPARE(digest(m_db), m_before);
        const QStringList beside = QDir(QFileInfo(m_db).absolutePath()).entryList(QDir::Files);
        QCOMPARE(beside, QStringList{QStringLiteral("BillDB.db")});
    }
};

// Becomes "nobody" when run as root, before Qt starts, with its own folders
// for what Qt and fontconfig keep per user.
static bool dropRoot(QByteArray *home)
{
    if (geteuid() != 0)
        return true;
    const passwd *nobody = getpwnam("nobody");
    if (!nobody)
        return false;
    char folder[] = "/tmp/billprint-ro-XXXXXX";
    if (!mkdtemp(folder) || chown(folder, nobody->pw_uid, nobody->pw_gid) != 0)
        return false;
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"})
        setenv(var, folder, 1);
    *home = folder;
    return setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
}

int main(int argc, char *argv[])
{
    QByteArray home;
    if (!dropRoot(&home)) {
        fprintf(stderr, "cannot become the user nobody\n");
        return 1;
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        TestReadOnlyWindow test;
        status = QTest::qExec(&test, argc, argv);
    }
    if (!home.isEmpty())
        QDir(QString::fromLocal8Bit(home)).removeRecursively();
    return status;
}

#include "tst_readonlywindow.moc"
