// Undo and redo in design mode, with the mouse and the keys on the sample
// template and the transfer cheque: every kind of change comes back with
// Ctrl+Z and goes again with Ctrl+Y, a run of nudges is one step, and the
// edit menu offers both while a design is open. Labels are fields like the
// others.
#include "designfixture.h"
#include "app/mainmenu.h"
#include "app/toolbox.h"
#include "workspace/designundo.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QUndoStack>

namespace {
constexpr int LabelSlot = 2; // 人民币（大写）： label of the sample
constexpr int TextSlot = 3;  // 1700, 1000, 5200 x 330
constexpr int OtherTextSlot = 5;

// Kind, index and properties of every record: what a design consists of.
QStringList design(const FieldRegistry &reg)
{
    QStringList out;
    for (int s = 0; s <= reg.lastSlot(); ++s) {
        QStringList props;
        for (const PropertyEntry &e : reg.at(s).props())
            props << QStringLiteral("%1=%2").arg(e.key).arg(e.value);
        out << QStringLiteral("%1:%2:%3 %4").arg(s).arg(reg.at(s).kind).arg(reg.at(s).index).arg(props.join(','));
    }
    return out;
}
} // namespace

class TestDesignUndo : public QObject {
    Q_OBJECT
    DesignFixture f;

    QUndoStack &stack() { return f.design->history().stack(); }
    void undo() { QTest::keyClick(f.win.get(), Qt::Key_Z, Qt::ControlModifier); }
    void redo() { QTest::keyClick(f.win.get(), Qt::Key_Y, Qt::ControlModifier); }
    QWidget *clickField(int slot, Qt::KeyboardModifiers mods = {})
    {
        QWidget *c = f.control(slot);
        QTest::mouseClick(c, Qt::LeftButton, mods, QPoint(4, 4));
        c->setFocus();
        return c;
    }
    // What every control and frame shows agrees with the registry.
    void expectShown()
    {
        const FieldRegistry &reg = f.state->Registry;
        for (int s = 1; s <= reg.lastSlot(); ++s) {
            const QRect r(reg.at(s).value(1).toInt(), reg.at(s).value(2).toInt(), reg.at(s).value(3).toInt(),
                          reg.at(s).value(4).toInt());
            QCOMPARE(f.controlRect(f.control(s)), r);
            QCOMPARE(f.frameRect(s), r.adjusted(0, 0, 100, 100));
            QCOMPARE(f.frame(s)->tag(), reg.keyOf(s));
        }
    }

