// The transfer cheque of the default database filled in with the keyboard
// alone, as a clerk does it: the tree with arrows and Enter, the fields in
// Tab order, a pasted amount, Return in a one-line field; then printed to
// PDF from the preview, and what is on paper compared with the screen.
#include "core/appstate.h"
#include "core/database.h"
#include "fields/datectl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "print/printpreview.h"
#include "workspace/mdimain.h"
#include "workspace/templatetree.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QToolBar>
#include <QTemporaryDir>
#include <QtTest>

#include "../typing.h"
using typing::typeText;

namespace {

QWidget *focused() { return QApplication::focusWidget(); }

// The field key of the control that has the keys (the focus widget or one
// of its parents carries it).
QString focusedKey()
{
    for (QWidget *w = focused(); w; w = w->parentWidget())
        if (!w->property("Tag").toString().isEmpty())
            return w->property("Tag").toString();
    return {};
}

struct Word {
    double left;
    double top;
    QString text;
};

QList<Word> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"[\\d.]+\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(1).toDouble() * 20, m.captured(2).toDouble() * 20, m.captured(3)});
    }
    return words;
}

} // namespace

class TestKeyboardFill : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void chequeByKeyboardAlone();
    void todaysDateWhenOpened();
    void tabGoesRoundTheBill_data();
    void tabGoesRoundTheBill();
    void correctingATypedDate_data();
    void correctingATypedDate();
    void previewTakesTheKeys();
    void amountFieldsFollowTheAmount_data();
    void amountFieldsFollowTheAmount();

private:
    void openWithEnter(const QString &templateName);

    QTemporaryDir m_dir;
    AppState m_state;
    std::unique_ptr<MDIMain> m_win;
};

void TestKeyboardFill::initTestCase()
{
    QVERIFY(m_dir.isValid());
    StartUp(m_state, m_dir.filePath(QStringLiteral("DB/BillDB.db")), m_dir.path());
    QVERIFY2(m_state.DatabaseError.isEmpty(), qPrintable(m_state.DatabaseError));
    m_win = std::make_unique<MDIMain>(m_state);
    m_win->resize(1366, 768);
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
    // Without a window manager nothing activates the window: do it here.
    m_win->activateWindow();
    QApplication::setActiveWindow(m_win.get());
}

void TestKeyboardFill::cleanupTestCase()
{
    m_win.reset();
    CloseDatabase(m_state);
}

