// The yardsticks for bench/startup.sh, each quitting after its first paint:
//   bare_window                    a bare main window;
//   bare_window --furnished FILE   a main window with what the program's
//                                  shows at start: the menu bar, a toolbar of
//                                  two text buttons, the status bar's six
//                                  panels and the template tree, filled from
//                                  FILE (`billprint templates`: CLASS/TEMPLATE
//                                  a line).
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace {

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

void furnish(QMainWindow &window, const QString &treeFile)
{
    for (const char *menu : {"视图", "帮助"})
        window.menuBar()->addMenu(QString::fromUtf8(menu))->addAction(QStringLiteral("…"));
    auto *bar = window.addToolBar(QStringLiteral("tools"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setMovable(false);
    for (const char *b : {"打印", "退出"})
        bar->addAction(QString::fromUtf8(b));
    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(i == 0 ? QStringLiteral("CAPS") : i == 1 ? QStringLiteral("NUM") : QString(),
                                 window.statusBar());
        label->setFrameShape(i == 5 ? QFrame::NoFrame : QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(i == 4 ? 160 : 70);
        window.statusBar()->addWidget(label);
    }
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *tree = new QTreeWidget(client);
    tree->setHeaderHidden(true);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->setGeometry(0, 0, 200, 560);
    QFile file(treeFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QHash<QString, QTreeWidgetItem *> classes;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString name = QString::fromUtf8(line);
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        if (slash < 0)
            continue;
        QTreeWidgetItem *&parent = classes[name.left(slash)];
        if (!parent)
            parent = new QTreeWidgetItem(tree, {name.left(slash)});
        new QTreeWidgetItem(parent, {name.mid(slash + 1)});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1024, 700);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--furnished"))
        furnish(window, args.at(2));
    window.installEventFilter(new QuitAfterPaint(&window));
    window.show();
    return app.exec();
}
