// The template commands of the tree's pop-up menu, used as a clerk uses
// them: a right click on the tree, a click on the item, typing into the
// dialogs and clicking the buttons of the confirmations.
#include "../workspace/designfixture.h"
#include "modalscript.h"
#include "templates/templatecommands.h"
#include "templates/templatedialogs.h"
#include "templates/treepopup.h"
#include "workspace/templatetree.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStatusBar>
#include <QRadioButton>
#include <QSqlQuery>

namespace {
const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};
const TemplateRef Cash{QStringLiteral("支票"), QStringLiteral("现金支票")};
} // namespace

class TestTemplateCommands : public QObject {
    Q_OBJECT
    DesignFixture f;
    TreePopup *popup = nullptr;
    TemplateCommands *commands = nullptr;
    QString lastOpened;

    TemplateTree *tree() { return f.win->tree(); }
    QMenu *menu() { return f.win->menus().group(MenuHost::Popup).menu; }
    QAction *item(int i) { return f.win->menus().item(MenuHost::Popup, i); }
    TemplateManager manager() { return TemplateManager(f.state->DbConnection); }

    QTreeWidgetItem *node(const TemplateRef &ref)
    {
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem *c = tree()->topLevelItem(i);
            if (c->text(0) != ref.className)
                continue;
            if (ref.templateName.isEmpty())
                return c;
            c->setExpanded(true); // the clerk opens the class first
            for (int j = 0; j < c->childCount(); ++j)
                if (c->child(j)->text(0) == ref.templateName)
                    return c->child(j);
        }
        return nullptr;
    }

    // A right click on a node (or below the nodes when null): the press
    // selects the node, the context-menu event brings the pop-up menu up.
    bool rightClick(QTreeWidgetItem *at)
    {
        QWidget *vp = tree()->viewport();
        const QPoint p = at ? tree()->visualItemRect(at).center() : QPoint(10, vp->height() - 10);
        QTest::mouseClick(vp, Qt::RightButton, {}, p);
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, vp->mapToGlobal(p));
        QApplication::sendEvent(vp, &e);
        return QTest::qWaitFor([this] { return menu()->isVisible(); }, 2000);
    }
    void choose(int index)
    {
        QAction *a = item(index);
        QTest::mouseClick(menu(), Qt::LeftButton, {}, menu()->actionGeometry(a).center());
    }
    // Right click, choose, and let the script answer the windows.
    void run(QTreeWidgetItem *at, int index, ModalScript &script)
    {
        QVERIFY(rightClick(at));
        choose(index);
        QTRY_VERIFY_WITH_TIMEOUT(script.done(), 5000);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join("; ")));
    }
    void markPrinted(const TemplateRef &ref, int bills)
    {
        QSqlQuery q(TemplateStore(f.state->DbConnection).database());
        for (int i = 0; i < bills; ++i)
            QVERIFY(q.exec(QStringLiteral("INSERT INTO %1 (\"WriteDate\") VALUES ('2024-01-05')")
                               .arg(TemplateStore::quoteIdentifier(ref.historyTable()))));
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        popup = TreePopup::attach(*f.win, *f.design);
        commands = TemplateCommands::attach(*f.win, *popup);
        connect(f.win.get(), &MDIMain::templateOpened, this, [this](const QString &t, int) { lastOpened = t; });
        lastOpened.clear();
    }
    void cleanup() { f.close(); }

    void menuOffersTheCommands()
    {
        const QStringList captions{"新建类别", "新建模板", "重命名", "删除", "-", "设计模板", "-",
                                   "结束设计并保存", "-", "导出模板...", "导入模板..."};
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(item(i)->isSeparator(), captions.at(i) == "-");
            QCOMPARE(item(i)->text(), item(i)->isSeparator() ? QString() : captions.at(i));
            QVERIFY(item(i)->isVisible());
        }
        QVERIFY(rightClick(nullptr)); // below the nodes: nothing to rename, delete or export
        QVERIFY(item(TemplateCommands::NewClassItem)->isEnabled());
        QVERIFY(!item(TemplateCommands::RenameItem)->isEnabled());
        QVERIFY(!item(TemplateCommands::DeleteItem)->isEnabled());
        QVERIFY(!item(TemplateCommands::ExportItem)->isEnabled());
        menu()->hide();
        QVERIFY(rightClick(node({"支票", {}})));
        QVERIFY(item(TemplateCommands::RenameItem)->isEnabled());
        QVERIFY(!item(TemplateCommands::ExportItem)->isEnabled());
        menu()->hide();
        QVERIFY(rightClick(node(Cheque)));
        QVERIFY(item(TemplateCommands::ExportItem)->isEnabled());
        menu()->hide();
    }

    void newClassRefusesTakenNames()
    {
        ModalScript script;
        QString problem;
        script.typeName("NameDialog", "支票")
            .on("NameDialog", [&problem](QWidget *w) { problem = static_cast<NameDialog *>(w)->problem(); })
            .typeName("NameDialog", "  ")
            .typeName("NameDialog", "农业银行");
        run(nullptr, TemplateCommands::NewClassItem, script);
        QVERIFY2(problem.contains("已存在"), qPrintable(problem));
        QVERIFY(node({"农业银行", {}}));
        QCOMPARE(f.state->SelectedClass.text, QStringLiteral("农业银行"));
        QVERIFY(manager().findClass("农业银行"));
    }

    void newTemplateAsACopyOpensForDesign()
    {
        QVERIFY(manager().createClass("农业银行").ok());
        QVERIFY(tree()->RefreshTree(TemplateStore(f.state->DbConnection)) == 0);
        ModalScript script;
        script.on("NewTemplateDialog", [](QWidget *w) {
            QCOMPARE(w->findChild<QComboBox *>("classBox")->currentText(), QStringLiteral("农业银行"));
            ModalScript::type(w->findChild<QLineEdit *>("nameEdit"), "转账支票");
            auto *copy = w->findChild<QRadioButton *>("copyChoice");
            QTest::mouseClick(copy, Qt::LeftButton, {}, QPoint(8, copy->height() / 2)); // on its circle
            w->findChild<QComboBox *>("sourceBox")->setCurrentText("支票/转账支票");
            QTest::keyClick(w->findChild<QLineEdit *>("nameEdit"), Qt::Key_Return);
        });
        run(node({"农业银行", {}}), TemplateCommands::NewTemplateItem, script);
        const TemplateRef copy{"农业银行", "转账支票"};
        QVERIFY(manager().findTemplate(copy));
        QCOMPARE(f.state->DesignMode, qint16(1));
        QCOMPARE(f.state->SelectedClass.text, copy.className);
        QCOMPARE(f.state->SelectedBill.text, copy.templateName);
        QCOMPARE(lastOpened, copy.table());
        QCOMPARE(f.state->Registry.count(), 28); // the bill and the cheque's 27 fields
        QVERIFY(popup->EndDesign());
        QCOMPARE(f.state->DesignMode, qint16(0));
    }

    void newBlankTemplateAtAPresetSize()
    {
        ModalScript script;
        script.on("NewTemplateDialog", [](QWidget *w) {
            w->findChild<QComboBox *>("presetBox")->setCurrentIndex(1); // 进账单
            auto *name = w->findChild<QLineEdit *>("nameEdit");
            ModalScript::type(name, "进账单");
            QTest::keyClick(name, Qt::Key_Return); // taken: the dialog says so and stays
        });
        script.on("NewTemplateDialog", [](QWidget *w) {
            QVERIFY(static_cast<NewTemplateDialog *>(w)->problem().contains("已存在"));
            ModalScript::type(w->findChild<QLineEdit *>("nameEdit"), "农行进账单");
            QTest::keyClick(w->findChild<QLineEdit *>("nameEdit"), Qt::Key_Return);
        });
        run(node({"结算凭证", "进账单"}), TemplateCommands::NewTemplateItem, script);
        QCOMPARE(f.state->DesignMode, qint16(1));
        QCOMPARE(lastOpened, QStringLiteral("结算凭证_农行进账单"));
        QCOMPARE(f.state->BillRect[2], 12020);
        QCOMPARE(f.state->BillRect[3], 5783);
        QCOMPARE(f.state->Registry.count(), 1);
    }

    void renameOfTheOpenTemplateReopensIt()
    {
        // A double click: press, release, the second press as a double click, release.
        const QPoint at = tree()->visualItemRect(node(Cheque)).center();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(lastOpened, Cheque.table());
        ModalScript script;
        QString problem;
        script.typeName("NameDialog", "现金支票")
            .on("NameDialog", [&problem](QWidget *w) { problem = static_cast<NameDialog *>(w)->problem(); })
            .typeName("NameDialog", "转账支票 O'Neil \"新\"");
        run(node(Cheque), TemplateCommands::RenameItem, script);
        QVERIFY2(problem.contains("已存在"), qPrintable(problem));
        const TemplateRef renamed{"支票", "转账支票 O'Neil \"新\""};
        QVERIFY(node(renamed));
        QVERIFY(!node(Cheque));
        QCOMPARE(f.state->SelectedBill.text, renamed.templateName);
        QCOMPARE(lastOpened, renamed.table());
        QVERIFY(f.win->billSurface()->isVisible());
        QCOMPARE(f.state->Registry.count(), 28);
    }

    void renameOfAClassKeepsItsTemplates()
    {
        ModalScript script;
        script.typeName("NameDialog", "农行/支票");
        run(node({"支票", {}}), TemplateCommands::RenameItem, script);
        QVERIFY(node({"农行/支票", "转账支票"}));
        QVERIFY(node({"农行/支票", "现金支票"}));
        QCOMPARE(f.state->SelectedClass.text, QStringLiteral("农行/支票"));
    }

    void deleteWithPrintedBills_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("gone");
        QTest::newRow("move") << "移到“已删除”" << true << true;
        QTest::newRow("drop") << "彻底删除" << false << true;
        QTest::newRow("cancel") << "取消" << false << false;
    }
    void deleteWithPrintedBills()
    {
        QFETCH(QString, second);
        QFETCH(bool, kept);
        QFETCH(bool, gone);
        markPrinted(Cash, 2);
        QString first, again;
        ModalScript script;
        script.on("QMessageBox", [&first](QWidget *w) {
                  first = ModalScript::text(w);
                  ModalScript::clickButton(w, "删除");
              })
            .on("QMessageBox", [&again, second](QWidget *w) {
                again = ModalScript::text(w);
                ModalScript::clickButton(w, second);
            });
        run(node(Cash), TemplateCommands::DeleteItem, script);
        QVERIFY2(first.contains("“支票/现金支票”") && first.contains("2 张"), qPrintable(first));
        QVERIFY2(again.contains("彻底删除"), qPrintable(again));
        QCOMPARE(!node(Cash), gone);
        const TemplateRef moved{"已删除", "现金支票（支票）"};
        QCOMPARE(bool(node(moved)), kept);
        qint64 printed = 0;
        QVERIFY(manager().printedCount(kept ? moved : Cash, printed).ok());
        QCOMPARE(printed, gone && !kept ? 0 : 2);
    }

    void deleteWithoutPrintedBillsAndClasses()
    {
        ModalScript script;
        script.click("QMessageBox", "取消");
        run(node(Cash), TemplateCommands::DeleteItem, script);
        QVERIFY(node(Cash));
        ModalScript really;
        QString asked;
        really.on("QMessageBox", [&asked](QWidget *w) {
            asked = ModalScript::text(w);
            ModalScript::clickButton(w, "删除");
        });
        run(node(Cash), TemplateCommands::DeleteItem, really);
        QVERIFY(asked.contains("没有已打印的票据"));
        QVERIFY(!node(Cash));
        // A class with a template left is not deleted; an empty one is.
        QString told;
        ModalScript notEmpty;
        notEmpty.on("QMessageBox", [&told](QWidget *w) {
            told = ModalScript::text(w);
            ModalScript::clickButton(w, "OK");
        });
        run(node({"支票", {}}), TemplateCommands::DeleteItem, notEmpty);
        QVERIFY2(told.contains("还有 1 个模板"), qPrintable(told));
        ModalScript last;
        last.click("QMessageBox", "删除");
        run(node(Cheque), TemplateCommands::DeleteItem, last);
        ModalScript empty;
        empty.click("QMessageBox", "删除");
        run(node({"支票", {}}), TemplateCommands::DeleteItem, empty);
        QVERIFY(!node({"支票", {}}));
        QVERIFY(!manager().findClass("支票"));
    }

    void refusedWhileDesigning()
    {
        f.selectSample();
        popup->DesignTemplate();
        QString told;
        ModalScript script;
        script.on("QMessageBox", [&told](QWidget *w) {
            told = ModalScript::text(w);
            ModalScript::clickButton(w, "OK");
        });
        run(node(Cheque), TemplateCommands::RenameItem, script);
        QVERIFY(told.contains("结束设计"));
        QVERIFY(node(Cheque));
        QCOMPARE(f.state->DesignMode, qint16(1));
    }

    void exportDeleteImportAgain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cheque.json");
        QString suggested;
        commands->chooseExportFile = [&](const QString &s) {
            suggested = s;
            return path;
        };
        commands->chooseImportFile = [&] { return path; };
        ModalScript exported;
        exported.click("QMessageBox", "OK");
        run(node(Cheque), TemplateCommands::ExportItem, exported);
        QVERIFY(suggested.endsWith("支票-转账支票.json"));
        QVERIFY(QFile::exists(path));
        ModalScript deleted;
        deleted.click("QMessageBox", "删除");
        run(node(Cheque), TemplateCommands::DeleteItem, deleted);
        QVERIFY(!node(Cheque));
        ModalScript imported; // nothing to ask: the name is free again
        run(nullptr, TemplateCommands::ImportItem, imported);
        QVERIFY(node(Cheque));
        QCOMPARE(f.state->SelectedBill.text, Cheque.templateName);
        QCOMPARE(f.win->statusBar()->currentMessage(), QStringLiteral("模板“支票/转账支票”已导入"));
        // Again: the name is taken, so a new one is asked for.
        ModalScript renamed;
        QString offered;
        renamed.on("NameDialog", [&offered](QWidget *w) {
            offered = static_cast<NameDialog *>(w)->name();
            QTest::keyClick(w->findChild<QLineEdit *>("nameEdit"), Qt::Key_Return);
        });
        run(nullptr, TemplateCommands::ImportItem, renamed);
        QCOMPARE(offered, QStringLiteral("转账支票 2"));
        QVERIFY(node({"支票", "转账支票 2"}));
        QCOMPARE(f.win->statusBar()->currentMessage(), QStringLiteral("模板“支票/转账支票 2”已导入"));
        // A broken file is refused with the reason; nothing changes.
        QFile broken(path);
        QVERIFY(broken.open(QIODevice::ReadWrite));
        QVERIFY(broken.resize(broken.size() / 2));
        broken.close();
        QString told;
        ModalScript refused;
        refused.on("QMessageBox", [&told](QWidget *w) {
            told = ModalScript::text(w);
            ModalScript::clickButton(w, "OK");
        });
        run(nullptr, TemplateCommands::ImportItem, refused);
        QVERIFY2(told.contains("cheque.json") && told.contains("不完整"), qPrintable(told));
        QCOMPARE(manager().templatesOf("支票").size(), 3);
    }
};

QTEST_MAIN(TestTemplateCommands)
#include "tst_templatecommands.moc"
