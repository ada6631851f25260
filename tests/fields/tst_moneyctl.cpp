#include "core/units.h"
#include "fields/moneyctl.h"
#include "core/moneylayout.h"
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "../typing.h"
using typing::typeText;
#include <memory>

class TestMoneyCtl : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startBitColumnsAndTooltips();
    void singleColumn();
    void typingFillsColumnsRightToLeft();
    void keypadDigitsAdvance();
    void backspaceAndArrowsGoBack();
    void backspaceCorrectsTheLastDigit_data();
    void backspaceCorrectsTheLastDigit();
    void fastTypingKeepsTheOrder();
    void onlyDigitsEnterColumns();
    void pasteEntersAnAmount_data();
    void pasteEntersAnAmount();
    void tabEntryTakesTheWholeAmount_data();
    void tabEntryTakesTheWholeAmount();
    void lastColumnKeepsFocus();
    void focusSkipsHiddenColumns();
    void evenSpacing_data();
    void evenSpacing();
    void evenSpacingInField();
    void explicitPositions();
    void dragClamps_data();
    void dragClamps();
    void dragColumnWithMouse();
    void releaseRecordsPositionOutsideEditMode();
    void singleBoxReadsYuan();
    void setCountRefusesTooMany();
    void setTextAndClear();
    void editModeLocksButTakesDigits();
    void inertFieldForwardsMouseAndKeys();

private:
    MoneyCtl *makeField(const QString &startUnit, double widthTwips);
    void type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    int focusedColumn() const;

    std::unique_ptr<QWidget> m_host;
    MoneyCtl *m_field = nullptr;
};

void TestMoneyCtl::init()
{
    m_host = std::make_unique<QWidget>();
    m_host->resize(600, 200);
    m_field = new MoneyCtl(m_host.get());
}

void TestMoneyCtl::cleanup()
{
    m_host.reset();
    m_field = nullptr;
}

// A field with columns from `startUnit` down to 分, spread evenly and shown.
MoneyCtl *TestMoneyCtl::makeField(const QString &startUnit, double widthTwips)
{
    m_field->setFieldSizeTwips(widthTwips, 450);
    m_field->UserMoneyWidth(300);
    m_field->UserMoneyStartBit(startUnit);
    m_field->UserMoneySameSpace(true);
    m_host->show();
    m_host->activateWindow();
    if (!QTest::qWaitForWindowActive(m_host.get()))
        qWarning("host window not active");
    return m_field;
}

