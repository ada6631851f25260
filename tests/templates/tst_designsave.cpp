// Ending a design on the shipped templates, as a person does it with the
// tree, its pop-up menu and the keys: the design goes to the template it
// came from, links survive a deletion, unsaved changes are never dropped
// without asking, and a cheque can be redesigned with the window alone.
#include "../workspace/designfixture.h"
#include "modalscript.h"
#include "app/toolbox.h"
#include "core/templatemanager.h"
#include "templates/treepopup.h"
#include "workspace/designundo.h"
#include "workspace/propertypanel.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QSqlQuery>
#include <QStatusBar>
#include <QUuid>

namespace {

const QString Cheques = QStringLiteral("支票");
const QString Transfer = QStringLiteral("转账支票");
const QString Cash = QStringLiteral("现金支票");
const QString TransferTable = QStringLiteral("支票_转账支票");
const QString CashTable = QStringLiteral("支票_现金支票");

// Every row of a template table, read on a connection of its own (so that
// it works after the window has closed its own).
QStringList storedRows(const QString &dbPath, const QString &table)
{
    QStringList rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT \"cKey\",\"cType\",\"cValue\" FROM \"%1\" ORDER BY \"cKey\",\"cType\"")
                       .arg(table));
            while (q.next())
                rows << q.value(0).toString() + '|' + q.value(1).toString() + '|' + q.value(2).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// `billprint fill` on the database: the text every field shows, by key.
QHash<QString, QString> fill(const QString &dbPath, const QString &bill, const QStringList &sets)
{
    QStringList args{QStringLiteral("fill"), QStringLiteral("--template"), bill, QStringLiteral("--db"), dbPath};
    for (const QString &s : sets)
        args << QStringLiteral("--set") << s;
    QProcess p;
    p.start(qEnvironmentVariable("BILLPRINT_EXE"), args);
    p.waitForFinished(60000);
    QHash<QString, QString> texts;
    const QJsonArray fields = QJsonDocument::fromJson(p.readAllStandardOutput()).object().value("fields").toArray();
    for (const QJsonValue &v : fields)
        texts.insert(v.toObject().value("key").toString(), v.toObject().value("text").toString());
    if (texts.isEmpty())
        qWarning("fill: %s", p.readAllStandardError().constData());
    return texts;
}

} // namespace

class TestDesignSave : public QObject {
    Q_OBJECT
    DesignFixture f;
    TreePopup *popup = nullptr;

    QMenu *menu() { return f.win->menus().group(MenuHost::Popup).menu; }

