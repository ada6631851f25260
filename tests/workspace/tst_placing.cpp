// Placing fields with the tool box's field tools and deleting them, on the
// sample template: keys, rectangles, defaults and renumbering.
#include "designfixture.h"
#include "app/toolbox.h"
#include "workspace/surfacesketch.h"

#include <QAction>

namespace {
FieldRegistry registryOf(const QList<int> &kinds)
{
    FieldRegistry reg;
    QList<int> next(9, 0);
    for (int s = 0; s < kinds.size(); ++s) {
        const int k = kinds.at(s);
        reg.RegistryCtl(FieldKey::make(s, k, k == 0 ? 0 : next[k]++), {{0, "n", "v"}}, 0,
                        FieldRegistry::Add);
    }
    return reg;
}
} // namespace

class TestPlacing : public QObject {
    Q_OBJECT
    DesignFixture f;

    // Draws with the tool from p1 to p2 (twips of the surface).
    void draw(int tool, const QPoint &p1, const QPoint &p2, Qt::KeyboardModifiers mods = {})
    {
        f.state->CurrentTool = qint16(tool);
        BillSurface *s = f.win->surface();
        QTest::mousePress(s, Qt::LeftButton, mods, DesignFixture::px(p1.x(), p1.y()));
        QTest::mouseMove(s, DesignFixture::px(p2.x(), p2.y()));
        QTest::mouseRelease(s, Qt::LeftButton, mods, DesignFixture::px(p2.x(), p2.y()));
    }

private slots:
    void init()
    {
        QVERIFY(f.open());
        f.openForDesign();
    }
    void cleanup() { f.close(); }

    void newKey_data()
    {
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("key");
        QTest::newRow("empty registry") << QList<int>{} << 7 << "" << "00107000";
        QTest::newRow("first label") << QList<int>{0, 7, 7} << 4 << "002" << "00304000";
        QTest::newRow("second label") << QList<int>{0, 7, 7, 4} << 4 << "00304000" << "00404001";
        QTest::newRow("highest-slotted of kind") << QList<int>{0, 8, 8, 7} << 8 << "00308001"
                                                 << "00408002";
        QTest::newRow("bill only") << QList<int>{0} << 6 << "000" << "00106000";
    }
    void newKey()
    {
        QFETCH(QList<int>, kinds);
        QFETCH(int, kind);
        QFETCH(QString, last);
        QFETCH(QString, key);
        const FieldRegistry reg = registryOf(kinds);
        QCOMPARE(Placing::LastKeyOfKind(reg, kind), last);
        QCOMPARE(Placing::newKey(reg, kind), key);
    }

