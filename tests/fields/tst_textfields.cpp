#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "core/billrenderer.h"
#include "core/units.h"
#include "fields/textctl.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <functional>

using FieldFactory = std::function<FieldWidget *()>;
Q_DECLARE_METATYPE(FieldFactory)

class TestTextFields : public QObject
{
    Q_OBJECT
private slots:
    void wrappedTextComesBackAsDisplayed();
    void displayedLines_data();
    void displayedLines();
    void sum_data();
    void sum();
    void textChangeEvent();
    void checkValue_data();
    void checkValue();
    void textAlign_data();
    void textAlign();
    void captionsBecomeTooltips();
    void checkCaptionSide_data();
    void checkCaptionSide();
    void inertFieldsReportMouseAndKeys_data();
    void inertFieldsReportMouseAndKeys();
    void colours_data();
    void colours();
};

// Lines as the box itself lays them out on screen.
static QStringList screenLines(const QPlainTextEdit *box)
{
    QStringList lines;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
        const QTextLayout *layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QString line = b.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
            lines << line.remove(FieldTextBox::SoftBreak); // a soft break ends the line
        }
    }
    return lines;
}

void TestTextFields::wrappedTextComesBackAsDisplayed()
{
    TextCtl text;
    const QString payee = u"北京市海淀区中关村南大街甲十二号某某科技发展有限公司财务部"_qs;
    // Twelve characters a line in the printing font: the box breaks its
    // lines where the paper does.
    const double twelve = BillRenderer::textWidth(payee.left(12), 12);
    text.resize(units::twipsToPixels(qRound64(twelve)) + 1, 120);
    text.UserSetTextBox(payee);

    // Read before the field was ever shown, then as displayed.
    QStringList hidden;
    const int hiddenCount = text.UserGetTextBox(hidden);
    text.show();
    QVERIFY(QTest::qWaitForWindowExposed(&text));
    QStringList lines;
    const int count = text.UserGetTextBox(lines);

    QCOMPARE(count, 3);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.join(QString()), payee);
    QCOMPARE(lines, screenLines(text.TextBox()));
    QCOMPARE(hiddenCount, count);
    QCOMPARE(hidden, lines);
}

void TestTextFields::displayedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty box") << "" << QStringList{""};
    QTest::newRow("one short line") << "abc" << QStringList{"abc"};
    QTest::newRow("hard breaks and an empty line") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("trailing break") << "a\n" << QStringList{"a", ""};
    QTest::newRow("words wrap whole") << "aaaa bbbb cccc"
                                      << QStringList{"aaaa ", "bbbb ", "cccc"};
}

void TestTextFields::displayedLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    TextCtl field;
    // Wide enough for one short word and its space, not for two.
    const double width = BillRenderer::textWidth(QStringLiteral("aaaa bb"), 12);
    field.resize(units::twipsToPixels(qRound64(width)) + 1, 100);
    field.UserSetTextBox(text);
    QStringList got{"stale"};
    QCOMPARE(field.UserGetTextBox(got), int(lines.size()));
    QCOMPARE(got, lines);
}

void TestTextFields::sum_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("factor1");
    QTest::addColumn<QString>("factor2");
    QTest::addColumn<QString>("sum");
    QTest::newRow("all numeric") << "12.5" << "2" << "3" << "75";
    QTest::newRow("text not a number") << "abc" << "2" << "3" << "abc";
    QTest::newRow("factor not a number") << "12" << "2" << "x" << "12";
    QTest::newRow("empty factor") << "12" << "" << "3" << "12";
    QTest::newRow("empty text") << "" << "1" << "1" << "";
    QTest::newRow("number then letters") << "12abc" << "1" << "1" << "12abc";
    QTest::newRow("blanks around") << " 4 " << "2" << "0.5" << "4";
    QTest::newRow("negative") << "-2" << "3" << "1" << "-6";
    QTest::newRow("exponent") << "1e2" << "1" << "1" << "100";
    QTest::newRow("no binary noise") << "0.1" << "3" << "1" << "0.3";
    QTest::newRow("two points") << "1.2.3" << "1" << "1" << "1.2.3";
    QTest::newRow("thousands separator") << "1,234" << "1" << "1" << "1,234";
    QTest::newRow("infinity is not a number") << "inf" << "1" << "1" << "inf";
}

