#pragma once
// The tool box of design mode: one button per tool. The pressed button's
// number is the current tool (AppState::CurrentTool): 1 the pointer, 4 label,
// 5 check, 6 date, 7 text, 8 money. The window enters itself in the list of
// open windows while it is loaded.
#include <QWidget>

class QAction;
class QActionGroup;
class QToolBar;
struct AppState;

class ToolBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int Pointer = 1;

    // Loads the window: caption "控件箱", its toolbar, button 1 pressed,
    // registered as "ToolBox", CurrentTool 1. Deletes itself when closed.
    explicit ToolBox(AppState &state, QWidget *parent = nullptr);
    ~ToolBox() override;

    // Presses button `number` (as a click would, without its side effects).
    void TBButtonsValue(int number);
    // Button of that number, or nullptr (there are no buttons 2 and 3).
    QAction *button(int number) const;
    QToolBar *toolBar() const { return m_toolBar; }

    // Caption of the button of each tool.
    static QString toolCaption(int number);

signals:
    // The bill surface's guide lines should be drawn again with this mode:
    // 0 for the pointer, 2 while a field tool is chosen.
    void BillDrawLine(int mode);
    // The window is being unloaded (the view menu clears its check mark).
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void ButtonClick(QAction *clicked);
    void unload();

    AppState &m_state;
    QToolBar *m_toolBar = nullptr;
    QActionGroup *m_group = nullptr;
    bool m_unloaded = false;
};