void TestMoneyCtl::type(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

int TestMoneyCtl::focusedColumn() const
{
    for (int i = 0; i < m_field->UserGetMoneyCount(); ++i)
        if (m_field->TxtCol(i)->hasFocus())
            return i;
    return -1;
}

void TestMoneyCtl::startBitColumnsAndTooltips()
{
    m_field->UserMoneyStartBit(QStringLiteral("亿"));
    QCOMPARE(m_field->UserGetMoneyCount(), 11);
    const QStringList tips = {"亿", "千万", "百万", "十万", "万", "千", "百", "十", "元", "角", "分"};
    for (int i = 0; i < 11; ++i) {
        QCOMPARE(m_field->TxtCol(i)->toolTip(), tips.at(i));
        QCOMPARE(m_field->LbCol(i)->toolTip(), QString::number(i));
    }
    QCOMPARE(m_field->TxtCol(11), nullptr);
    QCOMPARE(m_field->UserGetMoneyFengID(QStringLiteral("元")), 8);
    QCOMPARE(m_field->UserGetMoneyFengID(QStringLiteral("分")), 10);
    QCOMPARE(m_field->UserGetMoneyFengID(QStringLiteral("十亿")), -1);
    QCOMPARE(m_field->UserGetMoneyText().size(), 11);
    QCOMPARE(m_field->UserGetMoneyColX().size(), 11);

    // An unknown unit keeps the count.
    m_field->UserMoneyStartBit(QStringLiteral("元角"));
    QCOMPARE(m_field->UserGetMoneyCount(), 11);
}

void TestMoneyCtl::singleColumn()
{
    QCOMPARE(m_field->UserGetMoneyCount(), 1);
    QCOMPARE(m_field->TxtCol(0)->toolTip(), QStringLiteral("金额"));
    QCOMPARE(m_field->LbCol(0)->toolTip(), QStringLiteral("金额"));
    QCOMPARE(m_field->UserGetMoneyFengID(QStringLiteral("分")), 0);
    QCOMPARE(m_field->UserGetMoneyFengID(QStringLiteral("角")), -1);
    // Back to one column after many: the tooltips follow.
    m_field->UserMoneyStartBit(QStringLiteral("元"));
    QCOMPARE(m_field->LbCol(0)->toolTip(), QStringLiteral("0"));
    m_field->UserMoneyStartBit(QStringLiteral("分"));
    QCOMPARE(m_field->TxtCol(0)->toolTip(), QStringLiteral("金额"));
    QCOMPARE(m_field->LbCol(0)->toolTip(), QStringLiteral("金额"));
}

void TestMoneyCtl::typingFillsColumnsRightToLeft()
{
    makeField(QStringLiteral("亿"), 6000);
    QSignalSpy changes(m_field, &MoneyCtl::TChange);
    m_field->FocusColumn(5, false);
    QCOMPARE(focusedColumn(), 5);
    for (int key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6})
        type(key);
    QCOMPARE(focusedColumn(), 10); // the last column keeps the focus
    QCOMPARE(changes.count(), 6);
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("00000123456"));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分"));
    QCOMPARE(m_field->UserGetMoneyToEnglish(),
             QStringLiteral("One Thousand Two Hundred And Thirty-Four Dollars And Fifty-Six Cent Only"));
    QCOMPARE(m_field->UserGetMoneyText(),
             QStringList({"", "", "", "", "", "1", "2", "3", "4", "5", "6"}));
    // Typing over a filled column replaces its digit.
    m_field->FocusColumn(6, true);
    type(Qt::Key_9);
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("00000193456"));
    QCOMPARE(focusedColumn(), 7);
}

void TestMoneyCtl::keypadDigitsAdvance()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->FocusColumn(0, false);
    type(Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(m_field->TxtCol(0)->text(), QStringLiteral("7"));
    QCOMPARE(focusedColumn(), 1);
    type(Qt::Key_0, Qt::KeypadModifier);
    QCOMPARE(focusedColumn(), 2);
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("700"));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("柒圆整"));
}

void TestMoneyCtl::backspaceAndArrowsGoBack()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->UserSetMoneyText({"1", "2", ""});
    m_field->FocusColumn(2, false);
    type(Qt::Key_Backspace); // an empty column: back one, and that digit goes
    QCOMPARE(focusedColumn(), 1);
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"1", "", ""}));
    type(Qt::Key_Left); // caret at 0: back
    QCOMPARE(focusedColumn(), 0);
    QCOMPARE(m_field->TxtCol(0)->cursorPosition(), 1); // caret at the end
    type(Qt::Key_Right); // caret at the column's end: on to the next
    QCOMPARE(focusedColumn(), 1);
    type(Qt::Key_Backspace);
    QCOMPARE(focusedColumn(), 0);
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"", "", ""}));
}

// Backspace corrects the last digit typed: from the 千 column, 123456,
// Backspace, 7 is 1234.57.
void TestMoneyCtl::backspaceCorrectsTheLastDigit_data()
{
    QTest::addColumn<QString>("keys"); // digits; "<" is Backspace
    QTest::addColumn<QString>("number");
    QTest::newRow("last column") << "123456<7" << "00000123457";
    QTest::newRow("before the last column") << "12345<7" << "00000123470";
    QTest::newRow("two back") << "123456<<78" << "00000123478";
    QTest::newRow("nothing left") << "1<<<" << "00000000000";
}

