#pragma once
// The payee book: a text field of the bill offers the values printed in it
// before (most often printed first) as the clerk types. Choosing one fills
// the other text fields that were printed beside it on that bill (the
// account, the bank) where they are empty now; what the clerk typed stays.
#include <QObject>
#include <QPointer>

class FieldTextBox;
class MDIMain;
class QCompleter;
class QStringListModel;
class TextCtl;

class PayeeBook : public QObject {
    Q_OBJECT
public:
    static PayeeBook *attach(MDIMain &window);
    explicit PayeeBook(MDIMain &window);

    QCompleter *completer() const { return m_completer; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchFields();
    void watch(FieldTextBox *box);
    bool listKey(QEvent *event);
    void focused(TextCtl *field);
    void edited(TextCtl *field);
    void chosen(const QString &value);

    MDIMain &m_win;
    QCompleter *m_completer = nullptr;
    QStringListModel *m_values = nullptr;
    QPointer<TextCtl> m_field; // the field the completer serves
    bool m_choosing = false;
};