void TestKeyboardFill::chequeByKeyboardAlone()
{
    // The tree: arrows to the transfer cheque, Enter opens it.
    TemplateTree *tree = m_win->tree();
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0));
    for (int i = 0; i < 20 && tree->currentItem()->text(0) != QStringLiteral("支票"); ++i)
        QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Right); // opens the class
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("转账支票"));
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(m_state.Bill.isOpen());
    QCOMPARE(m_state.Bill.billTemplate().table(), QStringLiteral("支票_转账支票"));

    // The fields a clerk types into, in reading order; the amount in words,
    // the stub's copies are filled by the rules and are no Tab stops.
    QCOMPARE(focusedKey(), QStringLiteral("00606000"));
    typeText(focused(), QStringLiteral("20261207"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("00907001"));
    typeText(focused(), QStringLiteral("中国工商银行上海分行"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("01107002"));
    typeText(focused(), QStringLiteral("上海浦江贸易有限公司"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("01307003"));
    typeText(focused(), QStringLiteral("6222021234567890123"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("00307000"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("01508000"));
    auto *money = qobject_cast<MoneyCtl *>(focused());
    QVERIFY(money && money->isAmountTyping());
    QGuiApplication::clipboard()->setText(QStringLiteral("1,234.56"));
    QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("01907006"));
    typeText(focused(), QStringLiteral("货款"));
    // Return in a one-line field goes on to the next field.
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focusedKey(), QStringLiteral("02107007"));
    typeText(focused(), QStringLiteral("X"));

    const BillDocument &bill = m_state.Bill;
    QCOMPARE(bill.text(QStringLiteral("00606000")), QStringLiteral("贰零贰陆 壹拾贰 零柒 "));
    QCOMPARE(bill.text(QStringLiteral("00706001")), QStringLiteral("2026年12月07日"));
    QCOMPARE(bill.moneyNumber(QStringLiteral("01508000")), QStringLiteral("00000123456"));
    // The cheque prints "人民币" before the box: the words go in alone.
    QCOMPARE(bill.text(QStringLiteral("01607004")), QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分"));
    QCOMPARE(bill.text(QStringLiteral("01907006")), QStringLiteral("货款"));
    QCOMPARE(bill.text(QStringLiteral("02707010")), QStringLiteral("货款"));
    QCOMPARE(bill.text(QStringLiteral("02107007")), QStringLiteral("X"));
    // The account number stands on one line, on screen as on paper.
    QCOMPARE(bill.lines(QStringLiteral("01307003")), QStringList{QStringLiteral("6222021234567890123")});
    TextCtl *account = m_win->controls().texts.at(3);
    QVERIFY(!account->TextBox()->document()->toRawText().contains(FieldTextBox::SoftBreak));
    QVERIFY(account->problem().isEmpty());
    QVERIFY(bill.problems().isEmpty());

    if (qEnvironmentVariableIsSet("BILLPRINT_KEEP_TEST_OUTPUT"))
        m_win->grab().save(QDir::temp().filePath(QStringLiteral("keyboardfill.png")));

    // Printed from the preview into a PDF: every field's lines at its place.
    const QString pdf = m_dir.filePath(QStringLiteral("cheque.pdf"));
    auto *preview = new PrintPreview(m_state, m_win->centralWidget());
    QList<QString> messages;
    preview->setMessageSink([&](const QString &, const QString &text, bool) { messages << text; });
    preview->CmbPrintersC_Click(preview->CmbPrintersC()->count() - 1);
    preview->setPdfFileName(pdf);
    preview->CmdPrint_Click();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0)));
    const QList<Word> words = pdfWords(pdf);
    if (words.isEmpty())
        QSKIP("pdftotext is not installed");
    for (const TemplateField &f : bill.billTemplate().fields()) {
        if (f.kind != KindText || bill.text(f.key).isEmpty())
            continue;
        const QStringList lines = bill.lines(f.key);
        for (qsizetype k = 0; k < lines.size(); ++k) {
            bool found = false;
            for (const Word &w : words)
                found = found
                        || (lines.at(k).startsWith(w.text) && qAbs(w.left - f.rect.left()) < 15
                            && w.top >= f.rect.top() - 15);
            QVERIFY2(found, qPrintable(QStringLiteral("%1 line %2 \"%3\" not printed at its place")
                                           .arg(f.key).arg(k + 1).arg(lines.at(k))));
        }
    }
    if (qEnvironmentVariableIsSet("BILLPRINT_KEEP_TEST_OUTPUT"))
        QFile::copy(pdf, QDir::temp().filePath(QStringLiteral("keyboardfill.pdf")));
    delete preview;
}

// A bill opened for filling in shows today's date in the dates a clerk types
// (not in the stub's copy's own right: it follows); the setup menu turns it off.
void TestKeyboardFill::todaysDateWhenOpened()
{
    TemplateTree *tree = m_win->tree();
    auto open = [&] {
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->text(0) == QStringLiteral("现金支票"))
                tree->setCurrentItem(*it);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Return);
    };
    QAction *today = nullptr;
    for (QAction *a : m_win->menus().group(MenuHost::Setup).items)
        if (a->text() == MDIMain::TodaysDateCaption())
            today = a;
    QVERIFY(today && today->isCheckable() && today->isChecked());
    open();
    const QDate d = QDate::currentDate();
    QCOMPARE(m_state.Bill.text(QStringLiteral("00706001")), d.toString(QStringLiteral("yyyy年MM月dd日")));
    QVERIFY(!m_state.Bill.text(QStringLiteral("00606000")).isEmpty());
    today->trigger(); // off
    QVERIFY(!today->isChecked());
    open();
    QCOMPARE(m_state.Bill.text(QStringLiteral("00706001")), QString());
    today->trigger();
}