void TestTextFields::sum()
{
    QFETCH(QString, text);
    QFETCH(QString, factor1);
    QFETCH(QString, factor2);
    QFETCH(QString, sum);
    TextCtl field;
    field.UserSetTextBox(text);
    QCOMPARE(field.UserGetSum(factor1, factor2), sum);
}

void TestTextFields::textChangeEvent()
{
    TextCtl field;
    QSignalSpy spy(&field, &TextCtl::TBChange);
    QTest::keyClicks(field.TextBox(), QStringLiteral("ab"));
    QCOMPARE(spy.count(), 2);
    field.UserSetTextBox(QStringLiteral("ab"));
    QCOMPARE(spy.count(), 2);
    field.UserSetTextBox(QStringLiteral("payee"));
    QCOMPARE(spy.count(), 3);
    QCOMPARE(field.UserGetTextAll(), QStringLiteral("payee"));
    field.UserChrLen(6);
    QTest::keyClicks(field.TextBox(), QStringLiteral("xyz"));
    QCOMPARE(field.UserGetTextAll().size(), 6);
}

void TestTextFields::checkValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("tick mark") << u"√"_qs << true;
    QTest::newRow("one") << "1" << false;
    QTest::newRow("Y") << "Y" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("tick with blank") << u"√ "_qs << false;
}

void TestTextFields::checkValue()
{
    QFETCH(QString, value);
    QFETCH(bool, ticked);
    CheckCtl check;
    check.UserSetCheckValue(u"√"_qs);
    check.UserSetCheckValue(value);
    QCOMPARE(check.CheckBox()->isChecked(), ticked);
    QCOMPARE(check.UserGetCheckValue(), ticked ? u"√"_qs : QString());
}

void TestTextFields::textAlign_data()
{
    QTest::addColumn<QString>("align");
    QTest::addColumn<int>("expected");
    QTest::newRow("left") << u"左"_qs << int(Qt::AlignLeft);
    QTest::newRow("centre") << u"中"_qs << int(Qt::AlignHCenter);
    QTest::newRow("right") << u"右"_qs << int(Qt::AlignRight);
    // Anything else keeps the right alignment set first.
    QTest::newRow("English word") << "center" << int(Qt::AlignRight);
    QTest::newRow("two characters") << u"中间"_qs << int(Qt::AlignRight);
    QTest::newRow("empty") << "" << int(Qt::AlignRight);
}

void TestTextFields::textAlign()
{
    QFETCH(QString, align);
    QFETCH(int, expected);
    LabelCtl label;
    CheckCtl check;
    label.UserTextAlign(u"右"_qs);
    check.UserTextAlign(u"右"_qs);
    label.UserTextAlign(align);
    check.UserTextAlign(align);
    QCOMPARE(int(label.labelControl()->alignment() & Qt::AlignHorizontal_Mask), expected);
    QCOMPARE(int(check.CheckBox()->captionAlignment()), expected);
}

void TestTextFields::captionsBecomeTooltips()
{
    LabelCtl label;
    label.UserSetLabelCaption(u"收款人"_qs);
    QCOMPARE(label.UserGetLabelCaption(), u"收款人"_qs);
    QCOMPARE(label.toolTip(), u"收款人"_qs);
    CheckCtl check;
    check.UserSetCheckCaption(u"加急"_qs);
    QCOMPARE(check.UserGetCheckCaption(), u"加急"_qs);
    QCOMPARE(check.toolTip(), u"加急"_qs);
    TextCtl text;
    text.UserToolTip(QStringLiteral("payee"));
    QCOMPARE(text.TextBox()->toolTip(), QStringLiteral("payee"));
}

void TestTextFields::checkCaptionSide_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("captionLeft");
    QTest::newRow("0 caption left") << 0 << true;
    QTest::newRow("1 caption right") << 1 << false;
    QTest::newRow("5 counts as 0") << 5 << true;
    QTest::newRow("-1 counts as 0") << -1 << true;
}

