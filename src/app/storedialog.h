#pragma once
// Choosing where the templates and registers live: the local file, or the
// office's PostgreSQL server. The choice is kept per user with what the
// program remembers, and used at the next start when no --db is given.
#include <QDialog>
#include <QString>

struct AppState;

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace storechoice {

// The remembered server address ("" for the local file).
QString remembered();
void remember(const QString &url);

// The database a start without --db uses: the remembered server, if any.
QString startLocation(const QString &dbArgument);

// After a server could not be opened at start-up: says why and offers the
// local file instead; when the user takes it, opens the local file into
// `state`. True when the local file is now open.
bool offerLocalFile(QWidget *parent, AppState &state, const QString &programDir);

} // namespace storechoice

class StoreDialog : public QDialog {
    Q_OBJECT
public:
    explicit StoreDialog(QWidget *parent = nullptr);

    // The address the fields make ("" when the local file is chosen).
    QString url() const;

private:
    void load(const QString &url);
    void testConnection();
    void accept() override;
    void updateEnabled();

    QCheckBox *m_useServer;
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLineEdit *m_database;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QLabel *m_result;
};