// Selects a template of the tree and opens it with Enter.
void TestKeyboardFill::openWithEnter(const QString &templateName)
{
    TemplateTree *tree = m_win->tree();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == templateName)
            tree->setCurrentItem(*it);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
}

// Tab goes through every field a clerk types, in reading order, and from the
// last one round to the first; Shift+Tab goes the same way back. Return in
// the last field goes round as Tab does, never into the tree (where another
// Return would open the template again and empty the bill).
void TestKeyboardFill::tabGoesRoundTheBill_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("stops");
    QTest::newRow("transfer cheque")
        << QStringLiteral("转账支票")
        << QStringList{"00606000", "00907001", "01107002", "01307003", "00307000", "01508000", "01907006", "02107007"};
    QTest::newRow("cash cheque")
        << QStringLiteral("现金支票")
        << QStringList{"00606000", "00907001", "01107002", "01307003", "00307000", "01508000", "01907006", "02107007"};
    QTest::newRow("general voucher")
        << QStringLiteral("通用凭证") << QStringList{"00106000", "00307000", "00608000", "00705000"};
    QTest::newRow("deposit slip")
        << QStringLiteral("进账单")
        << QStringList{"00206000", "00507000", "01207003", "00707001", "01407004", "00907002", "01607005",
                       "01808000", "02207008", "02407009", "02607010"};
    QTest::newRow("wire transfer")
        << QStringLiteral("电汇凭证")
        << QStringList{"00205000", "00305001", "00506000", "00807000", "01807005", "01007001", "02007006",
                       "01207002", "01307003", "02207007", "02307008", "01507004", "02507009", "02708000",
                       "03107012", "03307013"};
}

void TestKeyboardFill::tabGoesRoundTheBill()
{
    QFETCH(QString, name);
    QFETCH(QStringList, stops);
    openWithEnter(name);
    QCOMPARE(focusedKey(), stops.first());
    QStringList forward{focusedKey()};
    for (qsizetype i = 0; i < stops.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        forward << focusedKey();
    }
    const QStringList round = stops + QStringList{stops.first()};
    QCOMPARE(forward, round);
    QStringList backward{focusedKey()};
    for (qsizetype i = 0; i < stops.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward << focusedKey();
    }
    QStringList reversed{stops.first()};
    for (qsizetype i = stops.size() - 1; i >= 0; --i)
        reversed << stops.at(i);
    QCOMPARE(backward, reversed);
    // Return in the last field, when it is a one-line field.
    QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusedKey(), stops.last());
    auto *box = qobject_cast<FieldTextBox *>(focused());
    if (qobject_cast<QLineEdit *>(focused()) || (box && !box->acceptsReturn())) {
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(focusedKey(), stops.first());
    }
}

// A date shown in its style is corrected with Backspace as it was typed:
// the last digit goes and the digits come back, to be typed on; the stub's
// copy follows and never shows part of the style's words.
void TestKeyboardFill::correctingATypedDate_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stub");
    QTest::addColumn<bool>("incomplete");
    QTest::newRow("last digit retyped") << "20261215" << 1 << "6" << u"贰零贰陆 壹拾贰 壹拾陆 "_qs
                                        << u"2026年12月16日"_qs << false;
    QTest::newRow("last digit taken back") << "20261215" << 1 << "" << "2026121" << "2026121" << true;
    QTest::newRow("day retyped") << "20261215" << 2 << "09" << u"贰零贰陆 壹拾贰 零玖 "_qs << u"2026年12月09日"_qs
                                 << false;
    QTest::newRow("every digit taken back") << "20261215" << 8 << "" << "" << "" << false;
    QTest::newRow("digits not yet a date") << "202612" << 1 << "1" << "202611" << "202611" << true;
}

