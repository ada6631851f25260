// The property panel beside the bill in design mode: what it shows for the
// field clicked, values typed and chosen in it (millimetres to exact twips,
// date styles with an example, links by name, printing switched off,
// colours), refusals, and every edit one undo step shown at once.
#include "designfixture.h"
#include "core/billentry.h"
#include "core/printitems.h"
#include "../templates/modalscript.h"
#include "workspace/designundo.h"
#include "workspace/propertypanel.h"
#include "workspace/propertyvalues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

using namespace propertyvalues;

namespace {
constexpr int TextSlot = 3;  // 1700, 1000, 5200 x 330
constexpr int DateSlot = 1;
constexpr int MoneySlot = 6;
} // namespace

class TestPropertyPanel : public QObject {
    Q_OBJECT
    DesignFixture f;

    PropertyPanel *panel() { return f.design->panel(); }
    template <class W>
    W *editor(int key)
    {
        return qobject_cast<W *>(panel()->editor(key));
    }
    void clickField(int slot) { QTest::mouseClick(f.control(slot), Qt::LeftButton, {}, QPoint(4, 4)); }
    // Types into a line of the panel as a person does: click, select all,
    // type, Return.
    void type(int key, const QString &text)
    {
        QLineEdit *edit = editor<QLineEdit>(key);
        QVERIFY(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        ModalScript::type(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // Moves a closed list to the entry whose text contains `text` with the
    // arrow keys.
    void choose(int key, const QString &text)
    {
        QComboBox *combo = editor<QComboBox>(key);
        QVERIFY(combo);
        int target = -1;
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).contains(text))
                target = i;
        QVERIFY2(target >= 0, qPrintable(text));
        combo->setFocus();
        while (combo->currentIndex() != target)
            QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }
    int steps() { return f.design->history().stack().count(); }

private slots:
    void init()
    {
        QVERIFY(f.open());
        f.openForDesign();
        QVERIFY(panel() && panel()->isVisible());
    }
    void cleanup() { f.close(); }

    void millimetres_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("twips"); // -1: refused
        QTest::newRow("tenths") << "30.5" << 1729;
        QTest::newRow("whole") << "30" << 1701;
        QTest::newRow("comma") << "29,9" << 1695;
        QTest::newRow("with unit") << " 12.3 mm " << 697;
        QTest::newRow("letters") << "abc" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void millimetres()
    {
        QFETCH(QString, text);
        QFETCH(int, twips);
        const auto v = parseMillimetres(text);
        QCOMPARE(v.value_or(-1), twips);
        if (v)
            QCOMPARE(parseMillimetres(propertyvalues::millimetres(*v)).value(), *v);
    }

    void geometryChecks_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("twips");
        QTest::addColumn<QRect>("result"); // empty: refused
        const QRect r(1700, 1000, 5200, 330); // on a bill of 12758 x 4536
        QTest::newRow("left") << 1 << 2000 << QRect(2000, 1000, 5200, 330);
        QTest::newRow("left off the bill") << 1 << 7600 << QRect();
        QTest::newRow("left negative") << 1 << -6 << QRect();
        QTest::newRow("top to the edge") << 2 << 4206 << QRect(1700, 4206, 5200, 330);
        QTest::newRow("width below 2 mm") << 3 << 112 << QRect();
        QTest::newRow("width 2 mm") << 3 << 113 << QRect(1700, 1000, 113, 330);
        QTest::newRow("height off the bill") << 4 << 3537 << QRect();
        Q_UNUSED(r);
    }
    void geometryChecks()
    {
        QFETCH(int, key);
        QFETCH(int, twips);
        QFETCH(QRect, result);
        const GeometryCheck c = checkGeometry(QRect(1700, 1000, 5200, 330), key, twips, QSize(12758, 4536), false);
        QCOMPARE(c.refusal.isEmpty(), !result.isNull());
        if (result.isNull())
            QVERIFY(c.refusal.contains(QStringLiteral("毫米之间")));
        else
            QCOMPARE(c.rect, result);
    }

    void dateStylesShowToday()
    {
        const QList<Choice> styles = dateStyles(QDate(2026, 3, 7));
        QVERIFY(styles.contains(Choice{QStringLiteral("2026年03月07日（04010501060107）"),
                                       QStringLiteral("04010501060107")}));
        QVERIFY(styles.contains(Choice{QStringLiteral("贰零贰陆年零叁月零柒日（04050503060307）"),
                                       QStringLiteral("04050503060307")}));
        for (const Choice &c : styles)
            QVERIFY2(!dateExample(c.value, QDate(2026, 3, 7)).trimmed().isEmpty(), qPrintable(c.value));
    }

