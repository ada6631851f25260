#pragma once
// The About box: title, version, phone and address of the application record,
// links to the home page and the download page, and the program icon.
#include <QDialog>

struct AppState;
class LinkLabel;
class QLabel;
class QPushButton;

class About : public QDialog {
    Q_OBJECT
public:
    explicit About(const AppState &state, QWidget *parent = nullptr);

    // Shows the box modally over parent and returns when it is closed.
    static int showModal(const AppState &state, QWidget *parent = nullptr);

    // The one-line development credit shown as the icon's tool tip.
    static QString Credit();
    static QString IconPath() { return QStringLiteral(":/icons/billprint.png"); }

private:
    void Form_Load(const AppState &state);
    void lblHomePage_Click();
    void lblDownLoadPage_Click();
    void cmdOK_Click();
    void buildLayout();

    QLabel *lblTVPA;
    LinkLabel *lblHomePage;
    LinkLabel *lblDownLoadPage;
    QLabel *ImageIcon;
    QPushButton *cmdOK;
};
