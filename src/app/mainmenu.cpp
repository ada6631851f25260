#include "app/mainmenu.h"

#include "core/appstate.h"
#include "core/templatestore.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

Q_LOGGING_CATEGORY(lcMenu, "billprint.menu")

namespace {

struct TopMenu {
    const char *name;
    const char *caption;
    const char *itemCaption;
    bool hidden;
};

// In the order of the interface-text groups.
constexpr TopMenu kTopMenus[MenuHost::GroupCount] = {
    {"mFileSub", "文件", "文件子", true},
    {"mBillSub", "票据", "票据子", true},
    {"mEditSub", "编辑", "编辑子", true},
    {"mFormatSub", "格式", "格式子", true},
    {"mViewSub", "视图", "视图子", false},
    {"mSetupSub", "设置", "设置子", true},
    {"mHelpSub", "帮助", "帮助子", false},
    {"tvPopupMenuS", "目录菜单", "目录菜单子", true},
};

// Error number for "a group has fewer rows than counted".
constexpr int ErrNoCurrentRecord = 3021;

} // namespace

QAction *MenuHost::item(Group g, int i) const
{
    const QList<QAction *> &items = groups[g].items;
    return i >= 0 && i < items.size() ? items.at(i) : nullptr;
}

MenuHost createMenuHost(QMenuBar *bar, QWidget *owner)
{
    MenuHost host;
    for (int g = 0; g < MenuHost::GroupCount; ++g) {
        const TopMenu &t = kTopMenus[g];
        MenuGroup &group = host.groups[g];
        group.name = QString::fromUtf8(t.name);
        const QString caption = QString::fromUtf8(t.caption);
        if (g == MenuHost::Popup)
            group.menu = new QMenu(caption, owner);
        else
            group.menu = bar->addMenu(caption);
        group.menu->setObjectName(group.name.chopped(group.name.endsWith(QLatin1String("Sub")) ? 3 : 1));
        group.menu->menuAction()->setVisible(!t.hidden);
        QAction *first = group.menu->addAction(QString::fromUtf8(t.itemCaption));
        first->setObjectName(group.name + QLatin1String("_0"));
        group.items.append(first);
    }
    return host;
}

MainMenuCls::MainMenuCls(AppState &state) : m_state(state) {}

int MainMenuCls::MenuAdd(MenuHost &host)
{
    if (m_state.MenuNames.size() < MenuHost::GroupCount
        || m_state.MenuCounts.size() < MenuHost::GroupCount)
        return 0;
    const TemplateStore store(m_state.DbConnection);
    for (int i = 0; i < MenuHost::GroupCount; ++i) {
        int count = 0;
        const StoreStatus st = store.countLanguageGroup(m_state.MenuNames.at(i), count);
        if (!st) {
            qCWarning(lcMenu) << "counting" << m_state.MenuNames.at(i) << st.message;
            return st.error;
        }
        m_state.MenuCounts[i] = qint16(count);
    }
    for (MenuHost::Group g : {MenuHost::View, MenuHost::Setup, MenuHost::Help, MenuHost::Popup}) {
        MenuGroup &group = host.group(g);
        for (int i = int(group.items.size()); i < m_state.MenuCounts.at(g); ++i) {
            QAction *a = group.menu->addAction(QString());
            a->setObjectName(group.name + QLatin1Char('_') + QString::number(i));
            group.items.append(a);
        }
    }
    return 0;
}

int MainMenuCls::MenuShow(int level, MenuHost &host)
{
    if (level != 1)
        return 0;
    const TemplateStore store(m_state.DbConnection);
    for (MenuHost::Group g : {MenuHost::View, MenuHost::Setup, MenuHost::Help, MenuHost::Popup}) {
        if (g == MenuHost::View && !store.isOpen())
            continue;
        if (const int err = showGroup(host, g))
            return err;
    }
    return 0;
}

int MainMenuCls::showGroup(MenuHost &host, MenuHost::Group g)
{
    if (m_state.MenuCounts.size() <= g)
        return 0;
    MenuGroup &group = host.group(g);
    QList<LanguageRow> rows;
    const StoreStatus st = TemplateStore(m_state.DbConnection).readMenuGroup(group.name, rows);
    if (!st) {
        qCWarning(lcMenu) << "reading" << group.name << st.message;
        return st.error;
    }
    const int count = m_state.MenuCounts.at(g);
    for (int i = 0; i < count && i < group.items.size(); ++i) {
        if (i >= rows.size())
            return ErrNoCurrentRecord;
        const LanguageRow &row = rows.at(i);
        QAction *a = group.items.at(i);
        // A caption of a single "-" is a separator line, drawn without text.
        const bool separator = row.LCaptionCHJ == QLatin1String("-");
        a->setSeparator(separator);
        a->setText(separator ? QString() : row.LCaptionCHJ);
        a->setVisible(row.LValue.has_value() && isYes(*row.LValue));
    }
    return 0;
}

bool MainMenuCls::isYes(const QString &value)
{
    // Yes/no text as the database keeps it: a number (non-zero is yes) or a
    // word such as "True", "Yes", "是".
    const QString v = value.trimmed();
    bool numeric = false;
    const double n = v.toDouble(&numeric);
    if (numeric)
        return n != 0;
    static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"),
                                    QStringLiteral("on"), QStringLiteral("是")};
    return yes.contains(v.toLower());
}

void ToolBarCls::mToolBarAddButtons(QToolBar *bar)
{
    struct Button {
        const char *key;
        const char *caption;
    };
    for (const Button &b : {Button{"tPrint", "打印"}, Button{"tExit", "退出"}}) {
        QAction *a = bar->addAction(QString::fromUtf8(b.caption));
        a->setObjectName(QString::fromUtf8(b.key));
        a->setToolTip(QString::fromUtf8(b.caption));
    }
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->toggleViewAction()->setEnabled(false);
    bar->setVisible(true);
}

QAction *ToolBarCls::button(QToolBar *bar, int number)
{
    int n = 0;
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            continue;
        if (++n == number)
            return a;
    }
    return nullptr;
}

void ToolBarCls::ShowToolButton(QToolBar *bar, int number, bool visible)
{
    if (number == 0)
        bar->setVisible(visible);
    else if (number >= 1 && number <= 33)
        if (QAction *a = button(bar, number))
            a->setVisible(visible);
}