void TestKeyboardFill::correctingATypedDate()
{
    QFETCH(QString, first);
    QFETCH(int, backspaces);
    QFETCH(QString, then);
    QFETCH(QString, shown);
    QFETCH(QString, stub);
    QFETCH(bool, incomplete);
    openWithEnter(QStringLiteral("转账支票"));
    QCOMPARE(focusedKey(), QStringLiteral("00606000"));
    QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
    typeText(focused(), first);
    QTest::keyClick(focused(), Qt::Key_End);
    for (int i = 0; i < backspaces; ++i)
        QTest::keyClick(focused(), Qt::Key_Backspace);
    typeText(focused(), then);
    const BillDocument &bill = m_state.Bill;
    QCOMPARE(bill.text(QStringLiteral("00606000")), shown);
    QCOMPARE(m_win->controls().dates.at(0)->UserGetDateTextBox(), shown);
    QCOMPARE(bill.text(QStringLiteral("00706001")), stub);
    // A date short of digits is marked once the clerk moves on (not while
    // typing), and the bill will not print with it.
    DateCtl *date = m_win->controls().dates.at(0);
    QVERIFY(date->problem().isEmpty());
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(!date->problem().isEmpty(), incomplete);
    bool refused = false;
    for (const BillProblem &p : bill.problems())
        refused = refused || (p.key == QStringLiteral("00606000") && p.kind == BillProblem::IncompleteDate);
    QCOMPARE(refused, incomplete);
}

// While the preview is shown it has the keys: nothing the clerk types goes
// into the bill hidden under it, and Tab goes round the preview's controls.
void TestKeyboardFill::previewTakesTheKeys()
{
    // The toolbar's print command opens the preview, as in the program.
    const QMetaObject::Connection opens = connect(m_win.get(), &MDIMain::printRequested, this, [this] {
        PrintPreview::Open(m_state, m_win->centralWidget());
    });
    openWithEnter(QStringLiteral("进账单"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focusedKey(), QStringLiteral("00507000"));
    typeText(focused(), QStringLiteral("AAA"));
    QAction *print = nullptr;
    auto *bar = m_win->findChild<QToolBar *>();
    for (QAction *a : bar->actions())
        if (a->text() == QStringLiteral("打印"))
            print = a;
    QVERIFY(print);
    QTest::mouseClick(bar->widgetForAction(print), Qt::LeftButton);
    auto *preview = m_win->centralWidget()->findChild<PrintPreview *>();
    QVERIFY(preview && preview->isVisible());
    typeText(focused(), QStringLiteral("ZZZ"));
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        QVERIFY2(preview->isAncestorOf(focused()), qPrintable(focusedKey()));
    }
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY2(preview->isAncestorOf(focused()), qPrintable(focusedKey()));
    }
    QCOMPARE(m_state.Bill.text(QStringLiteral("00507000")), QStringLiteral("AAA"));
    QTest::mouseClick(preview->CmdCloseC(), Qt::LeftButton);
    disconnect(opens);
}

// The amount in words and the stub's amount show what the money field holds:
// clicked into, they take no typing (a cheque whose amounts disagree is void).
void TestKeyboardFill::amountFieldsFollowTheAmount_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("amount in words") << "01607004" << u"壹仟贰佰叁拾肆圆伍角陆分"_qs;
    QTest::newRow("stub amount") << "02507009" << u"￥1234.56"_qs;
}

void TestKeyboardFill::amountFieldsFollowTheAmount()
{
    QFETCH(QString, key);
    QFETCH(QString, shown);
    openWithEnter(QStringLiteral("转账支票"));
    while (focusedKey() != QStringLiteral("01508000"))
        QTest::keyClick(focused(), Qt::Key_Tab);
    typeText(focused(), QStringLiteral("1234.56"));
    TextCtl *field = nullptr;
    for (TextCtl *t : m_win->findChildren<TextCtl *>())
        if (t->fieldKey() == key)
            field = t;
    QVERIFY(field);
    QTest::mouseClick(field->TextBox()->viewport(), Qt::LeftButton);
    QTest::keyClick(field->TextBox(), Qt::Key_End);
    typeText(field->TextBox(), QStringLiteral("XYZ9"));
    QTest::keyClick(field->TextBox(), Qt::Key_Backspace);
    QCOMPARE(m_state.Bill.text(key), shown);
    QCOMPARE(field->TextBox()->text(), shown);
}

QTEST_MAIN(TestKeyboardFill)
#include "tst_keyboardfill.moc"