void TestMoneyCtl::backspaceCorrectsTheLastDigit()
{
    QFETCH(QString, keys);
    QFETCH(QString, number);
    makeField(QStringLiteral("亿"), 5000);
    m_field->FocusColumn(m_field->UserGetMoneyFengID(QStringLiteral("千")), false);
    for (const QChar c : keys)
        type(c == u'<' ? int(Qt::Key_Backspace) : int(Qt::Key_0 + (c.unicode() - u'0')));
    QCOMPARE(m_field->UserGetMoneyNumber(), number);
}

// Keys typed quickly overlap (press 1, press 2, release 2, release 1): each
// digit is taken when its key goes down, in the order typed.
void TestMoneyCtl::fastTypingKeepsTheOrder()
{
    makeField(QStringLiteral("亿"), 5000);
    m_field->FocusColumn(m_field->UserGetMoneyFengID(QStringLiteral("千")), false);
    const QString digits = QStringLiteral("123456");
    for (int i = 0; i < digits.size(); i += 2) {
        const auto a = Qt::Key(Qt::Key_0 + digits.at(i).digitValue());
        const auto b = Qt::Key(Qt::Key_0 + digits.at(i + 1).digitValue());
        QWidget *first = QApplication::focusWidget();
        QTest::keyPress(first, a);
        QWidget *second = QApplication::focusWidget();
        QTest::keyPress(second, b);
        QTest::keyRelease(second, b);
        QTest::keyRelease(first, a);
    }
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("00000123456"));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分"));
}

// Full-width digits (a Chinese input method's) are digits; letters and
// other characters never appear in a column.
void TestMoneyCtl::onlyDigitsEnterColumns()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->FocusColumn(0, false);
    typeText(QApplication::focusWidget(), QStringLiteral("a"));
    typeText(QApplication::focusWidget(), QStringLiteral("-"));
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"", "", ""}));
    typeText(QApplication::focusWidget(), QStringLiteral("１"));
    typeText(QApplication::focusWidget(), QStringLiteral("２"));
    typeText(QApplication::focusWidget(), QStringLiteral("x"));
    typeText(QApplication::focusWidget(), QStringLiteral("３"));
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"1", "2", "3"}));
}

void TestMoneyCtl::pasteEntersAnAmount_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("number"); // empty: refused, the columns unchanged
    QTest::newRow("point") << "1234.56" << "00000123456";
    QTest::newRow("whole yuan") << "123456" << "00012345600";
    QTest::newRow("thousands") << "1,234.56" << "00000123456";
    QTest::newRow("sign") << "¥1234.56" << "00000123456";
    QTest::newRow("full-width sign and digits") << "￥１２３４.５" << "00000123450";
    QTest::newRow("text") << "一千元" << "";
    QTest::newRow("three decimals") << "1.234" << "";
    QTest::newRow("too long") << "1234567890.12" << "";
}

// Pasting an amount fills the columns right-aligned in one step.
void TestMoneyCtl::pasteEntersAnAmount()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, number);
    makeField(QStringLiteral("亿"), 5000);
    m_field->UserSetMoneyText(QStringList(10, QString()) << QStringLiteral("9"));
    QGuiApplication::clipboard()->setText(clipboard);
    m_field->FocusColumn(3, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_field->UserGetMoneyNumber(), number.isEmpty() ? QStringLiteral("00000000009") : number);
}

// Entered with Tab, the field takes the amount as a clerk types it and
// shows it right-aligned, yuan in 元 and fen in 分.
void TestMoneyCtl::tabEntryTakesTheWholeAmount_data()
{
    QTest::addColumn<QString>("keys"); // "<" is Backspace
    QTest::addColumn<QString>("number");
    QTest::newRow("whole yuan") << "1234" << "00000123400";
    QTest::newRow("with fen") << "1234.56" << "00000123456";
    QTest::newRow("corrected") << "1234.57<6" << "00000123456";
    QTest::newRow("jiao only") << ".5" << "00000000050";
    QTest::newRow("third decimal refused") << "1.234" << "00000000123";
    QTest::newRow("letters refused") << "12a3" << "00000012300";
}

