// The tree's pop-up menu on the sample template: entering design, ending it
// with the save, the history columns and reopening, and a failing save.
#include "../workspace/designfixture.h"
#include "templates/treepopup.h"
#include "workspace/history.h"

#include <QAction>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QStringList storedRows(const AppState &st, const QString &table)
{
    QSqlQuery q(TemplateStore(st.DbConnection).database());
    q.exec(QStringLiteral("SELECT \"cKey\",\"cType\",\"cValue\" FROM %1 ORDER BY \"cKey\",\"cType\"")
               .arg(TemplateStore::quoteIdentifier(table)));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString() + '|' + q.value(1).toString() + '|' + q.value(2).toString();
    return rows;
}

QStringList historyColumns(const AppState &st)
{
    const QSqlRecord rec = TemplateStore(st.DbConnection)
                               .database()
                               .record(TemplateStore::historyTable(DesignFixture::Table));
    QStringList names;
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    return names;
}

bool exec(const AppState &st, const QString &sql)
{
    QSqlQuery q(TemplateStore(st.DbConnection).database());
    return q.exec(sql);
}
} // namespace

class TestTreePopup : public QObject {
    Q_OBJECT
    DesignFixture f;
    TreePopup *popup = nullptr;
    QList<StoreStatus> errors;

    void place(int kind, const QPoint &from, const QPoint &to)
    {
        f.state->CurrentTool = qint16(kind);
        f.design->DrawRect = {from.x(), from.y(), to.x(), to.y()};
        f.design->placing().PlaceOnRelease(to.x(), to.y());
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        popup = TreePopup::attach(*f.win, *f.design);
        errors.clear();
        popup->showError = [this](const StoreStatus &s) { errors << s; };
        f.selectSample();
    }
    void cleanup() { f.close(); }

    void designOpensTheTemplateInert()
    {
        emit f.win->popupItemClicked(TreePopup::DesignItem);
        QCOMPARE(f.state->DesignMode, qint16(1));
        QCOMPARE(f.state->CurrentTool, qint16(0));
        QCOMPARE(f.state->Registry.count(), 8);
        QVERIFY(!static_cast<TextCtl *>(f.control(3))->isLive());
        QVERIFY(f.frame(0)->isVisible()); // the bill is current
        QVERIFY(!f.frame(3)->isVisible());
        QCOMPARE(f.record(0).selected, qint16(1));
    }

    void designAgainKeepsTheCurrentField()
    {
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        QTest::mouseClick(f.control(3), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00307000"));
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00307000"));
        QVERIFY(f.frame(3)->isVisible());
        QVERIFY(!f.frame(0)->isVisible());
    }

    void otherItemsDoNothing_data()
    {
        QTest::addColumn<int>("item");
        for (int i : {0, 1, 2, 3, 4, 6, 8})
            QTest::newRow(qPrintable(QString::number(i))) << i;
    }
    void otherItemsDoNothing()
    {
        QFETCH(int, item);
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        f.design->NudgeFields(QStringLiteral("00307000"), 39, 2);
        const QString moved = f.record(3).value(1);
        popup->tvPopupMenuS_Click(item);
        QCOMPARE(f.state->DesignMode, qint16(1));
        QCOMPARE(f.record(3).value(1), moved);
        QCOMPARE(storedRows(*f.state, DesignFixture::Table).filter("00307000|1|").first(),
                 QStringLiteral("00307000|1|1700"));
    }

    void endDesignSavesAndReopens()
    {
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        f.win->mViewSub_Click(MDIMain::ViewToolBox);
        QVERIFY(f.state->IsWindowOpen("ToolBox"));
        f.design->NudgeFields(QStringLiteral("00307000"), 39, 2);
        QCOMPARE(f.record(3).value(1), QStringLiteral("1706"));
        QVERIFY(popup->EndDesign());
        QCOMPARE(f.state->DesignMode, qint16(0));
        QCOMPARE(f.state->CurrentTool, qint16(0));
        QVERIFY(!f.state->IsWindowOpen("ToolBox"));
        QCOMPARE(f.record(3).value(1), QStringLiteral("1706"));
        QCOMPARE(f.record(3).selected, qint16(0));
        QVERIFY(static_cast<TextCtl *>(f.control(3))->isLive());
        for (int s = 0; s < f.state->Registry.count(); ++s)
            QVERIFY(!f.frame(s)->isVisible());
        QCOMPARE(f.controlRect(f.control(3)).left(), 1706);
        const QStringList once = storedRows(*f.state, DesignFixture::Table);
        QVERIFY(once.contains(QStringLiteral("00307000|1|1706")));
        // Ending again, with no design open, does nothing.
        QVERIFY(!popup->EndDesign());
        QCOMPARE(storedRows(*f.state, DesignFixture::Table), once);
        QCOMPARE(f.state->Registry.count(), 8);
        QVERIFY(errors.isEmpty());
    }

    void newFieldsGetHistoryColumnsOnce()
    {
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        place(KindText, QPoint(300, 3000), QPoint(2000, 3300));
        place(KindMoney, QPoint(3000, 3000), QPoint(6000, 3400));
        place(KindLabel, QPoint(300, 3600), QPoint(2000, 3900));
        QCOMPARE(f.state->Registry.count(), 11);
        f.state->Registry.RegistryCtl(QStringLiteral("00307000"), {{0, {}, QStringLiteral("收款单位")}}, 1,
                                      FieldRegistry::Update);
        const QStringList before = historyColumns(*f.state);
        QVERIFY(popup->EndDesign());
        QVERIFY(errors.isEmpty());
        const QStringList after = historyColumns(*f.state);
        QCOMPARE(after.size(), before.size() + 2);
        QVERIFY(after.contains(QStringLiteral("00807002")));
        QVERIFY(after.contains(QStringLiteral("00908001")));
        QVERIFY(!after.contains(QStringLiteral("01004002")));
        const TemplateStore store(f.state->DbConnection);
        const QString h = TemplateStore::historyTable(DesignFixture::Table);
        QCOMPARE(store.columnDescription(h, QStringLiteral("00807002")), QStringLiteral("文本"));
        QCOMPARE(store.columnDescription(h, QStringLiteral("00908001")), QStringLiteral("金额"));
        QCOMPARE(store.columnDescription(h, QStringLiteral("00307000")), QStringLiteral("收款单位"));
        // Saving again adds nothing.
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        QVERIFY(popup->EndDesign());
        QCOMPARE(historyColumns(*f.state), after);
        QVERIFY(errors.isEmpty());
    }

    void columnPlan_data()
    {
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("statement");
        QTest::newRow("two new") << QList<int>{0, 7, 8} << QStringList{}
                                 << QStringList{"00107000", "00208000"}
                                 << "ALTER TABLE H_T ADD COLUMN 00107000 VARCHAR(200),00208000 VARCHAR(200);";
        QTest::newRow("one there") << QList<int>{0, 7, 8} << QStringList{"", "00107000"}
                                   << QStringList{"00208000"}
                                   << "ALTER TABLE H_T ADD COLUMN 00208000 VARCHAR(200);";
        QTest::newRow("label only") << QList<int>{0, 4} << QStringList{} << QStringList{} << "";
        QTest::newRow("all there") << QList<int>{0, 5, 6} << QStringList{"00105000", "00206000"}
                                   << QStringList{} << "";
    }
    void columnPlan()
    {
        QFETCH(QList<int>, kinds);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, added);
        QFETCH(QString, statement);
        FieldRegistry reg;
        for (int s = 0; s < kinds.size(); ++s)
            reg.RegistryCtl(FieldKey::make(s, kinds[s], 0), {{0, "n", QString("名%1").arg(s)}}, 0,
                            FieldRegistry::Add);
        const history::ColumnPlan plan = history::planColumns(reg, existing);
        QCOMPARE(plan.newColumns, added);
        QCOMPARE(plan.keys.size(), plan.names.size());
        QCOMPARE(history::alterStatement(QStringLiteral("T"), plan.newColumns), statement);
    }