void TestTextFields::checkCaptionSide()
{
    QFETCH(int, alignment);
    QFETCH(bool, captionLeft);
    CheckCtl check;
    QVERIFY(!check.CheckBox()->captionOnLeft());
    check.UserAlignment(alignment);
    QCOMPARE(check.CheckBox()->captionOnLeft(), captionLeft);
}

void TestTextFields::inertFieldsReportMouseAndKeys_data()
{
    QTest::addColumn<FieldFactory>("make");
    QTest::newRow("text") << FieldFactory([] { return new TextCtl; });
    QTest::newRow("label") << FieldFactory([] { return new LabelCtl; });
    QTest::newRow("check") << FieldFactory([] { return new CheckCtl; });
    QTest::newRow("date") << FieldFactory([] { return new DateCtl; });
}

static void setEnabledField(FieldWidget *w, bool on)
{
    if (auto *t = qobject_cast<TextCtl *>(w))
        t->UserEnabled(on);
    else if (auto *l = qobject_cast<LabelCtl *>(w))
        l->UserEnabled(on);
    else if (auto *c = qobject_cast<CheckCtl *>(w))
        c->UserEnabled(on);
    else if (auto *d = qobject_cast<DateCtl *>(w))
        d->UserEnabled(on);
}

void TestTextFields::inertFieldsReportMouseAndKeys()
{
    QFETCH(FieldFactory, make);
    QWidget surface;
    surface.resize(400, 200);
    FieldWidget *field = make();
    field->setParent(&surface);
    field->setGeometry(20, 20, 200, 40);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    QSignalSpy down(field, &FieldWidget::MouseDown);
    QSignalSpy up(field, &FieldWidget::MouseUp);
    QSignalSpy keys(field, &FieldWidget::KeyDown);
    QWidget *target = field->childAt(10, 6);

    // Live: the inner control takes the press (a label passes it on).
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(10, 6));
    const int livePresses = int(down.count());
    // Keys the live inner control leaves unused are not the field's own.
    QTest::keyClick(target, Qt::Key_Escape);
    QCOMPARE(keys.count(), 0);

    setEnabledField(field, false);
    QVERIFY(!field->isLive());
    // The inner control no longer stands in the way of the pointer.
    QCOMPARE(surface.childAt(30, 26), field);
    QTest::mousePress(field, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 6));
    QTest::mouseRelease(field, Qt::RightButton, Qt::ControlModifier, QPoint(12, 8));
    QCOMPARE(down.count(), livePresses + 1);
    QCOMPARE(down.last(), (QVariantList{qint16(1), qint16(1), 150, 90}));
    QCOMPARE(up.last(), (QVariantList{qint16(2), qint16(2), 180, 120}));

    field->setFocus();
    QTest::keyClick(field, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_7, Qt::KeypadModifier);
    // Shift goes down first and counts as a key of its own.
    QCOMPARE(keys.count(), 3);
    QCOMPARE(keys.at(0), (QVariantList{qint16(16), qint16(1)}));
    QCOMPARE(keys.at(1), (QVariantList{qint16(37), qint16(1)}));
    QCOMPARE(keys.at(2), (QVariantList{qint16(103), qint16(0)}));

    setEnabledField(field, true);
    QVERIFY(field->isLive());
    QVERIFY(field->findChildren<QWidget *>().constFirst()->isEnabled());
}

void TestTextFields::colours_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red in the low byte") << quint32(0x0000FF) << QColor(255, 0, 0);
    QTest::newRow("blue in the high byte") << quint32(0xFF0000) << QColor(0, 0, 255);
    QTest::newRow("window background") << quint32(0x80000005)
                                       << QApplication::palette().color(QPalette::Base);
    QTest::newRow("window text") << quint32(0x80000008)
                                 << QApplication::palette().color(QPalette::Text);
}

void TestTextFields::colours()
{
    QFETCH(quint32, value);
    QFETCH(QColor, colour);
    QCOMPARE(fields::oleColor(value), colour);
    TextCtl text;
    text.UserBackColor(value);
    QCOMPARE(text.TextBox()->palette().color(QPalette::Base), colour);
}

QTEST_MAIN(TestTextFields)
#include "tst_textfields.moc"
