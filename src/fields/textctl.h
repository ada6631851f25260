#pragma once
// The text field: free text such as a payee, an account or a purpose, and
// the target of linked values. Its lines break where the printed lines
// break: the bill document decides them in the printing font, and the box
// shows those same lines. A text longer than the field holds is marked.
#include "fields/fieldwidget.h"

class TextCtl : public FieldWidget
{
    Q_OBJECT
public:
    explicit TextCtl(QWidget *parent = nullptr);

    QString UserGetTextAll() const;
    void UserSetTextBox(const QString &text);
    // Fills lines with the text as displayed (and printed), one entry per
    // line, soft wraps included; returns the number of lines (1 and one
    // empty entry for an empty box).
    int UserGetTextBox(QStringList &lines) const;
    // factor1 x factor2 x the text's value as a number when all three are
    // numbers; otherwise the text unchanged.
    QString UserGetSum(const QString &factor1, const QString &factor2) const;

    void UserEnabled(bool enabled) override;
    void lockTyping(bool locked) override;
    void UserBackColor(quint32 color);
    void UserFontColor(quint32 color);
    void UserFontSize(int points);
    void UserChrLen(int length);
    void UserToolTip(const QString &tip);

    void applyField(const TemplateField &field) override;
    void showValue() override;

    FieldTextBox *TextBox() const { return m_box; }
    // True while the text has more lines than the field holds.
    bool isOverflowing() const { return m_overflowing; }

    // A number as written in a field: optional blanks around, an optional
    // sign, digits with at most one decimal point, an optional exponent.
    static bool isNumericText(const QString &text);

signals:
    // The box's text changed, by typing or by a method.
    void TBChange();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onEdited();
    QStringList currentLines() const;
    void refreshLines();

    FieldTextBox *m_box;
    QString m_lastText;
    int m_points = 12; // the size the field is shown in
    bool m_overflowing = false;
};