    void placesExactlyInTheRectangle_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("expected");
        const QRect r(1500, 2400, 3000, 450);
        QTest::newRow("left to right") << r.topLeft() << QPoint(4500, 2850) << r;
        QTest::newRow("right to left") << QPoint(4500, 2850) << r.topLeft() << r;
        QTest::newRow("bottom-left up") << QPoint(1500, 2850) << QPoint(4500, 2400) << r;
        // A click places the kind's default size (cText: 2400 x 300).
        QTest::newRow("a click") << QPoint(900, 300) << QPoint(900, 300) << QRect(900, 300, 2400, 300);
        QTest::newRow("a click by the edge") << QPoint(12000, 4400) << QPoint(12000, 4400)
                                             << QRect(10358, 4236, 2400, 300);
        QTest::newRow("drawn past the edge") << QPoint(10995, 3990) << QPoint(14010, 4995)
                                             << QRect(10995, 3990, 1763, 546);
        QTest::newRow("a thin line") << QPoint(1500, 2400) << QPoint(4500, 2430) << QRect(1500, 2400, 3000, 113);
    }
    void placesExactlyInTheRectangle()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, expected);
        draw(KindText, from, to);
        QCOMPARE(f.state->Registry.count(), 9);
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00807002"));
        const FieldRecord &r = f.record(8);
        QCOMPARE(r.kind, qint16(KindText));
        QCOMPARE(r.index, qint16(2));
        QCOMPARE(r.selected, qint16(1));
        QCOMPARE(QRect(f.prop(8, 1), f.prop(8, 2), f.prop(8, 3), f.prop(8, 4)), expected);
        QWidget *c = f.win->controls().texts.at(2);
        QVERIFY(c);
        QCOMPARE(f.controlRect(c), expected);
        QCOMPARE(f.frameRect(8), expected.adjusted(0, 0, 100, 100));
        QCOMPARE(f.frame(8)->tag(), QStringLiteral("00807002"));
        QVERIFY(f.frame(8)->isVisible());
        // Defaults of the kind's group beyond the rectangle.
        QCOMPARE(r.value(6), QStringLiteral("20"));
        QCOMPARE(r.value(0), QStringLiteral("文本"));
        QCOMPARE(static_cast<TextCtl *>(c)->UserGetTextAll(), QString());
        // Back to the pointer (no tool box open: no tool at all).
        QCOMPARE(f.state->CurrentTool, qint16(0));
        QCOMPARE(f.win->surface()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!f.design->sketch()->box());
    }

    void rubberBandWhileDrawing()
    {
        f.state->CurrentTool = KindMoney;
        BillSurface *s = f.win->surface();
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(s, QPoint(50, 30));
        QCOMPARE(f.design->sketch()->box(), std::optional<QRect>(QRect(QPoint(150, 150), QPoint(750, 450))));
        QCOMPARE(f.design->DrawRect, (std::array<int, 4>{150, 150, 750, 450}));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(50, 30));
        QCOMPARE(f.record(8).kind, qint16(KindMoney));
        QCOMPARE(f.record(8).index, qint16(1));
    }

    void ctrlOrAltPlacesNothing_data()
    {
        QTest::addColumn<int>("mods");
        QTest::newRow("ctrl") << int(Qt::ControlModifier);
        QTest::newRow("alt") << int(Qt::AltModifier);
    }
    void ctrlOrAltPlacesNothing()
    {
        QFETCH(int, mods);
        draw(KindText, QPoint(1500, 2400), QPoint(3000, 3000), Qt::KeyboardModifiers(mods));
        QCOMPARE(f.state->Registry.count(), 8);
        QCOMPARE(f.design->PressButton, qint16(0));
    }

    void toolBoxReturnsToPointer()
    {
        f.win->mViewSub_Click(MDIMain::ViewToolBox);
        ToolBox *box = f.win->toolBox();
        QVERIFY(box);
        box->button(KindLabel)->trigger();
        QCOMPARE(f.state->CurrentTool, qint16(KindLabel));
        QCOMPARE(f.win->surface()->cursor().shape(), Qt::CrossCursor);
        draw(KindLabel, QPoint(300, 3000), QPoint(1500, 3300));
        QCOMPARE(f.state->CurrentTool, qint16(1));
        QVERIFY(box->button(1)->isChecked());
        QCOMPARE(f.win->surface()->cursor().shape(), Qt::ArrowCursor);
        // The label shows its group's caption; slot 8, control index 2.
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00804002"));
        auto *label = f.win->controls().labels.at(2);
        QCOMPARE(label->UserGetLabelCaption(), QStringLiteral("标签"));
        // The next one numbers on.
        draw(KindLabel, QPoint(300, 3500), QPoint(1500, 3800));
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00904003"));
        box->close();
    }

    void deleteRenumbers()
    {
        // Slots: 1 date, 2 label, 3 text 0, 4 label 1, 5 text 1, 6 money, 7 check.
        const QRect secondText = f.controlRect(f.control(5));
        QString key = QStringLiteral("00307000");
        QString none;
        QCOMPARE(f.design->placing().AddDelCtl(key, 0, none), 0);
        FieldRegistry &reg = f.state->Registry;
        QCOMPARE(reg.count(), 7);
        QCOMPARE(reg.keyOf(3), QStringLiteral("00304001"));
        QCOMPARE(reg.keyOf(4), QStringLiteral("00407000"));
        QCOMPARE(reg.keyOf(6), QStringLiteral("00605000"));
        // The text control 0 now shows the field that was text 1.
        TextCtl *t0 = f.win->controls().texts.at(0);
        QCOMPARE(opening::controlTag(t0), QStringLiteral("00407000"));
        QCOMPARE(f.controlRect(t0), secondText);
        QVERIFY(!f.win->controls().texts.exists(1));
        QCOMPARE(f.win->controls().frames.count(), 7);
        QCOMPARE(f.frame(4)->tag(), QStringLiteral("00407000"));
        QCOMPARE(f.frameRect(4), secondText.adjusted(0, 0, 100, 100));
        QCOMPARE(opening::controlTag(f.win->controls().labels.at(1)), QStringLiteral("00304001"));
        QCOMPARE(f.win->controls().labels.at(1)->UserGetLabelCaption(),
                 QStringLiteral("人民币（大写）"));
        // The field now at the deleted slot is current.
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00304001"));
        QCOMPARE(f.record(3).selected, qint16(1));
        QVERIFY(f.frame(3)->isVisible());
        QVERIFY(!f.frame(4)->isVisible());
    }

    void deleteLastSelectsThePrevious()
    {
        QString key = QStringLiteral("00705000");
        QString none;
        QCOMPARE(f.design->placing().AddDelCtl(key, 0, none), 0);
        QCOMPARE(f.state->Registry.count(), 7);
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00608000"));
        QVERIFY(f.win->controls().checks.at(0)->isHidden());
    }

    void billIsNeverDeleted()
    {
        QString key = QStringLiteral("00000000");
        QString none;
        QVERIFY(f.design->placing().AddDelCtl(key, 0, none) != 0);
        QCOMPARE(f.state->Registry.count(), 8);
    }

    void deleteKeyAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("yes") << true << 7;
        QTest::newRow("no") << false << 8;
    }
    void deleteKeyAsksFirst()
    {
        QFETCH(bool, answer);
        QFETCH(int, count);
        QString asked;
        f.design->placing().confirm = [&](const QString &q) {
            asked = q;
            return answer;
        };
        QWidget *c = f.control(5);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(5, 5));
        c->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), c);
        QTest::keyClick(c, Qt::Key_Delete);
        QVERIFY(asked.contains(QStringLiteral("大写金额")));
        QCOMPARE(f.state->Registry.count(), count);
    }

    void placeAfterDeleteUsesFreeNumbers()
    {
        QString key = QStringLiteral("00307000");
        QString none;
        QCOMPARE(f.design->placing().AddDelCtl(key, 0, none), 0);
        draw(KindText, QPoint(100, 3000), QPoint(900, 3300));
        QCOMPARE(f.state->CurrentKey, QStringLiteral("00707001"));
        QVERIFY(f.win->controls().texts.exists(1));
    }
};

QTEST_MAIN(TestPlacing)
#include "tst_placing.moc"
