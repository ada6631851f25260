#include "app/storedialog.h"
#include "app/remembered.h"
#include "core/database.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace storechoice {

static const char *const Key = "store/server";

QString remembered()
{
    return remembered::value(QLatin1String(Key)).toString();
}

void remember(const QString &url)
{
    remembered::setValue(QLatin1String(Key), url.isEmpty() ? QVariant() : QVariant(url));
}

QString startLocation(const QString &dbArgument)
{
    if (!dbArgument.isEmpty())
        return dbArgument;
    const QString server = remembered();
    return database::isServerUrl(server) ? server : QString();
}

bool offerLocalFile(QWidget *parent, AppState &state, const QString &programDir)
{
    if (state.DatabaseError.isEmpty() || !database::isServerUrl(state.DatabasePath))
        return false;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("无法连接数据库服务器"),
                    QStringLiteral("无法打开服务器上的数据库 %1：\n%2\n\n改用本机的数据库文件吗？")
                        .arg(database::displayName(state.DatabasePath), state.DatabaseError),
                    QMessageBox::NoButton, parent);
    QPushButton *local = box.addButton(QStringLiteral("打开本机文件"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("不打开"), QMessageBox::RejectRole);
    box.setDefaultButton(local);
    box.exec();
    if (box.clickedButton() != local)
        return false;
    StartUp(state, QString(), programDir);
    return state.DatabaseError.isEmpty();
}

} // namespace storechoice

StoreDialog::StoreDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("数据库服务器"));
    m_useServer = new QCheckBox(QStringLiteral("使用数据库服务器（PostgreSQL），不用本机的数据库文件"), this);
    m_host = new QLineEdit(this);
    m_host->setObjectName(QStringLiteral("host"));
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setRange(1, 65535);
    m_port->setValue(5432);
    m_database = new QLineEdit(this);
    m_database->setObjectName(QStringLiteral("database"));
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("user"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(QStringLiteral("留空：使用 ~/.pgpass 中的密码"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("服务器："), m_host);
    form->addRow(QStringLiteral("端口："), m_port);
    form->addRow(QStringLiteral("数据库："), m_database);
    form->addRow(QStringLiteral("用户："), m_user);
    form->addRow(QStringLiteral("密码："), m_password);
    auto *note = new QLabel(QStringLiteral("填写的密码以明文保存在本机的用户设置中。新的选择在下次启动程序时生效。"), this);
    note->setWordWrap(true);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *test = buttons->addButton(QStringLiteral("测试连接"), QDialogButtonBox::ActionRole);
    test->setObjectName(QStringLiteral("test"));
    connect(test, &QPushButton::clicked, this, &StoreDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &StoreDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StoreDialog::reject);
    connect(m_useServer, &QCheckBox::toggled, this, &StoreDialog::updateEnabled);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_useServer);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(m_result);
    layout->addWidget(buttons);
    load(storechoice::remembered());
}

void StoreDialog::load(const QString &url)
{
    const auto a = database::parseServerUrl(url);
    m_useServer->setChecked(a.has_value());
    if (a) {
        m_host->setText(a->host);
        m_port->setValue(a->port);
        m_database->setText(a->database);
        m_user->setText(a->user);
        m_password->setText(a->password);
    }
    updateEnabled();
}

void StoreDialog::updateEnabled()
{
    for (QWidget *w : {static_cast<QWidget *>(m_host), static_cast<QWidget *>(m_port),
                       static_cast<QWidget *>(m_database), static_cast<QWidget *>(m_user),
                       static_cast<QWidget *>(m_password)})
        w->setEnabled(m_useServer->isChecked());
}

QString StoreDialog::url() const
{
    if (!m_useServer->isChecked())
        return {};
    QUrl u;
    u.setScheme(QStringLiteral("postgresql"));
    u.setHost(m_host->text().trimmed());
    u.setPort(m_port->value());
    u.setUserName(m_user->text().trimmed());
    if (!m_password->text().isEmpty())
        u.setPassword(m_password->text());
    u.setPath(QLatin1Char('/') + m_database->text().trimmed());
    return u.toString();
}

void StoreDialog::testConnection()
{
    QString why;
    if (!database::parseServerUrl(url(), &why)) {
        m_result->setText(m_useServer->isChecked() ? QStringLiteral("请填写服务器、数据库和用户。")
                                                   : QStringLiteral("使用本机的数据库文件。"));
        return;
    }
    AppState probe;
    if (OpenDatabase(probe, url()) != 0) {
        m_result->setText(QStringLiteral("连接失败：%1").arg(probe.DatabaseError));
        return;
    }
    CloseDatabase(probe);
    m_result->setText(QStringLiteral("连接成功。"));
}

void StoreDialog::accept()
{
    if (m_useServer->isChecked() && !database::parseServerUrl(url())) {
        m_result->setText(QStringLiteral("请填写服务器、数据库和用户。"));
        return;
    }
    storechoice::remember(url());
    QDialog::accept();
}