    // Performs one change as a person would; returns its step's name.
    QString change(const QString &what)
    {
        if (what == "drag") {
            QWidget *c = f.control(TextSlot);
            QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 10));
            QTest::mouseMove(c, QPoint(40, 30));
            QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(40, 30));
            return "移动";
        }
        if (what == "handle") {
            clickField(TextSlot);
            QLabel *h = f.frame(TextSlot)->MoveCtl();
            QTest::mousePress(h, Qt::LeftButton, {}, QPoint(2, 2));
            QTest::mouseMove(h, QPoint(22, 12));
            QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(22, 12));
            return "改变大小";
        }
        if (what == "nudges") {
            QWidget *c = clickField(TextSlot);
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(c, Qt::Key_Right, Qt::ControlModifier);
            QTest::keyClick(c, Qt::Key_Down, Qt::ShiftModifier);
            return "微调";
        }
        if (what == "label") {
            QWidget *c = clickField(LabelSlot);
            QTest::keyClick(c, Qt::Key_Up, Qt::ControlModifier);
            return "微调";
        }
        if (what == "place") {
            f.state->CurrentTool = KindMoney;
            QTest::mouseClick(f.win->surface(), Qt::LeftButton, {}, QPoint(100, 200));
            return "放置字段";
        }
        // delete
        f.design->placing().confirm = [](const QString &) { return true; };
        QTest::keyClick(clickField(TextSlot), Qt::Key_Delete);
        return "删除字段";
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        f.openForDesign();
    }
    void cleanup() { f.close(); }

    void everyChangeUndoes_data()
    {
        QTest::addColumn<QString>("what");
        for (const char *w : {"drag", "handle", "nudges", "label", "place", "delete"})
            QTest::newRow(w) << w;
    }
    void everyChangeUndoes()
    {
        QFETCH(QString, what);
        const QStringList before = design(f.state->Registry);
        QVERIFY(!f.design->history().isModified());
        const QString name = change(what);
        const QStringList after = design(f.state->Registry);
        QVERIFY(after != before);
        QCOMPARE(stack().count(), 1);
        QVERIFY(f.design->history().isModified());
        QCOMPARE(f.design->undoAction()->text(), QStringLiteral("撤销") + name);
        undo();
        QCOMPARE(design(f.state->Registry), before);
        expectShown();
        QVERIFY(!f.design->history().isModified());
        redo();
        QCOMPARE(design(f.state->Registry), after);
        expectShown();
        undo();
        QCOMPARE(design(f.state->Registry), before);
    }

    void undoKeysWaitForTheMouse_data()
    {
        QTest::addColumn<bool>("byHandle");
        QTest::addColumn<QRect>("after");
        // 30 x 20 pixels at scale 1 are 450 x 300 twips.
        QTest::newRow("field dragged") << false << QRect(2150, 1300, 5200, 330);
        QTest::newRow("corner handle dragged") << true << QRect(1700, 1000, 5650, 630);
    }
    // Ctrl+Z and Ctrl+Y while the mouse still holds a field change nothing:
    // the drag goes on with the field it began with (an undo in between
    // made another field current, which the drag then moved) and is a
    // step of its own.
    void undoKeysWaitForTheMouse()
    {
        QFETCH(bool, byHandle);
        QFETCH(QRect, after);
        QTest::keyClick(clickField(OtherTextSlot), Qt::Key_Down, Qt::ControlModifier);
        const QStringList nudged = design(f.state->Registry);
        clickField(TextSlot);
        QWidget *grip = byHandle ? static_cast<QWidget *>(f.frame(TextSlot)->MoveCtl()) : f.control(TextSlot);
        const QPoint start = byHandle ? QPoint(2, 2) : QPoint(10, 10);
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        QTest::mouseMove(grip, start + QPoint(10, 5));
        undo();
        redo();
        QCOMPARE(design(f.state->Registry), nudged);
        QTest::mouseMove(grip, start + QPoint(30, 20));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(30, 20));
        QCOMPARE(QRect(f.prop(TextSlot, 1), f.prop(TextSlot, 2), f.prop(TextSlot, 3), f.prop(TextSlot, 4)), after);
        QCOMPARE(f.prop(OtherTextSlot, 2), 1606);
        QCOMPARE(stack().count(), 2);
        expectShown();
        undo();
        QCOMPARE(design(f.state->Registry), nudged);
        expectShown();
    }

    void aRunOfNudgesIsOneStep()
    {
        QWidget *c = clickField(TextSlot);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(c, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(stack().count(), 1);
        QCOMPARE(f.prop(TextSlot, 1), 1700 - 24);
        // A click ends the run: the next nudges are a step of their own.
        c = clickField(TextSlot);
        QTest::keyClick(c, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(stack().count(), 2);
        undo();
        QCOMPARE(f.prop(TextSlot, 1), 1700 - 24);
        undo();
        QCOMPARE(f.prop(TextSlot, 1), 1700);
        // Nudges of another field are another step.
        QTest::keyClick(clickField(TextSlot), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(clickField(OtherTextSlot), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(stack().count(), 2);
    }

    void multipleSelectionComesBackTogether()
    {
        clickField(TextSlot);
        clickField(OtherTextSlot, Qt::ShiftModifier);
        QWidget *c = f.control(OtherTextSlot);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.prop(TextSlot, 2), 1006);
        undo();
        QCOMPARE(f.prop(TextSlot, 2), 1000);
        QCOMPARE(f.prop(OtherTextSlot, 2), 1600);
        QCOMPARE(f.design->SelectedCount, qint16(2));
        QVERIFY(f.frame(TextSlot)->isVisible() && f.frame(OtherTextSlot)->isVisible());
    }

    void labelsAreFields()
    {
        // Selected with a click, moved with the keys, deleted with Delete.
        QWidget *label = clickField(LabelSlot);
        QCOMPARE(f.state->CurrentKey, f.state->Registry.keyOf(LabelSlot));
        QTRY_COMPARE(QApplication::focusWidget(), label);
        const int top = f.prop(LabelSlot, 2);
        const int billHeight = f.state->BillRect[3];
        QTest::keyClick(label, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.prop(LabelSlot, 2), top + 6);
        QCOMPARE(f.state->BillRect[3], billHeight); // the bill did not take the key
        const int width = f.prop(LabelSlot, 3);
        QTest::keyClick(label, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(f.prop(LabelSlot, 3), width + 6);
        f.design->placing().confirm = [](const QString &) { return true; };
        const int count = f.state->Registry.count();
        QTest::keyClick(label, Qt::Key_Delete);
        QCOMPARE(f.state->Registry.count(), count - 1);
        // Outside design mode a label is no place for the keyboard.
        f.design->designEnded();
        f.win->EnterFillMode();
        QCOMPARE(f.win->controls().labels.at(0)->focusPolicy(), Qt::NoFocus);
    }

    void deleteAndUndoOnTheChequeKeepLinks()
    {
        f.openForDesign(QStringLiteral("支票"), QStringLiteral("转账支票"));
        const QStringList before = design(f.state->Registry);
        f.design->placing().confirm = [](const QString &) { return true; };
        QTest::keyClick(clickField(3), Qt::Key_Delete); // 附加信息
        undo();
        QCOMPARE(design(f.state->Registry), before);
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00307000"));
        QCOMPARE(f.win->controls().texts.count(), 11);
        expectShown();
    }

    void editMenuWhileDesigning()
    {
        QMenu *edit = f.win->menus().group(MenuHost::Edit).menu;
        QVERIFY(edit->menuAction()->isVisible());
        QVERIFY(edit->actions().contains(f.design->undoAction()));
        QVERIFY(!f.design->undoAction()->isEnabled());
        change("drag");
        QVERIFY(f.design->undoAction()->isEnabled());
        f.design->undoAction()->trigger(); // the menu item
        QVERIFY(f.design->redoAction()->isEnabled());
        QVERIFY(!f.design->undoAction()->isEnabled());
        // The keys work while the tool box, a window of its own, has them.
        f.win->mViewSub_Click(MDIMain::ViewToolBox);
        QVERIFY(f.win->toolBox());
        QTest::keyClick(f.win->toolBox(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(f.design->undoAction()->isEnabled());
        f.win->toolBox()->close();
        f.design->designEnded();
        QVERIFY(!edit->menuAction()->isVisible());
        QVERIFY(!f.design->redoAction()->isEnabled());
    }
};

QTEST_MAIN(TestDesignUndo)
#include "tst_designundo.moc"
