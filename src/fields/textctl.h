#pragma once
// The text field: free text such as a payee, an account or a purpose, and
// the target of linked values. Its text can be read line by line as shown,
// so that printing breaks the lines where the screen does.
#include "fields/fieldwidget.h"

class TextCtl : public FieldWidget
{
    Q_OBJECT
public:
    explicit TextCtl(QWidget *parent = nullptr);

    QString UserGetTextAll() const;
    void UserSetTextBox(const QString &text);
    // Fills lines with the text as displayed, one entry per line, soft
    // wraps included; returns the number of lines (1 and one empty entry
    // for an empty box).
    int UserGetTextBox(QStringList &lines) const;
    // factor1 x factor2 x the text's value as a number when all three are
    // numbers; otherwise the text unchanged.
    QString UserGetSum(const QString &factor1, const QString &factor2) const;

    void UserEnabled(bool enabled);
    void UserBackColor(quint32 color);
    void UserFontColor(quint32 color);
    void UserFontSize(int points);
    void UserChrLen(int length);
    void UserToolTip(const QString &tip);

    FieldTextBox *TextBox() const { return m_box; }

    // A number as written in a field: optional blanks around, an optional
    // sign, digits with at most one decimal point, an optional exponent.
    static bool isNumericText(const QString &text);

signals:
    // The box's text changed, by typing or by a method.
    void TBChange();

private:
    void onTextChanged();

    FieldTextBox *m_box;
    QString m_lastText;
};
