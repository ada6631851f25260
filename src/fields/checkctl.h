#pragma once
// The check field: a tick box with a caption; its value is "√" or nothing.
#include "fields/fieldwidget.h"

#include <QCheckBox>

// A check box whose caption can be aligned left, centred or right in the
// space beside the box, and placed on either side of the box.
class CheckBoxCtl : public QCheckBox
{
    Q_OBJECT
public:
    explicit CheckBoxCtl(QWidget *parent = nullptr);

    void setCaptionAlignment(Qt::Alignment horizontal);
    Qt::Alignment captionAlignment() const { return m_align; }
    void setCaptionOnLeft(bool left);
    bool captionOnLeft() const { return m_captionLeft; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QRect indicatorRect() const;
    QRect captionRect() const;

    Qt::Alignment m_align = Qt::AlignLeft;
    bool m_captionLeft = false;
};

class CheckCtl : public FieldWidget
{
    Q_OBJECT
public:
    explicit CheckCtl(QWidget *parent = nullptr);

    QString UserGetCheckCaption() const;
    // Sets the caption and makes it the field's tooltip as well.
    void UserSetCheckCaption(const QString &caption);
    // "√" when ticked, else "".
    QString UserGetCheckValue() const;
    // Ticks the box for exactly "√", clears it for anything else.
    void UserSetCheckValue(const QString &value);
    // "左", "中" or "右"; any other text leaves the alignment as it is.
    void UserTextAlign(const QString &align);
    // 0 puts the caption on the left of the box, 1 on the right; any other
    // value counts as 0.
    void UserAlignment(int alignment);

    void UserEnabled(bool enabled) override;
    void UserBackColor(quint32 color);
    void UserFontColor(quint32 color);
    void UserFontSize(int points);
    // Accepted for the common interface; a check box has no length limit.
    void UserChrLen(int length);

    void applyField(const TemplateField &field) override;
    void showValue() override;

    CheckBoxCtl *CheckBox() const { return m_check; }

    static const QString TickMark;

private:
    CheckBoxCtl *m_check;
};