    // Right-clicks a node and clicks an item of the menu that opens; false
    // when the item is disabled (the menu is closed again then).
    bool choose(const QString &className, const QString &billName, int item)
    {
        QWidget *viewport = f.win->tree()->viewport();
        const QPoint at = f.nodePoint(f.node(className, billName));
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &e);
        if (!menu()->isVisible())
            return false;
        QAction *a = f.win->menus().item(MenuHost::Popup, item);
        const bool enabled = a->isEnabled();
        QTest::mouseClick(menu(), Qt::LeftButton, {}, menu()->actionGeometry(a).center());
        menu()->hide();
        return enabled;
    }
    void design(const QString &billName) { QVERIFY(choose(Cheques, billName, TreePopup::DesignItem)); }
    void endDesign(const QString &billName) { QVERIFY(choose(Cheques, billName, TreePopup::EndDesignItem)); }

    // A field of the surface clicked, then given the keyboard.
    QWidget *clickField(int slot)
    {
        QWidget *c = f.control(slot);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(4, 4));
        c->setFocus();
        return c;
    }
    void nudgeRight(int slot)
    {
        QWidget *c = clickField(slot);
        QTest::keyClick(c, Qt::Key_Right, Qt::ControlModifier);
    }
    int slotOf(const QString &name, int kind)
    {
        for (int s = 0; s <= f.state->Registry.lastSlot(); ++s)
            if (f.record(s).value(0) == name && f.record(s).kind == kind)
                return s;
        return -1;
    }
    QString db() const { return f.state->DatabasePath; }

    // Types into a line of the property panel: click, select all, type,
    // Return.
    void typeInPanel(int key, const QString &text)
    {
        auto *edit = qobject_cast<QLineEdit *>(f.design->panel()->editor(key));
        QVERIFY(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        ModalScript::type(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Goes down or up a closed list of the panel to the entry `text`.
    void chooseInPanel(int key, const QString &text)
    {
        auto *combo = qobject_cast<QComboBox *>(f.design->panel()->editor(key));
        QVERIFY(combo);
        const int target = combo->findText(text, Qt::MatchContains);
        QVERIFY2(target >= 0, qPrintable(text));
        combo->setFocus();
        while (combo->currentIndex() != target)
            QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        popup = TreePopup::attach(*f.win, *f.design);
        popup->showError = [](const StoreStatus &s) { QFAIL(qPrintable(s.message)); };
    }
    void cleanup() { f.close(); }

    void saveGoesToTheDesignedTemplate()
    {
        const QStringList cash = storedRows(db(), CashTable);
        design(Transfer);
        const int payee = slotOf(QStringLiteral("收款人"), KindText);
        const int left = f.record(payee).value(1).toInt();
        nudgeRight(payee);
        // Another template clicked in the tree, then the design ended on it.
        f.clickNode(Cheques, Cash);
        QCOMPARE(f.state->SelectedBill.text, Cash);
        endDesign(Cash);
        QCOMPARE(f.state->DesignMode, qint16(0));
        QCOMPARE(f.win->statusBar()->currentMessage(), QStringLiteral("模板“转账支票”已保存"));
        QCOMPARE(storedRows(db(), CashTable), cash);
        QVERIFY(storedRows(db(), TransferTable).contains(QStringLiteral("01107002|1|%1").arg(left + 6)));
        // The bill on the surface is the template designed.
        QCOMPARE(f.state->Bill.billTemplate().table(), TransferTable);
    }

    void endItemOnlyWhileDesigning()
    {
        const QStringList transfer = storedRows(db(), TransferTable);
        f.doubleClickNode(Cheques, Transfer);
        QVERIFY(f.state->Bill.isOpen());
        QVERIFY(!choose(Cheques, Transfer, TreePopup::EndDesignItem));
        emit f.win->popupItemClicked(TreePopup::EndDesignItem);
        QCOMPARE(storedRows(db(), TransferTable), transfer);
        design(Transfer);
        endDesign(Transfer); // enabled now
        QCOMPARE(f.state->DesignMode, qint16(0));
    }

    void rightClickSelectsBeforeTheMenu()
    {
        f.clickNode(QStringLiteral("通用票据"), QStringLiteral("通用凭证"));
        design(Cash); // a right click on the unselected cash cheque
        QCOMPARE(f.state->SelectedBill.text, Cash);
        QCOMPARE(popup->designedTable(), CashTable);
        QVERIFY(f.state->Registry.count() > 10);
        QVERIFY(f.win->surface()->isVisible());
    }

    void brokenTemplateIsNeverOverwritten_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason"); // what the box says when the design opens
        // A key the store cannot read, before every other: nothing is read,
        // and a save would have emptied the template.
        QTest::newRow("unreadable key first")
            << "INSERT INTO \"%1\" VALUES ('0000000','坏',0,'x')" << "\"0000000\"";
        // A field whose place is no number: the template cannot open whole.
        QTest::newRow("place not a number")
            << "UPDATE \"%1\" SET \"cValue\"='abc' WHERE \"cKey\"='01107002' AND \"cType\"=1" << "“abc”";
    }
    void brokenTemplateIsNeverOverwritten()
    {
        QFETCH(QString, damage);
        QSqlQuery q(TemplateStore(f.state->DbConnection).database());
        QVERIFY(q.exec(damage.arg(TransferTable)));
        const QStringList before = storedRows(db(), TransferTable);
        design(Transfer);
        // Opening says the template cannot open whole; ending the design says
        // nothing was saved.
        ModalScript script;
        QString said;
        const auto answer = [&said](QWidget *w) {
            said += ModalScript::text(w) + QLatin1Char('\n');
            ModalScript::clickButton(w, QStringLiteral("OK"));
        };
        script.on("QMessageBox", answer).on("QMessageBox", answer);
        endDesign(Transfer);
        QTRY_VERIFY(script.done());
        QVERIFY2(said.contains(QStringLiteral("没有保存")), qPrintable(said));
        QFETCH(QString, reason);
        QVERIFY2(said.contains(reason), qPrintable(said));
        QCOMPARE(storedRows(db(), TransferTable), before);
        QCOMPARE(f.state->DesignMode, qint16(0));
    }

    void deletingKeepsLinks()
    {
        if (qEnvironmentVariableIsEmpty("BILLPRINT_EXE"))
            QSKIP("no program to fill the bill with");
        design(Transfer);
        f.design->placing().confirm = [](const QString &) { return true; };
        const int words = slotOf(QStringLiteral("大写金额"), KindText);
        QWidget *extra = clickField(slotOf(QStringLiteral("附加信息"), KindText));
        QTest::keyClick(extra, Qt::Key_Delete);
        // In memory the links follow the money field's new key at once.
        const int money = slotOf(QStringLiteral("小写金额"), KindMoney);
        const QString moneyKey = f.state->Registry.keyOf(money);
        QCOMPARE(moneyKey, QStringLiteral("01408000"));
        QCOMPARE(f.record(words - 1).value(12), moneyKey);
        QCOMPARE(f.record(words - 1).value(13), moneyKey);
        QCOMPARE(f.record(words).value(13), f.state->Registry.keyOf(words - 1));
        endDesign(Transfer);
        // And so after the save: the cheque prints its amount in words and
        // the stub its amount.
        const QHash<QString, QString> texts = fill(db(), Cheques + '/' + Transfer, {moneyKey + "=1234.56"});
        const QString wordsKey = f.state->Registry.keyOf(slotOf(QStringLiteral("大写金额"), KindText));
        const QString stubKey = f.state->Registry.keyOf(slotOf(QStringLiteral("存根金额"), KindText));
        QVERIFY2(texts.value(wordsKey).endsWith(QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分")), qPrintable(texts.value(wordsKey)));
        QCOMPARE(texts.value(stubKey), QStringLiteral("￥1234.56"));
    }

    void redesignTheChequeWithTheWindow()
    {
        if (qEnvironmentVariableIsEmpty("BILLPRINT_EXE"))
            QSKIP("no program to fill the bill with");
        const QString name = QStringLiteral("大写金额三");
        design(Transfer);
        // A text field placed with the tool box, by a click on a free spot.
        f.win->menus().item(MenuHost::View, MDIMain::ViewToolBox)->trigger();
        f.win->toolBox()->button(KindText)->trigger();
        QTest::mouseClick(f.win->surface(), Qt::LeftButton, {}, QPoint(300, 200));
        const int added = f.state->Registry.lastSlot();
        QCOMPARE(f.record(added).kind, qint16(KindText));
        QCOMPARE(f.design->panel()->slot(), added);
        // Named, and made the second member of the amount in words.
        typeInPanel(0, name);
        chooseInPanel(11, QStringLiteral("中文大写"));
        chooseInPanel(12, QStringLiteral("小写金额"));
        chooseInPanel(13, QStringLiteral("大写金额"));
        QCOMPARE(f.record(added).value(0), name);
        const int second = slotOf(QStringLiteral("大写金额续"), KindText);
        clickField(second);
        chooseInPanel(13, name);
        const QString addedKey = f.state->Registry.keyOf(added);
        QCOMPARE(f.record(second).value(13), addedKey);
        // Undo and redo the last link.
        QTest::keyClick(f.win.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.record(second).value(13), f.state->Registry.keyOf(slotOf(QStringLiteral("大写金额"), KindText)));
        QTest::keyClick(f.win.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.record(second).value(13), addedKey);
        endDesign(Transfer);
        // Opened again, the field is there as designed.
        design(Transfer);
        const int again = slotOf(name, KindText);
        QVERIFY(again > 0);
        QCOMPARE(f.record(again).value(11), QStringLiteral("0102"));
        endDesign(Transfer);
        const QString money = f.state->Registry.keyOf(slotOf(QStringLiteral("小写金额"), KindMoney));
        const QHash<QString, QString> texts = fill(db(), Cheques + '/' + Transfer, {money + "=123456789.12"});
        const QString first = texts.value(f.state->Registry.keyOf(slotOf(QStringLiteral("大写金额"), KindText)));
        const QString mine = texts.value(f.state->Registry.keyOf(slotOf(name, KindText)));
        QCOMPARE(first.size(), 16);
        QVERIFY2(!mine.isEmpty(), qPrintable(first));
        QVERIFY((first + mine).endsWith(QStringLiteral("壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆壹角贰分")));
        QCOMPARE(texts.value(f.state->Registry.keyOf(slotOf(QStringLiteral("大写金额续"), KindText))), QString());
    }

    void unsavedChangesAsk_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("answer");
        for (const char *trigger : {"design again", "double click", "close", "exit button"})
            for (const char *answer : {"保存", "不保存", "取消"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(trigger, answer))) << trigger << answer;
    }
    void unsavedChangesAsk()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, answer);
        const QString path = db(); // the window forgets it when it closes
        design(Transfer);
        const int payee = slotOf(QStringLiteral("收款人"), KindText);
        const QString moved = QStringLiteral("01107002|1|%1").arg(f.record(payee).value(1).toInt() + 6);
        nudgeRight(payee);
        ModalScript script;
        QString asked;
        script.on("SaveDesignBox", [&](QWidget *w) {
            asked = ModalScript::text(w);
            ModalScript::clickButton(w, answer);
        });
        if (trigger == "design again")
            design(Transfer);
        else if (trigger == "double click")
            f.doubleClickNode(Cheques, Cash);
        else if (trigger == "close")
            f.win->close();
        else
            ToolBarCls::button(f.win->toolBarCtl(), 2)->trigger();
        QTRY_VERIFY(script.done());
        QVERIFY(script.problems().isEmpty());
        QCOMPARE(asked, QStringLiteral("保存对模板的修改吗？"));
        QCOMPARE(storedRows(path, TransferTable).contains(moved), answer == "保存");
        const bool cancelled = answer == "取消";
        const bool closing = trigger == "close" || trigger == "exit button";
        QCOMPARE(f.win->isVisible(), cancelled || !closing);
        if (cancelled) { // the design and its change stay
            QCOMPARE(f.state->DesignMode, qint16(1));
            QCOMPARE(f.record(payee).value(1), moved.section('|', 2));
            return;
        }
        if (trigger == "double click") {
            QCOMPARE(f.state->DesignMode, qint16(0));
            QCOMPARE(f.state->Bill.billTemplate().table(), CashTable);
        }
    }

    // Two windows design the cheque; the second saves first. The first save
    // then asks, and each answer keeps what it says.
    void saveAfterAnotherSaveAsks_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("overwrite") << "覆盖";
        QTest::newRow("save as a copy") << "另存为副本";
        QTest::newRow("cancel") << "取消";
    }
    void saveAfterAnotherSaveAsks()
    {
        QFETCH(QString, answer);
        design(Transfer);
        const int payee = slotOf(QStringLiteral("收款人"), KindText);
        const int left = f.record(payee).value(1).toInt();
        nudgeRight(payee); // +6 here

        // The other window: same database, its own connection and state.
        AppState otherState;
        StartUp(otherState, db(), f.dir->path());
        QVERIFY2(otherState.DatabaseError.isEmpty(), qPrintable(otherState.DatabaseError));
        {
            MDIMain other(otherState);
            DesignMode *otherDesign = DesignMode::attach(other);
            TreePopup *otherPopup = TreePopup::attach(other, *otherDesign);
            other.resize(1100, 700);
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            QTreeWidgetItem *cheques = nullptr;
            for (int i = 0; i < other.tree()->topLevelItemCount(); ++i)
                if (other.tree()->topLevelItem(i)->text(0) == Cheques)
                    cheques = other.tree()->topLevelItem(i);
            QVERIFY(cheques);
            cheques->setExpanded(true);
            for (int j = 0; j < cheques->childCount(); ++j)
                if (cheques->child(j)->text(0) == Transfer)
                    other.tree()->setCurrentItem(cheques->child(j));
            other.TreeViewCtl_NodeClick();
            otherPopup->DesignTemplate();
            QCOMPARE(otherPopup->designedTable(), TransferTable);
            // The other designer moves the payee far to the right.
            QVERIFY(otherState.Registry.setEntry(payee, 1, QStringLiteral("左"), QString::number(left + 600)));
            QVERIFY(otherPopup->EndDesign());
        }
        CloseDatabase(otherState);
        const QStringList theirs = storedRows(db(), TransferTable);
        QVERIFY(theirs.contains(QStringLiteral("01107002|1|%1").arg(left + 600)));

        ModalScript script;
        QString asked;
        script.on("DesignConflictBox", [&](QWidget *w) {
            asked = ModalScript::text(w);
            ModalScript::clickButton(w, answer);
        });
        endDesign(Transfer);
        QTRY_VERIFY(script.done());
        QVERIFY2(asked.contains(QStringLiteral("已被别人修改")), qPrintable(asked));
        const QString mine = QStringLiteral("01107002|1|%1").arg(left + 6);
        const QString copyTable = TransferTable + QStringLiteral(" 副本");
        if (answer == QStringLiteral("覆盖")) {
            QVERIFY(storedRows(db(), TransferTable).contains(mine));
            QCOMPARE(f.state->DesignMode, qint16(0));
        } else if (answer == QStringLiteral("另存为副本")) {
            QCOMPARE(storedRows(db(), TransferTable), theirs);
            QVERIFY(storedRows(db(), copyTable).contains(mine));
            QVERIFY(f.node(Cheques, Transfer + QStringLiteral(" 副本")));
            QCOMPARE(f.state->DesignMode, qint16(0));
            QCOMPARE(f.state->Bill.billTemplate().table(), copyTable);
        } else {
            QCOMPARE(storedRows(db(), TransferTable), theirs);
            QCOMPARE(f.state->DesignMode, qint16(1)); // still designing, nothing lost
            QCOMPARE(f.record(payee).value(1).toInt(), left + 6);
            // Saving again asks again: the other save is still unseen.
            ModalScript again;
            again.click("DesignConflictBox", QStringLiteral("覆盖"));
            endDesign(Transfer);
            QTRY_VERIFY(again.done());
            QVERIFY(storedRows(db(), TransferTable).contains(mine));
        }
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join('\n')));
    }

    void saveAfterTheTemplateWentElsewhere_data()
    {
        QTest::addColumn<QString>("renamedTo"); // empty: deleted
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("savedAs"); // empty: nothing saved
        QTest::newRow("deleted, save") << QString() << "存为新模板" << Transfer;
        QTest::newRow("deleted, cancel") << QString() << "取消" << QString();
        QTest::newRow("renamed, save") << QStringLiteral("转账支票（旧）") << "存为新模板" << Transfer;
    }
    // The template being designed was renamed or deleted on another
    // workstation: ending the design offers to keep it as a new template
    // instead of only refusing to save (which left nothing but dropping
    // the work).
    void saveAfterTheTemplateWentElsewhere()
    {
        QFETCH(QString, renamedTo);
        QFETCH(QString, answer);
        QFETCH(QString, savedAs);
        design(Transfer);
        const int payee = slotOf(QStringLiteral("收款人"), KindText);
        const QString mine = QStringLiteral("01107002|1|%1").arg(f.record(payee).value(1).toInt() + 6);
        nudgeRight(payee);
        {
            AppState other;
            QCOMPARE(OpenDatabase(other, db()), 0);
            const TemplateManager m(other.DbConnection);
            const TemplateRef transfer{Cheques, Transfer};
            QVERIFY(renamedTo.isEmpty() ? m.deleteTemplate(transfer, TemplateManager::Removal::DropAll).ok()
                                        : m.renameTemplate(transfer, renamedTo).ok());
            CloseDatabase(other);
        }
        ModalScript script;
        QString asked;
        script.on("DesignGoneBox", [&](QWidget *w) {
            asked = ModalScript::text(w);
            ModalScript::clickButton(w, answer);
        });
        endDesign(Transfer);
        QTRY_VERIFY(script.done());
        QVERIFY(script.problems().isEmpty());
        QVERIFY2(asked.contains(QStringLiteral("已不在数据库中")), qPrintable(asked));
        if (savedAs.isEmpty()) { // the design stays, nothing is written
            QCOMPARE(f.state->DesignMode, qint16(1));
            QVERIFY(f.design->history().isModified());
            QCOMPARE(storedRows(db(), TransferTable), QStringList());
            return;
        }
        QVERIFY2(asked.contains(QStringLiteral("“支票/%1”").arg(savedAs)), qPrintable(asked));
        QCOMPARE(f.state->DesignMode, qint16(0));
        const QString table = Cheques + QLatin1Char('_') + savedAs;
        QVERIFY(storedRows(db(), table).contains(mine));
        QCOMPARE(f.state->Bill.billTemplate().table(), table);
        QVERIFY(f.node(Cheques, savedAs));
        QCOMPARE(f.win->statusBar()->currentMessage(), QStringLiteral("模板“%1”已保存").arg(savedAs));
        // It opens for design and saves again like any other.
        design(savedAs);
        nudgeRight(payee);
        endDesign(savedAs);
        QCOMPARE(f.state->DesignMode, qint16(0));
    }

    // Another workstation renames or deletes the cash cheque after this
    // tree listed it: designing it says so, leaves design mode alone and
    // shows the tree as it is now.
    void designOfATemplateGoneElsewhere_data()
    {
        QTest::addColumn<QString>("renamedTo"); // empty: deleted
        QTest::newRow("renamed") << QStringLiteral("现金支票（新）");
        QTest::newRow("deleted") << QString();
    }
    void designOfATemplateGoneElsewhere()
    {
        QFETCH(QString, renamedTo);
        f.doubleClickNode(Cheques, Transfer);
        {
            AppState other;
            QCOMPARE(OpenDatabase(other, db()), 0);
            const TemplateManager m(other.DbConnection);
            const TemplateRef cash{Cheques, Cash};
            QVERIFY(renamedTo.isEmpty() ? m.deleteTemplate(cash, TemplateManager::Removal::DropAll).ok()
                                        : m.renameTemplate(cash, renamedTo).ok());
            CloseDatabase(other);
        }
        ModalScript script;
        QString said;
        script.on("QMessageBox", [&](QWidget *w) {
            said = ModalScript::text(w);
            w->close();
        });
        QVERIFY(choose(Cheques, Cash, TreePopup::DesignItem));
        QTRY_VERIFY(script.done());
        QVERIFY(script.problems().isEmpty());
        QVERIFY2(said.startsWith(QStringLiteral("模板“支票_现金支票”已不在数据库中")), qPrintable(said));
        QCOMPARE(f.state->DesignMode, qint16(0));
        QCOMPARE(popup->designedTable(), QString());
        QVERIFY(!f.node(Cheques, Cash));
        if (!renamedTo.isEmpty())
            QVERIFY(f.node(Cheques, renamedTo));
        QVERIFY(!choose(Cheques, Transfer, TreePopup::EndDesignItem));
    }

    void noQuestionWithoutChanges()
    {
        design(Transfer);
        clickField(slotOf(QStringLiteral("收款人"), KindText)); // a click changes nothing
        ModalScript script; // no box expected
        design(Transfer);
        f.doubleClickNode(Cheques, Cash);
        QTest::qWait(100);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems().join('\n')));
        QCOMPARE(f.state->Bill.billTemplate().table(), CashTable);
    }
};

QTEST_MAIN(TestDesignSave)
#include "tst_designsave.moc"