void TestMoneyCtl::tabEntryTakesTheWholeAmount()
{
    QFETCH(QString, keys);
    QFETCH(QString, number);
    makeField(QStringLiteral("亿"), 5000);
    auto *before = new QLineEdit(m_host.get());
    before->show();
    QWidget::setTabOrder(before, m_field);
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QVERIFY(m_field->hasFocus());
    QVERIFY(m_field->isAmountTyping());
    for (const QChar c : keys) {
        if (c == u'<')
            QTest::keyClick(m_field, Qt::Key_Backspace);
        else
            typeText(m_field, QString(c));
    }
    QCOMPARE(m_field->UserGetMoneyNumber(), number);
    // A click on a column types column by column again.
    QTest::mouseClick(m_field->TxtCol(10), Qt::LeftButton);
    QVERIFY(!m_field->isAmountTyping());
}

void TestMoneyCtl::lastColumnKeepsFocus()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->FocusColumn(1, false);
    type(Qt::Key_Return);
    QCOMPARE(focusedColumn(), 2);
    type(Qt::Key_Return);
    QCOMPARE(focusedColumn(), 2);
    type(Qt::Key_5);
    QCOMPARE(focusedColumn(), 2);
    type(Qt::Key_Right);
    QCOMPARE(focusedColumn(), 2);
    QCOMPARE(m_field->TxtCol(2)->text(), QStringLiteral("5"));
}

void TestMoneyCtl::focusSkipsHiddenColumns()
{
    makeField(QStringLiteral("百"), 3000);
    m_field->TxtCol(2)->hide();
    m_field->FocusColumn(0, false);
    type(Qt::Key_4);
    QCOMPARE(focusedColumn(), 1);
    type(Qt::Key_Return);
    QCOMPARE(focusedColumn(), 3);
}

void TestMoneyCtl::evenSpacing_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("width");
    QTest::addColumn<QList<int>>("columnX");
    QTest::addColumn<QList<int>>("separatorX");
    // gap 149.5: 716.5 rounds to the even 716, each separator at left + 627.75.
    QTest::newRow("three") << 3 << 2000.0 << QList<int>{0, 716, 1433} << QList<int>{628, 1344, 2061};
    QTest::newRow("one") << 1 << 2000.0 << QList<int>{0} << QList<int>{0};
    // gap 0.5: column 1 at 567.5, the even 568; column 2 at 1135.
    QTest::newRow("halves up") << 3 << 1702.0 << QList<int>{0, 568, 1135}
                               << QList<int>{553, 1121, 1688};
    // Columns wider than the field overlap: a negative gap.
    QTest::newRow("crowded") << 2 << 1000.0 << QList<int>{0, 433} << QList<int>{486, 919};
}

void TestMoneyCtl::evenSpacing()
{
    QFETCH(int, count);
    QFETCH(double, width);
    QFETCH(QList<int>, columnX);
    QFETCH(QList<int>, separatorX);
    const moneylayout::Spacing s = moneylayout::evenSpacing(count, width, 567, 28);
    QCOMPARE(s.columnX, columnX);
    QCOMPARE(s.separatorX, separatorX);
}

void TestMoneyCtl::evenSpacingInField()
{
    m_host->show();
    m_field->setFieldSizeTwips(2000, 600);
    QVERIFY(m_field->UserSetMoneyCount(3));
    QVERIFY(m_field->SameSpacing());
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{0, 716, 1433}));
    QCOMPARE(m_field->SeparatorX(), (QList<int>{628, 1344, 2061}));
    QCOMPARE(m_field->TxtCol(1)->x(), units::twipsToPixels(716));
    QCOMPARE(m_field->TxtCol(1)->width(), units::twipsToPixels(567));
    QCOMPARE(m_field->LbCol(2)->x(), units::twipsToPixels(2061));
    // A resize spreads the columns again over the new width.
    m_field->resize(units::twipsToPixels(3000), 40);
    QCOMPARE(m_field->fieldSizeTwips().width(), 3000.0);
    QCOMPARE(m_field->UserGetMoneyColX().last(), 3000 - 567);
    QCOMPARE(m_field->TxtCol(0)->height(), 40);
}

