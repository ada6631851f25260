#pragma once
// The main window on a fresh default database, with the design-mode
// handlers attached and the sample template "通用票据/通用凭证" at hand.
#include "core/appstate.h"
#include "core/database.h"
#include "fields/checkctl.h"
#include "fields/datectl.h"
#include "fields/labelctl.h"
#include "fields/moneyctl.h"
#include "fields/textctl.h"
#include "workspace/billopen.h"
#include "workspace/billsurface.h"
#include "workspace/designctl.h"
#include "workspace/designmode.h"
#include "workspace/mdimain.h"
#include "workspace/placing.h"
#include "workspace/templatetree.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct DesignFixture {
    static inline const QString Table = QStringLiteral("通用票据_通用凭证");

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppState> state;
    std::unique_ptr<MDIMain> win;
    DesignMode *design = nullptr;

    // Opens the window on a new database; false when that fails.
    bool open()
    {
        dir = std::make_unique<QTemporaryDir>();
        state = std::make_unique<AppState>();
        StartUp(*state, dir->filePath(QStringLiteral("DB/BillDB.db")), dir->path());
        if (!state->DatabaseError.isEmpty())
            return false;
        win = std::make_unique<MDIMain>(*state);
        design = DesignMode::attach(*win);
        win->resize(1100, 700);
        win->show();
        win->activateWindow();
        return QTest::qWaitForWindowExposed(win.get());
    }

    void close()
    {
        win.reset();
        if (state)
            CloseDatabase(*state);
        state.reset();
        dir.reset();
    }

    void selectSample()
    {
        state->SelectedClass.text = QStringLiteral("通用票据");
        state->SelectedBill.text = QStringLiteral("通用凭证");
    }

    // The template opened for design as the pop-up menu does it.
    void openForDesign() { openForDesign(QStringLiteral("通用票据"), QStringLiteral("通用凭证")); }

    // The template opened for design as the pop-up menu does it, any one.
    void openForDesign(const QString &className, const QString &billName)
    {
        state->SelectedClass.text = className;
        state->SelectedBill.text = billName;
        state->DesignMode = 1;
        state->CurrentTool = 0;
        state->Registry.reset();
        win->UnloadCtl();
        win->ReadAddCtl(className + QLatin1Char('_') + billName, 1);
        design->HideAllFrames(false);
        design->CtlActivate(state->CurrentKey);
        design->designStarted();
    }

    // The tree node of a template (its class expanded), or of a class.
    QTreeWidgetItem *node(const QString &className, const QString &billName = {})
    {
        TemplateTree *tree = win->tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *c = tree->topLevelItem(i);
            if (c->text(0) != className)
                continue;
            if (billName.isEmpty())
                return c;
            c->setExpanded(true);
            for (int j = 0; j < c->childCount(); ++j)
                if (c->child(j)->text(0) == billName)
                    return c->child(j);
        }
        return nullptr;
    }
    // Where a node lies in the tree's viewport.
    QPoint nodePoint(QTreeWidgetItem *item)
    {
        win->tree()->scrollToItem(item);
        return win->tree()->visualItemRect(item).center();
    }
    void clickNode(const QString &className, const QString &billName)
    {
        QTest::mouseClick(win->tree()->viewport(), Qt::LeftButton, {}, nodePoint(node(className, billName)));
    }
    void doubleClickNode(const QString &className, const QString &billName)
    {
        const QPoint at = nodePoint(node(className, billName));
        QTest::mouseClick(win->tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(win->tree()->viewport(), Qt::LeftButton, {}, at);
    }

    FieldRecord &record(int slot) { return state->Registry.at(slot); }
    // The slot of the first field with this name, or -1.
    int slotNamed(const QString &name)
    {
        for (int s = 0; s <= state->Registry.lastSlot(); ++s)
            if (state->Registry.at(s).value(0) == name)
                return s;
        return -1;
    }
    int prop(int slot, int key) { return record(slot).value(key).toInt(); }
    QRect frameRect(int slot) { return win->controls().frames.at(slot)->twipsRect(); }
    QRect controlRect(QWidget *c) { return opening::controlTwips(c); }
    DesignCtl *frame(int slot) { return win->controls().frames.at(slot); }
    QWidget *control(int slot)
    {
        const FieldRecord &r = record(slot);
        return design->fieldControl(r.kind, r.index);
    }
    // Twips to the pixel position inside a widget, at scale 1.
    static QPoint px(int xTwips, int yTwips) { return QPoint(xTwips / 15, yTwips / 15); }
};
