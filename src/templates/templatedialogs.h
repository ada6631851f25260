#pragma once
// The dialogs of the template commands: a name (with its class where the
// class can be chosen), and a new template, blank at a paper size or a copy
// of another. Each checks what is typed when OK is pressed and, when the
// name cannot be used, says why inside the dialog and stays open.
#include "core/templatemanager.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Why a class and name cannot be used, or empty when they can.
using NameCheck = std::function<QString(const QString &className, const QString &name)>;

class NameDialog : public QDialog {
    Q_OBJECT
public:
    // Without classes the dialog asks for the name alone; with them it
    // offers them in an editable list, `className` chosen.
    NameDialog(const QString &title, const QString &prompt, const QString &name, QWidget *parent,
               const QStringList &classes = {}, const QString &className = {});

    void setCheck(NameCheck check) { m_check = std::move(check); }
    QString name() const;
    QString className() const;
    QString problem() const;

    void accept() override;

private:
    QLineEdit *m_name = nullptr;
    QComboBox *m_class = nullptr;
    QLabel *m_problem = nullptr;
    NameCheck m_check;
};

struct NewTemplateRequest {
    TemplateRef ref;
    bool copy = false;
    TemplateRef source; // when copying
    double widthMm = 0;
    double heightMm = 0;
};

class NewTemplateDialog : public QDialog {
    Q_OBJECT
public:
    // `templates` are the existing ones that can be copied.
    NewTemplateDialog(const QStringList &classes, const QString &className, const QList<TemplateRef> &templates,
                      QWidget *parent);

    void setCheck(NameCheck check) { m_check = std::move(check); }
    // The template offered for copying first (copying stays unchosen).
    void offerSource(const TemplateRef &ref);
    NewTemplateRequest request() const;
    QString problem() const;

    void accept() override;

private:
    void presetChosen(int index);
    void sizeEdited();
    void choiceChanged();

    QComboBox *m_class = nullptr;
    QLineEdit *m_name = nullptr;
    QRadioButton *m_blank = nullptr;
    QRadioButton *m_copy = nullptr;
    QComboBox *m_preset = nullptr;
    QDoubleSpinBox *m_width = nullptr;
    QDoubleSpinBox *m_height = nullptr;
    QComboBox *m_source = nullptr;
    QLabel *m_problem = nullptr;
    QList<TemplateRef> m_templates;
    NameCheck m_check;
};