void TestMoneyCtl::explicitPositions()
{
    m_field->setFieldSizeTwips(2000, 600);
    m_field->UserMoneyStartBit(QStringLiteral("元"));
    m_field->UserMoneySameSpace(false);
    m_field->UserMoneyColX({0, 700, 1500});
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{0, 700, 1500}));
    QCOMPARE(m_field->columnLeft(2), 1500);
    QCOMPARE(m_field->TxtCol(2)->x(), units::twipsToPixels(1500));
    // 567 + 52.5 and 1267 + 102.5, halves to even; the last separator stays.
    QCOMPARE(m_field->SeparatorX(), (QList<int>{620, 1370, 0}));
    QCOMPARE(m_field->separatorLeft(1), 1370);
    QCOMPARE(m_field->LbCol(1)->x(), units::twipsToPixels(1370));
    // Too short a list moves what it names; an empty one changes nothing.
    m_field->UserMoneyColX({100});
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{100, 700, 1500}));
    m_field->UserMoneyColX({});
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{100, 700, 1500}));
    // With even spacing on, the list gives way to the spreading.
    m_field->UserMoneySameSpace(true);
    m_field->UserMoneyColX({5, 6, 7});
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{0, 716, 1433}));
}

void TestMoneyCtl::dragClamps_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<int>("expected");
    const QList<int> three{0, 1000, 2000};
    // Column width 500, field width 3000.
    QTest::newRow("first, below 0") << 0 << -40 << three << 0;
    QTest::newRow("first, into next") << 0 << 800 << three << 500;
    QTest::newRow("first, free") << 0 << 300 << three << 300;
    QTest::newRow("only, beyond edge") << 0 << 2900 << QList<int>{0} << 2500;
    QTest::newRow("middle, into previous") << 1 << 200 << three << 500;
    QTest::newRow("middle, into next") << 1 << 1800 << three << 1500;
    QTest::newRow("last, into previous") << 2 << 1100 << three << 1500;
    QTest::newRow("last, beyond edge") << 2 << 2800 << three << 2500;
    // No room between the neighbours: the upper bound wins.
    QTest::newRow("squeezed") << 1 << 700 << QList<int>{0, 600, 900} << 400;
}

void TestMoneyCtl::dragClamps()
{
    QFETCH(int, index);
    QFETCH(int, wanted);
    QFETCH(QList<int>, lefts);
    QFETCH(int, expected);
    QCOMPARE(moneylayout::clampDrag(wanted, index, lefts, 500, 3000), expected);
}

void TestMoneyCtl::dragColumnWithMouse()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->UserMoneyWidth(567);
    m_field->UserMoneySameSpace(true); // gap 649.5: columns at 0, 1216, 2433
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{0, 1216, 2433}));
    m_field->UserEdit(true);
    QCOMPARE(m_field->TxtCol(1)->cursor().shape(), Qt::SizeHorCursor);
    QSignalSpy released(m_field, &MoneyCtl::TMouseUp);

    QLineEdit *column = m_field->TxtCol(1);
    QTest::mousePress(column, Qt::LeftButton, {}, QPoint(2, 5));
    QVERIFY(m_field->Dragging());
    QTest::mouseMove(column, QPoint(-200, 5)); // far left: stops at column 0's right edge
    QCOMPARE(m_field->columnLeft(1), 567);
    QCOMPARE(column->x(), units::twipsToPixels(567));
    QTest::mouseMove(column, QPoint(10, 5)); // 150 twips to the right
    QCOMPARE(m_field->columnLeft(1), 717);
    // Separators beside the column are centred in their gaps; SeparatorX is not.
    QCOMPARE(m_field->separatorLeft(0), moneylayout::centredSeparator(0, 717, 567, 28));
    QCOMPARE(m_field->separatorLeft(1), moneylayout::centredSeparator(717, 2433, 567, 28));
    QCOMPARE(m_field->SeparatorX().at(0), 878);
    QCOMPARE(m_field->UserGetMoneyColX().at(1), 1216);

    QTest::mouseRelease(column, Qt::LeftButton, {}, QPoint(3, 5));
    QVERIFY(!m_field->Dragging());
    QCOMPARE(m_field->UserGetMoneyColX(), (QList<int>{0, 717, 2433}));
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).value<qint16>(), qint16(1));
    QCOMPARE(released.at(0).at(2).toInt(), 45);
}

