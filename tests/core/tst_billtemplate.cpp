// The template's lookups by key and by slot, and which fields show an
// amount, against plain walks of the field list, on every shipped template.
#include "testbackend.h"
#include "core/batch.h"
#include "core/templatestore.h"

#include <QtTest>

namespace {

// What the lookups must give, found by walking the fields.
int plainIndexOfKey(const BillTemplate &t, const QString &key)
{
    for (qsizetype i = 0; i < t.fields().size(); ++i)
        if (t.fields().at(i).key == key)
            return int(i);
    return -1;
}

bool plainShowsAmount(const BillTemplate &t, const TemplateField &f)
{
    if (f.kind != KindText && f.kind != KindMoney)
        return false;
    const QString source = f.source ? f.source->trimmed() : QString();
    if (f.kind == KindMoney && !source.isEmpty())
        return true;
    if (f.kind == KindText && source.size() == 8 && source.mid(3, 2) == QLatin1String("08"))
        return true;
    for (const TemplateField &g : t.fields()) {
        const QString target = g.sumTarget ? g.sumTarget->trimmed() : QString();
        if (target.size() == 8 && target.mid(3, 2).toInt() == f.kind && target.right(3).toInt() == f.index)
            return true;
    }
    return false;
}

} // namespace

class TestBillTemplate : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;

private slots:
    void initTestCase() { OPEN_FRESH_STORE(m_state, m_dir, 1); }

    void lookupsAgreeWithTheFieldList()
    {
        QList<ClassRow> classes;
        QList<BillRow> bills;
        const TemplateStore store(m_state.DbConnection);
        QVERIFY(store.listClasses(classes).ok());
        QVERIFY(store.listBills(bills).ok());
        int checked = 0;
        for (const BillRow &b : bills)
            for (const ClassRow &c : classes) {
                if (c.cKey != b.cKey)
                    continue;
                const Result<BillTemplate> t = batch::loadTemplate(m_state.DbConnection, {c.cName, b.bName});
                QVERIFY2(t.ok(), qPrintable(t.message()));
                for (const TemplateField &f : t->fields()) {
                    QCOMPARE(t->indexOfKey(f.key), plainIndexOfKey(*t, f.key));
                    QCOMPARE(t->field(f.key), &t->fields().at(plainIndexOfKey(*t, f.key)));
                    QCOMPARE(t->atSlot(f.slot)->slot, f.slot);
                    QCOMPARE(t->showsAmount(f), plainShowsAmount(*t, f));
                    ++checked;
                }
                QCOMPARE(t->indexOfKey(QStringLiteral("99999999")), -1);
                QCOMPARE(t->atSlot(-1), nullptr);
                // A copy looks up as the original does.
                const BillTemplate copy = *t;
                if (!copy.fields().isEmpty())
                    QCOMPARE(copy.field(copy.fields().last().key), &copy.fields().last());
            }
        QVERIFY(checked > 50);
        QCOMPARE(BillTemplate().indexOfKey(QStringLiteral("00107001")), -1);
    }

    void cleanupTestCase() { CloseDatabase(m_state); }
};

QTEST_MAIN(TestBillTemplate)
#include "tst_billtemplate.moc"
