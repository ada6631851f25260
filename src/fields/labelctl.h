#pragma once
// The label field: a caption on the bill that the user does not edit.
#include "fields/fieldwidget.h"

class QLabel;

class LabelCtl : public FieldWidget
{
    Q_OBJECT
public:
    explicit LabelCtl(QWidget *parent = nullptr);

    QString UserGetLabelCaption() const;
    // Sets the caption and makes it the field's tooltip as well.
    void UserSetLabelCaption(const QString &caption);
    // "左", "中" or "右"; any other text leaves the alignment as it is.
    void UserTextAlign(const QString &align);

    void UserEnabled(bool enabled) override;
    void UserBackColor(quint32 color);
    void UserFontColor(quint32 color);
    void UserFontSize(int points);
    // Accepted for the common interface; a label has no length limit.
    void UserChrLen(int length);

    void applyField(const TemplateField &field) override;
    // A label holds no value.
    void showValue() override {}
    QLabel *labelControl() const { return m_label; }

private:
    QLabel *m_label;
};
