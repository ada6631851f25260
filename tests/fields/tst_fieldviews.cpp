// The field controls as views of a bill document: what the clerk types goes
// into the document, what the rules set shows in the controls, and a field
// that cannot print as it stands is marked.
#include "core/billdocument.h"
#include "core/billtemplate.h"
#include "fields/datectl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "../typing.h"
using typing::typeText;

namespace {

using Props = QList<QPair<int, QString>>;

// A bill of a few fields, each with a bound control on a shown host.
struct Bill {
    FieldRegistry registry;
    BillDocument doc;
    QWidget host;

    Bill()
    {
        registry.RegistryCtl(QStringLiteral("00000000"), {{0, QString(), QStringLiteral("票")}}, 0,
                             FieldRegistry::Add);
    }
    QString add(int kind, int index, const Props &props)
    {
        const QString key = FieldKey::make(registry.count(), kind, index);
        PropertyList list{{0, QString(), QStringLiteral("字段%1").arg(key)}};
        for (const auto &[k, v] : props)
            list.append({qint16(k), QString(), v});
        registry.RegistryCtl(key, list, 0, FieldRegistry::Add);
        return key;
    }
    void open()
    {
        doc.setTemplate(BillTemplate::fromRegistry(registry).value());
        host.resize(900, 300);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }
    template <class C>
    C *control(const QString &key)
    {
        auto *c = new C(&host);
        const TemplateField *f = doc.field(key);
        c->setGeometry(f->rect.left() / 15, f->rect.top() / 15, f->rect.width() / 15, f->rect.height() / 15);
        c->applyField(*f);
        c->bind(&doc, key);
        c->show();
        return c;
    }
};

Props textBox(int width, int height, int length = 100)
{
    return {{1, "0"}, {2, "0"}, {3, QString::number(width)}, {4, QString::number(height)}, {5, "12"},
            {6, QString::number(length)}, {11, ""}, {12, ""}, {13, ""}, {15, ""}, {16, ""}};
}

} // namespace

class TestFieldViews : public QObject {
    Q_OBJECT
private slots:
    void typingEditsTheDocument();
    void returnInOneLineFieldMovesOn();
    void returnInTallFieldBreaksTheLine();
    void textRunningPastItsBoxIsMarked();
    void screenBreaksWhereThePaperBreaks();
    void dateThatDoesNotExistIsMarked();
    void shortMonthWaitsForTwoDigits();
    void sumTooLongForTheColumnsIsMarked();
};

void TestFieldViews::typingEditsTheDocument()
{
    Bill bill;
    const QString a = bill.add(KindText, 1, textBox(4000, 300));
    const QString b = bill.add(KindText, 2, {{1, "0"}, {2, "400"}, {3, "4000"}, {4, "300"}, {6, "10"},
                                             {11, ""}, {12, a}, {13, a}, {15, ""}, {16, ""}});
    bill.open();
    auto *ta = bill.control<TextCtl>(a);
    auto *tb = bill.control<TextCtl>(b);
    QSignalSpy changed(tb, &TextCtl::TBChange);
    ta->TextBox()->setFocus();
    typeText(ta->TextBox(), QStringLiteral("上海浦江贸易"));
    QCOMPARE(bill.doc.text(a), QStringLiteral("上海浦江贸易"));
    // The overflow member receives the text through the document.
    QCOMPARE(tb->UserGetTextAll(), QStringLiteral("上海浦江贸易"));
    QVERIFY(changed.count() > 0);
    ta->UserSetTextBox(QStringLiteral("甲"));
    QCOMPARE(bill.doc.text(b), QStringLiteral("甲"));
}

void TestFieldViews::returnInOneLineFieldMovesOn()
{
    Bill bill;
    const QString purpose = bill.add(KindText, 1, textBox(3000, 300));
    const QString next = bill.add(KindText, 2, textBox(3000, 300));
    bill.open();
    auto *tp = bill.control<TextCtl>(purpose);
    auto *tn = bill.control<TextCtl>(next);
    QWidget::setTabOrder(tp->TextBox(), tn->TextBox());
    tp->TextBox()->setFocus();
    typeText(tp->TextBox(), QStringLiteral("货款"));
    QTest::keyClick(tp->TextBox(), Qt::Key_Return);
    typeText(QApplication::focusWidget(), QStringLiteral("X"));
    QCOMPARE(bill.doc.text(purpose), QStringLiteral("货款"));
    QCOMPARE(bill.doc.text(next), QStringLiteral("X"));
}

void TestFieldViews::returnInTallFieldBreaksTheLine()
{
    Bill bill;
    const QString address = bill.add(KindText, 1, textBox(3000, 1200));
    bill.open();
    auto *t = bill.control<TextCtl>(address);
    t->TextBox()->setFocus();
    typeText(t->TextBox(), QStringLiteral("北京市"));
    QTest::keyClick(t->TextBox(), Qt::Key_Return);
    typeText(t->TextBox(), QStringLiteral("海淀区"));
    QCOMPARE(bill.doc.text(address), QStringLiteral("北京市\n海淀区"));
    QCOMPARE(bill.doc.lines(address), (QStringList{"北京市", "海淀区"}));
    QStringList shown;
    QCOMPARE(t->UserGetTextBox(shown), 2);
}