void TestMoneyCtl::releaseRecordsPositionOutsideEditMode()
{
    makeField(QStringLiteral("元"), 3000);
    QSignalSpy released(m_field, &MoneyCtl::TMouseUp);
    QLineEdit *column = m_field->TxtCol(2);
    QTest::mousePress(column, Qt::LeftButton, {}, QPoint(2, 5));
    QVERIFY(!m_field->Dragging()); // no dragging outside edit mode
    QTest::mouseMove(column, QPoint(-100, 5));
    QCOMPARE(m_field->columnLeft(2), m_field->UserGetMoneyColX().at(2));
    QTest::mouseRelease(column, Qt::LeftButton, {}, QPoint(2, 5));
    QCOMPARE(released.count(), 1);
}

void TestMoneyCtl::singleBoxReadsYuan()
{
    makeField(QStringLiteral("分"), 3000);
    m_field->UserChrLen(25);
    m_field->UserSetMoneyStyle(1);
    QCOMPARE(m_field->StyleCode(), 1);
    QCOMPARE(m_field->ColumnWidth(), 3000);
    QCOMPARE(m_field->TxtCol(0)->width(), units::twipsToPixels(3000));

    m_field->FocusColumn(0, false);
    QTest::keyClicks(m_field->TxtCol(0), QStringLiteral("1a00")); // a letter never goes in
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("100"));
    // A whole number in one box is yuan, in words as in figures.
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("壹佰圆整"));
    QCOMPARE(m_field->UserGetMoneyToEnglish(), QStringLiteral("One Hundred Dollars Only"));

    QTest::keyClicks(m_field->TxtCol(0), QStringLiteral(".00"));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("壹佰圆整"));
    QCOMPARE(m_field->UserGetMoneyToEnglish(), QStringLiteral("One Hundred Dollars Only"));

    // A third decimal is refused as it is typed.
    QTest::keyClicks(m_field->TxtCol(0), QStringLiteral("5"));
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("100.00"));
    // Seventeen digits before the point: no Chinese words, and a reason.
    m_field->UserSetMoneyText({QStringLiteral("12345678901234567.00")});
    QString error;
    QCOMPARE(m_field->UserGetMoneyToChinese(&error), QString());
    QVERIFY(!error.isEmpty());
}