    void showsTheFieldClicked()
    {
        clickField(TextSlot);
        QCOMPARE(panel()->slot(), TextSlot);
        QCOMPARE(editor<QLineEdit>(0)->text(), f.record(TextSlot).value(0));
        QCOMPARE(editor<QLineEdit>(1)->text(), QStringLiteral("30.0")); // 1700 twips
        QCOMPARE(editor<QLineEdit>(3)->text(), QStringLiteral("91.7")); // 5200 twips
        QVERIFY(editor<QComboBox>(12)); // a text field's links
        QVERIFY(!editor<QComboBox>(20));
        clickField(MoneySlot);
        QCOMPARE(panel()->slot(), MoneySlot);
        QVERIFY(editor<QComboBox>(20));
        QVERIFY(!editor<QComboBox>(13));
    }

    void typedMillimetresAreExactTwips()
    {
        clickField(TextSlot);
        type(1, QStringLiteral("30.5"));
        QCOMPARE(f.prop(TextSlot, 1), 1729);
        QCOMPARE(f.controlRect(f.control(TextSlot)).left(), 1729);
        QCOMPARE(f.frameRect(TextSlot).left(), 1729);
        QCOMPARE(steps(), 1);
        // Leaving a line unchanged changes nothing: 5200 stays 5200 although
        // it shows as 91.7.
        QLineEdit *width = editor<QLineEdit>(3);
        QTest::mouseClick(width, Qt::LeftButton);
        QTest::keyClick(width, Qt::Key_Return);
        QCOMPARE(f.prop(TextSlot, 3), 5200);
        QCOMPARE(steps(), 1);
        QTest::keyClick(f.win.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.prop(TextSlot, 1), 1700);
        QCOMPARE(editor<QLineEdit>(1)->text(), QStringLiteral("30.0"));
    }

