#include "app/storedialog.h"
#include "app/remembered.h"
#include "app/translations.h"
#include "app/uitext.h"
#include "core/database.h"
#include "commandline.h"
#include "print/calibrationdialog.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "templates/batchcommand.h"
#include "templates/historywindow.h"
#include "templates/payeebook.h"
#include "templates/templatecommands.h"
#include "templates/treepopup.h"
#include "workspace/designmode.h"
#include "workspace/formbackground.h"
#include "workspace/mdimain.h"
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace cli {

namespace {

// Ends the program after the first paint of the window it watches.
class QuitAfterPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_quitting) {
            m_quitting = true;
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_quitting = false;
};

} // namespace

// The setup menu's printer calibration, for the first printer (or the PDF
// choice) and the bill size last opened.
static void openCalibration(MDIMain &window)
{
    const AppState &st = window.state();
    const QString printer = PrinterSettings::PrinterNames().value(0, PrinterSettings::PdfChoice());
    auto *dialog = new CalibrationDialog(st.DbConnection, st.BillRect[2], st.BillRect[3], printer, &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// Connects the commands that live above the workspace: the print preview,
// the printer calibration, the design mode, the template commands and batch
// printing of the tree's pop-up menu, and the scanned form under the fields.
static void attachCommands(MDIMain &window)
{
    QObject::connect(&window, &MDIMain::printRequested, &window, [&window] {
        // The preview covers the workspace between the toolbar and the
        // status bar, and follows it when the window changes size.
        PrintPreview::Open(window.state(), window.centralWidget());
    });
    QObject::connect(&window, &MDIMain::setupItemClicked, &window, [&window](int index) {
        if (index == 0)
            openCalibration(window);
    });
    DesignMode *design = DesignMode::attach(window);
    TemplateCommands::attach(window, *TreePopup::attach(window, *design));
    BatchCommand::attach(window);
    HistoryCommand::attach(window);
    PayeeBook::attach(window);
    FormBackgroundController::attach(window);
    for (QAction *a : window.menus().group(MenuHost::Setup).items)
        if (a->text() == QLatin1String("数据库服务器..."))
            QObject::connect(a, &QAction::triggered, &window, [&window] {
                auto *dialog = new StoreDialog(&window);
                dialog->setAttribute(Qt::WA_DeleteOnClose);
                dialog->open();
            });
}

int runWindow(int argc, char *argv[], const QString &dbPath)
{
    QApplication app(argc, argv);
    // The icon the desktop entry installs is this one; looking it up in the
    // icon theme would cost the start-up a walk through the theme's folders.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/billprint.png")));
    translations::installQtChinese();
    remembered::setEnabled(true);
    AppState state;
    StartUp(state, storechoice::startLocation(dbPath), QCoreApplication::applicationDirPath());
    storechoice::offerLocalFile(nullptr, state, QCoreApplication::applicationDirPath());
    auto *window = new MDIMain(state);
    window->setAttribute(Qt::WA_DeleteOnClose);
    attachCommands(*window);
    window->fitToScreen();
    window->show();
    // For start-up measurements: quit once the window has painted itself.
    if (qEnvironmentVariableIsSet("BILLPRINT_QUIT_WHEN_SHOWN"))
        window->installEventFilter(new QuitAfterPaint(window));
    const int status = app.exec();
    CloseDatabase(state);
    return status;
}

} // namespace cli
