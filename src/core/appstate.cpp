#include "core/appstate.h"

int AppState::RegisterWindow(const QString &name, bool add)
{
    if (add)
        OpenWindows.append(name);
    else
        OpenWindows.removeAll(name);
    return 0;
}

bool AppState::IsWindowOpen(const QString &name) const
{
    return OpenWindows.contains(name);
}

int AppState::InitMenuNames()
{
    MenuNames = {QStringLiteral("mFileSub"),   QStringLiteral("mBillSub"),
                 QStringLiteral("mEditSub"),   QStringLiteral("mFormatSub"),
                 QStringLiteral("mViewSub"),   QStringLiteral("mSetupSub"),
                 QStringLiteral("mHelpSub"),   QStringLiteral("tvPopupMenuS")};
    MenuCounts = QList<qint16>(8, 0);
    return 0;
}

int AppState::EraseGlobals()
{
    MenuNames.clear();
    MenuCounts.clear();
    OpenWindows.clear();
    SelectedClass = TreeSelection{};
    SelectedBill = TreeSelection{};
    BillRect = {0, 0, 0, 0};
    return 0;
}