    void refusals_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("left letters") << 1 << "abc" << "不是毫米数";
        QTest::newRow("left off the bill") << 1 << "200" << "左边距必须在 0.0 到 133.3 毫米之间";
        QTest::newRow("narrow") << 3 << "1.5" << "宽度必须在 2.0 到";
        QTest::newRow("font size") << 5 << "0" << "字号必须是 1 到 200 之间的整数";
        QTest::newRow("length") << 6 << "-3" << "最大长度必须是 0 到 9999 之间的整数";
        QTest::newRow("no name") << 0 << "  " << "名称不能为空";
    }
    void refusals()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, message);
        clickField(TextSlot);
        const QStringList before{f.record(TextSlot).value(key)};
        type(key, text);
        QVERIFY2(panel()->refusal().contains(message), qPrintable(panel()->refusal()));
        QCOMPARE(QStringList{f.record(TextSlot).value(key)}, before);
        QCOMPARE(steps(), 0);
        // The next value taken clears the message.
        type(5, QStringLiteral("14"));
        QCOMPARE(panel()->refusal(), QString());
        QCOMPARE(f.prop(TextSlot, 5), 14);
    }

    void undoKeysInThePanel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("before"); // stored before and after Ctrl+Z
        QTest::addColumn<QString>("after");  // stored after Return and Ctrl+Y
        QTest::newRow("left") << 1 << "30.5" << "1700" << "1729";
        QTest::newRow("width") << 3 << "80" << "5200" << "4536";
        QTest::newRow("font size") << 5 << "16" << "12" << "16";
        QTest::newRow("name") << 0 << "收款人全称" << "" << "收款人全称";
    }
    // A value taken with Return leaves the keyboard in its line: Ctrl+Z and
    // Ctrl+Y there undo and redo the design, while typing not yet taken is
    // undone in the line itself.
    void undoKeysInThePanel()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, before);
        QFETCH(QString, after);
        clickField(TextSlot);
        if (key == 0)
            before = f.record(TextSlot).value(0);
        type(key, text);
        QLineEdit *edit = editor<QLineEdit>(key);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(edit));
        QCOMPARE(f.record(TextSlot).value(key), after);
        const QString shownAfter = edit->text();

        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.record(TextSlot).value(key), before);
        QVERIFY(edit->text() != shownAfter);
        QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.record(TextSlot).value(key), after);
        QCOMPARE(edit->text(), shownAfter);

        ModalScript::type(edit, QStringLiteral("9"));
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->text(), shownAfter);
        QCOMPARE(f.record(TextSlot).value(key), after);
        QCOMPARE(steps(), 1);
    }

    void dateStyleChosenFromTheList()
    {
        clickField(DateSlot);
        QCOMPARE(f.record(DateSlot).value(11), QStringLiteral("04050503060307"));
        choose(11, QStringLiteral("04010101010100"));
        QCOMPARE(f.record(DateSlot).value(11), QStringLiteral("04010101010100"));
        const QString today = dateExample(QStringLiteral("04010101010100"), QDate::currentDate());
        QCOMPARE(today, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd ")));
        QCOMPARE(panel()->findChild<QLabel *>(QStringLiteral("propDateExample"))->text(), today);
        QCOMPARE(steps(), 1);
    }

    void linksChosenByName()
    {
        // The payee field shows the amount in English, the first of a chain
        // from the money field.
        clickField(TextSlot);
        choose(11, QStringLiteral("英文"));
        choose(12, f.record(MoneySlot).value(0));
        const QString money = f.state->Registry.keyOf(MoneySlot);
        QCOMPARE(f.record(TextSlot).value(12), money);
        QCOMPARE(f.record(TextSlot).value(13), money); // the first of its chain
        QCOMPARE(f.record(TextSlot).value(11), QStringLiteral("0103"));
        QCOMPARE(steps(), 2);
        // The rules see the link at once.
        QVERIFY(entry::enter(f.state->Bill, money, QStringLiteral("1.00")).ok());
        QVERIFY2(f.state->Bill.text(f.state->Registry.keyOf(TextSlot)).contains(QStringLiteral("One")),
                 qPrintable(f.state->Bill.text(f.state->Registry.keyOf(TextSlot))));
        QTest::keyClick(f.win.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.record(TextSlot).value(12), QString());
        QCOMPARE(f.record(TextSlot).value(13), QString());
        QCOMPARE(f.record(TextSlot).value(11), QStringLiteral("0103"));
    }

    void printingSwitchedOff()
    {
        clickField(TextSlot);
        QCheckBox *printed = editor<QCheckBox>(30);
        QVERIFY(printed->isChecked());
        QTest::mouseClick(printed, Qt::LeftButton, {}, QPoint(8, printed->height() / 2));
        QCOMPARE(f.record(TextSlot).value(30), QStringLiteral("是"));
        QVERIFY(f.state->Bill.billTemplate().atSlot(TextSlot)->notPrinted);
        f.state->Bill.setText(f.state->Registry.keyOf(TextSlot), QStringLiteral("不上纸"));
        for (const PrintItem &item : BuildPrintItems(f.state->Bill))
            QVERIFY(item.text != QStringLiteral("不上纸"));
        QCheckBox *empties = editor<QCheckBox>(31);
        QTest::mouseClick(empties, Qt::LeftButton, {}, QPoint(8, empties->height() / 2));
        QCOMPARE(f.record(TextSlot).value(31), QStringLiteral("是"));
        QCOMPARE(steps(), 2);
    }

    void coloursShowAtOnce()
    {
        clickField(TextSlot);
        panel()->chooseColour = [](const QColor &, const QString &) { return QColor(255, 0, 0); };
        QTest::mouseClick(editor<QPushButton>(9), Qt::LeftButton);
        QCOMPARE(f.record(TextSlot).value(9), QStringLiteral("255"));
        QCOMPARE(f.state->Bill.billTemplate().atSlot(TextSlot)->backColour, std::optional<quint32>(255));
        QCOMPARE(editor<QPushButton>(9)->text(), QStringLiteral("#ff0000"));
        // Cancelled: nothing changes.
        panel()->chooseColour = [](const QColor &, const QString &) { return QColor(); };
        QTest::mouseClick(editor<QPushButton>(8), Qt::LeftButton);
        QCOMPARE(steps(), 1);
    }

    void billSizeInMillimetres_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("twips"); // -1: refused
        QTest::addColumn<QString>("message");
        // The fields of the sample reach 11300 twips right and 2730 down.
        QTest::newRow("wider") << 3 << "240" << 13608 << "";
        QTest::newRow("narrower") << 3 << "200" << 11340 << "";
        QTest::newRow("to the money field") << 3 << "199.3" << 11300 << "";
        QTest::newRow("past the money field") << 3 << "150" << -1 << "票据宽度必须在 199.3 到";
        QTest::newRow("lower") << 4 << "60" << 3402 << "";
        // 48.1 mm would be 2727 twips: the least offered is one that is taken.
        QTest::newRow("to the check box") << 4 << "48.2" << 2733 << "";
        QTest::newRow("past the check box") << 4 << "48.1" << -1 << "票据高度必须在 48.2 到";
        QTest::newRow("below 2 mm") << 4 << "1" << -1 << "票据高度必须在 48.2 到";
    }
    void billSizeInMillimetres()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, twips);
        QFETCH(QString, message);
        f.win->surface()->setFocus();
        QTest::mouseClick(f.win->surface(), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(panel()->slot(), 0);
        const int before = f.prop(0, key);
        type(key, text);
        QVERIFY2(panel()->refusal().contains(message), qPrintable(panel()->refusal()));
        const int stored = twips < 0 ? before : twips;
        QCOMPARE(f.prop(0, key), stored);
        QCOMPARE(f.state->BillRect[key - 1], stored);
        const QSize surface = f.win->surface()->size();
        QCOMPARE(key == 3 ? surface.width() : surface.height(), qRound(stored / 15.0));
    }
};

QTEST_MAIN(TestPropertyPanel)
#include "tst_propertypanel.moc"