void TestFieldViews::textRunningPastItsBoxIsMarked()
{
    Bill bill;
    const QString purpose = bill.add(KindText, 1, textBox(1500, 300));
    bill.open();
    auto *t = bill.control<TextCtl>(purpose);
    bill.doc.setText(purpose, QStringLiteral("办公用品采购款项"));
    QVERIFY(t->isOverflowing());
    QVERIFY(!t->problem().isEmpty());
    QWidget *mark = t->findChild<QWidget *>(QStringLiteral("ProblemMark"));
    QVERIFY(mark && mark->isVisible());
    bill.doc.setText(purpose, QStringLiteral("货款"));
    QVERIFY(t->problem().isEmpty());
    QVERIFY(!mark->isVisible());
}

// A nineteen-digit account fits the box in the printing font: one line on
// screen too, never a digit on a second line below the box.
void TestFieldViews::screenBreaksWhereThePaperBreaks()
{
    Bill bill;
    const QString account = bill.add(KindText, 1, {{1, "0"}, {2, "0"}, {3, "2268"}, {4, "312"}, {5, "9"},
                                                   {6, "22"}, {11, ""}, {12, ""}, {13, ""}, {15, ""}, {16, ""}});
    bill.open();
    auto *t = bill.control<TextCtl>(account);
    t->TextBox()->setFocus();
    typeText(t->TextBox(), QStringLiteral("6222021234567890123"));
    QCOMPARE(bill.doc.lines(account).size(), 1);
    QStringList shown;
    QCOMPARE(t->UserGetTextBox(shown), 1);
    QVERIFY(!t->TextBox()->document()->toRawText().contains(FieldTextBox::SoftBreak));
    QVERIFY(t->problem().isEmpty());
}

void TestFieldViews::dateThatDoesNotExistIsMarked()
{
    Bill bill;
    const QString date = bill.add(KindDate, 1, {{1, "0"}, {2, "0"}, {3, "3000"}, {4, "300"}, {5, "12"},
                                                {6, "8"}, {11, "04010501060107"}, {12, ""}});
    bill.open();
    auto *d = bill.control<DateCtl>(date);
    d->DateTextBoxCtl()->setFocus();
    typeText(d->DateTextBoxCtl(), QStringLiteral("20260230"));
    QCOMPARE(d->UserGetDateTextBox(), QStringLiteral("20260230"));
    QVERIFY(!d->problem().isEmpty());
    QTest::keyClick(d->DateTextBoxCtl(), Qt::Key_Backspace);
    QTest::keyClick(d->DateTextBoxCtl(), Qt::Key_Backspace);
    typeText(d->DateTextBoxCtl(), QStringLiteral("28"));
    QCOMPARE(d->UserGetDateTextBox(), QStringLiteral("2026年02月28日"));
    QVERIFY(d->problem().isEmpty());
}

void TestFieldViews::shortMonthWaitsForTwoDigits()
{
    Bill bill;
    const QString month = bill.add(KindDate, 1, {{1, "0"}, {2, "0"}, {3, "3000"}, {4, "300"}, {5, "12"},
                                                 {6, "2"}, {11, "02000004000000"}, {12, ""}});
    bill.open();
    auto *d = bill.control<DateCtl>(month);
    d->DateTextBoxCtl()->setFocus();
    typeText(d->DateTextBoxCtl(), QStringLiteral("12"));
    QCOMPARE(d->UserGetDateTextBox(), QStringLiteral("拾贰"));
}

void TestFieldViews::sumTooLongForTheColumnsIsMarked()
{
    Bill bill;
    const QString total = FieldKey::make(2, KindMoney, 1); // the second field
    const QString part = bill.add(KindText, 1, {{1, "0"}, {2, "0"}, {3, "3000"}, {4, "300"}, {6, "20"},
                                                {24, "1"}, {25, "1"}, {26, total}});
    bill.add(KindMoney, 1, {{1, "0"}, {2, "400"}, {3, "3000"}, {4, "300"}, {6, "1"}, {12, ""},
                            {20, "万"}, {36, "是"}});
    bill.open();
    auto *m = bill.control<MoneyCtl>(total);
    bill.doc.setText(part, QStringLiteral("100011.35"));
    QCOMPARE(m->UserGetMoneyNumber(), QStringLiteral("0000000"));
    QVERIFY(m->problem().contains(QStringLiteral("100011.35")));
    bill.doc.setText(part, QStringLiteral("11.35"));
    QCOMPARE(m->UserGetMoneyNumber(), QStringLiteral("0001135"));
    QVERIFY(m->problem().isEmpty());
}

QTEST_MAIN(TestFieldViews)
#include "tst_fieldviews.moc"