    void errorText()
    {
        QCOMPARE(history::errorText(StoreStatus::failure(QStringLiteral("no such table"), 5)),
                 QStringLiteral("错误代码(5)\r\n错误描述:数据库操作没有完成（no such table）"));
    }

    void failingSaveKeepsDesignAndRows()
    {
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        const QStringList before = storedRows(*f.state, DesignFixture::Table);
        place(KindText, QPoint(300, 3000), QPoint(2000, 3300));
        QVERIFY(exec(*f.state, QStringLiteral("CREATE TRIGGER stop_save BEFORE INSERT ON \"%1\" "
                                              "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                                   .arg(DesignFixture::Table)));
        const QStringList columns = historyColumns(*f.state);
        QVERIFY(!popup->EndDesign());
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().message.contains(QStringLiteral("disk full")));
        QCOMPARE(f.state->DesignMode, qint16(1));
        QCOMPARE(f.state->Registry.count(), 9);
        QVERIFY(f.win->controls().texts.exists(2));
        QCOMPARE(storedRows(*f.state, DesignFixture::Table), before);
        QCOMPARE(historyColumns(*f.state), columns);
        // Once the store takes it again, the same design is saved.
        QVERIFY(exec(*f.state, QStringLiteral("DROP TRIGGER stop_save")));
        QVERIFY(popup->EndDesign());
        QCOMPARE(f.state->Registry.count(), 9);
    }

    void missingHistoryTableIsReported()
    {
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        QVERIFY(exec(*f.state, QStringLiteral("DROP TABLE \"H_%1\"").arg(DesignFixture::Table)));
        f.design->NudgeFields(QStringLiteral("00307000"), 40, 2);
        QVERIFY(popup->EndDesign());
        QCOMPARE(errors.size(), 1);
        QCOMPARE(f.state->DesignMode, qint16(0));
        QVERIFY(storedRows(*f.state, DesignFixture::Table).contains(QStringLiteral("00307000|2|1006")));
    }

    void endWithoutTemplateOnlyLeaves()
    {
        f.state->SelectedBill = TreeSelection();
        popup->tvPopupMenuS_Click(TreePopup::DesignItem);
        QCOMPARE(f.state->DesignMode, qint16(1));
        QVERIFY(f.state->Registry.isEmpty());
        popup->tvPopupMenuS_Click(TreePopup::EndDesignItem);
        QCOMPARE(f.state->DesignMode, qint16(0));
        QVERIFY(f.state->Registry.isEmpty());
        QVERIFY(errors.isEmpty());
    }
};

QTEST_MAIN(TestTreePopup)
#include "tst_treepopup.moc"