void TestMoneyCtl::setCountRefusesTooMany()
{
    QVERIFY(m_field->UserSetMoneyCount(18));
    QCOMPARE(m_field->TxtCol(0)->toolTip(), QStringLiteral("千兆"));
    QString error;
    QVERIFY(!m_field->UserSetMoneyCount(19, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(m_field->UserGetMoneyCount(), 18);
    QVERIFY(m_field->UserSetMoneyCount(0)); // the reset to an empty field
    QCOMPARE(m_field->UserGetMoneyCount(), 1);
    QCOMPARE(m_field->TxtCol(1), nullptr);
}

void TestMoneyCtl::setTextAndClear()
{
    makeField(QStringLiteral("元"), 3000);
    QSignalSpy changes(m_field, &MoneyCtl::TChange);
    m_field->UserSetMoneyText({"1", "2", "3"});
    QCOMPARE(changes.count(), 3);
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"1", "2", "3"}));
    // The last two columns are cents in English as in Chinese.
    QCOMPARE(m_field->UserGetMoneyToEnglish(), QStringLiteral("One Dollars And Twenty-Three Cent Only"));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QStringLiteral("壹圆贰角叁分"));
    m_field->UserSetMoneyText({});
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"1", "2", "3"}));
    m_field->UserSetMoneyText({"", "x"}); // a non-digit counts as 0; missing texts empty
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"", "x", ""}));
    QCOMPARE(m_field->UserGetMoneyNumber(), QStringLiteral("000"));
    m_field->UserSetMoneyText({"4", "5", "6"});
    changes.clear();
    m_field->UserMoneyClear();
    QCOMPARE(changes.count(), 3);
    QCOMPARE(m_field->UserGetMoneyText(), QStringList({"", "", ""}));
    QCOMPARE(m_field->UserGetMoneyToChinese(), QString());
}

void TestMoneyCtl::editModeLocksButTakesDigits()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->UserEdit(true);
    QVERIFY(m_field->EditMode());
    QVERIFY(m_field->TxtCol(0)->isReadOnly());
    m_field->FocusColumn(0, false);
    type(Qt::Key_A); // locked: letters do not go in
    QCOMPARE(m_field->TxtCol(0)->text(), QString());
    type(Qt::Key_8); // digits still do
    QCOMPARE(m_field->TxtCol(0)->text(), QStringLiteral("8"));
    QCOMPARE(focusedColumn(), 1);

    m_field->UserEdit(false);
    QVERIFY(!m_field->TxtCol(0)->isReadOnly());
    QVERIFY(!m_field->TxtCol(0)->isEnabled()); // leaving edit mode leaves the field inert
    QCOMPARE(m_field->TxtCol(0)->cursor().shape(), Qt::IBeamCursor);
}

void TestMoneyCtl::inertFieldForwardsMouseAndKeys()
{
    makeField(QStringLiteral("元"), 3000);
    m_field->UserEnabled(false);
    QVERIFY(!m_field->TxtCol(1)->isEnabled());
    QVERIFY(!m_field->LbCol(1)->isEnabled());
    QSignalSpy down(m_field, &MoneyCtl::MouseDown);
    QSignalSpy up(m_field, &MoneyCtl::MouseUp);
    QSignalSpy typed(m_field, &MoneyCtl::TChange);

    // A press on a disabled column reaches the field, in the field's twips.
    QLineEdit *column = m_field->TxtCol(1);
    QTest::mousePress(column, Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 6));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).value<qint16>(), qint16(1));
    QCOMPARE(down.at(0).at(1).value<qint16>(), qint16(1));
    QCOMPARE(down.at(0).at(2).toInt(), int(units::pixelsToTwips(column->x() + 4)));
    QCOMPARE(down.at(0).at(3).toInt(), 90);
    QTest::mouseRelease(column, Qt::RightButton, Qt::ControlModifier, QPoint(4, 6));
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.at(0).at(0).value<qint16>(), qint16(2));
    QCOMPARE(up.at(0).at(1).value<qint16>(), qint16(2));

    QSignalSpy keys(m_field, &MoneyCtl::KeyDown);
    m_field->setFocus();
    QTest::keyClick(m_field, Qt::Key_Left);
    QTest::keyClick(m_field, Qt::Key_Down, Qt::ShiftModifier); // Shift goes down first
    QCOMPARE(keys.count(), 3);
    QCOMPARE(keys.at(0).at(0).value<qint16>(), qint16(37));
    QCOMPARE(keys.at(1).at(0).value<qint16>(), qint16(16));
    QCOMPARE(keys.at(2).at(0).value<qint16>(), qint16(40));
    QCOMPARE(keys.at(2).at(1).value<qint16>(), qint16(1));
    QCOMPARE(typed.count(), 0);
}

QTEST_MAIN(TestMoneyCtl)
#include "tst_moneyctl.moc"
