#pragma once
// The date field: one borderless text box into which the user types the
// date as digits, shown afterwards in the shape of the template's style code.
#include "fields/fieldwidget.h"

class DateCtl : public FieldWidget
{
    Q_OBJECT
public:
    explicit DateCtl(QWidget *parent = nullptr);
    ~DateCtl() override;

    // Stores the 14-character style code used by UserSetFormatDate.
    void UserSetDateStyle(const QString &code);
    // Formats a digit string with the style code, shows it and returns it;
    // a string that is not all digits leaves the box unchanged and gives "".
    QString UserSetFormatDate(const QString &digits);
    // The digits of TypedText, in order.
    QString UserGetDateNumber() const;
    QString UserGetDateTextBox() const;
    void UserSetDateTextBox(const QString &text);

    void UserEnabled(bool enabled) override;
    void UserBackColor(quint32 color);
    void UserFontColor(quint32 color);
    void UserFontSize(int points);
    void UserChrLen(int length);
    void UserToolTip(const QString &tip);

    void applyField(const TemplateField &field) override;
    void showValue() override;

    QString DateStyleCode() const { return m_styleCode; }
    // The box's text followed by the character of the last key pressed in it.
    QString TypedText() const { return m_typedText; }
    FieldLineBox *DateTextBoxCtl() const { return m_box; }

signals:
    // The box's text changed, by typing or by a method.
    void DTBChange();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void markProblem();

private:
    void onEdited();
    // Backspace on a date shown in its style: the digits as typed come
    // back without their last one. False when the box shows no such date.
    bool takeBackDigit();

    FieldLineBox *m_box;
    QString m_styleCode;
    QString m_typedText;
    QString m_lastText;
};
